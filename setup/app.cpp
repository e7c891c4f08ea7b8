#include "setup/app.h"

#include <cstring>

#include "engine/system.h"
#include "platform/ddraw/directx_version.h"
#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/page_3dfx.h"
#include "setup/page_controls.h"
#include "setup/page_d3d.h"
#include "setup/settings.h"
#include "setup/sheet.h"

SetupApp g_SetupApp;

namespace {

constexpr const char* kAbortMessage = "An error occurred while inizializing! Program aborted.";

}  // namespace

void DetectDirectXVersion(DWORD* version) { *version = platform::InstalledDirectXVersion(); }

void ResetSetupState() {
  g_SetupSettings = SetupSettings{};
  g_SetupSheet = SetupSheet{};
  for (std::string& n : g_KeyBindingNames) n.clear();
  for (std::string& n : g_JoyBindingNames) n.clear();
  g_KeyboardObjectCount = 0;
  g_JoystickObjectCount = 0;
  g_ReservedKeyCount = 0;
  g_SetupInputDeviceCount = 0;
  g_SetupSoundDeviceCount = 0;
  g_DisplayDriverCount = 0;
  g_ChosenDriver = 0;
  g_ChosenDevice = 0;
  g_ChosenMode = 0;
  std::strcpy(g_GlideHardwareName, "NOHW");
  g_GlideVersionText[0] = '\0';
  g_GlideMemory = 0;
}

BOOL SetupApp::InitInstance() {
  CD3DPage d3dPage;
  C3DfxPage fxPage;
  ControlPage controlPage;
  g_SetupSheet.SetTitle("Kelvarro setup v 1.0");
  FillCaptionTables();
  aborted = true;

  SetupSettings& s = g_SetupSettings;
  DWORD version = 0;
  if (!ReadRegistryDword("Version", &version)) {
    AfxMessageBox("Registry information not found!\nPlease re-install Kelvarro from the CD.");
    AfxMessageBox(kAbortMessage);
    return FALSE;
  }
  s.Version = version;
  ReadSettings();
  fxPage.SetTitle(Caption(CAPTIONS_3DFX, s.Language, CAPTIONS_3DFX_ENTRIES - 1));
  d3dPage.SetTitle(Caption(CAPTIONS_D3D, s.Language, CAPTIONS_D3D_ENTRIES - 1));
  controlPage.SetTitle(Caption(CAPTIONS_CONTROLS, s.Language, CAPTIONS_CONTROLS_ENTRIES - 1));

  if (s.Version == 0) {
    DWORD directX = 0;
    DetectDirectXVersion(&directX);
    if (directX < 0x600) {
      AfxMessageBox("This program requires DirectX 6.0 or later!\nPlease install it from the CD.");
      return FALSE;
    }
    g_SetupSheet.AddPage(&d3dPage);
    g_SetupSheet.AddPage(&controlPage);
  } else if (s.Version == 1) {
    g_SetupSheet.AddPage(&fxPage);
    g_SetupSheet.AddPage(&controlPage);
    if (!fxPage.CheckGlide(false)) return FALSE;
  } else {
    AfxMessageBox("Registry information corrupted or invalid!\nPlease re-install Kelvarro from the CD.");
    AfxMessageBox(kAbortMessage);
    return FALSE;
  }
  g_SetupSheet.SetActivePage(0);
  if (!CreateDirectInput()) {
    AfxMessageBox("Directinput creation error!");
    AfxMessageBox(kAbortMessage);
    return FALSE;
  }
  aborted = false;
  g_SetupSheet.DoModal();
  // The pages go with this frame: the sheet must not keep pointing at them.
  g_SetupSheet = SetupSheet{};
  return FALSE;
}
