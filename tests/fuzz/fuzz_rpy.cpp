// Fuzz target for the replay reader: the first four bytes are the record
// count the recording left, the rest is DATA\1.RPY. Playback reads at most
// that many records, every frame time within 0.001..0.05 s, and ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "race/replay_recorder.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bytes.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Root : kelvtest::FuzzTempFile {
  Root() : FuzzTempFile("kelv-fuzz-rpy", "") { std::filesystem::create_directories(std::filesystem::path(path) / "DATA"); }
  ~Root() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Root root;
  static ReplayRecorder* recorder = new ReplayRecorder();
  if (size < 4) return 0;
  std::uint32_t count = 0;
  std::memcpy(&count, data, 4);
  count %= ReplayRecorder::MAX_RECORDS + 1;
  const std::filesystem::path outside = std::filesystem::current_path();
  std::filesystem::current_path(root.path);
  Check(kelvdata::WriteHostFile("DATA/1.RPY", kelvdata::Bytes(data + 4, data + size)));
  ReplayRecorder& r = *recorder;
  r.ok = true;
  r.recordCount = count;
  r.bufferCount = 0;
  r.Rewind();
  std::uint32_t read = 0;
  ReplayFrame f;
  while (!r.Read(f)) {
    ++read;
    Check(f.frameTime >= 0.001f && f.frameTime <= 0.05f);
    Check(read <= count);
  }
  // Over stays over.
  Check(r.Read(f));
  r.Delete();
  std::filesystem::current_path(outside);
  return 0;
}
