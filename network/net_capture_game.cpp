// What the capture file records of the network game's own state beside the
// messages: it answers the questions a run is checked by (does a snapshot
// leave the local rider alone, do the condition values arrive bit for bit,
// do both machines end with the same results).
#include <cstring>

#include "network/net_capture.h"
#include "network/net_game.h"
#include "network/net_game_internal.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"

void DirectPlayNetGame::CaptureHandled(std::span<const std::uint8_t> message, DPID sender, DPID receiver) {
  const std::optional<NetMessageType> type = PeekNetMessageType(message);
  const Rider* own = riders[0];
  Vector3 before(0.0f, 0.0f, 0.0f);
  if (own) before = own->physics.position;
  HandleGameMessage(message, sender, receiver);
  if (!type) return;
  if (*type == NET_MSG_SNAPSHOT && own && riders[0] == own) {
    const Vector3 after = own->physics.position;
    if (std::memcmp(&before, &after, sizeof before) != 0) {
      NetCaptureNote("SLOT0_CHANGED", "%.3f %.3f %.3f", static_cast<double>(after.x), static_cast<double>(after.y),
                     static_cast<double>(after.z));
    }
  }
  if (*type == NET_MSG_ALL_FACTORS) {
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      if (SlotId(k) == 0) continue;
      const NetConditions c = NetConditionsOf(k);
      std::uint32_t bits[NET_CONDITIONS];
      std::memcpy(bits, c.data(), sizeof bits);
      NetCaptureNote("COND", "slot=%d id=%u %08x %08x %08x %08x %08x", k, SlotId(k), bits[0], bits[1], bits[2],
                     bits[3], bits[4]);
    }
  }
  if (*type == NET_MSG_RESULTS_DONE) CaptureResults();
}

void DirectPlayNetGame::CaptureRiders(std::uint32_t frameMs) {
  if (!NetCaptureOn()) return;
  // The tick's own frame, which the state clock does not count: from these
  // a checker tells the clock's pace from the frame rate's.
  NetCaptureNote("TICK", "frame=%u", frameMs);
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    const Rider* r = riders[k];
    if (!r || SlotId(k) == 0) continue;
    const Vector3& p = r->physics.position;
    NetCaptureNote("POS", "slot=%d id=%u %.3f %.3f %.3f crashed=%u", k, SlotId(k), static_cast<double>(p.x),
                   static_cast<double>(p.y), static_cast<double>(p.z), static_cast<unsigned>(r->physics.crashed));
  }
}

void DirectPlayNetGame::CaptureResults() {
  if (!NetCaptureOn()) return;
  const bool championship = isChampionship != 0;
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) == 0) continue;
    const NetEventRecord r = ReadNetEventRecord(k, championship);
    NetCaptureNote("RECORD", "id=%u place=%u time=%u best=%u laps=%u out=%u", SlotId(k), r.position,
                   r.finishTime.totalMs, r.bestLap.totalMs, static_cast<unsigned>(r.laps), r.out);
  }
}

void DirectPlayNetGame::CaptureFlags() {
  if (!NetCaptureOn()) return;
  const std::int32_t flags = g_NetPlayerCount | (g_NetBecameHost << 8) | (g_NetOpponentsGone << 9) |
                             (g_NetSessionLost << 10) | (isHost << 11);
  if (flags == capturedFlags) return;
  capturedFlags = flags;
  NetCaptureNote("STATE", "count=%u host=%u became_host=%u opponents_gone=%u session_lost=%u", g_NetPlayerCount,
                 isHost, g_NetBecameHost, g_NetOpponentsGone, g_NetSessionLost);
}
