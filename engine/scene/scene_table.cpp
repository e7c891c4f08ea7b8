#include "engine/scene/scene_table.h"

#include <cstring>
#include <new>

#include "engine/app.h"
#include "engine/disk_file.h"
#include "engine/system.h"

SceneTableEntry* g_SceneTable = nullptr;

namespace {

// kind, name length, at least the name's NUL, flag.
constexpr std::uint32_t MIN_ENTRY_BYTES = 4 + 4 + 1 + 1;

bool ReadU32(DiskFile& file, std::uint32_t* out) {
  std::uint8_t b[4];
  if (!file.Read(b, 4)) return false;
  *out = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  return true;
}

bool ReadEntry(DiskFile& file, SceneTableEntry* entry) {
  std::uint32_t length = 0;
  if (!ReadU32(file, &entry->kind) || !ReadU32(file, &length)) return false;
  if (length == 0 || length > SCENE_NAME_SIZE) return false;
  if (!file.Read(entry->name, static_cast<int>(length))) return false;
  if (entry->name[length - 1] != '\0') return false;
  return file.Read(&entry->flag, 1);
}

}  // namespace

void FreeSceneTable() {
  delete[] g_SceneTable;
  g_SceneTable = nullptr;
  g_App.sceneCount = 0;
}

bool App::LoadSceneTable(const char* path) {
  FreeSceneTable();

  DiskFile file;
  if (!file.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    ShowMessageBox("File error opening game data.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }

  // A count that the file cannot hold is a damaged file; checked before the
  // table is allocated.
  std::uint32_t count = 0;
  const int size = file.Size();
  bool good = size >= 4 && ReadU32(file, &count) &&
              count <= (static_cast<std::uint32_t>(size) - 4) / MIN_ENTRY_BYTES;
  SceneTableEntry* table = nullptr;
  if (good) {
    table = new (std::nothrow) SceneTableEntry[count == 0 ? 1 : count];
    if (!table) return false;
    for (std::uint32_t i = 0; good && i < count; ++i) {
      std::memset(&table[i], 0, sizeof table[i]);
      good = ReadEntry(file, &table[i]);
    }
  }
  if (!good) {
    delete[] table;
    ShowMessageBox("File error opening game data.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  g_SceneTable = table;
  sceneCount = count;
  return true;
}
