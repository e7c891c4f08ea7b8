#include <gtest/gtest.h>

#include "platform/dinput/input_test.h"
#include "setup/devices.h"
#include "setup/page_3dfx.h"
#include "setup/page_controls.h"
#include "setup/settings.h"
#include "tests/setup/setup_fixture.h"

namespace setuptest {
namespace {

const int* const kLists = ControlPage::kActionLists;

class ControlsPageTest : public SetupTest {
 protected:
  // Opens the controls tab of a Glide-build sheet and leaves the pages to
  // look at.
  void Open(C3DfxPage* fx, ControlPage* controls) {
    PrepareRun();
    g_SetupSheet.AddPage(fx);
    g_SetupSheet.AddPage(controls);
    g_SetupSheet.SetActivePage(0);
    platform::mfc::ScriptSheet({{SheetAction::OPEN_TAB, 0, 1}});
    g_SetupSheet.DoModal();
    ASSERT_TRUE(controls->IsCreated());
  }
  static std::string KeyName(std::uint32_t dik) {
    for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i)
      if (g_KeyboardObjects[i].offset == dik) return g_KeyboardObjects[i].name;
    return {};
  }
  static std::uint32_t KeyIndex(std::uint32_t dik) {
    for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i)
      if (g_KeyboardObjects[i].offset == dik) return i;
    return 0xFFFFFFFF;
  }
  static std::string Selected(ControlPage& page, int list) {
    CComboBox& c = page.Combo(list);
    return c.GetLBText(c.GetCurSel());
  }
  static bool Offers(ControlPage& page, int list, const std::string& name) {
    CComboBox& c = page.Combo(list);
    for (int i = 0; i < c.GetCount(); ++i)
      if (c.GetLBText(i) == name) return true;
    return false;
  }
  static void Choose(ControlPage& page, int list, const std::string& name) {
    CComboBox& c = page.Combo(list);
    for (int i = 0; i < c.GetCount(); ++i) {
      if (c.GetLBText(i) == name) {
        c.SetCurSel(i);
        page.OnCommand(list, CBN_SELCHANGE);
        return;
      }
    }
    ADD_FAILURE() << name << " not offered in list " << list;
  }
  static void StoreKeys(const std::uint32_t (&values)[6]) {
    const char* names[6] = {"Accel", "Brake", "Left", "Right", "GearUp", "GearDn"};
    for (int k = 0; k < 6; ++k) Set(names[k], values[k]);
  }
};

constexpr std::uint32_t kDefaults[6] = {30, 44, 203, 205, 31, 45};

TEST_F(ControlsPageTest, FirstDisplayWithoutBindingsPicksTheDefaultKeysAndWritesThem) {
  Set("Version", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Selected(controls, kLists[k]), KeyName(kDefaults[k])) << k;
  EXPECT_EQ(Selected(controls, ControlPage::kClutchList), KeyName(31) + " / " + KeyName(45));
  // Written at once, as enumeration indices, not key codes.
  EXPECT_EQ(Get("Accel"), KeyIndex(30));
  EXPECT_EQ(Get("GearDn"), KeyIndex(45));
  EXPECT_NE(KeyIndex(30), 30u);
  EXPECT_FALSE(Get("AccelJ").has_value());
}

TEST_F(ControlsPageTest, ReservedKeysAreNeverOfferedAndABoundKeyOnlyInItsOwnList) {
  Set("Version", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  const std::uint32_t reserved[] = {1, 59, 60, 61, 62, 63, 64, 65, 66, 42, 54, 21, 34, 36, 49, 201, 209, 57};
  for (std::uint32_t dik : reserved)
    for (int k = 0; k < 6; ++k) EXPECT_FALSE(Offers(controls, kLists[k], KeyName(dik))) << dik;
  const std::string left = KeyName(203);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Offers(controls, kLists[k], left), k == 2) << k;
  EXPECT_TRUE(Offers(controls, kLists[4], KeyName(DIK_Q)));
}

TEST_F(ControlsPageTest, StoredKeysShowAsStoredAndOneBadIndexResetsAllSix) {
  Set("Version", 1);
  // First a plain stored set: D, F... as enumeration indices.
  {
    C3DfxPage fx;
    ControlPage controls;
    Open(&fx, &controls);
  }
  const std::uint32_t stored[6] = {KeyIndex(DIK_D), KeyIndex(DIK_F), KeyIndex(DIK_H), KeyIndex(DIK_K),
                                   KeyIndex(DIK_Q), KeyIndex(DIK_W)};
  StoreKeys(stored);
  {
    C3DfxPage fx;
    ControlPage controls;
    Open(&fx, &controls);
    const BYTE expected[6] = {DIK_D, DIK_F, DIK_H, DIK_K, DIK_Q, DIK_W};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(Selected(controls, kLists[k]), KeyName(expected[k])) << k;
  }
  // The index of a reserved key (Escape) selects the first offered key after it.
  std::uint32_t withReserved[6] = {KeyIndex(DIK_ESCAPE), stored[1], stored[2], stored[3], stored[4], stored[5]};
  StoreKeys(withReserved);
  {
    C3DfxPage fx;
    ControlPage controls;
    Open(&fx, &controls);
    EXPECT_EQ(Selected(controls, kLists[0]), g_KeyboardObjects[KeyIndex(DIK_ESCAPE) + 1].name);
  }
  std::uint32_t bad[6] = {stored[0], 9999, stored[2], stored[3], stored[4], stored[5]};
  StoreKeys(bad);
  {
    C3DfxPage fx;
    ControlPage controls;
    Open(&fx, &controls);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(Selected(controls, kLists[k]), KeyName(kDefaults[k])) << k;
    EXPECT_EQ(Get("Brake"), KeyIndex(44));
  }
}

TEST_F(ControlsPageTest, ChoosingTheBoundEntryChangesNothingAndANewKeyEnablesApply) {
  Set("Version", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  g_SetupSheet.ApplyButton().EnableWindow(FALSE);
  Choose(controls, kLists[0], KeyName(30));
  EXPECT_FALSE(g_SetupSheet.ApplyButton().IsWindowEnabled());
  Choose(controls, kLists[4], KeyName(DIK_Q));
  EXPECT_TRUE(g_SetupSheet.ApplyButton().IsWindowEnabled());
  EXPECT_EQ(Selected(controls, ControlPage::kClutchList), KeyName(DIK_Q) + " / " + KeyName(45));
  // S is free again for the other lists; Q is gone from them.
  EXPECT_TRUE(Offers(controls, kLists[0], KeyName(31)));
  EXPECT_FALSE(Offers(controls, kLists[0], KeyName(DIK_Q)));
  controls.OnApply();
  EXPECT_EQ(Get("GearUp"), KeyIndex(DIK_Q));
}

class JoystickPageTest : public ControlsPageTest {
 protected:
  static std::string Nth(const GUID& type, int n) {
    for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i)
      if (IsEqualGUID(g_JoystickObjects[i].type, type) && n-- == 0) return g_JoystickObjects[i].name;
    return {};
  }
  static std::uint32_t IndexOf(const std::string& name) {
    for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i)
      if (name == g_JoystickObjects[i].name) return i;
    return 0xFFFFFFFF;
  }
};

TEST_F(JoystickPageTest, OneButtonLeavesGearDownUnbound) {
  platform::AddTestJoystick({.name = "Pad", .axes = 3, .buttons = 1});
  Set("Version", 1);
  Set("DIDevice", 1);
  Set("InputDevice", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  ASSERT_EQ(g_SetupSettings.KeyboardChosen, 0);
  EXPECT_EQ(g_JoyBindingNames[0], Nth(GUID_YAxis, 0));
  EXPECT_EQ(g_JoyBindingNames[2], Nth(GUID_XAxis, 0));
  EXPECT_EQ(g_JoyBindingNames[4], Nth(GUID_Button, 0));
  EXPECT_EQ(g_JoyBindingNames[5], "");
  EXPECT_EQ(controls.Combo(kLists[5]).GetCurSel(), 0);  // shows its first entry
  EXPECT_EQ(Get("AccelJ"), IndexOf(Nth(GUID_YAxis, 0)));
  EXPECT_EQ(Get("GearUpJ"), IndexOf(Nth(GUID_Button, 0)));
  EXPECT_EQ(Get("GearDnJ"), 0u);
  EXPECT_FALSE(Get("Accel").has_value());
}

TEST_F(JoystickPageTest, AnAxisMovesThePartnerAndAButtonDoesNot) {
  platform::AddTestJoystick({.name = "Stick", .axes = 3, .buttons = 4});
  Set("Version", 1);
  Set("DIDevice", 1);
  Set("InputDevice", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  const std::string y = Nth(GUID_YAxis, 0), z = Nth(GUID_ZAxis, 0), x = Nth(GUID_XAxis, 0);
  const std::string b1 = Nth(GUID_Button, 0), b2 = Nth(GUID_Button, 1), b3 = Nth(GUID_Button, 2);
  // Brake on button 3 first: the accelerate list no longer offers it.
  Choose(controls, kLists[1], b3);
  EXPECT_EQ(g_JoyBindingNames[0], y);
  EXPECT_FALSE(Offers(controls, kLists[0], b3));
  EXPECT_TRUE(Offers(controls, kLists[1], y));
  // The X axis of steering: offered for right, not for the other pairs.
  EXPECT_TRUE(Offers(controls, kLists[3], x));
  EXPECT_FALSE(Offers(controls, kLists[0], x));
  EXPECT_FALSE(Offers(controls, kLists[4], x));
  // An axis for brake takes accelerate along.
  Choose(controls, kLists[1], z);
  EXPECT_EQ(g_JoyBindingNames[0], z);
  EXPECT_EQ(g_JoyBindingNames[1], z);
  EXPECT_EQ(Selected(controls, kLists[0]), z);
  // A button for accelerate leaves brake where it was.
  Choose(controls, kLists[0], b3);
  EXPECT_EQ(g_JoyBindingNames[0], b3);
  EXPECT_EQ(g_JoyBindingNames[1], z);
  controls.OnApply();
  EXPECT_EQ(Get("AccelJ"), IndexOf(b3));
  EXPECT_EQ(Get("BrakeJ"), IndexOf(z));
  (void)b1;
  (void)b2;
}

TEST_F(JoystickPageTest, WithNoInputDeviceTheControlsAreAKeyboardsAndNothingStaleIsRead) {
  platform::UseTestInput(false);
  platform::UseTestInput(true);  // no device at all
  Set("Version", 1);
  Set("InputDevice", 1);
  C3DfxPage fx;
  ControlPage controls;
  Open(&fx, &controls);
  EXPECT_EQ(g_SetupSettings.KeyboardChosen, 1);
  EXPECT_EQ(fx.Combo(1002).GetLBText(0), "Input device not available");
  // The controls page then has no keyboard to enumerate and ends the sheet.
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Directinput device creation error! Program aborted.",
                                                  "Keyboard device commands enumeration error!",
                                                  "An error occurred while inizializing! Program aborted."}));
  EXPECT_EQ(g_SetupSheet.Result(), -1);
}

}  // namespace
}  // namespace setuptest
