// The Direct3D build's settings page: display driver, 3D device and race
// mode, enumerated by the same rules as kelvarro_dx so that the stored
// indices and mode name the same hardware in both, and the effect, sound and
// input settings.
#pragma once

#include <cstdint>

#include "platform/ddraw/display_enumeration.h"
#include "platform/mfc/mfc.h"
#include "setup/page_display.h"
#include "setup/sheet.h"

extern DisplayDriverInfo g_DisplayDrivers[MAX_DISPLAY_DRIVERS];
extern std::uint32_t g_DisplayDriverCount;
extern std::uint32_t g_ChosenDriver;
extern std::uint32_t g_ChosenDevice;
extern std::uint32_t g_ChosenMode;

class CD3DPage : public CDisplayPage {
 public:
  CD3DPage();

  BOOL OnInitDialog() override;
  BOOL OnApply() override;
  BOOL OnSetActive() override { return TRUE; }
  void OnCommand(int id, WORD code) override;

  void FillDeviceLists() override;
  bool SaveSettings();
  // Whether the driver, mode and device tables were filled.
  bool Enumerated() const { return enumerated_; }

 private:
  bool enumerated_ = false;
  PictureControl picture_;
};
