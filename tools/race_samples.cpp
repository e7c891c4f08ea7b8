#include "tools/race_samples.h"

#include <cmath>

#include "tools/course_set.h"
#include "tools/effect_files.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/rider_files.h"
#include "tools/scene_build.h"
#include "tools/tex.h"
#include "tools/track_course.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

// Command numbers the dialogs' buttons carry.
constexpr std::uint16_t CMD_TOGGLE_OPTION = 37;
constexpr std::uint16_t CMD_SET_DIALOG_MODE = 55;
// The options the pause dialog's toggles switch.
constexpr std::uint16_t OPTION_REPLAY = 3;
constexpr std::uint16_t OPTION_FEEDBACK = 6;
// Slider settings: the music and the effects volume.
constexpr std::uint16_t SETTING_MUSIC = 1;
constexpr std::uint16_t SETTING_EFFECTS = 3;
// The race's dialog slots whose mode a button sets.
constexpr std::uint16_t DIALOG_ACCEPT = 1;
constexpr std::uint16_t DIALOG_GARAGE = 2;
constexpr std::uint16_t DIALOG_RESTART = 3;
constexpr std::uint16_t DIALOG_REPLAY = 4;

// Dialog sizes as designed; loading centres them on the screen.
constexpr float PAUSE_W = 360.0f;
constexpr float PAUSE_H = 340.0f;
constexpr float NOTE_W = 360.0f;
constexpr float NOTE_H = 100.0f;

// The loading picture as laid out on a 640 x 480 screen: a dark blue
// gradient, a light band for the title, and the progress bar at 55..590 x
// 253..296 in orange under a thin frame, which the race covers with a
// near-black panel where it has not yet reached.
Rgb LoadingPixel640(int x, int y) {
  if (x >= 53 && x < 592 && y >= 251 && y < 298) {
    if (x < 55 || x >= 590 || y < 253 || y >= 296) return {230, 230, 230};
    const int t = (x - 55) * 120 / 535;
    return {255, static_cast<std::uint8_t>(100 + t), 20};
  }
  if (y >= 150 && y < 200) return {70, 110, 170};
  return {10, 20, static_cast<std::uint8_t>(60 + y * 100 / 480)};
}

template <int W, int H>
RgbPixel LoadingPixel(int x, int y) {
  const Rgb c = LoadingPixel640(x * 640 / W, y * 480 / H);
  return {c.r, c.g, c.b};
}

// The icons of the camera and help panels in one 128 x 128 texture: the
// camera modes in a 4 x 4 grid of 32-texel cells (a frame with a square
// whose size tells the mode apart), and in the bottom quarter the three
// help icons, 20 texels wide, lit (rows 96..111) and dark (rows 113..127).
Rgb IconTexel(int x, int y) {
  if (y >= 96) {
    const int icon = x / 20;
    if (icon > 2 || y == 112) return {0, 0, 0};
    const bool lit = y < 112;
    const int cx = x - icon * 20;
    const int row = (y - 96) % 16;
    const bool mark = cx >= 3 && cx < 17 && row >= 3 && row < 13 && (cx - 3 < (icon + 1) * 4 || row == 3 || row == 12);
    if (!mark) return {0, 0, 0};
    return lit ? Rgb{60, 230, 60} : Rgb{90, 90, 90};
  }
  const int cell = (y / 32) * 4 + x / 32;
  const int cx = x % 32;
  const int cy = y % 32;
  if (cx < 2 || cx >= 30 || cy < 2 || cy >= 30) return {240, 240, 240};
  const int half = 3 + cell;
  if (cx >= 16 - half && cx < 16 + half && cy >= 16 - half && cy < 16 + half) return {250, 200, 40};
  return {0, 0, 0};
}

StaticTextBody Label(std::uint32_t textId, float x, float y, std::uint16_t font = 0) {
  return TextAt(textId, x, y, font);
}

// A button as wide as the pause dialog leaves it.
ButtonFile RaceButton(float x, float y, std::vector<ButtonActionEntry> actions) {
  return ButtonLook(x, y, PAUSE_W - 2.0f * x, 30.0f, std::move(actions));
}

ButtonFile CaptionButton(std::uint32_t text, float x, float y, std::vector<ButtonActionEntry> actions) {
  ButtonFile b = RaceButton(x, y, std::move(actions));
  b.hasCaption = 1;
  b.caption = Label(text, x + 12.0f, y + 7.0f);
  return b;
}

// A toggle whose label tells the option's state; the pause sets the state
// from the option when it opens.
ButtonFile ToggleButton(std::uint32_t offText, std::uint32_t onText, std::uint16_t option, float x, float y) {
  ButtonFile b = RaceButton(x, y, {{CMD_TOGGLE_OPTION, option, 0, "NULL"}});
  b.toggle = 1;
  b.offLabel = Label(offText, x + 12.0f, y + 7.0f);
  b.onLabel = Label(onText, x + 12.0f, y + 7.0f);
  return b;
}

SliderFile VolumeSlider(std::uint32_t caption, std::uint16_t setting, float y) {
  SliderFile s;
  for (std::uint32_t v = 0; v <= 10; ++v) s.items.push_back(TEXT_RACE_VOLUME + v);
  s.box[0] = 140.0f;
  s.box[1] = y;
  s.box[2] = 300.0f;
  s.box[3] = y + 20.0f;
  s.track = RaceButton(140.0f, y, {});
  s.track.size[0] = 160.0f;
  s.track.size[1] = 20.0f;
  s.track.textures[0] = s.track.textures[1] = s.track.textures[2] = "DATA\\UI\\_TRACK.TEX";
  s.thumb = RaceButton(132.0f, y - 2.0f, {});
  s.thumb.size[0] = 16.0f;
  s.thumb.size[1] = 24.0f;
  s.thumb.textures[0] = s.thumb.textures[1] = s.thumb.textures[2] = "DATA\\UI\\_THUMB.TEX";
  s.caption = Label(caption, 20.0f, y + 2.0f);
  s.valueLabel = Label(TEXT_RACE_VOLUME, 310.0f, y + 2.0f);
  s.settingId = setting;
  return s;
}

// Adds a member once: the pause dialogs share their sliders. A different
// member of the same name is added all the same, for the archive's check
// to refuse.
void Put(std::vector<BbfMember>* track, const std::string& name, Bytes bytes) {
  for (const BbfMember& m : *track) {
    if (m.name == name && m.data == bytes) return;
  }
  track->push_back({name, std::move(bytes)});
}

std::string TrackPath(const std::string& name) { return "DATA\\TRACK\\" + name; }

// A dialog of a title, the given buttons and sliders in order, on a panel.
Bytes BuildRaceDialog(std::vector<BbfMember>* track, const std::string& title, float w, float h,
                      const std::vector<std::pair<std::string, ButtonFile>>& buttons,
                      const std::vector<std::pair<std::string, SliderFile>>& sliders) {
  DialogFile d;
  d.box[2] = w;
  d.box[3] = h;
  for (const auto& [name, b] : buttons) {
    Put(track, name, BuildButton(b));
    d.lists[DIALOG_BUTTONS].push_back(DialogEntryAt(TrackPath(name), b.position[0], b.position[1], b.size[0], b.size[1]));
  }
  for (const auto& [name, s] : sliders) {
    Put(track, name, BuildSlider(s));
    d.lists[DIALOG_SLIDERS].push_back(DialogEntryAt(TrackPath(name), s.box[0], s.box[1]));
  }
  d.lists[DIALOG_STATIC_TEXTS] = {DialogEntryAt(TrackPath(title), w * 0.5f, 15.0f)};
  d.lists[DIALOG_PANELS] = {DialogEntryAt("DATA\\TRACK\\RDLGBACK.OSP", 0.0f, 0.0f, w, h)};
  return BuildDialog(d);
}

// A horizontal square of half size `half` at height `y`, facing up, its
// texture repeated `tiles` times across.
LitMeshRecord GroundPlane(float half, float y, float tiles) {
  auto at = [&](float x, float z) {
    const float u = (x + half) / (2.0f * half) * tiles;
    const float v = (z + half) / (2.0f * half) * tiles;
    return LitMeshVertex{x, y, z, 0.8f, 0.85f, 0.7f, 1.0f, u, v};
  };
  std::vector<LitMeshVertex> vertices;
  for (const LitMeshVertex& v : FileTriangle(at(-half, -half), at(-half, half), at(half, -half))) vertices.push_back(v);
  for (const LitMeshVertex& v : FileTriangle(at(half, -half), at(-half, half), at(half, half))) vertices.push_back(v);
  return MakeLitMesh(vertices, true);
}

}  // namespace

RaceDescriptionSpec CourseRaceSpec() {
  RaceDescriptionSpec s;
  s.textureSizeGroups = 1;
  s.fonts = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT", "DATA\\UI\\FONT4.FNT"};
  s.sunFlag = 1;
  s.sunDirection[0] = 0.3f;
  s.sunDirection[1] = 0.8f;
  s.sunDirection[2] = 0.5f;
  s.track = COURSE_TRACK;
  s.backdrops[0] = {5, "DATA\\TRACK\\HORIZON.BKD"};
  s.backdrops[1] = {5, "DATA\\TRACK\\FOG.BKD"};
  s.backdrops[2] = {5, "DATA\\TRACK\\RAIN.BKD"};
  s.skies[0] = {11, COURSE_SKY};
  s.skies[1] = {11, "DATA\\TRACK\\FOG.SKY"};
  s.skies[2] = {11, "DATA\\TRACK\\RAIN.SKY"};
  s.effectsTexture = COURSE_EFFECTS;
  s.eventName = "SYNTHETIC COURSE";
  s.ground = "DATA\\TRACK\\GROUND.ACT";
  // Two posts 14.5 m either side of the start line's centre, beside the
  // ridden ground where it opens for the grid.
  float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f;
  CoursePoint(0.0f, &x0, &z0);
  CoursePoint(0.05f, &x1, &z1);
  const float dx = x1 - x0;
  const float dz = z1 - z0;
  const float length = std::sqrt(dx * dx + dz * dz);
  const float ax = length > 0.0f ? dz / length : 1.0f;
  const float az = length > 0.0f ? -dx / length : 0.0f;
  const float y = CourseHeight(0.0f);
  for (float side : {-14.5f, 14.5f}) {
    RacePlacedSpec post;
    post.type = 3;
    post.file = "DATA\\TRACK\\POST.ACT";
    post.position[0] = x0 + ax * side;
    post.position[1] = y;
    post.position[2] = z0 + az * side;
    s.staticObjects.push_back(post);
  }
  return s;
}

void DataSetRaceMembers(std::vector<BbfMember>* misc, std::vector<BbfMember>* track) {
  misc->push_back({"LOAD640.TEX", BuildLoadingPicture(640, 480, LoadingPixel<640, 480>)});
  misc->push_back({"LOAD800.TEX", BuildLoadingPicture(800, 600, LoadingPixel<800, 600>)});
  misc->push_back({"LOAD1024.TEX", BuildLoadingPicture(1024, 768, LoadingPixel<1024, 768>)});

  Put(track, "_RACEICO.TEX", BuildTex(128, 128, IconTexel));
  PanelFile camera;
  camera.texture = "DATA\\TRACK\\_RACEICO.TEX";
  camera.blend = 1;
  camera.position[0] = 5.0f;
  camera.position[1] = 85.0f;
  camera.size[0] = 48.0f;
  camera.size[1] = 48.0f;
  camera.u[0] = camera.u[3] = 0.0f;
  camera.u[1] = camera.u[2] = 0.25f;
  camera.v[0] = camera.v[1] = 0.5f;
  camera.v[2] = camera.v[3] = 0.75f;
  Put(track, "CAMERA.OSP", BuildOsp(camera));
  PanelFile help = camera;
  help.position[0] = 5.0f;
  help.position[1] = 224.0f;
  help.size[0] = 40.0f;
  help.size[1] = 30.0f;
  help.u[1] = help.u[2] = 0.15625f;
  help.v[0] = help.v[1] = 0.75390601f;
  help.v[2] = help.v[3] = 0.87109303f;
  Put(track, "HELP.OSP", BuildOsp(help));

  // The fog and rain scenery: the clear horizon under a greyer light, the
  // same clouds on smaller spheres.
  BackdropFile fog;
  fog.texture = "DATA\\TRACK\\HORIZON.TEX";
  fog.colour[0] = fog.colour[1] = 0.7f;
  fog.colour[2] = 0.75f;
  Put(track, "FOG.BKD", BuildBackdrop(fog));
  BackdropFile rain = fog;
  rain.colour[0] = 0.45f;
  rain.colour[1] = 0.5f;
  rain.colour[2] = 0.55f;
  Put(track, "RAIN.BKD", BuildBackdrop(rain));
  Put(track, "FOG.SKY", BuildSkyFile({COURSE_CLOUDS, COURSE_SKY_RADIUS - 100.0f, std::nullopt}));
  Put(track, "RAIN.SKY", BuildSkyFile({COURSE_CLOUDS, COURSE_SKY_RADIUS - 200.0f, std::nullopt}));

  // The players lists' rider files.
  for (BbfMember& m : DataSetRiderFiles()) Put(track, m.name, std::move(m.data));

  PlainObjectFile ground;
  ground.texture = "DATA\\TRACK\\LND0.TEX";
  ground.meshes = {GroundPlane(200.0f, -0.3f, 16.0f)};
  Put(track, "GROUND.ACT", BuildPlainObjectFile(ground));
  PlainObjectFile post;
  post.texture = "NULL";
  post.meshes = {SampleBox(0.25f, 0.0f, 1.0f, 0.0f, true)};
  Put(track, "POST.ACT", BuildPlainObjectFile(post));

  // The dialogs' background and titles.
  PanelFile back;
  back.texture = "DATA\\UI\\DLGBKG.TEX";
  back.blend = 1;
  back.size[0] = PAUSE_W;
  back.size[1] = PAUSE_H;
  back.colour[0] = back.colour[1] = back.colour[2] = 0.8f;
  Put(track, "RDLGBACK.OSP", BuildOsp(back));
  const std::pair<const char*, int> titles[] = {{"RPAUSED.STX", TEXT_RACE_PAUSED},     {"RRESULT.STX", TEXT_RACE_RESULT},
                                                {"RGARAGE.STX", TEXT_RACE_TO_GARAGE},  {"RRESTART.STX", TEXT_RACE_RESTARTING},
                                                {"RWAITING.STX", TEXT_RACE_WAITING}};
  for (const auto& [name, text] : titles) {
    StaticTextBody title = Label(static_cast<std::uint32_t>(text), PAUSE_W * 0.5f, 15.0f, 1);
    title.centreHorizontally = 1;
    title.colour[0] = 1.0f;
    title.colour[1] = 0.7764700f;
    title.colour[2] = 0.0980390f;
    Put(track, name, BuildStaticTextBody(title));
  }

  // The pause dialogs: the buttons that end the race mark the end dialog
  // of their choice, the toggles switch the replay and force-feedback
  // options (buttons 3 and 4 of a session's dialog, 2 and 3 of a moto's),
  // sliders 0 and 1 set the music and effects volumes.
  const auto mark = [](std::uint16_t dialog) {
    return std::vector<ButtonActionEntry>{{CMD_SET_DIALOG_MODE, dialog, 2, "NULL"}};
  };
  const std::vector<std::pair<std::string, SliderFile>> volumes = {
      {"RMUSIC.SLD", VolumeSlider(TEXT_RACE_MUSIC, SETTING_MUSIC, 250.0f)},
      {"REFFECTS.SLD", VolumeSlider(TEXT_RACE_EFFECTS, SETTING_EFFECTS, 290.0f)}};
  const auto y = [](int row) { return 50.0f + 38.0f * static_cast<float>(row); };
  Put(track, "DLG02.DLG",
      BuildRaceDialog(track, "RPAUSED.STX", PAUSE_W, PAUSE_H,
                      {{"RENDSESS.BTN", CaptionButton(TEXT_RACE_END_SESSION, 20.0f, y(0), mark(DIALOG_ACCEPT))},
                       {"RRESTART.BTN", CaptionButton(TEXT_RACE_RESTART, 20.0f, y(1), mark(DIALOG_RESTART))},
                       {"RGARAGE.BTN", CaptionButton(TEXT_RACE_GARAGE, 20.0f, y(2), mark(DIALOG_GARAGE))},
                       {"RREPLAY2.BTN", ToggleButton(TEXT_RACE_REPLAY_OFF, TEXT_RACE_REPLAY_ON, OPTION_REPLAY, 20.0f, y(3))},
                       {"RFEEDBK2.BTN",
                        ToggleButton(TEXT_RACE_FEEDBACK_OFF, TEXT_RACE_FEEDBACK_ON, OPTION_FEEDBACK, 20.0f, y(4))}},
                      volumes));
  Put(track, "DLG01.DLG",
      BuildRaceDialog(track, "RPAUSED.STX", PAUSE_W, PAUSE_H,
                      {{"RRETIRE.BTN", CaptionButton(TEXT_RACE_RETIRE, 20.0f, y(0), mark(DIALOG_ACCEPT))},
                       {"RRESTRT1.BTN", CaptionButton(TEXT_RACE_RESTART, 20.0f, y(1), mark(DIALOG_RESTART))},
                       {"RREPLAY1.BTN", ToggleButton(TEXT_RACE_REPLAY_OFF, TEXT_RACE_REPLAY_ON, OPTION_REPLAY, 20.0f, y(2))},
                       {"RFEEDBK1.BTN",
                        ToggleButton(TEXT_RACE_FEEDBACK_OFF, TEXT_RACE_FEEDBACK_ON, OPTION_FEEDBACK, 20.0f, y(3))}},
                      volumes));

  // The end dialogs are never shown: a pause button sets their mode.
  Put(track, "DLGW01.DLG", BuildRaceDialog(track, "RRESULT.STX", NOTE_W, NOTE_H, {}, {}));
  Put(track, "DLGW02.DLG", BuildRaceDialog(track, "RGARAGE.STX", NOTE_W, NOTE_H, {}, {}));
  Put(track, "DLGW03.DLG", BuildRaceDialog(track, "RRESTART.STX", NOTE_W, NOTE_H, {}, {}));
  // The action replay's pause: go on (mode 0) or end the replay (mode 2).
  Put(track, "DLGW04.DLG",
      BuildRaceDialog(track, "RPAUSED.STX", PAUSE_W, 140.0f,
                      {{"RGOON.BTN", CaptionButton(TEXT_RACE_CONTINUE_REPLAY, 20.0f, y(0),
                                                   {{CMD_SET_DIALOG_MODE, DIALOG_REPLAY, 0, "NULL"}})},
                       {"RENDRPLY.BTN", CaptionButton(TEXT_RACE_END_REPLAY, 20.0f, y(1), mark(DIALOG_REPLAY))}},
                      {}));
  Put(track, "SYNCHRO.DLG", BuildRaceDialog(track, "RWAITING.STX", NOTE_W, NOTE_H, {}, {}));
}

void AddRaceTexts(std::vector<std::string>* texts) {
  const std::pair<int, const char*> race[] = {
      {TEXT_RACE_RETIRE, "RETIRE"},
      {TEXT_RACE_END_SESSION, "END SESSION"},
      {TEXT_RACE_RESTART, "RESTART"},
      {TEXT_RACE_GARAGE, "GARAGE"},
      {TEXT_RACE_REPLAY_OFF, "REPLAY: OFF"},
      {TEXT_RACE_REPLAY_ON, "REPLAY: ON"},
      {TEXT_RACE_FEEDBACK_OFF, "FORCE FEEDBACK: OFF"},
      {TEXT_RACE_FEEDBACK_ON, "FORCE FEEDBACK: ON"},
      {TEXT_RACE_MUSIC, "MUSIC"},
      {TEXT_RACE_EFFECTS, "EFFECTS"},
      {TEXT_RACE_PAUSED, "PAUSED"},
      {TEXT_RACE_CONTINUE_REPLAY, "CONTINUE THE REPLAY"},
      {TEXT_RACE_END_REPLAY, "END THE REPLAY"},
      {TEXT_RACE_WAITING, "WAITING FOR THE OTHER PLAYERS"},
      {TEXT_RACE_RESULT, "RESULT ACCEPTED"},
      {TEXT_RACE_TO_GARAGE, "TO THE GARAGE"},
      {TEXT_RACE_RESTARTING, "RESTARTING"},
  };
  const std::size_t last = static_cast<std::size_t>(TEXT_RACE_VOLUME + 10);
  if (texts->size() <= last) texts->resize(last + 1);
  for (const auto& [id, text] : race) (*texts)[static_cast<std::size_t>(id)] = text;
  for (int v = 0; v <= 10; ++v) (*texts)[static_cast<std::size_t>(TEXT_RACE_VOLUME + v)] = std::to_string(v * 10);
}

}  // namespace kelvdata
