#include "ui/progress_bar.h"

#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;
using ui_internal::SnapToSixteenth;

namespace {

// The 3D bar's matrix when animated, shared by all bars: one is drawn at a time.
Matrix4 g_BarMatrix;

}  // namespace

ProgressBar::ProgressBar() = default;

ProgressBar::~ProgressBar() = default;

void ProgressBar::SetPosition(float px, float py, float pz) {
  if (screenBar) {
    x = px * static_cast<float>(g_ScreenWidth) / 640.0f;
    y = py * static_cast<float>(g_ScreenHeight) / 480.0f;
  } else {
    x = px;
    y = py;
  }
  z = pz;
  UpdateVertices();
}

void ProgressBar::SetScale(float pw, float ph, float) {
  if (screenBar) {
    w = pw * static_cast<float>(g_ScreenWidth) / 640.0f;
    h = ph * static_cast<float>(g_ScreenHeight) / 480.0f;
  } else {
    w = pw;
    h = ph;
  }
  UpdateVertices();
}

bool ProgressBar::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::PROGRESS_BAR_ERROR);
    return false;
  }
  DataReader r(&file);
  auto fail = [&file](bool report) {
    if (report) ReportError(ui_internal::PROGRESS_BAR_ERROR);
    file.Close();
    return false;
  };
  std::uint8_t flags[3];
  char name[ui_internal::PATH_SIZE];
  if (!r.Bytes(flags, 3) || !r.String(name, ui_internal::PATH_SIZE)) return fail(true);
  horizontal = flags[0];
  screenBar = flags[1];
  animated = flags[2];
  // Practice and qualifying show the other variant of the race plate.
  if ((g_RaceType == 1 || g_RaceType == 2) && ui_internal::SameTextIgnoringCase(name, "DATA\\TRACK\\_OSTXT4.TEX"))
    ui_internal::CopyTruncated(name, sizeof name, "DATA\\TRACK\\_OSTXT41.TEX");
  if (!g_TextureManager.Load(name, &texture, 8)) return fail(false);
  float values[9];
  bool ok = true;
  for (float& v : values) ok = ok && r.F32(&v);
  std::uint16_t v = 0;
  if (!ok || !r.U16(&v)) return fail(true);
  SetPosition(values[0], values[1], values[2]);
  SetScale(values[3], values[4], 1.0f);
  uLeft = values[5];
  uRight = values[6];
  vTop = values[7];
  vBottom = values[8];
  // Beyond 100 the bar would leave its frame.
  value = v > 100 ? 100 : v;
  if (!screenBar && animated) {
    std::uint8_t spare = 0;
    char animationPath[ui_internal::PATH_SIZE];
    if (!r.U8(&spare) || !r.String(animationPath, ui_internal::PATH_SIZE)) return fail(true);
    if (!animation.Load(animationPath)) return fail(false);
    player.animation = &animation;
  }
  UpdateVertices();
  file.Close();
  return true;
}

void ProgressBar::UpdateVertices() {
  const float filled = static_cast<float>(value) * w * 0.01f;
  const float extent = static_cast<float>(value) * (uRight - uLeft) * 0.01f;
  const std::uint32_t colour = PackColour(1.0f, colourR, colourG, colourB);
  const float s = g_TextureManager.sScale[texture];
  const float t = g_TextureManager.tScale[texture];
  if (screenBar) {
    if (!screenVertices) {
      screenVertices.reset(new (std::nothrow) ScreenVertex[6]);
      if (!screenVertices) {
        ui_internal::ReportOutOfMemory();
        return;
      }
    }
    float cx[6], cy[6];
    const float cu[6] = {uLeft, uLeft + extent, uLeft + extent, uLeft, uLeft + extent, uLeft};
    const float cv[6] = {vTop, vTop, vBottom, vTop, vBottom, vBottom};
    if (horizontal) {
      const float hx[6] = {x, x + filled, x + filled, x, x + filled, x};
      const float hy[6] = {y, y, y + h, y, y + h, y + h};
      std::memcpy(cx, hx, sizeof cx);
      std::memcpy(cy, hy, sizeof cy);
    } else {
      // Grows upwards from y; h is its width along x.
      const float vx[6] = {x, x, x + h, x, x + h, x + h};
      const float vy[6] = {y, y - filled, y - filled, y, y - filled, y};
      std::memcpy(cx, vx, sizeof cx);
      std::memcpy(cy, vy, sizeof cy);
    }
    for (int i = 0; i < 6; ++i) {
      ScreenVertex& vertex = screenVertices[i];
      std::memset(&vertex, 0, sizeof vertex);
      vertex.x = SnapToSixteenth(cx[i]);
      vertex.y = SnapToSixteenth(cy[i]);
      vertex.colour = colour;
      vertex.z = 65535.0f;
      vertex.q = 1.0f;
      vertex.s = cu[i] * s;
      vertex.t = cv[i] * t;
    }
    return;
  }
  if (!positions) {
    positions.reset(new (std::nothrow) Vector3[4]);
    attributes.reset(new (std::nothrow) VertexAttribute[6]);
    indices.reset(new (std::nothrow) std::uint16_t[6]);
    if (!positions || !attributes || !indices) {
      positions.reset();
      attributes.reset();
      indices.reset();
      ui_internal::ReportOutOfMemory();
      return;
    }
  }
  positions[0] = Vector3(x, y, z);
  positions[1] = Vector3(x, y + h, z);
  positions[2] = Vector3(x + filled, y + h, z);
  positions[3] = Vector3(x + filled, y, z);
  const std::uint16_t order[6] = {0, 1, 2, 0, 2, 3};
  const float au[6] = {uLeft, uLeft, uLeft + extent, uLeft, uLeft + extent, uLeft + extent};
  const float av[6] = {vTop, vBottom, vBottom, vTop, vBottom, vTop};
  for (int i = 0; i < 6; ++i) {
    indices[i] = order[i];
    attributes[i] = {colour, au[i] * s, av[i] * t};
  }
  vertexCount = 4;
  indexCount = 6;
}

bool ProgressBar::Update(unsigned ms, int mode) {
  if (screenBar || !animated) return true;
  ui_internal::PlayModeSequence(&player, mode, ms);
  return true;
}

bool ProgressBar::Draw() {
  g_TextureManager.Select(texture);
  if (screenBar) {
    if (screenVertices && screenVertexCount % 3 == 0) g_Renderer.DrawTriangles(screenVertexCount, screenVertices.get());
    return true;
  }
  if (!positions) return true;
  if (animated) {
    Matrix4 key;
    player.GetKeyMatrix(&key, 0);
    MultiplyMatrix(key, matrix, &g_BarMatrix);
    g_GeometryPipeline.objectMatrix = &g_BarMatrix;
  } else {
    g_GeometryPipeline.objectMatrix = &matrix;
  }
  const std::uint16_t partSize = vertexCount;
  g_GeometryPipeline.TransformMesh(1, positions.get(), &partSize, attributes.get(), indices.get(), indexCount,
                                   &output, &outputCount, nullptr, Vector3(1.0f, 1.0f, 1.0f));
  if (outputCount != 0) g_Renderer.DrawTriangles(outputCount, output);
  return true;
}
