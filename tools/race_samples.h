// The synthetic data set's race on its course: the race description, the
// loading pictures, the camera and help icons, the six in-race dialogs with
// their widgets, the fog and rain backdrops and skies, the ground and the
// start posts, and the texts the dialogs show.
#pragma once

#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/race_files.h"

namespace kelvdata {

// The scene number of the race in DATA\QDV.BIN (the scenes before it are
// the front end's), named by every entry of the results tables; and its race
// description, a plain file beside the track archive.
constexpr int DATA_SET_RACE_SCENE = 33;
inline constexpr const char* COURSE_RACE = "DATA\\TRACK\\COURSE.RAC";

// Game texts of the race's dialogs (ids of the text database); a volume
// slider's value n (0..10) is text TEXT_RACE_VOLUME + n.
constexpr int TEXT_RACE_RETIRE = 1460;
constexpr int TEXT_RACE_END_SESSION = 1461;
constexpr int TEXT_RACE_RESTART = 1462;
constexpr int TEXT_RACE_GARAGE = 1463;
constexpr int TEXT_RACE_REPLAY_OFF = 1464;
constexpr int TEXT_RACE_REPLAY_ON = 1465;
constexpr int TEXT_RACE_FEEDBACK_OFF = 1466;
constexpr int TEXT_RACE_FEEDBACK_ON = 1467;
constexpr int TEXT_RACE_MUSIC = 1468;
constexpr int TEXT_RACE_EFFECTS = 1469;
constexpr int TEXT_RACE_PAUSED = 1470;
constexpr int TEXT_RACE_CONTINUE_REPLAY = 1471;
constexpr int TEXT_RACE_END_REPLAY = 1472;
constexpr int TEXT_RACE_WAITING = 1473;
constexpr int TEXT_RACE_RESULT = 1474;
constexpr int TEXT_RACE_TO_GARAGE = 1475;
constexpr int TEXT_RACE_RESTARTING = 1476;
constexpr int TEXT_RACE_VOLUME = 1480;

// The course's race: four fonts of the UI archive (the race draws with 0, 2
// and 3), a sun, the three weathers' backdrops and skies, the effects
// texture, a ground plane and two posts beside the start line, no track
// object.
RaceDescriptionSpec CourseRaceSpec();

// The race's members of DATA\MISC.BBF (the loading pictures) and of
// DATA\TRACK.BBF (the players lists' rider files RIDER0..19.RDR and
// everything else the race loads that the course and the data set's rider
// do not bring).
void DataSetRaceMembers(std::vector<BbfMember>* misc, std::vector<BbfMember>* track);

// The dialogs' texts into `texts` (grown as needed).
void AddRaceTexts(std::vector<std::string>* texts);

}  // namespace kelvdata
