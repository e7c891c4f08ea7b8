// The setup program's property sheet (its Cancel and Apply buttons in the
// configured language) and the pages' background picture.
#pragma once

#include "platform/mfc/mfc.h"

constexpr int SETUP_BACKGROUND_BITMAP = 159;
constexpr int SETUP_ICON = 128;

class SetupSheet : public CPropertySheet {
 public:
  BOOL OnInitDialog() override;
};

extern SetupSheet g_SetupSheet;

// Paints bitmap 159 stretched over the page's client area, under every
// other control.
class PictureControl {
 public:
  void Create(UINT bitmapId, const RECT& rect, CPropertyPage* parent);
  CStatic* Control() { return control_; }

 private:
  CStatic* control_ = nullptr;
};

// Registers bitmap 159: the pages' background, 494 x 364, 24 bits.
void RegisterSetupBitmaps();

// The Russian font made once per run from a control's dialog font.
const CFont* RussianFontFrom(const LOGFONTA& dialogFont);
