#include "tools/dataset.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/bbf.h"
#include "tools/movie.h"
#include "tools/cd_image.h"
#include "tools/code_page.h"
#include "tools/course_set.h"
#include "tools/effect_files.h"
#include "tools/flow_scenes.h"
#include "tools/frontend_files.h"
#include "tools/game_texts.h"
#include "tools/hud_files.h"
#include "tools/object_samples.h"
#include "tools/qdv.h"
#include "tools/race_samples.h"
#include "tools/rider_files.h"
#include "tools/scene_samples.h"
#include "tools/sfx.h"
#include "tools/tdb.h"
#include "tools/tex.h"
#include "tools/ui_samples.h"
#include "tools/track_course.h"

namespace kelvdata {

namespace {

// The scenes up to the end of the start-up sequence (27 to 32), all front-end
// scenes.
constexpr int SCENE_COUNT = 33;

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// A diagonal colour ramp.
Bytes Ramp(int w, int h, Rgb from, Rgb to) {
  return BuildTex(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), [=](int x, int y) {
    const int t = (x + y) * 255 / (w + h - 2 > 0 ? w + h - 2 : 1);
    return Rgb{Byte(from.r + (to.r - from.r) * t / 255), Byte(from.g + (to.g - from.g) * t / 255),
               Byte(from.b + (to.b - from.b) * t / 255)};
  });
}

// Squares of a colour on the front end's key colour (250, 0, 200).
Bytes KeyedSquares(int w, int h, Rgb c) {
  return BuildTex(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), [=](int x, int y) {
    return ((x / 8) + (y / 8)) % 2 ? c : Rgb{250, 0, 200};
  });
}

}  // namespace

std::vector<std::string> DataSetTexts(int language, std::string* error) {
  std::vector<std::string> texts(1400);
  // The race's volume steps; its dialogs' captions are the game texts'.
  AddRaceTexts(&texts);
  // The menus, the screens' buttons, the save screens, the race's dialogs,
  // the lobby; the credits.
  AddGameTexts(language, &texts);
  AddCreditTexts(language, &texts);
  // The race HUD's messages, key help and event names.
  AddHudTexts(language, &texts);
  // The game flows' screens.
  AddSingleRaceTexts(language, &texts);
  AddChampionshipTexts(language, &texts);
  AddLobbyTexts(language, &texts);

  // The tables are UTF-8; the database holds the language's code page.
  const int codePage = CodePageOf(language);
  for (std::size_t id = 0; id < texts.size(); ++id) {
    std::string why;
    if (!ToCodePage(texts[id], codePage, &texts[id], &why)) {
      if (error) *error = "text " + std::to_string(id) + " of GAMETXT" + std::to_string(language) + ".TDB: " + why;
      return {};
    }
  }
  return texts;
}

namespace {

// The arrow: a triangle from the hot spot with a short tail; 0 outside, 1 on
// its dark border, 2 inside.
int Arrow(int x, int y) {
  auto inside = [](int px, int py) {
    const bool head = px >= 0 && py >= 0 && px <= py && px + py / 2 <= 15 && py <= 21;
    const bool tail = px >= 5 && px <= 9 && py >= 12 && py <= 27 && py - px >= 10;
    return head || tail;
  };
  if (!inside(x, y)) return 0;
  return inside(x - 1, y) && inside(x + 1, y) && inside(x, y - 1) && inside(x, y + 1) ? 2 : 1;
}

}  // namespace

Bytes CursorPointerTex() {
  return BuildTex(32, 32, [](int x, int y) {
    switch (Arrow(x, y)) {
      case 2: return Rgb{255, 255, 255};
      case 1: return Rgb{16, 16, 16};
      default: return Rgb{0, 0, 0};
    }
  });
}

Bytes CursorShadowTex() {
  return BuildTex(32, 32, [](int x, int y) {
    return Arrow(x - 3, y - 3) != 0 ? Rgb{110, 110, 110} : Rgb{255, 255, 255};
  });
}

bool WriteDataSet(const std::string& root) {
  const std::filesystem::path data = std::filesystem::path(root) / "DATA";

  std::vector<BbfMember> ui;
  for (int language = 0; language < 8; ++language) {
    std::string error;
    const std::vector<std::string> texts = DataSetTexts(language, &error);
    if (texts.empty()) {
      std::fprintf(stderr, "kelvdata: %s\n", error.c_str());
      return false;
    }
    ui.push_back({"GAMETXT" + std::to_string(language) + ".TDB", BuildTdb(texts)});
  }
  ui.push_back({"DLGBKG.TEX", Ramp(256, 256, {20, 30, 60}, {90, 140, 220})});
  ui.push_back({"_FONT1.TEX", KeyedSquares(256, 256, {255, 255, 255})});
  ui.push_back({"_CUROBJ.TEX", CursorPointerTex()});
  ui.push_back({"_CURSHD.TEX", CursorShadowTex()});
  for (BbfMember& m : DataSetObjectMembers()) ui.push_back(std::move(m));
  // The starting-grid screen's maps and height profiles of the rounds' courses.
  for (BbfMember& m : CoursePreviewMembers()) ui.push_back(std::move(m));
  for (int skill = 0; skill < 3; ++skill)
    ui.push_back({"LIST" + std::to_string(skill + 1) + ".PLT", BuildPlt(SyntheticPlt(skill))});

  std::vector<BbfMember> uiTrack;
  std::string error;
  if (!DataSetUiMembers(&ui, &uiTrack, &error)) {
    std::fprintf(stderr, "kelvdata: %s\n", error.c_str());
    return false;
  }

  std::vector<BbfMember> misc = {{"SKY.TEX", Ramp(256, 128, {120, 170, 230}, {250, 250, 255})}};
  std::vector<BbfMember> track = {{"_PANELS.TEX", KeyedSquares(128, 128, {200, 60, 30})},
                                  {"LND0.TEX", Ramp(256, 256, {90, 70, 40}, {150, 120, 80})}};
  for (BbfMember& m : uiTrack) track.push_back(std::move(m));
  for (BbfMember& m : CourseMembers()) track.push_back(std::move(m));
  std::vector<std::pair<std::string, Bytes>> courseFiles;
  AddCourseMembers(&track, &courseFiles);
  for (const auto& [name, bytes] : courseFiles) {
    if (!WriteHostFile((data / "TRACK" / name).string(), bytes)) return false;
  }
  track.push_back({"COURSE.SKY", BuildSkyFile({COURSE_CLOUDS, COURSE_SKY_RADIUS, std::nullopt})});
  track.push_back({"CLOUDS.TEX", CloudTex()});
  track.push_back({"EFFECTS.TEX", EffectsTex()});
  for (BbfMember& m : RiderDataSetMembers()) track.push_back(std::move(m));
  // The race on the course, scene DATA_SET_RACE_SCENE in every race type.
  DataSetRaceMembers(&misc, &track);
  for (const std::vector<BbfMember>* archive : {&misc, &track}) {
    const std::string problem = BbfArchiveProblem(*archive);
    if (!problem.empty()) {
      std::fprintf(stderr, "kelvdata: %s\n", problem.c_str());
      return false;
    }
  }
  if (!WriteHostFile((std::filesystem::path(root) / "DATA" / "TRACK" / "COURSE.RAC").string(),
                     BuildRaceDescription(CourseRaceSpec()))) {
    return false;
  }
  // The race HUD's plates, helmets, numbers and the events' flags.
  for (BbfMember& m : HudTrackMembers()) track.push_back(std::move(m));
  for (BbfMember& m : HudUiMembers()) ui.push_back(std::move(m));

  std::vector<std::pair<std::string, Bytes>> sceneFiles;
  DataSetSceneMembers(&ui, SCENE_COUNT, &sceneFiles);
  for (const auto& [name, bytes] : sceneFiles) {
    if (!WriteHostFile((data / "UI" / name).string(), bytes)) return false;
  }

  std::vector<QdvEntry> scenes;
  for (int i = 0; i < SCENE_COUNT; ++i) scenes.push_back({0, "DATA\\UI\\SCENE" + std::to_string(i) + ".SCN"});
  static_assert(DATA_SET_RACE_SCENE == SCENE_COUNT, "the race follows the front end's scenes");
  // The courses' races, one scene each from DATA_SET_RACE_SCENE on.
  for (int course = 0; course < DATA_SET_COURSE_COUNT; ++course) scenes.push_back({1, DataSetCourseOf(course).race});

  const std::filesystem::path sounds = std::filesystem::path(root) / "SOUNDS";
  const Bytes click = BuildSfx(16, 1, 22050, SineTonePcm(16, 1, 22050, 880.0, 0.5, 2205));
  const Bytes hum = BuildSfx(8, 2, 11025, SineTonePcm(8, 2, 11025, 110.0, 0.3, 11025));
  const Bytes rain = BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, 1500.0, 0.1, 11025));
  const Bytes thunder = BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, 45.0, 0.6, 22050));
  // The missile's flight hiss and its explosion.
  const Bytes sidewind = BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, 2400.0, 0.2, 11025));
  const Bytes boom = BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, 60.0, 0.7, 11025));

  // The results tables are plain files beside the archive; the save games
  // go into their own folder.
  for (int skill = 0; skill < 3; ++skill) {
    const std::string name = "CMP" + std::to_string(skill + 2) + ".RLT";
    if (!WriteHostFile((data / "UI" / name).string(), BuildRlt(SyntheticRlt(skill)))) return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(data / "SAVE", ec);
  if (ec) return false;

  for (const auto& [name, bytes] : RiderDataSetSounds()) {
    if (!WriteHostFile((sounds / name).string(), bytes)) return false;
  }
  return WriteHostFile((data / "UI.BBF").string(), BuildBbf(ui)) &&
         WriteHostFile((sounds / "CLICK.SFX").string(), click) && WriteHostFile((sounds / "HUM.SFX").string(), hum) &&
         WriteHostFile((sounds / "RAIN.SFX").string(), rain) &&
         WriteHostFile((sounds / "THUNDER.SFX").string(), thunder) &&
         WriteHostFile((sounds / "SIDEWIND.SFX").string(), sidewind) &&
         WriteHostFile((sounds / "BOOM.SFX").string(), boom) &&
         WriteHostFile((data / "MISC.BBF").string(), BuildBbf(misc)) &&
         WriteHostFile((data / "TRACK.BBF").string(), BuildBbf(track)) &&
         WriteHostFile((data / "QDV.BIN").string(), BuildQdv(scenes)) &&
         WriteHostFile((data / "MOVIES" / "INTRO.MPG").string(), SyntheticMovie()) &&
         WriteCdImage((std::filesystem::path(root) / "CD" / GAME_CD_CUE).string(), GAME_CD_BIN,
                      GameCdImage(GAME_CD_BIN));
}

}  // namespace kelvdata
