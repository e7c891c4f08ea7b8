// Writers of the UI toolkit's files, byte by byte from their tables:
// font files (.FNT), static-text bodies (.STX, also embedded in other
// widget files), UI static-text files, edit-text files, panel files (.OSP),
// backdrop files, and the button, chooser, progress-bar, slider and dialog
// files. Strings are a u32 length with the NUL, then the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

// A string field; `length` overrides the written length (for damaged files)
// and `terminated` false leaves out the NUL.
struct UiString {
  UiString() = default;
  UiString(const char* s) : text(s) {}
  UiString(std::string s) : text(std::move(s)) {}
  std::string text;
  bool terminated = true;
  std::int64_t length = -1;
};
void WriteUiString(ByteWriter* w, const UiString& s);

struct Glyph {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;
};

struct FontFile {
  std::uint16_t spare = 0;
  Glyph glyphs[256];
  UiString texture;
};
Bytes BuildFnt(const FontFile& f);

struct SoundEntry {
  std::uint8_t slot = 0;
  UiString path;
};

struct StaticTextBody {
  std::uint8_t yFromTop = 1;
  std::uint8_t xFromLeft = 1;
  std::uint8_t centreHorizontally = 0;
  std::uint8_t centreVertically = 0;
  std::uint8_t hasText = 0;
  std::uint16_t font = 0;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float colour[3] = {1.0f, 1.0f, 1.0f};
  std::uint32_t textId = 0;
  std::uint8_t spare = 0;
  std::vector<SoundEntry> sounds;
  // Written in place of the sound list's size when set (damaged files).
  std::int32_t soundCount = -1;
};
Bytes BuildStaticTextBody(const StaticTextBody& b);

struct UiStaticTextFile {
  std::uint8_t animated = 0;
  std::uint8_t hasText = 0;
  std::uint16_t font = 0;
  float origin[3] = {0.0f, 0.0f, 0.0f};
  float advance = 10.0f;
  float height = 10.0f;
  float colour[3] = {1.0f, 1.0f, 1.0f};
  std::uint32_t textId = 0;
  UiString animation;
  std::vector<SoundEntry> sounds;
};
Bytes BuildUiStaticText(const UiStaticTextFile& f);

// u32 max length, then the body.
Bytes BuildEditText(std::uint32_t maxLength, const StaticTextBody& body);

struct PanelFile {
  std::uint8_t yFromTop = 1;
  std::uint8_t xFromLeft = 1;
  std::uint8_t blend = 0;
  UiString texture = "NULL";
  float position[3] = {0.0f, 0.0f, 0.0f};
  float size[2] = {64.0f, 64.0f};
  float colour[3] = {1.0f, 1.0f, 1.0f};
  // Corners top-left, top-right, bottom-right, bottom-left.
  float u[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};
Bytes BuildOsp(const PanelFile& f);

struct BackdropFile {
  std::uint8_t flags[3] = {1, 1, 0};
  UiString texture;
  float distanceAhead = 10000.0f;
  float lowHeight = -1500.0f;
  float highHeight = 3000.0f;
  float size[2] = {640.0f, 480.0f};
  float colour[3] = {1.0f, 1.0f, 1.0f};
  float u[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};
Bytes BuildBackdrop(const BackdropFile& f);

struct ButtonActionEntry {
  std::uint16_t id = 0;
  std::uint16_t a1 = 0;
  std::uint16_t a2 = 0;
  UiString text = "NULL";
};

struct ButtonFile {
  UiString textures[3] = {"NULL", "NULL", "NULL"};  // normal, highlighted, pressed
  std::uint8_t blend = 0;
  std::uint8_t highlightedAtStart = 0;
  std::uint8_t toggle = 0;
  std::uint8_t hasTooltip = 0;
  std::uint8_t hasCaption = 0;
  std::uint8_t radio = 0;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float size[2] = {64.0f, 32.0f};
  float colour[3] = {1.0f, 1.0f, 1.0f};
  float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};  // uLeft, uRight, vTop, vBottom
  // The tooltip's text ids; `tooltipCount` replaces their count when set.
  std::vector<std::uint32_t> tooltipLines;
  std::int32_t tooltipCount = -1;
  StaticTextBody caption;
  StaticTextBody offLabel;
  StaticTextBody onLabel;
  std::vector<SoundEntry> sounds;
  std::int32_t soundCount = -1;
  std::vector<ButtonActionEntry> actions;
  std::int32_t actionCount = -1;
};
// A button file, which is also the button body of a slider.
Bytes BuildButton(const ButtonFile& f);

struct ChooserItemEntry {
  std::uint16_t spare = 0;
  std::uint8_t lit = 0;  // 3D items only
  UiString path;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float scale[3] = {1.0f, 1.0f, 1.0f};
};

struct ChooserFile {
  std::uint8_t flag = 0;
  std::uint8_t panelItems = 1;
  float light[3] = {0.0f, -1.0f, 1.0f};  // 3D items only
  std::uint8_t hasBackground = 0;
  UiString background;
  std::uint8_t backgroundLit = 0;  // 3D items only
  float backgroundPosition[3] = {0.0f, 0.0f, 0.0f};
  float backgroundScale[3] = {1.0f, 1.0f, 1.0f};
  std::uint8_t wrap = 0;
  std::vector<ChooserItemEntry> items;
  std::int32_t itemCount = -1;
  std::uint16_t pageSize = 1;
};
Bytes BuildChooser(const ChooserFile& f);

struct ProgressBarFile {
  std::uint8_t horizontal = 1;
  std::uint8_t screenBar = 1;
  std::uint8_t animated = 0;
  UiString texture = "NULL";
  float position[3] = {0.0f, 0.0f, 0.0f};
  float size[2] = {100.0f, 10.0f};  // length, thickness
  float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  std::uint16_t value = 0;
  UiString animation;  // animated 3D bars only
};
Bytes BuildProgressBar(const ProgressBarFile& f);

struct SliderFile {
  std::vector<std::uint32_t> items;  // text ids
  std::int32_t itemCount = -1;
  float box[4] = {0.0f, 0.0f, 100.0f, 20.0f};  // left, top, right, bottom
  ButtonFile track;
  ButtonFile thumb;
  StaticTextBody caption;
  StaticTextBody valueLabel;
  std::uint8_t layers[4] = {0, 1, 2, 2};
  std::uint16_t settingId = 0;
  std::uint16_t variant = 0;
  std::uint16_t spare = 0;
  UiString spareString = "";
};
Bytes BuildSlider(const SliderFile& f);

struct DialogEntry {
  std::uint8_t spare = 0;
  UiString path;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float size[3] = {1.0f, 1.0f, 1.0f};
};

// The lists in file order.
enum DialogList {
  DIALOG_BUTTONS,
  DIALOG_EDIT_TEXTS,
  DIALOG_STATIC_TEXTS,
  DIALOG_CHOOSERS,
  DIALOG_PROGRESS_BARS,
  DIALOG_SLIDERS,
  DIALOG_OBJECTS,
  DIALOG_PANELS,
  DIALOG_LIST_COUNT,
};

struct DialogFile {
  float box[4] = {0.0f, 0.0f, 200.0f, 100.0f};  // x, y, w, h as designed
  std::vector<DialogEntry> lists[DIALOG_LIST_COUNT];
  // Written in place of a list's size when not -1.
  std::int32_t counts[DIALOG_LIST_COUNT] = {-1, -1, -1, -1, -1, -1, -1, -1};
};
Bytes BuildDialog(const DialogFile& f);

// A font rasterised from a TrueType file of a Debian font package into a
// 256 x 256 texture: white glyphs of codes 32..126 (and the Cyrillic ones
// below) on black (the scenes load fonts with black as the key colour), one
// cell per character as wide as its advance and as high as the line. Glyphs
// of other codes stay absent.
struct RasterFont {
  Bytes tex;
  Glyph glyphs[256];
};
// `face` names a DejaVu face ("DejaVuSans", "DejaVuSans-Bold", ...),
// looked up where the Debian package installs it; `pixels` is the height.
// With `codePage` 1251 the font also holds the Cyrillic letters at their
// Windows-1251 codes (0xC0..0xFF, 0xA8 and 0xB8). False with a reason when
// the file is missing or cannot be rasterised.
bool RasteriseFont(const std::string& face, int pixels, RasterFont* out, std::string* error, int codePage = 1252);

}  // namespace kelvdata
