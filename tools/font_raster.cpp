// The font rasteriser of the data tool: FreeType renders a DejaVu face from
// its Debian package (fonts-dejavu-core) into a font texture, so that
// pictures of texts show real letters; with code page 1251 the Cyrillic
// letters join the ASCII ones.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <map>
#include <vector>

#include "tools/code_page.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

constexpr int kSide = 256;

const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                                    "/usr/share/fonts/TTF"};

// The character codes a font holds: ASCII 32..126, and with code page 1251
// the Cyrillic letters (0xC0..0xFF, Yo 0xA8 and yo 0xB8).
std::vector<int> FontCodes(int codePage) {
  std::vector<int> codes;
  for (int c = 32; c < 127; ++c) codes.push_back(c);
  if (codePage == 1251) {
    codes.push_back(0xA8);
    codes.push_back(0xB8);
    for (int c = 0xC0; c < 0x100; ++c) codes.push_back(c);
  }
  return codes;
}

}  // namespace

bool RasteriseFont(const std::string& face, int pixels, RasterFont* out, std::string* error, int codePage) {
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
  // A letter drawn exactly like one already placed (Cyrillic A and Latin A)
  // shares its cell, which keeps the larger faces within the texture.
  std::map<std::vector<std::uint8_t>, Glyph> placed;
  int penX = 0;
  int penY = 0;
  bool ok = true;
  for (const int c : FontCodes(codePage)) {
    const std::uint32_t character = CodePageCharacter(codePage == 1251 ? 1251 : 1252, static_cast<std::uint8_t>(c));
    if (FT_Load_Char(ft, static_cast<FT_ULong>(character), FT_LOAD_RENDER) != 0) {
      ok = false;
      break;
    }
    const FT_GlyphSlot g = ft->glyph;
    const int advance = static_cast<int>(g->advance.x >> 6);
    // The cell as drawn, advance x line height (cells of one font share the
    // height, so equal cells have equal widths too).
    std::vector<std::uint8_t> cell(static_cast<std::size_t>(advance * lineHeight), 0);
    const FT_Bitmap& bitmap = g->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = g->bitmap_left + static_cast<int>(col);
        const int y = ascender - g->bitmap_top + static_cast<int>(row);
        if (x < 0 || x >= advance || y < 0 || y >= lineHeight) continue;
        cell[static_cast<std::size_t>(y * advance + x)] = bitmap.buffer[row * bitmap.pitch + col];
      }
    }
    // ASCII keeps a cell of its own in every case, so that its layout does
    // not depend on the code page.
    if (const auto same = placed.find(cell); c >= 0x80 && same != placed.end()) {
      out->glyphs[c] = same->second;
      continue;
    }
    if (penX + advance > kSide) {
      penX = 0;
      penY += lineHeight + 1;
    }
    if (penY + lineHeight > kSide) {
      ok = false;
      break;
    }
    for (int y = 0; y < lineHeight; ++y) {
      for (int x = 0; x < advance; ++x) {
        coverage[(penY + y) * kSide + penX + x] = cell[static_cast<std::size_t>(y * advance + x)];
      }
    }
    Glyph& glyph = out->glyphs[c];
    glyph.left = static_cast<float>(penX) / kSide;
    glyph.top = static_cast<float>(penY) / kSide;
    glyph.right = static_cast<float>(penX + advance) / kSide;
    glyph.bottom = static_cast<float>(penY + lineHeight) / kSide;
    placed.emplace(std::move(cell), glyph);
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
