// The texture manager. Declared here as far as the scenes use it; its own
// module implements the operations.
#pragma once

#include <cstdint>

// The key colour of textures loaded from now on (transparent texels).
struct ColourKey {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
extern ColourKey g_ColourKey;

class TextureManager {
 public:
  TextureManager();

  // Reloads every loaded texture after the device was brought back.
  bool ReloadAll();
  // Exit handler: forgets every texture name.
  void ClearNames();
};

extern TextureManager& g_TextureManager;
