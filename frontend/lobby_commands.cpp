// The multiplayer lobby's commands: entering the network game, the
// connection screen and its settings, the session screen with its list of
// open sessions and their players, hosting and joining, the players screen
// with the lines the players type, the host's event choice and race start,
// and the two notices that the network game passes into a running race.
// They reach the network game only through g_NetGame.
#include <cctype>
#include <cstring>

#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"

namespace {

constexpr std::uint8_t kNetSlots = 7;
constexpr std::uint16_t kSessionRows = 7;
constexpr std::uint16_t kFirstSessionRow = 3;
constexpr std::uint16_t kFirstPlayerRow = 10;
constexpr float kSessionRowWidth = 151.0f;
constexpr float kPlayerRowWidth = 157.0f;
constexpr float kPlayerLineWidth = 258.0f;

StaticText* Static(UiScene* scene, std::int32_t i) {
  return scene && i >= 0 && i < scene->staticTexts.count ? &scene->staticTexts[static_cast<std::uint16_t>(i)]
                                                           : nullptr;
}

// While the laid-out text is wider than `width`, its last character goes.
void Shorten(StaticText* t, float width) {
  const char* s = t->String();
  std::size_t n = std::strlen(s);
  if (t->textWidth <= width || n == 0) return;
  char copy[NET_TEXT_SIZE];
  n = n < NET_TEXT_SIZE - 1 ? n : NET_TEXT_SIZE - 1;
  std::memcpy(copy, s, n);
  copy[n] = '\0';
  while (t->textWidth > width && n > 0) {
    copy[--n] = '\0';
    t->SetText(copy);
  }
}

void SetStatic(UiScene* scene, std::int32_t i, const char* text, float width = 0.0f) {
  if (StaticText* t = Static(scene, i)) {
    t->SetText(text);
    if (width > 0.0f) Shorten(t, width);
  }
}

void SetEdit(UiScene* scene, std::uint16_t i, const char* text) {
  if (i < scene->editTexts.count) scene->editTexts[i].SetText(text);
}

void ReadEdit(UiScene* scene, std::uint16_t i, char* out) {
  out[0] = '\0';
  if (i < scene->editTexts.count) scene->editTexts[i].TextWithoutCaret(out);
}

void UpperCase(char* s) {
  for (; *s; ++s) *s = static_cast<char>(std::toupper(static_cast<unsigned char>(*s)));
}

void CopyText(char* to, const char* from) {
  std::strncpy(to, from, NET_TEXT_SIZE - 1);
  to[NET_TEXT_SIZE - 1] = '\0';
}

// Buttons first .. first + count - 1 as a radio choice: `on` lit, the others
// off; an index outside the group changes no button.
void Radio(UiScene* scene, std::uint16_t first, std::uint16_t count, std::int32_t on) {
  if (on < 0 || on >= count) return;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (first + i < scene->buttons.count) scene->buttons[first + i].SetToggle(i == on);
  }
}

// The modem's text is cut to its first 13 characters.
void ShowSetting(UiScene* scene, std::uint8_t setting) {
  const char* text = g_NetGame->GetSettingText(setting);
  if (setting == NET_SETTING_MODEM) {
    char cut[14] = {};
    std::strncpy(cut, text, 13);
    SetStatic(scene, setting, cut);
  } else {
    SetStatic(scene, setting, text);
  }
}

void OpenDialog(std::int32_t i) { Nested(CMD_SET_DIALOG_MODE, i, 1); }

bool NetworkChampionship() { return g_NetGame->isChampionship != 0; }

void SetChampionship(bool on) {
  g_NetGame->isChampionship = on ? 1 : 0;
  g_NetChampionship = g_NetGame->isChampionship;
}

bool ShownPlayer(std::uint8_t slot, const char** text) {
  if (!g_PlayersList.IsPresent(slot)) return false;
  *text = g_NetGame->GetPlayerText(slot);
  return (*text)[0] != '\0' && std::strcmp(*text, "##NEWPLAYER##") != 0;
}

void DrawSessionRows(UiScene* scene) {
  const std::uint8_t first = g_NetGame->FirstShownSession();
  for (std::uint16_t r = 0; r < kSessionRows; ++r) {
    StaticText* t = Static(scene, kFirstSessionRow + r);
    if (!t) continue;
    const char* text = g_NetGame->GetSessionText(static_cast<std::uint8_t>(r));
    t->SetText(text);
    if (text[0] == '\0') {
      t->SetColour(0.0f, 0.0f, 0.0f, 0, 0);
    } else if (g_NetGame->sessionIndex == first + r) {
      t->SetColour(1.0f, 1.0f, 1.0f, 0, 0);
    } else {
      t->SetColour(0.5f, 0.5f, 0.5f, 0, 0);
    }
    // The colour applies at the next SetText.
    t->SetText(text);
    if (g_SceneNumber == 15) Shorten(t, kSessionRowWidth);
  }
}

void DrawPlayerRows(UiScene* scene) {
  std::uint16_t row = 0;
  if (g_NetGame->sessionName[0] != '\0') {
    for (std::uint8_t slot = 1; slot < PLAYER_SLOTS && row < kSessionRows; ++slot) {
      const char* text = nullptr;
      if (!ShownPlayer(slot, &text)) continue;
      SetStatic(scene, kFirstPlayerRow + row, text, g_SceneNumber == 15 ? kPlayerRowWidth : 0.0f);
      ++row;
    }
  }
  for (; row < kSessionRows; ++row) SetStatic(scene, kFirstPlayerRow + row, "");
}

void ChosenSessionName(UiScene* scene, bool onlyIntoEmptyField) {
  const char* name = g_NetGame->ListedSessionName(g_NetGame->sessionIndex);
  if (onlyIntoEmptyField) {
    char field[NET_TEXT_SIZE];
    ReadEdit(scene, 0, field);
    if (name[0] == '\0' || field[0] != '\0') return;
  }
  CopyText(g_NetGame->sessionName, name);
  UpperCase(g_NetGame->sessionName);
  SetEdit(scene, 0, g_NetGame->sessionName);
}

void EnterNetworkGame(std::int32_t, std::int32_t, const char*) {
  g_GameMode = GAME_MODE_MULTIPLAYER;
  static const char* const kFiles[3] = {"DATA\\UI\\CMP2.RLT", "DATA\\UI\\CMP3.RLT", "DATA\\UI\\CMP4.RLT"};
  if (g_GameSkill < 3) g_SingleRace.Load(kFiles[g_GameSkill]);
  GoToScene(14);
}

void ShowSetup(std::int32_t, std::int32_t, const char*) {
  g_NetSessionCount = 0;
  g_NetPlayerCount = 1;
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  Radio(scene, 2, 4, g_NetGame->ConnectionIndex());
  UpperCase(g_NetGame->hostAddress);
  UpperCase(g_NetGame->phoneNumber);
  SetEdit(scene, 0, g_NetGame->hostAddress);
  SetEdit(scene, 1, g_NetGame->phoneNumber);
  for (std::uint8_t s = 0; s < NET_SETTING_COUNT; ++s) ShowSetting(scene, s);
}

void SelectProvider(std::int32_t a1, std::int32_t, const char*) {
  if (a1 < 0 || a1 > 255) return;
  g_NetGame->SelectConnectionKind(static_cast<std::uint8_t>(a1));
  if (UiScene* scene = CurrentUiScene()) Radio(scene, 2, 4, a1);
}

void CycleSetting(std::int32_t a1, std::int32_t a2, const char*) {
  if (a1 < 0 || a1 >= NET_SETTING_COUNT) return;
  g_NetGame->StepSetting(static_cast<std::uint8_t>(a1), a2 != 0);
  if (UiScene* scene = CurrentUiScene()) ShowSetting(scene, static_cast<std::uint8_t>(a1));
}

void Connect(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  ReadEdit(scene, 0, g_NetGame->hostAddress);
  ReadEdit(scene, 1, g_NetGame->phoneNumber);
  if (g_NetGame->BuildAddress() && g_NetGame->InitializeConnection() && g_NetGame->EnumSessions()) {
    GoToScene(15);
  } else {
    OpenDialog(0);
  }
}

void Lobby(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  switch (a1) {
    case 0:
    case 1:
      SetChampionship(a1 == 1);
      Radio(scene, 2, 2, a1);
      break;
    case 2:
    case 3:
      g_NetGame->ScrollSessionList(a1 == 3);
      DrawSessionRows(scene);
      break;
    case 4: case 5: case 6: case 7: case 8: case 9: case 10: {
      const int session = g_NetGame->FirstShownSession() + (a1 - 4);
      if (session < g_NetSessionCount) g_NetGame->sessionIndex = static_cast<std::uint8_t>(session);
      g_NetPlayerCount = 1;
      g_NetGame->EnumPlayers(g_NetGame->sessionIndex, false);
      DrawSessionRows(scene);
      ChosenSessionName(scene, false);
      DrawPlayerRows(scene);
      break;
    }
    case 11:
      g_NetSessionCount = 0;
      g_NetPlayerCount = 1;
      if (!g_NetGame->EnumSessions()) OpenDialog(2);
      g_NetGame->EnumPlayers(g_NetGame->sessionIndex, false);
      DrawSessionRows(scene);
      ChosenSessionName(scene, true);
      DrawPlayerRows(scene);
      break;
    case 12: {
      constexpr std::int32_t kFirst = 7;
      constexpr std::int32_t kLast = 13;
      if (a2 >= 0) {
        for (std::int32_t i = kFirst + a2; i < kLast; ++i) {
          if (i + 1 < scene->uiTexts.count && i < scene->uiTexts.count)
            scene->uiTexts[static_cast<std::uint16_t>(i)].SetText(scene->uiTexts[static_cast<std::uint16_t>(i + 1)].String());
        }
      }
      if (kLast < scene->uiTexts.count) scene->uiTexts[kLast].SetText("");
      break;
    }
    default: break;
  }
}

void ShowSession(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  Nested(CMD_NET_LOBBY, 11);
  ChosenSessionName(scene, false);
  Radio(scene, 2, 2, NetworkChampionship() ? 1 : 0);
}

void OpenSession(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || (a1 != 0 && a1 != 1)) return;
  bool opened = false;
  if (a1 == 0) {
    ReadEdit(scene, 0, g_NetGame->sessionName);
    opened = g_NetGame->HostSession();
  } else {
    opened = g_NetGame->JoinSession();
  }
  if (opened) {
    Nested(CMD_LOAD_EVENT_DATA);
    GoToScene(1);
  } else {
    OpenDialog(a1 == 0 ? 0 : 1);
  }
}

void ShowPlayers(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || g_SceneNumber != 16) return;
  std::uint16_t row = 0;
  auto place = [&](const char* name, const char* line) {
    const float y = 105.0f + 22.0f * row;
    if (StaticText* t = Static(scene, 3 + row)) {
      t->SetPosition(40.0f, y, 0.0f);
      t->SetText(name);
    }
    if (StaticText* t = Static(scene, 10 + row)) {
      t->SetPosition(335.0f, y, 0.0f);
      t->SetText(line);
      Shorten(t, kPlayerLineWidth);
    }
    ++row;
  };
  for (std::uint8_t slot = 0; slot < kNetSlots && row < kSessionRows; ++slot) {
    const char* text = nullptr;
    if (ShownPlayer(slot, &text)) place(text, g_NetGame->slotTexts[slot]);
  }
  while (row < kSessionRows) place("", "");
}

void SendChoice(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (a1 == 0) {
    char text[NET_TEXT_SIZE];
    ReadEdit(scene, 0, text);
    if (text[0] == '\0') return;
    g_NetGame->SendPlayerText(text);
    SetStatic(scene, 10, text, kPlayerLineWidth);
    return;
  }
  if (g_GameMode != GAME_MODE_MULTIPLAYER || !g_NetGame->isHost) return;
  const std::uint16_t page = scene->choosers.count > 0 ? static_cast<std::uint16_t>(scene->choosers[0].currentPage) : 0;
  const std::int16_t current = g_SingleRace.current < 0 ? 0 : g_SingleRace.current;
  g_NetGame->SendSelection(static_cast<std::uint16_t>(current), page);
  const RaceEntry* entry = g_SingleRace.Current();
  g_NetGame->SendValue(NET_MSG_EVENT_OPTION, entry ? entry->weather : 0);
  g_NetGame->SendSignal(NET_MSG_CONFIRM);
}

void StartNetworkRace(std::int32_t, std::int32_t, const char*) {
  std::int32_t raceScene = 0;
  if (NetworkChampionship()) {
    raceScene = g_Championship.MarkRoundDone();
  } else if (const RaceEntry* entry = g_SingleRace.Current()) {
    raceScene = entry->sceneNumber;
  }
  if (g_NetPlayerCount < 2) return;
  if (g_NetGame->isHost) {
    g_NetGame->SendRaceStart();
    g_NetGame->DisableJoining();
  }
  for (std::uint8_t slot = 1; slot < kNetSlots; ++slot)
    g_PlayersList.SetName(slot, g_NetGame->GetPlayerText(slot));
  if (NetworkChampionship()) CommitGarage();
  GoToScene(raceScene);
}

void PlayerCountInRace(std::int32_t, std::int32_t, const char*) {
  RaceScene* race = g_GameController.raceScene;
  if (g_GameMode != GAME_MODE_MULTIPLAYER || !race) return;
  race->raceManager.SetRiderCount(g_NetPlayerCount);
  if (g_NetPlayerCount == 1) g_NetOpponentsGone = 1;
}

void NetRiderOut(std::int32_t a1, std::int32_t a2, const char*) {
  RaceScene* race = g_GameController.raceScene;
  if (g_GameMode != GAME_MODE_MULTIPLAYER || !race || a1 < 0 || a1 >= 20) return;
  Rider* rider = race->riders[a1];
  if (!rider) return;
  if (rider->timeSinceFinish == 0.0f) rider->timeSinceFinish = 0.001f;
  if (a2 != 0) rider->out = 1;
}

}  // namespace

void RegisterLobbyCommands(CommandTable* table) {
  table->handlers[CMD_LOAD_SINGLE_RACES] = EnterNetworkGame;
  table->handlers[CMD_NET_SHOW_SETUP] = ShowSetup;
  table->handlers[CMD_NET_SELECT_PROVIDER] = SelectProvider;
  table->handlers[CMD_NET_CYCLE_SETTING] = CycleSetting;
  table->handlers[CMD_NET_CONNECT] = Connect;
  table->handlers[CMD_NET_SHOW_SESSION] = ShowSession;
  table->handlers[CMD_NET_LOBBY] = Lobby;
  table->handlers[CMD_NET_OPEN_SESSION] = OpenSession;
  table->handlers[CMD_NET_SHOW_PLAYERS] = ShowPlayers;
  table->handlers[CMD_NET_SEND_CHOICE] = SendChoice;
  table->handlers[CMD_NET_START_RACE] = StartNetworkRace;
  table->handlers[CMD_NET_PLAYER_COUNT] = PlayerCountInRace;
  table->handlers[CMD_NET_RIDER_OUT] = NetRiderOut;
}
