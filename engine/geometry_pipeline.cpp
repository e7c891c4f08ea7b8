#include "engine/geometry_pipeline.h"

#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>

#include "engine/camera.h"
#include "engine/display.h"

GeometryPipeline g_GeometryPipeline;
Vector3 g_LightDirection;

namespace {

// Full 4x4 product: the view-projection's last column is not affine.
void Multiply4x4(const Matrix4& a, const Matrix4& b, Matrix4* out) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i * 4 + j] = a.m[i * 4 + 0] * b.m[0 * 4 + j] + a.m[i * 4 + 1] * b.m[1 * 4 + j] +
                       a.m[i * 4 + 2] * b.m[2 * 4 + j] + a.m[i * 4 + 3] * b.m[3 * 4 + j];
    }
  }
  *out = r;
}

// The position times column j of m.
inline float Column(const Vector3& p, const Matrix4& m, int j) {
  return p.x * m.m[j] + p.y * m.m[4 + j] + p.z * m.m[8 + j] + m.m[12 + j];
}

inline std::uint32_t Channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFFu; }

std::uint32_t ChannelByte(float channel) {
  if (!(channel > 0.0f)) return 0;
  if (channel >= 1.0f) return 255;
  return static_cast<std::uint32_t>(channel * 255.0f);
}

// Blend factor of a clip point: trunc(t x 256) within 0..256 (a NaN counts as 0).
inline std::uint32_t BlendFactor256(float t) {
  float f = t * 256.0f;
  // Written as selects, which compile without branches.
  f = f > 0.0f ? f : 0.0f;
  f = f < 256.0f ? f : 256.0f;
  return static_cast<std::uint32_t>(static_cast<int>(f));
}

}  // namespace

std::uint32_t GeometryPipeline::FogAmount(float w, float end, float scale) {
  float f = (end - w) * scale;
  f = f < 255.0f ? f : 255.0f;
  f = f > 0.0f ? f : 0.0f;  // a NaN counts as full fog
  return 255u - static_cast<std::uint32_t>(f);
}

std::uint32_t PackColour(float alpha, float red, float green, float blue) {
  return ChannelByte(alpha) << 24 | ChannelByte(red) << 16 | ChannelByte(green) << 8 | ChannelByte(blue);
}

struct GeometryPipeline::Corner {
  ScreenVertex v;
  std::uint8_t code;
};

GeometryPipeline::GeometryPipeline() {
  std::memset(transformed, 0, sizeof(transformed));
  std::memset(output, 0, sizeof(output));
  viewProjection = g_IdentityMatrix;
}

void GeometryPipeline::SetupProjection() {
  viewWidth = g_ViewWidth;
  viewHeight = g_ViewHeight;
  halfWidth = viewWidth * 0.5f;
  halfHeight = viewHeight * 0.5f;
  centreX = (g_ViewRect.left + g_ViewRect.right) / 2.0f;
  centreY = (g_ViewRect.top + g_ViewRect.bottom) / 2.0f;

  const Matrix4& v = g_Camera.view;
  const Matrix4& proj = g_Camera.projection;
  const float px = proj.m[0];
  const float py = proj.m[5];
  const float pz = proj.m[10];
  const float pz0 = proj.m[14];
  for (int r = 0; r < 4; ++r) {
    float* row = &viewProjection.m[r * 4];
    const float* vr = &v.m[r * 4];
    row[0] = px * vr[0] * halfWidth;
    // The half width scales both screen axes: pixels are square.
    row[1] = py * vr[1] * halfWidth;
    row[2] = pz * vr[2];
    if (r == 3) row[2] = row[2] + pz0;
    row[3] = vr[2];
  }
  // Glide: 0..65535, larger nearer; Direct3D: 0..1, smaller nearer.
  depthScale = (g_RenderBuild == RENDER_BUILD_DIRECT3D ? 1.0f : 65535.0f) / (g_Camera.farPlane - g_Camera.nearPlane);
}

void GeometryPipeline::ReadViewBounds() {
  near_ = g_Camera.nearPlane;
  far_ = g_Camera.farPlane;
  left_ = g_ViewRect.left;
  right_ = g_ViewRect.right;
  top_ = g_ViewRect.top;
  bottom_ = g_ViewRect.bottom;
}

std::uint8_t GeometryPipeline::ScreenCode(float x, float y) const {
  std::uint8_t code = 0;
  if (x < left_) code |= CLIP_LEFT;
  if (x >= right_) code |= CLIP_RIGHT;
  if (y < top_) code |= CLIP_TOP;
  if (y >= bottom_) code |= CLIP_BOTTOM;
  return code;
}

namespace {

// What the transform of one part reads, held in locals: the stores into the
// vertex buffers are floats too, so the compiler would otherwise reload every
// member of the pipeline for every position.
struct PartTransform {
  float m[16];  // object x view-projection
  Vector3 light;
  float fullLight, maxLight;
  Vector3 lightColour;
  float centreX, centreY, depthScale, nearPlane, farPlane;
  bool direct3D;
  float left, right, top, bottom;
  // Direct3D's vertex fog (fogAmount written only when set).
  bool vertexFog;
  float fogEnd, fogScale;
};

// Four lanes of floats and of 32-bit lane masks (GCC and clang vector
// extensions). Each lane computes exactly what the scalar code does: IEEE
// operations, in the same order, with no contraction.
typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Int4 __attribute__((vector_size(16)));

inline Float4 Splat(float f) { return Float4{f, f, f, f}; }
inline Int4 SplatInt(std::int32_t i) { return Int4{i, i, i, i}; }
inline Float4 Select(Int4 mask, Float4 a, Float4 b) {
  return reinterpret_cast<Float4>((mask & reinterpret_cast<Int4>(a)) | (~mask & reinterpret_cast<Int4>(b)));
}
inline Int4 Select(Int4 mask, Int4 a, Int4 b) { return (mask & a) | (~mask & b); }

// trunc(t x 256) within 0..256 per lane, as BlendFactor256.
inline Int4 BlendFactor256(Float4 t) {
  Float4 f = t * Splat(256.0f);
  f = Select(f > Splat(0.0f), f, Splat(0.0f));
  f = Select(f < Splat(256.0f), f, Splat(256.0f));
  return __builtin_convertvector(f, Int4);
}

// Transforms, projects and codes positions [begin, end) (and lights them when
// Lit); returns the AND of their clip codes. Four positions at a time; a
// position beyond the far plane keeps its old depth, coordinates and light,
// as in the one-at-a-time loop for the rest.
template <bool Lit>
std::uint8_t TransformPart(const PartTransform& c, const Vector3* positions, int begin, int end, ScreenVertex* out,
                           std::uint8_t* codes, VertexLight* lights, GeometryPipeline::LightFactors* factors) {
  const float m0 = c.m[0], m4 = c.m[4], m8 = c.m[8], m12 = c.m[12];
  const float m1 = c.m[1], m5 = c.m[5], m9 = c.m[9], m13 = c.m[13];
  const float m3 = c.m[3], m7 = c.m[7], m11 = c.m[11], m15 = c.m[15];
  const float lightScale = c.maxLight - 0.3f;
  std::uint8_t allCodes = 0xFF;
  int index = begin;
  for (; index + 4 <= end; index += 4) {
    Float4 px, py, pz;
    for (int j = 0; j < 4; ++j) {
      px[j] = positions[index + j].x;
      py[j] = positions[index + j].y;
      pz[j] = positions[index + j].z;
    }
    Float4 w = px * Splat(m3) + py * Splat(m7) + pz * Splat(m11) + Splat(m15);
    const Int4 beyond = w > Splat(c.farPlane);
    const Int4 nearer = w < Splat(c.nearPlane);
    w = Select(nearer & (w == Splat(0.0f)), Splat(0.0001f), w);
    const Float4 z = c.direct3D ? (w - Splat(c.nearPlane)) * Splat(c.depthScale)
                                : (Splat(c.farPlane) - w) * Splat(c.depthScale);
    const Float4 q = Splat(1.0f) / w;
    const Float4 x = Splat(c.centreX) + q * (px * Splat(m0) + py * Splat(m4) + pz * Splat(m8) + Splat(m12));
    const Float4 y = Splat(c.centreY) - q * (px * Splat(m1) + py * Splat(m5) + pz * Splat(m9) + Splat(m13));
    // Behind the near plane the projection mirrors x and y, so their bits
    // would be wrong; such a vertex only counts as near.
    const Int4 screen = ((x < Splat(c.left)) & SplatInt(CLIP_LEFT)) | ((x >= Splat(c.right)) & SplatInt(CLIP_RIGHT)) |
                        ((y < Splat(c.top)) & SplatInt(CLIP_TOP)) | ((y >= Splat(c.bottom)) & SplatInt(CLIP_BOTTOM));
    const Int4 code = Select(beyond, SplatInt(CLIP_FAR), Select(nearer, SplatInt(CLIP_NEAR), screen));
    Float4 intensity = {};
    Int4 red = {}, green = {}, blue = {};
    if constexpr (Lit) {
      Float4 nx, ny, nz;
      for (int j = 0; j < 4; ++j) {
        nx[j] = lights[index + j].normal.x;
        ny[j] = lights[index + j].normal.y;
        nz[j] = lights[index + j].normal.z;
      }
      const Float4 d = -(Splat(c.light.x) * nx + Splat(c.light.y) * ny + Splat(c.light.z) * nz);
      intensity = Splat(0.3f) + Splat(lightScale) * d / Splat(c.fullLight);
      intensity = Select(intensity >= Splat(0.3f), intensity, Splat(0.3f));
      intensity = Select(intensity > Splat(c.maxLight), Splat(c.maxLight), intensity);
      // Each corner's channel is scaled by trunc(intensity x light colour x 256) / 256.
      red = BlendFactor256(intensity * Splat(c.lightColour.x));
      green = BlendFactor256(intensity * Splat(c.lightColour.y));
      blue = BlendFactor256(intensity * Splat(c.lightColour.z));
    }
    for (int j = 0; j < 4; ++j) {
      ScreenVertex& o = out[index + j];
      if (!beyond[j]) {
        o.z = z[j];
        o.q = q[j];
        o.x = x[j];
        o.y = y[j];
        if (c.vertexFog) o.fogAmount = GeometryPipeline::FogAmount(w[j], c.fogEnd, c.fogScale);
        if constexpr (Lit) {
          lights[index + j].intensity = intensity[j];
          factors[index + j] = {static_cast<std::uint16_t>(red[j]), static_cast<std::uint16_t>(green[j]),
                                static_cast<std::uint16_t>(blue[j])};
        }
      }
      const std::uint8_t laneCode = static_cast<std::uint8_t>(code[j]);
      o.colour = laneCode;
      codes[index + j] = laneCode;
      allCodes &= laneCode;
    }
  }
  for (; index < end; ++index) {
    const Vector3 pos = positions[index];
    ScreenVertex& o = out[index];
    float w = pos.x * m3 + pos.y * m7 + pos.z * m11 + m15;
    std::uint8_t code;
    if (w > c.farPlane) {
      code = CLIP_FAR;
    } else {
      code = 0;
      if (w < c.nearPlane) {
        code = CLIP_NEAR;
        if (w == 0.0f) w = 0.0001f;
      }
      o.z = c.direct3D ? (w - c.nearPlane) * c.depthScale : (c.farPlane - w) * c.depthScale;
      if (c.vertexFog) o.fogAmount = GeometryPipeline::FogAmount(w, c.fogEnd, c.fogScale);
      const float q = 1.0f / w;
      o.q = q;
      const float x = c.centreX + q * (pos.x * m0 + pos.y * m4 + pos.z * m8 + m12);
      const float y = c.centreY - q * (pos.x * m1 + pos.y * m5 + pos.z * m9 + m13);
      o.x = x;
      o.y = y;
      if (code == 0) {
        code = static_cast<std::uint8_t>((x < c.left) << 3 | (x >= c.right) << 1 | (y < c.top) << 2 |
                                         static_cast<int>(y >= c.bottom));
      }
      if constexpr (Lit) {
        VertexLight& rec = lights[index];
        const float d = -Dot(c.light, rec.normal);
        float intensity = 0.3f + lightScale * d / c.fullLight;
        intensity = intensity >= 0.3f ? intensity : 0.3f;
        intensity = intensity > c.maxLight ? c.maxLight : intensity;
        rec.intensity = intensity;
        GeometryPipeline::LightFactors& f = factors[index];
        f.red = static_cast<std::uint16_t>(BlendFactor256(intensity * c.lightColour.x));
        f.green = static_cast<std::uint16_t>(BlendFactor256(intensity * c.lightColour.y));
        f.blue = static_cast<std::uint16_t>(BlendFactor256(intensity * c.lightColour.z));
      }
    }
    o.colour = code;
    codes[index] = code;
    allCodes &= code;
  }
  return allCodes;
}

// The colour of a corner: alpha 255, and with light each channel scaled by
// its position's factor.
template <bool Lit>
inline std::uint32_t CornerColour(std::uint32_t colour, const GeometryPipeline::LightFactors* f) {
  if constexpr (!Lit) {
    return colour | 0xFF000000u;
  } else {
    return 0xFF000000u | ((Channel(colour, 16) * f->red) >> 8) << 16 | ((Channel(colour, 8) * f->green) >> 8) << 8 |
           ((Channel(colour, 0) * f->blue) >> 8);
  }
}

}  // namespace

int GeometryPipeline::TransformMesh(int parts, const Vector3* positions, const std::uint16_t* partSizes,
                                    const VertexAttribute* attributes, const std::uint16_t* indices,
                                    std::uint16_t indexCount, ScreenVertex** outVertices, std::uint16_t* outCount,
                                    VertexLight* lights, const Vector3& lightColour) {
  ReadViewBounds();
  outCount_ = 0;
  full_ = false;
  *outVertices = output;
  *outCount = 0;

  int total = 0;
  for (int p = 0; p < parts; ++p) total += partSizes[p];
  if (total > PIPELINE_MAX_VERTICES) return 0;

  // 1-2. Transform, project, code and light, part by part.
  PartTransform c;
  c.fullLight = 0.9f;
  c.maxLight = 1.0f;
  if (lights != nullptr && fogOn) {
    c.fullLight = 0.7f;
    c.maxLight = 0.8f;
  }
  c.lightColour = lightColour;
  c.centreX = centreX;
  c.centreY = centreY;
  c.depthScale = depthScale;
  c.direct3D = g_RenderBuild == RENDER_BUILD_DIRECT3D;
  c.vertexFog = c.direct3D && fogOn;
  c.fogEnd = fogEnd;
  c.fogScale = fogScale;
  c.nearPlane = near_;
  c.farPlane = far_;
  c.left = left_;
  c.right = right_;
  c.top = top_;
  c.bottom = bottom_;
  std::uint8_t allCodes = 0xFF;
  int index = 0;
  for (int p = 0; p < parts; ++p) {
    Matrix4 m = viewProjection;
    c.light = g_LightDirection;
    if (objectMatrix != nullptr) {
      const Matrix4& o = objectMatrix[p];
      Multiply4x4(o, viewProjection, &m);
      if (lights != nullptr) {
        Vector3 l(o.m[0] * g_LightDirection.x + o.m[1] * g_LightDirection.y + o.m[2] * g_LightDirection.z,
                  o.m[4] * g_LightDirection.x + o.m[5] * g_LightDirection.y + o.m[6] * g_LightDirection.z,
                  o.m[8] * g_LightDirection.x + o.m[9] * g_LightDirection.y + o.m[10] * g_LightDirection.z);
        float len = std::sqrt(LengthSquared(l));
        c.light = len > 0.0f ? l / len : l;
      }
    }
    std::memcpy(c.m, m.m, sizeof(c.m));
    const int end = index + partSizes[p];
    allCodes &= lights != nullptr ? TransformPart<true>(c, positions, index, end, transformed, codes_, lights, lightFactors_)
                                  : TransformPart<false>(c, positions, index, end, transformed, codes_, lights,
                                                         lightFactors_);
    index = end;
  }
  positionsTransformed += static_cast<std::uint32_t>(total);
  const int triangles = indexCount / 3;
  trianglesReceived += static_cast<std::uint32_t>(triangles);

  // 3. Every position beyond one and the same edge: nothing can show.
  if (total == 0 || allCodes != 0) return 0;

  // 4. Triangles in index order.
  if (lights != nullptr) {
    EmitTriangles<true>(attributes, indices, triangles, total);
  } else {
    EmitTriangles<false>(attributes, indices, triangles, total);
  }

  // 5. Statistics and result.
  verticesEmitted += static_cast<std::uint32_t>(outCount_);
  trianglesEmitted += static_cast<std::uint32_t>(outCount_ / 3);
  *outCount = static_cast<std::uint16_t>(outCount_);
  return outCount_;
}

template <bool Lit>
void GeometryPipeline::EmitTriangles(const VertexAttribute* attributes, const std::uint16_t* indices, int triangles,
                                     int total) {
  const ScreenVertex* const t = transformed;
  const LightFactors* const factors = lightFactors_;
  const std::uint8_t* const codes = codes_;
  ScreenVertex* const out = output;
  const bool direct3D = g_RenderBuild == RENDER_BUILD_DIRECT3D;
  int count = outCount_;
  // The screen vertex of corner k (position i) with its colour and texture coordinates.
  const auto cornerVertex = [&](ScreenVertex* v, int k, std::uint16_t i) {
    const VertexAttribute& a = attributes[k];
    *v = t[i];
    v->colour = CornerColour<Lit>(a.colour, &factors[i]);
    // Glide interpolates s and t divided by w; Direct3D takes u and v as they are.
    v->s = direct3D ? a.u : a.u * v->q;
    v->t = direct3D ? a.v : a.v * v->q;
  };
  for (int tri = 0; tri < triangles; ++tri) {
    const int k = tri * 3;
    const std::uint16_t i0 = indices[k], i1 = indices[k + 1], i2 = indices[k + 2];
    if (i0 >= total || i1 >= total || i2 >= total) continue;
    const std::uint8_t c0 = codes[i0];
    const std::uint8_t c1 = codes[i1];
    const std::uint8_t c2 = codes[i2];
    // All three beyond one and the same plane: clipping would leave nothing.
    if ((c0 & c1 & c2) != 0 || ((c0 | c1 | c2) & CLIP_FAR) != 0) continue;
    const ScreenVertex& t0 = t[i0];
    const ScreenVertex& t1 = t[i1];
    const ScreenVertex& t2 = t[i2];
    if ((c0 | c1 | c2) != 0) {
      Corner c[3];
      cornerVertex(&c[0].v, k, i0);
      cornerVertex(&c[1].v, k + 1, i1);
      cornerVertex(&c[2].v, k + 2, i2);
      c[0].code = c0;
      c[1].code = c1;
      c[2].code = c2;
      outCount_ = count;
      ClipTriangle(c[0], c[1], c[2], CLIP_NEAR);
      count = outCount_;
      if (full_) break;
      continue;
    }
    // Back faces: screen y grows downwards.
    if ((t0.x - t2.x) * (t0.y - t1.y) > (t0.x - t1.x) * (t0.y - t2.y)) continue;
    if (count + 3 > PIPELINE_MAX_VERTICES) {
      full_ = true;
      break;
    }
    cornerVertex(&out[count], k, i0);
    cornerVertex(&out[count + 1], k + 1, i1);
    cornerVertex(&out[count + 2], k + 2, i2);
    count += 3;
  }
  outCount_ = count;
}

void GeometryPipeline::Emit(const Corner& a, const Corner& b, const Corner& c) {
  // Back faces: screen y grows downwards.
  const float x0 = a.v.x, y0 = a.v.y;
  if ((x0 - c.v.x) * (y0 - b.v.y) > (x0 - b.v.x) * (y0 - c.v.y)) return;
  if (outCount_ + 3 > PIPELINE_MAX_VERTICES) {
    full_ = true;
    return;
  }
  output[outCount_] = a.v;
  output[outCount_ + 1] = b.v;
  output[outCount_ + 2] = c.v;
  outCount_ += 3;
}

void GeometryPipeline::ClipTriangle(const Corner& a, const Corner& b, const Corner& c, std::uint8_t mask) {
  if (full_) return;
  if (mask == 0) {
    Emit(a, b, c);
    return;
  }
  const std::uint8_t next = static_cast<std::uint8_t>(mask >> 1);
  const Corner* v[3] = {&a, &b, &c};
  int outside = 0;
  int first = -1;  // the outside corner when one is, the inside one when two are
  for (int i = 0; i < 3; ++i) {
    if (v[i]->code & mask) ++outside;
  }
  if (outside == 0) {
    ClipTriangle(a, b, c, next);
    return;
  }
  if (outside == 3) return;
  for (int i = 0; i < 3; ++i) {
    const bool out = (v[i]->code & mask) != 0;
    if (out == (outside == 1)) {
      first = i;
      break;
    }
  }
  const Corner& p = *v[first];
  const Corner& n = *v[(first + 1) % 3];
  const Corner& r = *v[(first + 2) % 3];
  if (outside == 2) {
    // p is the one inside corner.
    const Corner pn = ClipEdge(p, n, mask);
    const Corner rp = ClipEdge(r, p, mask);
    ClipTriangle(p, pn, rp, next);
  } else {
    // p is the one outside corner: the quadrilateral left is cut as a fan.
    const Corner q0 = ClipEdge(p, n, mask);
    const Corner q3 = ClipEdge(r, p, mask);
    ClipTriangle(q0, n, r, next);
    ClipTriangle(q0, r, q3, next);
  }
}

GeometryPipeline::Corner GeometryPipeline::ClipEdge(const Corner& a, const Corner& b, std::uint8_t plane) const {
  const bool direct3D = g_RenderBuild == RENDER_BUILD_DIRECT3D;
  const float wa = 1.0f / a.v.q;
  const float wb = 1.0f / b.v.q;
  const float xa = wa * (a.v.x - centreX) / halfWidth;
  const float xb = wb * (b.v.x - centreX) / halfWidth;
  const float ya = -wa * (a.v.y - centreY) / halfHeight;
  const float yb = -wb * (b.v.y - centreY) / halfHeight;
  float da;
  float db;
  switch (plane) {
    case CLIP_LEFT:
      da = wa + xa;
      db = wb + xb;
      break;
    case CLIP_RIGHT:
      da = wa - xa;
      db = wb - xb;
      break;
    case CLIP_TOP:
      da = wa - ya;
      db = wb - yb;
      break;
    case CLIP_BOTTOM:
      da = wa + ya;
      db = wb + yb;
      break;
    default:  // near
      da = wa - near_;
      db = wb - near_;
      break;
  }
  const float t = da == db ? 0.0f : da / (da - db);

  Corner out;
  out.v = a.v;
  out.code = 0;
  float w;
  if (plane == CLIP_NEAR) {
    w = near_;
    out.v.q = 1.0f / near_;
    out.v.z = direct3D ? 0.0f : (far_ - near_) * depthScale;
  } else {
    w = wa + t * (wb - wa);
    out.v.z = direct3D ? (w - near_) * depthScale : (far_ - w) * depthScale;
    out.v.q = 1.0f / w;
  }
  if (direct3D && fogOn) out.v.fogAmount = FogAmount(w, fogEnd, fogScale);
  const float q = out.v.q;
  if (plane == CLIP_LEFT) {
    out.v.x = left_;
  } else if (plane == CLIP_RIGHT) {
    out.v.x = right_;
  } else {
    out.v.x = centreX + (xa + t * (xb - xa)) * q * halfWidth;
    if (out.v.x < left_) out.code |= CLIP_LEFT;
    if (out.v.x >= right_) out.code |= CLIP_RIGHT;
  }
  if (plane == CLIP_TOP) {
    out.v.y = top_;
  } else if (plane == CLIP_BOTTOM) {
    out.v.y = bottom_;
  } else {
    out.v.y = centreY - (ya + t * (yb - ya)) * q * halfHeight;
    if (out.v.y < top_) out.code |= CLIP_TOP;
    if (out.v.y >= bottom_) out.code |= CLIP_BOTTOM;
  }

  const std::uint32_t f = BlendFactor256(t);
  std::uint32_t colour = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    colour |= ((f * Channel(b.v.colour, shift) + (256 - f) * Channel(a.v.colour, shift)) >> 8) << shift;
  }
  out.v.colour = colour;
  if (direct3D) {
    out.v.s = a.v.s + t * (b.v.s - a.v.s);
    out.v.t = a.v.t + t * (b.v.t - a.v.t);
    return out;
  }
  const float sa = a.v.s * wa;
  const float ta = a.v.t * wa;
  out.v.s = (sa + t * (b.v.s * wb - sa)) * q;
  out.v.t = (ta + t * (b.v.t * wb - ta)) * q;
  return out;
}

bool GeometryPipeline::IsBoxVisible(const Vector3* box) {
  ReadViewBounds();
  Matrix4 m = viewProjection;
  if (objectMatrix != nullptr) Multiply4x4(*objectMatrix, viewProjection, &m);
  const Vector3& lo = box[0];
  const Vector3& hi = box[7];
  std::uint8_t allCodes = 0xFF;
  for (int c = 0; c < 8; ++c) {
    const Vector3 p((c & 1) ? hi.x : lo.x, (c & 2) ? hi.y : lo.y, (c & 4) ? hi.z : lo.z);
    const float w = Column(p, m, 3);
    std::uint8_t code = w > far_ ? CLIP_FAR : 0;
    if (w >= near_) {
      const float q = 1.0f / w;
      code |= ScreenCode(centreX + q * Column(p, m, 0), centreY - q * Column(p, m, 1));
      if (code == 0) return true;
    } else {
      code |= CLIP_NEAR;
    }
    allCodes &= code;
  }
  return allCodes == 0;
}

void GeometryPipeline::ApplyDepthBias(int count, ScreenVertex* vertices, std::uint32_t steps) {
  // Direct3D's depth runs the other way, in 1/65536 steps of its 0..1.
  const bool direct3D = g_RenderBuild == RENDER_BUILD_DIRECT3D;
  const float step = direct3D ? static_cast<float>(steps) / 65536.0f : static_cast<float>(steps);
  for (int i = 0; i < count; ++i) {
    ScreenVertex& v = vertices[i];
    v.z = direct3D ? v.z - step : v.z + step;
    const float w = 1.0f / v.q - step / depthScale;
    // A vertex already at the eye cannot come nearer.
    if (w > 0.0f) v.q = 1.0f / w;
  }
}

// ---- Welding ------------------------------------------------------------------

namespace {

// Exact float equality as a hash key: 0 and -0 are equal, a NaN equals
// nothing (such positions are never merged).
struct PositionKey {
  std::uint32_t x, y, z;
  bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct PositionKeyHash {
  std::size_t operator()(const PositionKey& k) const {
    std::uint64_t h = k.x;
    h = h * 0x9E3779B97F4A7C15ull ^ k.y;
    h = h * 0x9E3779B97F4A7C15ull ^ k.z;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

std::uint32_t Bits(float f) {
  if (f == 0.0f) f = 0.0f;
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

bool MakeKey(const Vector3& p, PositionKey* key) {
  if (p.x != p.x || p.y != p.y || p.z != p.z) return false;
  *key = {Bits(p.x), Bits(p.y), Bits(p.z)};
  return true;
}

// Collects distinct positions: a position equal to one collected earlier
// maps to that one.
class Welder {
 public:
  explicit Welder(std::size_t n) {
    kept.reserve(n);
    seen_.reserve(n);
  }
  // The index of p among the kept positions; keeps p when it is new.
  std::uint16_t Add(const Vector3& p) {
    PositionKey key;
    if (MakeKey(p, &key)) {
      auto [it, added] = seen_.emplace(key, static_cast<std::uint16_t>(kept.size()));
      if (!added) return it->second;
    }
    kept.push_back(p);
    return static_cast<std::uint16_t>(kept.size() - 1);
  }

  std::vector<Vector3> kept;

 private:
  std::unordered_map<PositionKey, std::uint16_t, PositionKeyHash> seen_;
};

}  // namespace

bool WeldVertices(std::vector<Vector3>* positions, std::uint16_t* indices, std::size_t indexCount) {
  try {
    const std::size_t n = positions->size();
    std::vector<std::uint16_t> remap(n);
    Welder welder(n);
    for (std::size_t i = 0; i < n; ++i) remap[i] = welder.Add((*positions)[i]);
    for (std::size_t k = 0; k < indexCount; ++k) {
      if (indices[k] < n) indices[k] = remap[indices[k]];
    }
    welder.kept.shrink_to_fit();
    *positions = std::move(welder.kept);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool BuildWeldedGroups(std::vector<VertexAttribute>* attributes, std::uint16_t* partSizes, int partCount,
                       std::uint16_t* indices, std::size_t indexCount, std::vector<Vector3>* positions) {
  try {
    const std::size_t n = positions->size();
    std::size_t sum = 0;
    for (int p = 0; p < partCount; ++p) sum += partSizes[p];
    if (sum != n || attributes->size() < n) return false;
    std::vector<std::uint16_t> remap(n);
    Welder welder(n);
    std::size_t i = 0;
    for (int p = 0; p < partCount; ++p) {
      const std::size_t before = welder.kept.size();
      for (std::size_t end = i + partSizes[p]; i < end; ++i) remap[i] = welder.Add((*positions)[i]);
      partSizes[p] = static_cast<std::uint16_t>(welder.kept.size() - before);
    }
    std::vector<VertexAttribute> perIndex(indexCount);
    for (std::size_t k = 0; k < indexCount; ++k) {
      const std::uint16_t old = indices[k] < n ? indices[k] : 0;
      perIndex[k] = (*attributes)[old];
      indices[k] = remap[old];
    }
    welder.kept.shrink_to_fit();
    *positions = std::move(welder.kept);
    *attributes = std::move(perIndex);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
