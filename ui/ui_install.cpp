#include "ui/ui_install.h"

#include <new>

#include "engine/services/ui.h"
#include "ui/static_text.h"

namespace {

class StaticOverlayText : public OverlayText {
 public:
  void SetAnchors(std::uint8_t yFromTop, std::uint8_t xFromLeft) override { text_.SetAnchors(yFromTop, xFromLeft); }
  void SetScale(float x, float y, float z) override { text_.SetScale(x, y, z); }
  void SetColour(float red, float green, float blue) override { text_.SetColour(red, green, blue, 0, 0); }
  void SetPosition(float x, float y, float z) override { text_.SetPosition(x, y, z); }
  bool SetText(const char* text) override { return text_.SetText(text); }
  bool Draw() override { return text_.Draw(); }

 private:
  StaticText text_;
};

class Ui : public UiServices {
 public:
  OverlayText* NewOverlayText() override { return new (std::nothrow) StaticOverlayText(); }
};

Ui ui;

}  // namespace

void InstallUi() { InstallUiServices(&ui); }
