#include "riders/shadow.h"

#include <cmath>
#include <utility>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/event.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "riders/rider_file.h"
#include "world/track.h"


namespace {

const char kShadowError[] = "File error opening shadow data.\nPlease reinstall Kelvarro.";

constexpr std::uint16_t kBlobIndices[18] = {2, 0, 3, 3, 0, 1, 3, 1, 4, 5, 2, 3, 5, 3, 6, 6, 3, 4};
// The parts drawn at the near level, from the frame outwards, and the depth
// bias of each: later parts draw over earlier ones where they overlap.
constexpr int kNearParts[7] = {5, 2, 3, 4, 6, 0, 1};
constexpr int kMiddleParts[3] = {5, 0, 1};

std::uint32_t Argb(int a, int rgb) {
  a = a < 0 ? 0 : (a > 255 ? 255 : a);
  rgb = rgb < 0 ? 0 : (rgb > 255 ? 255 : rgb);
  const auto c = static_cast<std::uint32_t>(rgb);
  return static_cast<std::uint32_t>(a) << 24 | c << 16 | c << 8 | c;
}

int Trunc(float f) { return static_cast<int>(f); }

// In the Glide build the ground is multiplied by one minus the source colour,
// so the grey level is the darkening; the other build blends by alpha.
std::uint32_t BlobColour(float k, bool wet) {
  if (g_RenderBuild == RENDER_BUILD_GLIDE) return Argb(255, Trunc(255.0f * k * (wet ? 0.3f : 0.8f)));
  return Argb(Trunc(255.0f * k * (wet ? 0.1f : 0.7f)), 0);
}

std::uint32_t MeshColourAtLoad(bool wet) {
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    return Argb(Trunc(255.0f * (wet ? 0.1f : 0.5f)), Trunc(255.0f * (wet ? 0.07f : 0.5f)));
  }
  return Argb(Trunc(255.0f * (wet ? 0.05f : 0.5f)), 2);
}

std::uint32_t MeshColour(float k, bool wet) {
  if (g_RenderBuild == RENDER_BUILD_GLIDE) return Argb(127, Trunc(255.0f * k * (wet ? 0.07f : 0.5f)));
  return Argb(Trunc(255.0f * k * (wet ? 0.05f : 0.5f)), 2);
}

void Paint(LitMesh* mesh, std::uint32_t colour) {
  for (VertexAttribute& a : mesh->attributes) a.colour = colour;
}

Matrix4 Product(const Matrix4& a, const Matrix4& b) {
  Matrix4 out;
  MultiplyMatrix(a, b, &out);
  return out;
}

}  // namespace

void ShadowBlobOffsets(float lean, float* a, float* b) {
  const float s = std::fabs(lean);
  if (lean >= 0.0f) {
    if (s <= 0.3f) {
      *a = -0.05f - 1.6666666f * s;
      *b = 0.05f - 0.6666666f * s;
    } else {
      *a = -0.05f - (0.5f + 0.28571427f * (s - 0.3f));
      *b = 0.05f - (0.2f + 0.2857143f * (s - 0.3f));
    }
  } else if (s <= 0.3f) {
    *a = 0.6666666f * s - 0.05f;
    *b = 1.6666666f * s + 0.05f;
  } else {
    *a = (0.2f + 0.2857143f * (s - 0.3f)) - 0.05f;
    *b = 0.5f + 0.28571427f * (s - 0.3f) + 0.05f;
  }
}

Shadow::Shadow() {
  if (g_Event) weather = g_Event->CurrentWeather();
  m1 = m2 = g_IdentityMatrix;
  for (Matrix4& m : partMatrices) m = g_IdentityMatrix;
  const std::uint32_t centre = BlobColour(1.0f, weather != 0);
  for (int i = 0; i < 18; ++i) {
    blobIndices[i] = kBlobIndices[i];
    blobCorners[i] = VertexAttribute{kBlobIndices[i] == 3 ? centre : 0u, 0.0f, 0.0f};
  }
}

Shadow::~Shadow() {
  middleParts.reset();
  farMesh.reset();
}

bool Shadow::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ShowMessageBox(kShadowError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  skinned = 1;
  DataReader r(&file);
  char name[260];
  if (!r.String(name, sizeof(name)) || !r.String(name, sizeof(name))) {
    ShowMessageBox(kShadowError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  RiderFileMeshes out;
  out.body = &body;
  out.middleParts = &middleParts;
  out.farMesh = &farMesh;
  out.partCount = &partCount;
  out.lit = false;
  if (!ReadRiderMeshes(this, &r, out, kShadowError)) return false;
  outputMatrices.assign(nodeCount, g_IdentityMatrix);
  const std::uint32_t colour = MeshColourAtLoad(weather != 0);
  Paint(&body, colour);
  for (std::uint16_t i = 0; i < partCount; ++i) Paint(&middleParts[i], colour);
  Paint(farMesh.get(), colour);
  return true;
}

void Shadow::ProjectOnto(const Vector3& light, const TrackSurface& surface, float flatHeight, Plane* smoothed,
                         float* k, Matrix4* m) const {
  Plane target{surface.a, surface.b, surface.c};
  const float facing = light.x * surface.nx + light.y * surface.ny + light.z * surface.nz;
  // Ground almost along the light would stretch the shadow without end.
  if (std::fabs(facing) < 0.35f) target = Plane{0.0f, 0.0f, flatHeight};
  const bool settled = smoothed->a != 0.0f || smoothed->b != 0.0f || smoothed->c != 0.0f;
  if (lod == 0 && replaced == 0 && settled) {
    const float step = g_FrameTime * 5.0f;
    smoothed->a += (target.a - smoothed->a) * step;
    smoothed->b += (target.b - smoothed->b) * step;
    smoothed->c += (target.c - smoothed->c) * step;
  } else {
    *smoothed = target;
  }
  const float a = smoothed->a, b = smoothed->b, c = smoothed->c;
  float d = light.y - light.x * a - light.z * b;
  // A plane parallel to the light (d exactly 0) takes the small positive
  // distance too, rather than an infinite matrix.
  if (d >= 0.0f && d < 1e-6f) d = 1e-6f;
  if (d > -1e-6f && d < 0.0f) d = -1e-6f;
  *k = 1.0f / d;
  const float lx = light.x * *k, ly = light.y * *k, lz = light.z * *k;
  *m = Matrix4{{1.0f + lx * a, ly * a, lz * a, 0.0f,  //
                -lx, 1.0f - ly, -lz, 0.0f,            //
                lx * b, ly * b, 1.0f + lz * b, 0.0f,  //
                lx * c, ly * c, lz * c, 1.0f}};
}

bool Shadow::Update(unsigned, int) {
  if (g_OptionShadows == 0) return true;
  if (g_OptionShadows == 1) {
    float a = 0.0f, b = 0.0f;
    ShadowBlobOffsets(lean, &a, &b);
    const Vector3 ahead = 0.3f * forward;
    const Vector3 skew = (0.4f * lean) * forward;
    const Vector3 lift = 0.3f * up;
    blob[0] = front + a * right + ahead + skew + lift;
    blob[1] = front + b * right + ahead - skew + lift;
    blob[5] = rear + a * right - ahead + skew + lift;
    blob[6] = rear + b * right - ahead - skew + lift;
    blob[3] = (blob[0] + blob[1] + blob[5] + blob[6]) / 4.0f;
    blob[2] = blob[3] - 0.5f * right;
    blob[4] = blob[3] + 0.5f * right;
    for (Vector3& p : blob) p.y = bikePlane.a * p.x + bikePlane.b * p.z + bikePlane.c;
    return true;
  }
  const Vector3 l0 = g_LightDirection;
  const float h = std::sqrt(l0.x * l0.x + l0.z * l0.z);
  const float elevation = 0.8726646304130554f;
  // A light straight down has no direction across the ground: it falls
  // straight down here too, rather than dividing by zero.
  Vector3 light(0.0f, -1.0f, 0.0f);
  if (h > 0.0f) {
    light = Vector3(l0.x / h * std::cos(elevation), -std::sin(elevation), l0.z / h * std::cos(elevation));
    light = light / std::sqrt(LengthSquared(light));
  }
  ProjectOnto(light, bikePlane, (front.y + rear.y) / 2.0f, &smoothedBike, &k1, &m1);
  ProjectOnto(light, bodyPlane, bodyHeight, &smoothedBody, &k2, &m2);
  return true;
}

void Shadow::ProjectMesh(LitMesh* mesh) {
  const std::uint16_t* pair = mesh->partCount < 2 ? bikeHints : bodyHints;
  const int groups = mesh->partCount == 0 ? 1 : mesh->partCount;
  std::size_t at = 0;
  const std::size_t count = mesh->basePositions.size() < mesh->positions.size() ? mesh->basePositions.size()
                                                                                 : mesh->positions.size();
  for (int g = 0; g < groups && g < static_cast<int>(outputMatrices.size()); ++g) {
    const std::size_t size = mesh->partCount == 0 ? count : mesh->partSizes[g];
    const Matrix4& m = outputMatrices[g];
    for (std::size_t i = 0; i < size && at < count; ++i, ++at) {
      Vector3 q = TransformPoint(mesh->basePositions[at], m);
      if (track) {
        if (useSections == 0) {
          q.y = track->GetFieldHeight(&q);
          workSection = pair[0];
          workTriangle = pair[1];
        } else {
          float height = q.y;
          if (!track->GetHeightOrField(&q, &workSection, &workTriangle, &height)) {
            workSection = pair[0];
            workTriangle = pair[1];
          }
          q.y = height;
        }
      }
      mesh->positions[at] = q;
    }
  }
}

bool Shadow::Draw() {
  if (g_OptionShadows == 0) return true;
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
    g_Renderer.SetAlphaTest(false);
  }
  g_TextureManager.Select(0);
  if (g_OptionShadows == 1) {
    g_GeometryPipeline.objectMatrix = nullptr;
    const std::uint16_t seven = 7;
    blobEmitted = 0;
    g_GeometryPipeline.TransformMesh(1, blob, &seven, blobCorners, blobIndices, 18, &blobOutput, &blobEmitted,
                                     nullptr, Vector3(1.0f, 1.0f, 1.0f));
    if (blobEmitted != 0 && blobEmitted % 3 == 0) g_Renderer.DrawTriangles(blobEmitted, blobOutput);
    return true;
  }
  if (!farMesh || !middleParts || partCount < 7) return true;
  if (lod == 2) {
    outputMatrices[0] = Product(partMatrices[5], m1);
    g_GeometryPipeline.objectMatrix = &outputMatrices[0];
    farMesh->Draw();
  } else if (lod == 1) {
    for (int part : kMiddleParts) {
      LitMesh& mesh = middleParts[part];
      // Drawn from the vertices as loaded: the near level leaves them on the
      // ground of its last frame.
      std::swap(mesh.positions, mesh.basePositions);
      outputMatrices[0] = Product(partMatrices[part], m1);
      g_GeometryPipeline.objectMatrix = &outputMatrices[0];
      mesh.Draw();
      std::swap(mesh.positions, mesh.basePositions);
    }
  } else {
    if (partsFlag) {
      std::uint32_t bias = 10;
      for (int part : kNearParts) {
        outputMatrices[0] = Product(partMatrices[part], m1);
        ProjectMesh(&middleParts[part]);
        g_GeometryPipeline.objectMatrix = nullptr;
        g_Renderer.SetDepthBias(bias--);
        middleParts[part].Draw();
      }
    }
    if (g_OptionShadows == 3 && nodeMatrices && nodeMatrixCount >= body.partCount &&
        outputMatrices.size() >= body.partCount) {
      for (std::uint16_t i = 0; i < body.partCount; ++i) outputMatrices[i] = Product(nodeMatrices[i], m2);
      ProjectMesh(&body);
      g_GeometryPipeline.objectMatrix = nullptr;
      g_Renderer.SetDepthBias(3);
      body.Draw();
    }
    g_Renderer.SetDepthBias(0);
    return true;
  }
  workSection = bikeHints[0];
  workTriangle = bikeHints[1];
  return true;
}

void Shadow::SetIntensity(float k) {
  const bool wet = weather != 0;
  if (g_OptionShadows == 1) {
    const std::uint32_t centre = BlobColour(k, wet);
    for (int i = 0; i < 18; ++i) blobCorners[i].colour = blobIndices[i] == 3 ? centre : 0u;
    return;
  }
  const std::uint32_t colour = MeshColour(k, wet);
  if (lod == 2) {
    if (farMesh) Paint(farMesh.get(), colour);
    return;
  }
  if (!middleParts || partCount < 7) return;
  for (int part : kMiddleParts) Paint(&middleParts[part], colour);
  if (lod == 0) {
    for (int part : {2, 3, 4, 6}) Paint(&middleParts[part], colour);
    if (g_OptionShadows == 3) Paint(&body, colour);
  }
}
