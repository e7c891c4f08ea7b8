#include <gtest/gtest.h>

#include "platform/ddraw/ddraw_machine.h"
#include "platform/glide/glide.h"
#include "platform/mfc/mfc.h"
#include "setup/captions.h"
#include "setup/page_3dfx.h"
#include "setup/page_controls.h"
#include "setup/page_d3d.h"
#include "setup/settings.h"
#include "tests/support/picture.h"
#include "tests/setup/setup_fixture.h"

namespace setuptest {
namespace {

class SheetTest : public SetupTest {
 protected:
  void OpenGlide(C3DfxPage* fx, ControlPage* controls, const std::vector<SheetStep>& steps) {
    PrepareRun();
    g_SetupSheet.AddPage(fx);
    g_SetupSheet.AddPage(controls);
    g_SetupSheet.SetActivePage(0);
    platform::mfc::ScriptSheet(steps);
    g_SetupSheet.DoModal();
  }
  void OpenD3d(CD3DPage* d3d, ControlPage* controls, const std::vector<SheetStep>& steps) {
    PrepareRun();
    g_SetupSheet.AddPage(d3d);
    g_SetupSheet.AddPage(controls);
    g_SetupSheet.SetActivePage(0);
    platform::mfc::ScriptSheet(steps);
    g_SetupSheet.DoModal();
  }
};

TEST_F(SheetTest, CancelAndApplyInEachLanguageWithTheRussianFont) {
  const char* cancel[8] = {"Cancel", "Cancella", "Cancelar", "Cancelar", "Annuleren", "Annuler", "Abbrechen",
                           "\xCE\xF2\xEC\xE5\xED\xE8\xF2\xFC"};
  for (DWORD language = 0; language < 8; ++language) {
    Set("Version", 1);
    Set("Language", language);
    C3DfxPage fx;
    ControlPage controls;
    OpenGlide(&fx, &controls, {{SheetAction::OPEN_TAB, 0, 1}});
    EXPECT_EQ(g_SetupSheet.CancelButton().GetWindowText(), cancel[language]);
    EXPECT_EQ(g_SetupSheet.ApplyButton().GetWindowText(), Caption(CAPTIONS_BUTTONS, language, 1));
    EXPECT_EQ(g_SetupSheet.OkButton().GetWindowText(), "OK");
    const BYTE charset = language == 7 ? RUSSIAN_CHARSET : ANSI_CHARSET;
    EXPECT_EQ(g_SetupSheet.CancelButton().GetFont().lfCharSet, charset);
    EXPECT_EQ(fx.Static(1038).GetFont().lfCharSet, charset);
    EXPECT_EQ(fx.Combo(1002).GetFont().lfCharSet, ANSI_CHARSET);  // lists keep the dialog font
    EXPECT_EQ(controls.Static(1054).GetFont().lfCharSet, charset);
    EXPECT_EQ(controls.Combo(1006).GetFont().lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(controls.Static(1048).GetWindowText(), Caption(CAPTIONS_CONTROLS, language, 0));
  }
}

TEST_F(SheetTest, PagesAreMadeLazilyAndApplyReachesOnlyMadeOnes) {
  Set("Version", 1);
  C3DfxPage fx;
  ControlPage controls;
  // Choosing the entry already selected does not enable Apply; a tick does.
  OpenGlide(&fx, &controls, {{SheetAction::SELECT, 1029, 0}, {SheetAction::APPLY}, {SheetAction::CLICK, 1030}});
  EXPECT_FALSE(controls.IsCreated());
  EXPECT_TRUE(g_SetupSheet.ApplyButton().IsWindowEnabled());
  EXPECT_EQ(g_SetupSettings.Lensflare, 0);
  EXPECT_EQ(Get("Lensflare"), 1u);  // Cancel wrote nothing more
  C3DfxPage fx2;
  ControlPage controls2;
  OpenGlide(&fx2, &controls2, {{SheetAction::SELECT, 1029, 2}, {SheetAction::APPLY}});
  EXPECT_FALSE(g_SetupSheet.ApplyButton().IsWindowEnabled());
  EXPECT_EQ(Get("Shadows"), 2u);
  EXPECT_FALSE(Get("Accel").has_value());
}

TEST_F(SheetTest, MissingDriverValueStartsOnTheLastDriverAndItsLastDevice) {
  platform::DirectDrawMachine machine = platform::DefaultDirectDrawMachine();
  platform::DirectDrawDriverSpec second = machine.drivers[0];
  second.primary = false;
  second.guid.Data1 = 0x1234;
  second.description = "Second Display";
  machine.drivers.push_back(second);
  platform::SetDirectDrawMachine(machine);
  Set("Version", 0);
  Set("GameWidth", 1280);
  Set("GameHeight", 1024);
  CD3DPage d3d;
  ControlPage controls;
  OpenD3d(&d3d, &controls, {});
  EXPECT_EQ(Get("DDDriver"), 1u);
  EXPECT_EQ(Get("3DDevice"), g_DisplayDrivers[1].deviceCount - 1);
  // 1280 x 1024 is never offered: the first offered mode is stored.
  EXPECT_EQ(Get("GameWidth"), 640u);
  EXPECT_EQ(Get("GameHeight"), 480u);
  for (int i = 0; i < d3d.Combo(1033).GetCount(); ++i) {
    const std::string label = d3d.Combo(1033).GetLBText(i);
    EXPECT_EQ(label.find("1280"), std::string::npos) << label;
    EXPECT_EQ(label.find(" x 8"), std::string::npos) << label;
  }
}

// Each page drawn by the Qt view; the background picture is the pages'
// bitmap stretched: its upper half sky blue (40, 64, 128), its lower half
// brown (96, 64, 32). Below the 24-pixel tab bar, a point near the page's
// top-left corner and one near its bottom-left corner lie under no control.
TEST_F(SheetTest, EachPageShowsOverItsStretchedPictureInEnglishAndRussian) {
  const auto check = [&](const CPropertyPage& page, const char* which) {
    const std::string path = Host("page.png");
    ASSERT_TRUE(platform::mfc::RenderSheetToPng(&g_SetupSheet, path)) << which;
    platform::Picture picture;
    std::string error;
    ASSERT_TRUE(kelvtest::ReadPng(path, &picture, &error)) << error;
    const RECT client = page.GetClientRect();
    ASSERT_EQ(picture.width, client.right) << which;
    const auto at = [&](int x, int y) { return &picture.rgb[static_cast<std::size_t>((y * picture.width + x) * 3)]; };
    const std::uint8_t* sky = at(8, 24 + 8);
    const std::uint8_t* ground = at(8, 24 + client.bottom - 8);
    EXPECT_NEAR(sky[0], 40, 2) << which;
    EXPECT_NEAR(sky[1], 64, 2) << which;
    EXPECT_NEAR(sky[2], 128, 2) << which;
    EXPECT_NEAR(ground[0], 96, 2) << which;
    EXPECT_NEAR(ground[1], 64, 2) << which;
    EXPECT_NEAR(ground[2], 32, 2) << which;
  };
  for (DWORD language : {0u, 7u}) {
    for (int tab = 0; tab < 2; ++tab) {
      const std::string which = "language " + std::to_string(language) + ", tab " + std::to_string(tab);
      Set("Version", 1);
      Set("Language", language);
      C3DfxPage fx;
      ControlPage controls;
      OpenGlide(&fx, &controls, {{SheetAction::OPEN_TAB, 0, tab}});
      check(fx, ("3D board sheet, " + which).c_str());
    }
    Set("Version", 0);
    Set("Language", language);
    CD3DPage d3d;
    ControlPage controls;
    OpenD3d(&d3d, &controls, {});
    check(d3d, ("Direct3D page, language " + std::to_string(language)).c_str());
  }
}

}  // namespace
}  // namespace setuptest
