// The senders of the game's messages. Send results are ignored: a message
// that the layer refuses is lost, and guaranteed delivery is the layer's.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/game_settings.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "network/net_capture.h"
#include "network/net_game.h"

void DirectPlayNetGame::Transmit(DPID from, DPID to, std::span<const std::uint8_t> bytes, SendMode mode) {
  if (!g_DirectPlay || to == 0 || from == 0) return;
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  const DWORD size = static_cast<DWORD>(copy.size());
  NetCaptureMessage(true, from, to, bytes, mode == SendMode::GUARANTEED);
  switch (mode) {
    case SendMode::GUARANTEED: g_DirectPlay->Send(from, to, DPSEND_GUARANTEED, copy.data(), size); break;
    case SendMode::PLAIN: g_DirectPlay->Send(from, to, 0, copy.data(), size); break;
    case SendMode::SEND_EX: g_DirectPlay->SendEx(from, to, 0, copy.data(), size, 0, 0, nullptr, nullptr); break;
  }
}

void DirectPlayNetGame::Send(DPID from, DPID to, std::span<const std::uint8_t> bytes, bool guaranteed) {
  Transmit(from, to, bytes, guaranteed ? SendMode::GUARANTEED : SendMode::PLAIN);
}

void DirectPlayNetGame::SendToAll(DPID from, std::span<const std::uint8_t> bytes, bool guaranteed) {
  for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
    if (SlotId(k) != 0) Send(from, SlotId(k), bytes, guaranteed);
  }
}

void DirectPlayNetGame::SendSignalTo(std::uint32_t type, bool broadcast, DPID target) {
  const auto bytes = EncodeNetSignal(type);
  if (broadcast) {
    SendToAll(LocalId(), bytes, true);
    if (isHost && type == NET_MSG_START_RACE) startReceived = 1;
  } else {
    Send(LocalId(), target, bytes, true);
  }
}

void DirectPlayNetGame::SendValueTo(std::uint32_t type, bool broadcast, DPID target, std::uint32_t value) {
  const auto bytes = EncodeNetValue(type, value);
  if (broadcast) {
    SendToAll(LocalId(), bytes, true);
  } else {
    Send(LocalId(), target, bytes, true);
  }
}

void DirectPlayNetGame::SendSelection(std::uint16_t eventIndex, std::uint16_t pageValue) {
  SendToAll(LocalId(), EncodeNetSelection({eventIndex, pageValue}), true);
}

void DirectPlayNetGame::SendPlayerInfoTo(bool broadcast, DPID playerId, const char* name, DPID target,
                                         std::uint16_t riderNumber) {
  NetPlayerInfo m;
  m.playerId = playerId;
  if (name) std::strncpy(m.name, name, NET_NAME_SIZE - 1);
  m.riderNumber = riderNumber;
  const auto bytes = EncodeNetPlayerInfo(m);
  if (broadcast) {
    SendToAll(LocalId(), bytes, true);
  } else {
    Send(LocalId(), target, bytes, true);
  }
}

void DirectPlayNetGame::SendPlayerInfo(const char* name, std::uint16_t riderNumber) {
  if (isHost) {
    SendPlayerInfoTo(true, LocalId(), name, 0, riderNumber);
  } else {
    SendPlayerInfoTo(false, LocalId(), name, g_NetServerPlayerId, riderNumber);
  }
}

void DirectPlayNetGame::SendPlayerText(const char* text) {
  NetPlayerText m;
  if (text) std::strncpy(m.text, text, NET_TEXT_LINE_SIZE - 1);
  SendToAll(LocalId(), EncodeNetPlayerText(m), true);
  std::snprintf(slotTexts[0], NET_TEXT_SIZE, "%s", text ? text : "");
}

void DirectPlayNetGame::SendRaceSetup(DPID newcomer) {
  NetRaceSetup m;
  static_assert(sizeof g_RaceLengthRecord == sizeof m.raceLength, "the race length travels as a race time");
  std::memcpy(&m.raceLength, &g_RaceLengthRecord, sizeof m.raceLength);
  m.skill = g_GameSkill;
  m.championship = isChampionship;
  m.weatherOption = g_OptionWeather;
  m.noBudget = g_NoBudget;
  m.damageOption = g_OptionDamages;
  if (isChampionship) {
    m.round = static_cast<std::uint16_t>(std::max<int>(g_Championship.current, 0));
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) m.playerIds[k] = SlotId(k);
    const std::size_t rounds = std::min<std::size_t>(g_Championship.entries.size(), NET_ROUNDS);
    for (std::size_t r = 0; r < rounds; ++r) {
      m.roundWeather[r] = g_Championship.entries[r].weather;
      for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
        if (SlotId(k) == 0) continue;
        m.points1[k][r] = g_Championship.GetMotoPoints(k, static_cast<std::uint32_t>(r), true);
        m.points2[k][r] = g_Championship.GetMotoPoints(k, static_cast<std::uint32_t>(r), false);
        const std::vector<std::uint8_t>& noScore = g_Championship.noScore[k];
        if (2 * r + 1 < noScore.size()) {
          m.noScore1[k][r] = noScore[2 * r];
          m.noScore2[k][r] = noScore[2 * r + 1];
        }
      }
    }
  }
  Send(LocalId(), newcomer, EncodeNetRaceSetup(m), true);
}

void DirectPlayNetGame::SendRaceStart() {
  NetRaceStart m;
  const RaceEntry* entry = nullptr;
  if (isChampionship) {
    entry = g_Championship.Current();
  } else {
    entry = g_SingleRace.Current();
    m.eventIndex = static_cast<std::uint16_t>(std::max<int>(g_SingleRace.current, 0));
    m.weather = entry ? static_cast<std::uint8_t>(entry->weather) : 0;
  }
  m.gridReversal = entry ? entry->playerAtBack : 0;
  std::uint8_t g = 0;
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    PlayerEntry& e = g_PlayersList.entries[k];
    if (e.netPlayerId != 0) {
      const std::uint8_t place = m.gridReversal ? static_cast<std::uint8_t>(6 - g) : g;
      ++g;
      m.playerIds[k] = e.netPlayerId;
      m.gridPositions[k] = place;
      e.gridPosition = place;
    } else {
      e.gridPosition = 0;
    }
    slotTexts[k][0] = '\0';
  }
  const auto start = EncodeNetRaceStart(m);
  for (int i = 1; i < NET_PLAYER_SLOTS; ++i) {
    const DPID to = SlotId(i);
    if (to == 0) continue;
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      const PlayerEntry& e = g_PlayersList.entries[k];
      if (e.netPlayerId != 0) SendPlayerInfoTo(false, e.netPlayerId, e.name, to, e.riderNumber);
    }
    Send(LocalId(), to, start, true);
  }
}

void DirectPlayNetGame::SendRiderState(std::uint32_t type, NetRiderRecord record) {
  if (isHost) {
    snapshot.states[0] = DecodeRiderStateRecord(record);
    snapshot.states[0].updateCount = 1;
    return;
  }
  // Re-encoded so that the spare bytes are zero and no quaternion part
  // goes out as -128.
  record = EncodeRiderStateRecord(type, DecodeRiderStateRecord(record));
  Transmit(LocalId(), g_NetServerPlayerId, record, SendMode::SEND_EX);
}

void DirectPlayNetGame::SendRaceClock(std::uint32_t ms) { SendValueTo(NET_MSG_RACE_CLOCK, true, 0, ms); }

void DirectPlayNetGame::SendResult(std::uint32_t fromId, std::uint32_t toId, const NetResult& result) {
  Send(LocalId(), toId, EncodeNetResult(ResultMessageOf(fromId, result)), true);
}
