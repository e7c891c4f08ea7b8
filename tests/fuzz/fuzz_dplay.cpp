// Fuzz target for the network layer's packet decoder: any bytes are either
// refused or decode to a packet that encodes back to the same bytes and
// keeps every id and count within the protocol's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/dplay/protocol.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dplay::Packet p;
  if (!dplay::Decode(data, size, &p)) return 0;
  Check(p.players.size() <= dplay::MAX_LIST_PLAYERS);
  Check(p.nodes.size() <= dplay::MAX_NODES);
  Check(p.payload.size() <= dplay::MAX_PAYLOAD);
  for (const dplay::PlayerRecord& r : p.players) Check(r.id > 1 && r.shortName.size() <= 255);
  const std::vector<std::uint8_t> again = dplay::Encode(p);
  Check(again.size() == size);
  for (std::size_t i = 0; i < size; ++i) Check(again[i] == data[i]);
  return 0;
}
