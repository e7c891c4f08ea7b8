// The track sounds: section-tied sounds heard within 15 sections around the
// course, zones entered strictly inside their ends, the fade while the race
// closes, the random one-shots and the emitter file's odd entries.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/scene/scene.h"
#include "engine/sound_sample.h"
#include "platform/win32/crt.h"
#include "tests/world/track_fixture.h"
#include "world/track.h"

namespace {

// Operations that keep what they were told in the sample's own fields.
void FakePlay(SoundSample* s, bool loop) {
  s->playing = 1;
  s->lowPassFormat[0] = loop ? 1 : 0;
  ++s->lowPassFormat[1];  // plays
}
void FakeStop(SoundSample* s) {
  s->playing = 0;
  ++s->lowPassFormat[2];  // stops
}
void FakeVolume(SoundSample* s, LONG v) { s->volume = v; }
void FakePan(SoundSample* s, LONG p) { s->pan = p; }
void FakeFrequency(SoundSample* s, DWORD hz) { s->frequency = hz; }
void FakeStatus(SoundSample* s, DWORD* status) { *status = s->playing ? DSBSTATUS_PLAYING : 0; }
void FakePosition(SoundSample* s, float x, float, float) { s->lowPassFormat[3] = static_cast<DWORD>(x * 100.0f); }

SoundSample* FakeSample(bool is3D) {
  auto* s = new SoundSample();
  s->playOp = FakePlay;
  s->stopOp = FakeStop;
  s->setVolumeOp = FakeVolume;
  s->setPanOp = FakePan;
  s->setFrequencyOp = FakeFrequency;
  s->getStatusOp = FakeStatus;
  s->setPositionOp = FakePosition;
  s->is3D = is3D ? 1 : 0;
  s->volume = 1;
  s->pan = 0;
  s->frequency = 0;
  for (DWORD& d : s->lowPassFormat) d = 0;
  return s;
}

// A course of `sections` sections with one emitter per code list.
void SetUp(Track* track, int sections, const std::vector<std::vector<std::uint16_t>>& emitters, bool is3D = false) {
  track->sectionCount = static_cast<std::uint16_t>(sections);
  for (const auto& codes : emitters) {
    track->sounds.push_back(FakeSample(is3D));
    track->emitterCodes.push_back(codes);
    track->emitterCodeCounts.push_back(static_cast<std::uint8_t>(codes.size()));
  }
}

class TrackSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_SoundFadeOut = 0;
    g_TrackSoundFade = 0;
    g_FrameTime = 0.02f;
    g_Camera = Camera();
  }
  void TearDown() override {
    g_SoundFadeOut = 0;
    g_TrackSoundFade = 0;
    g_Camera = Camera();
  }
};

TEST_F(TrackSoundTest, SectionSoundIsHeardWithinFifteenSectionsAroundTheCourse) {
  Track track;
  ::SetUp(&track, 100, {{3}});
  SoundSample* s = track.sounds[0];
  for (int cur = 0; cur < 100; ++cur) {
    track.SetVisibleWindow(0, 0, static_cast<std::uint16_t>(cur));
    track.Update(20, 2);
    const bool heard = cur >= 88 || cur <= 18;
    EXPECT_EQ(s->playing != 0, heard) << cur;
    if (!heard) continue;
    const int distance = cur >= 88 ? 103 - cur : (cur > 3 ? cur - 3 : 3 - cur);
    EXPECT_EQ(s->volume, -120 * distance) << cur;
  }
  track.SetVisibleWindow(0, 0, 88);
  track.Update(20, 2);
  EXPECT_EQ(s->volume, -1800);
  track.SetVisibleWindow(0, 0, 3);
  track.Update(20, 2);
  EXPECT_EQ(s->volume, 0);
  // Looped, started once while near.
  EXPECT_EQ(s->lowPassFormat[0], 1u);
}

TEST_F(TrackSoundTest, SectionSoundsNearTheEndWrapPastIt) {
  Track track;
  ::SetUp(&track, 100, {{95}, {50}});
  const struct {
    int cur;
    bool heard95, heard50;
    LONG volume95;
  } cases[] = {{80, true, false, -1800}, {79, false, false, 0}, {99, true, false, -480},
               {10, true, false, -1800}, {11, false, false, 0}, {35, false, true, 0},
               {65, false, true, 0},     {66, false, false, 0}};
  for (const auto& c : cases) {
    track.SetVisibleWindow(0, 0, static_cast<std::uint16_t>(c.cur));
    track.Update(20, 2);
    EXPECT_EQ(track.sounds[0]->playing != 0, c.heard95) << c.cur;
    EXPECT_EQ(track.sounds[1]->playing != 0, c.heard50) << c.cur;
    if (c.heard95) EXPECT_EQ(track.sounds[0]->volume, c.volume95) << c.cur;
  }
}

TEST_F(TrackSoundTest, ZonesAreStrictAtBothEnds) {
  Track track;
  ::SetUp(&track, 100, {{0x4000 | 10, 20}, {0x4000 | 30, 31}, {0x4000 | 40}});
  track.listenerSpeedLevel = 0.5f;
  track.listenerPosition = Vector3(0.0f, 0.0f, 10.0f);
  g_Camera.position = Vector3(0.0f, 0.0f, 0.0f);
  for (int section : {9, 10, 11, 19, 20, 21, 30, 31, 40}) {
    track.listenerSection = static_cast<std::uint16_t>(section);
    for (SoundSample* s : track.sounds) s->playing = 0;
    track.Update(20, 2);
    EXPECT_EQ(track.sounds[0]->playing != 0, section > 10 && section < 20) << section;
    // Adjacent ends leave no section inside; a single code is no zone.
    EXPECT_EQ(track.sounds[1]->playing, 0) << section;
    EXPECT_EQ(track.sounds[2]->playing, 0) << section;
  }
  track.listenerSection = 15;
  track.Update(20, 2);
  SoundSample* s = track.sounds[0];
  EXPECT_EQ(s->frequency, 15000u);
  EXPECT_EQ(s->volume, -300);  // 10 m away: -30 x 10
  // Too slow: stopped.
  track.listenerSpeedLevel = 0.05f;
  track.Update(20, 2);
  EXPECT_EQ(s->playing, 0);
}

TEST_F(TrackSoundTest, FadeAccumulatesWhileTheRaceFadesOut) {
  Track track;
  ::SetUp(&track, 100, {{0x8000}});
  SoundSample* s = track.sounds[0];
  track.Update(16, 2);
  EXPECT_EQ(s->volume, 0);
  g_SoundFadeOut = 1;
  track.Update(16, 2);
  EXPECT_EQ(s->volume, -24);
  track.Update(33, 2);
  EXPECT_EQ(s->volume, -73);  // -24 + trunc(-49.5)
  EXPECT_EQ(g_TrackSoundFade, -73);
  g_SoundFadeOut = 0;
  track.Update(16, 2);
  EXPECT_EQ(s->volume, 0);
  EXPECT_EQ(s->playing, 1);
}

TEST_F(TrackSoundTest, ALoopTiedToASectionPlaysAtTheSectionVolumeWhileNear) {
  Track track;
  ::SetUp(&track, 100, {{0x8000, 50}});
  SoundSample* s = track.sounds[0];
  track.SetVisibleWindow(0, 0, 48);
  track.Update(16, 2);
  EXPECT_EQ(s->volume, -240);
  track.SetVisibleWindow(0, 0, 10);
  track.Update(16, 2);
  EXPECT_EQ(s->volume, 0);
  EXPECT_EQ(s->playing, 1);
}

TEST_F(TrackSoundTest, RandomSoundsStartRarelyAndShareOnePlace) {
  Track track;
  ::SetUp(&track, 100, {{0x2000}, {0x2000}}, true);
  crt::srand(1);
  // g_FrameTime 0.05: a start when rand() < 163.8.
  g_FrameTime = 0.05f;
  // The doubles have no buffer: each one-shot is over by the next frame.
  for (int frame = 0; frame < 4000; ++frame) track.Update(50, 2);
  const DWORD starts = track.sounds[0]->lowPassFormat[1] + track.sounds[1]->lowPassFormat[1];
  // About one start per 200 tries each.
  EXPECT_GT(starts, 10u);
  EXPECT_LT(starts, 80u);
  // A sample still playing as the frames count it is not restarted, and
  // both move with one offset.
  SoundSample* a = track.sounds[0];
  SoundSample* b = track.sounds[1];
  track.oneShots[0].left = 1.0f;
  track.oneShots[1].left = 1.0f;
  const DWORD playsA = a->lowPassFormat[1];
  g_TrackRandomVelocity = Vector3(1.0f, 0.0f, 0.0f);
  g_TrackRandomOffset = Vector3(0.0f, 0.0f, 0.0f);
  track.Update(50, 2);
  EXPECT_EQ(a->lowPassFormat[1], playsA);
  EXPECT_FLOAT_EQ(g_TrackRandomOffset.x, 0.1f);  // moved once by each
  EXPECT_EQ(a->lowPassFormat[3], 5u);
  EXPECT_EQ(b->lowPassFormat[3], 10u);
}

TEST_F(TrackSoundTest, EmittersWithoutCodesAreStopped) {
  Track track;
  ::SetUp(&track, 100, {{}});
  track.sounds[0]->playing = 1;
  track.Update(16, 2);
  EXPECT_EQ(track.sounds[0]->playing, 0);
}

class TrackSoundLoadTest : public kelvtest::TrackTest {};

TEST_F(TrackSoundLoadTest, EntriesPastTheSampleListLoadNothing) {
  kelvdata::TrackSet set = kelvdata::StraightTrackSet(3);
  set.objects.emitters = {{0, "SOUNDS\\A.SFX", std::nullopt, {0x8000, 2}},
                          {9, "SOUNDS\\B.SFX", std::nullopt, {0x2000}},
                          {1, "SOUNDS\\C.SFX", std::nullopt, {0x4001}}};
  Track track;
  ASSERT_TRUE(LoadSet(&track, set));
  EXPECT_EQ(track.sounds.size(), 3u);
  EXPECT_EQ(track.emitterCodes[1], std::vector<std::uint16_t>{0x2000});
  EXPECT_EQ(track.emitterCodeCounts[2], 1);
  // Two sound files looked for (and reported missing); the third entry
  // names no sample.
  EXPECT_EQ(Boxes().size(), 2u);
  track.SetVisibleWindow(0, 0, 1);
  EXPECT_TRUE(track.Update(16, 2));
}

}  // namespace
