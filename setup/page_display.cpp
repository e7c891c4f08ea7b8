#include "setup/page_display.h"

#include "engine/system.h"
#include "setup/devices.h"
#include "setup/settings.h"
#include "setup/sheet.h"

namespace {

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

CDisplayPage::~CDisplayPage() { ReleaseSetupInput(); }

void CDisplayPage::Abort() {
  AfxMessageBox("An error occurred while inizializing! Program aborted.");
  PostQuitMessage();
}

void CDisplayPage::SetCaptions(CaptionTable table, const int* labels, int labelCount) {
  const int shadowEntry = labelCount + 2;
  const std::uint32_t language = g_SetupSettings.Language;
  if (language == LANGUAGE_RUSSIAN && Static(labels[0]).GetFont().lfCharSet != RUSSIAN_CHARSET) {
    const CFont* font = RussianFontFrom(Static(labels[0]).GetFont());
    for (int i = 0; i < labelCount; ++i) Static(labels[i]).SetFont(font);
    Button(1021).SetFont(font);
    Button(1022).SetFont(font);
  }
  for (int i = 0; i < labelCount; ++i) Static(labels[i]).SetWindowText(Caption(table, language, i));
  Button(1021).SetWindowText(Caption(table, language, labelCount));
  Button(1022).SetWindowText(Caption(table, language, labelCount + 1));
  for (int i = 0; i < labelCount; ++i) FitLabelToCaption(&Static(labels[i]));
  Combo(1029).ResetContent();
  for (int e = shadowEntry; e < shadowEntry + 4; ++e) Combo(1029).AddString(Caption(table, language, e));
  Combo(1023).ResetContent();
  for (int e = shadowEntry + 4; e < shadowEntry + 7; ++e) Combo(1023).AddString(Caption(table, language, e));
}

bool CDisplayPage::EnumerateInputAndSound() {
  if (!EnumInputDevices()) {
    AfxMessageBox("Directinput device enumeration error!");
    Abort();
    return false;
  }
  if (!EnumSoundDevices()) {
    AfxMessageBox("Directsound device enumeration error!");
    Abort();
    return false;
  }
  return true;
}

void CDisplayPage::FillSharedLists() {
  SetupSettings& s = g_SetupSettings;
  CComboBox& input = Combo(1002);
  CComboBox& sound = Combo(1001);
  input.ResetContent();
  sound.ResetContent();
  for (std::uint32_t i = 0; i < g_SetupInputDeviceCount; ++i) input.AddString(g_SetupInputDevices[i].productName);
  if (g_SetupInputDeviceCount == 0) input.AddString("Input device not available");
  if (s.DIDevice >= g_SetupInputDeviceCount) s.DIDevice = 0;
  for (std::uint32_t i = 0; i < g_SetupSoundDeviceCount; ++i) sound.AddString(g_SetupSoundDevices[i].description);
  if (g_SetupSoundDeviceCount == 0) sound.AddString("Sound device not available");
  if (s.SoundDevice >= g_SetupSoundDeviceCount) s.SoundDevice = 0;
  input.SetCurSel(static_cast<int>(s.DIDevice));
  sound.SetCurSel(static_cast<int>(s.SoundDevice));
  Combo(1023).SetCurSel(static_cast<int>(s.FFGainLevel));
  Combo(1029).SetCurSel(static_cast<int>(s.Shadows));
  Button(1030).SetCheck(s.Lensflare ? BST_CHECKED : BST_UNCHECKED);
  Button(1034).SetCheck(s.Particle ? BST_CHECKED : BST_UNCHECKED);
}

bool CDisplayPage::TakeInputKind() {
  SetupSettings& s = g_SetupSettings;
  if (!ChosenDeviceIsJoystick()) {
    s.KeyboardChosen = 1;
    Combo(1023).EnableWindow(FALSE);
    return true;
  }
  s.KeyboardChosen = 0;
  if (!CreateInputDevice()) {
    AfxMessageBox("Directinput device creation error! Program aborted.");
    PostQuitMessage();
    return false;
  }
  Combo(1023).EnableWindow(HasForceFeedback() ? TRUE : FALSE);
  return true;
}

void CDisplayPage::OnSelchangeInputDevice() {
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
    Combo(1023).EnableWindow(HasForceFeedback() ? TRUE : FALSE);
    CheckBindingValues(g_JoyBindingValueNames, &s.JoyBindingsMissing);
  }
  s.InputDeviceChanged = 1;
}

void CDisplayPage::TakeSelection(int id, std::uint32_t* field) {
  const int selection = Combo(id).GetCurSel();
  if (selection < 0 || static_cast<std::uint32_t>(selection) == *field) return;
  SetModified(TRUE);
  *field = static_cast<std::uint32_t>(selection);
}

void CDisplayPage::TakeCheck(int id, std::uint8_t* field) {
  *field = Button(id).GetCheck() == BST_CHECKED ? 1 : 0;
  SetModified(TRUE);
}

bool CDisplayPage::OnSharedCommand(int id, WORD code) {
  SetupSettings& s = g_SetupSettings;
  if (code == CBN_SELCHANGE) {
    switch (id) {
      case 1001: TakeSelection(id, &s.SoundDevice); return true;
      case 1023: TakeSelection(id, &s.FFGainLevel); return true;
      case 1029: TakeSelection(id, &s.Shadows); return true;
      case 1002: OnSelchangeInputDevice(); return true;
      default: return false;
    }
  }
  if (code == BN_CLICKED) {
    switch (id) {
      case 1030: TakeCheck(id, &s.Lensflare); return true;
      case 1034: TakeCheck(id, &s.Particle); return true;
      case 1021:
        if (g_SetupDirectInput != nullptr) g_SetupDirectInput->RunControlPanel(nullptr, 0);
        return true;
      case 1022:
        if (!EnumInputDevices()) {
          AfxMessageBox("An error occurred getting input devices!");
          return true;
        }
        FillDeviceLists();
        return true;
      default: return false;
    }
  }
  return false;
}
