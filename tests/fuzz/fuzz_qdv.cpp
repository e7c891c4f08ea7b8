// Fuzz target for the scene table reader: any bytes as DATA\QDV.BIN. A table
// that reads holds no more entries than the bytes allow, and every name is
// NUL-terminated inside its field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/disk_file.h"
#include "engine/scene/scene_table.h"
#include "tools/bytes.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// One temporary file, reused for every input.
struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-qdv", ".bin") {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  if (!kelvdata::WriteHostFile(temp.path, kelvdata::Bytes(data, data + size))) return 0;
  DiskFile file;
  Check(file.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  SceneTableEntry* table = nullptr;
  std::uint32_t count = 0;
  if (ReadSceneTable(file, &table, &count)) {
    Check(table != nullptr);
    Check(4 + static_cast<std::size_t>(count) * 10 <= size);
    for (std::uint32_t i = 0; i < count; ++i) Check(std::memchr(table[i].name, 0, SCENE_NAME_SIZE) != nullptr);
    delete[] table;
  } else {
    Check(table == nullptr);
  }
  return 0;
}
