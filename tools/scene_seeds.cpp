// Seeds of the UI scene reader and the focus-list reader, and the archive
// members that the scene seeds name.
#include <algorithm>
#include <cstdio>

#include "tools/dataset.h"
#include "tools/scene_build.h"
#include "tools/scene_files.h"
#include "tools/seeds.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

// A scene of every widget kind and every typed object kind.
SceneFile FullScene() {
  SceneFile s;
  s.background = "DATA\\UI\\B.PIC";
  s.fonts = {"DATA\\UI\\F.FNT", "DATA\\UI\\F.FNT", "DATA\\UI\\F.FNT"};
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\B.BTN", 40.0f, 40.0f, 100.0f, 30.0f),
                            WidgetAt("DATA\\UI\\B.BTN", 40.0f, 90.0f, 100.0f, 30.0f)};
  s.lists[SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\E.EDT", 200.0f, 40.0f)};
  s.lists[SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\T.STX", 320.0f, 20.0f)};
  s.lists[SCENE_CHOOSERS] = {WidgetAt("DATA\\UI\\C.CHO", 0.0f, 0.0f)};
  s.lists[SCENE_PROGRESS_BARS] = {WidgetAt("DATA\\UI\\P.PRB", 300.0f, 200.0f, 100.0f, 10.0f)};
  s.lists[SCENE_SLIDERS] = {WidgetAt("DATA\\UI\\S.SLD", 40.0f, 300.0f)};
  s.lists[SCENE_PANELS] = {WidgetAt("DATA\\UI\\BACK.OSP", 0.0f, 0.0f, 64.0f, 64.0f)};
  SceneObjectEntry box;
  box.kind = 3;
  box.path = "DATA\\UI\\BOX.ACT";
  SceneObjectEntry button;
  button.kind = 4;
  button.path = "DATA\\UI\\B.BTN";
  SceneObjectEntry bar;
  bar.kind = 10;
  bar.path = "DATA\\UI\\P.PRB";
  s.objects = {box, button, bar};
  s.actions = {{54, 1, 0, "NULL"}, {14, 0, 0, "NULL"}, {26, 0, 0, "TEXT"}};
  s.focusList = "DATA\\UI\\00.FLT";
  return s;
}

Bytes WithScene(std::uint8_t scene, const Bytes& file) {
  Bytes b(file.size() + 1);
  b[0] = scene;
  std::copy(file.begin(), file.end(), b.begin() + 1);
  return b;
}

}  // namespace

std::vector<BbfMember> SceneFuzzMembers() {
  std::vector<BbfMember> members = DialogFuzzMembers();
  FontFile font;
  for (int c = 32; c < 127; ++c) {
    font.glyphs[c].left = static_cast<float>(c - 32) / 128.0f;
    font.glyphs[c].right = font.glyphs[c].left + 1.0f / 128.0f;
    font.glyphs[c].bottom = 1.0f / 16.0f;
  }
  font.texture = "DATA\\UI\\FUZZ.TEX";
  members.push_back({"F.FNT", BuildFnt(font)});
  members.push_back({"B.PIC", BuildBackground(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255})});
  members.push_back({"00.FLT", BuildFlt({{4, 0}, {7, 0}, {13, 0}, {4, 1}})});
  for (const char* name : {"03.FLT", "31.FLT", "032.FLT", "15.FLT"}) members.push_back({name, BuildFlt({{4, 1}})});
  Bytes dialog;
  for (const BbfMember& m : members) {
    if (m.name == "D.DLG") dialog = m.data;
  }
  for (int n = 1; n <= 16; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "DIALOG%02d.DLG", n);
    members.push_back({name, dialog});
  }
  return members;
}

bool WriteSceneSeeds(const std::string& dir) {
  const Bytes full = BuildScene(FullScene());
  SceneFile plain;
  plain.background = "DATA\\UI\\B.PIC";
  plain.focusList = "DATA\\UI\\00.FLT";
  SceneFile unknownKind = FullScene();
  unknownKind.objects[0].kind = 7;
  SceneFile hugeCount = FullScene();
  hugeCount.listCounts[SCENE_PANELS] = 60000;
  Bytes truncated = full;
  truncated.resize(full.size() / 2);
  return WriteHostFiles(dir, {{"main_menu.scn", WithScene(0, full)},
                              {"save_screen.scn", WithScene(8, full)},
                              {"event_screen.scn", WithScene(4, full)},
                              {"credits.scn", WithScene(28, full)},
                              {"plain.scn", WithScene(1, BuildScene(plain))},
                              {"unknown_kind.scn", WithScene(0, BuildScene(unknownKind))},
                              {"huge_count.scn", WithScene(0, BuildScene(hugeCount))},
                              {"truncated.scn", WithScene(0, truncated)}});
}

bool WriteFltSeeds(const std::string& dir) {
  return WriteHostFiles(dir, {{"menu.flt", BuildFlt({{4, 0}, {4, 1}, {4, 2}})},
                              {"mixed.flt", BuildFlt({{4, 0}, {7, 0}, {13, 0}, {13, 1}, {4, 3}})},
                              {"empty.flt", BuildFlt({})},
                              {"out_of_range.flt", BuildFlt({{4, 900}, {13, 77}, {7, 65535}, {9, 0}})},
                              {"short.flt", BuildFlt({{4, 0}}, 40)}});
}

}  // namespace kelvdata
