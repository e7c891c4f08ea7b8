// The race load's refusals: the loading picture and the race description,
// each with its own box, behind the loading screen on the recording board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "platform/win32/msgbox.h"
#include "race/race/race_scene.h"
#include "tests/world/track_fixture.h"
#include "tools/bbf.h"
#include "tools/race_files.h"
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

}  // namespace
