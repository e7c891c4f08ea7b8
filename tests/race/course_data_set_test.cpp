// The synthetic data set's courses: the scene table names one race per
// course, each loads with twenty riders on its track and its computer riders
// race away from the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "engine/archive.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/scene/scene_table.h"
#include "engine/text_database.h"
#include "platform/win32/crt.h"
#include "platform/win32/timer.h"
#include "race/race/race_scene.h"
#include "riders/rider.h"
#include "tests/race/data_set_fixture.h"
#include "tools/course_set.h"
#include "tools/dataset.h"
#include "tools/frontend_files.h"
#include "world/track.h"

namespace {

class CourseDataSetTest : public kelvtest::DataSetRaceTest {
 protected:
  void SetUp() override {
    DataSetRaceTest::SetUp();
    g_RiderCount = 20;
    g_RaceLengthMinutes = 2;
    g_OptionReplay = 0;
  }
  // The race scenes of the scene table from the first race on.
  static std::vector<std::string> RaceScenes() { return RaceSceneNames(kelvdata::DATA_SET_RACE_SCENE); }
};

TEST_F(CourseDataSetTest, EachCourseIsARaceSceneOfItsOwn) {
  const std::vector<std::string> scenes = RaceScenes();
  ASSERT_EQ(scenes.size(), static_cast<std::size_t>(kelvdata::DATA_SET_COURSE_COUNT));
  std::set<std::string> tracks;
  for (int c = 0; c < kelvdata::DATA_SET_COURSE_COUNT; ++c) {
    const kelvdata::DataSetCourse& course = kelvdata::DataSetCourseOf(c);
    EXPECT_EQ(scenes[static_cast<std::size_t>(c)], course.race) << course.name;
    tracks.insert(course.track);
    Track track;
    ASSERT_TRUE(track.Load(course.track)) << course.name;
    EXPECT_EQ(track.sectionCount, course.shape.sections) << course.name;
    // The grid spreads 10 m either side of the first node: the ridden
    // ground must reach past it on both sides.
    EXPECT_GE(track.nodes[0].halfWidth, 12.0f) << course.name;
  }
  EXPECT_EQ(tracks.size(), 3u) << "three different tracks";
  // The new courses' lengths differ from the first's; Bracken has a jump.
  EXPECT_NE(kelvdata::DataSetCourseOf(kelvdata::COURSE_BRACKEN).length, kelvdata::DataSetCourseOf(kelvdata::COURSE_ALDER).length);
  EXPECT_NEAR(kelvdata::BrackenHeight(static_cast<float>(kelvdata::BRACKEN_JUMP_LIP)), 1.6f, 0.01f);
}

// Each course's race loads with twenty riders standing on the track; after
// the intro and ten seconds of racing the computer riders are well under
// way.
TEST_F(CourseDataSetTest, TwentyRidersRaceOnEveryCourse) {
  ASSERT_TRUE(OpenAt(640, 480));
  const std::vector<std::string> scenes = RaceScenes();
  ASSERT_EQ(scenes.size(), static_cast<std::size_t>(kelvdata::DATA_SET_COURSE_COUNT));
  for (int c = 0; c < kelvdata::DATA_SET_COURSE_COUNT; ++c) {
    const char* name = kelvdata::DataSetCourseOf(c).name;
    g_RaceType = 2;  // the scene runs the first moto, the riders in grid order
    crt::srand(5);
    platform::UseTestTime(1000);
    RaceScene scene;
    ASSERT_TRUE(scene.Load(scenes[static_cast<std::size_t>(c)].c_str())) << name << ": " << (Boxes().empty() ? "" : Boxes().back());
    EXPECT_TRUE(Boxes().empty()) << name;
    scene.previousTimeMs = timeGetTime();
    int frames = 0;
    // The starting frames put the riders on the grid; the intro is
    // skipped as Escape does.
    for (; frames < 200 && scene.GetState() != RACE_STATE_INTRO; ++frames) {
      platform::AdvanceTime(20);
      ASSERT_TRUE(scene.RenderScene()) << name;
    }
    // A second of the intro: every rider stands on its grid spot, on the
    // track, and none of them rises while it waits there.
    auto run = [&](int n) {
      for (int k = 0; k < n; ++k, ++frames) {
        platform::AdvanceTime(20);
        if (!scene.RenderScene()) return false;
      }
      return true;
    };
    ASSERT_TRUE(run(50)) << name;
    Vector3 start[20];
    for (int i = 0; i < 20; ++i) {
      ASSERT_NE(scene.riders[i], nullptr) << name << " rider " << i;
      start[i] = scene.riders[i]->physics.position;
      std::uint16_t section = 0, triangle = 0;
      float h = 0.0f;
      EXPECT_TRUE(scene.track.getheight(&start[i], &section, &triangle, &h, true))
          << name << " rider " << i << " has no track under it";
    }
    ASSERT_TRUE(run(50)) << name;
    for (int i = 0; i < 20; ++i) {
      EXPECT_NEAR(scene.riders[i]->physics.position.y, start[i].y, 0.05f) << name << " rider " << i << " moved on its grid spot";
    }
    scene.introSkipRequested = true;
    for (; frames < 3000 && scene.GetState() != RACE_STATE_RACING; ++frames) {
      platform::AdvanceTime(20);
      ASSERT_TRUE(scene.RenderScene()) << name;
    }
    ASSERT_EQ(scene.GetState(), RACE_STATE_RACING) << name;
    for (int k = 0; k < 500; ++k) {
      platform::AdvanceTime(20);
      ASSERT_TRUE(scene.RenderScene()) << name;
    }
    // Riders touch in the pack and some fall at the start (a pile-up at the
    // first bend holds back most of the field); the front of the field is
    // well away, every computer rider still in the race.
    int away = 0;
    float leader = 0.0f;
    for (int i = 1; i < 20; ++i) {
      const Vector3 d = scene.riders[i]->physics.position - start[i];
      const float moved = std::sqrt(d.x * d.x + d.z * d.z);
      if (moved > 60.0f) ++away;
      leader = std::fmax(leader, moved);
      EXPECT_EQ(scene.riders[i]->state, RIDER_RACING) << name << " rider " << i;
    }
    EXPECT_GE(away, 3) << name;
    EXPECT_GT(leader, 120.0f) << name;
  }
}

}  // namespace
