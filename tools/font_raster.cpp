// The font rasteriser of the data tool: FreeType renders a DejaVu face from
// its Debian package (fonts-dejavu-core) into a font texture, so that
// pictures of texts show real letters.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <vector>

#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

constexpr int kSide = 256;

const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                                    "/usr/share/fonts/TTF"};

}  // namespace

bool RasteriseFont(const std::string& face, int pixels, RasterFont* out, std::string* error) {
  std::string path;
  for (const char* folder : kFontFolders) {
    const std::string candidate = std::string(folder) + "/" + face + ".ttf";
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) {
      path = candidate;
      break;
    }
  }
  if (path.empty()) {
    *error = face + ".ttf not found: install the Debian package fonts-dejavu-core";
    return false;
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "FreeType cannot start";
    return false;
  }
  FT_Face ft = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &ft) != 0 || FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(pixels)) != 0) {
    if (ft) FT_Done_Face(ft);
    FT_Done_FreeType(library);
    *error = "FreeType cannot read " + path;
    return false;
  }
  const int ascender = static_cast<int>(ft->size->metrics.ascender >> 6);
  const int lineHeight = static_cast<int>((ft->size->metrics.ascender - ft->size->metrics.descender) >> 6);
  std::vector<std::uint8_t> coverage(kSide * kSide, 0);
  int penX = 0;
  int penY = 0;
  bool ok = true;
  for (int c = 32; c < 127 && ok; ++c) {
    if (FT_Load_Char(ft, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0) {
      ok = false;
      break;
    }
    const FT_GlyphSlot g = ft->glyph;
    const int advance = static_cast<int>(g->advance.x >> 6);
    if (penX + advance > kSide) {
      penX = 0;
      penY += lineHeight + 1;
    }
    if (penY + lineHeight > kSide) {
      ok = false;
      break;
    }
    const FT_Bitmap& bitmap = g->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = penX + g->bitmap_left + static_cast<int>(col);
        const int y = penY + ascender - g->bitmap_top + static_cast<int>(row);
        if (x < penX || x >= penX + advance || y < penY || y >= penY + lineHeight) continue;
        coverage[y * kSide + x] = bitmap.buffer[row * bitmap.pitch + col];
      }
    }
    Glyph& glyph = out->glyphs[c];
    glyph.left = static_cast<float>(penX) / kSide;
    glyph.top = static_cast<float>(penY) / kSide;
    glyph.right = static_cast<float>(penX + advance) / kSide;
    glyph.bottom = static_cast<float>(penY + lineHeight) / kSide;
    penX += advance + 1;
  }
  FT_Done_Face(ft);
  FT_Done_FreeType(library);
  if (!ok) {
    *error = "the glyphs of " + face + " do not fit a 256 x 256 texture at this size";
    return false;
  }
  // Keyed textures have no partial transparency: half coverage decides.
  out->tex = BuildTex(kSide, kSide, [&coverage](int x, int y) {
    return coverage[y * kSide + x] >= 128 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
  });
  return true;
}

}  // namespace kelvdata
