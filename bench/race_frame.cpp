// A whole race frame at 640x480 through the Glide layer (offscreen OpenGL):
// twenty computer-driven riders on the synthetic course with its sky and
// backdrop, the race manager, the world and every draw pass of the race
// scene's frame, presented; against the same frame's triangles, captured
// once, drawn again by a plain OpenGL program in one call into the same
// window in the same run. Frames alternate between the two sides, each
// finished with grFinish (glFinish); the counters give each side's median
// frames per second, and the repetitions their spread. The goal is 60 frames
// a second or better for the race frame with two llvmpipe threads:
//
//   SDL_VIDEODRIVER=offscreen LP_NUM_THREADS=2 build/bench/bench_race_frame
//
// The "allocs_per_frame" counter is the allocations of one race frame after
// the load (goal 0), counted over the timed frames.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/interleaved.h"
#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "race/race/race_scene.h"
#include "riders/ai_rider.h"
#include "riders/rider_hud.h"
#include "tests/world/allocation_counter.h"
#include "tools/bbf.h"
#include "ui/font.h"
#include "tools/effect_files.h"
#include "tools/rider_files.h"
#include "tools/track_course.h"
#include "tools/ui_files.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr int RIDERS = 20;

class BenchScene : public RaceScene {
 public:
  void StartRacing() {
    state_ = RACE_STATE_RACING;
    previousTimeMs = timeGetTime();
  }
};

struct Race {
  bool ready = false;
  const char* failure = "no OpenGL window (set SDL_VIDEODRIVER=offscreen without a display)";
  std::filesystem::path root;
  std::filesystem::path previousCwd;
  Font fonts[4];
  std::unique_ptr<BenchScene> scene;
  std::vector<FxU16> texels;
  std::vector<FxU8> triangles;
  FxU32 stride = 0;

  Race() {
    platform::UseTestMessageBoxes(true);
    std::random_device rd;
    root = std::filesystem::temp_directory_path() / ("kelv-bench-race-frame-" + std::to_string(rd()));
    std::filesystem::create_directories(root / "DATA");
    previousCwd = std::filesystem::current_path();
    std::filesystem::current_path(root);

    std::vector<kelvdata::BbfMember> members = kelvdata::CourseMembers();
    for (kelvdata::BbfMember& m : kelvdata::RiderDataSetMembers()) members.push_back(std::move(m));
    members.push_back({"COURSE.SKY", kelvdata::BuildSkyFile({kelvdata::COURSE_CLOUDS, kelvdata::COURSE_SKY_RADIUS,
                                                             std::nullopt})});
    members.push_back({"CLOUDS.TEX", kelvdata::CloudTex()});
    members.push_back({"EFFECTS.TEX", kelvdata::EffectsTex()});
    kelvdata::BackdropFile backdrop;
    backdrop.texture = "DATA\\TRACK\\GRASS.TEX";
    backdrop.colour[0] = 0.6f;
    backdrop.colour[1] = 0.7f;
    backdrop.colour[2] = 0.9f;
    members.push_back({"BACK.BDP", kelvdata::BuildBackdrop(backdrop)});
    if (!kelvdata::WriteHostFile((root / "DATA" / "TRACK.BBF").string(), kelvdata::BuildBbf(members))) {
      failure = "cannot write the track archive";
      return;
    }
    for (const auto& [name, bytes] : kelvdata::RiderDataSetSounds()) {
      kelvdata::WriteHostFile((root / "SOUNDS" / name).string(), bytes);
    }

    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BENCHRACEFRAME";
    RegisterClassA(&wc);
    g_MainWindow = CreateWindowExA(0, "BENCHRACEFRAME", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, WIDTH, HEIGHT,
                                   nullptr, nullptr, nullptr, nullptr);
    g_ScreenWidth = WIDTH;
    g_ScreenHeight = HEIGHT;
    if (!g_MainWindow || !g_Renderer.Open()) return;
    // The race frame's own rate, not the display's.
    platform::UseGlideFramePacing(false);
    g_Renderer.SetDefaultStates();
    g_Renderer.AssignTextureSizeClasses(2);
    failure = "the track archive does not open";
    if (!g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return;
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceType = 3;
    g_RiderCount = RIDERS;
    g_OptionShadows = 3;
    g_OptionParticle = 1;
    g_OptionReplay = 0;

    scene = std::make_unique<BenchScene>();
    // The race's fonts, which the riders' HUD texts need (the race frees
    // its own; these are the benchmark's).
    g_Fonts = fonts;
    g_FontCount = 4;
    RaceScene& s = *scene;
    failure = "the course does not load";
    if (!s.track.Load(kelvdata::COURSE_TRACK)) return;
    s.raceManager.SetTrack(&s.track);
    s.raceManager.SetNodeCount(s.track.sectionCount);
    if (!s.raceManager.AllocateLapTimes()) return;
    failure = "the sky or the backdrop does not load";
    if (!s.sky.Load(kelvdata::COURSE_SKY) || !s.backdrop.Load("DATA\\TRACK\\BACK.BDP")) return;
    for (int i = 0; i < RIDERS; ++i) {
      auto* r = new AiRider();
      s.riders[i] = r;
      r->effectsTexture = kelvdata::COURSE_EFFECTS;
      r->SetIndex(static_cast<std::uint8_t>(i));
      failure = "a rider does not load";
      if (!r->Load("DATA\\TRACK\\RIDER.RDR")) return;
      r->effectsTexture = nullptr;
      r->SetTrack(&s.track);
      r->SetupAi();
      r->Reset();
      if (!s.raceManager.RegisterRider(r, i == 0 ? 1 : 2)) return;
      // Two by two up the course from its start, across its width.
      const float at = 3.0f + static_cast<float>(i / 2) * 0.8f;
      float x = 0.0f, z = 0.0f, ax = 0.0f, az = 0.0f;
      kelvdata::CoursePoint(at, &x, &z);
      kelvdata::CoursePoint(at + 0.1f, &ax, &az);
      const float heading = std::atan2(ax - x, az - z);
      const float side = i % 2 == 0 ? -1.5f : 1.5f;
      r->Place(x + side * std::cos(heading), kelvdata::CourseHeight(at) + 0.5f, z - side * std::sin(heading),
               heading);
      r->state = RIDER_RACING;
      r->started = 1;
    }
    s.riders[0]->SetFollowed();
    s.followedRider = 0;
    s.cameraMode = CAMERA_NEAR;
    // Behind and above the field, looking up the course.
    float x = 0.0f, z = 0.0f, ax = 0.0f, az = 0.0f;
    kelvdata::CoursePoint(1.0f, &x, &z);
    kelvdata::CoursePoint(8.0f, &ax, &az);
    g_Camera.track = &s.track;
    g_Camera.position = Vector3(x, kelvdata::CourseHeight(1.0f) + 3.0f, z);
    g_Camera.sectionHint = 1;
    g_Camera.LookAt(Vector3(ax, kelvdata::CourseHeight(8.0f) + 1.0f, az));
    // A moto records its replay as it runs.
    if (s.replay.Create()) s.replay.Start();
    scene->StartRacing();

    texels.resize(256 * 256);
    for (int y = 0; y < 256; ++y) {
      for (int x2 = 0; x2 < 256; ++x2) {
        texels[y * 256 + x2] = static_cast<FxU16>(0x8000 | ((x2 >> 3) << 10) | ((y >> 3) << 5));
      }
    }
    // The first frame restores the surfaces; the next ones draw, and one of
    // them is captured for the plain program.
    for (int i = 0; i < 4; ++i) s.RunFrame();
    platform::CaptureGlideTriangles(true);
    s.RunFrame();
    platform::CaptureGlideTriangles(false);
    triangles = platform::CapturedGlideTriangles();
    stride = platform::CapturedGlideStride();
    failure = "the frame drew no triangles";
    ready = stride != 0 && !triangles.empty();
  }
  ~Race() {
    g_Fonts = nullptr;
    g_FontCount = 0;
    scene.reset();
    ReleaseHudWidgets();
    g_Renderer.Close();
    g_TrackArchive.Close();
    std::error_code ec;
    std::filesystem::current_path(previousCwd, ec);
    std::filesystem::remove_all(root, ec);
  }

  void RaceFrame() {
    scene->RunFrame();
    grFinish();
  }
  void PlainFrame() {
    platform::BenchmarkPlainGLFrame(triangles.data(), static_cast<FxU32>(triangles.size() / stride), stride,
                                    texels.data(), 256, 256, GR_BLEND_ONE, GR_BLEND_ZERO);
    grFinish();
  }
};

void BM_RaceFrameVsPlainGL(benchmark::State& state) {
  static Race race;
  if (!race.ready) {
    state.SkipWithError(race.failure);
    return;
  }
  std::vector<double> frame, plain;
  frame.reserve(100000);
  plain.reserve(100000);
  long allocations = 0;
  kelvbench::Interleave(
      state,
      [&] {
        kelvtest::StartCountingAllocations();
        race.RaceFrame();
        allocations += kelvtest::StopCountingAllocations();
      },
      [&] { race.PlainFrame(); }, &frame, &plain);
  state.counters["race_fps"] = 1.0 / kelvbench::Median(frame);
  state.counters["plain_fps"] = 1.0 / kelvbench::Median(plain);
  state.counters["triangles"] = static_cast<double>(race.triangles.size() / race.stride / 3);
  state.counters["allocs_per_frame"] = static_cast<double>(allocations) / static_cast<double>(frame.size());
}
BENCHMARK(BM_RaceFrameVsPlainGL)->Apply([](auto* b) { kelvbench::WithSpread(b); });

}  // namespace
