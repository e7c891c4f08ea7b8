#include "tests/frontend/scene_fixture.h"

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "frontend/game_controller.h"
#include "platform/glide/glide.h"
#include "platform/win32/timer.h"
#include "tests/support/fuzz_renderer.h"
#include "tools/bbf.h"
#include "tools/frontend_files.h"
#include "tools/scene_build.h"
#include "tools/seeds.h"
#include "tools/tdb.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvtest {

namespace {

using kelvdata::WidgetAt;

kelvdata::Bytes Solid() {
  return kelvdata::BuildTex(16, 16, [](int, int) { return kelvdata::Rgb{90, 90, 90}; });
}

std::vector<kelvdata::BbfMember> KeyedMembers() {
  std::vector<kelvdata::BbfMember> m;
  for (const char* t : {"KF.TEX", "KB.TEX", "KC.TEX", "KP.TEX", "KN.TEX"}) m.push_back({t, Solid()});
  kelvdata::FontFile font;
  for (int c = 32; c < 127; ++c) {
    font.glyphs[c].left = static_cast<float>(c - 32) / 128.0f;
    font.glyphs[c].right = font.glyphs[c].left + 1.0f / 128.0f;
    font.glyphs[c].bottom = 1.0f / 16.0f;
  }
  font.texture = "DATA\\UI\\KF.TEX";
  m.push_back({"KF.FNT", kelvdata::BuildFnt(font)});
  kelvdata::ButtonFile button;
  for (auto& t : button.textures) t = "DATA\\UI\\KB.TEX";
  button.actions = {{69, 0, 0, "NULL"}};
  m.push_back({"KB.BTN", kelvdata::BuildButton(button)});
  button.toggle = 1;
  m.push_back({"KT.BTN", kelvdata::BuildButton(button)});
  kelvdata::PanelFile item;
  item.texture = "DATA\\UI\\KC.TEX";
  m.push_back({"KCI.OSP", kelvdata::BuildOsp(item)});
  kelvdata::ChooserFile chooser;
  chooser.panelItems = 1;
  for (int i = 0; i < 3; ++i) {
    kelvdata::ChooserItemEntry e;
    e.path = "DATA\\UI\\KCI.OSP";
    chooser.items.push_back(e);
  }
  m.push_back({"KC.CHO", kelvdata::BuildChooser(chooser)});
  kelvdata::ProgressBarFile bar;
  bar.texture = "DATA\\UI\\KP.TEX";
  m.push_back({"KP.PRB", kelvdata::BuildProgressBar(bar)});
  kelvdata::PanelFile panel;
  panel.texture = "DATA\\UI\\KN.TEX";
  m.push_back({"KN.OSP", kelvdata::BuildOsp(panel)});
  m.push_back({"K.FLT", kelvdata::BuildFlt({{4, 0}, {4, 1}})});
  m.push_back({"NONE.FLT", kelvdata::BuildFlt({})});
  return m;
}

}  // namespace

void SceneTest::SetUp() {
  FrontEndTest::SetUp();
  platform::UseTestTime(1000);
  OpenFuzzRenderer();
  GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
  WriteArchive({});
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\T.TDB"));
}

void SceneTest::TearDown() {
  g_GameController.ClearUiScene();
  scene_.reset();
  g_TextDatabase.Release();
  g_Renderer.Close();
  platform::ClearGlideRecords();
  g_SceneNumber = 0;
  FrontEndTest::TearDown();
}

void SceneTest::WriteArchive(const kelvdata::Bytes& picture) {
  std::vector<kelvdata::BbfMember> members = kelvdata::SceneFuzzMembers();
  for (kelvdata::BbfMember& m : KeyedMembers()) members.push_back(std::move(m));
  for (int skill = 0; skill < 3; ++skill)
    members.push_back({"LIST" + std::to_string(skill + 1) + ".PLT", kelvdata::BuildPlt(kelvdata::SyntheticPlt(skill))});
  std::vector<std::string> texts;
  for (int i = 0; i < 1200; ++i) texts.push_back("T" + std::to_string(i));
  members.push_back({"T.TDB", kelvdata::BuildTdb(texts)});
  if (!picture.empty()) members.push_back({"P.PIC", picture});
  g_UiArchive.Close();
  Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
}

void SceneTest::PutPicture(std::uint16_t w, std::uint16_t h, const kelvdata::Bytes& rgb) {
  WriteArchive(kelvdata::BuildBackground(w, h, rgb));
}

UiScene* SceneTest::Load(int number, const kelvdata::SceneFile& file) {
  Put("DATA/UI/S.SCN", kelvdata::BuildScene(file));
  UiScene* s = NewScene(number);
  return s->Load("DATA\\UI\\S.SCN") ? s : nullptr;
}

UiScene* SceneTest::Running(int number, const kelvdata::SceneFile& file) {
  UiScene* s = Load(number, file);
  if (!s) return nullptr;
  s->RenderScene();
  platform::AdvanceTime(150);
  s->RenderScene();
  return s->GetState() == 2 ? s : nullptr;
}

void SceneTest::Frame(UiScene* s, unsigned ms) {
  platform::AdvanceTime(ms);
  s->RenderScene();
}

kelvdata::SceneFile SceneTest::Plain() {
  kelvdata::SceneFile f;
  f.background = "DATA\\UI\\B.PIC";
  f.fonts = {"DATA\\UI\\KF.FNT", "DATA\\UI\\KF.FNT", "DATA\\UI\\KF.FNT"};
  f.lists[kelvdata::SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\T.STX", 320.0f, 20.0f)};
  f.focusList = "DATA\\UI\\NONE.FLT";
  return f;
}

kelvdata::SceneFile SceneTest::KeyedScene() {
  kelvdata::SceneFile f;
  f.background = "DATA\\UI\\B.PIC";
  f.fonts = {"DATA\\UI\\KF.FNT", "DATA\\UI\\KF.FNT", "DATA\\UI\\KF.FNT"};
  f.lists[kelvdata::SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\KB.BTN", 40.0f, 40.0f, 100.0f, 30.0f),
                                      WidgetAt("DATA\\UI\\KB.BTN", 40.0f, 90.0f, 100.0f, 30.0f)};
  f.lists[kelvdata::SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\E.EDT", 200.0f, 40.0f)};
  f.lists[kelvdata::SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\T.STX", 320.0f, 20.0f)};
  f.lists[kelvdata::SCENE_CHOOSERS] = {WidgetAt("DATA\\UI\\KC.CHO", 0.0f, 0.0f)};
  f.lists[kelvdata::SCENE_PROGRESS_BARS] = {WidgetAt("DATA\\UI\\KP.PRB", 300.0f, 200.0f, 100.0f, 10.0f)};
  f.lists[kelvdata::SCENE_SLIDERS] = {WidgetAt("DATA\\UI\\S.SLD", 40.0f, 300.0f)};
  f.lists[kelvdata::SCENE_PANELS] = {WidgetAt("DATA\\UI\\KN.OSP", 12.0f, 20.0f, 64.0f, 64.0f)};
  kelvdata::SceneObjectEntry box;
  box.kind = 3;
  box.path = "DATA\\UI\\BOX.ACT";
  kelvdata::SceneObjectEntry button;
  button.kind = 4;
  button.path = "DATA\\UI\\B.BTN";
  kelvdata::SceneObjectEntry bar;
  bar.kind = 10;
  bar.path = "DATA\\UI\\P.PRB";
  f.objects = {box, button, bar};
  f.actions = {{54, 1, 0, "NULL"}};
  f.focusList = "DATA\\UI\\K.FLT";
  return f;
}

}  // namespace kelvtest
