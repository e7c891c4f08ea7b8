// Host migration: when the host's machine leaves, the layer makes another
// machine the session's host. Two events tell of it in no fixed order: the
// destruction of the old "##SERVER##" player (on every remaining machine)
// and DPSYS_HOST (on the new host only); the second one seen completes the
// migration on the new host, which announces its own server player once.
#include <cstring>
#include <vector>

#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "frontend/game_controller.h"
#include "network/net_game.h"
#include "network/net_game_internal.h"
#include "riders/net_state.h"
#include "riders/rider.h"

bool DirectPlayNetGame::IsServerPlayer(DPID id) {
  if (!g_DirectPlay || id == 0) return false;
  DWORD size = 0;
  if (g_DirectPlay->GetPlayerName(id, nullptr, &size) != DPERR_BUFFERTOOSMALL || size < sizeof(DPNAME)) return false;
  std::vector<std::uint8_t> buffer(size);
  if (g_DirectPlay->GetPlayerName(id, buffer.data(), &size) != DP_OK) return false;
  DPNAME name;
  std::memcpy(&name, buffer.data(), sizeof name);
  return name.lpszLongNameA && std::strcmp(name.lpszLongNameA, NET_SERVER_NAME) == 0;
}

void DirectPlayNetGame::CountMigrationHalf() {
  if (!migrationHalfSeen) {
    migrationHalfSeen = 1;
    return;
  }
  const auto bytes = EncodeNetValue(NET_MSG_NEW_SERVER, g_NetServerPlayerId);
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) != 0) Send(LocalId(), SlotId(k), bytes, true);
  }
  migrationHalfSeen = 0;
}

void DirectPlayNetGame::ServerPlayerDestroyed(DPID id) {
  // A client may hear the new host's announcement before it notices the old
  // host's departure itself; that late destruction is no half of anything,
  // and counting it would leave a half pending for a later migration.
  if (!migrationHalfSeen && g_NetServerPlayerId != 0 && id != g_NetServerPlayerId) return;
  CountMigrationHalf();
}

void DirectPlayNetGame::HostMigrated() {
  // When it cannot be made, the old id stays and the rest still happens.
  CreateServerPlayer();
  CountMigrationHalf();
  allReady = readyCount = resultsDone = outCount = 0;
  endWait = 5.0f;
  RebuildHostTables();
  isHost = 1;
  g_NetBecameHost = 1;
  if (g_SceneNumber == 4 || g_SceneNumber == 21 || g_SceneNumber == 16)
    FrontEndCommand(CMD_LOAD_FOCUS_LIST, 0, 0, "NULL");
}

void DirectPlayNetGame::RebuildHostTables() {
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    const DPID id = SlotId(k);
    ResetSnapshotRecord(k, id);
    ResetFactorsRecord(k, id);
    if (id == 0) continue;
    allFactors.values[k] = NetConditionsOf(k);
    const Rider* r = riders[k];
    if (!r) continue;
    // Quantised as the riders' own sender does, the on-track flag included.
    NetRiderState state;
    state.position = r->physics.position;
    state.orientation = r->physics.orientation;
    state.crashed = r->physics.crashed;
    state.onTrack = r->physics.onTrack;
    snapshot.states[k] = DecodeRiderStateRecord(EncodeRiderState(state));
    snapshot.states[k].updateCount = 0;
  }
}
