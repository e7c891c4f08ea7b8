#include "setup/page_d3d.h"

#include "engine/system.h"
#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/settings.h"

DisplayDriverInfo g_DisplayDrivers[MAX_DISPLAY_DRIVERS] = {};
std::uint32_t g_DisplayDriverCount = 0;
std::uint32_t g_ChosenDriver = 0;
std::uint32_t g_ChosenDevice = 0;
std::uint32_t g_ChosenMode = 0;

namespace {

constexpr int kLabels[10] = {1038, 1041, 1039, 1040, 1043, 1044, 1045, 1046, 1042, 1047};

DialogTemplate Template138() {
  DialogTemplate t;
  t.resource = 138;
  t.caption = "Direct3D Settings";
  using K = ControlKind;
  t.controls = {
      {1038, K::STATIC, 45, 45, 37, 8, "3D Device:"},
      {1000, K::COMBOBOX, 45, 55, 113, 75, ""},
      {1003, K::COMBOBOX, 165, 55, 125, 75, ""},
      {1041, K::STATIC, 45, 75, 36, 8, "Resolution:"},
      {1033, K::COMBOBOX, 110, 75, 80, 60, ""},
      {1039, K::STATIC, 45, 94, 61, 17, "Render\nQuality:"},
      {1027, K::COMBOBOX, 110, 95, 80, 60, ""},
      {1040, K::STATIC, 45, 115, 32, 8, "Shadows:"},
      {1029, K::COMBOBOX, 110, 115, 80, 60, ""},
      {1043, K::STATIC, 195, 75, 27, 8, "Filtering:"},
      {1031, K::CHECKBOX, 280, 75, 8, 8, ""},
      {1044, K::STATIC, 195, 90, 57, 8, "Persp. Correction:"},
      {1028, K::CHECKBOX, 280, 90, 8, 8, ""},
      {1045, K::STATIC, 195, 105, 36, 8, "Lens Flare:"},
      {1030, K::CHECKBOX, 280, 105, 8, 8, ""},
      {1046, K::STATIC, 195, 120, 37, 8, "Particle FX:"},
      {1034, K::CHECKBOX, 280, 120, 8, 8, ""},
      {1042, K::STATIC, 45, 140, 48, 8, "Sound Device:"},
      {1001, K::COMBOBOX, 45, 155, 108, 75, ""},
      {1047, K::STATIC, 165, 140, 44, 8, "Input Device:"},
      {1002, K::COMBOBOX, 165, 155, 125, 75, ""},
      {1023, K::COMBOBOX, 210, 175, 80, 60, ""},
      {1021, K::BUTTON, 45, 175, 75, 20, "Run Control Panel"},
      {1022, K::BUTTON, 125, 175, 80, 20, "Refresh Device List"},
  };
  return t;
}

bool RendersAt(const Direct3DDeviceInfo& device, std::uint32_t bits) {
  const DWORD depths = device.desc.dwDeviceRenderBitDepth;
  switch (bits) {
    case 16: return (depths & DDBD_16) != 0;
    case 24: return (depths & DDBD_24) != 0;
    case 32: return (depths & DDBD_32) != 0;
    default: return bits != 8;
  }
}

}  // namespace

CD3DPage::CD3DPage() : CDisplayPage(Template138()) {}

BOOL CD3DPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  picture_.Create(SETUP_BACKGROUND_BITMAP, GetClientRect(), this);
  picture_.Control()->ShowWindow(true);
  SetCaptions(CAPTIONS_D3D, kLabels, 10);
  Combo(1027).ResetContent();
  Combo(1027).AddString("Flat");
  Combo(1027).AddString("Gouraud");
  if (Combo(1000).GetCount() > 0) return TRUE;

  // Drivers, then each driver's modes and devices: the game's own pass.
  const DisplayEnumerationTarget target{g_DisplayDrivers, &g_DisplayDriverCount, &g_ChosenDriver, &g_ChosenDevice};
  if (!EnumerateDisplayHardware(target)) return FALSE;
  enumerated_ = true;
  if (!EnumerateInputAndSound()) return FALSE;
  DWORD value = 0;
  // A stored driver beyond those found counts as the last one from the start.
  if (ReadRegistryDword("DDDriver", &value) && value < g_DisplayDriverCount) {
    g_ChosenDriver = value;
  } else {
    g_ChosenDriver = g_DisplayDriverCount - 1;
    g_ChosenDevice = g_DisplayDrivers[g_ChosenDriver].deviceCount - 1;
  }
  if (ReadRegistryDword("3DDevice", &value)) g_ChosenDevice = value;
  else g_ChosenDevice = g_DisplayDrivers[g_ChosenDriver].deviceCount - 1;
  FillDeviceLists();
  if (Sheet()->Ended()) return TRUE;
  SaveSettings();
  return TRUE;
}

void CD3DPage::FillDeviceLists() {
  SetupSettings& s = g_SetupSettings;
  const int lists[3] = {1000, 1003, 1033};
  for (int id : lists) Combo(id).ResetContent();
  if (g_DisplayDriverCount > 0) {
    if (g_ChosenDriver >= g_DisplayDriverCount) {
      g_ChosenDriver = g_DisplayDriverCount - 1;
      g_ChosenDevice = g_DisplayDrivers[g_ChosenDriver].deviceCount - 1;
    }
    const DisplayDriverInfo& driver = g_DisplayDrivers[g_ChosenDriver];
    if (driver.deviceCount > 0 && g_ChosenDevice >= driver.deviceCount) g_ChosenDevice = driver.deviceCount - 1;
    for (std::uint32_t i = 0; i < g_DisplayDriverCount; ++i) {
      const int at = Combo(1000).AddString(g_DisplayDrivers[i].description);
      Combo(1000).SetItemData(at, static_cast<LPARAM>(i));
    }
    Combo(1000).SetCurSel(static_cast<int>(g_ChosenDriver));
    for (std::uint32_t i = 0; i < driver.deviceCount; ++i) {
      const int at = Combo(1003).AddString(driver.devices[i].name);
      Combo(1003).SetItemData(at, static_cast<LPARAM>(i));
    }
    Combo(1003).SetCurSel(static_cast<int>(g_ChosenDevice));
    bool selected = false;
    if (g_ChosenDevice < driver.deviceCount) {
      const Direct3DDeviceInfo& device = driver.devices[g_ChosenDevice];
      for (std::uint32_t m = 0; m < driver.modeCount && m < MAX_DISPLAY_MODES; ++m) {
        const DisplayModeInfo& mode = driver.modes[m];
        if (!RendersAt(device, mode.bitsPerPixel) || mode.bitsPerPixel == 8) continue;
        if (mode.width * 3 != mode.height * 4) continue;
        if (mode.width != 640 && mode.width != 800 && mode.width != 1024) continue;
        const int at = Combo(1033).AddString(mode.label);
        Combo(1033).SetItemData(at, static_cast<LPARAM>(m));
        if (mode.width == s.GameWidth && mode.height == s.GameHeight && mode.bitsPerPixel == s.GameBPP) {
          Combo(1033).SetCurSel(at);
          g_ChosenMode = m;
          selected = true;
        }
      }
    }
    if (!selected && Combo(1033).GetCount() > 0) {
      Combo(1033).SetCurSel(0);
      g_ChosenMode = static_cast<std::uint32_t>(Combo(1033).GetItemData(0));
      selected = true;
    }
    // With no offered mode the stored size stays as it was.
    if (selected) {
      const DisplayModeInfo& mode = driver.modes[g_ChosenMode];
      s.GameWidth = mode.width;
      s.GameHeight = mode.height;
      s.GameBPP = mode.bitsPerPixel;
    }
  }
  FillSharedLists();
  Combo(1027).SetCurSel(static_cast<int>(s.RenderQuality));
  Button(1031).SetCheck(s.Filtering ? BST_CHECKED : BST_UNCHECKED);
  Button(1028).SetCheck(s.PerspectiveCorrection ? BST_CHECKED : BST_UNCHECKED);
  TakeInputKind();
}

bool CD3DPage::SaveSettings() {
  const SetupSettings& s = g_SetupSettings;
  WriteRegistryDword("DDDriver", g_ChosenDriver);
  WriteRegistryDword("3DDevice", g_ChosenDevice);
  WriteRegistryDword("GameWidth", s.GameWidth);
  WriteRegistryDword("GameHeight", s.GameHeight);
  WriteRegistryDword("GameBPP", s.GameBPP);
  WriteRegistryDword("ViewWidth", s.ViewWidth);
  WriteRegistryDword("DIDevice", s.DIDevice);
  WriteRegistryDword("InputDevice", s.KeyboardChosen ? 0 : 1);
  WriteRegistryDword("FFGainLevel", s.FFGainLevel);
  WriteRegistryDword("SoundDevice", s.SoundDevice);
  WriteRegistryDword("Filtering", s.Filtering);
  WriteRegistryDword("PerspectiveCorrection", s.PerspectiveCorrection);
  WriteRegistryDword("Shadows", s.Shadows);
  WriteRegistryDword("RenderQuality", s.RenderQuality);
  WriteRegistryDword("Lensflare", s.Lensflare);
  WriteRegistryDword("Particle", s.Particle);
  WriteRegistryDword("SetupState", 1);
  return true;
}

BOOL CD3DPage::OnApply() {
  // Without tables (a failed enumeration) nothing describes the display.
  if (enumerated_) SaveSettings();
  CPropertyPage::OnApply();
  return TRUE;
}

void CD3DPage::OnCommand(int id, WORD code) {
  if (OnSharedCommand(id, code) || code != CBN_SELCHANGE) return;
  SetupSettings& s = g_SetupSettings;
  const auto data = [&]() { return static_cast<std::uint32_t>(Combo(id).GetItemData(Combo(id).GetCurSel())); };
  switch (id) {
    case 1000:
      if (data() != g_ChosenDriver) {
        g_ChosenDriver = data();
        FillDeviceLists();
        SetModified(TRUE);
      }
      break;
    case 1003:
      if (data() != g_ChosenDevice) {
        g_ChosenDevice = data();
        FillDeviceLists();
        SetModified(TRUE);
      }
      break;
    case 1033:
      if (data() != g_ChosenMode && data() < g_DisplayDrivers[g_ChosenDriver].modeCount) {
        g_ChosenMode = data();
        const DisplayModeInfo& mode = g_DisplayDrivers[g_ChosenDriver].modes[g_ChosenMode];
        s.GameWidth = mode.width;
        s.GameHeight = mode.height;
        s.GameBPP = mode.bitsPerPixel;
        s.ViewWidth = s.GameWidth - 1;
        FillDeviceLists();
        SetModified(TRUE);
      }
      break;
    case 1027: {
      const std::uint8_t quality = Combo(1027).GetCurSel() == 1 ? 1 : 0;
      if (quality != s.RenderQuality) {
        s.RenderQuality = quality;
        SetModified(TRUE);
      }
      break;
    }
    default: break;
  }
}
