// What the engine needs of the UI toolkit: the flat text lines of the
// statistics overlay, which the scene base creates and draws. The toolkit
// installs its implementation before the program objects are built; the
// engine never includes toolkit headers.
#pragma once

#include <cstdint>

// One line of flat screen text in the scene's first font.
class OverlayText {
 public:
  virtual ~OverlayText() = default;
  // 1 measures from the top or left edge, 0 from the bottom or right.
  virtual void SetAnchors(std::uint8_t yFromTop, std::uint8_t xFromLeft) = 0;
  virtual void SetScale(float x, float y, float z) = 0;
  // The colour of the whole text.
  virtual void SetColour(float red, float green, float blue) = 0;
  // Takes effect at the next SetText.
  virtual void SetPosition(float x, float y, float z) = 0;
  virtual bool SetText(const char* text) = 0;
  virtual bool Draw() = 0;
};

class UiServices {
 public:
  // A new line, or null when it cannot be made.
  virtual OverlayText* NewOverlayText() = 0;

 protected:
  ~UiServices() = default;
};

// Null until the UI toolkit installs itself.
extern UiServices* g_Ui;
void InstallUiServices(UiServices* services);
