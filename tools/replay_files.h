// The action replay's recording, DATA\1.RPY: no header, whole blocks of 4000
// 16-byte records (frame time f32, throttle-or-brake f32, two u32 control
// words), the last block padded with left-over records.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

struct ReplayRecordSpec {
  float frameTime = 0.016f;
  float throttle = 0.0f;
  std::uint32_t control1 = 0;
  std::uint32_t control2 = 0;
};

// The records, then `filler` records up to the next whole block.
Bytes BuildReplay(const std::vector<ReplayRecordSpec>& records, const ReplayRecordSpec& filler = {});

// `count` records of a steady ride: full throttle, steering slowly from side
// to side, frame times of 1/60 s.
std::vector<ReplayRecordSpec> SyntheticReplay(std::uint32_t count);

}  // namespace kelvdata
