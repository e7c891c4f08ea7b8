#include "engine/scene/scene.h"

#include <cstdio>
#include <cstring>

#include "engine/app.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/win32/timer.h"

Scene* g_CurrentScene = nullptr;
std::uint32_t g_SceneNumber = 0;
float g_FrameTime = 0.0f;
std::uint8_t g_ShowFrameStats = 0;
std::uint32_t g_RestoreFailureCount = 0;
Dialog* g_Dialogs = nullptr;
std::uint16_t g_DialogCount = 0;
void (*g_FreeDialogs)(Dialog* dialogs) = nullptr;

namespace {

constexpr std::uint32_t STATS_WINDOW_FRAMES = 30;

}  // namespace

Scene::Scene() {
  g_SoundMuffled = 0;
  statsStart_ = timeGetTime();
}

Scene::~Scene() {
  owned_.clear();
  if (g_Dialogs && g_FreeDialogs) g_FreeDialogs(g_Dialogs);
  g_Dialogs = nullptr;
  g_DialogCount = 0;
}

bool Scene::ResetRenderStates() { return g_Renderer.SetDefaultStates(); }

bool Scene::ResetClearColour() {
  g_Renderer.clearRed = 0.0f;
  g_Renderer.clearGreen = 0.0f;
  g_Renderer.clearBlue = 0.0f;
  return true;
}

bool Scene::Start(const char* sceneFile) {
  if (!Load(sceneFile)) return false;
  CreateStatsTexts();
  return true;
}

void Scene::RequestRestore() { restore_ = 1; }

bool Scene::RestoreSurfaces() {
  if (!g_Renderer.RestoreSurfaces()) return false;
  if (!g_TextureManager.ReloadAll()) return false;
  restore_ = 0;
  return true;
}

bool Scene::RunFrame() {
  // The movie scenes of the start-up sequence only run their own step: no
  // restore, no clear, no present, no statistics.
  const bool ownStepOnly = g_SceneNumber == 27 || g_SceneNumber == 29;

  if (!ownStepOnly) {
    if (restore_) {
      if (RestoreSurfaces()) {
        g_RestoreFailureCount = 0;
        return true;
      }
      ++g_RestoreFailureCount;
      if (g_RestoreFailureCount > MAX_RESTORE_FAILURES) {
        ShowMessageBox(
            "Error: Unable to restore rendering surfaces. Aborting program execution.\n"
            "Please check you have the latest version of your display driver.",
            MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
        // The program cannot draw any more: end it now rather than on a
        // later counted failure.
        g_App.RequestClose();
        return false;
      }
      return true;
    }

    g_Renderer.clearRed = 0.0f;
    g_Renderer.clearGreen = 0.0f;
    g_Renderer.clearBlue = 0.0f;

    // Clear only what lies outside the 3D view; the scene draws the view.
    const int w = static_cast<int>(g_ScreenWidth);
    const int h = static_cast<int>(g_ScreenHeight);
    const int left = static_cast<int>(g_ViewRect.left);
    const int right = static_cast<int>(g_ViewRect.right);
    const int top = static_cast<int>(g_ViewRect.top);
    const int bottom = static_cast<int>(g_ViewRect.bottom);
    if (g_ViewWidth < static_cast<float>(w - 1)) {
      g_Renderer.ClearRect(0, 0, w, top, false);
      g_Renderer.ClearRect(0, top, left, bottom, false);
      g_Renderer.ClearRect(right, top, w, bottom, false);
      g_Renderer.ClearRect(0, bottom, w, h, false);
    } else {
      g_Renderer.ClearRect(0, 0, w - 1, h - 1, true);
      g_Renderer.ClearRect(w - 2, 0, w, h, true);
      g_Renderer.ClearRect(0, h - 2, w, h, true);
    }
  }

  if (!RenderScene()) {
    if (g_SceneNumber == 27) return true;
    if (g_SceneNumber != 29) {
      ShowMessageBox("Error: RenderScene failed.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
      return false;
    }
  }
  if (ownStepOnly) return true;

  if (g_SceneNumber != 28 && g_ShowFrameStats) {
    CollectStats();
    DrawStats();
  }

  switch (g_Renderer.Present()) {
    case PresentResult::SHOWN:
      return true;
    case PresentResult::SURFACE_LOST:
      restore_ = 1;
      return true;
    case PresentResult::FAILED:
      break;
  }
  return false;
}

bool Scene::RenderScene() { return true; }

void Scene::OnKey(UINT, WPARAM, LPARAM) {}

void Scene::OnMouse(UINT, WPARAM, LPARAM) {}

bool Scene::AcceptsKeys() { return acceptsKeys_ != 0; }

bool Scene::AcceptsMouse() { return acceptsMouse_ != 0; }

std::uint32_t Scene::GetState() { return state_; }

bool Scene::SetFogColour(float, float, float red, float green, float blue) {
  g_Renderer.SetFogColour(red, green, blue);
  return true;
}

// Line 1 anchored top left, line 2 bottom left. Without the UI toolkit the
// lines are only built.
bool Scene::CreateStatsTexts() {
  for (int i = 0; i < 2; ++i) {
    statsTexts_[i].reset(g_Ui ? g_Ui->NewOverlayText() : nullptr);
    if (!statsTexts_[i]) continue;
    statsTexts_[i]->SetAnchors(i == 0 ? 1 : 0, 1);
    statsTexts_[i]->SetScale(1.0f, 1.0f, 0.0f);
    statsTexts_[i]->SetColour(0.0f, 1.0f, 0.5f);
  }
  return true;
}

bool Scene::ResetStats() {
  statsStart_ = timeGetTime();
  statsFrames_ = 0;
  statsPixelSum_ = 0;
  statsFps_ = 0.0f;
  statsTrianglesOut_ = 0;
  statsOverdraw_ = 0;
  statsTrianglesIn_ = 0;
  statsVerticesIn_ = 0;
  return true;
}

bool Scene::CollectStats() {
  RendererStatistics stats = {};
  g_Renderer.GetStatistics(&stats);
  statsTrianglesOut_ = stats.trianglesDrawn;
  statsTrianglesIn_ = stats.trianglesIn;
  statsVerticesIn_ = stats.verticesIn;
  statsPixelSum_ += stats.pixelsWritten;

  if (++statsFrames_ >= STATS_WINDOW_FRAMES) {
    const std::uint32_t now = timeGetTime();
    // A window shorter than the clock's resolution counts as 1 ms.
    std::uint32_t elapsedMs = now - statsStart_;
    if (elapsedMs == 0) elapsedMs = 1;
    statsFps_ = static_cast<float>(STATS_WINDOW_FRAMES) / (static_cast<float>(elapsedMs) * 0.001f);
    const std::uint64_t screenPixels = static_cast<std::uint64_t>(g_ScreenWidth) * g_ScreenHeight;
    statsOverdraw_ = screenPixels == 0
                         ? 0
                         : static_cast<std::uint32_t>(static_cast<std::uint64_t>(statsPixelSum_ / STATS_WINDOW_FRAMES) *
                                                      100 / screenPixels);
    statsPixelSum_ = 0;
    statsFrames_ = 0;
    statsStart_ = now;
  }
  return true;
}

bool Scene::DrawStats() {
  std::snprintf(statsLine2_, sizeof statsLine2_, "%dX%dX%d  %s", static_cast<int>(g_ScreenWidth),
                static_cast<int>(g_ScreenHeight), 16, "RGB");

  char fps[32] = "";
  char trianglesOut[32] = "";
  char overdraw[32] = "";
  char trianglesIn[32] = "";
  char verticesIn[32] = "";
  // Far beyond any real rate; keeps the conversion to an integer defined.
  const float fpsShown = statsFps_ < 1.0e7f ? statsFps_ : 1.0e7f;
  const long fpsHundredths = static_cast<long>(fpsShown * 100.0f);
  if (fpsHundredths > 0) {
    std::snprintf(fps, sizeof fps, "%02ld.%02ld FPS ", fpsHundredths / 100, fpsHundredths % 100);
  }
  if (statsTrianglesOut_ > 0) std::snprintf(trianglesOut, sizeof trianglesOut, "%06ld TOUT ", static_cast<long>(statsTrianglesOut_));
  if (statsOverdraw_ > 0) {
    std::snprintf(overdraw, sizeof overdraw, "%04ld.%02ld OD ", static_cast<long>(statsOverdraw_ / 100),
                  static_cast<long>(statsOverdraw_ % 100));
  }
  if (statsTrianglesIn_ > 0) std::snprintf(trianglesIn, sizeof trianglesIn, "%06ld TIN ", static_cast<long>(statsTrianglesIn_));
  if (statsVerticesIn_ > 0) std::snprintf(verticesIn, sizeof verticesIn, "%06ld VIN ", static_cast<long>(statsVerticesIn_));
  std::snprintf(statsLine1_, sizeof statsLine1_, "%s%s%s%s%s", fps, trianglesOut, overdraw, trianglesIn, verticesIn);

  // Centred on the 640-unit layout, 1 unit from the anchored edge.
  statsLine1X_ = 320.0f - 5.0f * static_cast<float>(std::strlen(statsLine1_));
  statsLine2X_ = 320.0f - 5.0f * static_cast<float>(std::strlen(statsLine2_));

  g_Renderer.ResetStatistics();
  g_Renderer.SetZEnable(false);
  g_Renderer.SetZWriteEnable(false);
  const char* lines[2] = {statsLine1_, statsLine2_};
  const float xs[2] = {statsLine1X_, statsLine2X_};
  for (int i = 0; i < 2; ++i) {
    if (!statsTexts_[i] || lines[i][0] == '\0') continue;
    statsTexts_[i]->SetPosition(xs[i], 1.0f, 0.0f);
    statsTexts_[i]->SetText(lines[i]);
    statsTexts_[i]->Draw();
  }
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  g_Renderer.DrawFade();
  return true;
}

void Scene::SetFrameTime(unsigned elapsedMs) {
  float t = static_cast<float>(elapsedMs) * 0.001f;
  if (t > 0.05f) t = 0.05f;
  if (elapsedMs == 0) t = 0.001f;
  g_FrameTime = t;
}

void DeleteCurrentScene() {
  if (!g_CurrentScene) return;
  delete g_CurrentScene;
  g_CurrentScene = nullptr;
  // The game controller must not keep a pointer to the deleted scene.
  if (g_FrontEnd) {
    g_FrontEnd->ClearUiScene();
    g_FrontEnd->ClearRaceScene();
  }
}
