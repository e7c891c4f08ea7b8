#include "ui/font.h"

#include <cstring>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"
#include "ui/widget_io.h"

Font* g_Fonts = nullptr;
std::uint16_t g_FontCount = 0;

using ui_internal::ReportError;

const char* FontPathForLanguage(const char* path, std::uint32_t language) {
  if (language != 7) return path;
  static const struct {
    char digit;
    const char* path;
  } kFonts[] = {{'1', "DATA\\UI\\FONT1C.FNT"},
                {'2', "DATA\\UI\\FONT2C.FNT"},
                {'3', "DATA\\UI\\FONT3C.FNT"},
                {'4', "DATA\\UI\\FONT4C.FNT"},
                {'7', "DATA\\UI\\FONT7C.FNT"}};
  for (const auto& f : kFonts) {
    if (std::strchr(path, f.digit)) return f.path;
  }
  return path;
}

Font* FontAt(std::uint16_t i) { return g_Fonts && i < g_FontCount ? &g_Fonts[i] : nullptr; }

Font::Font() = default;

bool Font::Load(const char* path) {
  char name[ui_internal::PATH_SIZE];
  ui_internal::CopyTruncated(name, sizeof name, FontPathForLanguage(path, g_Language));
  ArchiveFile file;
  if (!OpenDataFile(name, &file)) {
    ReportError(ui_internal::FONT_ERROR);
    return false;
  }
  DataReader r(&file);
  float table[256][4];
  char textureName[FONT_TEXTURE_NAME_SIZE];
  bool ok = r.U16(&spare);
  for (int c = 0; ok && c < 256; ++c) {
    for (int k = 0; ok && k < 4; ++k) ok = r.F32(&table[c][k]);
  }
  ok = ok && r.String(textureName, FONT_TEXTURE_NAME_SIZE);
  file.Close();
  if (!ok) {
    ReportError(ui_internal::FONT_ERROR);
    return false;
  }
  for (int c = 0; c < 256; ++c) {
    left[c] = table[c][0];
    top[c] = table[c][1];
    right[c] = table[c][2];
    bottom[c] = table[c][3];
  }
  return g_TextureManager.Load(textureName, &texture, 8);
}

void Font::FreeTexture() {
  if (texture != 0) g_TextureManager.Free(texture);
  texture = 0;
}
