// Fuzz target for the text database reader: any bytes as the GAMETXT0.TDB
// member of the UI archive, loaded through the data-file routing, every text
// read, then released. A failed load must leave the database empty; a
// loaded one holds no more text than the member's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/archive.h"
#include "engine/text_database.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// One temporary archive file, reused for every input.
struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-tdb", ".bbf") { platform::UseTestMessageBoxes(true); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  // A member after the database, so that a read past its end would find bytes.
  kelvdata::Bytes archive = kelvdata::BuildBbf(
      {{"GAMETXT0.TDB", kelvdata::Bytes(data, data + size)}, {"NEXT.BIN", kelvdata::Bytes(64, 'x')}});
  if (!kelvdata::WriteHostFile(temp.path, archive)) return 0;
  Check(g_UiArchive.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));

  if (g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB")) {
    Check(platform::RecordedMessageBoxes().empty());
    std::size_t total = 0;
    for (std::uint32_t id = 0; id <= g_TextDatabase.Count(); ++id) total += std::strlen(g_TextDatabase.Text(id)) + 1;
    Check(total <= size + 1);
  } else {
    Check(g_TextDatabase.Count() == 0 && g_TextDatabase.Text(0)[0] == '\0');
    Check(platform::RecordedMessageBoxes().size() == 1);
  }
  g_TextDatabase.Release();
  g_UiArchive.Close();
  platform::ClearRecordedMessageBoxes();
  return 0;
}
