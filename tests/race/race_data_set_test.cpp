// The synthetic data set's race: the scene table names it, and it loads on
// the recording board in every race type and weather with the pause dialog
// the race's keys expect; its loading pictures fit each screen size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/scene/scene_table.h"
#include "engine/services/front_end.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "race/race/loading_picture.h"
#include "race/race/race_scene.h"
#include "tests/race/data_set_fixture.h"
#include "tools/dataset.h"
#include "tools/effect_files.h"
#include "tools/frontend_files.h"
#include "tools/race_samples.h"
#include "ui/dialog.h"
#include "ui/font.h"

namespace {

class RaceDataSetTest : public kelvtest::DataSetRaceTest {
 protected:
  void SetUp() override {
    DataSetRaceTest::SetUp();
    g_RiderCount = 8;
  }
  // The file the scene table names for the race scene.
  static std::string RaceFile() {
    const std::vector<std::string> names = RaceSceneNames(kelvdata::DATA_SET_RACE_SCENE);
    return names.empty() || names[0] == "(not a race)" ? "" : names[0];
  }
};

TEST_F(RaceDataSetTest, TheRaceLoadsInEveryRaceTypeAndWeather) {
  ASSERT_TRUE(OpenAt(640, 480));
  const std::string raceFile = RaceFile();
  ASSERT_EQ(raceFile, kelvdata::COURSE_RACE);
  struct Case {
    const char* name;
    std::uint8_t typeRunLast;  // the scene runs the one after it
    std::uint16_t weather;
    bool session;
    float skyRadius;  // which sky variant the weather picked
  };
  const Case cases[] = {
      {"practice, clear", 0, 0, true, kelvdata::COURSE_SKY_RADIUS},
      {"qualifying, fog", 1, 2, true, kelvdata::COURSE_SKY_RADIUS - 100.0f},
      {"first moto, rain", 2, 1, false, kelvdata::COURSE_SKY_RADIUS - 200.0f},
      // Far fog takes the rain's scenery.
      {"second moto, far fog", 3, 3, false, kelvdata::COURSE_SKY_RADIUS - 200.0f},
  };
  for (const Case& c : cases) {
    g_RaceType = c.typeRunLast;
    frontEnd_.weather = c.weather;
    RaceScene scene;
    ASSERT_TRUE(scene.Load(raceFile.c_str())) << c.name << ": " << (Boxes().empty() ? "" : Boxes().back());
    EXPECT_TRUE(Boxes().empty()) << c.name;
    EXPECT_EQ(g_FontCount, 4) << c.name;
    for (std::uint32_t i = 0; i < 8; ++i) EXPECT_NE(scene.riders[i], nullptr) << c.name << " rider " << i;
    EXPECT_EQ(scene.sky.radius, c.skyRadius) << c.name;
    EXPECT_EQ(scene.sky.enabled, 1) << c.name;
    EXPECT_EQ(scene.staticObjectCount, 2) << c.name;
    EXPECT_EQ(scene.trackObject, nullptr) << c.name;

    // The pause shows the options on the toggles the race expects: buttons
    // 3 and 4 in a session, 2 and 3 in a moto, below sliders 0 and 1.
    ASSERT_NE(g_Dialogs, nullptr);
    Dialog& pause = g_Dialogs[0];
    ASSERT_EQ(pause.buttons.count, c.session ? 5 : 4) << c.name;
    ASSERT_EQ(pause.sliders.count, 2) << c.name;
    const std::uint16_t replay = c.session ? 3 : 2;
    g_OptionReplay = 1;
    g_OptionFFEnable = 0;
    scene.Pause();
    EXPECT_TRUE(pause.buttons[replay].toggle && pause.buttons[replay + 1].toggle) << c.name;
    EXPECT_EQ(pause.buttons[replay].toggleState, 1) << c.name;
    EXPECT_EQ(pause.buttons[replay + 1].toggleState, 0) << c.name;
    EXPECT_EQ(g_Dialogs[4].buttons.count, 2) << c.name;
  }
}

// Descriptions that differ from the data set's in what the race may meet in
// other data: no font 3 for the race's own texts, a track object, no sun.
TEST_F(RaceDataSetTest, OtherDescriptionsLoadWithFallbacksTrackObjectAndStars) {
  ASSERT_TRUE(OpenAt(640, 480));
  kelvdata::RaceDescriptionSpec threeFonts = kelvdata::CourseRaceSpec();
  threeFonts.fonts.resize(3);
  Put("DATA/TRACK/FONTS.RAC", kelvdata::BuildRaceDescription(threeFonts));
  kelvdata::RaceDescriptionSpec withObject = kelvdata::CourseRaceSpec();
  withObject.hasTrackObject = true;
  withObject.trackObject = "DATA\\TRACK\\POST.ACT";
  Put("DATA/TRACK/OBJECT.RAC", kelvdata::BuildRaceDescription(withObject));
  g_RaceType = 2;
  {
    RaceScene scene;
    ASSERT_TRUE(scene.Load("DATA\\TRACK\\FONTS.RAC")) << (Boxes().empty() ? "" : Boxes().back());
    EXPECT_EQ(g_FontCount, 3);
    // Font 3 does not exist: the texts keep the first.
    EXPECT_EQ(scene.wrongWayText.font, &g_Fonts[0]);
    EXPECT_EQ(scene.replayMark.font, &g_Fonts[0]);
  }
  {
    g_RaceType = 2;
    RaceScene scene;
    ASSERT_TRUE(scene.Load("DATA\\TRACK\\OBJECT.RAC")) << (Boxes().empty() ? "" : Boxes().back());
    EXPECT_NE(scene.trackObject, nullptr);
  }
  // Without a sun the sky is a night sky of stars, shown only in dry weather.
  kelvdata::RaceDescriptionSpec night = kelvdata::CourseRaceSpec();
  night.sunFlag = 0;
  Put("DATA/TRACK/NIGHT.RAC", kelvdata::BuildRaceDescription(night));
  for (std::uint16_t weather : {0, 1}) {
    g_RaceType = 2;
    frontEnd_.weather = weather;
    RaceScene scene;
    ASSERT_TRUE(scene.Load("DATA\\TRACK\\NIGHT.RAC")) << (Boxes().empty() ? "" : Boxes().back());
    EXPECT_EQ(scene.sky.starMode, 1) << weather;
    EXPECT_EQ(scene.sky.enabled, weather == 0 ? 1 : 0) << weather;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RaceDataSetTest, EachLoadingPictureShowsItsBarWhereTheRaceCoversIt) {
  struct Case {
    const char* file;
    std::uint32_t width, height;
  };
  const Case cases[] = {{"DATA\\MISC\\LOAD640.TEX", 640, 480},
                        {"DATA\\MISC\\LOAD800.TEX", 800, 600},
                        {"DATA\\MISC\\LOAD1024.TEX", 1024, 768}};
  for (const Case& c : cases) {
    ArchiveFile file;
    ASSERT_TRUE(OpenDataFile(c.file, &file)) << c.file;
    DataReader in(&file);
    auto picture = ReadLoadingPicture(in, c.width, c.height);
    ASSERT_NE(picture, nullptr) << c.file;
    auto at = [&](std::uint32_t x640, std::uint32_t y480) {
      return picture[static_cast<std::size_t>(y480 * c.height / 480) * c.width + x640 * c.width / 640];
    };
    // Inside the bar at (300, 270): (255, 100 + 245 x 120 / 535, 20) = (255,
    // 154, 20), in RGB565 31 << 11 | 38 << 5 | 2.
    EXPECT_EQ(at(300, 270), 0xFCC2) << c.file;
    // Its frame is light grey (230 = 28 << 11 | 57 << 5 | 28), the sky
    // above the title dark blue (10, 20, 60 + 20 x 100 / 480 = 64).
    EXPECT_EQ(at(54, 270), 28 << 11 | 57 << 5 | 28) << c.file;
    EXPECT_EQ(at(320, 20), 1 << 11 | 5 << 5 | 8) << c.file;
  }
}

TEST_F(RaceDataSetTest, TheViewWidthFromTheRegistryStaysOnTheScreen) {
  EXPECT_EQ(RegistryViewWidth(640), 639.0f) << "missing";
  struct Case {
    DWORD stored;
    std::uint32_t screen;
    float width;
  };
  const Case cases[] = {{400, 640, 400.0f}, {0, 640, 160.0f},   {159, 640, 160.0f},
                        {1023, 800, 799.0f}, {0xFFFFFFFF, 1024, 1023.0f}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteRegistryDword("ViewWidth", c.stored));
    EXPECT_EQ(RegistryViewWidth(c.screen), c.width) << c.stored << " on " << c.screen;
  }
}

}  // namespace
