// The synthetic data set's results tables and players lists: every round
// goes to one of the courses' race scenes, the special-weather round to the
// wet course, and every rider has a number, a mark and a rider file of its
// own.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <string>

#include "engine/archive.h"
#include "engine/system.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/race_series.h"
#include "tests/frontend/front_end_fixture.h"
#include "tools/course_set.h"
#include "tools/dataset.h"

namespace {

class CourseTablesTest : public kelvtest::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
    for (BbfArchive* a : {&g_UiArchive, &g_TrackArchive}) a->Close();
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }
  void TearDown() override {
    for (BbfArchive* a : {&g_UiArchive, &g_TrackArchive}) a->Close();
    FrontEndTest::TearDown();
  }
};

TEST_F(CourseTablesTest, ResultTablesSendEveryRoundToACourseAndTheSpecialRoundToTheWetOne) {
  for (int skill = 0; skill < 3; ++skill) {
    const std::string file = "DATA\\UI\\CMP" + std::to_string(skill + 2) + ".RLT";
    ASSERT_TRUE(g_SingleRace.Load(file.c_str())) << file;
    ASSERT_GE(g_SingleRace.entryCount, 3) << file;
    ASSERT_LE(g_SingleRace.entryCount, 12) << file;
    std::set<int> scenes;
    // The event screen's two descriptions (ground, jumps) by race scene: a
    // course is described the same in every round on it, and no two
    // courses alike.
    std::map<int, std::pair<int, int>> descriptions;
    for (int i = 0; i < g_SingleRace.entryCount; ++i) {
      const RaceEntry& e = g_SingleRace.entries[i];
      ASSERT_GE(e.sceneNumber, kelvdata::DATA_SET_RACE_SCENE) << file << " round " << i;
      ASSERT_LT(e.sceneNumber, kelvdata::DATA_SET_RACE_SCENE + kelvdata::DATA_SET_COURSE_COUNT) << file << " round " << i;
      scenes.insert(e.sceneNumber);
      const kelvdata::DataSetCourse& course = kelvdata::DataSetCourseOf(e.sceneNumber - kelvdata::DATA_SET_RACE_SCENE);
      EXPECT_EQ(e.trackInfo[1], course.length) << file << " round " << i;
      EXPECT_LE(e.trackInfo[0], 2) << file << " round " << i;
      EXPECT_LE(e.trackInfo[2], 2) << file << " round " << i;
      const std::pair<int, int> described{e.trackInfo[0], e.trackInfo[2]};
      const auto [it, first] = descriptions.emplace(e.sceneNumber, described);
      EXPECT_TRUE(first || it->second == described) << file << " round " << i << " describes its course anew";
    }
    EXPECT_EQ(scenes.size(), 3u) << file << ": every course raced";
    std::set<std::pair<int, int>> distinct;
    for (const auto& [scene, described] : descriptions) distinct.insert(described);
    EXPECT_EQ(distinct.size(), descriptions.size()) << file << ": two courses described alike";
    EXPECT_STREQ(g_SingleRace.entries[9].trackName, "BRAZIL") << file;
    EXPECT_EQ(g_SingleRace.entries[9].sceneNumber, kelvdata::DataSetCourseScene(kelvdata::COURSE_MIRE)) << file;
  }
}

TEST_F(CourseTablesTest, PlayersListsNumberMarkAndEquipEveryRider) {
  for (int skill = 0; skill < 3; ++skill) {
    const std::string file = "DATA\\UI\\LIST" + std::to_string(skill + 1) + ".PLT";
    ASSERT_TRUE(g_PlayersList.Load(file.c_str())) << file;
    std::set<char> marks;
    std::set<std::string> riders;
    for (int i = 0; i < 20; ++i) {
      const PlayerEntry& e = g_PlayersList.entries[20 + i];
      EXPECT_EQ(e.riderNumber, i) << file;
      marks.insert(e.extraText[0]);
      riders.insert(e.riderFile);
      ArchiveFile rider;
      EXPECT_TRUE(OpenDataFile(e.riderFile, &rider)) << file << ": " << e.riderFile;
    }
    EXPECT_EQ(marks.size(), 20u) << file;
    EXPECT_EQ(riders.size(), 20u) << file;
  }
}

}  // namespace
