// The flat text label: one textured quad per character, laid out in screen
// pixels from a Font, anchored to a screen edge or centred, coloured per
// character range and faded by alpha. Loaded from .STX files, or from the
// same body embedded in other widget files.
//
// Static-text body, little-endian (str = u32 n with the NUL, n bytes):
// u8 y from top, u8 x from left, u8 centre horizontally, u8 centre
// vertically, u8 has text, u16 font, 3 x f32 position, 3 x f32 colour,
// u32 text id (only when has text), u8 spare, u8 sound count, then per
// sound u8 slot and str path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/renderer.h"
#include "ui/text.h"

class DataReader;
class Stream;

class StaticText : public Text {
 public:
  StaticText();
  ~StaticText() override;

  // Store only: the next SetText places the text.
  void SetPosition(float x, float y, float z) override;
  // Character scale x and y, and the z size.
  void SetScale(float x, float y, float z) override;
  bool Load(const char* path) override;
  // Steps the fade (mode ignored).
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;
  bool SetText(const char* s) override;
  // One body from an open stream.
  virtual bool LoadFromStream(Stream* stream);

  void FreeBuffers();
  // An index at or past g_FontCount leaves the font unchanged.
  void SetFont(std::uint16_t i);
  // Characters first..end-1; an end of 0 or past the string means its end.
  void SetColour(float r, float g, float b, unsigned first, unsigned end);
  void SetAnchors(std::uint8_t yFromTop, std::uint8_t xFromLeft);
  void SetCentring(std::uint8_t horizontal, std::uint8_t vertical);
  // Linear in alpha from the current value; the last step before the end is
  // where the alpha stays (it is not forced to the target).
  void StartFade(float target, unsigned ms, void (*callback)());
  void SetAlpha(float a);
  bool IsFading() const;

  std::unique_ptr<ScreenVertex[]> vertices;  // 6 per character
  std::unique_ptr<float[]> vertexColours;    // unfaded r, g, b per vertex
  // Characters the buffers hold: a shorter text reuses them, so readouts
  // whose length changes each frame do not allocate.
  std::size_t capacity = 0;
  std::uint32_t textVertexCount = 0;
  std::uint8_t yFromTop = 1;
  std::uint8_t xFromLeft = 1;
  std::uint8_t centreHorizontally = 0;
  std::uint8_t centreVertically = 0;
  float scaleX = 1.0f;
  float scaleY = 1.0f;
  float textWidth = 0.0f;
  float textHeight = 0.0f;
  std::uint32_t fadeElapsed = 0;
  std::uint32_t fadeDuration = 0;
  float fadeTarget = 1.0f;
  float alpha = 1.0f;
  float fadeStep = 0.0f;
  void (*fadeCallback)() = nullptr;

 protected:
  // The body, reporting `fileError` for damage.
  bool ReadBody(DataReader* r, const char* fileError);
  // Every vertex at the current alpha from its unfaded colour.
  void Recolour();
};
