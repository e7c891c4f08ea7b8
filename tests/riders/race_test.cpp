// A whole race without a window: the player's rider and nineteen opponents
// ride three laps of the synthetic course. A small race manager steers the
// opponents towards the course's nodes and gives them target speeds from the
// bends ahead; the player is driven through SDL's virtual joystick, or
// through the DirectInput keyboard, from the same commands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/input_devices.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/dinput/input_test.h"
#include "platform/win32/crt.h"
#include "riders/ai_rider.h"
#include "riders/player_rider.h"
#include "riders/rider_hud.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/riders/physics_fixture.h"
#include "tests/support/picture.h"
#include "tools/rider_files.h"
#include "tools/tex.h"
#include "tools/track_course.h"
#include "tools/ui_files.h"
#include "tools/ui_samples.h"
#include "ui/font.h"
#include "world/track.h"

namespace {

constexpr int kRiders = 20;
constexpr int kLaps = 3;
constexpr unsigned kFrameMs = 16;

// What the race manager asks of a rider this frame.
struct Command {
  float steer = 0.0f;
  float targetSpeed = 0.0f;
};

// The test's race manager: steer towards the node three sections ahead,
// slow down for the bends of the next sections; laps by the start line.
class TestRaceManager {
 public:
  explicit TestRaceManager(const Track& track) : track_(track) {}

  Command For(const Rider& r) const {
    const RiderPhysics& p = r.physics;
    const int n = track_.sectionCount;
    const TrackNode& ahead = track_.nodes[(p.sectionHint + 3) % n];
    const Vector3 to = ahead.centre - p.position;
    const float side = to.x * p.axes[0][0] + to.z * p.axes[0][2];
    Command c;
    c.steer = std::fmax(-1.0f, std::fmin(1.0f, side * 0.15f));
    // The sharpest change of direction over the next eight sections.
    const Vector3 d0 = track_.sections[p.sectionHint % n].direction;
    float bend = 0.0f;
    for (int k = 1; k <= 8; ++k) {
      const Vector3 dk = track_.sections[(p.sectionHint + k) % n].direction;
      const float cosine = (d0.x * dk.x + d0.z * dk.z) /
                           std::sqrt((d0.x * d0.x + d0.z * d0.z) * (dk.x * dk.x + dk.z * dk.z));
      bend = std::fmax(bend, 1.0f - cosine);
    }
    c.targetSpeed = std::fmax(8.0f, 13.0f - 40.0f * bend);
    return c;
  }

  // Counts a lap each time the rider crosses from the last sections into the
  // first ones (and takes it back when it crosses backwards).
  void Count(int i, const Rider& r) {
    const int n = track_.sectionCount;
    const int now = r.physics.sectionHint % n;
    const int before = last_[i];
    if (before >= n - 10 && now < 10) ++laps_[i];
    if (before < 10 && now >= n - 10) --laps_[i];
    if (now != before) stillFor_[i] = 0.0f;
    last_[i] = now;
  }

  const Track& track_;
  int laps_[kRiders] = {};
  int last_[kRiders] = {};
  float stillFor_[kRiders] = {};  // s in one section
};

class RaceTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    kelvtest::ResetPhysicsGlobals();
    savedCamera_ = g_Camera;
    savedFrameTime_ = g_FrameTime;
    savedLight_ = g_LightDirection;
    savedRiderCount_ = g_RiderCount;
    std::memcpy(savedBound_, g_BoundControls, sizeof savedBound_);
    g_RenderBuild = RENDER_BUILD_GLIDE;
    g_FrameTime = 0.016f;
    g_RiderCount = kRiders;
    g_Fonts = fonts_;
    g_FontCount = 4;
    // The sun that a race's load sets.
    g_LightDirection = Vector3(-0.4f, -0.8f, 0.45f);
    crt::srand(7);
  }
  void TearDown() override {
    riders_.clear();
    track_.reset();
    CloseInput();
    platform::UseTestInput(false);
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_TrackArchive.Close();
    g_Camera = savedCamera_;
    g_FrameTime = savedFrameTime_;
    g_LightDirection = savedLight_;
    g_RiderCount = savedRiderCount_;
    std::memcpy(g_BoundControls, savedBound_, sizeof savedBound_);
    g_JoystickInput = 0;
    g_GeometryPipeline.objectMatrix = nullptr;
    kelvtest::ResetPhysicsGlobals();
    PictureTest::TearDown();
  }

  bool OpenCourse() {
    if (!OpenScreen()) return false;
    g_Renderer.AssignTextureSizeClasses(2);
    std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
    const auto tex = kelvdata::BuildTex(32, 32, [](int x, int y) {
      return ((x / 8 + y / 8) & 1) ? kelvdata::Rgb{230, 60, 40} : kelvdata::Rgb{250, 250, 250};
    });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    members.push_back({"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider(
                                        "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.BNK"))});
    members.push_back({"R.TEX", tex});
    members.push_back({"R.BNK", kelvdata::BuildSoundBank(bank)});
    members.push_back({"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())});
    for (kelvdata::BbfMember& m : kelvdata::RiderShadowMembers()) members.push_back(std::move(m));
    for (kelvdata::BbfMember& m : kelvdata::HudMembers()) members.push_back(std::move(m));
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
    if (!g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return false;
    track_ = std::make_unique<Track>();
    return track_->Load(kelvdata::COURSE_TRACK);
  }

  // The race's load: the player first, then the opponents, each placed on
  // the grid behind the start line, two abreast.
  void LoadRiders() {
    for (int i = 0; i < kRiders; ++i) {
      std::unique_ptr<Rider> r;
      if (i == 0) {
        r = std::make_unique<PlayerRider>();
      } else {
        r = std::make_unique<AiRider>();
      }
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->effectsTexture = "DATA\\TRACK\\R.TEX";
      ASSERT_TRUE(r->Load("DATA\\TRACK\\RIDER.RDR")) << i;
      r->SetTrack(track_.get());
      if (i > 0) r->SetupAi();
      r->Reset();
      kelvtest::PlaceOnGrid(*r, *track_, i);
      r->lap = 1;
      riders_.push_back(std::move(r));
    }
    riders_[0]->followed = 1;
  }

  // DirectInput on the device of `type` whose product is `name`, set up as
  // the application does: its data format, acquired, the bound axes given
  // the range and dead zone.
  bool OpenInput(DWORD type, const char* name, DWORD cooperation = 0) {
    if (DirectInputCreateA(nullptr, 0x0500, &g_DirectInput, nullptr) != DI_OK) return false;
    struct Find {
      DWORD type;
      const char* name;
      GUID instance;
      bool found;
    } find{type, name, {}, false};
    g_DirectInput->EnumDevices(
        0,
        [](const DIDEVICEINSTANCEA* d, void* ref) -> BOOL {
          Find* f = static_cast<Find*>(ref);
          if (GET_DIDEVICE_TYPE(d->dwDevType) != f->type || std::strcmp(d->tszProductName, f->name) != 0) {
            return DIENUM_CONTINUE;
          }
          f->instance = d->guidInstance;
          f->found = true;
          return DIENUM_STOP;
        },
        &find, DIEDFL_ATTACHEDONLY);
    if (!find.found) return false;
    IDirectInputDeviceA* device = nullptr;
    if (g_DirectInput->CreateDevice(find.instance, &device, nullptr) != DI_OK) return false;
    void* second = nullptr;
    device->QueryInterface(IID_IDirectInputDevice2A, &second);
    device->Release();
    if (second == nullptr) return false;
    g_InputDevice = static_cast<IDirectInputDevice2A*>(second);
    g_InputDevice->SetDataFormat(type == DIDEVTYPE_JOYSTICK ? &c_dfDIJoystick : &c_dfDIKeyboard);
    if (cooperation && g_InputDevice->SetCooperativeLevel(g_MainWindow, cooperation) != DI_OK) return false;
    if (g_InputDevice->Acquire() != DI_OK) return false;
    for (int i = 0; i < CONTROL_BINDING_COUNT; ++i) {
      if (g_BoundControls[i].kind != INPUT_OBJECT_AXIS) continue;
      DIPROPRANGE range = {};
      range.diph = {sizeof range, sizeof range.diph, g_BoundControls[i].offset, DIPH_BYOFFSET};
      range.lMin = -10000;
      range.lMax = 10000;
      if (FAILED(g_InputDevice->SetProperty(DIPROP_RANGE, &range.diph))) return false;
      DIPROPDWORD dead = {};
      dead.diph = {sizeof dead, sizeof dead.diph, g_BoundControls[i].offset, DIPH_BYOFFSET};
      dead.dwData = 2000;
      if (FAILED(g_InputDevice->SetProperty(DIPROP_DEADZONE, &dead.diph))) return false;
    }
    return true;
  }
  void CloseInput() {
    if (g_InputDevice) {
      g_InputDevice->Unacquire();
      g_InputDevice->Release();
      g_InputDevice = nullptr;
    }
    if (g_DirectInput) {
      g_DirectInput->Release();
      g_DirectInput = nullptr;
    }
  }

  static void Bind(ControlBinding action, InputObjectKind kind, std::uint32_t offset) {
    g_BoundControls[action].kind = kind;
    g_BoundControls[action].offset = offset;
  }

  // Follows the player from behind and above.
  void FollowPlayer() {
    const RiderPhysics& p = riders_[0]->physics;
    const Vector3 f(p.axes[2][0], 0.0f, p.axes[2][2]);
    g_Camera = Camera();
    g_Camera.position = p.position - 7.0f * f + Vector3(0.0f, 2.5f, 0.0f);
    g_Camera.LookAt(p.position + 4.0f * f + Vector3(0.0f, 0.5f, 0.0f));
    g_GeometryPipeline.SetupProjection();
  }

  platform::Picture DrawRace() {
    const int n = track_->sectionCount;
    const int here = riders_[0]->physics.sectionHint;
    track_->SetVisibleWindow(static_cast<std::int16_t>((here + n - 3) % n),
                             static_cast<std::int16_t>((here + 30) % n), static_cast<std::uint16_t>(here));
    g_Renderer.clearRed = 0.4f;
    g_Renderer.clearGreen = 0.6f;
    g_Renderer.clearBlue = 0.9f;
    g_Renderer.ClearRect(0, 0, 639, 479, true);
    track_->Draw();
    for (auto& r : riders_) r->Draw();
    return Presented();
  }

  // The player's commands turned into device input for this frame.
  using Driver = void (*)(const Command& c, const Rider& player, float* duty);

  // Runs the race: one second on the grid, then racing until every rider
  // has done its laps; checks the riders each frame. Takes the picture at
  // `pictureFrame` when it is set.
  void Race(Driver drive, int pictureFrame, const char* reference) {
    TestRaceManager manager(*track_);
    for (int i = 0; i < kRiders; ++i) manager.last_[i] = riders_[i]->physics.sectionHint;
    float duty = 0.0f;
    const int gridFrames = 60;
    const int maxFrames = gridFrames + static_cast<int>(400.0f / g_FrameTime);
    int frame = 0;
    for (; frame < maxFrames; ++frame) {
      const int raceState = frame < gridFrames ? 1 : 2;
      for (int i = 0; i < kRiders; ++i) {
        Rider& r = *riders_[i];
        const Command c = manager.For(r);
        if (i == 0) {
          r.targetSpeed = c.targetSpeed;
          drive(c, r, &duty);
        } else {
          r.targetSpeed = c.targetSpeed;
          r.physics.steer = c.steer;
        }
        if (i == 0) FollowPlayer();
        r.Update(kFrameMs, raceState);
        const RiderPhysics& p = r.physics;
        ASSERT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y) && std::isfinite(p.position.z) &&
                    std::isfinite(p.velocity.x) && std::isfinite(p.velocity.y) && std::isfinite(p.velocity.z) &&
                    std::isfinite(p.handlebarAngle) && std::isfinite(p.throttle) && std::isfinite(p.brake))
            << "rider " << i << " frame " << frame;
        if (raceState == 2) {
          manager.Count(i, r);
          manager.stillFor_[i] += g_FrameTime;
          ASSERT_LE(manager.stillFor_[i], 10.0f) << "rider " << i << " stuck in section " << p.sectionHint;
        }
      }
      if (frame == pictureFrame) {
        const platform::Picture picture = DrawRace();
        // The top corner is sky: the clear colour as the board's 5, 6 and 5
        // bits keep it (0.4, 0.6, 0.9: 102, 153, 229 -> 99, 153, 231).
        EXPECT_TRUE(kelvtest::PixelNear(picture, 5, 5, 0x6699E6, 4));
        EXPECT_TRUE(kelvtest::MatchesReference(picture, Reference(reference)));
      }
      bool done = true;
      for (int i = 0; i < kRiders; ++i) done = done && manager.laps_[i] >= kLaps;
      if (done) break;
    }
    for (int i = 0; i < kRiders; ++i) EXPECT_GE(manager.laps_[i], kLaps) << "rider " << i;
    RecordProperty("frames", frame);
  }

  std::unique_ptr<Track> track_;
  std::vector<std::unique_ptr<Rider>> riders_;
  Font fonts_[4];
  Camera savedCamera_;
  float savedFrameTime_ = 0.0f;
  Vector3 savedLight_;
  std::uint32_t savedRiderCount_ = 0;
  InputObjectInfo savedBound_[CONTROL_BINDING_COUNT];
};

// SDL's raw axis value that DirectInput reports as `v` of 10000 after the
// dead zone of 2000.
int RawAxis(float v) {
  if (v == 0.0f) return 0;
  const float a = std::fabs(v);
  const int raw = static_cast<int>((0.2f + 0.8f * (a > 1.0f ? 1.0f : a)) * 32767.0f);
  return v < 0.0f ? -raw : raw;
}

int g_Pad = -1;

// A force-feedback stick of the DirectInput test backend: a bump on landing
// reaches the device as a directed, started effect.
TEST_F(RaceTest, ALandingJoltsAForceFeedbackStick) {
  KELV_OPEN_PICTURE(OpenScreen());
  platform::UseTestInput(true);
  platform::TestJoystickSpec spec;
  spec.name = "Force Pad";
  spec.effects = {{platform::InputEffectKind::SQUARE}};
  platform::AddTestJoystick(spec);
  Bind(CONTROL_ACCELERATE, INPUT_OBJECT_AXIS, DIJOFS_Y);
  Bind(CONTROL_BRAKE, INPUT_OBJECT_AXIS, DIJOFS_Y);
  Bind(CONTROL_LEFT, INPUT_OBJECT_AXIS, DIJOFS_X);
  Bind(CONTROL_RIGHT, INPUT_OBJECT_AXIS, DIJOFS_X);
  ASSERT_TRUE(OpenInput(DIDEVTYPE_JOYSTICK, "Force Pad", DISCL_EXCLUSIVE | DISCL_BACKGROUND));
  // One short square wave in every level's slot, as the application makes them.
  DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
  LONG direction[2] = {0, -1};
  DIPERIODIC periodic = {10000, 0, 18000, 150000};
  DIEFFECT e = {};
  e.dwSize = sizeof e;
  e.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  e.dwDuration = 150000;
  e.dwGain = 10000;
  e.dwTriggerButton = DIEB_NOTRIGGER;
  e.cAxes = 2;
  e.rgdwAxes = axes;
  e.rglDirection = direction;
  e.cbTypeSpecificParams = sizeof periodic;
  e.lpvTypeSpecificParams = &periodic;
  IDirectInputEffect* effect = nullptr;
  ASSERT_EQ(g_InputDevice->CreateEffect(GUID_Square, &e, &effect, nullptr), DI_OK);
  for (int i = 0; i < 6; ++i) g_ForceEffects[i] = effect;
  g_JoystickInput = g_ForceFeedback = 1;
  platform::ClearInputRecords();

  auto track = kelvtest::FlatCourse(40);
  {
    PlayerRider r;
    kelvtest::MakePhysicsOnly(r);
    r.SetTrack(track.get());
    r.Reset();
    r.Place(0.0f, 2.5f, 20.0f, 0.0f);
    r.physics.sectionHint = 4;
    for (int i = 0; i < 60; ++i) r.Update(kFrameMs, 2);
  }
  int runs = 0;
  int updates = 0;
  int stops = 0;
  for (const platform::HapticCall& call : platform::RecordedHapticCalls()) {
    if (call.kind == platform::HapticCallKind::RUN) ++runs;
    if (call.kind == platform::HapticCallKind::STOP) ++stops;
    if (call.kind == platform::HapticCallKind::UPDATE) {
      ++updates;
      // Level ground: the normal's x and z truncate to (0, 0).
      EXPECT_EQ(call.effect.direction[0], 0);
      EXPECT_EQ(call.effect.direction[1], 0);
    }
  }
  EXPECT_GT(runs, 0);
  EXPECT_GT(updates, 0);
  // The rider stopped what it played when it went.
  EXPECT_GT(stops, 0);
  for (IDirectInputEffect*& slot : g_ForceEffects) slot = nullptr;
  effect->Release();
  g_ForceFeedback = 0;
}

TEST_F(RaceTest, ThreeLapsWithThePlayerOnTheJoystick) {
  KELV_OPEN_PICTURE(OpenCourse());
  platform::UseTestInput(false);
  g_Pad = platform::AttachSdlVirtualJoystick("Kelvarro Race Pad", 2, 4, 0);
  ASSERT_GE(g_Pad, 0);
  // The default joystick bindings: the Y axis for throttle and brake, X for
  // steering, buttons 0 and 1 for the gears.
  Bind(CONTROL_ACCELERATE, INPUT_OBJECT_AXIS, DIJOFS_Y);
  Bind(CONTROL_BRAKE, INPUT_OBJECT_AXIS, DIJOFS_Y);
  Bind(CONTROL_LEFT, INPUT_OBJECT_AXIS, DIJOFS_X);
  Bind(CONTROL_RIGHT, INPUT_OBJECT_AXIS, DIJOFS_X);
  Bind(CONTROL_GEAR_UP, INPUT_OBJECT_BUTTON, DIJOFS_BUTTON(0));
  Bind(CONTROL_GEAR_DOWN, INPUT_OBJECT_BUTTON, DIJOFS_BUTTON(1));
  ASSERT_TRUE(OpenInput(DIDEVTYPE_JOYSTICK, "Kelvarro Race Pad"));
  g_JoystickInput = 1;
  LoadRiders();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(static_cast<PlayerRider&>(*riders_[0]).controls.poll, &PollJoystick);

  Race(
      [](const Command& c, const Rider& player, float*) {
        // The stick's deflection is cubed into the steer: take the cube root.
        platform::SetSdlVirtualAxis(g_Pad, 0, RawAxis(std::cbrt(c.steer)));
        const float v = player.physics.forwardSpeed;
        float y = 0.0f;
        if (v <= c.targetSpeed) y = -std::fmin(1.0f, (c.targetSpeed - v) * 0.36f);
        if (v > c.targetSpeed + 5.555556f) y = std::fmin(1.0f, (v - c.targetSpeed) * 0.072f);
        platform::SetSdlVirtualAxis(g_Pad, 1, RawAxis(y));
      },
      60 + 400, "race_mid_race.png");
  platform::DetachSdlVirtualJoystick(g_Pad);
}

platform::TestInputDevice g_Keyboard = 0;

TEST_F(RaceTest, ThreeLapsWithThePlayerOnTheKeyboard) {
  KELV_OPEN_PICTURE(OpenCourse());
  platform::UseTestInput(true);
  g_Keyboard = platform::AddTestKeyboard();
  // The default keys: A, Z, the arrows, S and X.
  Bind(CONTROL_ACCELERATE, INPUT_OBJECT_KEY, DIK_A);
  Bind(CONTROL_BRAKE, INPUT_OBJECT_KEY, DIK_Z);
  Bind(CONTROL_LEFT, INPUT_OBJECT_KEY, DIK_LEFT);
  Bind(CONTROL_RIGHT, INPUT_OBJECT_KEY, DIK_RIGHT);
  Bind(CONTROL_GEAR_UP, INPUT_OBJECT_KEY, DIK_S);
  Bind(CONTROL_GEAR_DOWN, INPUT_OBJECT_KEY, DIK_X);
  ASSERT_TRUE(OpenInput(DIDEVTYPE_KEYBOARD, "Keyboard"));
  g_JoystickInput = 0;
  LoadRiders();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(static_cast<PlayerRider&>(*riders_[0]).controls.poll, &PollKeyboard);

  Race(
      [](const Command& c, const Rider& player, float* duty) {
        // Keys are on or off: the steer is pulsed, pressed in a share of
        // the frames as large as the steer asked for.
        *duty += std::fabs(c.steer);
        const bool press = *duty >= 1.0f;
        if (press) *duty -= 1.0f;
        platform::SetTestKey(g_Keyboard, DIK_RIGHT, press && c.steer > 0.0f);
        platform::SetTestKey(g_Keyboard, DIK_LEFT, press && c.steer < 0.0f);
        const float v = player.physics.forwardSpeed;
        platform::SetTestKey(g_Keyboard, DIK_A, v < c.targetSpeed);
        platform::SetTestKey(g_Keyboard, DIK_Z, v > c.targetSpeed + 5.555556f);
      },
      -1, nullptr);
}

}  // namespace
