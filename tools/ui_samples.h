// Sample UI files for the data set, the seeds and the tests: the front
// end's fonts rasterised from DejaVu faces, a few panels and labels, and a
// horizon texture with its backdrop file.
#pragma once

#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/ui_files.h"

namespace kelvdata {

// One font of the data set: its file name in the UI archive, the texture
// member, the DejaVu face and its pixel height. Language 7's font is the
// file name with "C" (FONT1C.FNT) and its texture the same (_FONTS1C.TEX),
// with the Cyrillic letters at `cyrillicPixels`.
struct SampleFont {
  const char* file;     // "FONT1" for FONT1.FNT
  const char* texture;  // "_FONTS1" for _FONTS1.TEX
  const char* face;
  int pixels;
  int cyrillicPixels;
};
const std::vector<SampleFont>& SampleFonts();

// Fonts of single screens, in every language: the standings' narrow face
// (DejaVu Sans at NARROW_FONT_PIXELS) and the credits' shadow, the first
// font's glyphs in dark grey.
constexpr const char* NARROW_FONT = "DATA\\UI\\NARROW.FNT";
constexpr int NARROW_FONT_PIXELS = 10;
constexpr const char* SHADOW_FONT = "DATA\\UI\\SHADOW.FNT";

// The .FNT file of a rasterised font whose texture is `texturePath`.
Bytes FontFileFor(const RasterFont& raster, const std::string& texturePath);

// The chequered flag (DATA\UI\_FLAGS.TEX) of the credits and the player
// screen: 128 x 64, a waving cloth of 8 x 4 squares, white and near black
// (black is the credits' key), on a pole against the sky above grass. No
// texel is the front end's key colour or black.
Bytes FlagsTex();

// A 256 x 256 horizon: sky above row 67, rolling hills that repeat every 128
// texels across, and brown ground from row 230 down.
Bytes HorizonTex();

// The synthetic dialog "DIALOG01.DLG" with one or two widgets of every
// kind and their files, the tooltip label "NAME.STX" and background
// "TIPBACK.OSP", and the textures they use.
void DataSetDialogMembers(std::vector<BbfMember>* ui);

// The fonts, panels, labels and the backdrop for the UI and track
// archives. False with a reason when a font cannot be rasterised.
bool DataSetUiMembers(std::vector<BbfMember>* ui, std::vector<BbfMember>* track, std::string* error);

}  // namespace kelvdata
