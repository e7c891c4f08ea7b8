// The bike's part hierarchy, the meshes drawn at each level of detail and
// the pose groups, on the synthetic rider and the recording board.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tests/world/track_fixture.h"
#include "tools/rider_files.h"
#include "tools/tex.h"

namespace {

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderDrawTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    // The race scene's fonts, loaded before the riders: the HUD's texts need them.
    g_Fonts = fonts_;
    g_FontCount = 4;
    g_Renderer.SetDefaultStates();
    savedFrameTime_ = g_FrameTime;
    savedRaceType_ = g_RaceType;
    g_FrameTime = 0.02f;
    const auto tex = kelvdata::BuildTex(32, 32, [](int, int) { return kelvdata::Rgb{200, 200, 200}; });
    kelvdata::SoundBankSpec bank;
    bank.count = 33;
    std::vector<kelvdata::BbfMember> members = {
        {"RIDER.RDR", kelvdata::BuildRiderFile(kelvdata::SyntheticRider("DATA\\TRACK\\R.TEX", "DATA\\TRACK\\R.TEX",
                                                                        "DATA\\TRACK\\R.BNK"))},
        {"R.TEX", tex},
        {"R.BNK", kelvdata::BuildSoundBank(bank)},
        {"BONES.MTX", kelvdata::BuildJointFile(kelvdata::SyntheticJointRest())}};
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) members.push_back(std::move(hud));
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) members.push_back(std::move(extra));
    OpenTrackArchive(members);
    rider_.effectsTexture = "DATA\\TRACK\\R.TEX";
    ASSERT_TRUE(rider_.Load("DATA\\TRACK\\RIDER.RDR"));
    g_Camera = Camera();
    g_Camera.position = Vector3(0.0f, 1.0f, -5.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.8f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    rider_.UpdatePartMatrices();
    rider_.followed = 1;
    rider_.state = RIDER_RACING;
    rider_.UpdatePose();
  }
  void TearDown() override {
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_FrameTime = savedFrameTime_;
    g_RaceType = savedRaceType_;
    TrackTest::TearDown();
  }

  // Which of the near, middle and far meshes and the body the last draw
  // emitted.
  std::vector<int> Drawn(std::uint8_t lod) {
    rider_.lod = lod;
    for (int i = 0; i < 7; ++i) rider_.nearParts[i].emittedCount = rider_.middleParts[i].emittedCount = 0;
    rider_.farMesh->emittedCount = rider_.bodyMesh.emittedCount = 0;
    EXPECT_TRUE(rider_.Draw());
    LitMesh* parts = lod == 1 ? rider_.middleParts.get() : rider_.nearParts.get();
    std::vector<int> drawn;
    for (int i = 0; i < 7; ++i) {
      if (parts[i].emittedCount) drawn.push_back(i);
    }
    if (rider_.farMesh->emittedCount) drawn.push_back(100);
    if (rider_.bodyMesh.emittedCount) drawn.push_back(200);
    return drawn;
  }

  Font fonts_[4];
  TestRider rider_;

 private:
  float savedFrameTime_ = 0.0f;
  std::uint8_t savedRaceType_ = 0;
};

TEST_F(RiderDrawTest, TranslationOnlyOffsetsAddUpAlongTheHierarchy) {
  rider_.matrix.m[12] = 10.0f;
  rider_.matrix.m[14] = 20.0f;
  rider_.UpdatePartMatrices();
  // Frame at O5 (0, 0.75, 0); steering head O4 (0, 0.4, 0.65) on it; fork
  // O2 (0, 0.2, 0.1) on that; front wheel O0 (0, -0.3, 0) on the fork.
  EXPECT_FLOAT_EQ(rider_.partPoses[11].m[13], 0.75f);
  EXPECT_FLOAT_EQ(rider_.partPoses[9].m[14], 20.65f);
  EXPECT_FLOAT_EQ(rider_.partPoses[1].m[12], 10.0f);
  EXPECT_FLOAT_EQ(rider_.partPoses[1].m[13], 0.75f + 0.4f + 0.2f - 0.3f);
  EXPECT_FLOAT_EQ(rider_.partPoses[1].m[14], 20.75f);
  // Rear wheel O1 (0, 0.35, -0.7) on the swing arm O3 (0, -0.2, -0.4).
  EXPECT_FLOAT_EQ(rider_.partPoses[7].m[13], 0.75f - 0.2f + 0.35f);
  EXPECT_FLOAT_EQ(rider_.partPoses[7].m[14], 20.0f - 1.1f);
}

TEST_F(RiderDrawTest, TheHandlebarTurnsTheForkAndFrontWheel) {
  rider_.physics.handlebarAngle = 0.5f;
  rider_.UpdatePartMatrices();
  // The fork's offset (0, 0.2, 0.1) turns with the steering; the head's
  // own offset does not.
  EXPECT_NEAR(rider_.partPoses[3].m[12], 0.1f * std::sin(0.5f), 1e-5f);
  EXPECT_NEAR(rider_.partPoses[3].m[14], 0.65f + 0.1f * std::cos(0.5f), 1e-5f);
}

TEST_F(RiderDrawTest, EachLevelOfDetailDrawsItsMeshes) {
  EXPECT_EQ(Drawn(0), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 200}));
  EXPECT_EQ(Drawn(1), (std::vector<int>{0, 1, 4, 5, 6, 200}));
  EXPECT_EQ(Drawn(2), (std::vector<int>{100}));
  EXPECT_EQ(Drawn(RIDER_LOD_HIDDEN), (std::vector<int>{}));
}

TEST_F(RiderDrawTest, TheBodyIsDrawnWhenTheBikeIsOffScreen) {
  // The bike flung behind the camera; the fallen rider's body stays where
  // it was posed, in view.
  rider_.matrix.m[14] = -20.0f;
  const std::vector<int> drawn = Drawn(0);
  EXPECT_EQ(drawn, (std::vector<int>{200}));
}

TEST_F(RiderDrawTest, TheGroundSetsTheReflectionLevelAndTheShadowsColour) {
  const std::uint8_t saved = g_OptionShadows;
  g_OptionShadows = 0;  // no shadow drawn, the level still refreshed
  struct Case {
    std::uint8_t onTrack;
    float ground;  // grey level of the tint
    float before;
    float after;
  };
  const Case cases[] = {
      {1, 1.0f, 0.5f, 1.0f},   // white ground
      {1, 0.3f, 0.5f, 0.0f},   // a mean of 0.3 or darker
      {1, 0.6f, 0.0f, 0.5f},   // (0.6 - 0.3) x 1.6666667
      {0, 1.0f, 0.1f, 0.11f},  // airborne: towards 0.6 by 0.5 x 0.02
      {0, 1.0f, 0.9f, 0.9f},   // and never down to it
  };
  for (const Case& c : cases) {
    rider_.physics.onTrack = c.onTrack;
    rider_.groundTint[0] = rider_.groundTint[1] = rider_.groundTint[2] = c.ground;
    rider_.reflectionLevel = c.before;
    EXPECT_TRUE(rider_.DrawShadow());
    EXPECT_NEAR(rider_.reflectionLevel, c.after, 1e-6f) << c.ground << " " << c.before;
  }
  // The level is the shadow's intensity: the blob's centre in the Glide
  // build is 255 x level x 0.8.
  g_OptionShadows = 1;
  rider_.physics.onTrack = 1;
  rider_.groundTint[0] = rider_.groundTint[1] = rider_.groundTint[2] = 0.6f;
  rider_.DrawShadow();
  EXPECT_EQ(rider_.shadow.blobCorners[2].colour, 0xFF666666u);  // 102
  EXPECT_EQ(rider_.shadow.blobCorners[0].colour, 0u);
  g_OptionShadows = saved;
}

TEST_F(RiderDrawTest, AMotoWinnerSettlesThenCelebratesAndFourthNever) {
  g_RaceType = 3;
  rider_.timeSinceFinish = 1.0f;
  rider_.racePosition = 4;
  rider_.UpdatePose();
  EXPECT_EQ(rider_.upperPoseGroup, 1);
  rider_.racePosition = 1;
  rider_.steerParam = 0.9f;
  rider_.UpdatePose();
  EXPECT_EQ(rider_.upperPoseGroup, 1);  // settling
  for (int i = 0; i < 200; ++i) rider_.UpdatePose();
  EXPECT_EQ(rider_.upperPoseGroup, 3);
  EXPECT_EQ(rider_.lowerPoseGroup, 3);
  // The celebration raises the arms: node 2 (a hand) from its riding pose.
  // Riding, the hand sits at 1.1 (0.35 in the frame's space, plus 0.75).
  EXPECT_NEAR(rider_.nodeWorld[2].m[13], 1.1f + 0.6f, 1e-5f);
}

TEST_F(RiderDrawTest, AtTheStartTheStartGroupIsUsed) {
  rider_.state = RIDER_WAITING;
  rider_.physics.steer = 1.0f;
  rider_.UpdatePose();
  EXPECT_EQ(rider_.upperPoseGroup, 0);
  EXPECT_GT(rider_.steerParam, 0.0f);
  EXPECT_EQ(rider_.legSteerParam, rider_.steerParam);
}

}  // namespace
