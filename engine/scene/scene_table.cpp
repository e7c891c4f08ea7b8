#include "engine/scene/scene_table.h"

#include <cstring>
#include <new>

#include "engine/data_reader.h"
#include "engine/disk_file.h"

SceneTableEntry* g_SceneTable = nullptr;

namespace {

// kind, name length, at least the name's NUL, flag.
constexpr std::uint32_t MIN_ENTRY_BYTES = 4 + 4 + 1 + 1;

bool ReadEntry(DataReader& r, SceneTableEntry* entry) {
  return r.U32(&entry->kind) && r.String(entry->name, SCENE_NAME_SIZE) && r.U8(&entry->flag);
}

}  // namespace

void FreeSceneTable() {
  delete[] g_SceneTable;
  g_SceneTable = nullptr;
}

bool ReadSceneTable(DiskFile& file, SceneTableEntry** table, std::uint32_t* count) {
  // A count that the file cannot hold is a damaged file; checked before the
  // table is allocated.
  if (!file.SeekToStart()) return false;
  DataReader r(&file);
  std::uint32_t n = 0;
  if (!r.U32(&n) || n > r.Remaining() / MIN_ENTRY_BYTES) return false;
  SceneTableEntry* entries = new (std::nothrow) SceneTableEntry[n == 0 ? 1 : n];
  if (!entries) return false;
  for (std::uint32_t i = 0; i < n; ++i) {
    std::memset(&entries[i], 0, sizeof entries[i]);
    if (!ReadEntry(r, &entries[i])) {
      delete[] entries;
      return false;
    }
  }
  *table = entries;
  *count = n;
  return true;
}
