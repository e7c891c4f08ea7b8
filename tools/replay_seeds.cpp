// Seeds of the replay reader: a u32 record count as the recording left it,
// then the bytes of DATA\1.RPY.
#include "tools/replay_files.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

Bytes WithCount(std::uint32_t count, const Bytes& file) {
  ByteWriter w;
  w.U32(count);
  w.Raw(file);
  return w.Take();
}

}  // namespace

bool WriteReplaySeeds(const std::string& dir) {
  const Bytes short_ = BuildReplay(SyntheticReplay(100));
  const Bytes two = BuildReplay(SyntheticReplay(4001));
  ReplayRecordSpec wild;
  wild.frameTime = 1.0e30f;
  wild.throttle = -2.0f;
  const Bytes wildFrames = BuildReplay(std::vector<ReplayRecordSpec>(10, wild));
  return WriteHostFiles(dir, {{"short.rpy", WithCount(100, short_)},
                              {"two_blocks.rpy", WithCount(4001, two)},
                              {"count_past_file.rpy", WithCount(9000, two)},
                              {"truncated.rpy", WithCount(100, Bytes(short_.begin(), short_.begin() + 1000))},
                              {"wild_frames.rpy", WithCount(10, wildFrames)},
                              {"empty.rpy", WithCount(0, {})}});
}

}  // namespace kelvdata
