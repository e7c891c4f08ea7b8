#include "tests/ui/widget_fixture.h"

#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/scene/scene.h"
#include "tools/tex.h"

namespace kelvtest {

void WidgetTest::SetUp() {
  UiTest::SetUp();
  GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
  NoMouse();
  g_FrameTime = kFrame;
  g_SceneNumber = 0;
  savedFrontEnd_ = g_FrontEnd;
  InstallFrontEndServices(&controller_);
}

void WidgetTest::TearDown() {
  InstallFrontEndServices(savedFrontEnd_);
  g_SceneNumber = 0;
  NoMouse();
  UiTest::TearDown();
}

void WidgetTest::NoMouse() {
  g_Cursor.mousePresent = 0;
  g_Cursor.x = 0;
  g_Cursor.y = 0;
}

void WidgetTest::MouseAt(int x, int y) {
  g_Cursor.mousePresent = 1;
  g_Cursor.x = x;
  g_Cursor.y = y;
}

void WidgetTest::OpenWidgetArchives(const std::vector<kelvdata::BbfMember>& extra,
                                    const std::vector<std::string>& texts) {
  auto solid = [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return kelvdata::BuildTex(16, 16, [=](int, int) { return kelvdata::Rgb{r, g, b}; });
  };
  kelvdata::StaticTextBody line;
  kelvdata::PanelFile tipBack;
  tipBack.blend = 1;
  std::vector<kelvdata::BbfMember> ui = {{"N.TEX", solid(0, 0, 200)},
                                         {"H.TEX", solid(0, 200, 0)},
                                         {"P.TEX", solid(200, 0, 0)},
                                         {"NAME.STX", kelvdata::BuildStaticTextBody(line)},
                                         {"TIPBACK.OSP", kelvdata::BuildOsp(tipBack)},
                                         TextsMember(texts.empty() ? std::vector<std::string>{"zero", "One", "Two"}
                                                                   : texts)};
  for (const kelvdata::BbfMember& m : extra) ui.push_back(m);
  OpenArchives(ui);
  UseFonts(1);
  LoadTexts();
}

kelvdata::ButtonFile SampleButton(float x, float y, float w, float h) {
  kelvdata::ButtonFile b;
  b.textures[0] = "DATA\\UI\\N.TEX";
  b.textures[1] = "DATA\\UI\\H.TEX";
  b.textures[2] = "DATA\\UI\\P.TEX";
  b.position[0] = x;
  b.position[1] = y;
  b.size[0] = w;
  b.size[1] = h;
  return b;
}

}  // namespace kelvtest
