// TEMPORARY stand-in until the texture manager lands on main: only what the
// drawable objects use. Replaced at that merge.
#pragma once

#include <cstdint>

using TextureSlot = std::uint8_t;

class TextureManager {
 public:
  bool Load(char* name, TextureSlot* slot, std::uint8_t limit);
  bool Select(TextureSlot slot);
  void Free(TextureSlot slot);
  float ScaleS(TextureSlot slot) const;
  float ScaleT(TextureSlot slot) const;
};

extern TextureManager g_TextureManager;
