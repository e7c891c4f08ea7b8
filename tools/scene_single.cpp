// The single race's screens of the synthetic data set: the main menu under
// the game's title, the attract screen, the event screen (course, sessions,
// weather and the course's facts), the options and the results screens
// after each session. Buttons that the program tests click keep the places
// of the plain sample screens they replace.
#include "tools/scene_single.h"

#include <string>

#include "tools/flow_scenes.h"
#include "tools/race_samples.h"
#include "tools/scene_build.h"
#include "tools/scene_samples.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

constexpr std::uint16_t CMD_GO_TO_SCENE = 0;
constexpr std::uint16_t CMD_SET_GAME_MODE = 6;
constexpr std::uint16_t CMD_CONTINUE_EVENT = 9;
constexpr std::uint16_t CMD_LOAD_EVENT_DATA = 25;
constexpr std::uint16_t CMD_INIT_PLAYER_SCREEN = 27;
constexpr std::uint16_t CMD_SET_RACE_TYPE = 24;
constexpr std::uint16_t CMD_CHOOSER_PREVIOUS = 31;
constexpr std::uint16_t CMD_CHOOSER_NEXT = 32;
constexpr std::uint16_t CMD_SHOW_OPTIONS = 33;
constexpr std::uint16_t CMD_SET_WEATHER = 34;
constexpr std::uint16_t CMD_SHOW_EVENT = 35;
constexpr std::uint16_t CMD_SHOW_TRACK_INFO = 36;
constexpr std::uint16_t CMD_TOGGLE_OPTION = 37;
constexpr std::uint16_t CMD_SHOW_RIDER_LIST = 50;
constexpr std::uint16_t CMD_START_EVENT = 52;
constexpr std::uint16_t CMD_SET_EXIT = 54;
constexpr std::uint16_t CMD_SET_DIALOG_MODE = 55;
constexpr std::uint16_t CMD_CONFIRM_RIDER = 79;
constexpr std::uint16_t CMD_BUILD_BIKE_OBJECTS = 83;
constexpr std::uint16_t CMD_MOVE_PLAYER_LINE = 84;
constexpr std::uint16_t CMD_START_RACE = 85;

// The results tables' entries: one chooser page each.
constexpr int kEventCount = 10;

StaticTextBody Text(std::uint32_t textId, std::uint16_t font, bool centred, const float* colour = nullptr) {
  return TextAt(textId, 0.0f, 0.0f, font, centred, colour);
}

// A text that a command fills in at run time: empty until then.
StaticTextBody Blank(std::uint16_t font, bool centred = false) {
  StaticTextBody b = Text(0, font, centred);
  b.hasText = 0;
  return b;
}

// The caption centred on the button, in `font` (0: 16 pixels, 2: 12).
StaticTextBody CentredOn(std::uint32_t textId, std::uint16_t font, float x, float y, float w, float h) {
  return CaptionedButton(textId, x, y, w, h, {}, font).caption;
}

ButtonFile CaptionButton(std::uint32_t textId, float x, float y, float w, float h,
                         std::vector<ButtonActionEntry> actions, std::uint16_t font = 0) {
  return CaptionedButton(textId, x, y, w, h, std::move(actions), font);
}

// An option's button: its label tells the option's state, which the
// options command sets when the screen starts.
ButtonFile ToggleButton(std::uint32_t offText, std::uint32_t onText, std::uint16_t option, float x, float y) {
  ButtonFile b = ButtonLook(x, y, 190.0f, 32.0f, {{CMD_TOGGLE_OPTION, option, 0, "NULL"}});
  b.toggle = 1;
  b.offLabel = CentredOn(offText, 2, x, y, 190.0f, 32.0f);
  b.onLabel = CentredOn(onText, 2, x, y, 190.0f, 32.0f);
  return b;
}

// One of the event screen's three weather buttons: shown pressed while its
// weather is the event's.
ButtonFile WeatherButton(std::uint32_t textId, std::uint16_t weather, float y) {
  ButtonFile b = CaptionButton(textId, 440.0f, y, 180.0f, 34.0f, {{CMD_SET_WEATHER, weather, 0, "NULL"}});
  b.radio = 1;
  return b;
}

// The top of weather button w on the event screens.
float WeatherY(int w) { return 160.0f + 44.0f * static_cast<float>(w); }

SliderFile OptionSlider(std::uint32_t caption, std::uint32_t firstItem, int items, std::uint16_t setting, float y) {
  SliderFile s;
  for (int i = 0; i < items; ++i) s.items.push_back(firstItem + static_cast<std::uint32_t>(i));
  const float top = y + 20.0f;
  s.box[0] = 20.0f;
  s.box[1] = top;
  s.box[2] = 160.0f;
  s.box[3] = top + 16.0f;
  s.track = ButtonLook(20.0f, top, 140.0f, 16.0f, {});
  s.track.textures[0] = s.track.textures[1] = s.track.textures[2] = "DATA\\UI\\_TRACK.TEX";
  s.thumb = ButtonLook(14.0f, top - 2.0f, 12.0f, 20.0f, {});
  s.thumb.textures[0] = s.thumb.textures[1] = s.thumb.textures[2] = "DATA\\UI\\_THUMB.TEX";
  s.caption = Text(caption, 2, false, ORANGE);
  s.caption.position[0] = 20.0f;
  s.caption.position[1] = y;
  s.valueLabel = Text(firstItem, 2, false);
  s.valueLabel.position[0] = 168.0f;
  s.valueLabel.position[1] = top + 1.0f;
  s.settingId = setting;
  return s;
}

std::uint8_t Mix(int a, int b, int t, int n) { return static_cast<std::uint8_t>(a + (b - a) * t / n); }

// The screens' picture: a sky fading into dusty hills over brown ground.
Bytes BackgroundPicture() {
  constexpr int w = 160, h = 120;
  Bytes rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int hill = 70 + (x % 40 < 20 ? x % 20 : 20 - x % 20) / 2;
      Rgb c;
      if (y < hill) {
        c = {Mix(40, 110, y, hill), Mix(70, 140, y, hill), Mix(120, 190, y, hill)};
      } else {
        c = {Mix(120, 70, y - hill, h - hill), Mix(90, 50, y - hill, h - hill), Mix(60, 30, y - hill, h - hill)};
      }
      rgb.push_back(c.r);
      rgb.push_back(c.g);
      rgb.push_back(c.b);
    }
  }
  return BuildBackground(w, h, rgb);
}

// The title's picture: a dark red evening with a band of light across the
// top third, where the title stands.
Bytes TitlePicture() {
  constexpr int w = 160, h = 120;
  Bytes rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Rgb c = {Mix(90, 20, y, h), Mix(30, 10, y, h), Mix(20, 30, y, h)};
      if (y >= 4 && y < 26) c = {150, 60, 25};
      rgb.push_back(c.r);
      rgb.push_back(c.g);
      rgb.push_back(c.b);
    }
  }
  return BuildBackground(w, h, rgb);
}

// The courses' previews: one 64 x 64 cell of a 256 x 256 texture per event,
// an oval track in the event's colour on grass.
Bytes CoursePreviews() {
  return BuildTex(256, 256, [](int x, int y) {
    const int cell = (y / 64) * 4 + x / 64;
    const float dx = (static_cast<float>(x % 64) - 31.5f) / 26.0f;
    const float dy = (static_cast<float>(y % 64) - 31.5f) / 18.0f;
    const float r = dx * dx + dy * dy;
    if (r > 0.6f && r < 1.0f) {
      return Rgb{static_cast<std::uint8_t>(140 + 11 * cell), static_cast<std::uint8_t>(100 + 7 * (cell % 4)),
                 static_cast<std::uint8_t>(50 + 17 * (cell % 3))};
    }
    return Rgb{60, static_cast<std::uint8_t>(110 + 4 * cell), 50};
  });
}

void Put(std::vector<BbfMember>* ui, const std::string& name, Bytes bytes) { ui->push_back({name, std::move(bytes)}); }

void Label(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, const StaticTextBody& body, float x,
           float y) {
  Put(ui, name, BuildStaticTextBody(body));
  s->lists[SCENE_STATIC_TEXTS].push_back(Widget(name, x, y));
}

// The main menu (scene 0) under the title, and the attract screen (32).
void TitleScreens(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  Put(ui, "SGLTITLE.PIC", TitlePicture());
  Put(ui, "SGLTITLE.STX", BuildStaticTextBody(Text(0, 1, true, ORANGE)));
  Put(ui, "SGLSUB.STX", BuildStaticTextBody(Text(TEXT_SGL_SUBTITLE, 2, true)));

  SceneFile menu = MenuScene("SGLTITLE.PIC", "SGLMENU.FLT");
  menu.lists[SCENE_STATIC_TEXTS] = {Widget("SGLTITLE.STX", 320.0f, 28.0f), Widget("SGLSUB.STX", 320.0f, 68.0f)};
  // The sample menu's six buttons, where the scripts click them, and the
  // quick race (button 6) beside the single race.
  for (int i = 0; i < 6; ++i) {
    const float y = 110.0f + 56.0f * static_cast<float>(i);
    menu.lists[SCENE_BUTTONS].push_back(Widget("MENU" + std::to_string(i) + ".BTN", 220.0f, y, 200.0f, 40.0f));
  }
  Put(ui, "SGLQUICK.BTN", BuildButton(CaptionButton(TEXT_SGL_QUICK_MENU, 430.0f, 110.0f, 190.0f, 40.0f,
                                                    {{CMD_SET_GAME_MODE, 1, 0, "NULL"},
                                                     {CMD_LOAD_EVENT_DATA, 0, 0, "NULL"},
                                                     {CMD_GO_TO_SCENE, 1, 0, "NULL"}})));
  menu.lists[SCENE_BUTTONS].push_back(Widget("SGLQUICK.BTN", 430.0f, 110.0f, 190.0f, 40.0f));
  Put(ui, "SGLMENU.FLT", BuildFlt({{4, 0}, {4, 6}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}}));
  (*scenes)[0] = menu;

  SceneFile attract = MenuScene("SGLTITLE.PIC", "NONE.FLT");
  attract.lists[SCENE_STATIC_TEXTS] = {Widget("SGLTITLE.STX", 320.0f, 28.0f), Widget("SGLSUB.STX", 320.0f, 68.0f)};
  (*scenes)[32] = attract;
}

// The riders' pictures: one 64 x 48 cell of a 256 x 256 texture per rider
// of the players list, a helmet and shoulders in the rider's colour.
constexpr int kRiders = 20;

Rgb RiderColour(int r) {
  static const Rgb kColours[kRiders] = {
      {220, 40, 40},  {240, 150, 30}, {230, 220, 40}, {60, 190, 60},   {40, 170, 200}, {50, 90, 220},  {150, 60, 210},
      {230, 90, 170}, {240, 240, 240}, {90, 90, 90},  {150, 100, 50}, {120, 200, 160}, {200, 120, 120}, {30, 120, 90},
      {180, 180, 60}, {100, 140, 240}, {250, 190, 140}, {110, 40, 60}, {60, 60, 140},  {200, 240, 100}};
  return kColours[r % kRiders];
}

Bytes RiderPictures() {
  return BuildTex(256, 256, [](int x, int y) {
    const int cell = (y / 48) * 4 + x / 64;
    if (cell >= kRiders) return Rgb{30, 30, 40};
    const float cx = static_cast<float>(x % 64) - 31.5f, cy = static_cast<float>(y % 48);
    const Rgb c = RiderColour(cell);
    const bool helmet = cx * cx + (cy - 18.0f) * (cy - 18.0f) < 110.0f;
    const bool visor = helmet && cy > 14.0f && cy < 21.0f && cx > -2.0f;
    const bool shoulders = cy > 30.0f && cx * cx < (cy - 22.0f) * (cy - 22.0f) * 3.0f;
    if (visor) return Rgb{20, 20, 30};
    if (helmet || shoulders) return c;
    return Rgb{static_cast<std::uint8_t>(70 + cy), static_cast<std::uint8_t>(100 + cy), 150};
  });
}

// The player screen (scene 1), for the single race and the championship:
// the rider chooser (chooser 0) with its colours (chooser 1) and the pages'
// buttons (2, 3), the name field (edit text 0), the skill class the screen
// command moves into static text 0, the six ratings (progress bars 0 to 5);
// OK (button 0) and the way back (1) where the sample's were.
void PlayerScreen(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "SGLPLAY.FLT");
  Put(ui, "SGLRIDER.TEX", RiderPictures());
  ChooserFile riders;
  riders.panelItems = 1;
  riders.wrap = 1;
  ChooserFile colours = riders;
  for (int r = 0; r < kRiders; ++r) {
    PanelFile p;
    p.texture = "DATA\\UI\\SGLRIDER.TEX";
    const float u = static_cast<float>(r % 4) * 0.25f, v = static_cast<float>(r / 4) * 48.0f / 256.0f;
    p.u[0] = p.u[3] = u + 1.0f / 256.0f;
    p.u[1] = p.u[2] = u + 0.25f - 1.0f / 256.0f;
    p.v[0] = p.v[1] = v + 1.0f / 256.0f;
    p.v[2] = p.v[3] = v + 47.0f / 256.0f;
    const std::string name = "SGLRDR" + std::to_string(r) + ".OSP";
    Put(ui, name, BuildOsp(p));
    ChooserItemEntry item;
    item.path = UiPath(name);
    item.position[0] = 40.0f;
    item.position[1] = 66.0f;
    item.scale[0] = 200.0f;
    item.scale[1] = 150.0f;
    riders.items.push_back(item);
    PanelFile swatch;
    const Rgb c = RiderColour(r);
    swatch.colour[0] = static_cast<float>(c.r) / 255.0f;
    swatch.colour[1] = static_cast<float>(c.g) / 255.0f;
    swatch.colour[2] = static_cast<float>(c.b) / 255.0f;
    const std::string swatchName = "SGLRCOL" + std::to_string(r) + ".OSP";
    Put(ui, swatchName, BuildOsp(swatch));
    item.path = UiPath(swatchName);
    item.position[1] = 220.0f;
    item.scale[1] = 10.0f;
    colours.items.push_back(item);
  }
  Put(ui, "SGLRIDER.CHO", BuildChooser(riders));
  Put(ui, "SGLRCOL.CHO", BuildChooser(colours));
  s.lists[SCENE_CHOOSERS] = {Widget("SGLRIDER.CHO", 0.0f, 0.0f), Widget("SGLRCOL.CHO", 0.0f, 0.0f)};

  Put(ui, "SGLRPREV.BTN",
      BuildButton(CaptionButton(TEXT_SGL_PREVIOUS, 40.0f, 238.0f, 95.0f, 30.0f, {{CMD_CHOOSER_PREVIOUS, 0, 0, "NULL"}}, 2)));
  Put(ui, "SGLRNEXT.BTN",
      BuildButton(CaptionButton(TEXT_SGL_NEXT, 145.0f, 238.0f, 95.0f, 30.0f, {{CMD_CHOOSER_NEXT, 0, 0, "NULL"}}, 2)));
  s.lists[SCENE_BUTTONS] = {Widget("OK.BTN", 430.0f, 400.0f, 160.0f, 40.0f),
                            Widget("BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f),
                            Widget("SGLRPREV.BTN", 40.0f, 238.0f, 95.0f, 30.0f),
                            Widget("SGLRNEXT.BTN", 145.0f, 238.0f, 95.0f, 30.0f)};
  StaticTextBody name = Blank(0);
  Put(ui, "SGLNAME.EDT", BuildEditText(19, name));
  s.lists[SCENE_EDIT_TEXTS] = {Widget("SGLNAME.EDT", 280.0f, 168.0f)};
  Put(ui, "SGLSKILL.STX", BuildStaticTextBody(Blank(0)));
  s.lists[SCENE_STATIC_TEXTS] = {Widget("SGLSKILL.STX", 360.0f, 114.0f)};
  Label(ui, &s, "SGLPLTTL.STX", Text(TEXT_SGL_PLAYER_TITLE, 1, true, ORANGE), 320.0f, 16.0f);
  Label(ui, &s, "SGLNAMEL.STX", Text(TEXT_SGL_NAME, 2, false, ORANGE), 280.0f, 150.0f);
  ProgressBarFile bar;
  bar.texture = "DATA\\UI\\_BAR.TEX";
  bar.size[0] = 180.0f;
  bar.size[1] = 10.0f;
  Put(ui, "SGLRATE.PRB", BuildProgressBar(bar));
  for (int i = 0; i < 6; ++i) {
    const float y = 215.0f + 26.0f * static_cast<float>(i);
    Label(ui, &s, "SGLRATE" + std::to_string(i) + ".STX",
          Text(static_cast<std::uint32_t>(TEXT_SGL_RATINGS + i), 2, false, ORANGE), 280.0f, y);
    s.lists[SCENE_PROGRESS_BARS].push_back(Widget("SGLRATE.PRB", 400.0f, y + 2.0f, 180.0f, 10.0f));
  }
  Put(ui, "SGLPLAY.FLT", BuildFlt({{4, 0}, {7, 0}, {4, 2}, {4, 3}, {4, 1}}));
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_INIT_PLAYER_SCREEN, 0, 0, "NULL"}};
  (*scenes)[1] = s;
}

// What the two event screens share, into the archive once: the course
// chooser (chooser 0, one page per entry of the results table), the
// previous and next course buttons, the weather's radio buttons and the
// course's facts with their labels.
void EventMembers(std::vector<BbfMember>* ui) {
  Put(ui, "SGLPREV.BTN",
      BuildButton(CaptionButton(TEXT_SGL_PREVIOUS, 20.0f, 205.0f, 85.0f, 30.0f, {{CMD_CHOOSER_PREVIOUS, 0, 0, "NULL"}}, 2)));
  Put(ui, "SGLNEXT.BTN",
      BuildButton(CaptionButton(TEXT_SGL_NEXT, 115.0f, 205.0f, 85.0f, 30.0f, {{CMD_CHOOSER_NEXT, 0, 0, "NULL"}}, 2)));
  static const std::uint32_t kWeathers[3] = {TEXT_WEATHER_CLEAR, TEXT_WEATHER_RAIN, TEXT_WEATHER_FOG};
  for (std::uint16_t w = 0; w < 3; ++w) {
    Put(ui, "SGLWTHR" + std::to_string(w) + ".BTN", BuildButton(WeatherButton(kWeathers[w], w, WeatherY(w))));
  }

  Put(ui, "SGLCRS.TEX", CoursePreviews());
  ChooserFile chooser;
  chooser.panelItems = 1;
  chooser.wrap = 1;
  chooser.pageSize = 1;
  for (int e = 0; e < kEventCount; ++e) {
    PanelFile p;
    p.texture = "DATA\\UI\\SGLCRS.TEX";
    const float u = static_cast<float>(e % 4) * 0.25f, v = static_cast<float>(e / 4) * 0.25f;
    p.u[0] = p.u[3] = u + 1.0f / 256.0f;
    p.u[1] = p.u[2] = u + 0.25f - 1.0f / 256.0f;
    p.v[0] = p.v[1] = v + 1.0f / 256.0f;
    p.v[2] = p.v[3] = v + 0.25f - 1.0f / 256.0f;
    const std::string name = "SGLCRS" + std::to_string(e) + ".OSP";
    Put(ui, name, BuildOsp(p));
    ChooserItemEntry item;
    item.path = UiPath(name);
    item.position[0] = 20.0f;
    item.position[1] = 60.0f;
    item.scale[0] = 180.0f;
    item.scale[1] = 135.0f;
    chooser.items.push_back(item);
  }
  Put(ui, "SGLEVENT.CHO", BuildChooser(chooser));

  Put(ui, "SGLVALUE.STX", BuildStaticTextBody(Blank(0)));
  Put(ui, "SGLDESC.STX", BuildStaticTextBody(Blank(2)));
  Put(ui, "SGLWVAL.STX", BuildStaticTextBody(Blank(0, true)));
  Put(ui, "SGLLEN.STX", BuildStaticTextBody(Text(TEXT_SGL_LENGTH, 2, false, ORANGE)));
  Put(ui, "SGLLAP.STX", BuildStaticTextBody(Text(TEXT_SGL_LAP_RECORD, 2, false, ORANGE)));
  Put(ui, "SGLTRK.STX", BuildStaticTextBody(Text(TEXT_SGL_TRACK, 2, false, ORANGE)));
  Put(ui, "SGLWTHR.STX", BuildStaticTextBody(Text(TEXT_SGL_WEATHER, 2, true, ORANGE)));
}

// An event screen's course, weather and facts: the chooser, the three
// weather buttons appended to the screen's buttons, and static texts 0 to 9
// with the title (`title`, already in the archive) first and the texts the
// event commands fill, 1 length, 3 lap record, 5 and 7 the course's ground
// and jumps, 9 the weather, between their labels.
void AddEventCourse(SceneFile* s, const std::string& title) {
  for (std::uint16_t w = 0; w < 3; ++w) {
    s->lists[SCENE_BUTTONS].push_back(Widget("SGLWTHR" + std::to_string(w) + ".BTN", 440.0f, WeatherY(w), 180.0f, 34.0f));
  }
  s->lists[SCENE_CHOOSERS] = {Widget("SGLEVENT.CHO", 0.0f, 0.0f)};
  s->lists[SCENE_STATIC_TEXTS] = {Widget(title, 320.0f, 16.0f),
                                  Widget("SGLVALUE.STX", 110.0f, 250.0f),
                                  Widget("SGLLEN.STX", 20.0f, 253.0f),
                                  Widget("SGLVALUE.STX", 110.0f, 276.0f),
                                  Widget("SGLLAP.STX", 20.0f, 279.0f),
                                  Widget("SGLDESC.STX", 20.0f, 324.0f),
                                  Widget("SGLTRK.STX", 20.0f, 305.0f),
                                  Widget("SGLDESC.STX", 20.0f, 342.0f),
                                  Widget("SGLWTHR.STX", 530.0f, 138.0f),
                                  Widget("SGLWVAL.STX", 530.0f, 300.0f)};
  s->actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_TRACK_INFO, 0, 0, "NULL"}, {CMD_SHOW_EVENT, 0, 0, "NULL"}};
}

// The single race's event screen (scene 4): the way back (button 0), the
// sessions (1 to 3, as on the sample screen), the previous and next course
// (4, 5) and the weather (6 to 8). Practice and qualifying follow the
// session before them on the current event's own race scene; the first
// moto goes by the starting grid, which starts the event's race.
void EventScreen(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "03.FLT");
  s.lists[SCENE_BUTTONS] = {Widget("BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  static const std::uint32_t kSessions[3] = {TEXT_PRACTICE_SESSION, TEXT_QUALIFYING_SESSION, TEXT_FIRST_MOTO};
  for (std::uint16_t type = 0; type < 3; ++type) {
    const float y = SessionY(type);
    const std::vector<ButtonActionEntry> actions = {{CMD_SET_RACE_TYPE, type, 0, "NULL"},
                                                    {CMD_CONTINUE_EVENT, 0, 0, "NULL"}};
    const std::string name = "SGLSESS" + std::to_string(type) + ".BTN";
    Put(ui, name, BuildButton(CaptionButton(kSessions[type], 220.0f, y, 200.0f, 40.0f, actions)));
    s.lists[SCENE_BUTTONS].push_back(Widget(name, 220.0f, y, 200.0f, 40.0f));
  }
  s.lists[SCENE_BUTTONS].push_back(Widget("SGLPREV.BTN", 20.0f, 205.0f, 85.0f, 30.0f));
  s.lists[SCENE_BUTTONS].push_back(Widget("SGLNEXT.BTN", 115.0f, 205.0f, 85.0f, 30.0f));
  Put(ui, "SGLEVTTL.STX", BuildStaticTextBody(Text(TEXT_SGL_EVENT_TITLE, 1, true, ORANGE)));
  AddEventCourse(&s, "SGLEVTTL.STX");
  // Keyboard order: the sessions, the course, the weather, the way back.
  Put(ui, "03.FLT", BuildFlt({{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 0}}));
  (*scenes)[4] = s;
}

// The quick race's event screen (scene 21, after the player screen): the
// way back (button 0), the previous and next course (1, 2), the race (3):
// one moto on a random grid, straight from the screen; the weather (4 to
// 6). The front end gives the screen its focus list 31.FLT by game mode.
void QuickEventScreen(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "31.FLT");
  Put(ui, "SGLQRACE.BTN", BuildButton(CaptionButton(TEXT_SGL_RACE, 220.0f, 340.0f, 200.0f, 40.0f,
                                                    {{CMD_SET_RACE_TYPE, 2, 0, "NULL"}, {CMD_CONFIRM_RIDER, 0, 0, "NULL"}})));
  s.lists[SCENE_BUTTONS] = {Widget("BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f),
                            Widget("SGLPREV.BTN", 20.0f, 205.0f, 85.0f, 30.0f),
                            Widget("SGLNEXT.BTN", 115.0f, 205.0f, 85.0f, 30.0f),
                            Widget("SGLQRACE.BTN", 220.0f, 340.0f, 200.0f, 40.0f)};
  Put(ui, "SGLQTTL.STX", BuildStaticTextBody(Text(TEXT_SGL_QUICK_RACE, 1, true, ORANGE)));
  AddEventCourse(&s, "SGLQTTL.STX");
  // Keyboard order: the race, the course, the weather, the way back.
  Put(ui, "31.FLT", BuildFlt({{4, 3}, {4, 1}, {4, 2}, {4, 4}, {4, 5}, {4, 6}, {4, 0}}));
  (*scenes)[QUICK_EVENT_SCENE] = s;
}

// The menu between the sessions of an event (scene 10): on to what follows
// the last session (button 0), the garage (1), the bike's set-up (2) and
// the question that abandons the event (3, dialog 0 of the scene).
void SessionsScreen(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "SGLSESS.FLT");
  const struct {
    const char* name;
    std::uint32_t text;
    ButtonActionEntry action;
  } kButtons[4] = {{"SGLSCONT.BTN", TEXT_SGL_CONTINUE, {CMD_START_EVENT, 1, 0, "NULL"}},
                   {"SGLSGAR.BTN", TEXT_SGL_GARAGE, {CMD_GO_TO_SCENE, 5, 0, "NULL"}},
                   {"SGLSSET.BTN", TEXT_SGL_SETUP, {CMD_GO_TO_SCENE, 17, 0, "NULL"}},
                   {"SGLSQUIT.BTN", TEXT_SGL_ABANDON, {CMD_SET_DIALOG_MODE, 0, 1, "NULL"}}};
  for (int i = 0; i < 4; ++i) {
    const float y = 130.0f + 60.0f * static_cast<float>(i);
    Put(ui, kButtons[i].name, BuildButton(CaptionButton(kButtons[i].text, 220.0f, y, 200.0f, 40.0f, {kButtons[i].action})));
    s.lists[SCENE_BUTTONS].push_back(Widget(kButtons[i].name, 220.0f, y, 200.0f, 40.0f));
  }
  Label(ui, &s, "SGLSTTL.STX", Text(TEXT_SGL_SESSIONS_TITLE, 1, true, ORANGE), 320.0f, 16.0f);
  Put(ui, "SGLSESS.FLT", BuildFlt({{4, 0}, {4, 1}, {4, 2}, {4, 3}}));
  (*scenes)[SESSIONS_SCENE] = s;
}

// The options screen (scene 6): the sample's way back, longer races and
// miles per hour (buttons 0 to 2) in the middle, the eight options' toggle
// buttons 3 to 10 on the right and the five sliders on the left.
void OptionsScreen(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "SGLOPT.FLT");
  s.lists[SCENE_BUTTONS] = {Widget("BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f),
                            Widget("LONGER.BTN", 220.0f, 200.0f, 200.0f, 40.0f),
                            Widget("MPH.BTN", 220.0f, 260.0f, 200.0f, 40.0f)};
  // Button, the option it toggles and its labels (force feedback's are the
  // race pause's).
  struct Toggle {
    std::uint16_t option;
    std::uint32_t off, on;
  };
  const Toggle kToggles[8] = {
      {2, TEXT_SGL_TOGGLES + 0, TEXT_SGL_TOGGLES + 1},    // 3 manual shift
      {5, TEXT_SGL_TOGGLES + 2, TEXT_SGL_TOGGLES + 3},    // 4 miles per hour
      {7, TEXT_SGL_TOGGLES + 4, TEXT_SGL_TOGGLES + 5},    // 5 sky
      {1, TEXT_SGL_TOGGLES + 6, TEXT_SGL_TOGGLES + 7},    // 6 on while the fog distance is off
      {4, TEXT_SGL_TOGGLES + 8, TEXT_SGL_TOGGLES + 9},    // 7 on while the draw distance is off
      {0, TEXT_SGL_TOGGLES + 10, TEXT_SGL_TOGGLES + 11},  // 8 weather
      {6, TEXT_RACE_FEEDBACK_OFF, TEXT_RACE_FEEDBACK_ON}, // 9 force feedback
      {9, TEXT_SGL_TOGGLES + 12, TEXT_SGL_TOGGLES + 13},  // 10 damage
  };
  std::vector<FocusFileEntry> focus;
  for (int i = 0; i < 8; ++i) {
    const float y = 64.0f + 40.0f * static_cast<float>(i);
    const std::string name = "SGLOPT" + std::to_string(i + 3) + ".BTN";
    Put(ui, name, BuildButton(ToggleButton(kToggles[i].off, kToggles[i].on, kToggles[i].option, 440.0f, y)));
    s.lists[SCENE_BUTTONS].push_back(Widget(name, 440.0f, y, 190.0f, 32.0f));
  }
  // Sliders 0 to 4 as the options command sets them.
  const struct {
    std::uint32_t caption, first;
    int items;
    std::uint16_t setting;
  } kSliders[5] = {{TEXT_SGL_SKILL, TEXT_SGL_SKILL_LEVELS, 3, 5},
                   {TEXT_SGL_RACE_LENGTH, TEXT_SGL_MINUTES, 20, 38},
                   {TEXT_SGL_MUSIC, TEXT_RACE_VOLUME, 11, 1},
                   {TEXT_SGL_EFFECTS, TEXT_RACE_VOLUME, 11, 3},
                   {TEXT_SGL_RIDERS, TEXT_SGL_RIDER_COUNTS, 13, 90}};
  for (int i = 0; i < 5; ++i) {
    const float y = 64.0f + 64.0f * static_cast<float>(i);
    const std::string name = "SGLSLD" + std::to_string(i) + ".SLD";
    const SliderFile slider = OptionSlider(kSliders[i].caption, kSliders[i].first, kSliders[i].items,
                                           kSliders[i].setting, y);
    Put(ui, name, BuildSlider(slider));
    s.lists[SCENE_SLIDERS].push_back(Widget(name, slider.box[0], slider.box[1]));
    focus.push_back({13, static_cast<std::uint16_t>(i)});
  }
  for (std::uint16_t b = 1; b <= 10; ++b) focus.push_back({4, b});
  focus.push_back({4, 0});
  Put(ui, "SGLOPT.FLT", BuildFlt(focus));
  Label(ui, &s, "SGLOPTTL.STX", Text(TEXT_SGL_OPTIONS_TITLE, 1, true, ORANGE), 320.0f, 16.0f);
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_OPTIONS, 0, 0, "NULL"}};
  (*scenes)[6] = s;
}

// The results screens after a moto (11), a practice (12) and a qualifying
// (13): the table the results command builds, the way back to the menu
// (button 0, where the sample's was) and the way on (1). The race ends
// every moto on scene 11, so its way on must suit each moto of each mode:
// the event's start command leads to what follows the moto in every one
// (the garage or the points before the second moto, the event screen, the
// standings or, after a quick race, the menu), where continuing the event
// would send a finished event back to a starting grid.
void ResultsScreens(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  Put(ui, "SGLRCONT.BTN", BuildButton(CaptionButton(TEXT_SGL_CONTINUE, 430.0f, 400.0f, 190.0f, 40.0f,
                                                    {{CMD_START_EVENT, 1, 0, "NULL"}}, 2)));
  Put(ui, "SGLNQUAL.BTN", BuildButton(CaptionButton(TEXT_QUALIFYING_SESSION, 430.0f, 400.0f, 190.0f, 40.0f,
                                                    {{CMD_CONTINUE_EVENT, 0, 0, "NULL"}}, 2)));
  Put(ui, "SGLNFRST.BTN", BuildButton(CaptionButton(TEXT_FIRST_MOTO, 430.0f, 400.0f, 190.0f, 40.0f,
                                                    {{CMD_CONTINUE_EVENT, 0, 0, "NULL"}}, 2)));
  Put(ui, "SGLRES1.FLT", BuildFlt({{4, 1}, {4, 0}}));
  const struct {
    int scene;
    const char* next;
    std::uint16_t times;
  } kScreens[3] = {{11, "SGLRCONT.BTN", 0}, {12, "SGLNQUAL.BTN", 1}, {13, "SGLNFRST.BTN", 1}};
  for (const auto& r : kScreens) {
    SceneFile s = MenuScene("SGLBACK.PIC", "SGLRES1.FLT");
    s.lists[SCENE_BUTTONS] = {Widget("BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f),
                              Widget(r.next, 430.0f, 400.0f, 190.0f, 40.0f)};
    s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}, {CMD_SHOW_RIDER_LIST, r.times, 0, "NULL"}};
    (*scenes)[r.scene] = s;
  }
}

// The starting grid before a moto (scene 19, and 22 where the player starts
// from the back): the grid command lays out the places and the countdown
// (static text 20) and loads the course's two objects; the player moves
// his mark along the free places (buttons 0 and 1) or starts at once (2).
void GridScreens(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  Put(ui, "SGLGRIDL.BTN", BuildButton(CaptionButton(TEXT_SGL_PREVIOUS, 20.0f, 420.0f, 130.0f, 34.0f,
                                                    {{CMD_MOVE_PLAYER_LINE, 0, 0, "NULL"}}, 2)));
  Put(ui, "SGLGRIDR.BTN", BuildButton(CaptionButton(TEXT_SGL_NEXT, 490.0f, 420.0f, 130.0f, 34.0f,
                                                    {{CMD_MOVE_PLAYER_LINE, 1, 0, "NULL"}}, 2)));
  Put(ui, "SGLGRIDS.BTN", BuildButton(CaptionButton(TEXT_SGL_START, 220.0f, 20.0f, 200.0f, 40.0f,
                                                    {{CMD_START_RACE, 0, 0, "NULL"}})));
  Put(ui, "SGLGRID.FLT", BuildFlt({{4, 2}, {4, 0}, {4, 1}}));
  SceneFile s = MenuScene("SGLBACK.PIC", "SGLGRID.FLT");
  s.lists[SCENE_BUTTONS] = {Widget("SGLGRIDL.BTN", 20.0f, 420.0f, 130.0f, 34.0f),
                            Widget("SGLGRIDR.BTN", 490.0f, 420.0f, 130.0f, 34.0f),
                            Widget("SGLGRIDS.BTN", 220.0f, 20.0f, 200.0f, 40.0f)};
  s.actions = {{CMD_BUILD_BIKE_OBJECTS, 0, 0, "NULL"}};
  (*scenes)[19] = s;
  (*scenes)[22] = s;
}

}  // namespace

void AddSingleRaceScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  Put(ui, "SGLBACK.PIC", BackgroundPicture());
  TitleScreens(ui, scenes);
  PlayerScreen(ui, scenes);
  EventMembers(ui);
  EventScreen(ui, scenes);
  QuickEventScreen(ui, scenes);
  SessionsScreen(ui, scenes);
  SetupSecondPage(ui, scenes);
  OptionsScreen(ui, scenes);
  ResultsScreens(ui, scenes);
  GridScreens(ui, scenes);
}

}  // namespace kelvdata
