#include "tools/scene_samples.h"

#include <cstdio>
#include <map>

#include "tools/flow_scenes.h"
#include "tools/race_samples.h"
#include "tools/scene_build.h"
#include "tools/scene_files.h"
#include "tools/tex.h"
#include "tools/ui_files.h"
#include "tools/ui_samples.h"

namespace kelvdata {

namespace {

constexpr std::uint16_t CMD_GO_TO_SCENE = 0;
constexpr std::uint16_t CMD_SET_GAME_MODE = 6;
constexpr std::uint16_t CMD_QUIT = 10;
constexpr std::uint16_t CMD_LEAVE_SCENE = 18;
constexpr std::uint16_t CMD_LOAD_EVENT_DATA = 25;
constexpr std::uint16_t CMD_INIT_PLAYER_SCREEN = 27;
constexpr std::uint16_t CMD_SELECT_SAVE_SLOT = 28;
constexpr std::uint16_t CMD_LOAD_GAME = 29;
constexpr std::uint16_t CMD_SAVE_GAME = 30;
constexpr std::uint16_t CMD_SHOW_OPTIONS = 33;
constexpr std::uint16_t CMD_SET_RACE_TYPE = 24;
constexpr std::uint16_t CMD_TOGGLE_OPTION = 37;
constexpr std::uint16_t CMD_RACE_LENGTH_UP = 38;
constexpr std::uint16_t CMD_SHOW_SAVE_NAMES = 42;
constexpr std::uint16_t CMD_CONFIRM_PLAYER = 51;
constexpr std::uint16_t CMD_SET_EXIT = 54;
constexpr std::uint16_t CMD_SET_DIALOG_MODE = 55;
constexpr std::uint16_t CMD_SHOW_CREDITS = 92;

StaticTextBody Caption(std::uint32_t textId, float x, float y) { return TextAt(textId, x, y, 0, true); }

Bytes MenuButton(std::uint32_t textId, float x, float y, float w, float h, std::vector<ButtonActionEntry> actions) {
  return BuildButton(CaptionedButton(textId, x, y, w, h, std::move(actions)));
}

SceneFile Screen(const char* focusList) {
  SceneFile s;
  s.background = "DATA\\UI\\MENU.PIC";
  s.fonts = MenuFonts();
  s.lists[SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\TITLE.STX", 320.0f, 40.0f)};
  s.focusList = focusList;
  return s;
}

SceneFile Movie() {
  SceneFile s;
  s.hasMovie = 1;
  s.movie = "DATA\\MOVIES\\INTRO.MPG";
  s.focusList = "DATA\\UI\\NONE.FLT";
  return s;
}

// A question box: a background, the question and the yes and no buttons,
// whose first actions set the box's own mode (the scene fills in which box).
Bytes QuestionDialog() {
  DialogFile d;
  d.box[2] = 320.0f;
  d.box[3] = 160.0f;
  d.lists[DIALOG_BUTTONS] = {DialogEntryAt("DATA\\UI\\YES.BTN", 30.0f, 100.0f, 120.0f, 40.0f),
                             DialogEntryAt("DATA\\UI\\NO.BTN", 170.0f, 100.0f, 120.0f, 40.0f)};
  d.lists[DIALOG_STATIC_TEXTS] = {DialogEntryAt("DATA\\UI\\SURE.STX", 160.0f, 30.0f, 1.0f, 1.0f)};
  d.lists[DIALOG_PANELS] = {DialogEntryAt("DATA\\UI\\DLGBACK.OSP", 0.0f, 0.0f, 320.0f, 160.0f)};
  return BuildDialog(d);
}


float SlotY(int button) { return 110.0f + 60.0f * static_cast<float>(button - 2); }

SceneFile PlayerScreen() {
  SceneFile s = Screen("DATA\\UI\\01.FLT");
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\OK.BTN", 430.0f, 400.0f, 160.0f, 40.0f),
                            WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  s.lists[SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\NAME.EDT", 200.0f, 320.0f)};
  s.lists[SCENE_CHOOSERS] = {WidgetAt("DATA\\UI\\DLGCHO.CHO", 0.0f, 0.0f)};
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_INIT_PLAYER_SCREEN, 0, 0, "NULL"}};
  return s;
}

SceneFile ChampionshipMenu() {
  SceneFile s = Screen("DATA\\UI\\CHAMP.FLT");
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\TOSAVE.BTN", 220.0f, 200.0f, 200.0f, 40.0f),
                            WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}};
  return s;
}

// The save screen (edit texts for the labels) or the load screen (static
// texts); the slots' labels come first in their lists, the title after them.
SceneFile SaveScreen(bool save) {
  SceneFile s = Screen("DATA\\UI\\SLOTS.FLT");
  s.lists[SCENE_BUTTONS] = {WidgetAt(save ? "DATA\\UI\\SAVE.BTN" : "DATA\\UI\\LOAD.BTN", 430.0f, 400.0f, 160.0f, 40.0f),
                            WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  std::vector<SceneWidgetEntry> labels;
  for (int b = 2; b <= 5; ++b) {
    s.lists[SCENE_BUTTONS].push_back(
        Widget(std::string(save ? "S" : "L") + "SLOT" + std::to_string(b) + ".BTN", 60.0f, SlotY(b), 140.0f, 36.0f));
    labels.push_back(WidgetAt(save ? "DATA\\UI\\SLOT.EDT" : "DATA\\UI\\SLOT.STX", 220.0f, SlotY(b) + 10.0f));
  }
  if (save) {
    s.lists[SCENE_EDIT_TEXTS] = labels;
  } else {
    labels.push_back(s.lists[SCENE_STATIC_TEXTS][0]);
    s.lists[SCENE_STATIC_TEXTS] = labels;
  }
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_SAVE_NAMES, static_cast<std::uint16_t>(save ? 1 : 0), 0, "NULL"}};
  return s;
}


// The championship's screens: the player screen (scene 1), the championship
// menu (3, and 18 without a budget) with its way to the save screen (8), and
// the load screen the main menu opens. The slot buttons are buttons 2 to 5.
void ChampionshipMembers(std::vector<BbfMember>* ui) {
  ui->push_back({"OK.BTN", MenuButton(TEXT_OK, 430.0f, 400.0f, 160.0f, 40.0f, {{CMD_CONFIRM_PLAYER, 0, 0, "NULL"}})});
  ui->push_back({"TOSAVE.BTN", MenuButton(TEXT_SAVE, 220.0f, 200.0f, 200.0f, 40.0f, {{CMD_GO_TO_SCENE, 8, 0, "NULL"}})});
  ui->push_back({"SAVE.BTN", MenuButton(TEXT_SAVE, 430.0f, 400.0f, 160.0f, 40.0f, {{CMD_SAVE_GAME, 0, 0, "NULL"}})});
  ui->push_back({"LOAD.BTN", MenuButton(TEXT_LOAD_GAME, 430.0f, 400.0f, 160.0f, 40.0f, {{CMD_LOAD_GAME, 0, 0, "NULL"}})});
  for (int b = 2; b <= 5; ++b) {
    const float y = SlotY(b);
    const auto slot = static_cast<std::uint16_t>(b);
    ui->push_back({"SSLOT" + std::to_string(b) + ".BTN",
                   MenuButton(TEXT_SLOT + b - 2, 60.0f, y, 140.0f, 36.0f, {{CMD_SELECT_SAVE_SLOT, slot, 1, "NULL"}})});
    ui->push_back({"LSLOT" + std::to_string(b) + ".BTN",
                   MenuButton(TEXT_SLOT + b - 2, 60.0f, y, 140.0f, 36.0f, {{CMD_SELECT_SAVE_SLOT, slot, 0, "NULL"}})});
  }
  StaticTextBody label = Caption(TEXT_EMPTY_SLOT, 0.0f, 0.0f);
  label.centreHorizontally = 0;
  ui->push_back({"SLOT.STX", BuildStaticTextBody(label)});
  ui->push_back({"SLOT.EDT", BuildEditText(31, label)});
  ui->push_back({"01.FLT", BuildFlt({{3, 0}, {4, 0}})});
  ui->push_back({"CHAMP.FLT", BuildFlt({{4, 0}, {4, 1}})});
  ui->push_back({"SLOTS.FLT", BuildFlt({{4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 0}, {4, 1}})});
}

// The single race's event screen (scene 4, after the player screen): one
// button for each session on the course, which sets the race type and
// starts the race, and the way back. Buttons 1 to 3. The front end gives
// the screen its focus list by game mode: 03.FLT, the single race's, comes
// with the single race's own event screen.
SceneFile SessionScreen(std::vector<BbfMember>* ui) {
  static const std::uint32_t kTexts[3] = {TEXT_PRACTICE_SESSION, TEXT_QUALIFYING_SESSION, TEXT_FIRST_MOTO};
  SceneFile s = Screen("DATA\\UI\\03.FLT");
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  for (std::uint16_t type = 0; type < 3; ++type) {
    const float y = SessionY(type);
    const std::string name = "SESSION" + std::to_string(type) + ".BTN";
    ui->push_back({name, MenuButton(kTexts[type], 220.0f, y, 200.0f, 40.0f,
                                    {{CMD_SET_RACE_TYPE, type, 0, "NULL"},
                                     {CMD_GO_TO_SCENE, static_cast<std::uint16_t>(DATA_SET_RACE_SCENE), 0, "NULL"}})});
    s.lists[SCENE_BUTTONS].push_back(Widget(name, 220.0f, y, 200.0f, 40.0f));
  }
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}};
  return s;
}

// The options screen: two options that a player changes with a click, the
// race length (which a save game carries) and miles per hour (which it does
// not), and the way back. Buttons 1 and 2, clear of the toggle buttons
// (3 to 10) that the options command fills in.
SceneFile OptionsScreen(std::vector<BbfMember>* ui) {
  ui->push_back({"LONGER.BTN", MenuButton(TEXT_LONGER_RACES, 220.0f, 200.0f, 200.0f, 40.0f,
                                          {{CMD_RACE_LENGTH_UP, 0, 0, "NULL"}})});
  ui->push_back({"MPH.BTN", MenuButton(TEXT_MPH, 220.0f, 260.0f, 200.0f, 40.0f, {{CMD_TOGGLE_OPTION, 5, 0, "NULL"}})});
  ui->push_back({"06.FLT", BuildFlt({{4, 1}, {4, 2}, {4, 0}})});
  SceneFile s = Screen("DATA\\UI\\06.FLT");
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f),
                            WidgetAt("DATA\\UI\\LONGER.BTN", 220.0f, 200.0f, 200.0f, 40.0f),
                            WidgetAt("DATA\\UI\\MPH.BTN", 220.0f, 260.0f, 200.0f, 40.0f)};
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_OPTIONS, 0, 0, "NULL"}};
  return s;
}
}  // namespace

void DataSetSceneMembers(std::vector<BbfMember>* ui, int sceneCount,
                         std::vector<std::pair<std::string, Bytes>>* sceneFiles) {
  Bytes rgb;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      rgb.push_back(static_cast<std::uint8_t>(20 + x));
      rgb.push_back(static_cast<std::uint8_t>(30 + y * 2));
      rgb.push_back(static_cast<std::uint8_t>(90 + y * 3));
    }
  }
  ui->push_back({"MENU.PIC", BuildBackground(64, 48, rgb)});

  static const std::uint32_t kMenuTexts[6] = {2, 3, 4, 5, TEXT_LOAD, 6};
  const std::vector<ButtonActionEntry> kMenuActions[6] = {
      {{CMD_SET_GAME_MODE, 0, 0, "NULL"}, {CMD_LOAD_EVENT_DATA, 0, 0, "NULL"}, {CMD_GO_TO_SCENE, 1, 0, "NULL"}},
      {{CMD_SET_GAME_MODE, 2, 0, "NULL"}, {CMD_LOAD_EVENT_DATA, 0, 0, "NULL"}, {CMD_GO_TO_SCENE, 1, 0, "NULL"}},
      {{CMD_GO_TO_SCENE, 14, 0, "NULL"}},
      {{CMD_GO_TO_SCENE, 6, 0, "NULL"}},
      {{CMD_GO_TO_SCENE, LOAD_SCENE, 0, "NULL"}},
      {{CMD_QUIT, 1, 0, "NULL"}},
  };
  SceneFile menu = Screen("DATA\\UI\\00.FLT");
  std::vector<FocusFileEntry> menuFocus;
  for (int i = 0; i < 6; ++i) {
    const float y = 110.0f + 56.0f * static_cast<float>(i);
    const std::string name = "MENU" + std::to_string(i) + ".BTN";
    ui->push_back({name, MenuButton(kMenuTexts[i], 220.0f, y, 200.0f, 40.0f, kMenuActions[i])});
    menu.lists[SCENE_BUTTONS].push_back(Widget(name, 220.0f, y, 200.0f, 40.0f));
    menuFocus.push_back({4, static_cast<std::uint16_t>(i)});
  }
  ui->push_back({"00.FLT", BuildFlt(menuFocus)});
  ui->push_back({"NONE.FLT", BuildFlt({})});
  for (const char* name : {"BACK.FLT", "032.FLT", "15.FLT"}) ui->push_back({name, BuildFlt({{4, 0}})});

  ui->push_back({"BACK.BTN", MenuButton(TEXT_BACK, 220.0f, 400.0f, 200.0f, 40.0f, {{CMD_LEAVE_SCENE, 0, 0, "NULL"}})});
  ui->push_back({"YES.BTN", MenuButton(TEXT_YES, 30.0f, 100.0f, 120.0f, 40.0f, {{CMD_SET_DIALOG_MODE, 0, 2, "NULL"}})});
  ui->push_back({"NO.BTN", MenuButton(TEXT_NO, 170.0f, 100.0f, 120.0f, 40.0f, {{CMD_SET_DIALOG_MODE, 0, 0, "NULL"}})});
  StaticTextBody sure = Caption(TEXT_SURE, 160.0f, 30.0f);
  ui->push_back({"SURE.STX", BuildStaticTextBody(sure)});
  // DIALOG01 is the toolkit's sample box; the others ask a question.
  for (int n = 2; n <= 16; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "DIALOG%02d.DLG", n);
    ui->push_back({name, QuestionDialog()});
  }

  ChampionshipMembers(ui);
  const SceneFile options = OptionsScreen(ui);
  const SceneFile sessions = SessionScreen(ui);
  // Scenes that a game flow's own file builds; they replace the samples below.
  std::map<int, SceneFile> flowScenes;
  AddSingleRaceScenes(ui, &flowScenes);
  AddChampionshipScenes(ui, &flowScenes);
  AddLobbyScenes(ui, &flowScenes);

  for (int n = 0; n < sceneCount; ++n) {
    SceneFile s;
    if (const auto it = flowScenes.find(n); it != flowScenes.end()) {
      s = it->second;
    } else if (n == 0) {
      s = menu;
    } else if (n == 1) {
      s = PlayerScreen();
    } else if (n == 3 || n == 18) {
      s = ChampionshipMenu();
    } else if (n == LOAD_SCENE || n == 8) {
      s = SaveScreen(n == 8);
    } else if (n == 27 || (n >= 29 && n <= 31)) {
      s = Movie();
    } else if (n == 6) {
      s = options;
    } else if (n == 4) {
      s = sessions;
    } else if (n == 28) {
      s = Screen("DATA\\UI\\NONE.FLT");
      // The lines' shadows are drawn in font 1: the first font in dark.
      s.fonts[1] = SHADOW_FONT;
      s.lists[SCENE_STATIC_TEXTS].clear();
      for (int p = 0; p < 8; ++p) s.lists[SCENE_PANELS].push_back(WidgetAt("DATA\\UI\\FLAGS.OSP", 192.0f, 600.0f, 128.0f, 64.0f));
      s.actions = {{CMD_SHOW_CREDITS, 0, 0, "NULL"}};
    } else {
      // Every other screen: its title and a way back, by the scene's exit.
      s = Screen("DATA\\UI\\BACK.FLT");
      s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
      s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}};
    }
    sceneFiles->push_back({"SCENE" + std::to_string(n) + ".SCN", BuildScene(s)});
  }
}

}  // namespace kelvdata
