// The device half of the texture slots in kelvarro_dx: each slot's texture
// surface and its texture interface (null when the slot is free), and the
// .TEX reader that fills a system-memory surface in the chosen format.
#pragma once

#include <cstdint>

#include "engine/texture_manager.h"
#include "platform/ddraw/ddraw.h"

extern IDirectDrawSurface4* g_TextureSurfaces[TEXTURE_SLOT_COUNT];
extern IDirect3DTexture2* g_TextureInterfaces[TEXTURE_SLOT_COUNT];

// An 8-bit colour in a 16-bit format: each channel's top bits at its mask.
DWORD ConvertTexel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, const DDPIXELFORMAT& format);

// The .TEX file `name` as a system-memory texture surface in the chosen
// format, min(side, 32 x limit) on each side (a limit of 0 counts as 1),
// taking every step-th texel; with an alpha bit, set for every texel but
// the keyed ones. False after a reported failure.
bool ReadTexSurface(const char* name, IDirectDrawSurface4** out, std::uint8_t limit, bool keyed,
                    std::uint8_t keyRed, std::uint8_t keyGreen, std::uint8_t keyBlue);
