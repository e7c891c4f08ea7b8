#include "ui/chooser.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "platform/win32/msgbox.h"
#include "tests/ui/widget_fixture.h"
#include "tools/object_samples.h"

namespace {

using kelvtest::RecordedCommand;

const char kChooserError[] = "File error opening chooser data.\nPlease reinstall Kelvarro.";

class ChooserTest : public kelvtest::WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_ChooserTimer = 0;
  }
  // `count` items, item i at x = 10 i.
  static kelvdata::ChooserFile Items(int count, std::uint16_t pageSize, bool panels) {
    kelvdata::ChooserFile f;
    f.panelItems = panels ? 1 : 0;
    f.pageSize = pageSize;
    for (int i = 0; i < count; ++i) {
      kelvdata::ChooserItemEntry item;
      item.path = panels ? "DATA\\UI\\ITEM.OSP" : "DATA\\UI\\BOX.ACT";
      item.position[0] = 10.0f * static_cast<float>(i);
      item.scale[0] = item.scale[1] = 16.0f;
      f.items.push_back(item);
    }
    return f;
  }
  void Open(const kelvdata::ChooserFile& f) {
    kelvdata::PanelFile item;
    item.texture = "DATA\\UI\\N.TEX";
    std::vector<kelvdata::BbfMember> members = {{"C.CHO", kelvdata::BuildChooser(f)},
                                                {"ITEM.OSP", kelvdata::BuildOsp(item)}};
    for (kelvdata::BbfMember& m : kelvdata::DataSetObjectMembers()) members.push_back(std::move(m));
    OpenWidgetArchives(members);
  }
  // Steps of 16 ms: 32 of them pass 500 ms.
  static void Run(Chooser* c, int frames) {
    for (int i = 0; i < frames; ++i) c->Update(16, 1);
  }
  // The x of the first item on the page.
  static float FirstX(Chooser* c) { return c->pagePanelCount ? c->pagePanels[0].x : c->pageObjects[0].matrix.m[12]; }
};

TEST_F(ChooserTest, TenItemsAtPageSizeFourGiveTwoPages) {
  Open(Items(10, 4, true));
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  EXPECT_EQ(2, c.PageCount());
  ASSERT_EQ(4, c.pagePanelCount);
  EXPECT_FLOAT_EQ(0.0f, FirstX(&c));
  EXPECT_FLOAT_EQ(30.0f, c.pagePanels[3].x);

  ASSERT_TRUE(c.NextPage());
  EXPECT_EQ(1, c.currentPage);
  // A second change during the change is refused, in either direction.
  EXPECT_FALSE(c.NextPage());
  EXPECT_FALSE(c.PreviousPage());
  // Panels change after 500 ms without a fade.
  Run(&c, 31);
  EXPECT_FLOAT_EQ(0.0f, FirstX(&c));
  Run(&c, 1);
  EXPECT_FLOAT_EQ(40.0f, FirstX(&c));
  EXPECT_FLOAT_EQ(70.0f, c.pagePanels[3].x);
  EXPECT_TRUE(c.settling);
  EXPECT_FALSE(c.PreviousPage());
  Run(&c, 32);
  EXPECT_FALSE(c.settling);

  // Without wrap the last page stays (items 8 and 9 never show), yet the
  // change still runs.
  ASSERT_TRUE(c.NextPage());
  EXPECT_EQ(1, c.currentPage);
  EXPECT_TRUE(c.changingForward);
  Run(&c, 64);
  EXPECT_FLOAT_EQ(40.0f, FirstX(&c));
}

TEST_F(ChooserTest, WrapGoesFromTheLastPageToTheFirstAndBack) {
  kelvdata::ChooserFile f = Items(10, 4, true);
  f.wrap = 1;
  Open(f);
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  ASSERT_TRUE(c.PreviousPage());
  EXPECT_EQ(1, c.currentPage);
  Run(&c, 64);
  ASSERT_TRUE(c.NextPage());
  EXPECT_EQ(0, c.currentPage);
}

TEST_F(ChooserTest, AFinishedChangeOnThePlayerScreenRunsCommands75_59_73) {
  Open(Items(8, 4, true));
  for (std::uint32_t scene : {1u, 2u}) {
    g_SceneNumber = scene;
    controller_.commands.clear();
    Chooser c;
    ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
    ASSERT_TRUE(c.NextPage());
    Run(&c, 63);
    EXPECT_TRUE(controller_.commands.empty());
    Run(&c, 1);
    const std::vector<RecordedCommand> expected = {{75, 0, 0, "NULL"}, {59, 0, 0, "NULL"}, {73, 0, 0, "NULL"}};
    EXPECT_EQ(scene == 1 ? expected : std::vector<RecordedCommand>{}, controller_.commands) << "scene " << scene;
  }
}

TEST_F(ChooserTest, GoToPageIsImmediateAndRefusesPagesPastTheLast) {
  Open(Items(10, 4, true));
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  EXPECT_FALSE(c.GoToPage(2));
  EXPECT_EQ(0, c.currentPage);
  EXPECT_FLOAT_EQ(0.0f, FirstX(&c));
  ASSERT_TRUE(c.GoToPage(1));
  EXPECT_FLOAT_EQ(40.0f, FirstX(&c));
  EXPECT_FALSE(c.changingForward || c.changingBack || c.settling);
}

TEST_F(ChooserTest, ObjectItemsFadeOutThenIn) {
  Open(Items(4, 2, false));
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  ASSERT_EQ(2, c.pageObjectCount);
  ASSERT_TRUE(c.PreviousPage());
  EXPECT_EQ(0, c.currentPage);
  Run(&c, 1);
  EXPECT_FLOAT_EQ(0.0f, c.pageObjects[0].fadeTarget);
  // Halfway out: 16 of 500 ms gone at the first step, 256 after 16 steps.
  Run(&c, 15);
  EXPECT_NEAR(1.0f - 256.0f / 500.0f, c.pageObjects[0].fadeCurrent, 1e-5f);
  Run(&c, 16);
  // Rebuilt, and fading in from black: the new items take the same step.
  EXPECT_FLOAT_EQ(1.0f, c.pageObjects[0].fadeTarget);
  EXPECT_NEAR(16.0f / 500.0f, c.pageObjects[0].fadeCurrent, 1e-5f);
  Run(&c, 64);
  EXPECT_FLOAT_EQ(1.0f, c.pageObjects[0].fadeCurrent);
}

TEST_F(ChooserTest, TheLightComesFromTheFileUnlessItHasNoLength) {
  g_LightDirection = Vector3(1.0f, 0.0f, 0.0f);
  kelvdata::ChooserFile f = Items(2, 2, false);
  f.light[0] = f.light[1] = f.light[2] = 0.0f;
  Open(f);
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  EXPECT_FLOAT_EQ(1.0f, g_LightDirection.x);
  f.light[0] = 0.0f;
  f.light[1] = 3.0f;
  f.light[2] = -4.0f;
  Open(f);
  Chooser d;
  ASSERT_TRUE(d.Load("DATA\\UI\\C.CHO"));
  EXPECT_FLOAT_EQ(0.0f, g_LightDirection.x);
  EXPECT_FLOAT_EQ(-0.6f, g_LightDirection.y);
  EXPECT_FLOAT_EQ(0.8f, g_LightDirection.z);
}

TEST_F(ChooserTest, FewerItemsThanAPageGiveNoPagesAndNoPaging) {
  Open(Items(3, 4, true));
  Chooser c;
  ASSERT_TRUE(c.Load("DATA\\UI\\C.CHO"));
  EXPECT_EQ(0, c.PageCount());
  EXPECT_EQ(0, c.pagePanelCount);
  EXPECT_FALSE(c.NextPage());
  EXPECT_FALSE(c.PreviousPage());
  EXPECT_FALSE(c.GoToPage(0));
  Run(&c, 10);
  EXPECT_TRUE(c.Draw());
}

TEST_F(ChooserTest, DamagedFilesAreRefusedWithTheChooserMessage) {
  struct Case {
    const char* what;
    kelvdata::Bytes bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"page size 0", kelvdata::BuildChooser(Items(4, 0, true))});
  kelvdata::ChooserFile many = Items(2, 2, true);
  many.itemCount = 50000;
  cases.push_back({"more items than bytes", kelvdata::BuildChooser(many)});
  kelvdata::Bytes whole = kelvdata::BuildChooser(Items(4, 2, true));
  cases.push_back({"cut in the last item", kelvdata::Bytes(whole.begin(), whole.end() - 3)});
  kelvdata::ChooserFile longPath = Items(2, 2, true);
  longPath.items[1].path = std::string(300, 'p');
  cases.push_back({"a path past 256 bytes", kelvdata::BuildChooser(longPath)});
  for (const Case& c : cases) {
    Open(Items(1, 1, true));
    OpenWidgetArchives({{"C.CHO", c.bytes}});
    platform::ClearRecordedMessageBoxes();
    Chooser chooser;
    EXPECT_FALSE(chooser.Load("DATA\\UI\\C.CHO")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kChooserError}, Boxes()) << c.what;
  }
}

}  // namespace
