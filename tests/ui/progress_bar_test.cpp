#include "ui/progress_bar.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/display.h"
#include "engine/texture_manager.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/widget_fixture.h"

namespace {

const char kBarError[] = "File error opening progress bar data.\nPlease reinstall Kelvarro.";

class ProgressBarTest : public kelvtest::WidgetTest {
 protected:
  void TearDown() override {
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    WidgetTest::TearDown();
  }
  static kelvdata::ProgressBarFile Bar(std::uint16_t value) {
    kelvdata::ProgressBarFile f;
    f.texture = "DATA\\UI\\N.TEX";
    f.position[0] = 320.0f;
    f.position[1] = 240.0f;
    f.size[0] = 100.0f;
    f.size[1] = 10.0f;
    f.uv[0] = 0.0f;
    f.uv[1] = 0.5f;
    f.value = value;
    return f;
  }
  void LoadBar(const kelvdata::ProgressBarFile& f, ProgressBar* bar) {
    OpenWidgetArchives({{"B.PRB", kelvdata::BuildProgressBar(f)}});
    ASSERT_TRUE(bar->Load("DATA\\UI\\B.PRB"));
  }
};

TEST_F(ProgressBarTest, TheFilledLengthAndTextureExtentFollowTheValue) {
  const struct {
    std::uint16_t value;
    float right;  // x of the filled end
    float u;      // u at the filled end, 0..1
  } cases[] = {{0, 320.0f, 0.0f}, {50, 370.0f, 0.25f}, {100, 420.0f, 0.5f}};
  for (const auto& c : cases) {
    ProgressBar bar;
    LoadBar(Bar(c.value), &bar);
    const float s = g_TextureManager.sScale[bar.texture];
    const float xs[6] = {320.0f, c.right, c.right, 320.0f, c.right, 320.0f};
    const float ys[6] = {240.0f, 240.0f, 250.0f, 240.0f, 250.0f, 250.0f};
    const float us[6] = {0.0f, c.u, c.u, 0.0f, c.u, 0.0f};
    for (int i = 0; i < 6; ++i) {
      EXPECT_FLOAT_EQ(xs[i], bar.screenVertices[i].x) << "value " << c.value << " vertex " << i;
      EXPECT_FLOAT_EQ(ys[i], bar.screenVertices[i].y) << "value " << c.value << " vertex " << i;
      EXPECT_FLOAT_EQ(us[i] * s, bar.screenVertices[i].s) << "value " << c.value << " vertex " << i;
    }
  }
}

TEST_F(ProgressBarTest, AScreenBarScalesFromTheLayoutTo800x600) {
  g_ScreenWidth = 800;
  g_ScreenHeight = 600;
  ProgressBar bar;
  LoadBar(Bar(100), &bar);
  EXPECT_FLOAT_EQ(400.0f, bar.screenVertices[0].x);
  EXPECT_FLOAT_EQ(300.0f, bar.screenVertices[0].y);
  EXPECT_FLOAT_EQ(525.0f, bar.screenVertices[1].x);
  EXPECT_FLOAT_EQ(312.5f, bar.screenVertices[2].y);
}

TEST_F(ProgressBarTest, AVerticalBarGrowsUpwardsWithItsTextureAlongIt) {
  kelvdata::ProgressBarFile f = Bar(100);
  f.horizontal = 0;
  f.position[1] = 300.0f;
  f.size[0] = 80.0f;
  ProgressBar bar;
  LoadBar(f, &bar);
  const float s = g_TextureManager.sScale[bar.texture];
  EXPECT_FLOAT_EQ(300.0f, bar.screenVertices[0].y);
  EXPECT_FLOAT_EQ(220.0f, bar.screenVertices[1].y);
  EXPECT_FLOAT_EQ(330.0f, bar.screenVertices[2].x);
  EXPECT_FLOAT_EQ(0.5f * s, bar.screenVertices[1].s);
  EXPECT_FLOAT_EQ(0.0f, bar.screenVertices[5].s);
}

TEST_F(ProgressBarTest, AScreenBarIgnoresUpdateAndA3DBarBuildsItsMesh) {
  kelvdata::ProgressBarFile screen = Bar(50);
  screen.animated = 1;
  ProgressBar flat;
  LoadBar(screen, &flat);
  const ScreenVertex before = flat.screenVertices[1];
  EXPECT_TRUE(flat.Update(100, 1));
  EXPECT_EQ(0, std::memcmp(&before, &flat.screenVertices[1], sizeof before));

  kelvdata::ProgressBarFile mesh = Bar(50);
  mesh.screenBar = 0;
  ProgressBar bar;
  LoadBar(mesh, &bar);
  ASSERT_TRUE(bar.positions);
  // Corners (X, Y), (X, Y + H), (X + L, Y + H), (X + L, Y), unscaled.
  EXPECT_FLOAT_EQ(320.0f, bar.positions[1].x);
  EXPECT_FLOAT_EQ(250.0f, bar.positions[1].y);
  EXPECT_FLOAT_EQ(370.0f, bar.positions[3].x);
  EXPECT_EQ(2, bar.indices[4]);
  EXPECT_TRUE(bar.Draw());
}

TEST_F(ProgressBarTest, DamagedFilesAreRefusedWithTheBarMessage) {
  const kelvdata::Bytes whole = kelvdata::BuildProgressBar(Bar(50));
  kelvdata::ProgressBarFile animated = Bar(50);
  animated.screenBar = 0;
  animated.animated = 1;
  animated.animation = "DATA\\UI\\NONE.ANM";
  kelvdata::Bytes withAnimation = kelvdata::BuildProgressBar(animated);
  const struct {
    const char* what;
    kelvdata::Bytes bytes;
  } cases[] = {{"cut in the value", kelvdata::Bytes(whole.begin(), whole.end() - 1)},
               {"cut in the animation path", kelvdata::Bytes(withAnimation.begin(), withAnimation.end() - 4)}};
  for (const auto& c : cases) {
    OpenWidgetArchives({{"B.PRB", c.bytes}});
    platform::ClearRecordedMessageBoxes();
    ProgressBar bar;
    EXPECT_FALSE(bar.Load("DATA\\UI\\B.PRB")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kBarError}, Boxes()) << c.what;
  }
  platform::ClearRecordedMessageBoxes();
  ProgressBar missing;
  EXPECT_FALSE(missing.Load("DATA\\UI\\NONE.PRB"));
  EXPECT_EQ(std::vector<std::string>{kBarError}, Boxes());
}

}  // namespace
