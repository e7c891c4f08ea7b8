// The race run together: the start handshake, the rider-state and condition
// clocks, the host's relay of every rider's state and bike conditions, the
// end handshake with the final order, and the results to the clients.
#include <cmath>
#include <cstring>

#include "engine/scene/scene.h"
#include "engine/services/event.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/race_series.h"
#include "network/net_game.h"
#include "network/net_game_internal.h"
#include "platform/win32/timer.h"
#include "race/race_manager.h"
#include "riders/rider.h"
#include "riders/rider_physics.h"

float* const g_NetConditionArrays[NET_CONDITIONS] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension,
                                                     g_ConditionBrakes, g_ConditionGearbox};

NetConditions NetConditionsOf(int slot) {
  NetConditions v{};
  for (std::size_t i = 0; i < NET_CONDITIONS; ++i) v[i] = g_NetConditionArrays[i][slot];
  return v;
}

void SetNetConditions(int slot, const NetConditions& values) {
  for (std::size_t i = 0; i < NET_CONDITIONS; ++i) g_NetConditionArrays[i][slot] = values[i];
}

std::uint8_t NetMotoColumn() { return g_RaceType == RACE_TYPE_MOTO_1 ? 0 : 1; }

namespace {

std::size_t ChampionshipColumn() {
  const std::size_t round = g_Championship.current < 0 ? 0 : static_cast<std::size_t>(g_Championship.current);
  return round * 2 + NetMotoColumn();
}

}  // namespace

NetEventRecord ReadNetEventRecord(int slot, bool championship) {
  NetEventRecord r;
  if (slot < 0 || slot >= 20) return r;
  const RaceSeries& series = championship ? static_cast<const RaceSeries&>(g_Championship) : g_SingleRace;
  if (championship) {
    const std::size_t at = ChampionshipColumn();
    if (at < g_Championship.positions[slot].size()) r.position = g_Championship.positions[slot][at];
  } else {
    r.position = g_SingleRace.motoPositions[slot][NetMotoColumn()];
  }
  r.finishTime = series.raceTimes[slot];
  r.bestLap = series.bestLaps[slot];
  r.laps = series.lapsRidden[slot];
  r.out = series.outOfRace[slot];
  return r;
}

void WriteNetEventRecord(int slot, bool championship, const NetEventRecord& record) {
  if (!g_Event || slot < 0 || slot >= 20) return;
  EventServices::Result r;
  r.place = record.position;
  std::memcpy(r.raceTime, &record.finishTime, sizeof r.raceTime);
  std::memcpy(r.bestLap, &record.bestLap, sizeof r.bestLap);
  r.lapsRidden = record.laps;
  r.out = record.out;
  g_Event->WriteResult(static_cast<std::uint8_t>(slot), NetMotoColumn(), championship, r);
}

void DirectPlayNetGame::SetRaceManager(RaceManager* manager) {
  raceManager = manager;
  if (manager) return;
  for (Rider*& r : riders) r = nullptr;
  // The next race measures its clocks afresh.
  lastTimeMs = 0;
}

bool DirectPlayNetGame::UpdateStartSync() {
  resultsDone = 0;
  outCount = 0;
  endWait = 5.0f;
  ownReportWait = 0.0f;
  Receive();
  if (lastTimeMs == 0) lastTimeMs = timeGetTime();
  if (isHost && !allReady && readyCount + 1 >= g_NetPlayerCount) {
    SendSignalTo(NET_MSG_ALL_READY, true, 0);
    allReady = 1;
  }
  return allReady != 0;
}

void DirectPlayNetGame::UpdateTimers(float frameTime) {
  const std::uint32_t now = timeGetTime();
  // A clock that was not started counts from this frame on rather than from
  // the epoch, which would tick in every frame for days.
  const std::uint32_t elapsedMs = lastTimeMs == 0 ? 0 : now - lastTimeMs;
  lastTimeMs = now;
  // The clock grows only in frames without a tick, so a frame holds one
  // tick at most and a long one leaves its remainder for the next frames.
  if (snapshotClock >= period) {
    periodTick = 1;
    snapshotClock -= period;
    CaptureRiders(elapsedMs);
  } else {
    periodTick = 0;
    snapshotClock += static_cast<float>(elapsedMs) * 0.001f;
  }
  if (factorsClock >= 30.0f) {
    factorsClock = 0.0f;
  } else {
    factorsClock += frameTime;
  }
}

void DirectPlayNetGame::SendSnapshotIfDue() {
  if (isHost && periodTick) BroadcastSnapshot();
}

void DirectPlayNetGame::BroadcastSnapshot() {
  const auto bytes = EncodeNetSnapshot(snapshot);
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) != 0) Transmit(g_NetServerPlayerId, SlotId(k), bytes, SendMode::SEND_EX);
  }
  // The host's own remote riders take the same states.
  HandleGameMessage(bytes, g_NetServerPlayerId, LocalId());
  for (NetRiderStateFields& s : snapshot.states) s.updateCount = 0;
}

void DirectPlayNetGame::SendFactors() {
  // Only in the frame in which the 30-second cycle wrapped.
  if (factorsClock != 0.0f) return;
  if (!isHost) {
    NetRiderFactors m;
    m.values = NetConditionsOf(0);
    Transmit(LocalId(), g_NetServerPlayerId, EncodeNetRiderFactors(m), SendMode::PLAIN);
    return;
  }
  allFactors.playerIds[0] = LocalId();
  allFactors.values[0] = NetConditionsOf(0);
  const auto bytes = EncodeNetAllFactors(allFactors);
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) != 0) Transmit(g_NetServerPlayerId, SlotId(k), bytes, SendMode::PLAIN);
  }
}

bool DirectPlayNetGame::UpdateRaceEnd(unsigned) {
  // The state clock keeps running until the results are complete: the
  // others may still be racing and need the host's snapshots.
  allReady = startReceived = readyCount = introDoneCount = 0;
  Receive();
  if (isHost && !resultsDone) {
    if (outCount + 1 < g_NetPlayerCount) {
      endWait = 0.0f;
    } else {
      // The race writes the own record in the next frame; should it never
      // do so, every machine would wait for the results for ever.
      const bool pending = OwnReportPending();
      if (pending) ownReportWait += g_FrameTime;
      const bool givenUp = pending && ownReportWait >= 5.0f;
      if (givenUp) MarkOwnRecordOut();
      if (!pending || givenUp) {
        endWait += g_FrameTime;
        if (endWait >= 5.0f) {
          ComputeFinalOrder();
          resultsDone = 1;
        }
      }
    }
  }
  if (!resultsDone) return false;
  SetRaceManager(nullptr);
  return true;
}

bool DirectPlayNetGame::OwnReportPending() const {
  // The race puts the local rider out in the frame's end check, after the
  // race manager's step that writes the rider's own record; that record
  // carries the out flag only from the next frame on. Ordered before then,
  // the rider would find no record of its own to be placed by.
  const Rider* own = riders[0];
  return own && own->out && !ReadNetEventRecord(0, isChampionship != 0).out;
}

void DirectPlayNetGame::MarkOwnRecordOut() {
  const bool championship = isChampionship != 0;
  NetEventRecord r = ReadNetEventRecord(0, championship);
  r.out = 1;
  WriteNetEventRecord(0, championship, r);
}

void DirectPlayNetGame::ComputeFinalOrder() {
  const bool championship = isChampionship != 0;
  bool placed[NET_PLAYER_SLOTS] = {};
  for (int p = 1; p <= g_NetPlayerCount; ++p) {
    int winner = -1;
    std::uint32_t best = 0;
    for (int s = 0; s < NET_PLAYER_SLOTS; ++s) {
      const Rider* r = riders[s];
      if (SlotId(s) == 0 || placed[s] || !r || r->out || r->racePosition > p) continue;
      const std::uint32_t t = ReadNetEventRecord(s, championship).finishTime.totalMs;
      // Strictly faster: on equal times the lower slot keeps the place.
      if (winner < 0 || t < best) {
        winner = s;
        best = t;
      }
    }
    if (winner >= 0) {
      NetEventRecord rec = ReadNetEventRecord(winner, championship);
      rec.position = static_cast<std::uint8_t>(p);
      rec.out = 0;
      rec.laps = std::trunc(rec.laps);
      WriteNetEventRecord(winner, championship, rec);
      placed[winner] = true;
      continue;
    }
    for (int s = 0; s < NET_PLAYER_SLOTS; ++s) {
      if (SlotId(s) == 0 || placed[s] || !ReadNetEventRecord(s, championship).out) continue;
      NetEventRecord rec;
      rec.position = static_cast<std::uint8_t>(p);
      rec.out = 1;
      WriteNetEventRecord(s, championship, rec);
      placed[s] = true;
      break;
    }
  }
}

void DirectPlayNetGame::SendResults() {
  if (!isHost) return;
  const bool championship = isChampionship != 0;
  for (int i = 1; i < NET_PLAYER_SLOTS; ++i) {
    const DPID to = SlotId(i);
    if (to == 0) continue;
    for (int j = 0; j < NET_PLAYER_SLOTS; ++j) {
      if (SlotId(j) == 0) continue;
      const NetEventRecord rec = ReadNetEventRecord(j, championship);
      NetResultMessage m;
      m.playerId = SlotId(j);
      m.position = rec.position;
      m.finishTime = rec.finishTime;
      m.bestLap = rec.bestLap;
      m.laps = rec.laps >= 255.0f ? 255 : rec.laps > 0.0f ? static_cast<std::uint8_t>(rec.laps) : 0;
      m.out = rec.out;
      Transmit(LocalId(), to, EncodeNetResult(m), SendMode::GUARANTEED);
    }
  }
  SendSignalTo(NET_MSG_RESULTS_DONE, true, 0);
  CaptureResults();
}
