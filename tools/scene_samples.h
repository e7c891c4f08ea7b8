// The front end's scenes of the synthetic data set: the start-up movies, the
// main menu with its quit question, the options screen (longer races, miles
// per hour), the credits, the championship's player screen, menu, save and
// load screens, the single race's choice of session, and a plain screen with a way back for every other front-end
// scene, with their background picture, buttons, focus lists and dialogs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/bbf.h"

namespace kelvdata {

// Game texts the scenes show (ids of the text database).
constexpr int TEXT_BACK = 990;
constexpr int TEXT_YES = 991;
constexpr int TEXT_NO = 992;
constexpr int TEXT_SURE = 993;
constexpr int TEXT_OK = 994;
// 995..1008 are the network lobby's, 1048..1100 the credits' lines.
constexpr int TEXT_SAVE = 1451;
constexpr int TEXT_LOAD = 1452;  // the main menu's, in its case
constexpr int TEXT_SLOT = 1453;  // 1453..1456: the four slots' names
constexpr int TEXT_EMPTY_SLOT = 216;
constexpr int TEXT_LONGER_RACES = 1457;
constexpr int TEXT_LOAD_GAME = 1458;  // the load screen's button
constexpr int TEXT_MPH = 37;

// The race HUD's session names, which the single race's event screen shows
// on its buttons.
constexpr int TEXT_PRACTICE_SESSION = 65;
constexpr int TEXT_QUALIFYING_SESSION = 66;
constexpr int TEXT_FIRST_MOTO = 67;

// The single race's event screen (scene 4): the top of the button of
// race type 0 (practice), 1 (qualifying) or 2 (first moto).
inline float SessionY(int raceType) { return 160.0f + 60.0f * static_cast<float>(raceType); }

// The screen the main menu's load button opens.
constexpr int LOAD_SCENE = 7;

// Members of the UI archive, and the scene files of scenes 0..count-1 as
// plain files ("SCENE<n>.SCN" in DATA\UI).
void DataSetSceneMembers(std::vector<BbfMember>* ui, int sceneCount,
                         std::vector<std::pair<std::string, Bytes>>* sceneFiles);

}  // namespace kelvdata
