// The single race's screens in the synthetic data set: their text ids (the
// single race's own range, 1110 to 1199, and the set-up page's from 1520)
// and the places that the end-to-end scripts and the picture checks rely on.
#pragma once

#include <map>
#include <vector>

#include "tools/bbf.h"
#include "tools/scene_files.h"

namespace kelvdata {

// Titles and labels of the screens.
constexpr int TEXT_SGL_EVENT_TITLE = 1110;
constexpr int TEXT_SGL_PREVIOUS = 1111;
constexpr int TEXT_SGL_NEXT = 1112;
constexpr int TEXT_SGL_LENGTH = 1113;
constexpr int TEXT_SGL_LAP_RECORD = 1114;
constexpr int TEXT_SGL_TRACK = 1115;
constexpr int TEXT_SGL_WEATHER = 1117;
constexpr int TEXT_SGL_OPTIONS_TITLE = 1118;
constexpr int TEXT_SGL_SKILL = 1119;
constexpr int TEXT_SGL_RACE_LENGTH = 1120;
constexpr int TEXT_SGL_MUSIC = 1121;
constexpr int TEXT_SGL_EFFECTS = 1122;
constexpr int TEXT_SGL_RIDERS = 1123;
constexpr int TEXT_SGL_SKILL_LEVELS = 1124;  // 1124..1126: easy, medium, hard
constexpr int TEXT_SGL_TOGGLES = 1127;       // 1127..1140: off and on labels of seven options
constexpr int TEXT_SGL_MINUTES = 1141;       // 1141..1160: 2 to 40 minutes
constexpr int TEXT_SGL_RIDER_COUNTS = 1161;  // 1161..1173: 8 to 20 riders
constexpr int TEXT_SGL_SUBTITLE = 1175;
constexpr int TEXT_SGL_START = 1176;
constexpr int TEXT_SGL_PLAYER_TITLE = 1177;
constexpr int TEXT_SGL_RATINGS = 1178;  // 1178..1183: the six ratings' names
constexpr int TEXT_SGL_NAME = 1184;
constexpr int TEXT_SGL_QUICK_RACE = 1185;
constexpr int TEXT_SGL_RACE = 1186;
constexpr int TEXT_SGL_SESSIONS_TITLE = 1187;
constexpr int TEXT_SGL_CONTINUE = 1188;
constexpr int TEXT_SGL_GARAGE = 1189;
constexpr int TEXT_SGL_SETUP = 1190;
constexpr int TEXT_SGL_ABANDON = 1191;
constexpr int TEXT_SGL_CHASSIS = 1192;
constexpr int TEXT_SGL_QUICK_MENU = 1193;  // the main menu's, in its case

// The skill classes' names, which the player screen shows by their numbers
// (108 to 110).
constexpr int TEXT_SKILL_CLASSES = 108;

// The weathers' names, which the event commands show by their numbers.
constexpr int TEXT_WEATHER_CLEAR = 32;
constexpr int TEXT_WEATHER_RAIN = 33;
constexpr int TEXT_WEATHER_FOG = 34;

// The set-up's second page (scene 25): its title and the captions of its
// sliders 0 to 17, in their order on the page.
constexpr int TEXT_SETUP2_TITLE = 1520;
constexpr int TEXT_SETUP2_CAPTIONS = 1521;  // 1521..1538
constexpr int SETUP2_SLIDERS = 18;

// The scenes the single race adds to its own flow: the event screen of the
// quick race, the menu between sessions and the set-up's second page.
constexpr int QUICK_EVENT_SCENE = 21;
constexpr int SESSIONS_SCENE = 10;
constexpr int SETUP2_SCENE = 25;

// Builds the set-up's second page into the archive and the scenes.
void SetupSecondPage(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes);

}  // namespace kelvdata
