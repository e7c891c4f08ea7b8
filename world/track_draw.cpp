// The visible window, the track's drawing and the tyre marks.
#include <cmath>

#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/texture_manager.h"
#include "world/track.h"
#include "world/track_internal.h"

namespace {

// The marks' colour: a grey that darkens by colour under Glide, black at
// alpha 76 that darkens by alpha under Direct3D.
constexpr std::uint32_t kMarkGrey = 0xFF4C4C4Cu;
constexpr std::uint32_t kMarkBlack = 0x4C000000u;

// Solid pieces and the ground: blending off, or under Direct3D's colour-key
// stand-in on with ONE, ZERO.
void SolidBlend() {
  if (g_RenderBuild == RENDER_BUILD_DIRECT3D && g_AlphaTestForColourKeys) {
    g_Renderer.SetAlphaBlendEnable(true);
    g_Renderer.SetSrcBlend(BLEND_ONE);
    g_Renderer.SetDestBlend(BLEND_ZERO);
  } else {
    g_Renderer.SetAlphaBlendEnable(false);
  }
}

// Blending that darkens what lies below by the drawn colour (Glide) or alpha
// (Direct3D).
void DarkeningBlend() {
  g_Renderer.SetAlphaBlendEnable(true);
  if (g_RenderBuild == RENDER_BUILD_DIRECT3D) {
    g_Renderer.SetSrcBlend(BLEND_SRC_ALPHA);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_ALPHA);
  } else {
    g_Renderer.SetSrcBlend(BLEND_ZERO);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  }
}

int Mod(int n, int count) {
  const int r = n % count;
  return r < 0 ? r + count : r;
}

}  // namespace

TyreMark::TyreMark() { Reset(); }

void TyreMark::Reset() {
  for (Vector3& c : corners) c = Vector3(0.0f, 0.0f, 0.0f);
  const float lo = 240.0f / 255.0f;
  const float hi = 250.0f / 255.0f;
  const float uv[6][2] = {{lo, lo}, {hi, hi}, {lo, hi}, {hi, lo}, {hi, hi}, {lo, lo}};
  const std::uint32_t colour = g_RenderBuild == RENDER_BUILD_DIRECT3D ? kMarkBlack : kMarkGrey;
  for (int k = 0; k < 6; ++k) attributes[k] = VertexAttribute{colour, uv[k][0], uv[k][1]};
  const std::uint16_t order[6] = {0, 1, 2, 0, 2, 3};
  for (int k = 0; k < 6; ++k) indices[k] = order[k];
  section = NEVER_LAID;
}

void Track::SetVisibleWindow(std::int16_t first, std::int16_t last, std::uint16_t current) {
  if (sectionCount != 0) {
    windowFirst = static_cast<std::uint16_t>(Mod(first, sectionCount));
    windowLast = static_cast<std::uint16_t>(Mod(last, sectionCount));
  }
  currentSection = current;
}

void Track::GetVisibleWindow(std::uint16_t* first, std::uint16_t* last) const {
  *first = windowFirst;
  *last = windowLast;
}

int Track::WindowLength() const {
  const int n = windowLast - windowFirst + 1;
  return n < 0 ? n + sectionCount : n;
}

bool Track::Draw() {
  g_GeometryPipeline.objectMatrix = nullptr;
  const int n = sectionCount == 0 ? 0 : WindowLength();
  for (int i = 0; i < landPieceCount; ++i) {
    g_TextureManager.Select(landPieceTextures[i]);
    switch (landPieceTypes[i]) {
      case LAND_PIECE_BLENDED:
        DarkeningBlend();
        g_Renderer.SetDepthBias(10);
        break;
      case LAND_PIECE_ADDITIVE:
        g_Renderer.SetAlphaBlendEnable(true);
        g_Renderer.SetSrcBlend(BLEND_ONE);
        g_Renderer.SetDestBlend(BLEND_ONE);
        g_Renderer.SetDepthBias(0);
        break;
      default:
        SolidBlend();
        g_Renderer.SetDepthBias(0);
        break;
    }
    for (int k = 0; k < n; ++k) {
      const TrackSection& s = sections[(windowFirst + k) % sectionCount];
      if (s.pieceVisible[i]) landPieceMeshes[i][s.pieceMesh[i]].Draw();
    }
  }
  g_TextureManager.Select(texture);
  SolidBlend();
  for (int k = 0; k < n; ++k) sections[(windowFirst + k) % sectionCount].Draw();
  if (g_ShowSectionMarkers) {
    for (int k = 0; k < n; ++k) sections[(windowFirst + k) % sectionCount].DrawMarker();
  }
  return true;
}

bool Track::DrawTyreMarks(bool windowOnly) {
  DarkeningBlend();
  auto inWindow = [&](const TyreMark& m) {
    if (windowFirst < windowLast) return windowFirst <= m.section && m.section <= windowLast;
    return m.section >= windowFirst || m.section <= windowLast;
  };
  for (int k = 0; k < TYRE_MARK_RING_SIZE; ++k) {
    if (!windowOnly || inWindow(ringA[k])) ringA[k].Draw();
    if (!windowOnly || inWindow(ringB[k])) ringB[k].Draw();
  }
  g_Renderer.SetAlphaBlendEnable(false);
  return true;
}

void Track::ResetTyreMarks() {
  for (TyreMark& m : ringA) m.Reset();
  for (TyreMark& m : ringB) m.Reset();
}

void Track::LayMark(TyreMark* ring, std::uint32_t* next, const Vector3& c1, const Vector3& c2, const TrackSurface& s,
                    float step, float join, float back, float dx, float dz, std::uint32_t section) {
  const TyreMark& p = ring[*next];
  const float moved = std::fabs(c1.z - p.corners[0].z) + std::fabs(c1.x - p.corners[0].x);
  if (!(moved > step)) return;
  *next = *next + 1 >= TYRE_MARK_RING_SIZE ? 0 : *next + 1;
  TyreMark& m = ring[*next];
  auto onGround = [&](float x, float z) { return Vector3(x, s.a * x + s.b * z + s.c, z); };
  // The previous mark, read before the new one can overwrite it.
  const Vector3 p0 = p.corners[0];
  const Vector3 p1 = p.corners[1];
  const bool continues = join > moved && p.section != TyreMark::NEVER_LAID;
  m.corners[0] = onGround(c1.x, c1.z);
  m.corners[1] = onGround(c2.x, c2.z);
  if (continues) {
    m.corners[2] = p1;
    m.corners[3] = p0;
  } else {
    m.corners[2] = onGround(c2.x - back * dx, c2.z - back * dz);
    m.corners[3] = onGround(c1.x - back * dx, c1.z - back * dz);
  }
  m.section = section;
}

void Track::AddTyreMarks(TyreMarkInput input) {
  if (sectionCount == 0) return;
  const float speed = std::sqrt(LengthSquared(input.velocity));
  TrackSurface surface;
  GetSurface(&surface, &input.rearContact1, static_cast<std::uint16_t>(input.sectionHint),
             static_cast<std::uint16_t>(input.triangleHint), input.useSections != 0);
  const float step = (speed * 0.125f + 0.2f) * g_FrameTime * 25.0f;
  const float join = (speed * 0.25f + 0.3f) * g_FrameTime * 25.0f;
  const float back = speed * 0.016f + 0.2f;
  // Standing still there is no direction to lay a strip's start behind.
  const float dx = speed > 0.0f ? input.velocity.x / speed : 0.0f;
  const float dz = speed > 0.0f ? input.velocity.z / speed : 0.0f;
  LayMark(ringA, &ringANext, input.rearContact1, input.rearContact2, surface, step, join, back, dx, dz,
          input.sectionHint);
  if (!input.frontInAir)
    LayMark(ringB, &ringBNext, input.frontContact1, input.frontContact2, surface, step, join, back, dx, dz,
            input.sectionHint);
}
