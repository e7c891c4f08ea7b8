#include "tools/replay_files.h"

#include <cstring>

namespace kelvdata {

namespace {

constexpr std::size_t kBlockRecords = 4000;

void Record(ByteWriter* w, const ReplayRecordSpec& r) {
  w->F32(r.frameTime);
  w->F32(r.throttle);
  w->U32(r.control1);
  w->U32(r.control2);
}

}  // namespace

Bytes BuildReplay(const std::vector<ReplayRecordSpec>& records, const ReplayRecordSpec& filler) {
  ByteWriter w;
  for (const ReplayRecordSpec& r : records) Record(&w, r);
  const std::size_t rest = records.size() % kBlockRecords;
  if (rest != 0) {
    for (std::size_t i = rest; i < kBlockRecords; ++i) Record(&w, filler);
  }
  return w.Take();
}

std::vector<ReplayRecordSpec> SyntheticReplay(std::uint32_t count) {
  std::vector<ReplayRecordSpec> out(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    out[i].frameTime = 1.0f / 60.0f;
    out[i].throttle = 1.0f;
    const float steer = static_cast<float>(static_cast<int>(i % 200) - 100) * 0.01f;
    std::memcpy(&out[i].control1, &steer, 4);
  }
  return out;
}

}  // namespace kelvdata
