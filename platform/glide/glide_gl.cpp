// The OpenGL back end of the virtual board: an OpenGL 3.3 core context on the
// window's SDL window (EGL under SDL's offscreen driver), the frame in two
// colour textures and one depth buffer at the opened resolution, one shader
// program per combination of combine, test and fog modes in use, and the
// presentation of the front buffer scaled into the window with gamma.
//
// The frame is stored with Glide's y as OpenGL's row index, so clip windows,
// linear-frame-buffer writes and read-back need no flipping; only the
// presentation turns it upright.
#include <SDL.h>

#include <GL/glcorearb.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/gl/gl_functions.h"
#include "platform/glide/glide.h"
#include "platform/glide/glide_internal.h"
#include "platform/win32/timer.h"

namespace {

using namespace kgl;
using namespace glide_internal;

// Vertex attribute slots.
enum Attribute : GLuint { kXY, kColor, kAlpha, kZ, kQ, kST0, kST1, kQ0, kQ1, kAttributeCount };

// Texture units: 0 and 1 for the board's units, 6 and 7 for presentation
// and uploads (so that they never disturb the bindings of the draws).
constexpr GLenum kPresentFrameUnit = GL_TEXTURE6;
constexpr GLenum kWorkUnit = GL_TEXTURE7;

// Everything that picks a program, as plain numbers: cheap to build and to
// compare at every draw.
using ProgramKey = std::array<FxI32, 32>;

struct Program {
  GLuint id = 0;
  GLint uScreen = -1, uConst = -1, uAlphaRef = -1, uChroma = -1, uFogColor = -1, uFog = -1;
  GLint uScale0 = -1, uScale1 = -1;
  // Uniform values last sent.
  GrColor_t constant = 0, chroma = 0, fogColor = 0;
  int alphaRef = -1;
  float scale[2][2] = {{-1, -1}, {-1, -1}};
  GrFog_t fog[kFogEntries] = {};
  bool sent = false;
};

struct CachedTexture {
  int tmu;
  FxU32 begin, end;
  GrLOD_t lod;
  GrAspectRatio_t aspect;
  GrTextureFormat_t format;
  GLuint id;
};

// What the fixed-function part of OpenGL was last given.
struct Applied {
  bool valid = false;
  GLuint fbo = 0;
  GLuint program = 0;
  GrAlphaBlendFnc_t rgbSrc = -1, rgbDst = -1, alphaSrc = -1, alphaDst = -1;
  GrDepthBufferMode_t depthMode = -1;
  GrCmpFnc_t depthFunction = -1;
  FxBool depthMask = -1;
  GrCullMode_t cullMode = -1;
  FxU32 clip[4] = {~0u, ~0u, ~0u, ~0u};
  GLuint texture[2] = {~0u, ~0u};
  GLuint sampler[2] = {~0u, ~0u};
  // Vertex layout of the attribute pointers.
  FxI32 offsets[kAttributeCount] = {};
  FxU32 stride = 0;
  bool layoutValid = false;
};

struct Backend {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  int width = 0, height = 0;
  GLuint color[2] = {0, 0};
  GLuint fbo[2] = {0, 0};
  GLuint depth = 0;
  int front = 0;  // index of the front buffer; the other is drawn into
  GLuint vao = 0, vbo = 0;
  GLsizeiptr vboSize = 0, vboOffset = 0;
  std::map<ProgramKey, Program> programs;
  GLuint presentProgram[2] = {0, 0};  // scaled, exact
  GLuint presentVao = 0, gammaTexture = 0;
  GLint presentOrigin = -1;
  GammaTable gamma{};
  bool gammaSent = false;
  std::vector<CachedTexture> textures;
  GLuint samplers[2][2][3][3] = {};
  Applied applied;
  // The state of the last draw, while OpenGL still holds it.
  platform::GlideState drawn{};
  FxU32 drawnStride = 0;
  bool drawnValid = false;
  // Consecutive draws of one kind of list (triangles, lines, points) in the
  // state of the last draw, gathered for one upload and one draw call: the
  // 2D widgets come two triangles at a time, and a call costs far more than
  // its vertices. Drawn before anything else reaches OpenGL.
  std::vector<FxU8> batch;
  GLenum batchMode = GL_TRIANGLES;
  FxU32 batchVertices = 0;
  int swapInterval = -1;
  // A swap that asks for the display's rate holds the game to about 60 Hz
  // even where the swap does not wait (no vsync, headless).
  platform::FramePacer pacer{1000.0 / 60.0};
  // Pixel statistics: occlusion queries, counted once asked for.
  bool countPixels = false;
  GLuint activeQuery = 0;
  std::vector<GLuint> endedQueries, freeQueries;
  std::uint64_t pixels = 0;
  // The plain-OpenGL benchmark's own objects.
  GLuint benchProgram = 0, benchTexture = 0, benchVao = 0, benchVbo = 0;
  GLint benchScreen = -1, benchScale = -1;
  const FxU16* benchTexels = nullptr;
  int benchTexWidth = 0, benchTexHeight = 0;
};

Backend* g_backend = nullptr;
bool g_framePacing = true;

GLenum CompareFunction(GrCmpFnc_t f) {
  static constexpr GLenum kMap[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                    GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return f >= 0 && f <= 7 ? kMap[f] : GL_ALWAYS;
}

// Glide's colour factors mean the other side's colour as source factors.
GLenum BlendFactor(GrAlphaBlendFnc_t f, bool source) {
  switch (f) {
    case GR_BLEND_ZERO: return GL_ZERO;
    case GR_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case GR_BLEND_SRC_COLOR: return source ? GL_DST_COLOR : GL_SRC_COLOR;
    case GR_BLEND_DST_ALPHA: return GL_DST_ALPHA;
    case GR_BLEND_ONE: return GL_ONE;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return source ? GL_ONE_MINUS_DST_COLOR : GL_ONE_MINUS_SRC_COLOR;
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case GR_BLEND_ALPHA_SATURATE: return source ? GL_SRC_ALPHA_SATURATE : GL_SRC_COLOR;
    default: return source ? GL_ONE : GL_ZERO;
  }
}

GLuint Compile(GLenum kind, const std::string& source) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "Kelvarro: shader compilation failed:\n%s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint Link(const std::string& vertex, const std::string& fragment) {
  GLuint vs = Compile(GL_VERTEX_SHADER, vertex);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment);
  GLuint program = 0;
  if (vs != 0 && fs != 0) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      char log[2048];
      glGetProgramInfoLog(program, sizeof log, nullptr, log);
      std::fprintf(stderr, "Kelvarro: shader link failed:\n%s\n", log);
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vs != 0) glDeleteShader(vs);
  if (fs != 0) glDeleteShader(fs);
  return program;
}

// ---------------------------------------------------------------------------
// The draw program.

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aXY;
layout(location = 1) in vec4 aColor;
layout(location = 2) in float aAlpha;
layout(location = 3) in float aZ;
layout(location = 4) in float aQ;
layout(location = 5) in vec2 aST0;
layout(location = 6) in vec2 aST1;
layout(location = 7) in float aQ0;
layout(location = 8) in float aQ1;
uniform vec2 uScreen;
noperspective out vec4 vColor;
noperspective out vec3 vTex0;
noperspective out vec3 vTex1;
noperspective out float vQ;
void main() {
  gl_Position = vec4(aXY * (2.0 / uScreen) - 1.0, aZ * (2.0 / 65535.0) - 1.0, 1.0);
#if COLOR_SOURCE == 0
  vColor = aColor;
#elif COLOR_SOURCE == 1
  vColor = vec4(aColor.rgb * (1.0 / 255.0), 1.0);
#else
  vColor = vec4(1.0);
#endif
#if ALPHA_SOURCE == 1
  vColor.a = aAlpha * (1.0 / 255.0);
#elif ALPHA_SOURCE == 2
  vColor.a = 1.0;
#endif
  vColor = clamp(vColor, 0.0, 1.0);
#if HAS_Q0
  vTex0 = vec3(aST0, aQ0);
#else
  vTex0 = vec3(aST0, aQ);
#endif
#if HAS_ST1
  vec2 st1 = aST1;
#else
  vec2 st1 = aST0;  // unit 1 gets unit 0's coordinates
#endif
#if HAS_Q1
  vTex1 = vec3(st1, aQ1);
#elif HAS_Q0
  vTex1 = vec3(st1, aQ0);
#else
  vTex1 = vec3(st1, aQ);
#endif
  vQ = aQ;
}
)";

const char* const kFragmentShader = R"(
noperspective in vec4 vColor;
noperspective in vec3 vTex0;
noperspective in vec3 vTex1;
noperspective in float vQ;
uniform sampler2D uTex0;
uniform sampler2D uTex1;
uniform vec2 uScale0;
uniform vec2 uScale1;
uniform vec4 uConst;
uniform float uAlphaRef;
uniform vec3 uChroma;
uniform vec3 uFogColor;
uniform float uFog[64];
layout(location = 0) out vec4 oColor;

// A combine factor. tex: the texture unit's factors (detail and level-of-
// detail fraction are 0 here), else the colour and alpha units'.
vec3 Factor(int f, vec3 local, float localA, float otherA, vec4 texel, bool tex) {
  if (f == 0) return vec3(0.0);
  if (f == 1) return local;
  if (f == 2) return vec3(otherA);
  if (f == 3) return vec3(localA);
  if (f == 4) return tex ? vec3(0.0) : vec3(texel.a);
  if (f == 5) return tex ? vec3(0.0) : texel.rgb;
  if (f == 8) return vec3(1.0);
  if (f == 9) return 1.0 - local;
  if (f == 10) return vec3(1.0 - otherA);
  if (f == 11) return vec3(1.0 - localA);
  if (f == 12) return tex ? vec3(1.0) : vec3(1.0 - texel.a);
  if (f == 13) return vec3(1.0);
  return vec3(0.0);
}

vec3 Combine(int fn, vec3 f, vec3 local, float localA, vec3 other, bool invert) {
  vec3 r = vec3(0.0);
  if (fn == 1) r = local;
  else if (fn == 2) r = vec3(localA);
  else if (fn == 3) r = f * other;
  else if (fn == 4) r = f * other + local;
  else if (fn == 5) r = f * other + localA;
  else if (fn == 6) r = f * (other - local);
  else if (fn == 7) r = f * (other - local) + local;
  else if (fn == 8) r = f * (other - local) + localA;
  else if (fn == 9) r = local - f * local;
  else if (fn == 16) r = localA - f * local;
  r = clamp(r, 0.0, 1.0);
  return invert ? 1.0 - r : r;
}

vec4 TexUnit(int rgbFn, int rgbF, int aFn, int aF, bool rgbInv, bool aInv, vec4 local, vec4 other) {
  vec3 rgb = Combine(rgbFn, Factor(rgbF, local.rgb, local.a, other.a, local, true), local.rgb, local.a,
                     other.rgb, rgbInv);
  float a = Combine(aFn, Factor(aF, vec3(local.a), local.a, other.a, local, true), vec3(local.a), local.a,
                    vec3(other.a), aInv).x;
  return vec4(rgb, a);
}

float FogAt(float q) {
  if (q <= 0.0) return uFog[63];
  float w = 1.0 / q;
  if (w <= 1.0) return uFog[0];
  // Four entries per doubling of w: entry 4e + m lies at 2^(3 + e) / (8 - m).
  float e = floor(log2(w));
  float m = min(floor(8.0 * (1.0 - exp2(e) / w)), 3.0);
  int i = int(e) * 4 + int(m);
  if (i >= 63) return uFog[63];
  float w0 = exp2(e + 3.0) / (8.0 - m);
  float w1 = exp2(e + 3.0) / (7.0 - m);
  return mix(uFog[i], uFog[i + 1], clamp((w - w0) / (w1 - w0), 0.0, 1.0));
}

void main() {
  vec4 upstream = vec4(0.0);
#if USE_T1
  vec4 s1 = texture(uTex1, vTex1.xy / (vTex1.z * uScale1));
  upstream = TexUnit(T1_RGB_FN, T1_RGB_F, T1_A_FN, T1_A_F, T1_RGB_INV != 0, T1_A_INV != 0, s1, vec4(0.0));
#endif
  vec4 texel = upstream;
#if USE_T0
  vec4 s0 = texture(uTex0, vTex0.xy / (vTex0.z * uScale0));
  texel = TexUnit(T0_RGB_FN, T0_RGB_F, T0_A_FN, T0_A_F, T0_RGB_INV != 0, T0_A_INV != 0, s0, upstream);
#endif
  vec4 iter = vColor;
  vec3 cLocal = CC_LOCAL == 1 ? uConst.rgb : iter.rgb;
  vec3 cOther = CC_OTHER == 0 ? iter.rgb : (CC_OTHER == 1 ? texel.rgb : uConst.rgb);
  float aLocal = AC_LOCAL == 1 ? uConst.a : (AC_LOCAL == 2 ? gl_FragCoord.z : iter.a);
  float aOther = AC_OTHER == 0 ? iter.a : (AC_OTHER == 1 ? texel.a : uConst.a);
  vec3 rgb = Combine(CC_FN, Factor(CC_F, cLocal, aLocal, aOther, texel, false), cLocal, aLocal, cOther,
                     CC_INV != 0);
  float a = Combine(AC_FN, Factor(AC_F, vec3(aLocal), aLocal, aOther, texel, false), vec3(aLocal), aLocal,
                    vec3(aOther), AC_INV != 0).x;
#if ALPHA_TEST != 7
  float a8 = floor(a * 255.0 + 0.5);
#if ALPHA_TEST == 0
  discard;
#elif ALPHA_TEST == 1
  if (!(a8 < uAlphaRef)) discard;
#elif ALPHA_TEST == 2
  if (!(a8 == uAlphaRef)) discard;
#elif ALPHA_TEST == 3
  if (!(a8 <= uAlphaRef)) discard;
#elif ALPHA_TEST == 4
  if (!(a8 > uAlphaRef)) discard;
#elif ALPHA_TEST == 5
  if (!(a8 != uAlphaRef)) discard;
#elif ALPHA_TEST == 6
  if (!(a8 >= uAlphaRef)) discard;
#endif
#endif
#if CHROMA
  if (all(equal(floor(cOther * 255.0 + 0.5), uChroma))) discard;
#endif
#if FOG
  rgb = mix(rgb, uFogColor, FogAt(vQ));
#endif
  oColor = vec4(rgb, a);
}
)";

bool UsesOther(GrCombineFunction_t fn) { return fn >= GR_COMBINE_FUNCTION_SCALE_OTHER && fn <= 0x8; }
bool UsesFactor(GrCombineFunction_t fn) { return fn >= GR_COMBINE_FUNCTION_SCALE_OTHER; }
bool TextureFactor(GrCombineFactor_t f) {
  return f == GR_COMBINE_FACTOR_TEXTURE_ALPHA || f == GR_COMBINE_FACTOR_TEXTURE_RGB ||
         f == GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA;
}
bool CombineReadsTexture(const platform::GlideCombine& c) {
  return (UsesOther(c.function) && c.other == GR_COMBINE_OTHER_TEXTURE) ||
         (UsesFactor(c.function) && (TextureFactor(c.factor) ||
                                     ((c.factor == GR_COMBINE_FACTOR_OTHER_ALPHA ||
                                       c.factor == GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA) &&
                                      c.other == GR_COMBINE_OTHER_TEXTURE)));
}
bool TexCombineReadsOther(const platform::GlideTexCombine& c) {
  auto other = [](GrCombineFunction_t fn, GrCombineFactor_t f) {
    return UsesOther(fn) || (UsesFactor(fn) && (f == GR_COMBINE_FACTOR_OTHER_ALPHA ||
                                                f == GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA));
  };
  return other(c.rgbFunction, c.rgbFactor) || other(c.alphaFunction, c.alphaFactor);
}

struct ProgramChoice {
  bool useT0 = false, useT1 = false;
  ProgramKey key{};
};

ProgramChoice ChooseProgram(const platform::GlideState& s) {
  ProgramChoice c;
  bool texture = CombineReadsTexture(s.colorCombine) || CombineReadsTexture(s.alphaCombine) ||
                 (s.chromakeyMode != GR_CHROMAKEY_DISABLE && s.colorCombine.other == GR_COMBINE_OTHER_TEXTURE);
  c.useT0 = texture && s.tmu[0].sourceSet;
  c.useT1 = texture && TmuCount() == 2 && s.tmu[1].sourceSet && (!c.useT0 || TexCombineReadsOther(s.tmu[0].combine));
  std::size_t i = 0;
  auto put = [&](FxI32 v) { c.key[i++] = v; };
  for (const platform::GlideCombine* k : {&s.colorCombine, &s.alphaCombine}) {
    put(k->function), put(k->factor), put(k->local), put(k->other), put(k->invert ? 1 : 0);
  }
  for (int t = 0; t < 2; ++t) {
    const platform::GlideTexCombine& k = s.tmu[t].combine;
    bool used = t == 0 ? c.useT0 : c.useT1;
    put(used ? k.rgbFunction : -1), put(used ? k.rgbFactor : -1), put(used ? k.alphaFunction : -1);
    put(used ? k.alphaFactor : -1), put(used ? (k.rgbInvert ? 1 : 0) + (k.alphaInvert ? 2 : 0) : -1);
  }
  put(std::clamp(s.alphaTestFunction, 0, 7));
  put(s.chromakeyMode != GR_CHROMAKEY_DISABLE ? 1 : 0);
  put(s.fogMode == GR_FOG_WITH_TABLE_ON_Q ? 1 : 0);
  put(s.offsetPARGB >= 0 ? 0 : (s.offsetRGB >= 0 ? 1 : 2));
  put(s.offsetPARGB >= 0 ? 0 : (s.offsetA >= 0 ? 1 : 2));
  put(s.offsetQ0 >= 0 ? 1 : 0);
  put(s.offsetQ1 >= 0 ? 1 : 0);
  put(s.offsetST1 >= 0 ? 1 : 0);
  return c;
}

std::string Defines(const platform::GlideState& s, const ProgramChoice& c) {
  std::string d;
  auto def = [&](const char* name, int value) {
    d += "#define " + std::string(name) + " " + std::to_string(value) + "\n";
  };
  def("CC_FN", s.colorCombine.function);
  def("CC_F", s.colorCombine.factor);
  def("CC_LOCAL", s.colorCombine.local);
  def("CC_OTHER", s.colorCombine.other);
  def("CC_INV", s.colorCombine.invert ? 1 : 0);
  def("AC_FN", s.alphaCombine.function);
  def("AC_F", s.alphaCombine.factor);
  def("AC_LOCAL", s.alphaCombine.local);
  def("AC_OTHER", s.alphaCombine.other);
  def("AC_INV", s.alphaCombine.invert ? 1 : 0);
  for (int t = 0; t < 2; ++t) {
    const platform::GlideTexCombine& k = s.tmu[t].combine;
    std::string p = "T" + std::to_string(t) + "_";
    def((p + "RGB_FN").c_str(), k.rgbFunction);
    def((p + "RGB_F").c_str(), k.rgbFactor);
    def((p + "A_FN").c_str(), k.alphaFunction);
    def((p + "A_F").c_str(), k.alphaFactor);
    def((p + "RGB_INV").c_str(), k.rgbInvert ? 1 : 0);
    def((p + "A_INV").c_str(), k.alphaInvert ? 1 : 0);
  }
  def("USE_T0", c.useT0 ? 1 : 0);
  def("USE_T1", c.useT1 ? 1 : 0);
  def("ALPHA_TEST", std::clamp(s.alphaTestFunction, 0, 7));
  def("CHROMA", s.chromakeyMode != GR_CHROMAKEY_DISABLE ? 1 : 0);
  def("FOG", s.fogMode == GR_FOG_WITH_TABLE_ON_Q ? 1 : 0);
  def("COLOR_SOURCE", s.offsetPARGB >= 0 ? 0 : (s.offsetRGB >= 0 ? 1 : 2));
  def("ALPHA_SOURCE", s.offsetPARGB >= 0 ? 0 : (s.offsetA >= 0 ? 1 : 2));
  def("HAS_Q0", s.offsetQ0 >= 0 ? 1 : 0);
  def("HAS_Q1", s.offsetQ1 >= 0 ? 1 : 0);
  def("HAS_ST1", s.offsetST1 >= 0 ? 1 : 0);
  return d;
}

Program* GetProgram(Backend& b, const platform::GlideState& s, ProgramChoice* choice) {
  *choice = ChooseProgram(s);
  auto it = b.programs.find(choice->key);
  if (it != b.programs.end()) return it->second.id != 0 ? &it->second : nullptr;
  std::string defines = Defines(s, *choice);
  std::string vs = kVertexShader;
  vs.insert(vs.find('\n') + 1, defines);
  std::string fs = "#version 330 core\n" + defines + kFragmentShader;
  Program p;
  p.id = Link(vs, fs);
  if (p.id != 0) {
    glUseProgram(p.id);
    b.applied.program = p.id;
    p.uScreen = glGetUniformLocation(p.id, "uScreen");
    p.uConst = glGetUniformLocation(p.id, "uConst");
    p.uAlphaRef = glGetUniformLocation(p.id, "uAlphaRef");
    p.uChroma = glGetUniformLocation(p.id, "uChroma");
    p.uFogColor = glGetUniformLocation(p.id, "uFogColor");
    p.uFog = glGetUniformLocation(p.id, "uFog");
    p.uScale0 = glGetUniformLocation(p.id, "uScale0");
    p.uScale1 = glGetUniformLocation(p.id, "uScale1");
    glUniform1i(glGetUniformLocation(p.id, "uTex0"), 0);
    glUniform1i(glGetUniformLocation(p.id, "uTex1"), 1);
    glUniform2f(p.uScreen, static_cast<float>(b.width), static_cast<float>(b.height));
  }
  Program& stored = b.programs[choice->key] = p;
  return stored.id != 0 ? &stored : nullptr;
}

void SendUniforms(Program& p, const platform::GlideState& s) {
  FxU8 c[4];
  if (!p.sent || p.constant != s.constantColor) {
    p.constant = s.constantColor;
    ColorBytes(s.constantColor, c);
    glUniform4f(p.uConst, c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, c[3] / 255.0f);
  }
  if (!p.sent || p.alphaRef != s.alphaTestReference) {
    p.alphaRef = s.alphaTestReference;
    glUniform1f(p.uAlphaRef, static_cast<float>(s.alphaTestReference));
  }
  if (!p.sent || p.chroma != s.chromakeyValue) {
    p.chroma = s.chromakeyValue;
    ColorBytes(s.chromakeyValue, c);
    glUniform3f(p.uChroma, c[0], c[1], c[2]);
  }
  if (!p.sent || p.fogColor != s.fogColor) {
    p.fogColor = s.fogColor;
    ColorBytes(s.fogColor, c);
    glUniform3f(p.uFogColor, c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f);
  }
  if (p.uFog >= 0 && (!p.sent || std::memcmp(p.fog, s.fogTable, sizeof p.fog) != 0)) {
    std::memcpy(p.fog, s.fogTable, sizeof p.fog);
    float table[kFogEntries];
    for (int i = 0; i < kFogEntries; ++i) table[i] = s.fogTable[i] / 255.0f;
    glUniform1fv(p.uFog, kFogEntries, table);
  }
  for (int t = 0; t < 2; ++t) {
    float ss, ts;
    TextureScale(s.tmu[t].aspect, &ss, &ts);
    if (!p.sent || p.scale[t][0] != ss || p.scale[t][1] != ts) {
      p.scale[t][0] = ss;
      p.scale[t][1] = ts;
      glUniform2f(t == 0 ? p.uScale0 : p.uScale1, ss, ts);
    }
  }
  p.sent = true;
}

// ---------------------------------------------------------------------------
// Textures.

GLuint TextureFor(Backend& b, int tmu, const platform::GlideTmuState& t) {
  int w = 0, h = 0;
  int bytes = TexelBytes(t.format);
  if (!t.sourceSet || bytes == 0 || !LevelSize(t.largeLod, t.aspect, &w, &h)) return 0;
  const std::vector<FxU8>& memory = TextureMemory(tmu);
  std::uint64_t end = std::uint64_t{t.startAddress} + static_cast<std::uint64_t>(w) * h * bytes;
  if (end > memory.size()) return 0;
  for (const CachedTexture& c : b.textures) {
    if (c.tmu == tmu && c.begin == t.startAddress && c.lod == t.largeLod && c.aspect == t.aspect &&
        c.format == t.format) {
      return c.id;
    }
  }
  GLuint id = 0;
  glGenTextures(1, &id);
  glActiveTexture(kWorkUnit);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  GLenum format = GL_BGRA, type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
  if (t.format == GR_TEXFMT_RGB_565) format = GL_RGB, type = GL_UNSIGNED_SHORT_5_6_5;
  if (t.format == GR_TEXFMT_ARGB_4444) type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, format, type, memory.data() + t.startAddress);
  glBindTexture(GL_TEXTURE_2D, 0);
  b.textures.push_back({tmu, t.startAddress, static_cast<FxU32>(end), t.largeLod, t.aspect, t.format, id});
  return id;
}

GLuint SamplerFor(Backend& b, const platform::GlideTmuState& t) {
  int minF = t.minFilter == GR_TEXTUREFILTER_BILINEAR ? 1 : 0;
  int magF = t.magFilter == GR_TEXTUREFILTER_BILINEAR ? 1 : 0;
  int sc = std::clamp(t.sClamp, 0, 2), tc = std::clamp(t.tClamp, 0, 2);
  GLuint& s = b.samplers[minF][magF][sc][tc];
  if (s == 0) {
    static constexpr GLenum kWrap[] = {GL_REPEAT, GL_CLAMP_TO_EDGE, GL_MIRRORED_REPEAT};
    glGenSamplers(1, &s);
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, minF ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, magF ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, kWrap[sc]);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, kWrap[tc]);
  }
  return s;
}

// ---------------------------------------------------------------------------
// Fixed-function state.

void BindFrame(Backend& b, GLuint fbo) {
  if (!b.applied.valid || b.applied.fbo != fbo) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    b.applied.fbo = fbo;
  }
}

void ApplyFixed(Backend& b, const platform::GlideState& s) {
  Applied& a = b.applied;
  if (!a.valid) {
    glViewport(0, 0, b.width, b.height);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_CLAMP);
    glFrontFace(GL_CCW);
    glBindVertexArray(b.vao);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    a = Applied{};
    a.valid = true;
    a.fbo = ~0u;
  }
  BindFrame(b, b.fbo[1 - b.front]);
  if (a.clip[0] != s.clipMinX || a.clip[1] != s.clipMinY || a.clip[2] != s.clipMaxX || a.clip[3] != s.clipMaxY) {
    glScissor(static_cast<GLint>(s.clipMinX), static_cast<GLint>(s.clipMinY),
              static_cast<GLsizei>(s.clipMaxX - s.clipMinX), static_cast<GLsizei>(s.clipMaxY - s.clipMinY));
    a.clip[0] = s.clipMinX, a.clip[1] = s.clipMinY, a.clip[2] = s.clipMaxX, a.clip[3] = s.clipMaxY;
  }
  if (a.depthMask != s.depthMask) {
    glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
    a.depthMask = s.depthMask;
  }
}

void ApplyDrawState(Backend& b, const platform::GlideState& s) {
  Applied& a = b.applied;
  if (a.rgbSrc != s.rgbSrc || a.rgbDst != s.rgbDst || a.alphaSrc != s.alphaSrc || a.alphaDst != s.alphaDst) {
    bool off = s.rgbSrc == GR_BLEND_ONE && s.rgbDst == GR_BLEND_ZERO && s.alphaSrc == GR_BLEND_ONE &&
               s.alphaDst == GR_BLEND_ZERO;
    if (off) {
      glDisable(GL_BLEND);
    } else {
      glEnable(GL_BLEND);
      glBlendFuncSeparate(BlendFactor(s.rgbSrc, true), BlendFactor(s.rgbDst, false), BlendFactor(s.alphaSrc, true),
                          BlendFactor(s.alphaDst, false));
    }
    a.rgbSrc = s.rgbSrc, a.rgbDst = s.rgbDst, a.alphaSrc = s.alphaSrc, a.alphaDst = s.alphaDst;
  }
  if (a.depthMode != s.depthMode) {
    if (s.depthMode == GR_DEPTHBUFFER_DISABLE) glDisable(GL_DEPTH_TEST);
    else glEnable(GL_DEPTH_TEST);
    a.depthMode = s.depthMode;
  }
  if (a.depthFunction != s.depthFunction) {
    glDepthFunc(CompareFunction(s.depthFunction));
    a.depthFunction = s.depthFunction;
  }
  if (a.cullMode != s.cullMode) {
    if (s.cullMode == GR_CULL_NEGATIVE || s.cullMode == GR_CULL_POSITIVE) {
      glEnable(GL_CULL_FACE);
      glCullFace(s.cullMode == GR_CULL_NEGATIVE ? GL_BACK : GL_FRONT);
    } else {
      glDisable(GL_CULL_FACE);
    }
    a.cullMode = s.cullMode;
  }
}

void ApplyLayout(Backend& b, const platform::GlideState& s, FxU32 stride) {
  Applied& a = b.applied;
  FxI32 offsets[kAttributeCount] = {s.offsetXY, s.offsetPARGB >= 0 ? s.offsetPARGB : s.offsetRGB, s.offsetA,
                                    s.offsetZ,  s.offsetQ,   s.offsetST0, s.offsetST1, s.offsetQ0, s.offsetQ1};
  if (a.layoutValid && a.stride == stride && std::memcmp(a.offsets, offsets, sizeof offsets) == 0) return;
  for (GLuint i = 0; i < kAttributeCount; ++i) {
    if (offsets[i] < 0) {
      glDisableVertexAttribArray(i);
      continue;
    }
    const void* at = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offsets[i]));
    glEnableVertexAttribArray(i);
    if (i == kColor && s.offsetPARGB >= 0) {
      glVertexAttribPointer(i, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride), at);
    } else {
      GLint size = i == kXY || i == kST0 || i == kST1 ? 2 : (i == kColor ? 3 : 1);
      glVertexAttribPointer(i, size, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at);
    }
  }
  // Values of absent parameters.
  glVertexAttrib4f(kZ, 0.0f, 0.0f, 0.0f, 1.0f);
  glVertexAttrib4f(kQ, 1.0f, 0.0f, 0.0f, 1.0f);
  glVertexAttrib4f(kST0, 0.0f, 0.0f, 0.0f, 1.0f);
  glVertexAttrib4f(kST1, 0.0f, 0.0f, 0.0f, 1.0f);
  std::memcpy(a.offsets, offsets, sizeof offsets);
  a.stride = stride;
  a.layoutValid = true;
}

// Bytes of one vertex that the layout reads.
FxU32 VertexBytes(const platform::GlideState& s) {
  FxI32 end = 0;
  auto param = [&](FxI32 offset, FxI32 size) {
    if (offset >= 0) end = std::max(end, offset + size);
  };
  param(s.offsetXY, 8);
  param(s.offsetPARGB, 4);
  param(s.offsetRGB, 12);
  param(s.offsetA, 4);
  param(s.offsetZ, 4);
  param(s.offsetQ, 4);
  param(s.offsetST0, 8);
  param(s.offsetST1, 8);
  param(s.offsetQ0, 4);
  param(s.offsetQ1, 4);
  return static_cast<FxU32>(end);
}

// Copies vertices into the stream buffer; returns the index of the first.
// Small arrays go one after the other into a ring written without waiting
// for the draws before; a large one gets fresh storage of its own, which
// llvmpipe takes faster than a mapping of that size.
constexpr GLsizeiptr kRingBytes = 4 << 20;
constexpr GLsizeiptr kOwnStorageBytes = 64 << 10;

GLint Upload(Backend& b, const void* data, GLsizeiptr bytes, GLsizeiptr copyBytes, FxU32 stride) {
  if (bytes > kOwnStorageBytes) {
    glBufferData(GL_ARRAY_BUFFER, copyBytes, data, GL_STREAM_DRAW);
    b.vboSize = b.vboOffset = 0;  // the next small array starts a new ring
    return 0;
  }
  GLsizeiptr offset = (b.vboOffset + stride - 1) / stride * stride;
  if (offset + bytes > b.vboSize) {
    b.vboSize = kRingBytes;
    glBufferData(GL_ARRAY_BUFFER, b.vboSize, nullptr, GL_STREAM_DRAW);
    offset = 0;
  }
  void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (target == nullptr) return -1;
  std::memcpy(target, data, static_cast<std::size_t>(copyBytes));
  glUnmapBuffer(GL_ARRAY_BUFFER);
  b.vboOffset = offset + bytes;
  return static_cast<GLint>(offset / stride);
}

// ---------------------------------------------------------------------------
// Pixel statistics.

void EndQuery(Backend& b) {
  if (b.activeQuery == 0) return;
  glEndQuery(GL_SAMPLES_PASSED);
  b.endedQueries.push_back(b.activeQuery);
  b.activeQuery = 0;
}

void BeginQuery(Backend& b) {
  if (!b.countPixels || b.activeQuery != 0) return;
  GLuint q = 0;
  if (!b.freeQueries.empty()) {
    q = b.freeQueries.back();
    b.freeQueries.pop_back();
  } else {
    glGenQueries(1, &q);
  }
  glBeginQuery(GL_SAMPLES_PASSED, q);
  b.activeQuery = q;
}

// Draws the gathered vertices in the state OpenGL holds for them.
void FlushBatch(Backend& b) {
  if (b.batchVertices == 0) return;
  GLsizeiptr bytes = static_cast<GLsizeiptr>(b.batch.size());
  GLint first = Upload(b, b.batch.data(), bytes, bytes, b.drawnStride);
  if (first >= 0) {
    BeginQuery(b);
    glDrawArrays(b.batchMode, first, static_cast<GLsizei>(b.batchVertices));
  }
  b.batch.clear();
  b.batchVertices = 0;
}

// ---------------------------------------------------------------------------
// Presentation.

const char* const kPresentVertex = R"(#version 330 core
out vec2 vUV;
void main() {
  vec2 p = vec2((gl_VertexID & 1) != 0 ? 1.0 : 0.0, (gl_VertexID & 2) != 0 ? 1.0 : 0.0);
  vUV = vec2(p.x, 1.0 - p.y);
  gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

// Two variants: EXACT for a window that shows the frame pixel for pixel,
// else scaled with bilinear filtering.
const char* const kPresentFragment = R"(
in vec2 vUV;
uniform sampler2D uFrame;
uniform sampler2D uGamma;
uniform ivec3 uOrigin;  // x, y of the frame in the window, last row
layout(location = 0) out vec4 oColor;
void main() {
#if EXACT
  ivec2 p = ivec2(gl_FragCoord.xy) - uOrigin.xy;
  ivec3 c = ivec3(texelFetch(uFrame, ivec2(p.x, uOrigin.z - p.y), 0).rgb * 255.0 + 0.5);
#else
  ivec3 c = ivec3(texture(uFrame, vUV).rgb * 255.0 + 0.5);
#endif
  oColor = vec4(texelFetch(uGamma, ivec2(c.r, 0), 0).r, texelFetch(uGamma, ivec2(c.g, 0), 0).g,
                texelFetch(uGamma, ivec2(c.b, 0), 0).b, 1.0);
}
)";

// Draws the front buffer into the window (not yet swapped). The caller
// invalidates the cached state afterwards.
void PresentFrame(Backend& b, const GammaTable& gamma) {
  FlushBatch(b);
  EndQuery(b);
  glActiveTexture(kWorkUnit);
  glBindTexture(GL_TEXTURE_2D, b.gammaTexture);
  if (!b.gammaSent || b.gamma != gamma) {
    std::vector<FxU8> lut(256 * 4);
    for (int i = 0; i < 256; ++i) {
      lut[i * 4 + 0] = gamma[0][i];
      lut[i * 4 + 1] = gamma[1][i];
      lut[i * 4 + 2] = gamma[2][i];
      lut[i * 4 + 3] = 255;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGBA, GL_UNSIGNED_BYTE, lut.data());
    b.gamma = gamma;
    b.gammaSent = true;
  }
  glBindSampler(7, 0);
  glActiveTexture(kPresentFrameUnit);
  glBindTexture(GL_TEXTURE_2D, b.color[b.front]);
  glBindSampler(6, 0);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(b.window, &dw, &dh);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  // Scaled with its aspect kept, centred, black bars around it.
  double scale = std::min(static_cast<double>(dw) / b.width, static_cast<double>(dh) / b.height);
  int vw = static_cast<int>(b.width * scale + 0.5), vh = static_cast<int>(b.height * scale + 0.5);
  int vx = (dw - vw) / 2, vy = (dh - vh) / 2;
  if (vw != dw || vh != dh) {
    glViewport(0, 0, dw, dh);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glViewport(vx, vy, vw, vh);
  bool exact = vw == b.width && vh == b.height;
  glUseProgram(b.presentProgram[exact ? 1 : 0]);
  if (exact) glUniform3i(b.presentOrigin, vx, vy, b.height - 1);
  glBindVertexArray(b.presentVao);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  b.applied.valid = false;
}

}  // namespace

// ---------------------------------------------------------------------------
// The interface to the front end.

namespace glide_internal::gl {

bool IsOpen() { return g_backend != nullptr; }

bool Open(void* sdlWindow, int width, int height) {
  if (g_backend != nullptr) return false;
  SDL_Window* window = static_cast<SDL_Window*>(sdlWindow);
  // The GL driver stays loaded for the rest of the run: SDL would unload it
  // with the last GL window, and a driver loaded anew for every window costs
  // time and leaves what it leaks at exit without a name for the leak
  // checker's suppressions.
  static bool driverPinned = false;
  if (!driverPinned) driverPinned = SDL_GL_LoadLibrary(nullptr) == 0;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    std::fprintf(stderr, "Kelvarro: no OpenGL 3.3 context: %s\n", SDL_GetError());
    return false;
  }
  if (SDL_GL_MakeCurrent(window, context) != 0 || !LoadFunctions()) {
    SDL_GL_DeleteContext(context);
    return false;
  }
  auto* b = new Backend;
  b->window = window;
  b->context = context;
  b->width = width;
  b->height = height;
  glGenTextures(2, b->color);
  glGenFramebuffers(2, b->fbo);
  glGenRenderbuffers(1, &b->depth);
  glBindRenderbuffer(GL_RENDERBUFFER, b->depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
  bool complete = true;
  for (int i = 0; i < 2; ++i) {
    glBindTexture(GL_TEXTURE_2D, b->color[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, b->fbo[i]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, b->color[i], 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, b->depth);
    complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // The board's memory starts black, depth at the far end.
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  glGenTextures(1, &b->gammaTexture);
  glBindTexture(GL_TEXTURE_2D, b->gammaTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  for (int exact = 0; exact < 2; ++exact) {
    GLuint& p = b->presentProgram[exact];
    p = Link(kPresentVertex, std::string("#version 330 core\n#define EXACT ") + (exact ? "1" : "0") + kPresentFragment);
    if (p == 0) continue;
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uFrame"), 6);
    glUniform1i(glGetUniformLocation(p, "uGamma"), 7);
    if (exact) b->presentOrigin = glGetUniformLocation(p, "uOrigin");
  }
  glGenVertexArrays(1, &b->presentVao);
  glGenVertexArrays(1, &b->vao);
  glGenBuffers(1, &b->vbo);
  glBindVertexArray(b->vao);
  glBindBuffer(GL_ARRAY_BUFFER, b->vbo);
  b->vboSize = kRingBytes;
  glBufferData(GL_ARRAY_BUFFER, b->vboSize, nullptr, GL_STREAM_DRAW);
  g_backend = b;
  if (!complete || b->presentProgram[0] == 0 || b->presentProgram[1] == 0) {
    std::fprintf(stderr, "Kelvarro: the OpenGL frame could not be set up\n");
    Close();
    return false;
  }
  return true;
}

void Close() {
  Backend* b = g_backend;
  if (b == nullptr) return;
  SDL_GL_MakeCurrent(b->window, b->context);
  FlushBatch(*b);
  EndQuery(*b);
  for (GLuint q : b->endedQueries) glDeleteQueries(1, &q);
  for (GLuint q : b->freeQueries) glDeleteQueries(1, &q);
  for (const CachedTexture& t : b->textures) glDeleteTextures(1, &t.id);
  for (auto& [key, p] : b->programs) {
    if (p.id != 0) glDeleteProgram(p.id);
  }
  for (auto& a : b->samplers)
    for (auto& c : a)
      for (auto& d : c)
        for (GLuint s : d) {
          if (s != 0) glDeleteSamplers(1, &s);
        }
  if (b->benchProgram != 0) glDeleteProgram(b->benchProgram);
  if (b->benchTexture != 0) glDeleteTextures(1, &b->benchTexture);
  if (b->benchVao != 0) glDeleteVertexArrays(1, &b->benchVao);
  if (b->benchVbo != 0) glDeleteBuffers(1, &b->benchVbo);
  for (GLuint p : b->presentProgram) {
    if (p != 0) glDeleteProgram(p);
  }
  glDeleteVertexArrays(1, &b->presentVao);
  glDeleteVertexArrays(1, &b->vao);
  glDeleteBuffers(1, &b->vbo);
  glDeleteTextures(1, &b->gammaTexture);
  glDeleteFramebuffers(2, b->fbo);
  glDeleteTextures(2, b->color);
  glDeleteRenderbuffers(1, &b->depth);
  SDL_GL_MakeCurrent(b->window, nullptr);
  SDL_GL_DeleteContext(b->context);
  delete b;
  g_backend = nullptr;
}

void InvalidateState() {
  if (g_backend != nullptr) g_backend->applied.valid = false;
}

void InvalidateTextures(int tmu, FxU32 begin, FxU32 end) {
  Backend* b = g_backend;
  if (b == nullptr || begin >= end) return;
  FlushBatch(*b);  // drawn from what the memory held before
  auto overlaps = [&](const CachedTexture& t) { return t.tmu == tmu && t.begin < end && begin < t.end; };
  for (const CachedTexture& t : b->textures) {
    if (overlaps(t)) glDeleteTextures(1, &t.id);
  }
  b->textures.erase(std::remove_if(b->textures.begin(), b->textures.end(), overlaps), b->textures.end());
  b->applied.texture[0] = b->applied.texture[1] = ~0u;
  b->drawnValid = false;
}

void Clear(const platform::GlideState& state, GrColor_t color, GrAlpha_t alpha, FxU32 depth) {
  Backend* b = g_backend;
  if (b == nullptr) return;
  FlushBatch(*b);
  ApplyFixed(*b, state);
  // The clear's clip window stays in OpenGL: the next draw must set its own.
  b->drawnValid = false;
  FxU8 c[4];
  ColorBytes(color, c);
  glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, alpha / 255.0f);
  glClearDepth(std::min(depth, 65535u) / 65535.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Draw(const platform::GlideState& s, FxU32 mode, FxU32 count, const void* vertices, FxU32 stride) {
  Backend* b = g_backend;
  if (b == nullptr) return;
  GLenum glMode;
  switch (mode) {
    case GR_POINTS: glMode = GL_POINTS; break;
    case GR_LINE_STRIP: glMode = GL_LINE_STRIP; break;
    case GR_LINES: glMode = GL_LINES; break;
    case GR_POLYGON:
    case GR_TRIANGLE_FAN: glMode = GL_TRIANGLE_FAN; break;
    case GR_TRIANGLE_STRIP: glMode = GL_TRIANGLE_STRIP; break;
    case GR_TRIANGLES: glMode = GL_TRIANGLES; break;
    default: return;
  }
  FxU32 vertexBytes = VertexBytes(s);
  if (stride < vertexBytes || stride == 0) return;
  // The game sets its states before every draw, mostly to what they were:
  // when nothing changed since the last draw, OpenGL has it all already.
  bool same = b->drawnValid && b->applied.valid && b->drawnStride == stride &&
              std::memcmp(&b->drawn, &s, sizeof s) == 0;
  if (!same) {
    FlushBatch(*b);
    b->drawnValid = false;
    ApplyFixed(*b, s);
    ProgramChoice choice;
    Program* p = GetProgram(*b, s, &choice);
    if (p == nullptr) return;
    if (b->applied.program != p->id) {
      glUseProgram(p->id);
      b->applied.program = p->id;
    }
    SendUniforms(*p, s);
    bool use[2] = {choice.useT0, choice.useT1};
    for (int t = 0; t < 2; ++t) {
      if (!use[t]) continue;
      GLuint id = TextureFor(*b, t, s.tmu[t]);
      GLuint sampler = SamplerFor(*b, s.tmu[t]);
      if (b->applied.texture[t] != id) {
        glActiveTexture(GL_TEXTURE0 + t);
        glBindTexture(GL_TEXTURE_2D, id);
        b->applied.texture[t] = id;
      }
      if (b->applied.sampler[t] != sampler) {
        glBindSampler(t, sampler);
        b->applied.sampler[t] = sampler;
      }
    }
    ApplyDrawState(*b, s);
    ApplyLayout(*b, s, stride);
    std::memcpy(&b->drawn, &s, sizeof s);
    b->drawnStride = stride;
    b->drawnValid = true;
  }
  GLsizeiptr bytes = static_cast<GLsizeiptr>(count) * stride;
  GLsizeiptr copy = static_cast<GLsizeiptr>(count - 1) * stride + vertexBytes;
  // Whole lists only: a partial triangle or line would pair with the next
  // draw's vertices.
  bool list = (mode == GR_TRIANGLES && count % 3 == 0) || (mode == GR_LINES && count % 2 == 0) ||
              mode == GR_POINTS;
  if (list && bytes <= kOwnStorageBytes) {
    if (b->batchVertices > 0 &&
        (b->batchMode != glMode || static_cast<GLsizeiptr>(b->batch.size()) + bytes > kOwnStorageBytes)) {
      FlushBatch(*b);
    }
    // Room for a whole batch at once, so that frames after the first
    // allocate nothing however their draws vary.
    if (b->batch.capacity() < static_cast<std::size_t>(kOwnStorageBytes)) {
      b->batch.reserve(static_cast<std::size_t>(kOwnStorageBytes));
    }
    std::size_t at = b->batch.size();
    b->batch.resize(at + static_cast<std::size_t>(bytes));
    std::memcpy(b->batch.data() + at, vertices, static_cast<std::size_t>(copy));
    b->batchMode = glMode;
    b->batchVertices += count;
    return;
  }
  FlushBatch(*b);
  GLint first = Upload(*b, vertices, bytes, copy, stride);
  if (first < 0) return;
  BeginQuery(*b);
  glDrawArrays(glMode, first, static_cast<GLsizei>(count));
}

void Swap(FxU32 interval, const GammaTable& gamma) {
  Backend* b = g_backend;
  if (b == nullptr) return;
  FlushBatch(*b);
  b->front = 1 - b->front;
  PresentFrame(*b, gamma);
  int wanted = interval > 0 ? 1 : 0;
  if (b->swapInterval != wanted) {
    SDL_GL_SetSwapInterval(wanted);
    b->swapInterval = wanted;
  }
  SDL_GL_SwapWindow(b->window);
  if (wanted && g_framePacing) b->pacer.Wait();
}

void SetFramePacing(bool on) { g_framePacing = on; }

void Flush(bool wait) {
  if (g_backend == nullptr) return;
  FlushBatch(*g_backend);
  if (wait) glFinish();
  else glFlush();
}

void WritePixels(int buffer, int x, int y, int width, int height, const std::vector<FxU8>& rgba) {
  Backend* b = g_backend;
  if (b == nullptr) return;
  FlushBatch(*b);
  glActiveTexture(kWorkUnit);
  glBindTexture(GL_TEXTURE_2D, b->color[buffer == 0 ? b->front : 1 - b->front]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
}

bool ReadPixels(int buffer, platform::Picture* out) {
  Backend* b = g_backend;
  if (b == nullptr) return false;
  FlushBatch(*b);
  std::vector<FxU8> rgba(static_cast<std::size_t>(b->width) * b->height * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, b->fbo[buffer == 0 ? b->front : 1 - b->front]);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, b->width, b->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  b->applied.valid = false;
  out->width = b->width;
  out->height = b->height;
  out->rgb.resize(static_cast<std::size_t>(b->width) * b->height * 3);
  for (std::size_t i = 0, n = static_cast<std::size_t>(b->width) * b->height; i < n; ++i) {
    std::memcpy(&out->rgb[i * 3], &rgba[i * 4], 3);
  }
  return true;
}

bool ReadWindow(const GammaTable& gamma, platform::Picture* out) {
  Backend* b = g_backend;
  if (b == nullptr) return false;
  PresentFrame(*b, gamma);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(b->window, &dw, &dh);
  std::vector<FxU8> rgba(static_cast<std::size_t>(dw) * dh * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, dw, dh, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  out->width = dw;
  out->height = dh;
  out->rgb.resize(static_cast<std::size_t>(dw) * dh * 3);
  for (int y = 0; y < dh; ++y) {
    for (int x = 0; x < dw; ++x) {
      std::memcpy(&out->rgb[(static_cast<std::size_t>(y) * dw + x) * 3],
                  &rgba[(static_cast<std::size_t>(dh - 1 - y) * dw + x) * 4], 3);
    }
  }
  return true;
}

FxU32 PixelsOut() {
  Backend* b = g_backend;
  if (b == nullptr) return 0;
  b->countPixels = true;
  FlushBatch(*b);
  EndQuery(*b);
  for (GLuint q : b->endedQueries) {
    GLuint n = 0;
    glGetQueryObjectuiv(q, GL_QUERY_RESULT, &n);
    b->pixels += n;
    b->freeQueries.push_back(q);
  }
  b->endedQueries.clear();
  return static_cast<FxU32>(b->pixels);
}

void ResetPixels() {
  Backend* b = g_backend;
  if (b == nullptr) return;
  b->countPixels = true;
  FlushBatch(*b);
  EndQuery(*b);
  for (GLuint q : b->endedQueries) b->freeQueries.push_back(q);
  b->endedQueries.clear();
  b->pixels = 0;
}

}  // namespace glide_internal::gl

// ---------------------------------------------------------------------------
// Benchmark reference: the same triangles through a plain OpenGL program.

namespace {

const char* const kBenchVertex = R"(#version 330 core
layout(location = 0) in vec2 aXY;
layout(location = 1) in vec4 aColor;
layout(location = 3) in float aZ;
layout(location = 4) in float aQ;
layout(location = 5) in vec2 aST;
uniform vec2 uScreen;
noperspective out vec4 vColor;
noperspective out vec3 vTex;
void main() {
  gl_Position = vec4(aXY * (2.0 / uScreen) - 1.0, aZ * (2.0 / 65535.0) - 1.0, 1.0);
  vColor = aColor;
  vTex = vec3(aST, aQ);
}
)";

const char* const kBenchFragment = R"(#version 330 core
noperspective in vec4 vColor;
noperspective in vec3 vTex;
uniform sampler2D uTex;
uniform vec2 uScale;
layout(location = 0) out vec4 oColor;
void main() {
  oColor = texture(uTex, vTex.xy / (vTex.z * uScale)) * vColor;
}
)";

}  // namespace

namespace platform {

bool BenchmarkPlainGLFrame(const void* vertices, FxU32 count, FxU32 stride, const FxU16* texels, int texWidth,
                           int texHeight, GrAlphaBlendFnc_t rgbSrc, GrAlphaBlendFnc_t rgbDst) {
  Backend* b = g_backend;
  const GlideState& s = CurrentGlideState();
  if (b == nullptr || vertices == nullptr || count == 0 || texels == nullptr || s.offsetXY < 0 ||
      s.offsetPARGB < 0 || s.offsetZ < 0 || s.offsetQ < 0 || s.offsetST0 < 0 || stride < VertexBytes(s) ||
      texWidth <= 0 || texHeight <= 0) {
    return false;
  }
  FlushBatch(*b);
  if (b->benchProgram == 0) {
    b->benchProgram = Link(kBenchVertex, kBenchFragment);
    if (b->benchProgram == 0) return false;
    b->benchScreen = glGetUniformLocation(b->benchProgram, "uScreen");
    b->benchScale = glGetUniformLocation(b->benchProgram, "uScale");
    glGenVertexArrays(1, &b->benchVao);
    glGenBuffers(1, &b->benchVbo);
    glGenTextures(1, &b->benchTexture);
  }
  glActiveTexture(GL_TEXTURE0);
  glBindSampler(0, 0);
  glBindTexture(GL_TEXTURE_2D, b->benchTexture);
  // The texture goes up once, as a program's textures do.
  if (b->benchTexels != texels || b->benchTexWidth != texWidth || b->benchTexHeight != texHeight) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texWidth, texHeight, 0, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
                 texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    b->benchTexels = texels;
    b->benchTexWidth = texWidth;
    b->benchTexHeight = texHeight;
  }
  glUseProgram(b->benchProgram);
  glUniform1i(glGetUniformLocation(b->benchProgram, "uTex"), 0);
  glUniform2f(b->benchScreen, static_cast<float>(b->width), static_cast<float>(b->height));
  float longSide = static_cast<float>(std::max(texWidth, texHeight));
  glUniform2f(b->benchScale, 256.0f * texWidth / longSide, 256.0f * texHeight / longSide);
  glBindVertexArray(b->benchVao);
  glBindBuffer(GL_ARRAY_BUFFER, b->benchVbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count - 1) * stride + VertexBytes(s), vertices,
               GL_STREAM_DRAW);
  auto attribute = [&](GLuint index, GLint size, GLenum type, GLboolean norm, FxI32 offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, norm, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset)));
  };
  attribute(0, 2, GL_FLOAT, GL_FALSE, s.offsetXY);
  attribute(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s.offsetPARGB);
  attribute(3, 1, GL_FLOAT, GL_FALSE, s.offsetZ);
  attribute(4, 1, GL_FLOAT, GL_FALSE, s.offsetQ);
  attribute(5, 2, GL_FLOAT, GL_FALSE, s.offsetST0);
  // The same frame as the board's: drawn into its back buffer, then shown
  // through the same presentation (the picture scaled into the window with
  // the board's gamma), so that only the drawing differs.
  glBindFramebuffer(GL_FRAMEBUFFER, b->fbo[1 - b->front]);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_CLAMP);
  glViewport(0, 0, b->width, b->height);
  glDepthMask(GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(0.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_GEQUAL);
  glEnable(GL_BLEND);
  glBlendFuncSeparate(BlendFactor(rgbSrc, true), BlendFactor(rgbDst, false), GL_ONE, GL_ZERO);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(count));
  b->front = 1 - b->front;
  PresentFrame(*b, CurrentGammaTable());
  SDL_GL_SwapWindow(b->window);
  b->applied.valid = false;
  return true;
}

}  // namespace platform
