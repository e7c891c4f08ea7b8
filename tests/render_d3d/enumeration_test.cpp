// The hardware choice of the Direct3D renderer: the tables, the registry
// values and the "Select display driver" dialog.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render_d3d/direct3d_fixture.h"

namespace {

using platform::DialogAction;
using platform::DialogStep;
using platform::DirectDrawDriverSpec;
using platform::DirectDrawMachine;

class EnumerationTest : public kelvtest::Direct3DTest {};

platform::Direct3DDeviceSpec Device(const std::string& name, bool hardware, DWORD n) {
  return {name, name + " device", platform::DirectDrawTestGuid(n), hardware, D3DPTEXTURECAPS_PERSPECTIVE, 0,
          D3DPCMPCAPS_GREATER | D3DPCMPCAPS_ALWAYS, DDBD_16 | DDBD_32, DDBD_16, 1024, D3DCOLOR_RGB};
}

TEST_F(EnumerationTest, TablesStopAtTheirLimitsAndSkipADriverThatCannotBeOpened) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  DirectDrawDriverSpec base = m.drivers[0];
  m.drivers.clear();
  for (int i = 0; i < 7; ++i) {
    DirectDrawDriverSpec d = base;
    d.primary = i == 0;
    d.guid = platform::DirectDrawTestGuid(100 + i);
    d.name = "driver" + std::to_string(i);
    d.failsCreate = i == 2;
    d.modes.clear();
    for (DWORD k = 0; k < 51; ++k) d.modes.push_back({641 + k, 480, 16});
    d.devices.clear();
    for (DWORD k = 0; k < 6; ++k) d.devices.push_back(Device("dev" + std::to_string(k), k == 3, 10 * i + k));
    m.drivers.push_back(d);
  }
  platform::SetDirectDrawMachine(m);
  // The dialog comes up (no 640 x 480 mode); Cancel ends Open, the tables stay.
  EXPECT_FALSE(OpenAt(640, 480));
  ASSERT_EQ(5u, g_DisplayDriverCount);
  const char* names[5] = {"driver0", "driver1", "driver3", "driver4", "driver5"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(names[i], g_DisplayDrivers[i].name);
    EXPECT_EQ(50u, g_DisplayDrivers[i].modeCount);
    EXPECT_EQ(5u, g_DisplayDrivers[i].deviceCount);
    EXPECT_EQ(i == 0, g_DisplayDrivers[i].guidPointer == nullptr);
  }
  EXPECT_STREQ("690 x 480 x 16", g_DisplayDrivers[0].modes[49].label);
  EXPECT_EQ(static_cast<std::uint32_t>(D3D_DEVICE_HARDWARE), g_DisplayDrivers[0].devices[3].kind);
  EXPECT_EQ(static_cast<std::uint32_t>(D3D_DEVICE_SOFTWARE), g_DisplayDrivers[0].devices[4].kind);
}

TEST_F(EnumerationTest, DefaultMachineOffersOneDriverEightModesAndTwoDevices) {
  ASSERT_TRUE(OpenAt(640, 480));
  ASSERT_EQ(1u, g_DisplayDriverCount);
  const DisplayDriverInfo& d = g_DisplayDrivers[0];
  EXPECT_EQ(nullptr, d.guidPointer);
  EXPECT_EQ(8u, d.modeCount);
  ASSERT_EQ(2u, d.deviceCount);
  EXPECT_STREQ("RGB Emulation", d.devices[0].name);
  EXPECT_EQ(static_cast<std::uint32_t>(D3D_DEVICE_SOFTWARE), d.devices[0].kind);
  EXPECT_EQ(static_cast<std::uint32_t>(D3D_DEVICE_HARDWARE), d.devices[1].kind);
  for (std::uint32_t i = 0; i < d.deviceCount; ++i) {
    EXPECT_EQ(1, d.devices[i].usable);
    EXPECT_EQ(1, d.devices[i].needsZBuffer);
    EXPECT_EQ(nullptr, std::strstr(d.devices[i].name, "3dfx"));
  }
  EXPECT_EQ(0u, g_ChosenMode);
  EXPECT_EQ(0, platform::ShownDialogCount());
}

TEST_F(EnumerationTest, RegistryChoiceOpensWithoutTheDialogOnlyWhenEveryValueFits) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  // A third device without perspective-correct texturing, and a 15-bit mode.
  m.drivers[0].devices.push_back(Device("flat", false, 9));
  m.drivers[0].devices.back().textureCaps = 0;
  m.drivers[0].modes.push_back({800, 600, 15});
  platform::SetDirectDrawMachine(m);
  struct Case {
    const char* name;
    long driver, device, bpp;
    std::uint32_t width, height;
    bool dialog;
    std::uint32_t mode;  // chosen when no dialog comes up
  } cases[] = {
      {"a fitting choice", 0, 1, 16, 640, 480, false, 0},
      {"32 bits at 1024 x 768", 0, 0, 32, 1024, 768, false, 6},
      {"driver equal to the count", 1, 1, 16, 640, 480, true, 0},
      {"missing device", 0, -1, 16, 640, 480, true, 0},
      {"device beyond the table", 0, 3, 16, 640, 480, true, 0},
      {"device without perspective texturing", 0, 2, 16, 640, 480, true, 0},
      {"8 bits", 0, 1, 8, 640, 480, true, 0},
      {"missing depth", 0, 1, -1, 640, 480, true, 0},
      {"no mode of the screen size at that depth", 0, 1, 24, 640, 480, true, 0},
      {"15 bits passes without a depth test", 0, 1, 15, 800, 600, false, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::UseScriptedDialogs(true);
    platform::ScriptDriverDialog({{DialogAction::CANCEL}});
    Choose(c.driver, c.device, c.bpp);
    const bool opened = OpenAt(c.width, c.height);
    EXPECT_EQ(c.dialog ? 1 : 0, platform::ShownDialogCount());
    EXPECT_EQ(!c.dialog, opened);
    if (!c.dialog) EXPECT_EQ(c.mode, g_ChosenMode);
    g_Renderer.Close();
  }
}

TEST_F(EnumerationTest, DialogOffersOnlyFourToThreeModesItCanShowAndNeedsOneForOk) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.drivers[0].modes.insert(m.drivers[0].modes.begin(), {{640, 480, 8}, {1280, 720, 16}});
  platform::SetDirectDrawMachine(m);
  Choose(0, 1, 8);
  // Selecting the driver again changes nothing; OK with the first offered mode.
  platform::ScriptDriverDialog({{DialogAction::SELECT, IDC_DRIVER_LIST, 0}, {DialogAction::OK}});
  ASSERT_TRUE(OpenAt(640, 480));
  const auto& states = platform::RecordedDialogStates();
  ASSERT_FALSE(states.empty());
  const platform::DialogModel& first = states.front();
  EXPECT_EQ("Select display driver", first.caption);
  EXPECT_EQ(std::vector<std::string>{"Primary Display Driver"}, first.combos[0].items);
  EXPECT_EQ(2u, first.combos[1].items.size());
  // Device 1 was read from the registry before the depth failed.
  EXPECT_EQ(1, first.combos[1].selection);
  const std::vector<std::string> offered = {"640 x 480 x 16", "800 x 600 x 16", "1024 x 768 x 16",
                                            "640 x 480 x 32", "800 x 600 x 32", "1024 x 768 x 32"};
  EXPECT_EQ(offered, first.combos[2].items);
  // Mode index 0 is the 8-bit mode: the selection falls on the next offered one.
  EXPECT_EQ(0, first.combos[2].selection);
  EXPECT_EQ(2, first.combos[2].data[0]);
  EXPECT_EQ("Driver supports HARDWARE 3D", first.typeLines[0]);
  EXPECT_EQ("3D Device is HARDWARE", first.typeLines[1]);
  EXPECT_EQ(2u, g_ChosenMode);
  EXPECT_EQ(640u, g_ScreenWidth);
}

TEST_F(EnumerationTest, DialogChangesResetTheLowerListsAndOkWithoutAModeKeepsItOpen) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  // Only 1280 x 1024 at 16 bits for the software device: nothing offered.
  m.drivers[0].devices[0].renderBitDepths = DDBD_24;
  platform::SetDirectDrawMachine(m);
  Choose(0, -1, 16);
  platform::ScriptDriverDialog({{DialogAction::SELECT, IDC_MODE_LIST, 3},
                                {DialogAction::SELECT, IDC_DEVICE_LIST, 0},
                                {DialogAction::OK},
                                {DialogAction::SELECT, IDC_DEVICE_LIST, 1},
                                {DialogAction::OK}});
  ASSERT_TRUE(OpenAt(640, 480));
  const auto& states = platform::RecordedDialogStates();
  ASSERT_EQ(6u, states.size());
  EXPECT_EQ(3, states[1].combos[2].selection);
  // The device change resets the mode and offers nothing for this device.
  EXPECT_EQ(0, states[2].combos[1].selection);
  EXPECT_TRUE(states[2].combos[2].items.empty());
  EXPECT_EQ("3D Device is SOFTWARE", states[2].typeLines[1]);
  // OK without a mode: still open, driver and device already taken.
  EXPECT_FALSE(states[3].ended);
  EXPECT_EQ(0, states[4].combos[2].selection);
  EXPECT_TRUE(states[5].ended);
  EXPECT_EQ(1, states[5].result);
  EXPECT_EQ(1u, g_ChosenDevice);
  EXPECT_EQ(0u, g_ChosenMode);
}

TEST_F(EnumerationTest, DialogKeepsItsLastSelectionForTheNextShowing) {
  Choose(0, -1, 16);
  platform::ScriptDriverDialog({{DialogAction::SELECT, IDC_MODE_LIST, 1}, {DialogAction::OK}});
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_EQ(800u, g_ScreenWidth);  // the dialog's mode, not the size asked for
  platform::ScriptDriverDialog({{DialogAction::CANCEL}});
  EXPECT_FALSE(OpenAt(640, 480));
  EXPECT_EQ(1, platform::RecordedDialogStates().front().combos[2].selection);
  // A dialog that runs out of script ends as Cancel.
  platform::ScriptDriverDialog({});
  EXPECT_FALSE(OpenAt(640, 480));
}

}  // namespace
