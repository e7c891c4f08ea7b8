// Inside the DirectDraw layer: what draws the frame. The Windows-shaped
// objects (ddraw.cpp) keep every rule of their own and tell the backend only
// what reaches the picture; the OpenGL backend draws it, the test backend
// keeps nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/ddraw_machine.h"

namespace ddraw {

// The texture a draw samples, as the backend knows it.
struct BoundTexture {
  std::uint32_t id = 0;  // 0: none
  bool hasAlpha = false;  // the format has an alpha bit
  bool keyed = false;     // the alpha channel marks the colour-keyed texels
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Two colour buffers of width x height on the window, no depth yet.
  virtual bool OpenFrame(HWND window, int width, int height) = 0;
  virtual void CloseFrame() = 0;
  virtual bool FrameOpen() const = 0;
  // A depth attachment of 16, 24 or 32 bits (0: none).
  virtual void SetDepthBits(int bits) = 0;
  virtual std::uint32_t CreateTexture() = 0;
  // RGBA8 texels, rows from the top.
  virtual void UploadTexture(std::uint32_t id, int width, int height, const std::vector<std::uint8_t>& rgba) = 0;
  virtual void DeleteTexture(std::uint32_t id) = 0;
  virtual void Draw(const DWORD* states, const BoundTexture& texture, D3DPRIMITIVETYPE type,
                    const D3DTLVERTEX* vertices, DWORD count) = 0;
  // Fills the rectangle (exclusive right and bottom) of the back (or front) buffer.
  virtual void Clear(bool front, const D3DRECT& rect, bool colour, DWORD argb, bool depth, float z) = 0;
  // RGBA8 rows from the top into the back buffer at (x, y).
  virtual void WriteBack(int x, int y, int width, int height, const std::vector<std::uint8_t>& rgba) = 0;
  // Shows the back buffer; the buffers change places.
  virtual void Flip() = 0;
  virtual bool Read(bool front, platform::Picture* out) = 0;
  virtual void Finish() = 0;
  virtual bool PlainDraw(const D3DTLVERTEX* vertices, DWORD count, const std::uint16_t* texels, int texWidth,
                         int texHeight) = 0;
};

Backend& GlBackend();
Backend& NullBackend();

}  // namespace ddraw
