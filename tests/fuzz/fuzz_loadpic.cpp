// Fuzz target for the loading-picture reader: the input is the file, scaled
// to a small screen and to one wider than the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "race/race/loading_picture.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bytes.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvtest::FuzzTempFile file("kelv-fuzz-loadpic", ".tex");
  Check(kelvdata::WriteHostFile(file.path, kelvdata::Bytes(data, data + size)));
  const std::uint32_t screens[2][2] = {{64, 48}, {700, 3}};
  for (const auto& screen : screens) {
    DiskFile f;
    Check(f.Open(file.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    DataReader in(&f);
    std::unique_ptr<std::uint16_t[]> picture = ReadLoadingPicture(in, screen[0], screen[1]);
    if (!picture) continue;
    // A picture was read only when the file held every pixel it names.
    Check(size >= 4);
    const std::uint32_t w = data[0] | data[1] << 8;
    const std::uint32_t h = data[2] | data[3] << 8;
    Check(w > 0 && h > 0 && size - 4 >= 3ull * w * h);
    // The first pixel is the picture's first, in RGB565.
    Check(picture[0] == ((data[4] >> 3) << 11 | (data[5] >> 2) << 5 | data[6] >> 3));
  }
  return 0;
}
