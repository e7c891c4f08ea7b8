// Inside the virtual board: what the Glide front end (glide.cpp) and the
// OpenGL back end (glide_gl.cpp) share.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/glide/glide.h"

namespace glide_internal {

constexpr int kFogEntries = 64;
constexpr FxU32 kTextureAlign = 8;
constexpr FxU32 kMaxTmuMemory = 16u << 20;

// Width and height of a screen resolution constant; false for the ones the
// board does not offer.
bool ResolutionSize(GrScreenResolution_t resolution, int* width, int* height);

// Texel size of a format in bytes (0 for formats the board does not take).
int TexelBytes(GrTextureFormat_t format);
// Size of one level in texels; false for an invalid level or aspect.
bool LevelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height);
// s and t of the far edges of a texture with this aspect (256 on the long side).
void TextureScale(GrAspectRatio_t aspect, float* sScale, float* tScale);

// A GrColor_t of the open window's colour format as R, G, B, A bytes.
void ColorBytes(GrColor_t color, FxU8 rgba[4]);

// The gamma table of presentation, one entry per 8-bit value and channel.
using GammaTable = std::array<std::array<FxU8, 256>, 3>;
GammaTable MakeGammaTable(const float gamma[3]);

// What the GL back end is told. Everything returns false when OpenGL is not
// available (the front end then fails the call).
namespace gl {
// Creates the context on the SDL window and the frame: two colour buffers
// and one depth buffer of width x height.
bool Open(void* sdlWindow, int width, int height);
void Close();
bool IsOpen();
// Everything cached from the Glide state must be sent again.
void InvalidateState();
// The texture memory of a unit changed between these addresses.
void InvalidateTextures(int tmu, FxU32 begin, FxU32 end);
void Clear(const platform::GlideState& state, GrColor_t rgba, GrAlpha_t alpha, FxU32 depth);
void Draw(const platform::GlideState& state, FxU32 mode, FxU32 count, const void* vertices, FxU32 stride);
// Swaps the colour buffers and shows the new front buffer.
void Swap(FxU32 interval, const GammaTable& gamma);
// Whether a swap with an interval waits for the next 60 Hz slot.
void SetFramePacing(bool on);
void Flush(bool wait);
// Writes RGBA8 rows (top first) into the front (0) or back (1) buffer.
void WritePixels(int buffer, int x, int y, int width, int height, const std::vector<FxU8>& rgba);
// Reads a colour buffer as RGB rows from the top.
bool ReadPixels(int buffer, platform::Picture* out);
// Re-presents the front buffer and reads back what the window shows.
bool ReadWindow(const GammaTable& gamma, platform::Picture* out);
// Pixels written since the counter was last reset; the first call starts it.
FxU32 PixelsOut();
void ResetPixels();
}  // namespace gl

// The board's texture memory and the current state, for the GL back end.
const std::vector<FxU8>& TextureMemory(int tmu);
int TmuCount();
int CurrentResolutionWidth();
int CurrentResolutionHeight();
const GammaTable& CurrentGammaTable();

}  // namespace glide_internal
