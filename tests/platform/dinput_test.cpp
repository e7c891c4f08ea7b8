#include "platform/dinput/dinput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/dinput/backend.h"
#include "platform/dinput/input_test.h"
#include "platform/win32/window.h"

namespace {

using platform::InputEffectKind;

// Releases a DirectInput object at the end of the scope.
template <class T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  explicit Ref(T* q) : p(q) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset() {
    if (p != nullptr) p->Release();
    p = nullptr;
  }
  T* operator->() const { return p; }
  T** out() {
    reset();
    return &p;
  }
};

std::string Name(const GUID& g) {
  char s[64];
  std::snprintf(s, sizeof s, "%08X-%04X-%04X", g.Data1, g.Data2, g.Data3);
  return s;
}

struct Enumerated {
  std::string name;
  GUID instance;
  DWORD type;
};

std::vector<Enumerated> Enumerate(IDirectInputA* di, DWORD type = 0, DWORD flags = DIEDFL_ATTACHEDONLY) {
  std::vector<Enumerated> out;
  EXPECT_EQ(
      di->EnumDevices(
          type,
          [](const DIDEVICEINSTANCEA* d, void* ref) -> BOOL {
            static_cast<std::vector<Enumerated>*>(ref)->push_back({d->tszProductName, d->guidInstance, d->dwDevType});
            return DIENUM_CONTINUE;
          },
          &out, flags),
      DI_OK);
  return out;
}

struct ObjectRow {
  std::string type;
  DWORD offset;
  std::string name;
  bool operator==(const ObjectRow&) const = default;
};

std::string TypeName(const GUID& g) {
  const std::pair<const GUID*, const char*> names[] = {
      {&GUID_XAxis, "X"},   {&GUID_YAxis, "Y"},   {&GUID_ZAxis, "Z"},       {&GUID_RxAxis, "Rx"},
      {&GUID_RyAxis, "Ry"}, {&GUID_RzAxis, "Rz"}, {&GUID_Slider, "Slider"}, {&GUID_Button, "Button"},
      {&GUID_POV, "POV"},   {&GUID_Key, "Key"}};
  for (auto [guid, name] : names) {
    if (IsEqualGUID(*guid, g)) return name;
  }
  return "?";
}

std::vector<ObjectRow> Objects(IDirectInputDeviceA* device, DWORD flags = DIDFT_ALL) {
  std::vector<ObjectRow> out;
  EXPECT_EQ(device->EnumObjects(
                [](const DIDEVICEOBJECTINSTANCEA* o, void* ref) -> BOOL {
                  static_cast<std::vector<ObjectRow>*>(ref)->push_back({TypeName(o->guidType), o->dwOfs, o->tszName});
                  return DIENUM_CONTINUE;
                },
                &out, flags),
            DI_OK);
  return out;
}

class DInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseTestInput(true);
    ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, di_.out(), nullptr), DI_OK);
  }
  void TearDown() override {
    di_.reset();
    platform::UseTestInput(false);
  }

  // The device of the n-th enumerated record, as IDirectInputDevice2.
  IDirectInputDevice2A* Open(const GUID& instance) {
    Ref<IDirectInputDeviceA> first;
    EXPECT_EQ(di_->CreateDevice(instance, first.out(), nullptr), DI_OK);
    if (first.p == nullptr) return nullptr;
    void* second = nullptr;
    EXPECT_EQ(first->QueryInterface(IID_IDirectInputDevice2A, &second), DI_OK);
    return static_cast<IDirectInputDevice2A*>(second);
  }
  GUID InstanceOf(const std::string& name) {
    for (const Enumerated& e : Enumerate(di_.p)) {
      if (e.name == name) return e.instance;
    }
    ADD_FAILURE() << "no device " << name;
    return GUID_NULL;
  }
  // Data format, background cooperation (no window needed) and acquisition.
  void Ready(IDirectInputDevice2A* device, const DIDATAFORMAT& format) {
    ASSERT_EQ(device->SetDataFormat(&format), DI_OK);
    ASSERT_EQ(device->Acquire(), DI_OK);
  }

  Ref<IDirectInputA> di_;
};

TEST_F(DInputTest, EnumeratesKeyboardsThenJoysticksThenMice) {
  platform::AddTestMouse();
  platform::AddTestJoystick({.name = "Wheel", .effects = {{InputEffectKind::SINE}}});
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Pad"});

  std::vector<Enumerated> all = Enumerate(di_.p);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].name, "Keyboard");
  EXPECT_EQ(all[1].name, "Wheel");
  EXPECT_EQ(all[2].name, "Pad");
  EXPECT_EQ(all[3].name, "Mouse");
  EXPECT_EQ(GET_DIDEVICE_TYPE(all[0].type), DIDEVTYPE_KEYBOARD);
  EXPECT_EQ(GET_DIDEVICE_TYPE(all[1].type), DIDEVTYPE_JOYSTICK);
  EXPECT_EQ(GET_DIDEVICE_TYPE(all[3].type), DIDEVTYPE_MOUSE);
  EXPECT_TRUE(IsEqualGUID(all[0].instance, GUID_SysKeyboard));
  EXPECT_TRUE(IsEqualGUID(all[3].instance, GUID_SysMouse));

  std::vector<Enumerated> joysticks = Enumerate(di_.p, DIDEVTYPE_JOYSTICK);
  ASSERT_EQ(joysticks.size(), 2u);
  std::vector<Enumerated> ff = Enumerate(di_.p, 0, DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK);
  ASSERT_EQ(ff.size(), 1u);
  EXPECT_EQ(ff[0].name, "Wheel");

  int calls = 0;
  EXPECT_EQ(di_->EnumDevices(
                0, [](const DIDEVICEINSTANCEA*, void* ref) -> BOOL { return ++*static_cast<int*>(ref) < 2; }, &calls,
                DIEDFL_ATTACHEDONLY),
            DI_OK);
  EXPECT_EQ(calls, 2);
}

TEST_F(DInputTest, InstanceGuidsStayWithTheDevice) {
  platform::TestInputDevice first = platform::AddTestJoystick({.name = "Pad"});
  platform::AddTestJoystick({.name = "Pad"});
  platform::AddTestJoystick({.name = "Stick"});
  std::vector<Enumerated> before = Enumerate(di_.p);
  ASSERT_EQ(before.size(), 3u);
  std::set<std::string> distinct;
  for (const Enumerated& e : before) distinct.insert(Name(e.instance));
  EXPECT_EQ(distinct.size(), 3u) << "two pads of one model must differ";

  // A new DirectInput, and the first pad unplugged and back: the same GUIDs.
  Ref<IDirectInputA> again;
  ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, again.out(), nullptr), DI_OK);
  platform::UnplugTestDevice(first);
  std::vector<Enumerated> without = Enumerate(again.p);
  ASSERT_EQ(without.size(), 2u);
  EXPECT_TRUE(IsEqualGUID(without[0].instance, before[1].instance));
  platform::PlugTestDevice(first);
  std::vector<Enumerated> after = Enumerate(again.p);
  ASSERT_EQ(after.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsEqualGUID(after[i].instance, before[i].instance)) << i;
}

TEST_F(DInputTest, KeyboardObjectsAreEveryKeyInCodeOrder) {
  platform::AddTestKeyboard();
  Ref<IDirectInputDevice2A> keyboard(Open(GUID_SysKeyboard));
  std::vector<ObjectRow> keys = Objects(keyboard.p);
  ASSERT_GT(keys.size(), 100u);
  std::set<std::string> names;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].type, "Key");
    if (i > 0) EXPECT_LT(keys[i - 1].offset, keys[i].offset);
    names.insert(keys[i].name);
  }
  EXPECT_EQ(names.size(), keys.size()) << "names must be unique";
  // The keys of the default bindings, by their codes.
  for (DWORD code : {DIK_A, DIK_Z, DIK_LEFT, DIK_RIGHT, DIK_S, DIK_X}) {
    EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const ObjectRow& r) { return r.offset == code; })) << code;
  }
  EXPECT_EQ(keys.front(), (ObjectRow{"Key", DIK_ESCAPE, "Esc"}));
}

TEST_F(DInputTest, JoystickObjectsAreAxesButtonsThenHats) {
  platform::AddTestJoystick(
      {.name = "Stick", .axes = 8, .buttons = 2, .hats = 2, .effects = {{InputEffectKind::SINE}}});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  std::vector<ObjectRow> expected = {
      {"X", 0, "X Axis"},         {"Y", 4, "Y Axis"},         {"Z", 8, "Z Axis"},          {"Rx", 12, "X Rotation"},
      {"Ry", 16, "Y Rotation"},   {"Rz", 20, "Z Rotation"},   {"Slider", 24, "Slider 1"},  {"Slider", 28, "Slider 2"},
      {"Button", 48, "Button 1"}, {"Button", 49, "Button 2"}, {"POV", 32, "Hat Switch 1"}, {"POV", 36, "Hat Switch 2"},
  };
  EXPECT_EQ(Objects(stick.p), expected);
  EXPECT_EQ(Objects(stick.p, DIDFT_BUTTON).size(), 2u);
  EXPECT_EQ(Objects(stick.p, DIDFT_AXIS).size(), 8u);
  std::vector<ObjectRow> actuators = Objects(stick.p, DIDFT_AXIS | DIDFT_FFACTUATOR);
  ASSERT_EQ(actuators.size(), 2u);
  EXPECT_EQ(actuators[1].offset, DIJOFS_Y);

  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(stick->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwAxes, 8u);
  EXPECT_EQ(caps.dwButtons, 2u);
  EXPECT_EQ(caps.dwPOVs, 2u);
  EXPECT_TRUE(caps.dwFlags & DIDC_ATTACHED);
  EXPECT_TRUE(caps.dwFlags & DIDC_FORCEFEEDBACK);
}

TEST_F(DInputTest, KeyboardStateByKeyCode) {
  platform::TestInputDevice k = platform::AddTestKeyboard();
  Ref<IDirectInputDevice2A> keyboard(Open(GUID_SysKeyboard));
  BYTE keys[256];
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIJoystick), DIERR_INVALIDPARAM);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
  EXPECT_EQ(keyboard->GetDeviceState(100, keys), DIERR_INVALIDPARAM);

  platform::SetTestKey(k, DIK_LEFT, true);
  platform::SetTestKey(k, DIK_A, true);
  ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(keys[i], (i == DIK_LEFT || i == DIK_A) ? 0x80 : 0) << i;
  }
}

TEST_F(DInputTest, JoystickAxesFollowTheirRangeAndDeadZone) {
  platform::TestInputDevice j = platform::AddTestJoystick({.name = "Stick", .axes = 3});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  Ready(stick.p, c_dfDIJoystick);
  // X: the game's range and dead zone; Y: range only; Z untouched.
  for (DWORD offset : {DIJOFS_X, DIJOFS_Y}) {
    DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, -10000, 10000};
    ASSERT_EQ(stick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  }
  DIPROPDWORD deadzone{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 2000};
  ASSERT_EQ(stick->SetProperty(DIPROP_DEADZONE, &deadzone.diph), DI_OK);

  struct Case {
    int raw;
    LONG x, y, z;
  };
  const Case cases[] = {
      {0, 0, 0, 32767},
      {32767, 10000, 10000, 65535},
      {-32768, -10000, -10000, 0},
      {6553, 0, 1999, 39320},  // inside the dead zone on X
      {-6553, 0, -1999, 26214},
      {19661, 5000, 6000, 52428},  // half way between the dead zone and the end
      {-19661, -5000, -6000, 13106},
  };
  for (const Case& c : cases) {
    for (int axis = 0; axis < 3; ++axis) platform::SetTestAxis(j, axis, c.raw);
    DIJOYSTATE state;
    ASSERT_EQ(stick->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, c.x) << c.raw;
    EXPECT_EQ(state.lY, c.y) << c.raw;
    EXPECT_EQ(state.lZ, c.z) << c.raw;
    EXPECT_EQ(state.lRx, 0);
  }

  DIPROPRANGE read{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_Z, DIPH_BYOFFSET}, 0, 0};
  ASSERT_EQ(stick->GetProperty(DIPROP_RANGE, &read.diph), DI_OK);
  EXPECT_EQ(read.lMin, 0);
  EXPECT_EQ(read.lMax, 65535);
}

TEST_F(DInputTest, PropertyErrors) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Stick", .axes = 2, .buttons = 1});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  Ref<IDirectInputDevice2A> keyboard(Open(GUID_SysKeyboard));
  auto range = [](DWORD offset, LONG lo, LONG hi) {
    return DIPROPRANGE{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, lo, hi};
  };
  DIPROPRANGE r = range(DIJOFS_X, 10, 10);
  EXPECT_EQ(stick->SetProperty(DIPROP_RANGE, &r.diph), DIERR_INVALIDPARAM);
  r = range(DIJOFS_Z, -1, 1);  // no Z axis
  EXPECT_EQ(stick->SetProperty(DIPROP_RANGE, &r.diph), DIERR_OBJECTNOTFOUND);
  r = range(DIJOFS_BUTTON(0), -1, 1);
  EXPECT_EQ(stick->SetProperty(DIPROP_RANGE, &r.diph), DIERR_UNSUPPORTED);
  r = range(DIK_A, -1, 1);
  EXPECT_EQ(keyboard->SetProperty(DIPROP_RANGE, &r.diph), DIERR_UNSUPPORTED);
  DIPROPDWORD dz{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 10001};
  EXPECT_EQ(stick->SetProperty(DIPROP_DEADZONE, &dz.diph), DIERR_INVALIDPARAM);
}

TEST_F(DInputTest, JoystickHatsAndButtons) {
  platform::TestInputDevice j = platform::AddTestJoystick({.name = "Stick", .axes = 0, .buttons = 3, .hats = 1});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  Ready(stick.p, c_dfDIJoystick);
  using namespace platform;
  const std::pair<BYTE, DWORD> hats[] = {
      {TEST_HAT_CENTRED, 0xFFFFFFFFu},
      {TEST_HAT_UP, 0},
      {TEST_HAT_UP | TEST_HAT_RIGHT, 4500},
      {TEST_HAT_RIGHT, 9000},
      {TEST_HAT_DOWN, 18000},
      {TEST_HAT_DOWN | TEST_HAT_LEFT, 22500},
      {TEST_HAT_LEFT, 27000},
      {TEST_HAT_UP | TEST_HAT_LEFT, 31500},
  };
  platform::SetTestButton(j, 2, true);
  for (auto [position, pov] : hats) {
    platform::SetTestHat(j, 0, position);
    DIJOYSTATE state;
    ASSERT_EQ(stick->Poll(), DI_OK);
    ASSERT_EQ(stick->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.rgdwPOV[0], pov);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu) << "a hat the device lacks reads centred";
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[2], 0x80);
  }
}

TEST_F(DInputTest, MouseMotionIsRelativeToTheLastRead) {
  platform::TestInputDevice m = platform::AddTestMouse();
  Ref<IDirectInputDevice2A> mouse(Open(GUID_SysMouse));
  platform::MoveTestMouse(m, 50, 50);  // before acquisition: not reported
  Ready(mouse.p, c_dfDIMouse);
  platform::MoveTestMouse(m, 3, -4);
  platform::MoveTestMouse(m, 2, 1, 120);
  platform::SetTestMouseButton(m, 1, true);
  DIMOUSESTATE state;
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 5);
  EXPECT_EQ(state.lY, -3);
  EXPECT_EQ(state.lZ, 120);
  EXPECT_EQ(state.rgbButtons[0], 0);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lY, 0);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
}

TEST_F(DInputTest, CooperativeLevels) {
  platform::AddTestKeyboard();
  Ref<IDirectInputDevice2A> keyboard(Open(GUID_SysKeyboard));
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM)
      << "the foreground needs a window";
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
}

// Devices tied to a window: the test windowing backend delivers focus changes.
class DInputWindowTest : public DInputTest {
 protected:
  void SetUp() override {
    platform::UseTestWindowing(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QDVCLASS";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = CreateWindowExA(0, "QDVCLASS", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    DInputTest::SetUp();
  }
  void TearDown() override {
    DInputTest::TearDown();
    platform::UseTestWindowing(false);
  }
  void Focus(bool gained) {
    platform::InjectFocus(window_, gained);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  HWND window_ = nullptr;
};

TEST_F(DInputWindowTest, ForegroundDevicesLoseTheirInputWithTheFocus) {
  platform::AddTestKeyboard();
  platform::AddTestJoystick({.name = "Stick"});
  platform::TestInputDevice m = platform::AddTestMouse();
  Ref<IDirectInputDevice2A> keyboard(Open(GUID_SysKeyboard));
  Ref<IDirectInputDevice2A> mouse(Open(GUID_SysMouse));
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  ASSERT_EQ(keyboard->SetCooperativeLevel(window_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(mouse->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(stick->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);
  Ready(keyboard.p, c_dfDIKeyboard);
  Ready(mouse.p, c_dfDIMouse);
  Ready(stick.p, c_dfDIJoystick);
  EXPECT_TRUE(platform::TestMouseCaptured());

  Focus(false);
  BYTE keys[256];
  DIMOUSESTATE ms;
  DIJOYSTATE js;
  for (int read = 0; read < 2; ++read) {
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(mouse->GetDeviceState(sizeof ms, &ms), DIERR_INPUTLOST);
  }
  EXPECT_FALSE(platform::TestMouseCaptured());
  EXPECT_EQ(stick->GetDeviceState(sizeof js, &js), DI_OK) << "a background joystick keeps its input";
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

  Focus(true);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  platform::MoveTestMouse(m, 7, 0);  // while lost: dropped at acquisition
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_TRUE(platform::TestMouseCaptured());
  ASSERT_EQ(mouse->GetDeviceState(sizeof ms, &ms), DI_OK);
  EXPECT_EQ(ms.lX, 0);
}

TEST_F(DInputTest, UnpluggedJoystickReportsInputLostUntilItComesBack) {
  platform::TestInputDevice j = platform::AddTestJoystick({.name = "Stick"});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  Ready(stick.p, c_dfDIJoystick);
  platform::UnplugTestDevice(j);
  DIJOYSTATE state;
  EXPECT_EQ(stick->Poll(), DIERR_INPUTLOST);
  EXPECT_EQ(stick->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  EXPECT_EQ(stick->Acquire(), DIERR_INPUTLOST);
  EXPECT_EQ(stick->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(stick->GetCapabilities(&caps), DI_OK);
  EXPECT_FALSE(caps.dwFlags & DIDC_ATTACHED);

  platform::PlugTestDevice(j);
  platform::SetTestButton(j, 0, true);
  EXPECT_EQ(stick->Acquire(), DI_OK);
  ASSERT_EQ(stick->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.rgbButtons[0], 0x80);
}

TEST_F(DInputTest, CreationAndDeviceErrors) {
  Ref<IDirectInputA> other;
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0700, other.out(), nullptr), DIERR_BETADIRECTINPUTVERSION);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0200, other.out(), nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(other.p, nullptr);
  Ref<IDirectInputDeviceA> device;
  EXPECT_EQ(di_->CreateDevice(GUID_SysKeyboard, device.out(), nullptr), DIERR_DEVICENOTREG) << "no keyboard at all";
  EXPECT_EQ(device.p, nullptr);
  EXPECT_TRUE(Enumerate(di_.p).empty());
  EXPECT_EQ(di_->RunControlPanel(nullptr, 0), DI_OK);
}

// ---- Force feedback ------------------------------------------------------------

struct EffectInfo {
  std::string name;
  DWORD type;
};

std::vector<EffectInfo> Effects(IDirectInputDevice2A* device) {
  std::vector<EffectInfo> out;
  EXPECT_EQ(device->EnumEffects(
                [](const DIEFFECTINFOA* e, void* ref) -> BOOL {
                  static_cast<std::vector<EffectInfo>*>(ref)->push_back({e->tszName, e->dwEffType});
                  return DIENUM_CONTINUE;
                },
                &out, DIEFT_ALL),
            DI_OK);
  return out;
}

// The jolt the game plays: a 0.15 s periodic effect on X and Y.
struct Jolt {
  DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
  LONG direction[2] = {0, -1};
  DIENVELOPE envelope{sizeof(DIENVELOPE), 10000, 0, 10000, 0};
  DIPERIODIC periodic{10000, 0, 18000, 150000};
  DIEFFECT effect{sizeof(DIEFFECT),
                  DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS,
                  150000,
                  0,
                  5000,
                  DIEB_NOTRIGGER,
                  0,
                  2,
                  axes,
                  direction,
                  &envelope,
                  sizeof(DIPERIODIC),
                  &periodic};
};

TEST_F(DInputTest, EffectListNamesWhatTheDeviceCanPlay) {
  platform::AddTestJoystick({.name = "Plain"});
  platform::AddTestJoystick({.name = "Square",
                             .effects = {{InputEffectKind::CONSTANT},
                                         {InputEffectKind::SQUARE, false},
                                         {InputEffectKind::SINE},
                                         {InputEffectKind::SPRING}}});
  Ref<IDirectInputDevice2A> plain(Open(InstanceOf("Plain")));
  Ref<IDirectInputDevice2A> square(Open(InstanceOf("Square")));
  EXPECT_TRUE(Effects(plain.p).empty());
  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(plain->GetCapabilities(&caps), DI_OK);
  EXPECT_FALSE(caps.dwFlags & DIDC_FORCEFEEDBACK);
  std::vector<EffectInfo> effects = Effects(square.p);
  ASSERT_EQ(effects.size(), 4u);
  EXPECT_EQ(effects[0].name, "Constant Force");
  EXPECT_EQ(effects[0].type, DIEFT_CONSTANTFORCE | DIEFT_FFATTACK | DIEFT_FFFADE);
  EXPECT_EQ(effects[1].name, "Square");
  EXPECT_EQ(effects[1].type, DIEFT_PERIODIC);
  EXPECT_EQ(effects[2].name, "Sine");
  EXPECT_EQ(effects[3].name, "Spring");
  EXPECT_EQ(effects[3].type, DIEFT_CONDITION);

  Jolt jolt;
  Ref<IDirectInputEffect> effect;
  EXPECT_EQ(plain->CreateEffect(GUID_Sine, &jolt.effect, effect.out(), nullptr), DIERR_UNSUPPORTED);
  EXPECT_EQ(square->CreateEffect(GUID_Triangle, &jolt.effect, effect.out(), nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(square->CreateEffect(GUID_ConstantForce, &jolt.effect, effect.out(), nullptr), DIERR_INVALIDPARAM)
      << "periodic parameters for a constant force";
  EXPECT_EQ(effect.p, nullptr);
}

TEST_F(DInputTest, EffectsReachTheDeviceWithDirectionAndGain) {
  platform::TestInputDevice j = platform::AddTestJoystick({.name = "Stick", .effects = {{InputEffectKind::SQUARE}}});
  Ref<IDirectInputDevice2A> stick(Open(InstanceOf("Stick")));
  Jolt jolt;
  Ref<IDirectInputEffect> effect;

  // Not yet held exclusively: made, but nothing downloaded or played.
  ASSERT_EQ(stick->CreateEffect(GUID_Square, &jolt.effect, effect.out(), nullptr), DI_DOWNLOADSKIPPED);
  EXPECT_EQ(effect->Start(1, 0), DIERR_NOTEXCLUSIVEACQUIRED);
  EXPECT_TRUE(platform::RecordedHapticCalls().empty());
  effect.reset();

  ASSERT_EQ(stick->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
  platform::UseTestWindowing(true);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "QDVCLASS";
  RegisterClassA(&wc);
  HWND window =
      CreateWindowExA(0, "QDVCLASS", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(stick->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  Ready(stick.p, c_dfDIJoystick);
  platform::ClearInputRecords();

  ASSERT_EQ(stick->CreateEffect(GUID_Square, &jolt.effect, effect.out(), nullptr), DI_OK);
  ASSERT_EQ(platform::RecordedHapticCalls().size(), 1u);
  const platform::HapticCall& upload = platform::RecordedHapticCalls()[0];
  EXPECT_EQ(upload.device, j);
  EXPECT_EQ(upload.kind, platform::HapticCallKind::UPLOAD);
  platform::HapticEffect expected;
  expected.kind = InputEffectKind::SQUARE;
  expected.lengthMs = 150;
  expected.directionType = 1;
  expected.direction[0] = 0;
  expected.direction[1] = -1;
  expected.axes = 2;
  expected.magnitude = 16383;  // full magnitude at gain 5000
  expected.phase = 18000;
  expected.periodMs = 150;
  expected.attackLevel = 16383;
  expected.fadeLevel = 16383;
  EXPECT_EQ(upload.effect, expected);

  LONG right[2] = {1, 0};
  DIEFFECT change{};
  change.dwSize = sizeof change;
  change.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  change.cAxes = 2;
  change.rgdwAxes = jolt.axes;
  change.rglDirection = right;
  ASSERT_EQ(effect->SetParameters(&change, DIEP_DIRECTION), DI_OK);
  ASSERT_EQ(effect->Start(1, 0), DI_OK);
  ASSERT_EQ(effect->Stop(), DI_OK);
  effect.reset();
  const auto& calls = platform::RecordedHapticCalls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[1].kind, platform::HapticCallKind::UPDATE);
  EXPECT_EQ(calls[1].effect.direction[0], 1);
  EXPECT_EQ(calls[1].effect.direction[1], 0);
  EXPECT_EQ(calls[2].kind, platform::HapticCallKind::RUN);
  EXPECT_EQ(calls[2].iterations, 1u);
  EXPECT_EQ(calls[3].kind, platform::HapticCallKind::STOP);
  EXPECT_EQ(calls[4].kind, platform::HapticCallKind::DESTROY);

  // Unplugged: the effect cannot start, and the game is told so.
  ASSERT_EQ(stick->CreateEffect(GUID_Square, &jolt.effect, effect.out(), nullptr), DI_OK);
  platform::UnplugTestDevice(j);
  EXPECT_EQ(effect->Start(1, 0), DIERR_INPUTLOST);
  effect.reset();
  stick.reset();
  di_.reset();
  platform::UseTestWindowing(false);
}

// ---- SDL's virtual joystick through the SDL backend ---------------------------------

TEST(DInputSdlTest, VirtualJoystickIsListedReadAndLost) {
  platform::UseTestInput(false);
  const int id = platform::AttachSdlVirtualJoystick("Kelvarro Virtual Pad", 3, 4, 1);
  ASSERT_GE(id, 0);
  Ref<IDirectInputA> di;
  ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, di.out(), nullptr), DI_OK);
  std::vector<Enumerated> all = Enumerate(di.p);
  ASSERT_GE(all.size(), 3u);
  EXPECT_TRUE(IsEqualGUID(all.front().instance, GUID_SysKeyboard));
  EXPECT_TRUE(IsEqualGUID(all.back().instance, GUID_SysMouse));
  auto pad = std::find_if(all.begin(), all.end(), [](const Enumerated& e) { return e.name == "Kelvarro Virtual Pad"; });
  ASSERT_NE(pad, all.end());
  EXPECT_EQ(GET_DIDEVICE_TYPE(pad->type), DIDEVTYPE_JOYSTICK);
  EXPECT_EQ(GET_DIDEVICE_SUBTYPE(pad->type), DIDEVTYPEJOYSTICK_GAMEPAD);

  Ref<IDirectInputDeviceA> device;
  ASSERT_EQ(di->CreateDevice(pad->instance, device.out(), nullptr), DI_OK);
  std::vector<ObjectRow> objects = Objects(device.p);
  ASSERT_EQ(objects.size(), 8u);
  EXPECT_EQ(objects[2], (ObjectRow{"Z", 8, "Z Axis"}));
  EXPECT_EQ(objects[7], (ObjectRow{"POV", 32, "Hat Switch"}));

  ASSERT_EQ(device->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(device->Acquire(), DI_OK);
  platform::SetSdlVirtualAxis(id, 1, -32768);
  platform::SetSdlVirtualButton(id, 3, true);
  platform::SetSdlVirtualHat(id, 0, platform::TEST_HAT_RIGHT);
  DIJOYSTATE state;
  ASSERT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lY, 0);
  EXPECT_EQ(state.lX, 32767);
  EXPECT_EQ(state.rgbButtons[3], 0x80);
  EXPECT_EQ(state.rgdwPOV[0], 9000u);

  platform::DetachSdlVirtualJoystick(id);
  EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  device.reset();
  di.reset();
}

// ---- The SDL keyboard's key codes ---------------------------------------------------

// SDL's scancodes are the USB HID keyboard usages; DIK codes are the PC's set-1
// scan codes, with 0x80 added for keys sent with the E0 prefix (Pause is 0xC5).
// This is the published HID-to-set-1 translation, written out by usage number
// rather than from the backend's table.
struct HidKey {
  int usage;
  BYTE setOne;
};
const HidKey kHidToSetOne[] = {
    {0x04, 0x1E}, {0x05, 0x30}, {0x06, 0x2E}, {0x07, 0x20}, {0x08, 0x12}, {0x09, 0x21}, {0x0A, 0x22},
    {0x0B, 0x23}, {0x0C, 0x17}, {0x0D, 0x24}, {0x0E, 0x25}, {0x0F, 0x26}, {0x10, 0x32}, {0x11, 0x31},
    {0x12, 0x18}, {0x13, 0x19}, {0x14, 0x10}, {0x15, 0x13}, {0x16, 0x1F}, {0x17, 0x14}, {0x18, 0x16},
    {0x19, 0x2F}, {0x1A, 0x11}, {0x1B, 0x2D}, {0x1C, 0x15}, {0x1D, 0x2C},  // A..Z
    {0x1E, 0x02}, {0x1F, 0x03}, {0x20, 0x04}, {0x21, 0x05}, {0x22, 0x06}, {0x23, 0x07}, {0x24, 0x08},
    {0x25, 0x09}, {0x26, 0x0A}, {0x27, 0x0B},  // 1..9, 0
    {0x28, 0x1C}, {0x29, 0x01}, {0x2A, 0x0E}, {0x2B, 0x0F}, {0x2C, 0x39}, {0x2D, 0x0C}, {0x2E, 0x0D},
    {0x2F, 0x1A}, {0x30, 0x1B}, {0x31, 0x2B}, {0x32, 0x2B}, {0x33, 0x27}, {0x34, 0x28}, {0x35, 0x29},
    {0x36, 0x33}, {0x37, 0x34}, {0x38, 0x35}, {0x39, 0x3A},  // Return .. Caps Lock
    {0x3A, 0x3B}, {0x3B, 0x3C}, {0x3C, 0x3D}, {0x3D, 0x3E}, {0x3E, 0x3F}, {0x3F, 0x40}, {0x40, 0x41},
    {0x41, 0x42}, {0x42, 0x43}, {0x43, 0x44}, {0x44, 0x57}, {0x45, 0x58},  // F1..F12
    {0x46, 0xB7}, {0x47, 0x46}, {0x48, 0xC5}, {0x49, 0xD2}, {0x4A, 0xC7}, {0x4B, 0xC9}, {0x4C, 0xD3},
    {0x4D, 0xCF}, {0x4E, 0xD1}, {0x4F, 0xCD}, {0x50, 0xCB}, {0x51, 0xD0}, {0x52, 0xC8},  // Print .. Up
    {0x53, 0x45}, {0x54, 0xB5}, {0x55, 0x37}, {0x56, 0x4A}, {0x57, 0x4E}, {0x58, 0x9C}, {0x59, 0x4F},
    {0x5A, 0x50}, {0x5B, 0x51}, {0x5C, 0x4B}, {0x5D, 0x4C}, {0x5E, 0x4D}, {0x5F, 0x47}, {0x60, 0x48},
    {0x61, 0x49}, {0x62, 0x52}, {0x63, 0x53},  // the number pad
    {0x64, 0x56}, {0x65, 0xDD},  // the ISO key beside left Shift, Application
    {0xE0, 0x1D}, {0xE1, 0x2A}, {0xE2, 0x38}, {0xE3, 0xDB}, {0xE4, 0x9D}, {0xE5, 0x36}, {0xE6, 0xB8},
    {0xE7, 0xDC},  // the modifiers
};

TEST(DInputSdlKeysTest, ScancodesGiveTheKeysSetOneCodes) {
  for (const HidKey& k : kHidToSetOne) {
    EXPECT_EQ(dinput::DikOfScancode(k.usage), k.setOne) << "HID usage 0x" << std::hex << k.usage;
  }
}

TEST(DInputSdlKeysTest, EveryKeyOfTheKeyboardIsReachable) {
  std::set<int> reached;
  for (int usage = 0; usage < 512; ++usage) {
    if (BYTE dik = dinput::DikOfScancode(usage)) reached.insert(dik);
  }
  for (const dinput::KeyName& key : dinput::StandardKeys()) {
    EXPECT_TRUE(reached.count(key.dik)) << key.name << " (0x" << std::hex << int{key.dik} << ") has no scancode";
  }
}

TEST(DInputSdlKeysTest, KeysOutsideTheKeyboardAreNotReported) {
  // F13, Mute, Volume Up, a media key: a PC/AT keyboard has none of them.
  for (int usage : {0x00, 0x68, 0x7F, 0x80, 0x102}) EXPECT_EQ(dinput::DikOfScancode(usage), 0) << usage;
}

// Key events pushed into SDL's queue (as scripted input is) never reach SDL's
// own keyboard state; the keyboard holds a key from its down event to its up.
TEST(DInputSdlTest, KeysFollowTheirSdlEvents) {
  platform::UseTestInput(false);
  Ref<IDirectInputA> di;
  ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, di.out(), nullptr), DI_OK);
  Ref<IDirectInputDeviceA> keyboard;
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, keyboard.out(), nullptr), DI_OK);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  ASSERT_TRUE(platform::PushSdlMouseMotion(0, 0)) << "SDL's event queue";
  auto pump = [] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  };
  auto held = [&](BYTE dik) {
    BYTE keys[256];
    std::memset(keys, 0xCD, sizeof keys);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    return keys[dik] == 0x80;
  };
  pump();
  ASSERT_TRUE(platform::InjectKey(nullptr, {.vk = 'A'}));
  ASSERT_TRUE(platform::InjectKey(nullptr, {.vk = VK_LEFT, .extended = true}));
  pump();
  EXPECT_TRUE(held(DIK_A));
  EXPECT_TRUE(held(DIK_LEFT));
  EXPECT_TRUE(held(DIK_A)) << "still held at the next read";
  ASSERT_TRUE(platform::InjectKey(nullptr, {.vk = 'A', .down = false}));
  pump();
  EXPECT_FALSE(held(DIK_A));
  EXPECT_TRUE(held(DIK_LEFT));
  ASSERT_TRUE(platform::InjectKey(nullptr, {.vk = VK_LEFT, .down = false, .extended = true}));
  pump();
  EXPECT_FALSE(held(DIK_LEFT));
  keyboard.reset();
  di.reset();
}

// ---- The SDL mouse ----------------------------------------------------------------------

TEST(DInputSdlTest, MouseMotionWheelAndButtonsComeFromSdlEvents) {
  platform::UseTestInput(false);
  Ref<IDirectInputA> di;
  ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, di.out(), nullptr), DI_OK);
  Ref<IDirectInputDeviceA> mouse;
  ASSERT_EQ(di->CreateDevice(GUID_SysMouse, mouse.out(), nullptr), DI_OK);
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  ASSERT_EQ(mouse->Acquire(), DI_OK);

  auto pump = [] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  };
  auto read = [&] {
    DIMOUSESTATE state;
    std::memset(&state, 0xCD, sizeof state);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    return state;
  };
  pump();
  read();  // whatever was gathered before the test

  // Motion adds up between reads; a wheel notch is 120, a flipped wheel
  // (natural scrolling) turns the same way as the user's hand.
  ASSERT_TRUE(platform::PushSdlMouseMotion(5, -3));
  ASSERT_TRUE(platform::PushSdlMouseMotion(2, 10));
  ASSERT_TRUE(platform::PushSdlMouseWheel(1, false));
  ASSERT_TRUE(platform::PushSdlMouseWheel(2, true));
  pump();
  DIMOUSESTATE state = read();
  EXPECT_EQ(state.lX, 7);
  EXPECT_EQ(state.lY, 7);
  EXPECT_EQ(state.lZ, 360);
  state = read();
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lZ, 0);

  // Left, right, middle and the first side button; the second side button
  // has no place among the four.
  struct ButtonCase {
    int sdlButton;
    int expectedIndex;  // -1: none
  };
  const ButtonCase cases[] = {{1, 0}, {3, 1}, {2, 2}, {4, 3}, {5, -1}};
  for (const ButtonCase& c : cases) {
    ASSERT_TRUE(platform::PushSdlMouseButton(c.sdlButton, true));
    pump();
    state = read();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(state.rgbButtons[i], i == c.expectedIndex ? 0x80 : 0) << "SDL button " << c.sdlButton << ", index " << i;
    }
    ASSERT_TRUE(platform::PushSdlMouseButton(c.sdlButton, false));
    pump();
    state = read();
    EXPECT_EQ(state.rgbButtons[0] | state.rgbButtons[1] | state.rgbButtons[2] | state.rgbButtons[3], 0);
  }
  mouse.reset();
  di.reset();
}

}  // namespace
