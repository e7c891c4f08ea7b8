#include "tools/course_set.h"

#include <cmath>

#include "tools/effect_files.h"
#include "tools/flow_scenes.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

float BrackenHalfWidth(float s) { return StartWideHalfWidth(s, BRACKEN_SECTIONS, 6.5f); }
float MireHalfWidth(float s) { return StartWideHalfWidth(s, MIRE_SECTIONS, 6.5f); }

std::uint16_t CentreLineLength(const CourseShape& shape) {
  float length = 0.0f;
  float px = 0.0f, pz = 0.0f;
  shape.point(0.0f, &px, &pz);
  const int steps = shape.sections * 20;
  for (int i = 1; i <= steps; ++i) {
    float x = 0.0f, z = 0.0f;
    shape.point(static_cast<float>(i) * 0.05f, &x, &z);
    length += std::sqrt((x - px) * (x - px) + (z - pz) * (z - pz));
    px = x;
    pz = z;
  }
  return static_cast<std::uint16_t>(std::lround(length));
}

DataSetCourse MakeCourse(const char* name, const char* race, const char* track, CourseShape shape,
                         std::uint16_t ground, std::uint16_t jumps) {
  return {name, race, track, shape, CentreLineLength(shape), ground, jumps};
}

const CourseFiles kBrackenFiles{"BRACKEN", "BRGRASS.LND", "BRBANKS.LND", "DATA\\TRACK\\CLAY.TEX", "DATA\\TRACK\\GRASS.TEX",
                                "DATA\\TRACK\\BANK.TEX"};
const CourseFiles kMireFiles{"MIRE", "MIGRASS.LND", "MIBANKS.LND", "DATA\\TRACK\\MUD.TEX", "DATA\\TRACK\\WETGRASS.TEX",
                             "DATA\\TRACK\\WETBANK.TEX"};

// Flat ground a little below the fields, in 4 m cells, 40 m past the
// course's furthest point each way.
HeightFieldFile FieldUnder(const CourseShape& shape) {
  float minX = 0.0f, maxX = 0.0f, minZ = 0.0f, maxZ = 0.0f;
  for (int i = 0; i < shape.sections * 4; ++i) {
    float x = 0.0f, z = 0.0f;
    shape.point(static_cast<float>(i) * 0.25f, &x, &z);
    minX = std::fmin(minX, x);
    maxX = std::fmax(maxX, x);
    minZ = std::fmin(minZ, z);
    maxZ = std::fmax(maxZ, z);
  }
  HeightFieldFile field;
  field.cell = 4.0f;
  field.originX = std::floor((minX - 40.0f) / 4.0f) * 4.0f;
  field.originZ = std::floor((minZ - 40.0f) / 4.0f) * 4.0f;
  field.width = static_cast<std::uint32_t>(std::ceil((maxX + 40.0f - field.originX) / 4.0f)) + 1;
  field.height = static_cast<std::uint32_t>(std::ceil((maxZ + 40.0f - field.originZ) / 4.0f)) + 1;
  field.heights.assign(static_cast<std::size_t>(field.width) * field.height, -0.05f);
  return field;
}

std::vector<BbfMember> ShapeMembers(const CourseShape& shape, const CourseFiles& files, std::uint16_t humSection) {
  CourseTrack course = BuildCourseTrack(shape, files);
  course.field = FieldUnder(shape);
  course.sounds.emitters = {{0, "SOUNDS\\HUM.SFX", std::nullopt, {humSection}}, {1, "SOUNDS\\CLICK.SFX", std::nullopt, {0x2000}}};
  return CourseTrackMembers(course, files);
}

// Two posts `side` metres either side of the start line's centre.
void AddStartPosts(const CourseShape& shape, float side, RaceDescriptionSpec* spec) {
  float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f;
  shape.point(0.0f, &x0, &z0);
  shape.point(0.05f, &x1, &z1);
  const float dx = x1 - x0;
  const float dz = z1 - z0;
  const float length = std::sqrt(dx * dx + dz * dz);
  const float ax = length > 0.0f ? dz / length : 1.0f;
  const float az = length > 0.0f ? -dx / length : 0.0f;
  for (float s : {-side, side}) {
    RacePlacedSpec post;
    post.type = 3;
    post.file = "DATA\\TRACK\\POST.ACT";
    post.position[0] = x0 + ax * s;
    post.position[1] = shape.height(0.0f);
    post.position[2] = z0 + az * s;
    spec->staticObjects.push_back(post);
  }
}

}  // namespace

const DataSetCourse& DataSetCourseOf(int course) {
  static const DataSetCourse kCourses[DATA_SET_COURSE_COUNT] = {
      // Alder: a short sandy lap with a hill and a kicker; Bracken: hard
      // clay, a tabletop and a climb; Mire: soft mud and nearly flat.
      MakeCourse("ALDER", COURSE_RACE, COURSE_TRACK, {COURSE_SECTIONS, CoursePoint, CourseHeight, CourseHalfWidth}, 2, 2),
      MakeCourse("BRACKEN", "DATA\\TRACK\\BRACKEN.RAC", "DATA\\TRACK\\BRACKEN.TRK",
                 {BRACKEN_SECTIONS, BrackenPoint, BrackenHeight, BrackenHalfWidth}, 0, 1),
      MakeCourse("MIRE", "DATA\\TRACK\\MIRE.RAC", "DATA\\TRACK\\MIRE.TRK",
                 {MIRE_SECTIONS, MirePoint, MireHeight, MireHalfWidth}, 1, 0),
  };
  return kCourses[course >= 0 && course < DATA_SET_COURSE_COUNT ? course : 0];
}

int DataSetRoundCourse(int round) { return round == 9 ? COURSE_MIRE : round % 2 == 0 ? COURSE_ALDER : COURSE_BRACKEN; }

RaceDescriptionSpec DataSetCourseRaceSpec(int course) {
  RaceDescriptionSpec s = CourseRaceSpec();
  if (course != COURSE_BRACKEN && course != COURSE_MIRE) return s;
  const DataSetCourse& c = DataSetCourseOf(course);
  s.track = c.track;
  s.staticObjects.clear();
  AddStartPosts(c.shape, 14.5f, &s);
  if (course == COURSE_BRACKEN) {
    s.eventName = "BRACKEN RIDGE";
    // A lower afternoon sun.
    s.sunDirection[0] = -0.6f;
    s.sunDirection[1] = 0.5f;
    s.sunDirection[2] = 0.4f;
  } else {
    s.eventName = "MIRE HOLLOW";
    // Overcast in every weather: the dark horizon under the rain's clouds.
    s.backdrops[0] = {5, "DATA\\TRACK\\MIRE.BKD"};
    s.backdrops[2] = {5, "DATA\\TRACK\\MIRE.BKD"};
    s.skies[0] = {11, "DATA\\TRACK\\RAIN.SKY"};
  }
  return s;
}

std::vector<BbfMember> ExtraCourseMembers() {
  std::vector<BbfMember> out = ShapeMembers(DataSetCourseOf(COURSE_BRACKEN).shape, kBrackenFiles,
                                            static_cast<std::uint16_t>(BRACKEN_HILL_TOP));
  for (BbfMember& m : ShapeMembers(DataSetCourseOf(COURSE_MIRE).shape, kMireFiles, 64)) out.push_back(std::move(m));
  // Bracken's red clay; Mire's dark, wet mud with deep ruts, sodden grass
  // and banks.
  out.push_back({"CLAY.TEX", CourseNoiseTex(128, {170, 100, 60}, 0.3f, 11, true)});
  out.push_back({"MUD.TEX", CourseNoiseTex(128, {88, 66, 44}, 0.45f, 21, true)});
  out.push_back({"WETGRASS.TEX", CourseNoiseTex(128, {50, 95, 42}, 0.35f, 22, false)});
  out.push_back({"WETBANK.TEX", CourseNoiseTex(64, {72, 54, 38}, 0.4f, 23, false)});
  BackdropFile dark;
  dark.texture = "DATA\\TRACK\\HORIZON.TEX";
  dark.colour[0] = 0.36f;
  dark.colour[1] = 0.39f;
  dark.colour[2] = 0.44f;
  out.push_back({"MIRE.BKD", BuildBackdrop(dark)});
  return out;
}

void AddCourseMembers(std::vector<BbfMember>* track, std::vector<std::pair<std::string, Bytes>>* hostFiles) {
  for (BbfMember& m : ExtraCourseMembers()) track->push_back(std::move(m));
  for (int course : {COURSE_BRACKEN, COURSE_MIRE}) {
    const std::string race = DataSetCourseOf(course).race;
    hostFiles->push_back({race.substr(race.find_last_of('\\') + 1), BuildRaceDescription(DataSetCourseRaceSpec(course))});
  }
}

}  // namespace kelvdata
