#include "engine/scene/scene_table.h"

#include <cstring>
#include <new>

#include "engine/disk_file.h"

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
}

bool ReadSceneTable(DiskFile& file, SceneTableEntry** table, std::uint32_t* count) {
  // A count that the file cannot hold is a damaged file; checked before the
  // table is allocated.
  std::uint32_t n = 0;
  const int size = file.Size();
  if (size < 4 || !file.SeekToStart() || !ReadU32(file, &n)) return false;
  if (n > (static_cast<std::uint32_t>(size) - 4) / MIN_ENTRY_BYTES) return false;
  SceneTableEntry* entries = new (std::nothrow) SceneTableEntry[n == 0 ? 1 : n];
  if (!entries) return false;
  for (std::uint32_t i = 0; i < n; ++i) {
    std::memset(&entries[i], 0, sizeof entries[i]);
    if (!ReadEntry(file, &entries[i])) {
      delete[] entries;
      return false;
    }
  }
  *table = entries;
  *count = n;
  return true;
}
