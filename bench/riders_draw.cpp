// One race frame of 20 synthetic riders at 640 x 480 (offscreen OpenGL):
// part matrices, emitters, pose, the shadow's update, and every draw pass of
// the race (shadows in mode 3 first); the time per frame is the figure
// reported.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tools/bbf.h"
#include "tools/rider_files.h"
#include "tools/tex.h"

namespace {

class BenchRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

struct Race {
  bool ready = false;
  Font fonts[4];
  std::string archivePath;
  std::vector<std::unique_ptr<BenchRider>> riders;

  Race() {
    platform::UseTestMessageBoxes(true);
    std::random_device rd;
    archivePath =
        (std::filesystem::temp_directory_path() / ("kelv-bench-riders-" + std::to_string(rd()) + ".bbf")).string();
    const auto tex = kelvdata::BuildTex(64, 64, [](int x, int y) {
      return kelvdata::Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4), 128};
    });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    std::vector<kelvdata::BbfMember> members = {
        {"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider("DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX",
                                                                        "DATA\\TRACK\\R.BNK"))},
        {"R.TEX", tex},
        {"R.BNK", kelvdata::BuildSoundBank(bank)},
        {"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())}};
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) members.push_back(std::move(hud));
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) members.push_back(std::move(extra));
    if (!kelvdata::WriteHostFile(archivePath, kelvdata::BuildBbf(members))) return;
    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BENCHRIDERS";
    RegisterClassA(&wc);
    g_MainWindow = CreateWindowExA(0, "BENCHRIDERS", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                   nullptr, nullptr, nullptr);
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    if (!g_MainWindow || !g_Renderer.Open()) return;
    g_Renderer.SetDefaultStates();
    g_Renderer.AssignTextureSizeClasses(2);
    if (!g_TrackArchive.Open(archivePath.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return;
    g_Camera.position = Vector3(0.0f, 3.0f, -8.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.5f, 4.0f));
    g_GeometryPipeline.SetupProjection();
    g_FrameTime = 0.02f;
    // The race scene's fonts, which the HUD's texts need.
    g_Fonts = fonts;
    g_FontCount = 4;
    g_LightDirection = Vector3(-0.4f, -0.8f, 0.45f);
    g_OptionShadows = 3;  // the dearest: the bike's parts and the body
    for (int i = 0; i < RIDER_MAX; ++i) {
      auto r = std::make_unique<BenchRider>();
      r->SetIndex(static_cast<std::uint8_t>(i));
      r->effectsTexture = "DATA\\TRACK\\R.TEX";
      if (!r->Load("DATA\\TRACK\\RIDER.RDR")) return;
      r->state = RIDER_RACING;
      r->lod = static_cast<std::uint8_t>(i < 10 ? 0 : (i < 15 ? 1 : 2));
      r->followed = i == 0;
      RiderPhysics& p = r->physics;
      p.axes[0][0] = p.axes[1][1] = p.axes[2][2] = 1.0f;
      p.throttle = 1.0f;
      p.gear = 2;
      p.wheelRadius = 0.35f;
      p.rearWheel.spinRate = 60.0f;
      p.forwardSpeed = 10.0f;
      p.chassisPoint.velocity = Vector3(0.0f, 0.0f, 10.0f);
      r->matrix.m[12] = static_cast<float>(i % 5) * 1.5f - 3.0f;
      r->matrix.m[14] = static_cast<float>(i / 5) * 2.5f;
      // The shadow on flat ground under the tyres, as the physics hands it over.
      Shadow& s = r->shadow;
      const Vector3 at(r->matrix.m[12], 0.0f, r->matrix.m[14]);
      s.front = at + Vector3(0.0f, 0.0f, 0.75f);
      s.rear = at - Vector3(0.0f, 0.0f, 1.1f);
      s.right = Vector3(1.0f, 0.0f, 0.0f);
      s.up = Vector3(0.0f, 1.0f, 0.0f);
      s.forward = Vector3(0.0f, 0.0f, 1.0f);
      s.bikePlane.ny = s.bodyPlane.ny = 1.0f;
      riders.push_back(std::move(r));
    }
    ready = true;
  }
  ~Race() {
    riders.clear();
    ReleaseHudWidgets();
    g_Renderer.Close();
    g_TrackArchive.Close();
    std::error_code ec;
    std::filesystem::remove(archivePath, ec);
  }
};

void BM_TwentyRidersFrame(benchmark::State& state) {
  static Race race;
  if (!race.ready) {
    state.SkipWithError("no renderer or no rider");
    return;
  }
  for (auto _ : state) {
    for (auto& r : race.riders) {
      r->UpdatePartMatrices();
      r->EmitGroundDust();
      r->EmitExhaustSmoke();
      r->EmitDirt();
      r->UpdatePose();
      r->shadow.Update(20, 0);
      for (SmokePuff& puff : r->groundDust) puff.Update(20, 0);
      for (DirtParticle& d : r->dirt) d.Update(20, 0);
    }
    g_Renderer.SetAlphaBlendEnable(true);
    g_Renderer.SetSrcBlend(BLEND_ZERO);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
    for (auto& r : race.riders) r->DrawShadow();
    g_Renderer.SetAlphaBlendEnable(false);
    for (auto& r : race.riders) r->DrawGroundDust();
    for (auto& r : race.riders) {
      r->Draw();
      r->DrawDirt();
    }
    for (auto& r : race.riders) r->DrawEngineSmoke();
    for (auto& r : race.riders) r->DrawExhaustSmoke();
    g_Renderer.Present();
  }
}

}  // namespace

BENCHMARK(BM_TwentyRidersFrame)->Unit(benchmark::kMillisecond);
