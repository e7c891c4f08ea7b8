#include "ui/button.h"

#include <gtest/gtest.h>

#include "engine/renderer.h"

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/texture_manager.h"
#include "tests/ui/widget_fixture.h"
#include "tools/scene_build.h"
#include "tools/tex.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "engine/archive.h"
#include <memory>

namespace {

using kelvtest::RecordedCommand;

const char kButtonError[] = "File error opening button data.\nPlease reinstall Kelvarro.";

class ButtonTest : public kelvtest::WidgetTest {
 protected:
  // Loads `f` as DATA\UI\B.BTN into `b`.
  bool LoadButton(const kelvdata::ButtonFile& f, Button* b) {
    OpenWidgetArchives({{"B.BTN", kelvdata::BuildButton(f)}});
    return b->Load("DATA\\UI\\B.BTN");
  }
  // Frames of kFrame until `seconds` have passed.
  static void Run(Button* b, int frames) {
    for (int i = 0; i < frames; ++i) b->Update(16, 1);
  }
};

TEST_F(ButtonTest, APressShowsThePressedTextureFor015sThenTheHighlightedOne) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(10.0f, 20.0f, 100.0f, 30.0f);
  f.actions = {{41, 1, 2, "first"}, {5, 0, 0, "NULL"}, {90, 12, 0, ""}};
  Button b;
  ASSERT_TRUE(LoadButton(f, &b));
  b.SetHighlight(1, 0);
  b.Press();
  EXPECT_EQ(Button::PRESSED, b.state);
  const std::vector<RecordedCommand> expected = {{41, 1, 2, "first"}, {5, 0, 0, "NULL"}, {90, 12, 0, ""}};
  EXPECT_EQ(expected, controller_.commands);
  // 9 frames are 0.140625 s, the tenth reaches 0.15625 s.
  Run(&b, 9);
  EXPECT_EQ(Button::PRESSED, b.state);
  Run(&b, 1);
  EXPECT_EQ(Button::HIGHLIGHTED, b.state);
  EXPECT_FLOAT_EQ(0.0f, b.pressTimer);

  // The texture drawn is the one of the state.
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(b.Draw());
  EXPECT_EQ(b.textures[Button::HIGHLIGHTED], g_TextureManager.selected);
}

TEST_F(ButtonTest, ARadioButtonStaysPressedWhenThePointerLeaves) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
  f.radio = 1;
  Button b;
  ASSERT_TRUE(LoadButton(f, &b));
  b.Press();
  Run(&b, 30);
  b.SetHighlight(0, 0);
  EXPECT_EQ(Button::PRESSED, b.state);
}

TEST_F(ButtonTest, AToggleAlternatesItsLabelsAndRunsItsActionsOnEveryPress) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
  f.toggle = 1;
  f.offLabel = kelvdata::TextAt(1, 5.0f, 5.0f);
  f.onLabel = kelvdata::TextAt(2, 5.0f, 5.0f);
  f.actions = {{7, 0, 0, "NULL"}};
  Button b;
  ASSERT_TRUE(LoadButton(f, &b));
  EXPECT_STREQ("One", b.offLabel.String());
  EXPECT_STREQ("Two", b.onLabel.String());
  for (std::uint8_t expected : {1, 0, 1}) {
    b.Press();
    EXPECT_EQ(expected, b.toggleState);
  }
  EXPECT_EQ(3u, controller_.commands.size());
}

TEST_F(ButtonTest, ATwoLineTooltipShowsFrom08sTo42sOfHovering) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(100.0f, 200.0f, 80.0f, 40.0f);
  f.hasTooltip = 1;
  f.tooltipLines = {1, 2};
  Button b;
  ASSERT_TRUE(LoadButton(f, &b));
  ASSERT_EQ(2, b.tooltip.lineCount);
  b.SetHighlight(1, 0);
  // 0.8 s is frame 51.2: shown from the 52nd frame.
  Run(&b, 51);
  EXPECT_FALSE(b.tooltip.shown);
  Run(&b, 1);
  EXPECT_TRUE(b.tooltip.shown);
  // The owner box is the button rectangle.
  EXPECT_EQ(100, b.tooltip.ownerLeft);
  EXPECT_EQ(180, b.tooltip.ownerRight);
  EXPECT_EQ(200, b.tooltip.ownerTop);
  EXPECT_EQ(240, b.tooltip.ownerBottom);
  // 2 x 1.7 + 0.8 = 4.2 s is frame 268.8: hidden from the 269th.
  Run(&b, 268 - 52);
  EXPECT_TRUE(b.tooltip.shown);
  Run(&b, 1);
  EXPECT_FALSE(b.tooltip.shown);
  Run(&b, 100);
  EXPECT_FALSE(b.tooltip.shown);
}

TEST_F(ButtonTest, PressingHidesTheTooltipUntilTheNextHover) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(100.0f, 200.0f, 80.0f, 40.0f);
  f.hasTooltip = 1;
  f.tooltipLines = {1};
  Button b;
  ASSERT_TRUE(LoadButton(f, &b));
  b.SetHighlight(1, 0);
  Run(&b, 60);
  ASSERT_TRUE(b.tooltip.shown);
  b.Press();
  EXPECT_FALSE(b.tooltip.shown);
  Run(&b, 400);
  EXPECT_FALSE(b.tooltip.shown);
  // A new hover starts the count again.
  b.SetHighlight(0, 0);
  b.SetHighlight(1, 0);
  Run(&b, 52);
  EXPECT_TRUE(b.tooltip.shown);
}

TEST_F(ButtonTest, HighlightedAtStartOnlyWithoutAMouse) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
  f.highlightedAtStart = 1;
  for (bool mouse : {false, true}) {
    if (mouse) MouseAt(300, 300);
    else NoMouse();
    Button b;
    ASSERT_TRUE(LoadButton(f, &b));
    EXPECT_EQ(mouse ? Button::NORMAL : Button::HIGHLIGHTED, b.state) << "mouse " << mouse;
  }
}

TEST_F(ButtonTest, PracticeAndQualifyingSwapTheRacePlateTexture) {
  kelvdata::ButtonFile f = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
  f.textures[0] = f.textures[1] = f.textures[2] = "DATA\\TRACK\\_ostxt4.tex";
  auto plate = [](std::uint8_t red) {
    return kelvdata::BuildTex(16, 16, [red](int, int) { return kelvdata::Rgb{red, 0, 0}; });
  };
  for (std::uint8_t raceType : {0, 2}) {
    g_RaceType = raceType;
    Button b;
    OpenWidgetArchives({{"B.BTN", kelvdata::BuildButton(f)}});
    g_TrackArchive.Close();
    Put("DATA/TRACK.BBF", kelvdata::BuildBbf({{"_OSTXT4.TEX", plate(40)}, {"_OSTXT41.TEX", plate(200)}}));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(b.Load("DATA\\UI\\B.BTN"));
    for (TextureSlot t : b.textures) {
      EXPECT_STREQ(raceType == 2 ? "DATA\\TRACK\\_OSTXT41.TEX" : "DATA\\TRACK\\_OSTXT4.TEX",
                   g_TextureManager.name[t]);
    }
  }
}

TEST_F(ButtonTest, QuadCornersFollowTheRectangle) {
  Button b;
  ASSERT_TRUE(LoadButton(kelvtest::SampleButton(10.03f, 20.0f, 100.0f, 30.0f), &b));
  ASSERT_EQ(6u, b.vertexCount);
  const float xs[6] = {10.0f, 110.0f, 110.0f, 10.0f, 110.0f, 10.0f};
  const float ys[6] = {20.0f, 20.0f, 50.0f, 20.0f, 50.0f, 50.0f};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(xs[i], b.vertices[i].x) << i;
    EXPECT_FLOAT_EQ(ys[i], b.vertices[i].y) << i;
  }
  EXPECT_TRUE(b.HitTest(110.03f, 50.0f));
  EXPECT_FALSE(b.HitTest(110.1f, 50.0f));
}

TEST_F(ButtonTest, FewerThanTwoSoundsLeaveHighlightPressAndDestructionSafe) {
  for (int sounds : {0, 1}) {
    kelvdata::ButtonFile f = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
    if (sounds) f.sounds = {{0, "SOUNDS\\NONE.SFX"}};
    auto b = std::make_unique<Button>();
    ASSERT_TRUE(LoadButton(f, b.get()));
    EXPECT_EQ(static_cast<std::size_t>(sounds), b->sounds.size());
    b->SetHighlight(1, 0);
    b->Press();
    b->SetHighlight(0, 0);
    b.reset();
  }
}

TEST_F(ButtonTest, DrawingSkipsAButtonWithoutVertices) {
  Button b;
  g_Renderer.ResetStatistics();
  EXPECT_TRUE(b.Draw());
  EXPECT_EQ(0u, g_Renderer.statistics.trianglesDrawn);
}

TEST_F(ButtonTest, DamagedFilesAreRefusedWithTheButtonMessage) {
  const kelvdata::ButtonFile good = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 50.0f);
  struct Case {
    const char* what;
    kelvdata::Bytes bytes;
  };
  std::vector<Case> cases;
  kelvdata::Bytes whole = kelvdata::BuildButton(good);
  cases.push_back({"cut in the floats", kelvdata::Bytes(whole.begin(), whole.begin() + 60)});
  cases.push_back({"cut before the actions", kelvdata::Bytes(whole.begin(), whole.end() - 2)});
  kelvdata::ButtonFile manyActions = good;
  manyActions.actionCount = 60000;
  cases.push_back({"more actions than bytes", kelvdata::BuildButton(manyActions)});
  kelvdata::ButtonFile longAction = good;
  longAction.actions = {{1, 0, 0, std::string(300, 'a')}};
  cases.push_back({"an action text past 256 bytes", kelvdata::BuildButton(longAction)});
  kelvdata::ButtonFile manyLines = good;
  manyLines.hasTooltip = 1;
  manyLines.tooltipCount = 5000;
  cases.push_back({"more tooltip lines than bytes", kelvdata::BuildButton(manyLines)});
  for (const Case& c : cases) {
    Button b;
    OpenWidgetArchives({{"B.BTN", c.bytes}});
    platform::ClearRecordedMessageBoxes();
    EXPECT_FALSE(b.Load("DATA\\UI\\B.BTN")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kButtonError}, Boxes()) << c.what;
    EXPECT_EQ(0, b.actionCount) << c.what;
  }
  Button missing;
  platform::ClearRecordedMessageBoxes();
  EXPECT_FALSE(missing.Load("DATA\\UI\\NONE.BTN"));
  EXPECT_EQ(std::vector<std::string>{kButtonError}, Boxes());
}

}  // namespace
