// The fade's arithmetic: darkness by direction and time, the end of a fade,
// its callback.
#include <gtest/gtest.h>

#include "engine/renderer.h"

namespace {

int calls = 0;
void CountCall() { ++calls; }

TEST(FadeStep, DarknessFollowsTheDirectionAndTheEnd) {
  const struct {
    std::uint8_t direction;
    float duration;
    float elapsed;  // after the step
    bool draws;
    float darkness;
  } cases[] = {
      {FADE_IN, 2.0f, 0.5f, true, 0.75f},  {FADE_OUT, 2.0f, 0.5f, true, 0.25f},
      {FADE_IN, 2.0f, 2.0f, false, 0.0f},  // a finished fade in draws nothing
      {FADE_OUT, 2.0f, 2.0f, true, 1.0f},  {FADE_OUT, 2.0f, 9.0f, true, 1.0f},  // and a fade out stays dark
      {FADE_IN, 0.0f, 0.001f, false, 0.0f}, {FADE_OUT, 0.0f, 0.001f, true, 1.0f},
      {FADE_OUT, 0.0f, 0.0f, true, 1.0f},  // no time at all: still fully dark, never NaN
  };
  for (const auto& c : cases) {
    Renderer r;
    r.StartFade(c.duration, c.direction, nullptr);
    const bool draws = r.StepFade(c.elapsed);
    EXPECT_EQ(c.draws, draws) << int(c.direction) << " " << c.duration << " " << c.elapsed;
    if (draws) EXPECT_FLOAT_EQ(c.darkness, r.fadeDarkness) << int(c.direction) << " " << c.duration;
  }
}

TEST(FadeStep, CallbackRunsOnceInTheFrameThatReachesTheDuration) {
  for (std::uint8_t direction : {FADE_IN, FADE_OUT}) {
    Renderer r;
    calls = 0;
    r.StartFade(0.25f, direction, CountCall);
    r.StepFade(0.1f);
    r.StepFade(0.1f);
    EXPECT_EQ(0, calls);
    r.StepFade(0.05f);  // 0.25 reached
    EXPECT_EQ(1, calls);
    r.StepFade(0.1f);
    r.StepFade(0.1f);
    EXPECT_EQ(1, calls);
  }
  // A fade of no duration ends, and calls back, on its first step.
  Renderer r;
  calls = 0;
  r.StartFade(0.0f, FADE_IN, CountCall);
  EXPECT_FALSE(r.StepFade(0.001f));
  EXPECT_EQ(1, calls);
}

TEST(FadeStep, StartResetsTimeAndDarkness) {
  Renderer r;
  r.StartFade(1.0f, FADE_OUT, nullptr);
  r.StepFade(5.0f);
  r.StartFade(1.0f, FADE_IN, nullptr);
  EXPECT_EQ(0.0f, r.fadeElapsed);
  EXPECT_EQ(1.0f, r.fadeDarkness);
  r.StartFade(1.0f, FADE_OUT, nullptr);
  EXPECT_EQ(0.0f, r.fadeDarkness);
}

}  // namespace
