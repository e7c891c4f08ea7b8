// The small pieces the data set's screens are built from: widget list
// entries, labels and the front end's buttons, in the 640 x 480 layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/scene_files.h"
#include "tools/ui_files.h"

namespace kelvdata {

// The front end's orange headings (white is a label's default colour).
constexpr float ORANGE[3] = {1.0f, 0.77647f, 0.098039f};

// The menus' three fonts: 0 the 16-pixel face, 1 the bold title face, 2 the
// 12-pixel face.
std::vector<UiString> MenuFonts();

// "DATA\UI\" + name.
std::string UiPath(const std::string& name);

// A screen of the menus' fonts over picture `background` with focus list
// `focusList`, both members of DATA\UI\.
SceneFile MenuScene(const std::string& background, const std::string& focusList);

// An entry of a scene's widget list, or of a dialog's.
SceneWidgetEntry WidgetAt(const std::string& path, float x, float y, float w = 1.0f, float h = 1.0f);
DialogEntry DialogEntryAt(const std::string& path, float x, float y, float w = 1.0f, float h = 1.0f);
// A scene's widget list entry for member `name` of DATA\UI\.
SceneWidgetEntry Widget(const std::string& name, float x, float y, float w = 1.0f, float h = 1.0f);

// A label showing game text `textId`; `colour` null keeps white.
StaticTextBody TextAt(std::uint32_t textId, float x, float y, std::uint16_t font = 0, bool centred = false,
                      const float* colour = nullptr);

// A button of the front end's look (normal, highlighted and pressed
// textures, a click on press and release) without a caption.
ButtonFile ButtonLook(float x, float y, float w, float h, std::vector<ButtonActionEntry> actions = {});

// The same with game text `textId` centred on it in `font` (0: 16 pixels
// high, 2: 12).
ButtonFile CaptionedButton(std::uint32_t textId, float x, float y, float w, float h,
                           std::vector<ButtonActionEntry> actions, std::uint16_t font = 0);

}  // namespace kelvdata
