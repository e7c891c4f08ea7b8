#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/ddraw/directx_version.h"
#include "platform/dinput/input_test.h"
#include "platform/win32/msgbox.h"
#include "setup/app.h"
#include "setup/settings.h"
#include "tests/setup/setup_fixture.h"

namespace setuptest {
namespace {

class SetupAppTest : public SetupTest {
 protected:
  void Fresh(const std::vector<std::pair<const char*, DWORD>>& values) {
    std::ofstream(Host("registry.txt"), std::ios::trunc) << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n";
    for (const auto& [name, value] : values) Set(name, value);
  }
};

const char* const kAbort = "An error occurred while inizializing! Program aborted.";

TEST_F(SetupAppTest, ValuesOutsideTheTableTakeTheirDefaults) {
  struct Case {
    std::vector<std::pair<const char*, DWORD>> values;
    std::function<std::uint32_t()> field;
    std::uint32_t expected;
  };
  const SetupSettings& s = g_SetupSettings;
  const Case cases[] = {
      {{{"GameWidth", 600}}, [&] { return s.GameWidth; }, 640},
      {{{"GameHeight", 500}}, [&] { return s.GameHeight; }, 500},
      {{{"GameBPP", 8}}, [&] { return s.GameBPP; }, 16},
      {{{"GameBPP", 33}}, [&] { return s.GameBPP; }, 16},
      {{{"GameBPP", 32}}, [&] { return s.GameBPP; }, 32},
      {{{"GameWidth", 800}, {"ViewWidth", 800}}, [&] { return s.ViewWidth; }, 799},
      {{{"GameWidth", 800}}, [&] { return s.ViewWidth; }, 799},
      {{{"GameWidth", 800}, {"ViewWidth", 700}}, [&] { return s.ViewWidth; }, 700},
      {{{"FFGainLevel", 3}}, [&] { return s.FFGainLevel; }, 1},
      {{{"FFGainLevel", 2}}, [&] { return s.FFGainLevel; }, 2},
      {{{"Shadows", 4}}, [&] { return s.Shadows; }, 0},
      {{{"Shadows", 3}}, [&] { return s.Shadows; }, 3},
      {{{"Lensflare", 2}}, [&] { return s.Lensflare; }, 1},
      {{{"Particle", 0}}, [&] { return s.Particle; }, 0},
      {{{"Language", 8}}, [&] { return s.Language; }, 0},
      {{{"Language", 7}}, [&] { return s.Language; }, 7},
      {{}, [&] { return s.KeyboardChosen; }, 1},
      {{{"InputDevice", 5}}, [&] { return s.KeyboardChosen; }, 0},
      {{{"InputDevice", 1}}, [&] { return s.SoundDevice; }, 0},
      {{}, [&] { return s.FFGainLevel; }, 1},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    auto values = cases[i].values;
    values.insert(values.begin(), {"Version", 1});
    Fresh(values);
    PrepareRun();
    EXPECT_EQ(cases[i].field(), cases[i].expected) << "case " << i;
  }
}

TEST_F(SetupAppTest, OneMissingBindingFlagsItsKindAndKeepsTheOthers) {
  Fresh({{"Version", 1}, {"Accel", 10}, {"Brake", 11}, {"Left", 12}, {"Right", 13}, {"GearUp", 14},
         {"AccelJ", 1}, {"BrakeJ", 1}, {"LeftJ", 0}, {"RightJ", 0}, {"GearUpJ", 2}, {"GearDnJ", 3}});
  PrepareRun();
  const SetupSettings& s = g_SetupSettings;
  EXPECT_EQ(s.KeyBindingsMissing, 1);
  EXPECT_EQ(s.JoyBindingsMissing, 0);
  EXPECT_EQ(s.KeyBindings[0], 10u);
  EXPECT_EQ(s.KeyBindings[4], 14u);
  EXPECT_EQ(s.JoyBindings[5], 3u);
}

TEST_F(SetupAppTest, FailuresBeforeTheSheetShowTheirMessagesAndWriteNothing) {
  struct Case {
    std::vector<std::pair<const char*, DWORD>> values;
    DWORD directX;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {{}, 0x600, {"Registry information not found!\nPlease re-install Kelvarro from the CD.", kAbort}},
      {{{"Version", 2}}, 0x600,
       {"Registry information corrupted or invalid!\nPlease re-install Kelvarro from the CD.", kAbort}},
      {{{"Version", 0}}, 0x500, {"This program requires DirectX 6.0 or later!\nPlease install it from the CD."}},
  };
  for (const Case& c : cases) {
    Fresh(c.values);
    std::ifstream before(Host("registry.txt"));
    const std::string original((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    platform::SetInstalledDirectXVersion(c.directX);
    platform::ClearRecordedMessageBoxes();
    RunProgram({});
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_TRUE(g_SetupApp.aborted);  // the program ends with a failure status
    std::ifstream after(Host("registry.txt"));
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), original);
    for (const auto& box : platform::RecordedMessageBoxes()) {
      EXPECT_EQ(box.caption, "kelvsetup");
      EXPECT_EQ(box.type, 0x40030u);
    }
  }
}

TEST_F(SetupAppTest, GlideBuildWritesItsThirteenValuesOnOpeningEvenWhenCancelled) {
  Fresh({{"Version", 1}});
  RunProgram({{SheetAction::CANCEL}});
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(g_SetupApp.aborted);
  const std::vector<std::string> expected = {"Version",  "3DDevice",    "GameWidth",   "GameHeight", "ViewWidth",
                                             "GlideVer", "DIDevice",    "InputDevice", "SoundDevice",
                                             "FFGainLevel", "Shadows",  "Lensflare",   "Particle", "SetupState"};
  EXPECT_EQ(ValueOrder(), expected);
  EXPECT_FALSE(Get("Accel").has_value());  // the controls page never opened
}

TEST_F(SetupAppTest, AnotherBuildsResolutionBecomes640By480AndKeepsTheView) {
  Fresh({{"Version", 1}, {"GameWidth", 1152}, {"GameHeight", 864}, {"ViewWidth", 1000}});
  RunProgram({{SheetAction::CANCEL}});
  EXPECT_EQ(Get("GameWidth"), 640u);
  EXPECT_EQ(Get("GameHeight"), 480u);
  EXPECT_EQ(Get("ViewWidth"), 1000u);  // the game limits the view to the display
}

TEST_F(SetupAppTest, Direct3DBuildWritesItsSeventeenValuesInOrder) {
  Fresh({{"Version", 0}});
  RunProgram({{SheetAction::CANCEL}});
  EXPECT_TRUE(Messages().empty());
  const std::vector<std::string> expected = {
      "Version",     "DDDriver",  "3DDevice",              "GameWidth", "GameHeight",    "GameBPP",
      "ViewWidth",   "DIDevice",  "InputDevice",           "FFGainLevel", "SoundDevice", "Filtering",
      "PerspectiveCorrection",    "Shadows",               "RenderQuality", "Lensflare", "Particle", "SetupState"};
  EXPECT_EQ(ValueOrder(), expected);
}

TEST_F(SetupAppTest, AStoredDeviceBeyondTheTableBecomesTheFirst) {
  platform::AddTestJoystick();
  platform::AddTestJoystick({.name = "Wheel"});
  Fresh({{"Version", 1}, {"DIDevice", 7}, {"InputDevice", 1}});
  RunProgram({{SheetAction::OK}});
  EXPECT_EQ(Get("DIDevice"), 0u);
  EXPECT_EQ(Get("InputDevice"), 0u);  // device 0 is the keyboard
}

TEST_F(SetupAppTest, DirectInputFailingEndsTheRunBeforeTheSheet) {
  Fresh({{"Version", 1}});
  platform::FailTestInput(platform::TestInputFailure::CREATE, true);
  RunProgram({{SheetAction::OK}});
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Directinput creation error!", kAbort}));
  EXPECT_FALSE(Get("SetupState").has_value());
}

}  // namespace
}  // namespace setuptest
