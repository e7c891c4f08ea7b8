// The controller at start-up: device choice, control bindings, axis range and
// dead zone, force-feedback effects, and App::InitDevices end to end, on the
// test input backend and on SDL's virtual joystick.
#include "platform/dinput/input_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/input_devices.h"
#include "engine/system.h"
#include "platform/win32/msgbox.h"
#include "tests/engine/program_fixture.h"

namespace {

using kelvtest::DeviceLog;
using platform::InputEffectKind;
using Bindings = std::vector<std::uint32_t>;

class InputTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // Each test chooses its own devices.
    platform::UseTestInput(true);
    // The input globals as a fresh process has them.
    g_InputDeviceCount = 0;
    g_InputDeviceIndex = 0;
    g_InputObjectCount = 0;
    g_ForceEffectInfoCount = 0;
    g_JoystickInput = 0;
    g_ForceFeedback = 0;
  }

  static void SetDword(const char* name, DWORD value) { ASSERT_TRUE(WriteRegistryDword(name, value)); }
  static void SetBindings(const char* const names[6], const Bindings& values) {
    for (std::size_t i = 0; i < values.size(); ++i) SetDword(names[i], values[i]);
  }
  static Bindings CurrentBindings() { return Bindings(g_App.controlBindings, g_App.controlBindings + 6); }

  bool InitDevices() {
    CreateWindow();
    return g_App.InitDevices();
  }

  static constexpr const char* kKeys[6] = {"Accel", "Brake", "Left", "Right", "GearUp", "GearDn"};
  static constexpr const char* kJoy[6] = {"AccelJ", "BrakeJ", "LeftJ", "RightJ", "GearUpJ", "GearDnJ"};
};

// ---- Device choice -------------------------------------------------------------------

TEST_F(InputTest, DeviceChoiceAndFallback) {
  struct Case {
    std::optional<DWORD> diDevice, inputDevice;
    std::uint32_t index;     // g_InputDeviceIndex
    std::uint8_t joystick;   // g_JoystickInput
    std::uint32_t appIndex;  // the App's device index
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, 0, 0, 0},
      {1, 1, 1, 1, 1},
      {2, 1, 2, 1, 2},
      {3, 1, 0, 0, 0},     // DIDevice equal to the device count: missing
      {1000, 1, 0, 0, 0},  // an index into a table that has since shrunk
      {0, 1, 0, 0, 0},     // InputDevice 1 on the keyboard: the keyboard
      {1, 0, 0, 0, 0},     // a keyboard asked for, a joystick found
      {2, std::nullopt, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "DIDevice " << (c.diDevice ? std::to_string(*c.diDevice) : "-")
                                    << ", InputDevice " << (c.inputDevice ? std::to_string(*c.inputDevice) : "-"));
    TearDown();
    SetUp();
    platform::AddTestMouse();
    platform::AddTestJoystick({.name = "Pad"});
    platform::AddTestKeyboard();
    platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SINE}}});
    if (c.diDevice) SetDword("DIDevice", *c.diDevice);
    if (c.inputDevice) SetDword("InputDevice", *c.inputDevice);
    ASSERT_TRUE(InitDevices());
    ASSERT_EQ(g_InputDeviceCount, 3u) << "the mouse is left out";
    EXPECT_STREQ(g_InputDevices[0].productName, "Keyboard");
    EXPECT_STREQ(g_InputDevices[1].productName, "Pad");
    EXPECT_STREQ(g_InputDevices[2].productName, "Wheel");
    EXPECT_EQ(g_InputDeviceIndex, c.index);
    EXPECT_EQ(g_JoystickInput, c.joystick);
    EXPECT_EQ(g_App.inputDeviceIndex, c.appIndex);
    EXPECT_EQ(g_ForceFeedback, c.index == 2 ? 1 : 0);
  }
}

TEST_F(InputTest, AtMostFiveDevicesAreListed) {
  platform::AddTestKeyboard();
  for (int i = 0; i < 6; ++i) platform::AddTestJoystick({.name = "Pad " + std::to_string(i)});
  SetDword("DIDevice", 5);
  SetDword("InputDevice", 1);
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(g_InputDeviceCount, 5u);
  EXPECT_STREQ(g_InputDevices[4].productName, "Pad 3");
  EXPECT_EQ(g_InputDeviceIndex, 0u);
  EXPECT_EQ(g_JoystickInput, 0);
}

// ---- Bindings ---------------------------------------------------------------------------

// A keyboard with eight keys, in code order: Esc 0, Q 1, A 2, S 3, Z 4, X 5,
// Left 6, Right 7. The defaults are A, Z, Left, Right, S, X.
const Bindings kKeyboardDefaults = {2, 4, 6, 7, 3, 5};

TEST_F(InputTest, KeyboardBindingsAreCheckedAsAWhole) {
  struct Case {
    const char* what;
    Bindings stored;  // fewer than six: the rest are missing
    Bindings expected;
  };
  const Case cases[] = {
      {"six different keys", {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}},
      {"no values", {}, kKeyboardDefaults},
      {"gear down missing", {0, 1, 2, 3, 4}, kKeyboardDefaults},
      {"one key twice", {0, 1, 2, 3, 4, 4}, kKeyboardDefaults},
      {"an index equal to the object count", {0, 1, 2, 3, 4, 8}, kKeyboardDefaults},
      {"an index of 300", {300, 1, 2, 3, 4, 5}, kKeyboardDefaults},
      {"the largest index", {0, 1, 2, 3, 4, 0xFFFFFFFFu}, kKeyboardDefaults},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    platform::AddTestKeyboard({.keys = {DIK_RIGHT, DIK_ESCAPE, DIK_Q, DIK_A, DIK_S, DIK_Z, DIK_X, DIK_LEFT}});
    SetBindings(kKeys, c.stored);
    ASSERT_TRUE(InitDevices());
    ASSERT_EQ(g_InputObjectCount, 8u);
    EXPECT_EQ(CurrentBindings(), c.expected);
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(g_BoundControls[i].kind, INPUT_OBJECT_KEY);
      EXPECT_EQ(g_BoundControls[i].offset, g_InputObjects[c.expected[i]].offset);
    }
  }
}

TEST_F(InputTest, DefaultKeysTheKeyboardLacksAreTheFirstObject) {
  platform::AddTestKeyboard({.keys = {DIK_ESCAPE, DIK_A, DIK_LEFT}});
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(CurrentBindings(), (Bindings{1, 0, 2, 0, 0, 0}));
}

// A joystick with objects X 0, Y 1, buttons 2..5 and a hat 6. The defaults:
// Y, Y, X, X, the first button and the second.
const Bindings kJoystickDefaults = {1, 1, 0, 0, 2, 3};

TEST_F(InputTest, JoystickBindingsPairAxesButNotButtons) {
  struct Case {
    const char* what;
    Bindings stored;
    Bindings expected;
  };
  const Case cases[] = {
      {"Y, Y, X, X, button 1, button 2", {1, 1, 0, 0, 2, 3}, {1, 1, 0, 0, 2, 3}},
      {"one axis per action pair, swapped", {0, 0, 1, 1, 4, 5}, {0, 0, 1, 1, 4, 5}},
      {"the hat serves a pair", {6, 6, 0, 0, 4, 5}, {6, 6, 0, 0, 4, 5}},
      {"every action its own object", {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}},
      {"one button for both gears", {1, 1, 0, 0, 4, 4}, kJoystickDefaults},
      {"one button for accelerate and gear up", {4, 1, 0, 0, 4, 5}, kJoystickDefaults},
      {"one axis in two pairs", {0, 0, 0, 0, 4, 5}, kJoystickDefaults},
      {"the hat in two pairs", {6, 1, 0, 6, 4, 5}, kJoystickDefaults},
      {"an index equal to the object count", {1, 1, 0, 0, 4, 7}, kJoystickDefaults},
      {"brake missing", {1}, kJoystickDefaults},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    platform::AddTestKeyboard();
    platform::AddTestJoystick({.name = "Stick", .axes = 2, .buttons = 4, .hats = 1});
    SetDword("DIDevice", 1);
    SetDword("InputDevice", 1);
    SetBindings(kJoy, c.stored);
    SetBindings(kKeys, {0, 0, 0, 0, 0, 0});  // the other kind's values are not read
    ASSERT_TRUE(InitDevices());
    ASSERT_EQ(g_JoystickInput, 1);
    ASSERT_EQ(g_InputObjectCount, 7u);
    EXPECT_EQ(CurrentBindings(), c.expected);
  }
}

TEST_F(InputTest, JoystickDefaultsWithoutTheirObjects) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Stick", .axes = 1, .buttons = 1});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  ASSERT_TRUE(InitDevices());
  // No Y axis and no second button: object 0 in their place.
  EXPECT_EQ(CurrentBindings(), (Bindings{0, 0, 0, 0, 1, 0}));
}

TEST_F(InputTest, BoundAxesGetTheRangeAndDeadZone) {
  platform::AddTestKeyboard();
  platform::TestInputDevice stick = platform::AddTestJoystick({.name = "Stick", .axes = 3, .buttons = 2});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  ASSERT_TRUE(InitDevices());
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
  ASSERT_EQ(g_BoundControls[CONTROL_ACCELERATE].kind, INPUT_OBJECT_AXIS);
  EXPECT_EQ(g_BoundControls[CONTROL_ACCELERATE].offset, DIJOFS_Y);
  EXPECT_EQ(g_BoundControls[CONTROL_LEFT].offset, DIJOFS_X);
  EXPECT_EQ(g_BoundControls[CONTROL_GEAR_UP].kind, INPUT_OBJECT_BUTTON);
  EXPECT_EQ(g_BoundControls[CONTROL_GEAR_DOWN].offset, DIJOFS_BUTTON(1));

  platform::SetTestAxis(stick, 0, 32767);
  platform::SetTestAxis(stick, 1, -6553);  // inside the dead zone
  platform::SetTestAxis(stick, 2, 32767);
  DIJOYSTATE state;
  ASSERT_EQ(g_InputDevice->Poll(), DI_OK);
  ASSERT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 10000);
  EXPECT_EQ(state.lY, 0);
  EXPECT_EQ(state.lZ, 65535) << "an unbound axis keeps its range";
}

TEST_F(InputTest, RangeAndDeadZoneFailuresAreReportedAndStartUpGoesOn) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Stick"});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  platform::FailTestInput(platform::TestInputFailure::SET_RANGE, true);
  platform::FailTestInput(platform::TestInputFailure::SET_DEADZONE, true);
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(g_AppReady, 1);
  // Four bound axis entries (Y twice, X twice), each with both messages.
  std::vector<std::string> expected;
  for (int i = 0; i < 4; ++i) {
    expected.push_back("Error: Unable to set joystick range.");
    expected.push_back("Error: Unable to set joystick deadzone.");
  }
  EXPECT_EQ(Boxes(), expected);
}

// ---- Force feedback ------------------------------------------------------------------------

TEST_F(InputTest, EffectGainsFollowTheLevel) {
  struct Case {
    std::optional<DWORD> level;
    int row;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {7, 1}, {std::nullopt, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level ? std::to_string(*c.level) : "missing");
    TearDown();
    SetUp();
    platform::AddTestKeyboard();
    platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SQUARE}}});
    SetDword("DIDevice", 1);
    SetDword("InputDevice", 1);
    if (c.level) SetDword("FFGainLevel", *c.level);
    ASSERT_TRUE(InitDevices());
    const auto& made = platform::RecordedEffectCreations();
    ASSERT_EQ(made.size(), 6u);
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(made[i].params.gain, g_ForceEffectGains[c.row][i]) << i;
      EXPECT_EQ(made[i].result, DI_OK);
      EXPECT_NE(g_ForceEffects[i], nullptr);
    }
    for (int i = 6; i < 10; ++i) EXPECT_EQ(g_ForceEffects[i], nullptr);
  }
  EXPECT_EQ(g_ForceEffectGains[0][5], 5000u);
  EXPECT_EQ(g_ForceEffectGains[1][2], 4690u);
  EXPECT_EQ(g_ForceEffectGains[2][5], 10000u);
}

TEST_F(InputTest, EffectChoice) {
  using K = InputEffectKind;
  struct Case {
    const char* what;
    std::vector<platform::InputEffectSupport> effects;
    GUID chosen;
    bool made;
  };
  const Case cases[] = {
      {"the square wave first",
       {{K::SINE}, {K::TRIANGLE, false}, {K::SQUARE}, {K::SAWTOOTH_UP, false}},
       GUID_Square,
       true},
      {"no square: the last plain periodic effect",
       {{K::SINE, false}, {K::TRIANGLE}, {K::SAWTOOTH_UP, false}, {K::SAWTOOTH_DOWN}, {K::CONSTANT}},
       GUID_SawtoothUp,
       true},
      {"no square, no plain periodic effect: the first effect",
       {{K::CONSTANT}, {K::SINE}, {K::RAMP}},
       GUID_ConstantForce,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    platform::AddTestKeyboard();
    platform::AddTestJoystick({.name = "Wheel", .effects = c.effects});
    SetDword("DIDevice", 1);
    SetDword("InputDevice", 1);
    ASSERT_TRUE(InitDevices());
    EXPECT_EQ(g_ForceFeedback, 1);
    EXPECT_EQ(g_ForceEffectInfoCount, c.effects.size());
    const auto& made = platform::RecordedEffectCreations();
    ASSERT_EQ(made.size(), 6u);
    for (int i = 0; i < 6; ++i) {
      EXPECT_TRUE(IsEqualGUID(made[i].effect, c.chosen)) << i;
      EXPECT_EQ(g_ForceEffects[i] != nullptr, c.made) << i;
    }
  }
}

TEST_F(InputTest, EffectParametersFieldByField) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SQUARE}}});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  SetDword("FFGainLevel", 2);
  ASSERT_TRUE(InitDevices());
  const auto& made = platform::RecordedEffectCreations();
  ASSERT_EQ(made.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const platform::EffectParams& p = made[i].params;
    EXPECT_EQ(p.flags, DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS);
    EXPECT_EQ(p.duration, 150000u);
    EXPECT_EQ(p.samplePeriod, 0u);
    EXPECT_EQ(p.gain, g_ForceEffectGains[2][i]);
    EXPECT_EQ(p.triggerButton, DIEB_NOTRIGGER);
    EXPECT_EQ(p.triggerRepeatInterval, 0u);
    EXPECT_EQ(p.axes, (std::vector<DWORD>{DIJOFS_X, DIJOFS_Y}));
    EXPECT_EQ(p.directions, (std::vector<LONG>{0, -1}));
    ASSERT_TRUE(p.envelope.has_value());
    EXPECT_EQ(p.envelope->dwSize, sizeof(DIENVELOPE));
    EXPECT_EQ(p.envelope->dwAttackLevel, 10000u);
    EXPECT_EQ(p.envelope->dwAttackTime, 0u);
    EXPECT_EQ(p.envelope->dwFadeLevel, 10000u);
    EXPECT_EQ(p.envelope->dwFadeTime, 0u);
    EXPECT_EQ(p.typeSpecificSize, sizeof(DIPERIODIC));
    ASSERT_TRUE(p.periodic.has_value());
    EXPECT_EQ(p.periodic->dwMagnitude, 10000u);
    EXPECT_EQ(p.periodic->lOffset, 0);
    EXPECT_EQ(p.periodic->dwPhase, 18000u);
    EXPECT_EQ(p.periodic->dwPeriod, 150000u);
  }
}

TEST_F(InputTest, NoEffectsWithoutForceFeedback) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Stick"});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  SetDword("FFGainLevel", 2);
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(g_ForceFeedback, 0);
  EXPECT_EQ(g_ForceEffectInfoCount, 0u);
  EXPECT_TRUE(platform::RecordedEffectCreations().empty());
  for (IDirectInputEffect* e : g_ForceEffects) EXPECT_EQ(e, nullptr);
}

TEST_F(InputTest, FailedEffectsLeaveEmptySlotsAndStartUpGoesOn) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SQUARE}}});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  platform::FailTestInput(platform::TestInputFailure::CREATE_EFFECT, true);
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(g_ForceFeedback, 1);
  EXPECT_EQ(platform::RecordedEffectCreations().size(), 6u);
  for (IDirectInputEffect* e : g_ForceEffects) EXPECT_EQ(e, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

// ---- Start-up end to end ---------------------------------------------------------------------

TEST_F(InputTest, InitDevicesInItsOrder) {
  platform::AddTestKeyboard();
  platform::TestInputDevice wheel =
      platform::AddTestJoystick({.name = "Wheel", .axes = 2, .buttons = 2, .effects = {{InputEffectKind::SQUARE}}});
  platform::AddTestMouse();
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  CreateWindow();
  DeviceLog().clear();
  ASSERT_TRUE(g_App.InitDevices());
  EXPECT_EQ(DeviceLog(),
            (std::vector<std::string>{"Renderer::Open 640x480", "Cursor::SetDirectInput DirectInput", "Cursor::Create",
                                      "Cursor::SetAcquired 1", "Renderer::AssignTextureSizeClasses 1"}));
  EXPECT_EQ(g_AppReady, 1);
  ASSERT_NE(g_DirectInput, nullptr);
  ASSERT_NE(g_InputDevice, nullptr);
  // Acquired, exclusively: its effects play.
  DIJOYSTATE state;
  EXPECT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DI_OK);
  platform::ClearInputRecords();
  EXPECT_EQ(g_ForceEffects[5]->Start(1, 0), DI_OK);
  ASSERT_FALSE(platform::RecordedHapticCalls().empty());
  EXPECT_EQ(platform::RecordedHapticCalls().back().kind, platform::HapticCallKind::RUN);
  EXPECT_EQ(platform::RecordedHapticCalls().back().device, wheel);

  // The exit handler lets everything go.
  Exit();
  EXPECT_EQ(g_InputDevice, nullptr);
  EXPECT_EQ(g_DirectInput, nullptr);
  for (IDirectInputEffect* e : g_ForceEffects) EXPECT_EQ(e, nullptr);
}

TEST_F(InputTest, ACursorFailureDoesNotStopStartUp) {
  platform::AddTestKeyboard();
  kelvtest::Devices().cursorCreateFails = true;
  ASSERT_TRUE(InitDevices());
  EXPECT_TRUE(kelvtest::LogEntries("Cursor::SetAcquired").empty());
  EXPECT_EQ(g_AppReady, 1);
}

TEST_F(InputTest, SilentStartUpFailures) {
  const platform::TestInputFailure failures[] = {
      platform::TestInputFailure::CREATE,        platform::TestInputFailure::ENUM_DEVICES,
      platform::TestInputFailure::CREATE_DEVICE, platform::TestInputFailure::QUERY_DEVICE2,
      platform::TestInputFailure::ENUM_OBJECTS,  platform::TestInputFailure::ACQUIRE,
  };
  for (platform::TestInputFailure failure : failures) {
    SCOPED_TRACE(static_cast<int>(failure));
    TearDown();
    SetUp();
    platform::AddTestKeyboard();
    platform::FailTestInput(failure, true);
    EXPECT_FALSE(InitDevices());
    EXPECT_EQ(g_AppReady, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(kelvtest::LogEntries("Cursor::").empty());
  }
}

TEST_F(InputTest, NoDeviceAtAllEndsStartUp) {
  WriteGame();
  // Registry values from an earlier set-up point at devices that are gone.
  SetDword("DIDevice", 2);
  SetDword("InputDevice", 1);
  SetBindings(kJoy, {1, 1, 0, 0, 2, 3});
  EXPECT_EQ(RunWinMain(), EXIT_STARTUP_FAILED);
  EXPECT_EQ(g_AppReady, 0);
  EXPECT_EQ(g_InputDeviceCount, 0u);
}

TEST_F(InputTest, AJoystickUnpluggedDuringTheGame) {
  platform::AddTestKeyboard();
  platform::TestInputDevice wheel = platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SINE}}});
  SetDword("DIDevice", 1);
  SetDword("InputDevice", 1);
  ASSERT_TRUE(InitDevices());
  platform::UnplugTestDevice(wheel);
  DIJOYSTATE state;
  EXPECT_EQ(g_InputDevice->Poll(), DIERR_INPUTLOST);
  EXPECT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  EXPECT_EQ(g_InputDevice->Acquire(), DIERR_INPUTLOST);
  EXPECT_EQ(g_ForceEffects[0]->Start(1, 0), DIERR_INPUTLOST);

  // Back again: the same device, its effects downloaded afresh.
  platform::PlugTestDevice(wheel);
  platform::SetTestButton(wheel, 1, true);
  EXPECT_EQ(g_InputDevice->Acquire(), DI_OK);
  ASSERT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
  platform::ClearInputRecords();
  EXPECT_EQ(g_ForceEffects[0]->Start(1, 0), DI_OK);
  ASSERT_EQ(platform::RecordedHapticCalls().size(), 2u);
  EXPECT_EQ(platform::RecordedHapticCalls()[0].kind, platform::HapticCallKind::UPLOAD);
}

TEST_F(InputTest, SdlVirtualJoystickEndToEnd) {
  platform::UseTestInput(false);
  const int pad = platform::AttachSdlVirtualJoystick("Kelvarro Test Pad", 2, 4, 1);
  ASSERT_GE(pad, 0);
  // Its index in the games' table (real joysticks may come first).
  {
    IDirectInputA* di = nullptr;
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di, nullptr), DI_OK);
    std::vector<std::string> names;
    di->EnumDevices(
        0,
        [](const DIDEVICEINSTANCEA* d, void* ref) -> BOOL {
          if (GET_DIDEVICE_TYPE(d->dwDevType) != DIDEVTYPE_MOUSE) {
            static_cast<std::vector<std::string>*>(ref)->push_back(d->tszProductName);
          }
          return DIENUM_CONTINUE;
        },
        &names, DIEDFL_ATTACHEDONLY);
    di->Release();
    auto it = std::find(names.begin(), names.end(), "Kelvarro Test Pad");
    ASSERT_NE(it, names.end());
    ASSERT_LT(it - names.begin(), 5);
    SetDword("DIDevice", static_cast<DWORD>(it - names.begin()));
  }
  SetDword("InputDevice", 1);
  ASSERT_TRUE(InitDevices());
  EXPECT_EQ(g_JoystickInput, 1);
  EXPECT_STREQ(g_InputDevices[g_InputDeviceIndex].productName, "Kelvarro Test Pad");
  EXPECT_EQ(g_BoundControls[CONTROL_BRAKE].offset, DIJOFS_Y);
  EXPECT_EQ(g_BoundControls[CONTROL_RIGHT].offset, DIJOFS_X);
  EXPECT_EQ(g_BoundControls[CONTROL_GEAR_DOWN].offset, DIJOFS_BUTTON(1));

  platform::SetSdlVirtualAxis(pad, 0, 32767);
  platform::SetSdlVirtualAxis(pad, 1, -32768);
  platform::SetSdlVirtualButton(pad, 1, true);
  DIJOYSTATE state;
  ASSERT_EQ(g_InputDevice->Poll(), DI_OK);
  ASSERT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 10000);
  EXPECT_EQ(state.lY, -10000);
  EXPECT_EQ(state.rgbButtons[1], 0x80);

  platform::DetachSdlVirtualJoystick(pad);
  EXPECT_EQ(g_InputDevice->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  EXPECT_EQ(g_InputDevice->Acquire(), DIERR_INPUTLOST);
  Exit();
}

}  // namespace
