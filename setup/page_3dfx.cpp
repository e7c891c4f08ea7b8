#include "setup/page_3dfx.h"

#include <cstring>

#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/settings.h"
#include "engine/system.h"

namespace {

constexpr int kLabels[8] = {1038, 1041, 1055, 1040, 1045, 1046, 1042, 1047};
constexpr int kLabelEntries[8] = {0, 1, 2, 3, 4, 5, 6, 7};

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

// The first of the six values of a kind that is missing sets its flag.
void CheckBindingValues(const char* const names[6], std::uint8_t* missing) {
  for (int i = 0; i < 6; ++i) {
    if (!RegistryValueExists(names[i])) {
      *missing = 1;
      return;
    }
  }
}

}  // namespace

C3DfxPage::C3DfxPage() : CPropertyPage(Template131()) {
  std::strcpy(g_GlideHardwareName, "NOHW");
  g_GlideVersionText[0] = '\0';
}

C3DfxPage::~C3DfxPage() { ReleaseSetupInput(); }

void C3DfxPage::Abort() {
  AfxMessageBox("An error occurred while inizializing! Program aborted.");
  PostQuitMessage();
}

BOOL C3DfxPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  picture_.Create(SETUP_BACKGROUND_BITMAP, GetClientRect(), this);
  picture_.Control()->ShowWindow(true);
  const std::uint32_t language = g_SetupSettings.Language;
  if (language == LANGUAGE_RUSSIAN && Static(1038).GetFont().lfCharSet != RUSSIAN_CHARSET) {
    const CFont* font = RussianFontFrom(Static(1038).GetFont());
    for (int id : kLabels) Static(id).SetFont(font);
    Button(1021).SetFont(font);
    Button(1022).SetFont(font);
  }
  for (int i = 0; i < 8; ++i) Static(kLabels[i]).SetWindowText(Caption(CAPTIONS_3DFX, language, kLabelEntries[i]));
  Button(1021).SetWindowText(Caption(CAPTIONS_3DFX, language, 8));
  Button(1022).SetWindowText(Caption(CAPTIONS_3DFX, language, 9));
  for (int id : kLabels) FitLabelToCaption(&Static(id));
  Combo(1029).ResetContent();
  for (int e = 10; e <= 13; ++e) Combo(1029).AddString(Caption(CAPTIONS_3DFX, language, e));
  Combo(1023).ResetContent();
  for (int e = 14; e <= 16; ++e) Combo(1023).AddString(Caption(CAPTIONS_3DFX, language, e));
  if (!CheckGlide(true)) {
    Abort();
    return TRUE;
  }
  if (!EnumInputDevices()) {
    AfxMessageBox("Directinput device enumeration error!");
    Abort();
    return TRUE;
  }
  if (!EnumSoundDevices()) {
    AfxMessageBox("Directsound device enumeration error!");
    Abort();
    return TRUE;
  }
  FillDeviceLists();
  if (Sheet()->Ended()) return TRUE;
  SaveSettings();
  return TRUE;
}

void C3DfxPage::UpdateForceFeedback() { Combo(1023).EnableWindow(HasForceFeedback() ? TRUE : FALSE); }

void C3DfxPage::FillDeviceLists() {
  SetupSettings& s = g_SetupSettings;
  CComboBox& input = Combo(1002);
  CComboBox& sound = Combo(1001);
  CComboBox& glide = Combo(1024);
  input.ResetContent();
  sound.ResetContent();
  glide.ResetContent();
  if (g_GlideVersionText[0] != '\0') glide.AddString(g_GlideVersionText);
  glide.SetCurSel(static_cast<int>(s.GlideVer));
  for (std::uint32_t i = 0; i < g_SetupInputDeviceCount; ++i) input.AddString(g_SetupInputDevices[i].productName);
  if (g_SetupInputDeviceCount == 0) input.AddString("Input device not available");
  for (std::uint32_t i = 0; i < g_SetupSoundDeviceCount; ++i) sound.AddString(g_SetupSoundDevices[i].description);
  if (g_SetupSoundDeviceCount == 0) sound.AddString("Sound device not available");

  CComboBox& resolution = Combo(1025);
  resolution.ResetContent();
  resolution.AddString("640 x 480 x 16");
  if (g_GlideMemory > 2) resolution.AddString("800 x 600 x 16");
  if (g_GlideMemory > 4) resolution.AddString("1024 x 768 x 16");

  Combo(1013).SetCurSel(0);
  if (s.DIDevice >= g_SetupInputDeviceCount) s.DIDevice = 0;
  input.SetCurSel(static_cast<int>(s.DIDevice));
  if (s.SoundDevice >= g_SetupSoundDeviceCount) s.SoundDevice = 0;
  sound.SetCurSel(static_cast<int>(s.SoundDevice));
  Combo(1023).SetCurSel(static_cast<int>(s.FFGainLevel));
  glide.SetCurSel(static_cast<int>(s.GlideVer));
  Combo(1029).SetCurSel(static_cast<int>(s.Shadows));
  Button(1030).SetCheck(s.Lensflare ? BST_CHECKED : BST_UNCHECKED);
  Button(1034).SetCheck(s.Particle ? BST_CHECKED : BST_UNCHECKED);

  int selected = 0;
  if (s.GameWidth == 800 && resolution.GetCount() >= 2) selected = 1;
  if (s.GameWidth == 1024 && resolution.GetCount() >= 3) selected = 2;
  static const std::uint32_t kSizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
  resolution.SetCurSel(selected);
  s.GameWidth = kSizes[selected][0];
  s.GameHeight = kSizes[selected][1];

  if (!ChosenDeviceIsJoystick()) {
    s.KeyboardChosen = 1;
    Combo(1023).EnableWindow(FALSE);
  } else {
    s.KeyboardChosen = 0;
    if (!CreateInputDevice()) {
      AfxMessageBox("Directinput device creation error! Program aborted.");
      PostQuitMessage();
      return;
    }
    UpdateForceFeedback();
  }
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

void C3DfxPage::OnSelchangeInputDevice() {
  SetupSettings& s = g_SetupSettings;
  const int selection = Combo(1002).GetCurSel();
  if (selection < 0 || static_cast<std::uint32_t>(selection) == s.DIDevice) return;
  SetModified(TRUE);
  s.DIDevice = static_cast<std::uint32_t>(selection);
  if (!CreateInputDevice()) {
    AfxMessageBox("Directinput device creation error! Program aborted.");
    PostQuitMessage();
    return;
  }
  if (!ChosenDeviceIsJoystick()) {
    s.KeyboardChosen = 1;
    Combo(1023).EnableWindow(FALSE);
    CheckBindingValues(g_KeyBindingValueNames, &s.KeyBindingsMissing);
  } else {
    s.KeyboardChosen = 0;
    UpdateForceFeedback();
    CheckBindingValues(g_JoyBindingValueNames, &s.JoyBindingsMissing);
  }
  s.InputDeviceChanged = 1;
}

void C3DfxPage::OnRefreshDeviceList() {
  if (!EnumInputDevices()) {
    AfxMessageBox("An error occurred getting input devices!");
    return;
  }
  FillDeviceLists();
}

void C3DfxPage::OnCommand(int id, WORD code) {
  SetupSettings& s = g_SetupSettings;
  // A list's new selection into its field; an unchanged one does nothing.
  const auto take = [&](std::uint32_t* field) {
    const int selection = Combo(id).GetCurSel();
    if (selection < 0 || static_cast<std::uint32_t>(selection) == *field) return;
    SetModified(TRUE);
    *field = static_cast<std::uint32_t>(selection);
  };
  const auto tick = [&](std::uint8_t* field) {
    *field = Button(id).GetCheck() == BST_CHECKED ? 1 : 0;
    SetModified(TRUE);
  };
  if (code == CBN_SELCHANGE) {
    switch (id) {
      case 1013: take(&s.Device3D); break;
      case 1001: take(&s.SoundDevice); break;
      case 1023: take(&s.FFGainLevel); break;
      case 1024: take(&s.GlideVer); break;
      case 1029: take(&s.Shadows); break;
      case 1002: OnSelchangeInputDevice(); break;
      case 1025: {
        static const std::uint32_t kSizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
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
  } else if (code == BN_CLICKED) {
    switch (id) {
      case 1030: tick(&s.Lensflare); break;
      case 1034: tick(&s.Particle); break;
      case 1021:
        if (g_SetupDirectInput != nullptr) g_SetupDirectInput->RunControlPanel(nullptr, 0);
        break;
      case 1022: OnRefreshDeviceList(); break;
      default: break;
    }
  }
}
