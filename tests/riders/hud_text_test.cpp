// The HUD's readouts and the tachometer needle's angle.
#include <gtest/gtest.h>

#include <string>

#include "riders/hud_text.h"

namespace {

TEST(HudTextTest, RevsDropLeadingZerosButKeepOneDigit) {
  const struct {
    float rpm;
    const char* text;
  } cases[] = {{0.0f, "0"}, {7543.0f, "7543"}, {123456.0f, "23456"}, {100000.0f, "0"}, {5.9f, "5"}};
  for (const auto& c : cases) {
    char text[8];
    FormatRevs(c.rpm, text);
    EXPECT_EQ(std::string(text), c.text) << c.rpm;
  }
}

TEST(HudTextTest, SpeedInKilometresOrMiles) {
  EXPECT_EQ(SpeedReadout(100.0f / 3.6f + 0.001f, false), 100u);
  EXPECT_EQ(SpeedReadout(100.0f / 3.6f + 0.001f, true), 63u);  // the ceiling of 62.1
  EXPECT_EQ(SpeedReadout(-5.0f, false), 0u);
}

TEST(HudTextTest, RaceTimeShowsMinutesSecondsHundredths) {
  char text[12];
  FormatRaceTime(2, 3, 45, text);
  EXPECT_EQ(std::string(text), "02'03\"45");
}

TEST(HudTextTest, ConditionRowsByValue) {
  EXPECT_EQ(ConditionLineShow(0.95f), ConditionShow::HIDDEN);
  EXPECT_EQ(ConditionLineShow(0.5f), ConditionShow::STEADY);
  EXPECT_EQ(ConditionLineShow(0.2f), ConditionShow::BLINKING);
  EXPECT_EQ(ConditionLineShow(0.0f), ConditionShow::BROKEN);
}

TEST(HudTextTest, NeedleAcrossTheScale) {
  EXPECT_FLOAT_EQ(NeedleAngle(1000.0f, 14000.0f, 1000.0f), -0.17453292f);  // 10 degrees up
  EXPECT_FLOAT_EQ(NeedleAngle(14000.0f, 14000.0f, 1000.0f), -1.5707964f);
  EXPECT_FLOAT_EQ(NeedleAngle(20000.0f, 14000.0f, 1000.0f), -1.5707964f);
  EXPECT_FLOAT_EQ(NeedleAngle(7500.0f, 14000.0f, 1000.0f), -0.17453292f - 0.6981317f);
  EXPECT_FLOAT_EQ(NeedleAngle(500.0f, 3000.0f, 3000.0f), -0.87266463f);  // top == bottom
}

}  // namespace
