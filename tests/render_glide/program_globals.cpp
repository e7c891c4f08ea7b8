// The global objects the renderer and the texture manager work with, for the
// tests of this folder.
#include "engine/renderer.h"
#include "engine/texture_manager.h"

namespace {
Renderer renderer;
TextureManager textureManager;
}  // namespace

Renderer& g_Renderer = renderer;
TextureManager& g_TextureManager = textureManager;
float g_FrameTime = 0.0f;
