// What a game message does when it arrives. A message shorter than its
// type's size, of an unknown type, or naming a player in no slot changes
// nothing; a peer's rider number, skill, round, weather, condition or time
// outside its range is ignored, so nothing a peer sends can index past the
// game's tables; and what only the host may say of the race is heard from
// the host alone.
#include <algorithm>
#include <cstring>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "network/net_game.h"
#include "network/net_game_internal.h"
#include "race/race_manager.h"
#include "riders/ai_rider.h"
#include "riders/rider_physics.h"

namespace {

// Through the front end's services, so that a test can record them.
void Command(std::int32_t id, std::int32_t a1 = 0, std::int32_t a2 = 0) {
  FrontEndCommand(static_cast<std::uint32_t>(id), static_cast<std::uint32_t>(a1), static_cast<std::uint32_t>(a2),
                  "NULL");
}

bool ConditionsValid(const NetConditions& v) { return std::all_of(v.begin(), v.end(), NetConditionValid); }

bool SceneIs(std::initializer_list<std::uint32_t> scenes) {
  return std::find(scenes.begin(), scenes.end(), g_SceneNumber) != scenes.end();
}

std::uint32_t RoundCount() { return static_cast<std::uint32_t>(std::min<std::size_t>(g_Championship.entries.size(), NET_ROUNDS)); }

bool HostOnlyRaceMessage(NetMessageType type) {
  switch (type) {
    case NET_MSG_ALL_READY:
    case NET_MSG_ALL_INTRO_DONE:
    case NET_MSG_START_RACE:
    case NET_MSG_SNAPSHOT:
    case NET_MSG_ALL_FACTORS:
    case NET_MSG_RACE_CLOCK:
    case NET_MSG_LAST_LAP:
    case NET_MSG_RESULT:
    case NET_MSG_RESULTS_DONE: return true;
    default: return false;
  }
}

}  // namespace

bool DirectPlayNetGame::FromHost(DPID sender) const {
  return sender != 0 && (sender == g_NetServerPlayerId || (!isHost && sender == hostPlayerId));
}

void DirectPlayNetGame::HandleGameMessage(std::span<const std::uint8_t> bytes, DPID sender, DPID) {
  const std::optional<NetMessage> decoded = DecodeNetMessage(bytes);
  if (!decoded) return;
  const NetMessage& msg = *decoded;
  const int senderSlot = SlotOf(sender);
  const int senderRemote = SlotOf(sender, 1);
  // The race's host-only messages are taken from the host alone: anyone
  // else's would move this machine's clock, start or end its race, or move
  // the others' riders. On the host only its own relay passes.
  if (HostOnlyRaceMessage(msg.type) && !(isHost && msg.type == NET_MSG_RESULT) && !FromHost(sender)) return;
  switch (msg.type) {
    case NET_MSG_SELECTION: {
      const auto& m = std::get<NetSelection>(msg.body);
      const std::uint8_t index = static_cast<std::uint8_t>(m.eventIndex & 0xFF);
      if (index < g_SingleRace.entryCount && index < g_SingleRace.entries.size()) g_SingleRace.current = index;
      if (SceneIs({4, 21})) {
        Command(CMD_CHOOSER_GO_TO_PAGE, 0, m.pageValue);
        Command(CMD_SHOW_EVENT);
      }
      break;
    }
    case NET_MSG_EVENT_OPTION: {
      const std::uint32_t weather = std::get<NetValue>(msg.body).value;
      if (!NetWeatherValid(weather)) break;
      if (!isChampionship) {
        Command(CMD_SET_WEATHER, static_cast<std::int32_t>(weather));
      } else if (RaceEntry* e = g_Championship.Current()) {
        e->weather = static_cast<std::uint16_t>(weather);
        g_WeatherRolled = 1;
        g_WeatherChanged = 1;
      }
      break;
    }
    case NET_MSG_PLAYER_INFO: {
      const auto& m = std::get<NetPlayerInfo>(msg.body);
      if (!NetRiderNumberValid(m.riderNumber)) break;
      if (isHost) {
        OnPlayerInfoHost(m, sender);
      } else {
        OnPlayerInfoClient(m, sender);
      }
      break;
    }
    case NET_MSG_RACE_SETUP: OnRaceSetup(std::get<NetRaceSetup>(msg.body)); break;
    case NET_MSG_CONFIRM:
      if (!isHost) g_NetConfirmed = 1;
      break;
    case NET_MSG_PLAYER_TEXT:
      if (senderSlot >= 0) {
        const auto& m = std::get<NetPlayerText>(msg.body);
        CopyPeerText(std::span(reinterpret_cast<const std::uint8_t*>(m.text), sizeof m.text), slotTexts[senderSlot],
                     NET_TEXT_SIZE);
        if (g_SceneNumber == 16) Command(CMD_NET_SHOW_PLAYERS, 1, 0);
      }
      break;
    case NET_MSG_RACE_START:
      if (isHost) break;
      hostPlayerId = sender;
      OnRaceStart(std::get<NetRaceStart>(msg.body));
      break;
    case NET_MSG_READY:
      if (isHost && readyCount < 255) ++readyCount;
      break;
    case NET_MSG_ALL_READY:
      if (!isHost) allReady = 1;
      break;
    case NET_MSG_NEW_SERVER: {
      // The host is its own server: an announcement can only be a confused
      // or hostile peer's, and following it would stop the host reading its
      // server player's queue. A client follows only a server player that
      // the session holds (the layer tells of its creation before the
      // announcement arrives): any other id would swallow its reports.
      const std::uint32_t id = std::get<NetValue>(msg.body).value;
      if (isHost || !IsServerPlayer(id)) break;
      hostPlayerId = sender;
      SetServerPlayer(id);
      migrationHalfSeen = 0;
      serverChanged = 1;
      break;
    }
    case NET_MSG_RIDER_OUT:
    case NET_MSG_RIDER_BACK: {
      const bool back = msg.type == NET_MSG_RIDER_BACK;
      if (senderRemote < 0) break;
      if (riders[senderRemote]) riders[senderRemote]->Withdraw(back);
      if (isHost) {
        if (!back && outCount < 255) ++outCount;
        if (back && outCount > 0) --outCount;
      }
      break;
    }
    case NET_MSG_INTRO_DONE:
      if (!isHost) break;
      if (introDoneCount < 255) ++introDoneCount;
      if (introDoneCount == g_NetPlayerCount - 1) {
        SendSignalTo(NET_MSG_ALL_INTRO_DONE, true, 0);
        if (raceManager) raceManager->EnableIntroHelp();
      }
      break;
    case NET_MSG_ALL_INTRO_DONE:
      if (raceManager) raceManager->EnableIntroHelp();
      break;
    case NET_MSG_START_RACE: startReceived = 1; break;
    case NET_MSG_RIDER_STATE:
    case NET_MSG_RIDER_STATE_2: {
      if (!isHost) break;
      for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
        if (snapshot.playerIds[k] == sender && sender != 0) {
          TakeRiderState(&snapshot.states[k], std::get<NetRiderStateMessage>(msg.body).state);
          break;
        }
      }
      break;
    }
    case NET_MSG_SNAPSHOT: {
      const auto& m = std::get<NetSnapshot>(msg.body);
      for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
        const int slot = SlotOf(m.playerIds[k], 1);
        // Slots 1..6 always hold the race's computer-driven riders.
        if (slot >= 1 && riders[slot])
          static_cast<AiRider*>(riders[slot])->ApplyNetState(EncodeRiderStateRecord(NET_MSG_RIDER_STATE, m.states[k]));
      }
      break;
    }
    case NET_MSG_RIDER_FACTORS: {
      if (!isHost || sender == 0) break;
      const NetConditions& v = std::get<NetRiderFactors>(msg.body).values;
      if (!ConditionsValid(v)) break;
      for (int k = 1; k < NET_PLAYER_SLOTS; ++k) {
        if (allFactors.playerIds[k] == sender) {
          allFactors.values[k] = v;
          SetNetConditions(k, v);
          break;
        }
      }
      break;
    }
    case NET_MSG_ALL_FACTORS: {
      const auto& m = std::get<NetAllFactors>(msg.body);
      for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
        const int slot = SlotOf(m.playerIds[k], 1);
        if (slot >= 1 && ConditionsValid(m.values[k])) SetNetConditions(slot, m.values[k]);
      }
      break;
    }
    case NET_MSG_RACE_CLOCK:
      if (!isHost && raceManager) raceManager->SetHostClock(std::get<NetValue>(msg.body).value);
      break;
    case NET_MSG_LAST_LAP:
      if (raceManager) raceManager->StartFinalLap();
      break;
    case NET_MSG_RIDER_FINISHED: {
      const std::uint32_t value = std::get<NetValue>(msg.body).value;
      if (senderSlot < 0) break;
      Command(CMD_NET_RIDER_OUT, senderSlot, static_cast<std::int32_t>(value != 0));
      if (isHost && value == 1) {
        if (outCount < 255) ++outCount;
        MarkOut(senderSlot);
      }
      break;
    }
    case NET_MSG_RESULT: OnResult(std::get<NetResultMessage>(msg.body)); break;
    case NET_MSG_RESULTS_DONE:
      if (!isHost) resultsDone = 1;
      break;
    default: break;  // HELLO and the types nobody acts on
  }
}

void DirectPlayNetGame::TakePlayerInfo(int slot, const NetPlayerInfo& m) {
  g_PlayersList.Select(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(m.riderNumber));
  CopyPeerText(std::span(reinterpret_cast<const std::uint8_t*>(m.name), sizeof m.name),
               g_NetPlayerNames[slot].shortName, NET_NAME_TEXT_SIZE);
  g_PlayersList.SetName(static_cast<std::uint32_t>(slot), g_NetPlayerNames[slot].shortName);
  Command(CMD_SHOW_RIDER_CHOICE);
  Command(CMD_REFRESH_PLAYER_NAME);
}

void DirectPlayNetGame::OnPlayerInfoHost(const NetPlayerInfo& received, DPID sender) {
  if (!isChampionship && SceneIs({4, 21, 5, 17, 16})) {
    const std::uint16_t current = static_cast<std::uint16_t>(std::max<int>(g_SingleRace.current, 0));
    SendSelection(current, current);
    const RaceEntry* e = g_SingleRace.Current();
    SendValueTo(NET_MSG_EVENT_OPTION, false, sender, e ? e->weather : 0);
    if (!SceneIs({4, 21})) SendSignalTo(NET_MSG_CONFIRM, false, sender);
  }
  NetPlayerInfo m = received;
  bool clash = false;
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    const PlayerEntry& e = g_PlayersList.entries[k];
    if (e.netPlayerId != 0 && e.netPlayerId != m.playerId && e.chosenRider == m.riderNumber) clash = true;
  }
  if (clash) {
    std::uint16_t free = 0;
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      if (g_PlayersList.entries[k].chosenRider == -1) {
        free = static_cast<std::uint16_t>(k);
        break;
      }
    }
    m.riderNumber = free;
  }
  SendPlayerInfoTo(true, m.playerId, m.name, 0, m.riderNumber);
  const int slot = SlotOf(m.playerId, 1);
  if (slot >= 1) TakePlayerInfo(slot, m);
}

void DirectPlayNetGame::OnPlayerInfoClient(const NetPlayerInfo& m, DPID) {
  const int held = SlotOf(m.playerId);
  if (held >= 0) {
    if (held > 0 || g_PlayersList.entries[0].chosenRider != m.riderNumber) TakePlayerInfo(held, m);
    return;
  }
  int slot = -1;
  for (int k = 1; k < NET_PLAYER_SLOTS && slot < 0; ++k) {
    if (SlotId(k) == 0) slot = k;
  }
  if (slot < 0) return;
  Send(LocalId(), m.playerId, EncodeNetValue(NET_MSG_HELLO, 0), true);
  g_PlayersList.entries[slot].netPlayerId = m.playerId;
  CopyPeerText(std::span(reinterpret_cast<const std::uint8_t*>(m.name), sizeof m.name),
               g_NetPlayerNames[slot].longName, NET_NAME_TEXT_SIZE);
  TakePlayerInfo(slot, m);
  if (g_NetPlayerCount < NET_PLAYER_SLOTS) ++g_NetPlayerCount;
}

void DirectPlayNetGame::OnRaceSetup(const NetRaceSetup& m) {
  if (NetRaceTimeValid(m.raceLength)) std::memcpy(&g_RaceLengthRecord, &m.raceLength, sizeof m.raceLength);
  if (NetSkillValid(m.skill)) Command(CMD_SET_SKILL, m.skill);
  g_OptionDamages = m.damageOption;
  g_OptionWeather = m.weatherOption;
  isChampionship = m.championship != 0;
  g_NetChampionship = isChampionship;
  g_NoBudget = m.noBudget;
  Command(CMD_LOAD_EVENT_DATA);
  if (!isChampionship) return;
  const std::uint32_t rounds = RoundCount();
  if (NetRoundValid(m.round, rounds)) {
    g_Championship.current = static_cast<std::int16_t>(m.round);
    for (std::uint32_t r = 0; r < m.round && r < g_Championship.roundPlayed.size(); ++r) g_Championship.roundPlayed[r] = 1;
    const std::int16_t before = static_cast<std::int16_t>(m.round > 0 ? m.round - 1 : 0);
    g_Championship.previousRound = before;
    g_Championship.roundsStarted = static_cast<std::uint16_t>(before);
  }
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) g_PlayersList.entries[k].points = 0;
  for (std::uint32_t r = 0; r < rounds; ++r) {
    if (NetWeatherValid(m.roundWeather[r])) g_Championship.entries[r].weather = m.roundWeather[r];
    for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
      const int slot = SlotOf(m.playerIds[k]);
      if (slot < 0) continue;
      g_PlayersList.entries[slot].points =
          static_cast<std::int16_t>(g_PlayersList.entries[slot].points + m.points1[k][r] + m.points2[k][r]);
      g_Championship.SetMotoResult(slot, r, true, m.points1[k][r], m.noScore1[k][r] != 0);
      g_Championship.SetMotoResult(slot, r, false, m.points2[k][r], m.noScore2[k][r] != 0);
    }
  }
}

void DirectPlayNetGame::OnRaceStart(const NetRaceStart& m) {
  if (!isChampionship) {
    const std::uint8_t index = static_cast<std::uint8_t>(m.eventIndex & 0xFF);
    if (index < g_SingleRace.entryCount && index < g_SingleRace.entries.size()) g_SingleRace.current = index;
    if (NetWeatherValid(m.weather)) {
      for (RaceEntry& e : g_SingleRace.entries) e.weather = m.weather;
    }
  }
  for (int k = 0; k < NET_PLAYER_SLOTS; ++k) {
    for (int j = 0; j < NET_PLAYER_SLOTS; ++j) {
      if (m.playerIds[j] != 0 && SlotId(k) == m.playerIds[j]) {
        g_PlayersList.entries[k].gridPosition = m.gridPositions[j];
        break;
      }
    }
    slotTexts[k][0] = '\0';
  }
  g_NetRaceStartReceived = 1;
}

void DirectPlayNetGame::OnResult(const NetResultMessage& m) {
  const int slot = SlotOf(m.playerId);
  if (slot < 0 || !NetRaceTimeValid(m.finishTime) || !NetRaceTimeValid(m.bestLap)) return;
  if (isHost) {
    if (outCount < 255) ++outCount;
    if (resultsDone) return;
  }
  NetEventRecord r;
  r.position = m.position;
  r.finishTime = m.finishTime;
  r.bestLap = m.bestLap;
  r.laps = static_cast<float>(m.laps);
  r.out = m.out;
  WriteNetEventRecord(slot, isChampionship != 0, r);
}

void DirectPlayNetGame::MarkOut(int slot) {
  NetEventRecord r;
  r.position = 1;
  r.out = 1;
  WriteNetEventRecord(slot, isChampionship != 0, r);
}
