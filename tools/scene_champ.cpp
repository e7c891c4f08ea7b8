// The championship's screens: the round screen that is its menu (scenes 3
// and 18, and 23 and 24 of a network championship), the pit lane between
// sessions without a budget (2), the garage (5), the points after the first
// moto (26), the standings after the second (9), the weather announcement
// (20) and the bike set-up (17). The player, save and load screens are the
// data set's common ones.
#include <cstdio>

#include "tools/flow_scenes.h"
#include "tools/scene_champ_widgets.h"
#include "tools/tex.h"
#include "tools/ui_samples.h"

namespace kelvdata {

namespace champ {

SceneFile Screen(const std::string& titlePath, const std::string& focus) {
  SceneFile s;
  s.background = "DATA\\UI\\MENU.PIC";
  s.fonts = MenuFonts();
  s.lists[SCENE_STATIC_TEXTS] = {WidgetAt(titlePath, 320.0f, 40.0f)};
  s.focusList = UiPath(focus);
  return s;
}

void AddButton(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, std::uint32_t textId, float x,
               float y, float w, float h, std::vector<ButtonActionEntry> actions) {
  ui->push_back({name, BuildButton(CaptionedButton(textId, x, y, w, h, std::move(actions)))});
  s->lists[SCENE_BUTTONS].push_back(Widget(name, x, y, w, h));
}

void AddLabel(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, const StaticTextBody& body) {
  ui->push_back({name, BuildStaticTextBody(body)});
  s->lists[SCENE_STATIC_TEXTS].push_back(Widget(name, body.position[0], body.position[1]));
}

}  // namespace champ

namespace {

using champ::AddButton;
using champ::AddLabel;
using champ::Screen;

constexpr std::uint16_t CMD_GO_TO_SCENE = 0;
constexpr std::uint16_t CMD_CONTINUE_EVENT = 9;
constexpr std::uint16_t CMD_LEAVE_SCENE = 18;
constexpr std::uint16_t CMD_AFTER_RACE = 19;
constexpr std::uint16_t CMD_SHOW_TRACK_INFO = 36;
constexpr std::uint16_t CMD_SHOW_RIDER_LIST = 50;
constexpr std::uint16_t CMD_END_EVENT = 53;
constexpr std::uint16_t CMD_SET_EXIT = 54;
constexpr std::uint16_t CMD_SETUP_QUALIFYING = 86;
constexpr std::uint16_t CMD_SHOW_ROUND_WEATHER = 87;
constexpr std::uint16_t CMD_SHOW_STANDINGS = 88;

constexpr int SETUP_SCENE = 17;
constexpr int GARAGE_SCENE = 5;

void AddTitle(std::vector<BbfMember>* ui, const std::string& name, std::uint32_t textId) {
  StaticTextBody title = TextAt(textId, 320.0f, 40.0f, 1, true);
  for (int c = 0; c < 3; ++c) title.colour[c] = ORANGE[c];
  ui->push_back({name, BuildStaticTextBody(title)});
}

// The round screen: the round's flag in a chooser of every round's flag,
// the course's facts on the left (static texts 1, 3, 5, 7 and 9 are what the
// track-info command fills in, each under its heading), the save button and
// the way back where the other menus have them, and on the right the
// sessions: practice, or straight to qualifying or to the first moto, and
// the garage and the set-up before them.
SceneFile RoundScreen(std::vector<BbfMember>* ui) {
  SceneFile s = Screen("DATA\\UI\\CTITLE18.STX", "CROUND.FLT");
  AddTitle(ui, "CTITLE18.STX", TEXT_CHAMPIONSHIP);
  std::vector<SceneWidgetEntry> facts;
  static const std::uint32_t kHeadings[5] = {CHAMP_TEXT_LENGTH, CHAMP_TEXT_LAP_RECORD, CHAMP_TEXT_GROUND,
                                             CHAMP_TEXT_JUMPS, CHAMP_TEXT_WEATHER};
  for (int row = 0; row < 5; ++row) {
    const float y = 100.0f + 50.0f * static_cast<float>(row);
    StaticTextBody heading = TextAt(kHeadings[row], 24.0f, y, 2);
    for (int c = 0; c < 3; ++c) heading.colour[c] = ORANGE[c];
    const std::string name = "CFACT" + std::to_string(row) + ".STX";
    ui->push_back({name, BuildStaticTextBody(heading)});
    facts.push_back(Widget(name, 24.0f, y));
    // The value: an empty line until the command fills it in.
    facts.push_back(WidgetAt("DATA\\UI\\CVALUE.STX", 24.0f, y + 16.0f));
  }
  StaticTextBody value = TextAt(0, 0.0f, 0.0f);
  value.hasText = 0;
  ui->push_back({"CVALUE.STX", BuildStaticTextBody(value)});
  // The title last: the command's texts are the first ten.
  facts.push_back(s.lists[SCENE_STATIC_TEXTS][0]);
  s.lists[SCENE_STATIC_TEXTS] = facts;

  // Buttons 0 and 1 where every championship menu has had them.
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\TOSAVE.BTN", 220.0f, 200.0f, 200.0f, 40.0f),
                            WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  const float x = 440.0f, w = 180.0f, h = 40.0f;
  AddButton(ui, &s, "CPRACT.BTN", CHAMP_TEXT_PRACTICE, x, 110.0f, w, h, {{CMD_CONTINUE_EVENT, 0, 0, "NULL"}});
  AddButton(ui, &s, "CNOPRACT.BTN", CHAMP_TEXT_SKIP_PRACTICE, x, 160.0f, w, h,
            {{CMD_SETUP_QUALIFYING, 0, 0, "NULL"}});
  AddButton(ui, &s, "CNOQUAL.BTN", CHAMP_TEXT_SKIP_QUALIFYING, x, 210.0f, w, h,
            {{CMD_SETUP_QUALIFYING, 1, 1, "NULL"}});
  AddButton(ui, &s, "CGARAGE.BTN", CHAMP_TEXT_GARAGE, x, 260.0f, w, h, {{CMD_GO_TO_SCENE, GARAGE_SCENE, 0, "NULL"}});
  AddButton(ui, &s, "CSETUP.BTN", CHAMP_TEXT_SETUP, x, 310.0f, w, h, {{CMD_GO_TO_SCENE, SETUP_SCENE, 0, "NULL"}});
  ui->push_back({"CROUND.FLT", BuildFlt({{4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 0}, {4, 1}})});

  // The rounds' flags, one a page.
  ChooserFile rounds;
  rounds.panelItems = 1;
  rounds.pageSize = 1;
  for (int n = 0; n < 12; ++n) {
    ChooserItemEntry item;
    char path[32];
    std::snprintf(path, sizeof path, "DATA\\UI\\FLAG%02d.OSP", n);
    item.path = path;
    item.position[0] = 270.0f;
    item.position[1] = 314.0f;
    item.scale[0] = 100.0f;
    item.scale[1] = 66.0f;
    rounds.items.push_back(item);
  }
  ui->push_back({"CROUNDS.CHO", BuildChooser(rounds)});
  s.lists[SCENE_CHOOSERS] = {WidgetAt("DATA\\UI\\CROUNDS.CHO", 0.0f, 0.0f)};
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_TRACK_INFO, 0, 0, "NULL"}};
  return s;
}

// Between the sessions of a round without a budget: the way on to the
// garage (or to the next round after the second moto), where the money
// decides.
SceneFile PitLane(std::vector<BbfMember>* ui) {
  SceneFile s = Screen("DATA\\UI\\CTITLE02.STX", "CONT.FLT");
  AddTitle(ui, "CTITLE02.STX", CHAMP_TEXT_PIT_LANE);
  AddLabel(ui, &s, "CPITNOTE.STX", TextAt(CHAMP_TEXT_PIT_LANE_NOTE, 320.0f, 200.0f, 0, true));
  AddButton(ui, &s, "CCONT19.BTN", CHAMP_TEXT_CONTINUE, 430.0f, 400.0f, 180.0f, 40.0f,
            {{CMD_AFTER_RACE, 0, 0, "NULL"}});
  return s;
}

// The first moto's points, then on to the second moto, to the garage (by
// the weather announcement when the weather changed) or to the set-up.
SceneFile BetweenMotos(std::vector<BbfMember>* ui) {
  SceneFile s = Screen("DATA\\UI\\CTITLE18.STX", "MOTOS.FLT");
  AddButton(ui, &s, "CMOTO2.BTN", CHAMP_TEXT_SECOND_MOTO, 430.0f, 430.0f, 190.0f, 40.0f,
            {{CMD_CONTINUE_EVENT, 0, 0, "NULL"}});
  AddButton(ui, &s, "CGARAGE19.BTN", CHAMP_TEXT_GARAGE, 225.0f, 430.0f, 190.0f, 40.0f,
            {{CMD_AFTER_RACE, 0, 0, "NULL"}});
  AddButton(ui, &s, "CSETUP26.BTN", CHAMP_TEXT_SETUP, 20.0f, 430.0f, 190.0f, 40.0f,
            {{CMD_GO_TO_SCENE, SETUP_SCENE, 0, "NULL"}});
  ui->push_back({"MOTOS.FLT", BuildFlt({{4, 0}, {4, 1}, {4, 2}})});
  s.actions = {{CMD_SHOW_RIDER_LIST, 0, 0, "NULL"}};
  return s;
}

// The standings after the second moto: every round's points, then on to
// the next round (or, after the last, back to the main menu).
SceneFile Standings(std::vector<BbfMember>* ui) {
  SceneFile s = Screen("DATA\\UI\\CTITLE18.STX", "CONT.FLT");
  // The table's columns stand where the standings command puts them, 15
  // pixels a moto: its texts are in font 0, which is the narrow one here.
  s.fonts[0] = NARROW_FONT;
  AddButton(ui, &s, "CNEXT.BTN", CHAMP_TEXT_NEXT_ROUND, 430.0f, 430.0f, 190.0f, 40.0f,
            {{CMD_END_EVENT, 0, 0, "NULL"}});
  s.actions = {{CMD_SHOW_STANDINGS, 0, 0, "NULL"}};
  return s;
}

// The weather announcement: the command puts up the weather's picture and
// its line; the button leaves to the scene it names.
SceneFile Forecast(std::vector<BbfMember>* ui) {
  SceneFile s = Screen("DATA\\UI\\CTITLE20.STX", "CONT.FLT");
  AddTitle(ui, "CTITLE20.STX", CHAMP_TEXT_FORECAST);
  AddButton(ui, &s, "CCONT20.BTN", CHAMP_TEXT_CONTINUE, 430.0f, 400.0f, 180.0f, 40.0f,
            {{CMD_LEAVE_SCENE, 0, 0, "NULL"}});
  s.actions = {{CMD_SHOW_ROUND_WEATHER, 0, 0, "NULL"}};
  return s;
}

// The weather pictures of the announcement: clear sky, rain and fog, each
// a 128 x 64 picture in a texture of three.
void WeatherPictures(std::vector<BbfMember>* ui) {
  ui->push_back({"_WEATHER.TEX", BuildTex(256, 256, [](int x, int y) {
                   const int picture = y / 64;
                   if (picture > 2 || x >= 128) return Rgb{0, 0, 0};
                   const int py = y % 64;
                   const int dx = x - 64, dy = py - 26;
                   if (picture == 0) {
                     // A sun in a blue sky over grass.
                     if (py >= 52) return Rgb{60, 150, 50};
                     if (dx * dx + dy * dy <= 14 * 14) return Rgb{255, 220, 40};
                     return Rgb{90, 160, 240};
                   }
                   if (picture == 1) {
                     // A grey cloud and slanting blue streaks of rain.
                     if (py >= 52) return Rgb{50, 100, 45};
                     if (py < 24 && dx * dx / 4 + (py - 14) * (py - 14) <= 100) return Rgb{150, 150, 160};
                     if (py >= 26 && (x + py) % 8 == 0) return Rgb{70, 110, 230};
                     return Rgb{100, 110, 125};
                   }
                   // Fog: bands of pale grey that thicken downwards.
                   const std::uint8_t v = static_cast<std::uint8_t>(170 + py + ((py / 6) % 2) * 12);
                   return Rgb{v, v, v};
                 })});
  for (int w = 0; w < 3; ++w) {
    PanelFile p;
    p.texture = "DATA\\UI\\_WEATHER.TEX";
    p.position[0] = 192.0f;
    p.position[1] = 200.0f;
    p.size[0] = 256.0f;
    p.size[1] = 128.0f;
    const float v0 = static_cast<float>(64 * w) / 256.0f;
    const float v1 = static_cast<float>(64 * w + 63) / 256.0f;
    const float u1 = 127.0f / 256.0f;
    const float us[4] = {0.0f, u1, u1, 0.0f};
    const float vs[4] = {v0, v0, v1, v1};
    for (int c = 0; c < 4; ++c) {
      p.u[c] = us[c];
      p.v[c] = vs[c];
    }
    ui->push_back({"30C00O0" + std::to_string(w + 1) + ".OSP", BuildOsp(p)});
  }
}

}  // namespace

void AddChampionshipScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  ui->push_back({"CONT.FLT", BuildFlt({{4, 0}})});
  const SceneFile round = RoundScreen(ui);
  for (int n : {3, 18, 23, 24}) (*scenes)[n] = round;
  (*scenes)[2] = PitLane(ui);
  (*scenes)[GARAGE_SCENE] = GarageScene(ui);
  (*scenes)[9] = Standings(ui);
  (*scenes)[SETUP_SCENE] = SetupScene(ui);
  WeatherPictures(ui);
  (*scenes)[20] = Forecast(ui);
  (*scenes)[26] = BetweenMotos(ui);
}

}  // namespace kelvdata
