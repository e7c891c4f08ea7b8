// The scene table DATA\QDV.BIN: for each scene number the kind of scene and
// the scene file that its Start loads.
#pragma once

#include <cstdint>

enum SceneKind : std::uint32_t {
  SCENE_KIND_UI = 0,
  SCENE_KIND_RACE = 1,
};

constexpr std::uint32_t SCENE_NAME_SIZE = 256;

struct SceneTableEntry {
  std::uint32_t kind;
  char name[SCENE_NAME_SIZE];
  std::uint8_t flag;  // read from the file; nothing uses it
};

// Indexed by scene number; the count is g_App.sceneCount.
extern SceneTableEntry* g_SceneTable;

// Frees the table and sets the count to 0.
void FreeSceneTable();

// The scene factory: replaces the current scene with a new scene of the
// entry's kind, switching the display when that kind needs another size.
bool CreateScene(int sceneNumber);
