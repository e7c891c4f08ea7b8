// The Glide build's settings page: the board, its Glide version and the
// resolutions its memory allows, shadows, effects, sound and input devices.
#pragma once

#include <cstdint>

#include "platform/mfc/mfc.h"
#include "setup/page_display.h"
#include "setup/sheet.h"

// Board information from the detailed probe.
extern char g_GlideHardwareName[256];
extern char g_GlideVersionText[80];
extern std::int32_t g_GlideMemory;

class C3DfxPage : public CDisplayPage {
 public:
  C3DfxPage();

  BOOL OnInitDialog() override;
  BOOL OnApply() override;
  BOOL OnSetActive() override { return TRUE; }
  void OnCommand(int id, WORD code) override;

  void FillDeviceLists() override;
  bool SaveSettings();

  static bool IsGlide3Present();
  static bool ProbeGlide3(bool details);
  // addToList: probes with details and names the board in list 1013 (which
  // needs the page's controls).
  bool CheckGlide(bool addToList);

 private:
  PictureControl picture_;
};
