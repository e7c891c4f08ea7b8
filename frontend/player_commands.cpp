// The player screen (the name, the rider on chooser 0's page, its ratings,
// the hidden name codes) and the save screen's four slots.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/net_game.h"
#include "engine/text_database.h"
#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "frontend/ui_scene.h"

char g_ShownPlayerName[256] = {};
std::uint8_t g_HiddenNameEntered = 0;
std::uint8_t g_RiderTaken = 0;
std::uint8_t g_SelectedSaveSlot = 0;

namespace {

// The save screen's slot buttons 2..5 are the slots 1..4.
constexpr std::int32_t kFirstSlotButton = 2;
constexpr std::int32_t kLastSlotButton = 5;
constexpr std::uint32_t kEmptySlotText = 216;

bool Same(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

std::uint16_t ChooserPage(UiScene* scene) {
  return scene && scene->choosers.count > 0 ? static_cast<std::uint16_t>(scene->choosers[0].currentPage) : 0;
}

const PlayerEntry& Loaded(std::uint32_t c) { return g_PlayersList.entries[PLAYER_SLOTS + (c % PLAYER_SLOTS)]; }

void NameField(UiScene* scene, char* out) {
  out[0] = '\0';
  if (scene && scene->editTexts.count > 0) scene->editTexts[0].TextWithoutCaret(out);
}

void SetNameField(UiScene* scene, const char* text) {
  if (scene && scene->editTexts.count > 0) scene->editTexts[0].SetText(text);
}

void SetPlayerName(std::int32_t a1, std::int32_t, const char* text) {
  if (a1 < 0 || a1 >= PLAYER_SLOTS) return;
  g_PlayersList.SetName(static_cast<std::uint32_t>(a1), text);
}

void SetRiderFile(std::int32_t a1, std::int32_t, const char* text) {
  if (a1 < 0 || a1 >= PLAYER_SLOTS) return;
  CopyName(g_PlayersList.entries[a1].riderFile, PLAYER_NAME_SIZE, text);
}

void ChooseRider(std::int32_t, std::int32_t, const char*) {
  if (g_HiddenNameEntered) return;
  g_PlayersList.Select(0, static_cast<std::uint8_t>(ChooserPage(CurrentUiScene())));
}

void EnterPlayerName(std::int32_t, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  char name[256] = "";
  if (scene && a2 >= 0 && a2 < scene->editTexts.count) scene->editTexts[static_cast<std::uint16_t>(a2)].TextWithoutCaret(name);
  g_HiddenNameEntered = 0;
  if (g_GameMode != GAME_MODE_MULTIPLAYER) {
    if (Same(name, "MAVO")) {
      g_RandomRoundOrder = 1;
      g_MissileMode = 1;
      g_HiddenNameEntered = 1;
    } else if (Same(name, "SPINDRAKER")) {
      g_MissileMode = 1;
      g_HiddenNameEntered = 1;
    }
  }
  if (Same(name, "TOLLWICK")) {
    g_HiddenNameEntered = 1;
    g_ShowFrameStats = g_ShowFrameStats ? 0 : 1;
  } else if (!g_HiddenNameEntered) {
    return;
  }
  if (!Same(name, g_ShownPlayerName)) return;
  const std::uint16_t c = ChooserPage(scene);
  const char* real = Loaded(c).name;
  if (g_GameMode != GAME_MODE_MULTIPLAYER && !Same(g_PlayersList.entries[0].name, Loaded(0).name)) {
    real = g_PlayersList.entries[0].name;
  }
  CopyName(g_ShownPlayerName, sizeof g_ShownPlayerName, real);
}

void InitPlayerScreen(std::int32_t, std::int32_t, const char*) {
  g_PlayersList.RestoreNames();
  CopyName(g_PlayersList.entries[0].name, PLAYER_NAME_SIZE, g_PlayersList.playerName);
  g_RiderTaken = 0;
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  if (scene->staticTexts.count > 0 && g_GameSkill <= 2) {
    scene->staticTexts[0].SetPosition(360.0f, 114.0f, 0.0f);
    scene->staticTexts[0].SetText(g_TextDatabase.Text(108u + g_GameSkill));
  }
  const std::uint16_t r = g_PlayersList.entries[0].riderNumber;
  if (scene->choosers.count > 0) scene->choosers[0].GoToPage(r);
  scene->nameEdited = 0;
  SetNameField(scene, g_PlayersList.entries[0].name);
  if (g_GameMode != GAME_MODE_MULTIPLAYER) {
    g_PlayersList.Select(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r));
    scene->nameEdited = std::strcmp(g_PlayersList.entries[0].name, Loaded(r).name) != 0 ? 1 : 0;
  } else {
    Nested(CMD_SHOW_RIDER_CHOICE);
    Nested(CMD_REFRESH_PLAYER_NAME);
    scene->nameEdited = std::strcmp(g_PlayersList.entries[0].name, Loaded(r).name) != 0 && !g_RiderTaken ? 1 : 0;
  }
  Nested(CMD_SHOW_RIDER_RATINGS);
  scene->exitSceneSet = 1;
  scene->exitScene = g_GameMode == GAME_MODE_MULTIPLAYER ? 15 : 0;
  NameField(scene, g_ShownPlayerName);
}

void TurnChooser(std::int32_t a1, bool next) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < 0 || a1 >= scene->choosers.count) return;
  Chooser& chooser = scene->choosers[static_cast<std::uint16_t>(a1)];
  if (!chooser.IsIdle()) return;
  if (g_SceneNumber == 1) {
    char field[256];
    NameField(scene, field);
    const std::uint16_t r = g_PlayersList.entries[0].riderNumber;
    const bool ownName = std::strcmp(g_PlayersList.entries[0].name, Loaded(r).name) == 0 &&
                         std::strcmp(Loaded(ChooserPage(scene)).name, field) == 0;
    scene->nameEdited = ownName ? 0 : 1;
  }
  const bool started = next ? chooser.NextPage() : chooser.PreviousPage();
  if (started && (g_SceneNumber == 4 || g_SceneNumber == 21)) {
    Nested(next ? CMD_NEXT_EVENT : CMD_PREVIOUS_EVENT);
    Nested(CMD_SHOW_TRACK_INFO);
  }
}

void ChooserPrevious(std::int32_t a1, std::int32_t, const char*) { TurnChooser(a1, false); }
void ChooserNext(std::int32_t a1, std::int32_t, const char*) { TurnChooser(a1, true); }

void ShowSaveNames(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  for (std::uint32_t i = 0; i < 4 && scene; ++i) {
    char name[256];
    if (!ReadSaveGameName(i, name, sizeof name)) continue;
    const std::uint16_t t = static_cast<std::uint16_t>(i);
    if (a1 != 0 && t < scene->editTexts.count) scene->editTexts[t].SetText(name);
    if (a1 == 0 && t < scene->staticTexts.count) scene->staticTexts[t].SetText(name);
  }
  g_SelectedSaveSlot = 0;
  if (scene && a1 == 1) scene->exitScene = g_NoBudget ? 18 : 3;
}

void SelectSaveSlot(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < kFirstSlotButton || a1 > kLastSlotButton) return;
  auto toggle = [scene](std::int32_t b, bool on) {
    if (b < scene->buttons.count) scene->buttons[static_cast<std::uint16_t>(b)].SetToggle(on);
  };
  if (g_SelectedSaveSlot != 0 && a1 != g_SelectedSaveSlot && a2 != 0) {
    for (std::int32_t b = kFirstSlotButton; b <= kLastSlotButton; ++b) toggle(b, b == g_SelectedSaveSlot);
    return;
  }
  const bool wasSelected = g_SelectedSaveSlot == a1;
  for (std::int32_t b = kFirstSlotButton; b <= kLastSlotButton; ++b) {
    if (b != a1) toggle(b, false);
  }
  toggle(a1, !wasSelected);
  g_SelectedSaveSlot = wasSelected ? 0 : static_cast<std::uint8_t>(a1);
  if (a2 != 1) return;
  if (g_SelectedSaveSlot != 0) {
    const std::uint16_t edit = static_cast<std::uint16_t>(g_SelectedSaveSlot - kFirstSlotButton);
    scene->SetFocusHighlight(false);
    scene->AppendFocusEntry({WIDGET_EDIT_TEXT, edit});
    if (edit < scene->editTexts.count) {
      char shown[256];
      scene->editTexts[edit].TextWithoutCaret(shown);
      if (Same(shown, g_TextDatabase.Text(kEmptySlotText))) scene->editTexts[edit].SetText("");
    }
    scene->SetFocusHighlight(true);
  } else {
    for (std::uint16_t i = 0; i < 4 && i < scene->editTexts.count; ++i) {
      char name[256];
      scene->editTexts[i].SetText(ReadSaveGameName(i, name, sizeof name) ? name : g_TextDatabase.Text(kEmptySlotText));
    }
    scene->RemoveAppendedFocusEntry();
  }
}

void GoToChampionshipMenu() { GoToScene(g_NoBudget ? 18 : 3); }

void LoadGame(std::int32_t, std::int32_t, const char*) {
  if (g_SelectedSaveSlot < kFirstSlotButton) return;
  char name[256];
  if (!ReadSaveGameName(g_SelectedSaveSlot - kFirstSlotButton, name, sizeof name)) return;
  if (g_Championship.LoadSaveGame(g_SelectedSaveSlot)) {
    g_GameController.money = g_PlayersList.entries[0].money;
    g_GameMode = GAME_MODE_CHAMPIONSHIP;
    GoToChampionshipMenu();
  } else {
    OpenDialog(0);
  }
}

void SaveGame(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || g_SelectedSaveSlot < kFirstSlotButton) return;
  const std::uint16_t slot = static_cast<std::uint16_t>(g_SelectedSaveSlot - kFirstSlotButton);
  char existing[256];
  const Dialog* overwrite = SceneDialog(0);
  if (ReadSaveGameName(slot, existing, sizeof existing) && (!overwrite || overwrite->mode != 2)) {
    OpenDialog(0);
    return;
  }
  char label[256] = "";
  if (slot < scene->editTexts.count) scene->editTexts[slot].TextWithoutCaret(label);
  if (label[0] == '\0') std::strcpy(label, "SAVED_GAME");
  if (g_Championship.Save(g_SelectedSaveSlot, label)) {
    GoToChampionshipMenu();
  } else {
    OpenDialog(1);
  }
}

void ConfirmPlayer(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || scene->choosers.count == 0 || !scene->choosers[0].IsIdle()) return;
  const std::uint16_t c = ChooserPage(scene);
  Nested(CMD_ENTER_PLAYER_NAME, 0, 0);
  if (g_HiddenNameEntered) {
    if (g_GameMode == GAME_MODE_MULTIPLAYER || scene->nameEdited) {
      SetNameField(scene, g_ShownPlayerName);
    } else {
      SetNameField(scene, g_PlayersList.entries[c % PLAYER_SLOTS].name);
    }
    return;
  }
  char field[256];
  NameField(scene, field);
  if (g_GameMode == GAME_MODE_MULTIPLAYER) {
    // A rider another player has chosen keeps the player on the screen.
    const char* wanted = g_PlayersList.entries[PLAYER_SLOTS + c % PLAYER_SLOTS].riderFile;
    for (std::uint32_t i = 1; i < g_RiderCount && i < PLAYER_SLOTS; ++i) {
      const PlayerEntry& e = g_PlayersList.entries[i];
      if (g_PlayersList.IsPresent(i) && e.chosenRider != -1 && std::strcmp(e.riderFile, wanted) == 0) return;
    }
    g_PlayersList.Select(0, static_cast<std::uint8_t>(c));
    g_PlayersList.SetName(0, field);
    g_NetGame->SetLocalPlayerName(field);
    g_NetGame->SendPlayerInfo(field, c);
    GoToScene(g_NetChampionship ? (g_NoBudget ? 24 : 23) : 21);
    return;
  }
  g_PlayersList.Select(0, static_cast<std::uint8_t>(c));
  g_PlayersList.Select(static_cast<std::uint8_t>(c), 0);
  g_PlayersList.SetName(0, field);
  switch (g_GameMode) {
    case GAME_MODE_SINGLE_RACE: GoToScene(4); break;
    case GAME_MODE_QUICK_RACE: GoToScene(21); break;
    default: GoToChampionshipMenu(); break;
  }
}

void RefreshPlayerName(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (g_SceneNumber != 1 || !scene) return;
  const FocusEntry* e = scene->FocusedEntry();
  if (e && e->kind == WIDGET_EDIT_TEXT) return;
  if (!scene->nameEdited) SetNameField(scene, Loaded(ChooserPage(scene)).name);
  NameField(scene, g_ShownPlayerName);
}

void ShowRiderRatings(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  const std::uint16_t c = ChooserPage(scene);
  for (std::uint16_t i = 0; i < 6 && i < scene->progressBars.count; ++i) {
    scene->progressBars[i].value = g_PlayersList.entries[c % PLAYER_SLOTS].ratings[i];
    scene->progressBars[i].UpdateVertices();
  }
}

void ShowRiderChoice(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (g_SceneNumber != 1 || !scene) return;
  const std::uint16_t c = ChooserPage(scene);
  if (scene->choosers.count > 1) scene->choosers[1].GoToPage(c);
  if (g_GameMode != GAME_MODE_MULTIPLAYER) return;
  g_RiderTaken = 0;
  for (std::uint32_t i = 1; i < PLAYER_SLOTS; ++i) {
    const PlayerEntry& e = g_PlayersList.entries[i];
    if (g_PlayersList.IsPresent(i) && e.chosenRider != -1 && std::strcmp(e.riderFile, Loaded(c).riderFile) == 0) {
      g_RiderTaken = 1;
      break;
    }
  }
  const float shade = g_RiderTaken ? 0.2f : 1.0f;
  if (scene->choosers.count > 0) {
    for (std::uint16_t item = 0; item < 3; ++item) scene->choosers[0].SetItemColour(item, shade, shade, shade);
  }
}

void ConfirmRider(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || scene->choosers.count == 0 || !scene->choosers[0].IsIdle()) return;
  // The host's event, weather and confirmation go out first (nothing is sent
  // outside a network game).
  Nested(CMD_NET_SEND_CHOICE, 1);
  if (g_GameMode == GAME_MODE_QUICK_RACE) {
    Nested(CMD_SHUFFLE_GRID);
    const RaceEntry* e = g_SingleRace.Current();
    GoToScene(e ? e->sceneNumber : 0);
  } else {
    GoToScene(5);
  }
}

}  // namespace

void PlayersList::SetName(std::uint32_t a, const char* text) {
  if (a >= PLAYER_SLOTS) return;
  CopyName(entries[a].name, PLAYER_NAME_SIZE, text);
  if (a == 0) CopyName(playerName, sizeof playerName, text);
}

void PlayersList::RestoreNames() {
  for (int i = 0; i < PLAYER_SLOTS; ++i) CopyName(entries[i].name, PLAYER_NAME_SIZE, originalNames[i]);
}

void RegisterPlayerCommands(CommandTable* table) {
  table->handlers[CMD_SET_PLAYER_NAME] = SetPlayerName;
  table->handlers[CMD_SET_RIDER_FILE] = SetRiderFile;
  table->handlers[CMD_CHOOSE_RIDER] = ChooseRider;
  table->handlers[CMD_ENTER_PLAYER_NAME] = EnterPlayerName;
  table->handlers[CMD_INIT_PLAYER_SCREEN] = InitPlayerScreen;
  table->handlers[CMD_SELECT_SAVE_SLOT] = SelectSaveSlot;
  table->handlers[CMD_LOAD_GAME] = LoadGame;
  table->handlers[CMD_SAVE_GAME] = SaveGame;
  table->handlers[CMD_CHOOSER_PREVIOUS] = ChooserPrevious;
  table->handlers[CMD_CHOOSER_NEXT] = ChooserNext;
  table->handlers[CMD_SHOW_SAVE_NAMES] = ShowSaveNames;
  table->handlers[CMD_CONFIRM_PLAYER] = ConfirmPlayer;
  table->handlers[CMD_REFRESH_PLAYER_NAME] = RefreshPlayerName;
  table->handlers[CMD_SHOW_RIDER_RATINGS] = ShowRiderRatings;
  table->handlers[CMD_SHOW_RIDER_CHOICE] = ShowRiderChoice;
  table->handlers[CMD_CONFIRM_RIDER] = ConfirmRider;
}
