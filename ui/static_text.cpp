#include "ui/static_text.h"

#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "ui/font.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;
using ui_internal::SnapForBuild;

namespace {

// The renderer draws at most this many vertices at once: a multiple of 6
// below 65536.
constexpr std::uint32_t kDrawChunk = 65532;

// The Glide build blends by colour, so fades scale the colour; Direct3D
// blends by the alpha alone.
std::uint32_t FadedColour(float alpha, float r, float g, float b) {
  if (g_RenderBuild == RENDER_BUILD_DIRECT3D) return PackColour(alpha, r, g, b);
  return PackColour(alpha, r * alpha, g * alpha, b * alpha);
}

}  // namespace

StaticText::StaticText() = default;

StaticText::~StaticText() { FreeBuffers(); }

void StaticText::FreeBuffers() {
  vertices.reset();
  vertexColours.reset();
  text.reset();
  capacity = 0;
  textVertexCount = 0;
}

void StaticText::SetPosition(float x, float y, float z) {
  originX = x;
  originY = y;
  originZ = z;
}

void StaticText::SetScale(float x, float y, float z) {
  scaleX = x;
  scaleY = y;
  sizeZ = z;
}

bool StaticText::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::STATIC_TEXT_ERROR);
    return false;
  }
  DataReader r(&file);
  const bool ok = ReadBody(&r, ui_internal::STATIC_TEXT_ERROR);
  file.Close();
  return ok;
}

bool StaticText::LoadFromStream(Stream* stream) {
  DataReader r(stream);
  return ReadBody(&r, ui_internal::STATIC_TEXT_ERROR);
}

bool StaticText::ReadBody(DataReader* r, const char* fileError) {
  std::uint8_t flags[5];
  std::uint16_t fontIndex = 0;
  float position[3];
  float colour[3];
  bool ok = r->Bytes(flags, 5) && r->U16(&fontIndex);
  for (float& v : position) ok = ok && r->F32(&v);
  for (float& v : colour) ok = ok && r->F32(&v);
  std::uint32_t textId = 0;
  if (ok && flags[4]) ok = r->U32(&textId);
  // A font the scene has not loaded is a damaged file, not a crash.
  Font* chosen = ok ? FontAt(fontIndex) : nullptr;
  if (!ok || !chosen) {
    ReportError(fileError);
    return false;
  }
  yFromTop = flags[0];
  xFromLeft = flags[1];
  centreHorizontally = flags[2];
  centreVertically = flags[3];
  font = chosen;
  SetPosition(position[0], position[1], position[2]);
  colourR = colour[0];
  colourG = colour[1];
  colourB = colour[2];
  if (flags[4] && !SetText(g_TextDatabase.Text(textId))) return false;
  return ui_internal::ReadSoundList(r, this, fileError);
}

bool StaticText::SetText(const char* s) {
  if (!s) s = "";
  if (!font && g_Fonts) font = &g_Fonts[0];
  // The caller's string may be this text's own buffer.
  std::unique_ptr<char[]> own;
  if (text && s >= text.get() && s <= text.get() + std::strlen(text.get())) {
    const std::size_t n = std::strlen(s) + 1;
    own.reset(new (std::nothrow) char[n]);
    if (!own) return false;
    std::memcpy(own.get(), s, n);
    s = own.get();
  }
  const std::size_t length = std::strlen(s);
  const bool reuse = vertices && text && length <= capacity;
  if (!reuse) {
    FreeBuffers();
    std::unique_ptr<ScreenVertex[]> v(new (std::nothrow) ScreenVertex[6 * length]);
    std::unique_ptr<float[]> c(new (std::nothrow) float[18 * length]);
    std::unique_ptr<char[]> t(new (std::nothrow) char[length + 10]);
    if (!v || !c || !t) return false;
    vertices = std::move(v);
    vertexColours = std::move(c);
    text = std::move(t);
    capacity = length;
  }
  std::memcpy(text.get(), s, length + 1);
  textVertexCount = static_cast<std::uint32_t>(6 * length);
  if (!font) {
    // Nothing to lay out with: the string is kept and nothing is drawn.
    textVertexCount = 0;
    textWidth = textHeight = 0.0f;
    return true;
  }

  float width = 0.0f;
  for (std::size_t i = 0; i < length; ++i) width += font->GlyphWidth(static_cast<std::uint8_t>(s[i]));
  width *= scaleX;
  const float height = font->GlyphHeight('0') * scaleY;
  textWidth = width;
  textHeight = height;

  const float screenW = static_cast<float>(g_ScreenWidth);
  const float screenH = static_cast<float>(g_ScreenHeight);
  float y;
  if (yFromTop) {
    y = originY;
    // 240 means the middle of any screen.
    if (centreVertically) y = originY == 240.0f ? screenH / 2.0f - height / 2.0f : originY - height / 2.0f;
  } else {
    y = screenH - originY - height;
    if (centreVertically) y += height / 2.0f;
  }
  float x;
  if (xFromLeft) {
    x = originX;
    if (centreHorizontally) x = originX == 320.0f ? screenW / 2.0f - width / 2.0f : originX - width / 2.0f;
  } else {
    x = screenW - originX - width;
    if (centreHorizontally) x += width / 2.0f;
  }
  if (length == 0) return true;

  // A new layout is opaque in the Glide build (its fade is in the colour);
  // the next fade step packs the alpha again.
  const std::uint32_t packed = g_RenderBuild == RENDER_BUILD_DIRECT3D
                                   ? FadedColour(alpha, colourR, colourG, colourB)
                                   : PackColour(1.0f, colourR * alpha, colourG * alpha, colourB * alpha);
  const float sScale = g_TextureManager.sScale[font->texture];
  const float tScale = g_TextureManager.tScale[font->texture];
  float pen = x;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = static_cast<std::uint8_t>(s[i]);
    const float x0 = pen;
    const float x1 = pen + font->GlyphWidth(c) * scaleX;
    const float y0 = y;
    const float y1 = y + font->GlyphHeight(c) * scaleY;
    const float corners[6][4] = {{x0, y0, font->left[c], font->top[c]},     {x1, y0, font->right[c], font->top[c]},
                                 {x1, y1, font->right[c], font->bottom[c]}, {x0, y0, font->left[c], font->top[c]},
                                 {x1, y1, font->right[c], font->bottom[c]}, {x0, y1, font->left[c], font->bottom[c]}};
    for (int k = 0; k < 6; ++k) {
      ScreenVertex& v = vertices[6 * i + k];
      v = ScreenVertex{};
      v.x = SnapForBuild(corners[k][0]);
      v.y = SnapForBuild(corners[k][1]);
      v.colour = packed;
      ui_internal::SetFlatDepth(&v, originZ);
      v.s = corners[k][2] * sScale;
      v.t = corners[k][3] * tScale;
      float* vc = &vertexColours[18 * i + 3 * k];
      vc[0] = colourR;
      vc[1] = colourG;
      vc[2] = colourB;
    }
    pen = x1;
  }
  return true;
}

void StaticText::SetFont(std::uint16_t i) {
  Font* chosen = FontAt(i);
  if (!chosen) return;
  font = chosen;
  if (vertices && text) {
    // Labels hold at most 255 characters.
    char copy[256];
    ui_internal::CopyTruncated(copy, sizeof copy, text.get());
    SetText(copy);
  }
}

void StaticText::SetColour(float r, float g, float b, unsigned first, unsigned end) {
  colourR = r;
  colourG = g;
  colourB = b;
  if (!vertices || !text) return;
  const unsigned length = static_cast<unsigned>(std::strlen(text.get()));
  if (end == 0 || end > length) end = length;
  if (textVertexCount == 0) return;
  // Kept: the packed colour of the range is not scaled by the alpha until
  // the next fade step.
  const std::uint32_t packed = PackColour(alpha, r, g, b);
  for (unsigned k = first; k < end; ++k) {
    for (int j = 0; j < 6; ++j) {
      float* vc = &vertexColours[18 * k + 3 * j];
      vc[0] = r;
      vc[1] = g;
      vc[2] = b;
      vertices[6 * k + j].colour = packed;
    }
  }
}

void StaticText::SetAnchors(std::uint8_t top, std::uint8_t left) {
  yFromTop = top;
  xFromLeft = left;
}

void StaticText::SetCentring(std::uint8_t horizontal, std::uint8_t vertical) {
  centreHorizontally = horizontal;
  centreVertically = vertical;
}

void StaticText::StartFade(float target, unsigned ms, void (*callback)()) {
  fadeDuration = ms;
  fadeElapsed = 0;
  fadeTarget = target;
  fadeCallback = callback;
  fadeStep = target - alpha;
}

void StaticText::Recolour() {
  if (textVertexCount < 6) return;
  for (std::uint32_t i = 0; i < textVertexCount; ++i) {
    const float* vc = &vertexColours[3 * i];
    vertices[i].colour = FadedColour(alpha, vc[0], vc[1], vc[2]);
  }
}

bool StaticText::Update(unsigned ms, int) {
  // Saturating: a long pause cannot wrap the clock back into the fade.
  fadeElapsed = ms > UINT32_MAX - fadeElapsed ? UINT32_MAX : fadeElapsed + ms;
  if (fadeElapsed >= fadeDuration) {
    fadeElapsed = fadeDuration;
    if (fadeCallback) {
      void (*callback)() = fadeCallback;
      fadeCallback = nullptr;
      callback();
    }
    return true;
  }
  alpha = fadeTarget +
          (static_cast<float>(fadeElapsed) / static_cast<float>(fadeDuration) - 1.0f) * fadeStep;
  Recolour();
  return true;
}

void StaticText::SetAlpha(float a) {
  fadeTarget = a;
  fadeElapsed = 0;
  fadeDuration = 0;
  if (a != alpha) {
    alpha = a;
    Recolour();
  }
}

bool StaticText::IsFading() const {
  const float d = fadeTarget - alpha;
  return (d < 0.0f ? -d : d) >= 0.01f;
}

bool StaticText::Draw() {
  if (textVertexCount == 0 || textVertexCount % 3 != 0) return true;
  g_TextureManager.Select(font ? font->texture : 0);
  for (std::uint32_t done = 0; done < textVertexCount; done += kDrawChunk) {
    const std::uint32_t n = textVertexCount - done < kDrawChunk ? textVertexCount - done : kDrawChunk;
    g_Renderer.DrawTriangles(static_cast<std::uint16_t>(n), &vertices[done]);
  }
  return true;
}
