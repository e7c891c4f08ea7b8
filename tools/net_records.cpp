#include "tools/net_records.h"

#include "tools/seeds.h"

namespace kelvdata {

Bytes BuildRiderState(const RiderStateSpec& spec) {
  ByteWriter w;
  w.U32(spec.type);
  w.U8(spec.freshCount);
  w.U8(0);
  for (std::int16_t v : spec.position) w.U16(static_cast<std::uint16_t>(v));
  for (std::int8_t v : spec.orientation) w.U8(static_cast<std::uint8_t>(v));
  w.U8(spec.crashed);
  w.U8(spec.onTrack);
  w.U8(0);
  w.U8(0);
  return w.Take();
}

bool WriteRiderStateSeeds(const std::string& dir) {
  RiderStateSpec riding;
  riding.position = {0, 16, 655};  // 0.5 m up, 20 m along
  RiderStateSpec stale = riding;
  stale.freshCount = 0;
  RiderStateSpec crashed = riding;
  crashed.crashed = 1;
  crashed.orientation = {90, 0, 0, 90};
  RiderStateSpec offTrack = riding;
  offTrack.onTrack = 0;
  offTrack.freshCount = 2;
  RiderStateSpec zero = riding;
  zero.orientation = {0, 0, 0, 0};
  RiderStateSpec far = riding;
  far.position = {32767, -32768, 32767};
  far.orientation = {-128, -128, -128, -128};
  // The fuzz target reads a stream: each record followed by a byte of frames.
  Bytes stream;
  for (int i = 0; i < 8; ++i) {
    RiderStateSpec s = riding;
    s.position[2] = static_cast<std::int16_t>(655 + 65 * (i + 1));
    s.crashed = i == 5 ? 1 : 0;
    const Bytes b = BuildRiderState(s);
    stream.insert(stream.end(), b.begin(), b.end());
    stream.push_back(12);
  }
  return WriteHostFiles(dir, {{"stream.bin", stream},
                              {"riding.bin", BuildRiderState(riding)},
                              {"stale.bin", BuildRiderState(stale)},
                              {"crashed.bin", BuildRiderState(crashed)},
                              {"off_track.bin", BuildRiderState(offTrack)},
                              {"zero_rotation.bin", BuildRiderState(zero)},
                              {"far.bin", BuildRiderState(far)}});
}

}  // namespace kelvdata
