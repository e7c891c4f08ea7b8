// Internal helpers of the widget loaders: the error boxes, string copies
// that always end, the placing of flat vertices per build and the sound
// lists of the files.
#pragma once

#include <cstdint>

#include "engine/renderer.h"

class AnimationPlayer;
class DataReader;
class SceneObject;

namespace ui_internal {

// Longest path of a texture, animation or sound field, with its NUL.
constexpr std::uint32_t PATH_SIZE = 260;

inline constexpr const char* FONT_ERROR = "File error opening font data.\nPlease reinstall Kelvarro.";
inline constexpr const char* STATIC_TEXT_ERROR = "File error opening static text data.\nPlease reinstall Kelvarro.";
inline constexpr const char* UI_STATIC_TEXT_ERROR =
    "File error opening ui static text data.\nPlease reinstall Kelvarro.";
inline constexpr const char* EDIT_TEXT_ERROR = "File error opening edittext data.\nPlease reinstall Kelvarro.";
inline constexpr const char* PANEL_ERROR = "File error opening panel data.\nPlease reinstall Kelvarro.";
inline constexpr const char* BACKDROP_ERROR = "File error opening ui data.\nPlease reinstall Kelvarro.";
inline constexpr const char* BUTTON_ERROR = "File error opening button data.\nPlease reinstall Kelvarro.";
inline constexpr const char* CHOOSER_ERROR = "File error opening chooser data.\nPlease reinstall Kelvarro.";
inline constexpr const char* PROGRESS_BAR_ERROR =
    "File error opening progress bar data.\nPlease reinstall Kelvarro.";
inline constexpr const char* SLIDER_ERROR = "File error opening slider data.\nPlease reinstall Kelvarro.";
inline constexpr const char* DIALOG_ERROR = "File error opening dialog data.\nPlease reinstall Kelvarro.";
inline constexpr const char* NO_MEMORY_ERROR = "Not enough system memory.";

void ReportError(const char* text);
// The out-of-memory box, then the request to close the main window.
void ReportOutOfMemory();

// Copies at most size - 1 bytes and always ends with a NUL.
void CopyTruncated(char* out, std::uint32_t size, const char* s);
// Equal ignoring the case of ASCII letters.
bool SameTextIgnoringCase(const char* a, const char* b);

// truncate(v x 16) / 16, as the Glide build places 2D vertices.
float SnapToSixteenth(float v);
// SnapToSixteenth in the Glide build; Direct3D places vertices unsnapped.
float SnapForBuild(float v);
// The depth of a flat widget's vertex at the widget's z. Glide draws every
// such vertex at depth 65535 and q 1 and keeps z in the spare word;
// Direct3D takes z as the depth, with rhw 0.5.
void SetFlatDepth(ScreenVertex* v, float z);

// The sound list at the end of a text body: u8 count, then per entry u8
// slot and a path string. The samples become the object's sound list; an
// entry whose slot is at or past the count is read and skipped. A damaged
// list shows `fileError`; running out of memory shows nothing. False for
// either, with no sound kept.
bool ReadSoundList(DataReader* r, SceneObject* owner, const char* fileError);

// An animated widget's update mode picks its sequence (1 the first, 2 the
// second, 3 the first played backwards; others keep the one playing), which
// then plays on by `ms`.
void PlayModeSequence(AnimationPlayer* player, int mode, unsigned ms);

}  // namespace ui_internal
