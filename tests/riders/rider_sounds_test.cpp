// The riders' sounds: the engine cross-fade, impacts, the skid, and the
// followed rider's slots against a bank of samples that keep what they are
// told.
#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/sound_sample.h"
#include "riders/rider.h"
#include "world/track.h"

namespace {

void FakePlay(SoundSample* s, bool) {
  s->playing = 1;
  ++s->lowPassFormat[1];  // plays
}
void FakeStop(SoundSample* s) { s->playing = 0; }
void FakeVolume(SoundSample* s, LONG v) { s->volume = v; }
void FakePan(SoundSample* s, LONG p) { s->pan = p; }
void FakeFrequency(SoundSample* s, DWORD hz) { s->frequency = hz; }
void FakeStatus(SoundSample* s, DWORD* status) { *status = s->playing ? DSBSTATUS_PLAYING : 0; }
void FakeVoid(SoundSample*) {}

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderSoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFrameTime_ = g_FrameTime;
    savedCamera_ = g_Camera;
    g_Camera = Camera();
    g_Camera.position = Vector3(0.0f, 0.0f, 0.0f);
    g_FrameTime = 0.02f;
    g_SoundFadeOut = 0;
    ASSERT_TRUE(AllocateRiderSounds(33));
    for (int i = 0; i < 33; ++i) {
      SoundSample& s = g_RiderSounds[i];
      s.playOp = FakePlay;
      s.stopOp = FakeStop;
      s.setVolumeOp = FakeVolume;
      s.setPanOp = FakePan;
      s.setFrequencyOp = FakeFrequency;
      s.getStatusOp = FakeStatus;
      s.rewindOp = FakeVoid;
      s.buffer3D = nullptr;
    }
    rider_.followed = 1;
    rider_.state = RIDER_RACING;
    rider_.physics.maxRevs = 1000.0f;
    rider_.physics.position = Vector3(0.0f, 0.0f, 5.0f);
  }
  void TearDown() override {
    FreeRiderSounds();
    g_FrameTime = savedFrameTime_;
    g_Camera = savedCamera_;
  }

  TestRider rider_;

 private:
  float savedFrameTime_ = 0.0f;
  Camera savedCamera_;
};

TEST(RiderSoundRulesTest, EngineLayersCrossFadeByTheRevs) {
  struct Case {
    float q;
    std::int32_t low, high;
  };
  const Case cases[] = {{0.25f, -601, -601}, {1.0f, -8000, 0}, {0.0f, 0, -8000}};
  for (const Case& c : cases) {
    std::int32_t low = 1, high = 1;
    EngineLayerGains(c.q, &low, &high);
    EXPECT_EQ(low, c.low) << c.q;
    EXPECT_EQ(high, c.high) << c.q;
  }
}

TEST(RiderSoundRulesTest, ImpactLoudnessFromTheFramesImpulse) {
  EXPECT_EQ(ImpactVolume(450.0f, 0.0f), -1000);
  EXPECT_EQ(ImpactVolume(900.0f, 0.0f), 0);
  EXPECT_EQ(ImpactVolume(150.0f, 150.0f), -2000);  // none
  EXPECT_EQ(ImpactVolume(150.0f, 450.0f), -1000);  // the rear when the front is light
}

TEST_F(RiderSoundsTest, SteadyQuarterRevsSetsAllThreeLayers) {
  rider_.physics.revs = 250.0f;
  rider_.smoothedRevs = 0.25f;
  rider_.physics.throttle = 1.0f;
  rider_.UpdateSound();
  // 5 units away: v = -150.
  EXPECT_EQ(g_RiderSounds[0].volume, -150 - 601);
  EXPECT_EQ(g_RiderSounds[1].volume, -150 - 601);
  EXPECT_EQ(g_RiderSounds[30].volume, -150 - 601);
  EXPECT_EQ(g_RiderSounds[0].playing, 1);
  EXPECT_EQ(g_RiderSounds[30].playing, 0);
}

TEST_F(RiderSoundsTest, ImpactPlaysWithItsLoudness) {
  rider_.physics.frontLoad = 450.0f / 0.02f;
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[8].playing, 1);
  EXPECT_EQ(g_RiderSounds[8].volume, -1000 - 150);
}

TEST_F(RiderSoundsTest, SkidRestartsWhileBrakingFastAndStopsWhenSlow) {
  rider_.physics.brake = 1.0f;
  rider_.physics.forwardSpeed = 10.0f;
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[6].playing, 1);
  g_RiderSounds[6].playing = 0;  // the one-shot ended
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[6].playing, 1);
  EXPECT_EQ(g_RiderSounds[6].lowPassFormat[1], 2u);
  rider_.physics.forwardSpeed = 7.0f;
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[6].playing, 0);
}

TEST_F(RiderSoundsTest, FarRidersFallSilent) {
  rider_.physics.throttle = 1.0f;
  rider_.UpdateSound();
  ASSERT_EQ(g_RiderSounds[0].playing, 1);
  rider_.physics.position = Vector3(0.0f, 0.0f, 71.0f);
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[0].playing, 0);

  TestRider other;
  other.SetIndex(3);
  other.state = RIDER_RACING;
  other.physics.maxRevs = 1000.0f;
  other.physics.position = Vector3(0.0f, 0.0f, 10.0f);
  other.UpdateSound();
  EXPECT_EQ(g_RiderSounds[12].playing, 1);
  other.physics.position = Vector3(0.0f, 0.0f, 51.0f);
  other.UpdateSound();
  EXPECT_EQ(g_RiderSounds[12].playing, 0);
}

TEST_F(RiderSoundsTest, AShortBankLeavesTheMissingSlotsSilentAndNoBankReturnsAtOnce) {
  FreeRiderSounds();
  rider_.physics.throttle = 1.0f;
  rider_.UpdateSound();  // no bank: nothing to touch
  rider_.StopSounds();
  ASSERT_TRUE(AllocateRiderSounds(8));  // no impact, no start, no coasting
  for (int i = 0; i < 8; ++i) {
    g_RiderSounds[i].playOp = FakePlay;
    g_RiderSounds[i].stopOp = FakeStop;
    g_RiderSounds[i].getStatusOp = FakeStatus;
    g_RiderSounds[i].setVolumeOp = FakeVolume;
    g_RiderSounds[i].setFrequencyOp = FakeFrequency;
    g_RiderSounds[i].setPanOp = FakePan;
  }
  rider_.physics.frontLoad = 900.0f / 0.02f;
  rider_.UpdateSound();
  EXPECT_EQ(g_RiderSounds[0].playing, 1);
}

}  // namespace
