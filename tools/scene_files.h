// Writers of the front end's scene files: the UI scene file (read as a
// plain file), its background picture and its keyboard focus list (.FLT),
// byte by byte from their tables. A name is a u32 length (the text and its
// NUL) followed by those bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/bytes.h"
#include "tools/ui_files.h"

namespace kelvdata {

struct SceneWidgetEntry {
  std::uint8_t unused = 0;
  UiString path;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float scale[3] = {1.0f, 1.0f, 1.0f};
};

struct SceneObjectEntry {
  std::uint8_t kind = 3;  // 3 object, 4 button, 8 UI static text, 10 progress bar
  UiString path;
  float position[3] = {0.0f, 0.0f, 0.0f};
  float scale[3] = {1.0f, 1.0f, 1.0f};
};

struct SceneActionEntry {
  std::uint16_t id = 0;
  std::uint16_t a1 = 0;
  std::uint16_t a2 = 0;
  UiString text = "NULL";
};

// The widget lists in file order.
enum SceneList {
  SCENE_BUTTONS,
  SCENE_EDIT_TEXTS,
  SCENE_UI_STATIC_TEXTS,
  SCENE_STATIC_TEXTS,
  SCENE_CHOOSERS,
  SCENE_PROGRESS_BARS,
  SCENE_SLIDERS,
  SCENE_PANELS,
  SCENE_LIST_COUNT,
};

struct SceneFile {
  std::uint8_t hasMovie = 0;
  UiString background;  // without a movie only
  std::vector<UiString> fonts;
  std::vector<SceneWidgetEntry> lists[SCENE_LIST_COUNT];
  std::vector<SceneObjectEntry> objects;
  std::uint8_t spare = 0;
  std::vector<SceneActionEntry> actions;
  std::uint8_t movieSpare = 0;
  UiString movie;  // with a movie only
  UiString focusList;
  // Written in place of a count when not -1 (damaged files).
  std::int32_t fontCount = -1;
  std::int32_t listCounts[SCENE_LIST_COUNT] = {-1, -1, -1, -1, -1, -1, -1, -1};
  std::int32_t objectCount = -1;
  std::int32_t actionCount = -1;
};
Bytes BuildScene(const SceneFile& f);

// u16 width, u16 height, then the pixels row after row, R, G, B each; `rgb`
// is written as given (a short picture for damaged files).
Bytes BuildBackground(std::uint16_t width, std::uint16_t height, const Bytes& rgb);

struct FocusFileEntry {
  std::uint8_t kind = 4;  // 4 button, 7 edit text, 13 slider
  std::uint16_t index = 0;
};
// u16 count (`count` when not -1), then per entry u8 kind, u16 index.
Bytes BuildFlt(const std::vector<FocusFileEntry>& entries, std::int32_t count = -1);

}  // namespace kelvdata
