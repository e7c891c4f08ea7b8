#include "ui/dialog.h"

#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"
#include "tests/ui/widget_fixture.h"
#include "tools/dataset.h"
#include "tools/object_samples.h"
#include "tools/scene_build.h"

namespace {

using kelvdata::DialogEntryAt;
using kelvdata::TextAt;
using kelvtest::RecordedCommand;

const char kDialogError[] = "File error opening dialog data.\nPlease reinstall Kelvarro.";

class DialogTest : public kelvtest::WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    platform::UseTestTime(1000);
  }
  void TearDown() override {
    platform::UseRealTime();
    WidgetTest::TearDown();
  }

  // The widget files the dialogs below name: buttons whose one action is
  // command 100 + their number, a slider with a 20 x 30 thumb, a bar, a
  // panel, labels, a chooser and a 3D object.
  void OpenDialog(const kelvdata::DialogFile& dialog) {
    std::vector<kelvdata::BbfMember> members = {{"D.DLG", kelvdata::BuildDialog(dialog)}};
    for (int i = 1; i <= 3; ++i) {
      kelvdata::ButtonFile b = kelvtest::SampleButton(0.0f, 0.0f, 50.0f, 20.0f);
      b.actions = {{static_cast<std::uint16_t>(100 + i), 0, 0, "NULL"}};
      members.push_back({"B" + std::to_string(i) + ".BTN", kelvdata::BuildButton(b)});
    }
    kelvdata::SliderFile slider;
    slider.items = {1, 2, 1};
    slider.box[0] = 0.0f;
    slider.box[1] = 0.0f;
    slider.box[2] = 100.0f;
    slider.box[3] = 20.0f;
    slider.track = kelvtest::SampleButton(0.0f, 0.0f, 100.0f, 20.0f);
    slider.thumb = kelvtest::SampleButton(0.0f, 0.0f, 20.0f, 30.0f);
    slider.caption = TextAt(1, 0.0f, -20.0f);
    slider.valueLabel = TextAt(1, 110.0f, 0.0f);
    members.push_back({"S.SLD", kelvdata::BuildSlider(slider)});
    kelvdata::ProgressBarFile bar;
    bar.texture = "DATA\\UI\\N.TEX";
    bar.value = 50;
    members.push_back({"P.PRB", kelvdata::BuildProgressBar(bar)});
    kelvdata::PanelFile panel;
    panel.texture = "DATA\\UI\\N.TEX";
    members.push_back({"BACK.OSP", kelvdata::BuildOsp(panel)});
    members.push_back({"T.STX", kelvdata::BuildStaticTextBody(TextAt(1, 0.0f, 0.0f))});
    members.push_back({"E.EDT", kelvdata::BuildEditText(8, TextAt(2, 0.0f, 0.0f))});
    kelvdata::ChooserFile chooser;
    chooser.pageSize = 1;
    kelvdata::ChooserItemEntry item;
    item.path = "DATA\\UI\\BACK.OSP";
    item.position[0] = 33.0f;
    chooser.items = {item, item};
    members.push_back({"C.CHO", kelvdata::BuildChooser(chooser)});
    for (kelvdata::BbfMember& m : kelvdata::DataSetObjectMembers()) members.push_back(std::move(m));
    OpenWidgetArchives(members);
  }
  // A box designed at (100, 100), 200 x 100: it opens at (220, 190).
  static kelvdata::DialogFile Box() {
    kelvdata::DialogFile f;
    f.box[0] = 100.0f;
    f.box[1] = 100.0f;
    f.box[2] = 200.0f;
    f.box[3] = 100.0f;
    return f;
  }
  // `buttons` buttons in a row from (110, 110), `edits` edit texts and
  // `sliders` sliders below them.
  static kelvdata::DialogFile Focusable(int buttons, int edits, int sliders) {
    kelvdata::DialogFile f = Box();
    for (int i = 0; i < buttons; ++i) {
      const std::string path = "DATA\\UI\\B" + std::to_string(i + 1) + ".BTN";
      f.lists[kelvdata::DIALOG_BUTTONS].push_back(DialogEntryAt(path, 110.0f + 60.0f * i, 110.0f, 50.0f, 20.0f));
    }
    for (int i = 0; i < edits; ++i)
      f.lists[kelvdata::DIALOG_EDIT_TEXTS].push_back(DialogEntryAt("DATA\\UI\\E.EDT", 110.0f + 60.0f * i, 140.0f));
    for (int i = 0; i < sliders; ++i)
      f.lists[kelvdata::DIALOG_SLIDERS].push_back(DialogEntryAt("DATA\\UI\\S.SLD", 110.0f + 120.0f * i, 170.0f));
    return f;
  }
  // Loaded, shown, taking input and past its first update.
  void Show(Dialog* d) {
    ASSERT_TRUE(d->Load("DATA\\UI\\D.DLG"));
    d->active = 1;
    d->mode = 1;
    ASSERT_TRUE(d->Update());
    platform::AdvanceTime(16);
    ASSERT_TRUE(d->Update());
  }
  static std::string Focus(const Dialog& d) {
    const char* kind = d.focusKind == WIDGET_BUTTON ? "B" : d.focusKind == WIDGET_EDIT_TEXT ? "E" : "S";
    return kind + std::to_string(d.focusIndex);
  }
};

TEST_F(DialogTest, LoadingCentresTheBoxAndMovesAllButChoosersBarsAndObjects) {
  kelvdata::DialogFile f = Box();
  f.lists[kelvdata::DIALOG_BUTTONS] = {DialogEntryAt("DATA\\UI\\B1.BTN", 110.0f, 110.0f, 50.0f, 20.0f)};
  f.lists[kelvdata::DIALOG_EDIT_TEXTS] = {DialogEntryAt("DATA\\UI\\E.EDT", 110.0f, 140.0f)};
  f.lists[kelvdata::DIALOG_STATIC_TEXTS] = {DialogEntryAt("DATA\\UI\\T.STX", 120.0f, 105.0f)};
  f.lists[kelvdata::DIALOG_CHOOSERS] = {DialogEntryAt("DATA\\UI\\C.CHO", 0.0f, 0.0f)};
  f.lists[kelvdata::DIALOG_PROGRESS_BARS] = {DialogEntryAt("DATA\\UI\\P.PRB", 300.0f, 50.0f, 100.0f, 10.0f)};
  f.lists[kelvdata::DIALOG_SLIDERS] = {DialogEntryAt("DATA\\UI\\S.SLD", 110.0f, 170.0f)};
  f.lists[kelvdata::DIALOG_OBJECTS] = {DialogEntryAt("DATA\\UI\\BOX.ACT", 5.0f, 6.0f)};
  f.lists[kelvdata::DIALOG_PANELS] = {DialogEntryAt("DATA\\UI\\BACK.OSP", 100.0f, 100.0f, 200.0f, 100.0f)};
  OpenDialog(f);
  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\D.DLG"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FLOAT_EQ(220.0f, d.x);
  EXPECT_FLOAT_EQ(190.0f, d.y);
  EXPECT_EQ(3, d.focusableCount);
  // dx = 120, dy = 90.
  EXPECT_FLOAT_EQ(230.0f, d.buttons[0].vertices[0].x);
  EXPECT_FLOAT_EQ(200.0f, d.buttons[0].vertices[0].y);
  EXPECT_FLOAT_EQ(230.0f, d.editTexts[0].originX);
  EXPECT_FLOAT_EQ(240.0f, d.staticTexts[0].originX);
  EXPECT_FLOAT_EQ(195.0f, d.staticTexts[0].originY);
  EXPECT_EQ(230, d.sliders[0].left);
  EXPECT_EQ(260, d.sliders[0].top);
  EXPECT_FLOAT_EQ(220.0f, d.panels[0].x);
  // These keep the file's place.
  EXPECT_FLOAT_EQ(300.0f, d.progressBars[0].screenVertices[0].x);
  EXPECT_FLOAT_EQ(5.0f, d.objects[0].matrix.m[12]);
  EXPECT_FLOAT_EQ(33.0f, d.choosers[0].pagePanels[0].x);
}

TEST_F(DialogTest, TheFirstUpdateOnlyHighlightsAndThePhaseIsNeverReset) {
  OpenDialog(Focusable(2, 0, 0));
  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\D.DLG"));
  EXPECT_TRUE(d.Update());
  EXPECT_EQ(Button::NORMAL, d.buttons[0].state);
  d.mode = 1;
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(d.Update());
  EXPECT_EQ(Button::HIGHLIGHTED, d.buttons[0].state);
  EXPECT_EQ(0u, g_Renderer.statistics.trianglesDrawn);
  platform::AdvanceTime(16);
  ASSERT_TRUE(d.Update());
  EXPECT_EQ(4u, g_Renderer.statistics.trianglesDrawn);
  // Closing puts the buttons back and the focus on button 1; shown again,
  // there is no highlight-only update this time.
  d.active = 1;
  ASSERT_TRUE(d.OnKey(WM_KEYUP, VK_RIGHT, 0));
  ASSERT_EQ(Button::HIGHLIGHTED, d.buttons[1].state);
  d.ResetFocus(0);
  EXPECT_EQ(Button::NORMAL, d.buttons[1].state);
  EXPECT_EQ("B1", Focus(d));
  d.ResetFocus(1);
  EXPECT_EQ(Button::HIGHLIGHTED, d.buttons[0].state);
  g_Renderer.ResetStatistics();
  ASSERT_TRUE(d.Update());
  EXPECT_EQ(4u, g_Renderer.statistics.trianglesDrawn);
}

TEST_F(DialogTest, ArrowsCycleTheFocusOverTheKindsThatHaveWidgets) {
  const struct {
    int buttons, edits, sliders;
    UINT key;
    const char* path;  // the focus after each press, from B1
  } cases[] = {
      {3, 0, 0, VK_RIGHT, "B2 B3 B1"},
      {3, 0, 0, VK_LEFT, "B3 B2 B1"},
      {2, 0, 1, VK_RIGHT, "B2 S1 B1"},
      {2, 0, 1, VK_LEFT, "S1 B2 B1"},
      {1, 1, 1, VK_RIGHT, "E1 S1 B1"},
      {1, 1, 1, VK_LEFT, "S1 E1 B1"},
      {1, 2, 0, VK_LEFT, "E2 E1 B1"},
      {1, 0, 0, VK_RIGHT, "B1 B1"},
  };
  for (const auto& c : cases) {
    OpenDialog(Focusable(c.buttons, c.edits, c.sliders));
    Dialog d;
    Show(&d);
    std::string path;
    for (std::size_t n = 0; n < std::string(c.path).size() / 3 + 1; ++n) {
      EXPECT_TRUE(d.OnKey(WM_KEYUP, c.key, 0));
      path += (path.empty() ? "" : " ") + Focus(d);
    }
    EXPECT_EQ(c.path, path) << c.buttons << " buttons " << c.edits << " edits " << c.sliders << " sliders";
    // The highlight went with the focus.
    EXPECT_EQ(Button::HIGHLIGHTED, d.buttons[0].state);
    for (std::uint16_t i = 1; i < d.buttons.count; ++i) EXPECT_EQ(Button::NORMAL, d.buttons[i].state);
  }
}

TEST_F(DialogTest, KeysActOnKeyUpAndOnlyWhileThePointerIsOnAWidget) {
  OpenDialog(Focusable(2, 0, 0));
  Dialog d;
  Show(&d);
  EXPECT_FALSE(d.OnKey(WM_KEYDOWN, VK_RIGHT, 0));
  EXPECT_EQ("B1", Focus(d));
  // The pointer on empty space: keys do nothing.
  MouseAt(10, 10);
  ASSERT_TRUE(d.Update());
  EXPECT_TRUE(d.pointerOff);
  EXPECT_EQ(Button::NORMAL, d.buttons[0].state);
  EXPECT_FALSE(d.OnKey(WM_KEYUP, VK_RIGHT, 0));
  EXPECT_FALSE(d.OnKey(WM_KEYUP, VK_RETURN, 0));
  EXPECT_TRUE(controller_.commands.empty());
  // On button 2 (at 290..340, 200..220) it takes the focus and keys work.
  MouseAt(300, 210);
  ASSERT_TRUE(d.Update());
  EXPECT_FALSE(d.pointerOff);
  EXPECT_EQ("B2", Focus(d));
  EXPECT_EQ(Button::HIGHLIGHTED, d.buttons[1].state);
  EXPECT_TRUE(d.OnKey(WM_KEYUP, VK_RETURN, 0));
  EXPECT_EQ((std::vector<RecordedCommand>{{102, 0, 0, "NULL"}}), controller_.commands);
  EXPECT_TRUE(d.OnKey(WM_KEYUP, VK_LEFT, 0));
  EXPECT_EQ("B1", Focus(d));
  EXPECT_FALSE(d.OnKey(WM_KEYUP, 'A', 0));
  // Nothing while the dialog takes no input.
  d.active = 0;
  EXPECT_FALSE(d.OnKey(WM_KEYUP, VK_RIGHT, 0));
}

TEST_F(DialogTest, AClickUpToFivePixelsBesideTheThumbStartsADrag) {
  OpenDialog(Focusable(1, 0, 1));
  Dialog d;
  Show(&d);
  MouseAt(0, 0);
  // The slider's track is at (230, 260); its thumb at 220..240 x 255..285.
  const Button& thumb = d.sliders[0].thumb;
  ASSERT_FLOAT_EQ(220.0f, thumb.x);
  ASSERT_FLOAT_EQ(255.0f, thumb.y);
  auto at = [](int x, int y) { return static_cast<LPARAM>(x | y << 16); };
  EXPECT_FALSE(d.OnMouse(WM_LBUTTONDOWN, 0, at(214, 270)));
  EXPECT_FALSE(d.sliders[0].dragging);
  EXPECT_TRUE(d.OnMouse(WM_LBUTTONDOWN, 0, at(215, 270)));
  EXPECT_TRUE(d.sliders[0].dragging);
  EXPECT_EQ("S1", Focus(d));
  // While dragging every mouse message goes to the slider; a release ends it.
  EXPECT_TRUE(d.OnMouse(WM_LBUTTONUP, 0, 0));
  EXPECT_FALSE(d.sliders[0].dragging);
  EXPECT_TRUE(d.OnMouse(WM_LBUTTONDOWN, 0, at(245, 270)));
  EXPECT_TRUE(d.OnMouse(WM_LBUTTONUP, 0, 0));
  // A click on the button presses it.
  EXPECT_TRUE(d.OnMouse(WM_LBUTTONDOWN, 0, at(240, 210)));
  EXPECT_EQ("B1", Focus(d));
  EXPECT_EQ(Button::PRESSED, d.buttons[0].state);
  EXPECT_EQ((std::vector<RecordedCommand>{{101, 0, 0, "NULL"}}), controller_.commands);
  NoMouse();
  EXPECT_FALSE(d.OnMouse(WM_LBUTTONDOWN, 0, at(240, 210)));
}

TEST_F(DialogTest, SettersIgnoreIndicesOutOfRange) {
  kelvdata::DialogFile f = Focusable(1, 0, 1);
  f.lists[kelvdata::DIALOG_PROGRESS_BARS] = {DialogEntryAt("DATA\\UI\\P.PRB", 300.0f, 50.0f, 100.0f, 10.0f)};
  OpenDialog(f);
  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\D.DLG"));
  d.SetWidgetValue(WIDGET_PROGRESS_BAR, 1, 80);
  d.SetWidgetValue(WIDGET_SLIDER, 4, 1);
  d.SetWidgetValue(WIDGET_CHOOSER, 0, 1);
  d.SetButtonState(WIDGET_BUTTON, 3, 1);
  d.SetButtonAction(2, 0, 1, 1, "x");
  d.SetButtonAction(0, 1, 1, 1, "x");
  EXPECT_EQ(50, d.progressBars[0].value);
  d.SetWidgetValue(WIDGET_PROGRESS_BAR, 0, 80);
  EXPECT_EQ(80, d.progressBars[0].value);
  EXPECT_FLOAT_EQ(380.0f, d.progressBars[0].screenVertices[1].x);
  d.SetWidgetValue(WIDGET_SLIDER, 0, 2);
  EXPECT_EQ(2, d.sliders[0].value);
  d.SetButtonAction(0, 0, 7, 8, "changed");
  d.buttons[0].Press();
  EXPECT_EQ((std::vector<RecordedCommand>{{101, 7, 8, "changed"}}), controller_.commands);
}

TEST_F(DialogTest, DamagedFilesAreRefusedWithTheDialogMessage) {
  const kelvdata::Bytes whole = kelvdata::BuildDialog(Focusable(1, 0, 0));
  kelvdata::DialogFile many = Focusable(1, 0, 0);
  many.counts[kelvdata::DIALOG_PANELS] = 40000;
  kelvdata::DialogFile longPath = Focusable(0, 0, 0);
  longPath.lists[kelvdata::DIALOG_PANELS] = {DialogEntryAt(std::string(300, 'p'), 0.0f, 0.0f)};
  const struct {
    const char* what;
    kelvdata::Bytes bytes;
  } cases[] = {{"cut in the box", kelvdata::Bytes(whole.begin(), whole.begin() + 10)},
               {"cut in the last list", kelvdata::Bytes(whole.begin(), whole.end() - 1)},
               {"more panels than bytes", kelvdata::BuildDialog(many)},
               {"a path past 260 bytes", kelvdata::BuildDialog(longPath)}};
  for (const auto& c : cases) {
    OpenDialog(Box());
    OpenWidgetArchives({{"D.DLG", c.bytes}, {"B1.BTN", kelvdata::BuildButton(kelvtest::SampleButton(0, 0, 9, 9))}});
    platform::ClearRecordedMessageBoxes();
    Dialog d;
    EXPECT_FALSE(d.Load("DATA\\UI\\D.DLG")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kDialogError}, Boxes()) << c.what;
  }
  platform::ClearRecordedMessageBoxes();
  Dialog missing;
  EXPECT_FALSE(missing.Load("DATA\\UI\\NONE.DLG"));
  EXPECT_EQ(std::vector<std::string>{kDialogError}, Boxes());
}

TEST_F(DialogTest, TheSyntheticDialogLoadsEveryWidgetKind) {
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  g_UiArchive.Close();
  g_TrackArchive.Close();
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  UseFonts(5);
  Dialog d;
  ASSERT_TRUE(d.Load("DATA\\UI\\DIALOG01.DLG"));
  EXPECT_TRUE(Boxes().empty());
  for (std::uint16_t n : {d.objects.count, d.panels.count, d.editTexts.count, d.staticTexts.count, d.choosers.count,
                          d.progressBars.count, d.sliders.count})
    EXPECT_EQ(1, n);
  EXPECT_EQ(2, d.buttons.count);
  EXPECT_TRUE(d.buttons[0].hasTooltip);
  EXPECT_TRUE(d.buttons[1].toggle);
  EXPECT_EQ(2u, d.buttons[0].sounds.size());
}

}  // namespace
