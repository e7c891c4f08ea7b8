// The replay recorder's blocks, limits and damaged files, and the missile's
// flight, sounds and trail.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "platform/dsound/dsound.h"
#include "engine/scene/scene.h"
#include "platform/win32/files.h"
#include "race/missile.h"
#include "race/replay_recorder.h"
#include "riders/rider_physics.h"
#include "tests/support/game_root.h"
#include "tools/replay_files.h"

namespace {

class ReplayTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    std::filesystem::create_directories(root_ / "DATA");
    savedRiders_ = g_RiderCount;
    g_RiderCount = 20;
  }
  void TearDown() override {
    g_RiderCount = savedRiders_;
    for (int i = 0; i < 20; ++i) {
      g_ConditionEngine[i] = g_ConditionWheels[i] = g_ConditionSuspension[i] = g_ConditionBrakes[i] =
          g_ConditionGearbox[i] = 1.0f;
    }
    GameRootTest::TearDown();
  }

  std::uintmax_t FileSize() const { return std::filesystem::file_size(root_ / "DATA" / "1.RPY"); }

  static ReplayFrame Frame(std::uint32_t i) {
    const float controls[3] = {0.5f, -0.25f, static_cast<float>(i)};
    return MakeReplayFrame(0.016f, controls);
  }

  std::uint32_t savedRiders_ = 0;
};

TEST_F(ReplayTest, WholeBlocksAndTheRecordCount) {
  struct Case {
    std::uint32_t frames;
    std::uintmax_t bytesBeforeRewind;
    std::uintmax_t bytesAfterRewind;
  } cases[] = {{4000, 64000, 64000}, {4001, 64000, 128000}, {10, 0, 64000}};
  for (const Case& c : cases) {
    ReplayRecorder r;
    ASSERT_TRUE(r.Create());
    r.Start();
    for (std::uint32_t i = 0; i < c.frames; ++i) r.Write(Frame(i));
    EXPECT_EQ(FileSize(), c.bytesBeforeRewind) << c.frames;
    r.Rewind();
    EXPECT_EQ(FileSize(), c.bytesAfterRewind) << c.frames;
    ASSERT_TRUE(r.ok);
    ReplayFrame f;
    std::uint32_t read = 0;
    while (!r.Read(f)) {
      float controls[3];
      ReplayControls(f, controls);
      ASSERT_EQ(controls[2], static_cast<float>(read)) << c.frames;
      EXPECT_EQ(controls[1], -0.25f);
      ++read;
    }
    // The left-over records after the count are never read.
    EXPECT_EQ(read, c.frames);
    EXPECT_TRUE(r.Read(f));
    r.Delete();
    EXPECT_FALSE(std::filesystem::exists(root_ / "DATA" / "1.RPY"));
  }
}

TEST_F(ReplayTest, TheCapDropsLaterFrames) {
  ReplayRecorder r;
  ASSERT_TRUE(r.Create());
  r.Start();
  for (std::uint32_t i = 0; i < ReplayRecorder::MAX_RECORDS + 5; ++i) r.Write(Frame(i));
  EXPECT_EQ(r.recordCount, ReplayRecorder::MAX_RECORDS);
  r.Rewind();
  EXPECT_EQ(r.totalRecords, ReplayRecorder::MAX_RECORDS);
  EXPECT_EQ(FileSize(), 63u * 64000u);
}

TEST_F(ReplayTest, RewindGivesBackTheStartConditionsByName) {
  g_RiderCount = 2;
  g_ConditionEngine[1] = 0.1f;
  g_ConditionWheels[1] = 0.2f;
  g_ConditionSuspension[1] = 0.3f;
  g_ConditionBrakes[1] = 0.4f;  // the clutch
  g_ConditionGearbox[1] = 0.5f;
  ReplayRecorder r;
  ASSERT_TRUE(r.Create());
  r.Start();
  EXPECT_EQ(r.startConditions[3][1], 0.4f);
  g_ConditionEngine[1] = g_ConditionWheels[1] = g_ConditionSuspension[1] = g_ConditionBrakes[1] =
      g_ConditionGearbox[1] = 0.0f;
  r.Write(Frame(0));
  r.Rewind();
  EXPECT_EQ(g_ConditionEngine[1], 0.1f);
  EXPECT_EQ(g_ConditionWheels[1], 0.2f);
  EXPECT_EQ(g_ConditionSuspension[1], 0.3f);
  EXPECT_EQ(g_ConditionBrakes[1], 0.4f);
  EXPECT_EQ(g_ConditionGearbox[1], 0.5f);
}

TEST_F(ReplayTest, DamagedRecordingsEndTheReplayCleanly) {
  kelvdata::ReplayRecordSpec wild;
  wild.frameTime = std::nanf("");
  kelvdata::ReplayRecordSpec slow;
  slow.frameTime = 3.0f;
  const kelvdata::Bytes whole = kelvdata::BuildReplay({wild, slow, {}}, wild);
  struct Case {
    const char* name;
    kelvdata::Bytes file;
    std::uint32_t count;  // as the recording left it
    std::uint32_t readable;
  } cases[] = {
      {"frame times clamped", whole, 3, 3},
      {"a short block", kelvdata::Bytes(whole.begin(), whole.begin() + 100), 3, 0},
      {"a count past the file", whole, 4500, 4000},
      {"no file", {}, 3, 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(root_ / "DATA" / "1.RPY");
    if (!c.file.empty()) Put("DATA/1.RPY", c.file);
    ReplayRecorder r;
    r.recordCount = c.count;
    r.Rewind();
    ReplayFrame f;
    std::uint32_t read = 0;
    while (!r.Read(f)) {
      EXPECT_GE(f.frameTime, 0.001f) << c.name;
      EXPECT_LE(f.frameTime, 0.05f) << c.name;
      if (read == 0 && c.readable == 3) EXPECT_EQ(f.frameTime, 0.001f);
      if (read == 1 && c.readable == 3) EXPECT_EQ(f.frameTime, 0.05f);
      ++read;
    }
    EXPECT_EQ(read, c.readable) << c.name;
    EXPECT_TRUE(r.Read(f)) << c.name;
  }
}

TEST_F(ReplayTest, TheWriterMatchesTheRecorder) {
  const auto specs = kelvdata::SyntheticReplay(5);
  ReplayRecorder r;
  ASSERT_TRUE(r.Create());
  r.Start();
  for (const auto& s : specs) r.Write(ReplayFrame{s.frameTime, s.throttle, s.control1, s.control2});
  r.Rewind();
  r.file.Close();
  const kelvdata::Bytes built = kelvdata::BuildReplay(specs);
  ASSERT_EQ(FileSize(), built.size());
  std::FILE* f = std::fopen((root_ / "DATA" / "1.RPY").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  kelvdata::Bytes head(5 * sizeof(ReplayFrame));
  ASSERT_EQ(std::fread(head.data(), 1, head.size(), f), head.size());
  std::fclose(f);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), built.begin()));
}

// Counts the sound calls of a sample without a device.
struct SoundCalls {
  int plays = 0;
  int stops = 0;
  bool playing = false;
};
SoundCalls* g_Flight = nullptr;

void CountPlay(SoundSample*, bool) {
  ++g_Flight->plays;
  g_Flight->playing = true;
}
void CountStop(SoundSample*) {
  ++g_Flight->stops;
  g_Flight->playing = false;
}
void Status(SoundSample*, DWORD* s) { *s = g_Flight->playing ? DSBSTATUS_PLAYING : 0; }

class MissileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFrame_ = g_FrameTime;
    g_FrameTime = 0.02f;
    g_Flight = &flight_;
    m_.flightSound.playOp = CountPlay;
    m_.flightSound.stopOp = CountStop;
    m_.flightSound.getStatusOp = Status;
  }
  void TearDown() override {
    g_FrameTime = savedFrame_;
    g_Flight = nullptr;
  }

  static float Row(const Matrix4& m, int r, int c) { return m.m[r * 4 + c]; }
  static float RowDot(const Matrix4& m, int a, int b) {
    return Row(m, a, 0) * Row(m, b, 0) + Row(m, a, 1) * Row(m, b, 1) + Row(m, a, 2) * Row(m, b, 2);
  }

  SoundCalls flight_;
  Missile m_;
  float savedFrame_ = 0.0f;
};

TEST_F(MissileTest, StraightUpKeepsAnOrthonormalFrame) {
  m_.Launch(Vector3(0.0f, 5.0f, 0.0f), Vector3(0.0f, 33.333336f, 0.0f));
  m_.SetTargetPosition(Vector3(0.0f, 500.0f, 0.0f));
  m_.Update(20, 2);
  const Matrix4& x = m_.matrix;
  for (int a = 0; a < 3; ++a) {
    EXPECT_NEAR(RowDot(x, a, a), 1.0f, 1e-5f) << a;
    for (int b = a + 1; b < 3; ++b) EXPECT_NEAR(RowDot(x, a, b), 0.0f, 1e-5f) << a << b;
  }
  EXPECT_NEAR(Row(x, 2, 1), 1.0f, 1e-6f);   // forward is up
  EXPECT_NEAR(Row(x, 3, 1), 5.0f + 33.333336f * 0.02f, 1e-4f);
}

TEST_F(MissileTest, SteersAtThirtyMetresPerSecondSquaredAndClimbsOffTheGround) {
  m_.Launch(Vector3(0.0f, 0.5f, 0.0f), Vector3(0.0f, 0.0f, 0.0f));
  m_.SetTargetPosition(Vector3(0.0f, 0.5f, 100.0f));
  m_.Update(20, 2);
  EXPECT_NEAR(m_.velocity.z, 30.0f * 0.02f, 1e-5f);
  // No track: the ground is 0, the missile is pulled towards 1 m up.
  EXPECT_NEAR(m_.position.y, 0.5f + 0.5f * 10.0f * 0.02f, 1e-5f);
}

TEST_F(MissileTest, ASecondLaunchKeepsTheFlightSound) {
  m_.Launch(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f));
  m_.Launch(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(flight_.plays, 1);
  m_.Explode();
  EXPECT_EQ(flight_.stops, 1);
  EXPECT_FALSE(m_.IsActive());
  EXPECT_EQ(m_.GetTarget(), g_RiderCount + 1);
  m_.Launch(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(flight_.plays, 2);
}

TEST_F(MissileTest, TheTrailKeepsAgeingAfterAHit) {
  m_.Launch(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 30.0f));
  m_.SetTargetPosition(Vector3(0.0f, 1.0f, 100.0f));
  for (int f = 0; f < 3; ++f) m_.Update(20, 2);
  EXPECT_EQ(m_.nextPuff, 3u);
  EXPECT_GT(m_.trail[0].age, 0.0f);
  m_.Explode();
  const float age = m_.trail[1].age;
  m_.Update(20, 2);
  EXPECT_GT(m_.trail[1].age, age);
  EXPECT_EQ(m_.nextPuff, 3u);  // nothing emitted while idle
  // 61 flying frames wrap the ring.
  m_.Launch(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 30.0f));
  for (int f = 0; f < 58; ++f) m_.Update(20, 2);
  EXPECT_EQ(m_.nextPuff, 1u);
}

}  // namespace
