#include "ui/text.h"

#include <cstring>
#include <new>

#include "engine/texture_manager.h"
#include "ui/font.h"
#include "ui/widget_io.h"

namespace {

// The animated text's object matrix, shared by all texts: only one is
// drawn at a time.
Matrix4 g_TextMatrix;

}  // namespace

Text::Text() = default;

Text::~Text() = default;

void Text::LayOutAgain() {
  if (!text) return;
  const std::size_t n = std::strlen(text.get()) + 1;
  std::unique_ptr<char[]> copy(new (std::nothrow) char[n]);
  if (!copy) {
    ui_internal::ReportOutOfMemory();
    return;
  }
  std::memcpy(copy.get(), text.get(), n);
  SetText(copy.get());
}

void Text::SetPosition(float x, float y, float z) {
  originX = x;
  originY = y;
  originZ = z;
  LayOutAgain();
}

void Text::SetScale(float x, float y, float z) {
  sizeX = x;
  sizeY = y;
  sizeZ = z;
  LayOutAgain();
}

bool Text::Update(unsigned ms, int mode) {
  if (!animated) return true;
  ui_internal::PlayModeSequence(&player, mode, ms);
  return true;
}

bool Text::Draw() {
  if (vertexCount == 0) return true;
  g_TextureManager.Select(font ? font->texture : 0);
  if (animated) {
    Matrix4 key;
    player.GetKeyMatrix(&key, 0);
    MultiplyMatrix(key, matrix, &g_TextMatrix);
    g_GeometryPipeline.objectMatrix = &g_TextMatrix;
  } else {
    g_GeometryPipeline.objectMatrix = &matrix;
  }
  const std::uint16_t partSize = vertexCount;
  g_GeometryPipeline.TransformMesh(1, positions.get(), &partSize, attributes.get(), indices.get(), indexCount,
                                   &output, &outputCount, nullptr, Vector3(1.0f, 1.0f, 1.0f));
  if (outputCount != 0) g_Renderer.DrawTriangles(outputCount, output);
  return true;
}
