#include "setup/page_3dfx.h"

#include <cstring>

#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/settings.h"
#include "engine/system.h"

namespace {

constexpr int kLabels[8] = {1038, 1041, 1055, 1040, 1045, 1046, 1042, 1047};
// The resolutions list's entries, as many as the board's memory allows.
constexpr std::uint32_t kSizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};

DialogTemplate Template131() {
  DialogTemplate t;
  t.resource = 131;
  t.caption = "3Dfx Settings";
  using K = ControlKind;
  t.controls = {
      {1038, K::STATIC, 35, 47, 37, 8, "3D Device:"},
      {1013, K::COMBOBOX, 35, 62, 255, 30, ""},
      {1055, K::STATIC, 35, 82, 34, 8, "Glide Ver.:"},
      {1024, K::COMBOBOX, 110, 82, 80, 60, ""},
      {1045, K::STATIC, 220, 82, 36, 8, "Lens Flare:"},
      {1030, K::CHECKBOX, 280, 82, 8, 8, ""},
      {1041, K::STATIC, 35, 97, 36, 8, "Resolution:"},
      {1025, K::COMBOBOX, 110, 97, 80, 60, ""},
      {1046, K::STATIC, 220, 97, 37, 8, "Particle FX:"},
      {1034, K::CHECKBOX, 280, 97, 8, 8, ""},
      {1040, K::STATIC, 35, 112, 32, 8, "Shadows:"},
      {1029, K::COMBOBOX, 110, 112, 80, 60, ""},
      {1042, K::STATIC, 35, 130, 48, 8, "Sound Device:"},
      {1001, K::COMBOBOX, 35, 141, 120, 75, ""},
      {1047, K::STATIC, 165, 130, 44, 8, "Input Device:"},
      {1002, K::COMBOBOX, 165, 141, 125, 75, ""},
      {1023, K::COMBOBOX, 210, 160, 80, 60, ""},
      {1021, K::BUTTON, 35, 160, 80, 20, "Run Control Panel"},
      {1022, K::BUTTON, 125, 160, 80, 20, "Refresh Device List"},
  };
  return t;
}

}  // namespace

C3DfxPage::C3DfxPage() : CDisplayPage(Template131()) {
  std::strcpy(g_GlideHardwareName, "NOHW");
  g_GlideVersionText[0] = '\0';
}

BOOL C3DfxPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  picture_.Create(SETUP_BACKGROUND_BITMAP, GetClientRect(), this);
  picture_.Control()->ShowWindow(true);
  SetCaptions(CAPTIONS_3DFX, kLabels, 8);
  if (!CheckGlide(true)) {
    Abort();
    return TRUE;
  }
  if (!EnumerateInputAndSound()) return TRUE;
  FillDeviceLists();
  if (Sheet()->Ended()) return TRUE;
  SaveSettings();
  return TRUE;
}

void C3DfxPage::FillDeviceLists() {
  SetupSettings& s = g_SetupSettings;
  CComboBox& glide = Combo(1024);
  glide.ResetContent();
  if (g_GlideVersionText[0] != '\0') glide.AddString(g_GlideVersionText);
  FillSharedLists();

  CComboBox& resolution = Combo(1025);
  resolution.ResetContent();
  resolution.AddString("640 x 480 x 16");
  if (g_GlideMemory > 2) resolution.AddString("800 x 600 x 16");
  if (g_GlideMemory > 4) resolution.AddString("1024 x 768 x 16");

  Combo(1013).SetCurSel(0);
  glide.SetCurSel(static_cast<int>(s.GlideVer));

  int selected = 0;
  if (s.GameWidth == 800 && resolution.GetCount() >= 2) selected = 1;
  if (s.GameWidth == 1024 && resolution.GetCount() >= 3) selected = 2;
  resolution.SetCurSel(selected);
  s.GameWidth = kSizes[selected][0];
  s.GameHeight = kSizes[selected][1];

  TakeInputKind();
}

bool C3DfxPage::SaveSettings() {
  const SetupSettings& s = g_SetupSettings;
  WriteRegistryDword("3DDevice", s.Device3D);
  WriteRegistryDword("GameWidth", s.GameWidth);
  WriteRegistryDword("GameHeight", s.GameHeight);
  WriteRegistryDword("ViewWidth", s.ViewWidth);
  WriteRegistryDword("GlideVer", s.GlideVer);
  WriteRegistryDword("DIDevice", s.DIDevice);
  WriteRegistryDword("InputDevice", s.KeyboardChosen ? 0 : 1);
  WriteRegistryDword("SoundDevice", s.SoundDevice);
  WriteRegistryDword("FFGainLevel", s.FFGainLevel);
  WriteRegistryDword("Shadows", s.Shadows);
  WriteRegistryDword("Lensflare", s.Lensflare);
  WriteRegistryDword("Particle", s.Particle);
  WriteRegistryDword("SetupState", 1);
  return true;
}

BOOL C3DfxPage::OnApply() {
  SaveSettings();
  CPropertyPage::OnApply();
  return TRUE;
}

void C3DfxPage::OnCommand(int id, WORD code) {
  if (OnSharedCommand(id, code) || code != CBN_SELCHANGE) return;
  SetupSettings& s = g_SetupSettings;
  switch (id) {
    case 1013: TakeSelection(id, &s.Device3D); break;
    case 1024: TakeSelection(id, &s.GlideVer); break;
    case 1025: {
      const int selection = Combo(1025).GetCurSel();
      if (selection < 0 || selection > 2 || kSizes[selection][0] == s.GameWidth) break;
      SetModified(TRUE);
      s.GameWidth = kSizes[selection][0];
      s.GameHeight = kSizes[selection][1];
      s.ViewWidth = s.GameWidth - 1;
      break;
    }
    default: break;
  }
}
