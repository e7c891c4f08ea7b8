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

class DiskFile;

// Reads a scene table from the start of an open file. Every count, length
// and NUL is checked against the file's bytes before it is used; a damaged
// table gives false and leaves nothing allocated. On success *table is a
// new[] array of *count entries (never null).
bool ReadSceneTable(DiskFile& file, SceneTableEntry** table, std::uint32_t* count);

// Frees g_SceneTable (the count is the App's to clear).
void FreeSceneTable();

// The scene factory: replaces the current scene with a new scene of the
// entry's kind, switching the display when that kind needs another size.
bool CreateScene(int sceneNumber);
