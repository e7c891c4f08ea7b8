// The race load's refusals: the loading picture and the race description,
// each with its own box, behind the loading screen on the recording board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/crt.h"
#include "race/race/race_scene.h"
#include "riders/ai_rider.h"
#include "tests/support/null_front_end.h"
#include "tests/world/track_fixture.h"
#include "tools/bbf.h"
#include "tools/race_files.h"
#include "tools/track_course.h"
#include "ui/font.h"

namespace {

constexpr const char* kLoadError = "Error loading object.\nPlease reinstall Kelvarro.";

class RaceLoadTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    saved_ = {g_RaceType, g_GameMode};
    g_GameMode = GAME_MODE_SINGLE_RACE;
    g_RaceType = 0;
    platform::UseTestMessageBoxes(true);
  }
  void TearDown() override {
    g_MiscArchive.Close();
    g_RaceType = saved_.type;
    g_GameMode = saved_.mode;
    TrackTest::TearDown();
  }
  void OpenMisc(const kelvdata::Bytes& picture) {
    g_MiscArchive.Close();
    Put("DATA/MISC.BBF", kelvdata::BuildBbf({{"LOAD640.TEX", picture}}));
    ASSERT_TRUE(g_MiscArchive.Open("DATA\\MISC.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const platform::MessageBoxCall& c : platform::RecordedMessageBoxes()) out.push_back(c.text);
    return out;
  }
  struct {
    std::uint8_t type, mode;
  } saved_{};
};

kelvdata::RgbPixel Grey(int, int) { return {128, 128, 128}; }

TEST_F(RaceLoadTest, RefusesAMissingOrBrokenLoadingPicture) {
  struct Case {
    const char* name;
    kelvdata::Bytes picture;
    bool archive;
    const char* box;
  };
  kelvdata::Bytes cut = kelvdata::BuildLoadingPicture(4, 4, Grey);
  cut.resize(cut.size() - 1);
  const Case cases[] = {
      {"no picture", {}, false, "File error opening ui back data.\nPlease reinstall Kelvarro."},
      {"width 0", kelvdata::BuildLoadingPicture(0, 4, Grey), true, kLoadError},
      {"short file", cut, true, kLoadError},
  };
  for (const Case& c : cases) {
    const std::size_t before = platform::RecordedMessageBoxes().size();
    if (c.archive) {
      OpenMisc(c.picture);
    } else {
      g_MiscArchive.Close();
    }
    RaceScene scene;
    EXPECT_FALSE(scene.Load("DATA\\RACE.RAC")) << c.name;
    ASSERT_EQ(Boxes().size(), before + 1) << c.name;
    EXPECT_EQ(Boxes().back(), c.box) << c.name;
  }
}

TEST_F(RaceLoadTest, RefusesADescriptionOfTheWrongTypeAfterShowingTheLoadingScreen) {
  OpenMisc(kelvdata::BuildLoadingPicture(4, 4, Grey));
  kelvdata::RaceDescriptionSpec spec = kelvdata::SyntheticRaceDescription("DATA\\TRACK\\COURSE.TRK");
  spec.groundType = 3;
  Put("DATA/RACE.RAC", kelvdata::BuildRaceDescription(spec));
  const std::size_t before = platform::RecordedMessageBoxes().size();
  RaceScene scene;
  EXPECT_FALSE(scene.Load("DATA\\RACE.RAC"));
  ASSERT_EQ(Boxes().size(), before + 1);
  EXPECT_EQ(Boxes().back(), kLoadError);
  // Progress 0 on both buffers: the picture written twice.
  EXPECT_EQ(Calls("grLfbWriteRegion").size(), 2u);
  EXPECT_EQ(g_FontCount, 0);
}

class GridFrontEnd : public kelvtest::NullFrontEnd {
 public:
  const std::uint8_t* GridOrder() override { return order; }
  std::uint8_t order[20] = {4, 3, 2, 1, 0};
};

// The grid on the synthetic course: points spread 20 units across the first
// node, drawn at random in practice, taken from the front end's order in a
// moto.
TEST_F(RaceLoadTest, TheStartingGridSpreadsTheRidersAcrossTheFirstNode) {
  const std::uint32_t savedRiders = g_RiderCount;
  g_RiderCount = 5;
  OpenTrackArchive(kelvdata::CourseMembers());
  GridFrontEnd frontEnd;
  InstallFrontEndServices(&frontEnd);
  for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{2}}) {
    g_RaceType = type;  // advanced to practice, then to the first moto
    RaceScene scene;
    ASSERT_TRUE(scene.track.Load(kelvdata::COURSE_TRACK));
    for (int i = 0; i < 5; ++i) scene.riders[i] = new AiRider();
    crt::srand(3);
    scene.BuildStartingGrid();
    const TrackNode& node = scene.track.nodes[0];
    ASSERT_EQ(scene.raceManager.respawnCount, 5u);
    for (std::uint32_t k = 0; k < 5; ++k) {
      const float t = static_cast<float>(k) * 5.0f - 10.0f;
      EXPECT_NEAR(scene.raceManager.respawnPoints[k].x, node.centre.x + node.across.x * t, 1e-4f) << k;
      EXPECT_NEAR(scene.raceManager.respawnPoints[k].z, node.centre.z + node.across.z * t, 1e-4f) << k;
    }
    bool used[5] = {};
    for (int i = 0; i < 5; ++i) {
      int k = 0;
      while (k < 5 && scene.raceManager.respawnPoints[k].x != scene.riders[i]->gridSpot[0]) ++k;
      ASSERT_LT(k, 5) << "rider " << i;
      EXPECT_FALSE(used[k]) << "rider " << i;
      used[k] = true;
      if (g_RaceType == 3) {
        EXPECT_EQ(k, 4 - i) << "the front end's order";
      }
    }
  }
  InstallFrontEndServices(nullptr);
  g_RiderCount = savedRiders;
}

}  // namespace
