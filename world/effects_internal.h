// Small helpers shared by the world's effects.
#pragma once

#include <cstring>

#include "engine/texture_manager.h"
#include "platform/win32/crt.h"

namespace world_effects {

// rand() / 32767: 0..1 from the runtime-compatible generator.
inline float Random01() { return static_cast<float>(crt::rand()) / 32767.0f; }

// Loads a texture by a name the caller keeps (the manager upper-cases its
// argument in place).
inline bool LoadTexture(const char* name, TextureSlot* slot, std::uint8_t limit) {
  char copy[260];
  std::strncpy(copy, name != nullptr ? name : "", sizeof copy - 1);
  copy[sizeof copy - 1] = '\0';
  return g_TextureManager.Load(copy, slot, limit);
}

}  // namespace world_effects
