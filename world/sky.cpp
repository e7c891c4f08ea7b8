#include "world/sky.h"

#include <cmath>
#include <cstring>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "world/effects_internal.h"
#include "world/track.h"


using world_effects::Random01;

namespace {

const char kSkyFileError[] = "File error opening sky data.\nPlease reinstall Kelvarro.";
constexpr std::uint32_t kSkyNameSize = 260;

// The sky lies far beyond the race's far plane: the camera's far distance
// and its two depth terms are changed while the sky is drawn or projected.
class FarPlaneScope {
 public:
  explicit FarPlaneScope(float far) : saved_(g_Camera.farPlane) { Set(far); }
  ~FarPlaneScope() { Set(saved_); }

 private:
  static void Set(float far) {
    Camera& c = g_Camera;
    c.farPlane = far;
    c.projection.m[10] = c.farPlane / (c.farPlane - c.nearPlane);
    c.projection.m[14] = -c.farPlane * c.nearPlane / (c.farPlane - c.nearPlane);
    g_GeometryPipeline.SetupProjection();
  }
  float saved_;
};

}  // namespace

Sky::Sky() {
  matrix = g_IdentityMatrix;
  for (Vector3& p : positions) p = Vector3(0.0f, 0.0f, 0.0f);
  std::memset(attributes, 0, sizeof attributes);
  std::memset(stars, 0, sizeof stars);
  for (int i = 0; i < SKY_MAX_CORNERS; ++i) indices[i] = static_cast<std::uint16_t>(i);
}

bool Sky::Load(const char* fileName) {
  ArchiveFile file;
  if (!OpenDataFile(fileName, &file)) {
    ShowMessageBox(kSkyFileError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  DataReader r(&file);
  char name[kSkyNameSize];
  float fileRadius = 0.0f;
  // A damaged length or radius is reported as an unreadable file.
  if (!r.String(name, kSkyNameSize) || !r.F32(&fileRadius) || !(fileRadius > 0.0f)) {
    ShowMessageBox(kSkyFileError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  radius = fileRadius;
  if (!g_TextureManager.Load(name, &texture, 8)) return false;
  BuildClouds();
  return true;
}

void Sky::BuildClouds() {
  if (enabled == 0) return;
  const int c = (g_OptionSkyEnable == 1 || starMode == 1) ? 36 : 6;
  cloudCount = static_cast<std::uint16_t>(c);
  const float step = 6.2831855f / static_cast<float>(c >= 36 ? c : c / 2);
  const float R = radius;
  const bool glide = g_RenderBuild == RENDER_BUILD_GLIDE;
  const float sScale = glide ? g_TextureManager.sScale[texture] : 1.0f;
  const float tScale = glide ? g_TextureManager.tScale[texture] : 1.0f;
  for (int i = 0; i < c; ++i) {
    // A small sky goes round twice: each of its three azimuths is used twice.
    const float a = static_cast<float>(i) * step;
    const float u1 = Random01();
    const float u2 = Random01();
    const float e = u1 * u2 * 1.0471976f + 0.17453292f;
    const float x = R * std::cos(e) * std::cos(a);
    const float y = R * std::sin(e);
    const float z = R * std::cos(e) * std::sin(a);
    float s = 0.7f * R;
    if (e < 0.7853982f) {
      s = s + Random01() * 0.7f * R;
    } else if (e < 1.3962634f) {
      s = s + Random01() * 0.5f * R;
    }
    positions[3 * i] = Vector3(x - s / 4.0f, y, z - s / 4.0f);
    positions[3 * i + 1] = Vector3(x + 3.0f * s / 4.0f, y, z - s / 4.0f);
    positions[3 * i + 2] = Vector3(x - s / 4.0f, y, z + 3.0f * s / 4.0f);
    static const float kUvA[3][2] = {{0.00390625f, 0.24609375f}, {0.56640625f, 0.24609375f}, {0.00390625f, 0.00390625f}};
    static const float kUvB[3][2] = {{0.56640625f, 0.00390625f}, {0.00390625f, 0.00390625f}, {0.56640625f, 0.24609375f}};
    const float(*uv)[2] = crt::rand() > 16383 ? kUvA : kUvB;
    for (int k = 0; k < 3; ++k) {
      VertexAttribute& at = attributes[3 * i + k];
      at.u = uv[k][0] * sScale;
      at.v = uv[k][1] * tScale;
      const float grey = starMode == 1 ? 0.3f + 0.7f * Random01() : 0.1f * (1.0f + Random01());
      const std::uint32_t g = static_cast<std::uint32_t>(255.0f * grey);
      at.colour = 0x3F000000u | g << 16 | g << 8 | g;
    }
  }
}

bool Sky::Update(unsigned, int) {
  if (enabled == 0) return true;
  if (starMode == 1) {
    UpdateStars();
    return true;
  }
  centre = g_Camera.position;
  centre.y = 0.0f;
  angle = std::fmod(angle + g_FrameTime * 0.0209439509f, 6.283185258507729f);
  const float c = std::cos(angle), s = std::sin(angle);
  matrix = g_IdentityMatrix;
  matrix.m[0] = c;
  matrix.m[10] = c;
  matrix.m[2] = s;
  matrix.m[8] = -s;
  matrix.m[12] = centre.x;
  matrix.m[14] = centre.z;
  return true;
}

void Sky::UpdateStars() {
  FarPlaneScope far(5.0f * radius);
  const Camera& cam = g_Camera;
  centre = cam.position;
  matrix.m[12] = centre.x;
  matrix.m[14] = centre.z;
  Matrix4 m;
  MultiplyMatrix(matrix, cam.view, &m);
  const float sx = cam.projection.m[0] * g_ViewWidth * 0.5f;
  const float sy = cam.projection.m[5] * g_ViewWidth * 0.5f;
  const float halfW = static_cast<float>(g_ScreenWidth) * 0.5f;
  const float halfH = static_cast<float>(g_ScreenHeight) * 0.5f;
  const ViewRect& rect = g_ViewRect;
  starCount = 0;
  const int corners = cloudCount * 3;
  for (int i = 0; i < corners && i < SKY_MAX_CORNERS; ++i) {
    const Vector3 p = TransformPoint(positions[i], m);
    const float w = p.z;
    if (w < cam.nearPlane || w > cam.farPlane) continue;
    const float q = 1.0f / w;
    const float x = q * (p.x * sx) + halfW;
    const float y = halfH - q * (p.y * sy);
    if (x < rect.left || x > rect.right - 1.0f || y < rect.top || y > rect.bottom - 1.0f) continue;
    ScreenVertex& v = stars[starCount++];
    v.x = x;
    v.y = y;
    v.colour = attributes[i].colour;
    v.z = (cam.farPlane - w) * 65535.0f / (cam.farPlane - cam.nearPlane);
    v.q = q;
    v.s = 0.0f;
    v.t = 0.0f;
  }
}

bool Sky::Draw() {
  if (enabled == 0) return true;
  if (starMode == 1) {
    g_TextureManager.Select(0);
    g_Renderer.SetAlphaBlendEnable(false);
    g_Renderer.DrawPoints(starCount, stars);
    return true;
  }
  g_TextureManager.Select(texture);
  g_Renderer.SetAlphaBlendEnable(true);
  FarPlaneScope far(5.0f * radius);
  g_GeometryPipeline.objectMatrix = &matrix;
  const std::uint16_t sizes[1] = {static_cast<std::uint16_t>(cloudCount * 3)};
  g_GeometryPipeline.TransformMesh(1, positions, sizes, attributes, indices, sizes[0], &output, &emitted, nullptr,
                                   Vector3(0.0f, 0.0f, 0.0f));
  if (emitted % 3 == 0) g_Renderer.DrawTriangles(emitted, output);
  return true;
}
