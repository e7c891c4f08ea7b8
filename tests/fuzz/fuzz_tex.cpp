// Fuzz target for the texture file reader: any bytes as a .TEX member of the
// UI archive, read through the data-file routing at two size classes. A read
// either yields a texture no larger than the file's own size fields and the
// size class, or fails with one error box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/archive.h"
#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-tex", ".bbf") { platform::UseTestMessageBoxes(true); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  // A member after the texture, so that a read past its end would find bytes.
  kelvdata::Bytes archive = kelvdata::BuildBbf(
      {{"_FUZZ.TEX", kelvdata::Bytes(data, data + size)}, {"NEXT.BIN", kelvdata::Bytes(64, 'x')}});
  if (!kelvdata::WriteHostFile(temp.path, archive)) return 0;
  Check(g_UiArchive.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));

  for (std::uint8_t limit : {std::uint8_t(0), std::uint8_t(8)}) {
    TexPixels p;
    if (TextureManager::ReadTexFile("DATA\\UI\\_FUZZ.TEX", true, limit, 250, 0, 200, &p)) {
      Check(platform::RecordedMessageBoxes().empty());
      Check(size >= 4);
      const unsigned w = data[0] | (data[1] << 8);
      const unsigned h = data[2] | (data[3] << 8);
      const unsigned side = (limit ? limit : 1) * 32u;
      Check(p.texels != nullptr && p.width >= 1 && p.height >= 1);
      Check(p.width <= w && p.height <= h && p.width <= side && p.height <= side);
      Check(4ull + 3ull * w * h <= size);
    } else {
      Check(p.texels == nullptr && platform::RecordedMessageBoxes().size() == 1);
    }
    platform::ClearRecordedMessageBoxes();
  }
  g_UiArchive.Close();
  return 0;
}
