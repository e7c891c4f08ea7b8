#include <cstdio>

#include "engine/app.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/scene/scene_table.h"
#include "engine/services/front_end.h"
#include "engine/services/race.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/win32/debug.h"

namespace {

// Reopens the display at another size. Each failure has been reported by the
// renderer or the texture manager.
bool SwitchDisplay(std::uint32_t width, std::uint32_t height) {
  g_Cursor.FreeTextures();
  g_Renderer.Close();
  g_ScreenWidth = width;
  g_ScreenHeight = height;
  if (!g_Renderer.Open()) return false;
  if (!g_Cursor.ReloadTextures()) return false;
  g_Cursor.SetClipRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
  return true;
}

}  // namespace

bool CreateScene(int sceneNumber) {
  DeleteCurrentScene();

  // A number outside the table is a data error, like an unknown kind.
  const bool inTable = sceneNumber >= 0 && g_SceneTable && static_cast<std::uint32_t>(sceneNumber) < g_App.sceneCount;
  const SceneTableEntry* entry = inTable ? &g_SceneTable[sceneNumber] : nullptr;
  const std::uint32_t kind = entry ? entry->kind : 0xFFFFFFFFu;

  Scene* scene = nullptr;
  if (kind == SCENE_KIND_UI) {
    if (g_ScreenWidth != 640 || g_ScreenHeight != 480) {
      if (!SwitchDisplay(640, 480)) return false;
    }
    g_ColourKey = {250, 0, 200};
    scene = g_FrontEnd ? g_FrontEnd->NewUiScene() : nullptr;
    if (scene) {
      g_CurrentScene = scene;
      g_FrontEnd->ClearRaceScene();
      g_FrontEnd->SetUiScene(scene);
    }
  } else if (kind == SCENE_KIND_RACE) {
    // Compared with 640x480, not with the current size: a race after a race
    // at another size reopens the display at the same size.
    if (g_GameWidth != 640 || g_GameHeight != 480) {
      if (!SwitchDisplay(g_GameWidth, g_GameHeight)) return false;
    }
    g_ColourKey = {0, 0, 0};
    scene = g_Race ? g_Race->NewRaceScene() : nullptr;
    if (scene) {
      g_CurrentScene = scene;
      if (g_FrontEnd) {
        g_FrontEnd->ClearUiScene();
        g_FrontEnd->SetRaceScene(scene);
      }
    }
  } else {
    ShowMessageBox("File error (unknown scene type).\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  if (!scene) {
    ShowMessageBox("Error: Not enough memory to run.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }

  g_SceneNumber = static_cast<std::uint32_t>(sceneNumber);
  // The scene sequence on the debugger output, for whoever follows a run.
  char entered[32];
  std::snprintf(entered, sizeof entered, "scene %d\n", sceneNumber);
  OutputDebugStringA(entered);
  if (!scene->ResetClearColour()) return false;
  if (!scene->ResetRenderStates()) return false;
  return scene->Start(entry->name);
}
