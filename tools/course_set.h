// The synthetic data set's courses: the first course (tools/track_course.h)
// and two more, each a race scene of its own. Bracken is a longer lap with a
// tabletop jump and a long climb; Mire is the wet course of the special-
// weather round, dark mud under an overcast sky in every weather. All three
// are wide enough at the start line for a grid of 20 riders.
#pragma once

#include <string>
#include <vector>

#include "tools/race_files.h"
#include "tools/race_samples.h"
#include "tools/track_course.h"

namespace kelvdata {

// The courses in scene order: course k is the race scene
// DATA_SET_RACE_SCENE + k of DATA\QDV.BIN.
enum DataSetCourseId { COURSE_ALDER = 0, COURSE_BRACKEN = 1, COURSE_MIRE = 2, DATA_SET_COURSE_COUNT = 3 };

struct DataSetCourse {
  const char* name;      // as the results tables and the HUD name it
  const char* race;      // the race description, a plain file
  const char* track;     // the track file it names
  CourseShape shape;
  std::uint16_t length;  // metres along the centre line, rounded
  // The event screen's two descriptions (the results tables' first and
  // third track facts): the ground, 0 hard, 1 soft, 2 sandy; the jumps, 0
  // few, 1 some, 2 many.
  std::uint16_t ground;
  std::uint16_t jumps;
};
const DataSetCourse& DataSetCourseOf(int course);
inline int DataSetCourseScene(int course) { return DATA_SET_RACE_SCENE + course; }

// Sections of Bracken's jump: the take-off lip and the far edge of the table
// top; the section of its climb's top.
constexpr int BRACKEN_SECTIONS = 120;
constexpr int BRACKEN_JUMP_LIP = 70;
constexpr int BRACKEN_TABLE_END = 72;
constexpr int BRACKEN_HILL_TOP = 30;
constexpr int MIRE_SECTIONS = 100;

// Centre lines and ground heights of the two courses.
void BrackenPoint(float s, float* x, float* z);
float BrackenHeight(float s);
void MirePoint(float s, float* x, float* z);
float MireHeight(float s);
// Every course opens to 12.5 m either side at the start line, room for the
// grid's 20 m and the bikes at its ends, and narrows to `narrow` (Bracken and
// Mire 6.5 m, Alder 4 m) over the next sections (and the last ones before
// it).
float StartWideHalfWidth(float s, int sections, float narrow);

// The race of course `course` (COURSE_ALDER is CourseRaceSpec()).
RaceDescriptionSpec DataSetCourseRaceSpec(int course);

// The rounds of the results tables, and each round's course: index 9 is
// the special-weather round on Mire, the others take Alder and Bracken in
// turn.
constexpr int DATA_SET_ROUNDS = 10;
int DataSetRoundCourse(int round);

// The starting-grid screen's pictures of each round's course, for
// DATA\UI.BBF: 03C01Onn.ACT with nn = round + 1, the course's map, and
// round + 13, its heights along a lap, with their texture.
std::vector<BbfMember> CoursePreviewMembers();

// The two courses' track members (tracks, land pieces, textures, the
// scenery they share) for DATA\TRACK.BBF.
std::vector<BbfMember> ExtraCourseMembers();

// The riders' files RIDER0..19.RDR with their bikes BIKE0..19.TEX, for
// DATA\TRACK.BBF: the data set's rider on twenty bike colours.
std::vector<BbfMember> DataSetRiderFiles();

}  // namespace kelvdata
