// Seeds of the dialog fuzz target: the first byte picks which file of a
// small dialog the rest replaces (0 the dialog, 1 a button, 2 a chooser,
// 3 a progress bar, 4 a slider); the other files stay as written here.
#include "tools/object_samples.h"
#include "tools/scene_build.h"
#include "tools/seeds.h"
#include "tools/tdb.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

ButtonFile FuzzButton() {
  ButtonFile b;
  b.textures[0] = b.textures[1] = b.textures[2] = "DATA\\UI\\FUZZ.TEX";
  b.position[0] = 20.0f;
  b.position[1] = 30.0f;
  b.size[0] = 60.0f;
  b.size[1] = 20.0f;
  b.hasTooltip = 1;
  b.tooltipLines = {1, 2};
  b.hasCaption = 1;
  b.caption.hasText = 1;
  b.caption.textId = 1;
  b.sounds = {{0, "SOUNDS\\FUZZ.SFX"}, {1, "SOUNDS\\FUZZ.SFX"}};
  b.actions = {{5, 1, 0, "NULL"}};
  return b;
}

ChooserFile FuzzChooser(int items, std::uint16_t pageSize, bool panels) {
  ChooserFile c;
  c.panelItems = panels ? 1 : 0;
  c.pageSize = pageSize;
  c.wrap = 1;
  c.hasBackground = 1;
  c.background = "DATA\\UI\\BOX.ACT";
  for (int i = 0; i < items; ++i) {
    ChooserItemEntry item;
    item.path = panels ? "DATA\\UI\\BACK.OSP" : "DATA\\UI\\BOX.ACT";
    item.position[0] = static_cast<float>(i % 8) * 20.0f;
    c.items.push_back(item);
  }
  return c;
}

SliderFile FuzzSlider(int items) {
  SliderFile s;
  for (int i = 0; i < items; ++i) s.items.push_back(static_cast<std::uint32_t>(857 + i % 12));
  s.box[0] = 10.0f;
  s.box[1] = 100.0f;
  s.box[2] = 210.0f;
  s.box[3] = 120.0f;
  s.track = FuzzButton();
  s.thumb = FuzzButton();
  s.thumb.hasTooltip = 0;
  s.caption.hasText = 1;
  s.valueLabel.hasText = 1;
  s.settingId = 38;
  return s;
}

ProgressBarFile FuzzBar(bool screen) {
  ProgressBarFile p;
  p.texture = "DATA\\UI\\FUZZ.TEX";
  p.screenBar = screen ? 1 : 0;
  p.animated = screen ? 0 : 1;
  p.animation = "DATA\\UI\\FUZZ.ANM";
  p.value = 70;
  return p;
}

DialogFile FuzzDialog() {
  DialogFile d;
  d.box[0] = 50.0f;
  d.box[1] = 60.0f;
  d.lists[DIALOG_BUTTONS] = {DialogEntryAt("DATA\\UI\\B.BTN", 60.0f, 70.0f, 60.0f, 20.0f),
                             DialogEntryAt("DATA\\UI\\B.BTN", 140.0f, 70.0f, 60.0f, 20.0f)};
  d.lists[DIALOG_EDIT_TEXTS] = {DialogEntryAt("DATA\\UI\\E.EDT", 60.0f, 100.0f)};
  d.lists[DIALOG_STATIC_TEXTS] = {DialogEntryAt("DATA\\UI\\T.STX", 60.0f, 40.0f)};
  d.lists[DIALOG_CHOOSERS] = {DialogEntryAt("DATA\\UI\\C.CHO", 0.0f, 0.0f)};
  d.lists[DIALOG_PROGRESS_BARS] = {DialogEntryAt("DATA\\UI\\P.PRB", 60.0f, 130.0f, 100.0f, 8.0f)};
  d.lists[DIALOG_SLIDERS] = {DialogEntryAt("DATA\\UI\\S.SLD", 60.0f, 150.0f)};
  d.lists[DIALOG_OBJECTS] = {DialogEntryAt("DATA\\UI\\BOX.ACT", 0.0f, 0.0f)};
  d.lists[DIALOG_PANELS] = {DialogEntryAt("DATA\\UI\\BACK.OSP", 50.0f, 60.0f, 200.0f, 100.0f)};
  return d;
}

Bytes Tagged(std::uint8_t file, const Bytes& bytes) {
  Bytes b{file};
  b.insert(b.end(), bytes.begin(), bytes.end());
  return b;
}

}  // namespace

std::vector<BbfMember> DialogFuzzMembers() {
  StaticTextBody label;
  label.hasText = 1;
  label.textId = 1;
  PanelFile panel;
  panel.texture = "DATA\\UI\\FUZZ.TEX";
  panel.blend = 1;
  std::vector<BbfMember> members = {
      {"D.DLG", BuildDialog(FuzzDialog())},
      {"B.BTN", BuildButton(FuzzButton())},
      {"C.CHO", BuildChooser(FuzzChooser(6, 2, true))},
      {"P.PRB", BuildProgressBar(FuzzBar(true))},
      {"S.SLD", BuildSlider(FuzzSlider(5))},
      {"E.EDT", BuildEditText(10, label)},
      {"T.STX", BuildStaticTextBody(label)},
      {"NAME.STX", BuildStaticTextBody(StaticTextBody())},
      {"TIPBACK.OSP", BuildOsp(panel)},
      {"BACK.OSP", BuildOsp(panel)},
      {"FUZZ.TEX", BuildTex(32, 32, [](int x, int y) {
         return Rgb{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 90};
       })},
      {"FUZZ.ANM", BuildMeshAnimationFile(SampleSpin(2, 8))},
  };
  std::vector<std::string> texts;
  for (int i = 0; i < 890; ++i) texts.push_back(i % 2 ? "Label" : "Longer label text");
  members.push_back({"TEXTS.TDB", BuildTdb(texts)});
  for (BbfMember& m : DataSetObjectMembers()) members.push_back(std::move(m));
  return members;
}

bool WriteDialogSeeds(const std::string& dir) {
  DialogFile crowded = FuzzDialog();
  // The largest lists the reader takes.
  for (int i = 0; i < 256; ++i) crowded.lists[DIALOG_PANELS].push_back(DialogEntryAt("DATA\\UI\\BACK.OSP", 1.0f * i, 2.0f));
  DialogFile empty;
  ButtonFile toggle = FuzzButton();
  toggle.toggle = 1;
  toggle.radio = 1;
  toggle.offLabel.hasText = 1;
  toggle.onLabel.hasText = 1;
  return WriteHostFiles(dir, {
                                 {"dialog.dlg", Tagged(0, BuildDialog(FuzzDialog()))},
                                 {"crowded.dlg", Tagged(0, BuildDialog(crowded))},
                                 {"empty.dlg", Tagged(0, BuildDialog(empty))},
                                 {"button.btn", Tagged(1, BuildButton(FuzzButton()))},
                                 {"toggle.btn", Tagged(1, BuildButton(toggle))},
                                 {"panels.cho", Tagged(2, BuildChooser(FuzzChooser(6, 2, true)))},
                                 {"objects.cho", Tagged(2, BuildChooser(FuzzChooser(5, 2, false)))},
                                 {"long.cho", Tagged(2, BuildChooser(FuzzChooser(800, 64, true)))},
                                 {"screen.prb", Tagged(3, BuildProgressBar(FuzzBar(true)))},
                                 {"mesh.prb", Tagged(3, BuildProgressBar(FuzzBar(false)))},
                                 {"slider.sld", Tagged(4, BuildSlider(FuzzSlider(5)))},
                                 {"long.sld", Tagged(4, BuildSlider(FuzzSlider(1024)))},
                             });
}

}  // namespace kelvdata
