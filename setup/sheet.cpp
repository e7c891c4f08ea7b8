#include "setup/sheet.h"

#include "setup/captions.h"
#include "setup/settings.h"

SetupSheet g_SetupSheet;

BOOL SetupSheet::OnInitDialog() {
  CPropertySheet::OnInitDialog();
  CButton* cancel = nullptr;
  CButton* apply = nullptr;
  for (CButton* b : ChildButtons()) {
    if (b->GetWindowText() == "Cancel") cancel = b;
    if (b->GetWindowText() == "&Apply") apply = b;
  }
  const std::uint32_t language = g_SetupSettings.Language;
  if (language == LANGUAGE_RUSSIAN && cancel != nullptr && cancel->GetFont().lfCharSet != RUSSIAN_CHARSET) {
    const CFont* font = RussianFontFrom(cancel->GetFont());
    cancel->SetFont(font);
    if (apply != nullptr) apply->SetFont(font);
    SetFont(font);
  }
  if (cancel != nullptr) cancel->SetWindowText(Caption(CAPTIONS_BUTTONS, language, 0));
  if (apply != nullptr) apply->SetWindowText(Caption(CAPTIONS_BUTTONS, language, 1));
  return TRUE;
}

void PictureControl::Create(UINT bitmapId, const RECT& rect, CPropertyPage* parent) {
  control_ = &parent->AddPicture(static_cast<int>(bitmapId));
  control_->MoveWindow(rect);
}

void RegisterSetupBitmaps() {
  // A dusk sky over a dark track: the upper half blue, the lower half brown.
  platform::mfc::Bitmap bitmap;
  bitmap.width = 494;
  bitmap.height = 364;
  bitmap.rgb.resize(static_cast<std::size_t>(bitmap.width * bitmap.height * 3));
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      std::uint8_t* p = &bitmap.rgb[static_cast<std::size_t>((y * bitmap.width + x) * 3)];
      const bool sky = y < bitmap.height / 2;
      p[0] = sky ? 40 : 96;
      p[1] = sky ? 64 : 64;
      p[2] = sky ? 128 : 32;
    }
  }
  platform::mfc::RegisterBitmap(SETUP_BACKGROUND_BITMAP, std::move(bitmap));
}

const CFont* RussianFontFrom(const LOGFONTA& dialogFont) {
  static CFont font;
  if (!font.IsCreated()) {
    LOGFONTA description = dialogFont;
    description.lfFaceName = "Arial";
    description.lfCharSet = RUSSIAN_CHARSET;
    font.CreateFontIndirect(description);
  }
  return &font;
}
