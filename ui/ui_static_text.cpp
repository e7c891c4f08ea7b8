#include "ui/ui_static_text.h"

#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "ui/font.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;

UiStaticText::UiStaticText() = default;

UiStaticText::~UiStaticText() = default;

void UiStaticText::SetMatrix(const Matrix4* m) {
  if (!animated && m) matrix = *m;
}

void UiStaticText::SetColour(float r, float g, float b) {
  colourR = r;
  colourG = g;
  colourB = b;
}

bool UiStaticText::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::UI_STATIC_TEXT_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint8_t flags[2];
  std::uint16_t fontIndex = 0;
  float values[8];
  bool ok = r.Bytes(flags, 2) && r.U16(&fontIndex);
  for (float& v : values) ok = ok && r.F32(&v);
  std::uint32_t textId = 0;
  if (ok && flags[1]) ok = r.U32(&textId);
  Font* chosen = ok ? FontAt(fontIndex) : nullptr;
  if (!chosen) {
    ReportError(ui_internal::UI_STATIC_TEXT_ERROR);
    return false;
  }
  animated = 0;
  font = chosen;
  originX = values[0];
  originY = values[1];
  originZ = values[2];
  sizeX = values[3];
  sizeY = values[4];
  colourR = values[5];
  colourG = values[6];
  colourB = values[7];
  if (flags[1] && !SetText(g_TextDatabase.Text(textId))) return false;
  if (flags[0]) {
    std::uint8_t spare = 0;
    char animationPath[ui_internal::PATH_SIZE];
    if (!r.U8(&spare) || !r.String(animationPath, ui_internal::PATH_SIZE)) {
      ReportError(ui_internal::UI_STATIC_TEXT_ERROR);
      return false;
    }
    if (!animation.Load(animationPath)) return false;
    player.animation = &animation;
    animated = 1;
  }
  const bool sounds = ui_internal::ReadSoundList(&r, this, ui_internal::UI_STATIC_TEXT_ERROR);
  file.Close();
  return sounds;
}

bool UiStaticText::SetText(const char* s) {
  if (!s) s = "";
  std::unique_ptr<char[]> own;
  if (text && s >= text.get() && s <= text.get() + std::strlen(text.get())) {
    const std::size_t n = std::strlen(s) + 1;
    own.reset(new (std::nothrow) char[n]);
    if (!own) return false;
    std::memcpy(own.get(), s, n);
    s = own.get();
  }
  const std::size_t length = std::strlen(s);
  if (length > MaxCharacters) return false;
  const bool reuse = positions && text && std::strlen(text.get()) == length;
  if (!reuse) {
    positions.reset();
    attributes.reset();
    indices.reset();
    text.reset();
    output = nullptr;
    vertexCount = indexCount = outputCount = 0;
    std::unique_ptr<Vector3[]> p(new (std::nothrow) Vector3[4 * length]);
    std::unique_ptr<VertexAttribute[]> a(new (std::nothrow) VertexAttribute[6 * length]);
    std::unique_ptr<std::uint16_t[]> ix(new (std::nothrow) std::uint16_t[6 * length]);
    std::unique_ptr<char[]> t(new (std::nothrow) char[length + 10]);
    if (!p || !a || !ix || !t) return false;
    positions = std::move(p);
    attributes = std::move(a);
    indices = std::move(ix);
    text = std::move(t);
  }
  std::memcpy(text.get(), s, length + 1);
  vertexCount = static_cast<std::uint16_t>(4 * length);
  indexCount = static_cast<std::uint16_t>(6 * length);
  if (length == 0) return true;

  // These texts do not fade: the alpha is always full.
  const std::uint32_t packed = PackColour(1.0f, colourR, colourG, colourB);
  const float sScale = font ? g_TextureManager.sScale[font->texture] : 1.0f;
  const float tScale = font ? g_TextureManager.tScale[font->texture] : 1.0f;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = static_cast<std::uint8_t>(s[i]);
    const float x0 = originX + static_cast<float>(i) * sizeX;
    const float x1 = originX + static_cast<float>(i + 1) * sizeX;
    const float y0 = originY;
    const float y1 = originY + sizeY;
    positions[4 * i + 0] = Vector3(x0, y0, originZ);
    positions[4 * i + 1] = Vector3(x0, y1, originZ);
    positions[4 * i + 2] = Vector3(x1, y1, originZ);
    positions[4 * i + 3] = Vector3(x1, y0, originZ);
    const auto base = static_cast<std::uint16_t>(4 * i);
    const std::uint16_t order[6] = {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2),
                                    base, static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 3)};
    const float l = font ? font->left[c] : 0.0f;
    const float r = font ? font->right[c] : 0.0f;
    const float t = font ? font->top[c] : 0.0f;
    const float b = font ? font->bottom[c] : 0.0f;
    const float uv[6][2] = {{l, t}, {l, b}, {r, b}, {l, t}, {r, b}, {r, t}};
    for (int k = 0; k < 6; ++k) {
      indices[6 * i + k] = order[k];
      attributes[6 * i + k] = VertexAttribute{packed, uv[k][0] * sScale, uv[k][1] * tScale};
    }
  }
  return true;
}
