#include "engine/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "platform/win32/msgbox.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/object_files.h"

namespace {

using kelvdata::AnimationSequence;
using kelvdata::Bytes;
using kelvdata::Matrix;
using kelvdata::TranslationMatrix;

const char kMeshError[] = "File error opening mesh animation data.\nPlease reinstall Kelvarro.";
const char kUvError[] = "File error opening UV animation data.\nPlease reinstall Kelvarro.";

// Keys of node n are translations (10 k, n, 0) for k = 0, 1, ...
kelvdata::MeshAnimationFile MeshFile(std::vector<AnimationSequence> sequences, int nodes = 2) {
  kelvdata::MeshAnimationFile f;
  f.sequences = sequences;
  int keys = 0;
  for (const AnimationSequence& s : sequences) keys += s.keys;
  for (int n = 0; n < nodes; ++n) {
    std::vector<Matrix> k;
    for (int i = 0; i < keys; ++i) k.push_back(TranslationMatrix(10.0f * i, static_cast<float>(n), 0.0f));
    f.nodeKeys.push_back(k);
  }
  return f;
}

class AnimationTest : public kelvtest::GameRootTest {
 protected:
  void TearDown() override {
    g_UiArchive.Close();
    kelvtest::GameRootTest::TearDown();
  }

  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
    g_UiArchive.Close();
    Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  // Loads a mesh animation made of the sequences and a player bound to it.
  void LoadMesh(std::vector<AnimationSequence> sequences) {
    OpenUiArchive({{"A.ANM", kelvdata::BuildMeshAnimationFile(MeshFile(sequences))}});
    ASSERT_TRUE(mesh_.Load("DATA\\UI\\A.ANM"));
    player_.animation = &mesh_;
  }

  float KeyX(std::uint16_t node = 0) {
    Matrix4 m;
    player_.GetKeyMatrix(&m, node);
    return m.m[12];
  }

  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& b : platform::RecordedMessageBoxes()) texts.push_back(b.text);
    return texts;
  }

  MeshAnimation mesh_;
  AnimationPlayer player_;
};

TEST_F(AnimationTest, LoadsSequencesAndKeys) {
  LoadMesh({{10, 1000, 1}, {4, 400, 0}});
  EXPECT_EQ(2, mesh_.nodeCount);
  EXPECT_EQ(14, mesh_.keyCount);
  EXPECT_EQ(2, mesh_.sequenceCount);
  EXPECT_EQ(400, mesh_.sequenceDurations[1]);
  EXPECT_EQ(0, mesh_.sequenceLoops[1]);
  EXPECT_EQ(130.0f, mesh_.Key(1, 13).m[12]);
  EXPECT_EQ(1.0f, mesh_.Key(1, 13).m[13]);
  EXPECT_EQ(10u, mesh_.FirstKey(1));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AnimationTest, PlayerTiming) {
  // Sequence 0 loops (10 keys over 1000 ms), sequence 1 does not (4 keys
  // over 400 ms), sequence 2 loops (5 keys over 500 ms).
  const struct {
    const char* what;
    std::uint16_t sequence;
    bool backward;
    std::uint16_t speed;
    std::vector<std::uint32_t> steps;
    std::uint32_t time;
    std::uint16_t key;
    std::uint8_t finished;
  } cases[] = {
      {"forward", 0, false, 100, {250}, 250, 2, 0},
      {"loop drops the excess", 0, false, 100, {950, 100}, 0, 0, 0},
      {"exactly the duration wraps", 0, false, 100, {1000}, 0, 0, 0},
      {"held at the end", 1, false, 100, {350, 100}, 399, 13, 1},
      {"held stays held", 1, false, 100, {500, 500}, 399, 13, 1},
      {"speed 50", 0, false, 50, {40}, 20, 0, 0},
      {"speed 200", 0, false, 200, {40}, 80, 0, 0},
      {"backward from the end", 0, true, 100, {100}, 900, 9, 0},
      {"backward loop wraps", 0, true, 100, {1000, 1}, 999, 9, 0},
      {"backward held at the start", 1, true, 100, {300, 200}, 0, 10, 1},
      {"backward start before a step", 2, true, 100, {0}, 500, 18, 0},
  };
  LoadMesh({{10, 1000, 1}, {4, 400, 0}, {5, 500, 1}});
  for (const auto& c : cases) {
    player_ = AnimationPlayer();
    player_.animation = &mesh_;
    player_.backward = c.backward ? 1 : 0;
    player_.speed = c.speed;
    player_.SelectSequence(c.sequence);
    for (std::uint32_t ms : c.steps) player_.Advance(ms);
    EXPECT_EQ(c.time, player_.time) << c.what;
    EXPECT_EQ(c.key, player_.currentKey) << c.what;
    EXPECT_EQ(c.finished, player_.finished) << c.what;
  }
}

TEST_F(AnimationTest, KeyMatrixInterpolatesToTheNextKey) {
  LoadMesh({{10, 1000, 1}, {4, 400, 0}});
  player_.SelectSequence(0);
  player_.Advance(250);  // key 2, a half of the way to key 3
  EXPECT_NEAR(25.0f, KeyX(), 1e-4f);
  EXPECT_EQ(1.0f, [&] {
    Matrix4 m;
    player_.GetKeyMatrix(&m, 1);
    return m.m[13];
  }());
  player_.Advance(700);  // time 950: the last key, on its way back to key 0
  EXPECT_NEAR(90.0f - 0.5f * 90.0f, KeyX(), 1e-4f);

  // A sequence that does not loop holds its last key exactly.
  player_.SelectSequence(1);
  player_.Advance(1000);
  EXPECT_EQ(130.0f, KeyX());
}

TEST_F(AnimationTest, RequestsTheFileCannotServe) {
  // Sequence 1 has no keys and sequence 2 no duration; there is no sequence 3.
  LoadMesh({{4, 400, 1}, {0, 100, 1}, {3, 0, 1}});
  player_.SelectSequence(0);
  player_.Advance(250);
  ASSERT_EQ(2, player_.currentKey);
  player_.SelectSequence(3);
  EXPECT_EQ(0, player_.sequence);
  player_.SelectSequence(1);
  EXPECT_EQ(2, player_.Advance(100));  // the key is held
  EXPECT_EQ(20.0f, KeyX());
  player_.SelectSequence(2);
  EXPECT_EQ(2, player_.Advance(100));
  EXPECT_EQ(20.0f, KeyX());
  Matrix4 m;
  player_.GetKeyMatrix(&m, 7);  // no such node
  EXPECT_EQ(0.0f, m.m[12]);
  EXPECT_EQ(1.0f, m.m[0]);

  AnimationPlayer unbound;
  EXPECT_EQ(0, unbound.Advance(100));
  unbound.GetKeyMatrix(&m, 0);
  EXPECT_EQ(1.0f, m.m[15]);
}

TEST_F(AnimationTest, LoadingALoadedAnimationReadsNothing) {
  LoadMesh({{2, 100, 1}});
  g_UiArchive.Close();
  EXPECT_TRUE(mesh_.Load("DATA\\UI\\OTHER.ANM"));
  EXPECT_EQ(2, mesh_.keyCount);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AnimationTest, UvKeysTakeTheTextureScales) {
  kelvdata::UvAnimationFile f;
  f.sequences = {{2, 200, 1}};
  f.meshKeys = {{{0.5f, 0.25f}, {1.0f, 0.0f}}, {{0.0f, 0.125f}, {0.75f, 1.0f}}};
  OpenUiArchive({{"A.UVA", kelvdata::BuildUvAnimationFile(f)}});
  UvAnimation uv;
  uv.sScale = 256.0f;
  uv.tScale = 64.0f;
  ASSERT_TRUE(uv.Load("DATA\\UI\\A.UVA"));
  EXPECT_EQ(2, uv.nodeCount);
  EXPECT_EQ(128.0f, uv.Key(0, 0).u);
  EXPECT_EQ(16.0f, uv.Key(0, 0).v);
  EXPECT_EQ(192.0f, uv.Key(1, 1).u);
  EXPECT_EQ(64.0f, uv.Key(1, 1).v);
}

TEST_F(AnimationTest, DamagedFilesAreRefused) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto mesh = [](auto change) {
    kelvdata::MeshAnimationFile f = MeshFile({{3, 300, 1}, {2, 200, 0}});
    change(&f);
    return kelvdata::BuildMeshAnimationFile(f);
  };
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"key counts add up to less", mesh([](kelvdata::MeshAnimationFile* f) { f->keyCount = 6; })},
      {"key counts add up to more", mesh([](kelvdata::MeshAnimationFile* f) { f->keyCount = 4; })},
      {"more nodes than the file holds", mesh([](kelvdata::MeshAnimationFile* f) { f->nodeCount = 40000; })},
      {"huge key count", mesh([](kelvdata::MeshAnimationFile* f) {
         f->sequences[0].keys = 65533;
         f->keyCount = 65535;
       })},
      {"more sequences than the file holds", [] {
         kelvdata::ByteWriter w;
         w.U16(0);
         w.U16(0);
         w.U16(50000);
         return w.Take();
       }()},
      {"NaN in a key", mesh([=](kelvdata::MeshAnimationFile* f) { f->nodeKeys[1][4][5] = nan; })},
      {"infinity in a key", mesh([](kelvdata::MeshAnimationFile* f) {
         f->nodeKeys[0][0][0] = std::numeric_limits<float>::infinity();
       })},
      {"value beyond any model", mesh([](kelvdata::MeshAnimationFile* f) { f->nodeKeys[0][2][12] = 3.0e9f; })},
      {"truncated", [&] {
         Bytes b = mesh([](kelvdata::MeshAnimationFile*) {});
         b.resize(b.size() - 1);
         return b;
       }()},
      {"empty", Bytes{}},
  };
  for (const auto& c : cases) {
    platform::ClearRecordedMessageBoxes();
    // A member after the file, so that a read past its end would find bytes.
    OpenUiArchive({{"A.ANM", c.bytes}, {"NEXT.BIN", Bytes(100000, 0)}});
    MeshAnimation m;
    EXPECT_FALSE(m.Load("DATA\\UI\\A.ANM")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kMeshError}, Boxes()) << c.what;
    EXPECT_EQ(0, m.loaded) << c.what;
    EXPECT_EQ(0, m.keyCount) << c.what;
    EXPECT_TRUE(m.keys.empty()) << c.what;
  }

  platform::ClearRecordedMessageBoxes();
  MeshAnimation missing;
  EXPECT_FALSE(missing.Load("DATA\\UI\\NONE.ANM"));
  UvAnimation missingUv;
  EXPECT_FALSE(missingUv.Load("DATA\\UI\\NONE.UVA"));
  EXPECT_EQ((std::vector<std::string>{kMeshError, kUvError}), Boxes());

  kelvdata::UvAnimationFile uv;
  uv.sequences = {{2, 200, 1}};
  uv.meshKeys = {{{0.5f, 0.25f}, {1.0f, nan}}};
  platform::ClearRecordedMessageBoxes();
  OpenUiArchive({{"A.UVA", kelvdata::BuildUvAnimationFile(uv)}});
  UvAnimation damagedUv;
  EXPECT_FALSE(damagedUv.Load("DATA\\UI\\A.UVA"));
  EXPECT_EQ(std::vector<std::string>{kUvError}, Boxes());
}

}  // namespace
