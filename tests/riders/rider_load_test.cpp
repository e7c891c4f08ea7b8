// Loading a rider from the files that tools/ writes: the rider file, the
// shared sound bank, the effects and the joints' rest pose, and the damaged
// files that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/sound_sample.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "ui/font.h"
#include "tests/world/track_fixture.h"
#include "tools/dataset.h"
#include "tools/rider_files.h"
#include "tools/sfx.h"
#include "tools/tex.h"

namespace {

const char kRiderFile[] = "DATA\\TRACK\\RIDER.RDR";
const char kRiderError[] = "File error opening rider data.\nPlease reinstall Kelvarro.";
const char kJointError[] = "File error opening joint data.\nPlease reinstall Kelvarro.";

class TestRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

class RiderLoadTest : public kelvtest::TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    ASSERT_TRUE(OpenAt(640, 480));
    // The race scene's fonts, loaded before the riders: the HUD's texts need them.
    g_Fonts = fonts_;
    g_FontCount = 4;
    savedSkill_ = g_GameSkill;
    g_GameSkill = 0;
    spec_ = kelvdata::SyntheticRider("DATA\\TRACK\\RIDER.TEX", "DATA\\TRACK\\BIKE2.TEX", "DATA\\TRACK\\RIDER.BNK");
    // Sound files are read from the disk, not from an archive.
    for (int slot = 0; slot < 33; ++slot) {
      Put("SOUNDS/RIDER" + std::to_string(slot) + ".SFX", kelvdata::BuildSfx(8, 1, 22050, kelvdata::Bytes(256, 128)));
    }
  }
  void TearDown() override {
    ReleaseHudWidgets();
    g_Fonts = nullptr;
    g_FontCount = 0;
    FreeRiderSounds();
    g_RiderSoundsLoaded = 0;
    g_GameSkill = savedSkill_;
    TrackTest::TearDown();
  }

  std::vector<kelvdata::BbfMember> Members(bool withBank = true, bool withJoints = true) const {
    const auto tex = kelvdata::BuildTex(32, 32, [](int x, int y) {
      return kelvdata::Rgb{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 60};
    });
    std::vector<kelvdata::BbfMember> m = {{"RIDER.RDR", kelvdata::BuildRiderFile(spec_)},
                                          {"RIDER.TEX", tex},
                                          {"BIKE2.TEX", tex},
                                          {"EFFECTS.TEX", tex}};
    if (withBank) m.push_back({"RIDER.BNK", kelvdata::BuildSoundBank(bank_)});
    if (withJoints) m.push_back({"BONES.MTX", kelvdata::BuildJointFile(joints_)});
    for (kelvdata::BbfMember& hud : kelvdata::HudMembers()) m.push_back(std::move(hud));
    for (kelvdata::BbfMember& extra : kelvdata::RiderShadowMembers()) m.push_back(std::move(extra));
    return m;
  }

  bool LoadRider(Rider* rider) {
    rider->effectsTexture = "DATA\\TRACK\\EFFECTS.TEX";
    return rider->Load(kRiderFile);
  }

  Font fonts_[4];
  kelvdata::RiderFileSpec spec_;
  kelvdata::SoundBankSpec bank_ = kelvdata::SyntheticSoundBank();
  std::vector<kelvdata::Matrix> joints_ = kelvdata::SyntheticJointRest();

 private:
  std::uint8_t savedSkill_ = 0;
};

TEST(RiderRulesTest, EachSkillClassKeepsItsOwnEnginePair) {
  const std::vector<int> skipped[4] = {{2, 3, 4, 5}, {0, 1, 4, 5}, {0, 1, 2, 3}, {}};
  for (int skill = 0; skill < 4; ++skill) {
    std::vector<int> got;
    for (int slot = 0; slot < 33; ++slot) {
      if (SkipsBankSlot(static_cast<std::uint8_t>(skill), static_cast<std::uint8_t>(slot))) got.push_back(slot);
    }
    EXPECT_EQ(got, skipped[skill]) << "skill " << skill;
  }
}

TEST(RiderRulesTest, TextureGroupsBySlotAndByTheDigitTwo) {
  EXPECT_EQ(RiderTextureGroup(0), 28);
  EXPECT_EQ(RiderTextureGroup(19), 9);
  EXPECT_EQ(BikeTextureGroup("DATA\\TRACK\\BIKE2.TEX"), 30);
  EXPECT_EQ(BikeTextureGroup("DATA\\TRACK\\BIKE.TEX"), 29);
}

TEST(RiderRulesTest, AnIdentityParentLeavesTheRestMatrix) {
  Matrix4 child = g_IdentityMatrix;
  child.m[12] = 1.5f;
  child.m[13] = -2.0f;
  child.m[0] = 0.0f;
  child.m[2] = -1.0f;
  child.m[8] = 1.0f;
  child.m[10] = 0.0f;
  const Matrix4 r = RelativeToParent(child, g_IdentityMatrix);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(r.m[i], child.m[i]) << i;
}

TEST(RiderRulesTest, ARotatedScaledParentIsUndone) {
  // Parent: a quarter turn about y, scaled by 2, at (1, 0, 3).
  Matrix4 parent = {{0, 0, -2, 0, 0, 2, 0, 0, 2, 0, 0, 0, 1, 0, 3, 1}};
  Matrix4 child = g_IdentityMatrix;
  child.m[12] = 1.0f;
  child.m[13] = 4.0f;
  child.m[14] = 5.0f;
  // The child's point (1, 4, 5) lies (0, 4, 2) from the parent's origin;
  // in the parent's axes (rows (0,0,-2), (0,2,0), (2,0,0), lengths 2) that
  // is (-1, 2, 0).
  const Matrix4 r = RelativeToParent(child, parent);
  EXPECT_NEAR(r.m[12], -1.0f, 1e-6f);
  EXPECT_NEAR(r.m[13], 2.0f, 1e-6f);
  EXPECT_NEAR(r.m[14], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(r.m[15], 1.0f);
}

TEST_F(RiderLoadTest, LoadsTheSyntheticRider) {
  OpenTrackArchive(Members());
  TestRider rider;
  rider.SetIndex(19);
  ASSERT_TRUE(LoadRider(&rider)) << (Boxes().empty() ? "" : Boxes()[0]);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(rider.nodeCount, 11);
  EXPECT_EQ(rider.partCount, 7);
  EXPECT_EQ(rider.localMatrices.size(), 11u);  // every node a root
  EXPECT_EQ(rider.bodyMesh.positionCount, 88);  // eight corners per node
  EXPECT_EQ(g_RiderSoundCount, 33);
  EXPECT_EQ(g_RiderSoundsLoaded, 1);
  EXPECT_FLOAT_EQ(rider.partOffsets[4].m[14], 0.65f);
  EXPECT_FLOAT_EQ(rider.groundDust[0].lifetime, 2.5f);
  EXPECT_FLOAT_EQ(rider.engineSmoke[59].red, 0.6f);
  EXPECT_FLOAT_EQ(rider.exhaustSmoke[19].blue, 0.3f);
  // Head (0) below the chest (5): translations only, so the offset.
  EXPECT_NEAR(rider.jointRelative[0].m[13], 1.55f - 1.25f, 1e-6f);
  EXPECT_NEAR(rider.jointRelative[6].m[13], 0.95f, 1e-6f);
}

TEST_F(RiderLoadTest, TheSecondRiderDoesNotOpenTheBankAgain) {
  OpenTrackArchive(Members());
  TestRider first;
  ASSERT_TRUE(LoadRider(&first));
  SoundSample* bank = g_RiderSounds;
  OpenTrackArchive(Members(false));  // no bank in the archive now
  TestRider second;
  second.SetIndex(1);
  ASSERT_TRUE(LoadRider(&second)) << (Boxes().empty() ? "" : Boxes()[0]);
  EXPECT_EQ(g_RiderSounds, bank);
}

TEST_F(RiderLoadTest, ABankOfFewerSlotsOrSlotsPastItsCountLoadsTheRest) {
  bank_.count = 10;  // entries 10..32 lie past the count: skipped
  OpenTrackArchive(Members());
  TestRider rider;
  ASSERT_TRUE(LoadRider(&rider));
  EXPECT_EQ(g_RiderSoundCount, 10);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RiderLoadTest, AMissingJointFileIsReported) {
  OpenTrackArchive(Members(true, false));
  TestRider rider;
  EXPECT_FALSE(LoadRider(&rider));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], kJointError);
}

TEST_F(RiderLoadTest, AShortJointFileIsRefused) {
  joints_.resize(10);
  OpenTrackArchive(Members());
  TestRider rider;
  EXPECT_FALSE(LoadRider(&rider));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], kJointError);
}

TEST_F(RiderLoadTest, DamagedRiderFilesAreRefusedWithTheirError) {
  struct Case {
    const char* what;
    void (*damage)(kelvdata::RiderFileSpec*);
  };
  const Case cases[] = {
      {"ten nodes", [](kelvdata::RiderFileSpec* f) { f->nodes.resize(10); }},
      {"six parts",
       [](kelvdata::RiderFileSpec* f) {
         f->nearParts.resize(6);
         f->middleParts.resize(6);
         f->partOffsets.resize(6);
       }},
      {"a parent at the root count", [](kelvdata::RiderFileSpec* f) { f->nodes[3].parent = 10; }},
      {"a parent outside the table", [](kelvdata::RiderFileSpec* f) { f->nodes[3].parent = 40; }},
      {"a pose index past the poses", [](kelvdata::RiderFileSpec* f) { f->nodes[2].groups[3].poses[1] = 2; }},
      {"four pose parameters",
       [](kelvdata::RiderFileSpec* f) { f->nodes[1].groups[0].parameters.assign(4, {1, 0.0f}); }},
      {"a grid past the bytes left",
       [](kelvdata::RiderFileSpec* f) { f->nodes[0].groups[0].parameters = {{60000, 1.0f}, {60000, 0.0f}}; }},
      {"a texture name past its field",
       [](kelvdata::RiderFileSpec* f) { f->riderTexture = kelvdata::ActString(std::string(300, 'A')); }},
      {"an unterminated bank name", [](kelvdata::RiderFileSpec* f) { f->soundBank.terminated = false; }},
      {"a missing part offset", [](kelvdata::RiderFileSpec* f) { f->partOffsets.resize(6); }},
  };
  for (const Case& c : cases) {
    spec_ = kelvdata::SyntheticRider("DATA\\TRACK\\RIDER.TEX", "DATA\\TRACK\\BIKE2.TEX", "DATA\\TRACK\\RIDER.BNK");
    c.damage(&spec_);
    OpenTrackArchive(Members());
    const std::size_t before = Boxes().size();
    {
      TestRider rider;
      EXPECT_FALSE(LoadRider(&rider)) << c.what;
    }
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), before + 1) << c.what;
    EXPECT_EQ(boxes.back(), kRiderError) << c.what;
  }
}

TEST_F(RiderLoadTest, TheDataSetsRiderLoadsWithEverySound) {
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  g_TrackArchive.Close();
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  g_GameSkill = 3;  // no skips: every slot loads
  TestRider rider;
  rider.effectsTexture = "DATA\\TRACK\\EFFECTS.TEX";
  ASSERT_TRUE(rider.Load("DATA\\TRACK\\RIDER.RDR")) << (Boxes().empty() ? "" : Boxes()[0]);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(g_RiderSoundCount, 33);
}

TEST_F(RiderLoadTest, AMissingShadowFileOrReflectionTextureFailsTheLoad) {
  struct Case {
    const char* member;
    const char* box;  // null: the texture manager's own
  };
  const Case cases[] = {{"SHADOW.PLR", "File error opening shadow data.\nPlease reinstall Kelvarro."},
                        {"_08REF.TEX", nullptr}};
  for (const Case& c : cases) {
    std::vector<kelvdata::BbfMember> members = Members();
    std::erase_if(members, [&](const kelvdata::BbfMember& m) { return m.name == c.member; });
    OpenTrackArchive(members);
    const std::size_t before = Boxes().size();
    {
      TestRider rider;
      EXPECT_FALSE(LoadRider(&rider)) << c.member;
    }
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), before + 1) << c.member;
    if (c.box) EXPECT_EQ(boxes.back(), c.box);
  }
}

TEST_F(RiderLoadTest, AMissingRiderFileIsReported) {
  OpenTrackArchive({});
  TestRider rider;
  EXPECT_FALSE(rider.Load("DATA\\TRACK\\NONE.RDR"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], kRiderError);
}

}  // namespace
