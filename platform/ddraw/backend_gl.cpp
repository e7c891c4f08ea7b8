// The OpenGL backend of the DirectDraw layer: an OpenGL 3.3 core context on
// the window's SDL window (EGL under SDL's offscreen driver), the display
// mode as two colour textures and a depth buffer of its size, a shader
// program per combination of the Direct3D states that change the pixel's
// arithmetic (built when first drawn with), and the presentation of the
// front buffer scaled into the window with its aspect kept.
//
// The frame is stored with the screen's y as OpenGL's row index, so rectangles
// and read-back need no flipping; only the presentation turns it upright.
#include <SDL.h>

#include <GL/glcorearb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ddraw/backend.h"
#include "platform/gl/gl_functions.h"
#include "platform/win32/window.h"

namespace ddraw {

namespace {

using namespace kgl;

// Vertices in D3D's pixel space (pixel centres on whole numbers) to clip
// space; rhw gives w, so varyings interpolate in perspective unless the
// state asks for affine texture coordinates.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec4 aSpecular;
layout(location = 3) in vec2 aUV;
uniform vec2 uFrame;
out vec4 vDiffuse;
flat out vec4 vDiffuseFlat;
out vec4 vSpecular;
flat out vec4 vSpecularFlat;
out vec2 vUV;
noperspective out vec2 vUVAffine;
void main() {
  float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
  vec2 ndc = (aPosition.xy + 0.5) / uFrame * 2.0 - 1.0;
  gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);
  vDiffuse = aDiffuse;
  vDiffuseFlat = aDiffuse;
  vSpecular = aSpecular;
  vSpecularFlat = aSpecular;
  vUV = aUV;
  vUVAffine = aUV;
}
)";

// The fragment stage of the Direct3D states, after a prologue of #defines
// (FragmentPrologue): each program holds only the steps its states ask for,
// as a software rasteriser pays for every step a shader holds.
const char* const kFragmentShader = R"(
in vec4 vDiffuse;
flat in vec4 vDiffuseFlat;
in vec4 vSpecular;
flat in vec4 vSpecularFlat;
in vec2 vUV;
noperspective in vec2 vUVAffine;
uniform sampler2D uTexture;
uniform vec3 uFogColour;
uniform float uAlphaRef;
layout(location = 0) out vec4 oColour;
void main() {
#if FLAT
  vec4 c = vDiffuseFlat;
  vec4 s = vSpecularFlat;
#else
  vec4 c = vDiffuse;
  vec4 s = vSpecular;
#endif
#if TEXTURED
#if PERSPECTIVE
  vec4 t = texture(uTexture, vUV);
#else
  vec4 t = texture(uTexture, vUVAffine);
#endif
#if COLOUR_KEY
  if (t.a < 0.5) discard;
#endif
#if TEXTURE_ALPHA
  c = c * t;
#else
  c.rgb = c.rgb * t.rgb;
#endif
#endif
#if SPECULAR
  c.rgb = min(c.rgb + s.rgb, vec3(1.0));
#endif
#if FOG
  c.rgb = mix(uFogColour, c.rgb, s.a);
#endif
#ifdef ALPHA_PASSES
  float a = floor(c.a * 255.0 + 0.5);
  if (!(ALPHA_PASSES)) discard;
#endif
  oColour = c;
}
)";

// What a fragment program's steps depend on, as bits.
enum FragmentKey : std::uint32_t {
  KEY_FLAT = 1u << 0,
  KEY_PERSPECTIVE = 1u << 1,
  KEY_TEXTURED = 1u << 2,
  KEY_TEXTURE_ALPHA = 1u << 3,
  KEY_COLOUR_KEY = 1u << 4,
  KEY_SPECULAR = 1u << 5,
  KEY_FOG = 1u << 6,
  KEY_ALPHA_SHIFT = 8,  // four bits: the compare function, 0 when no test
};

std::uint32_t KeyOf(const DWORD* s, const BoundTexture& texture) {
  std::uint32_t key = 0;
  if (s[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT) key |= KEY_FLAT;
  if (texture.id != 0) {
    key |= KEY_TEXTURED;
    if (s[D3DRENDERSTATE_TEXTUREPERSPECTIVE] != 0) key |= KEY_PERSPECTIVE;
    if (texture.hasAlpha) key |= KEY_TEXTURE_ALPHA;
    if (texture.keyed && s[D3DRENDERSTATE_COLORKEYENABLE] != 0) key |= KEY_COLOUR_KEY;
  }
  if (s[D3DRENDERSTATE_SPECULARENABLE] != 0) key |= KEY_SPECULAR;
  if (s[D3DRENDERSTATE_FOGENABLE] != 0) key |= KEY_FOG;
  const DWORD func = s[D3DRENDERSTATE_ALPHATESTENABLE] != 0 ? s[D3DRENDERSTATE_ALPHAFUNC] : D3DCMP_ALWAYS;
  if (func >= D3DCMP_NEVER && func < D3DCMP_ALWAYS) key |= static_cast<std::uint32_t>(func) << KEY_ALPHA_SHIFT;
  return key;
}

std::string FragmentPrologue(std::uint32_t key) {
  std::string p = "#version 330 core\n";
  const std::pair<const char*, std::uint32_t> flags[] = {
      {"FLAT", KEY_FLAT},         {"PERSPECTIVE", KEY_PERSPECTIVE},     {"TEXTURED", KEY_TEXTURED},
      {"SPECULAR", KEY_SPECULAR}, {"TEXTURE_ALPHA", KEY_TEXTURE_ALPHA}, {"COLOUR_KEY", KEY_COLOUR_KEY},
      {"FOG", KEY_FOG}};
  for (const auto& [name, bit] : flags) p += std::string("#define ") + name + ((key & bit) ? " 1\n" : " 0\n");
  // The alpha against the reference, both in 0..255.
  static const char* const kPasses[] = {nullptr, "false", "a < uAlphaRef", "a == uAlphaRef", "a <= uAlphaRef",
                                        "a > uAlphaRef", "a != uAlphaRef", "a >= uAlphaRef"};
  const std::uint32_t func = (key >> KEY_ALPHA_SHIFT) & 15u;
  if (func != 0 && func < 8) p += std::string("#define ALPHA_PASSES ") + kPasses[func] + "\n";
  return p;
}

const char* const kPresentVertex = R"(#version 330 core
out vec2 vUV;
void main() {
  vec2 p = vec2((gl_VertexID & 1) != 0 ? 1.0 : 0.0, (gl_VertexID & 2) != 0 ? 1.0 : 0.0);
  vUV = vec2(p.x, 1.0 - p.y);
  gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const kPresentFragment = R"(#version 330 core
in vec2 vUV;
uniform sampler2D uFrame;
layout(location = 0) out vec4 oColour;
void main() { oColour = vec4(texture(uFrame, vUV).rgb, 1.0); }
)";

GLuint Compile(GLenum kind, const char* source, const char* prologue = "") {
  const GLuint s = glCreateShader(kind);
  const char* const sources[] = {prologue, source};
  glShaderSource(s, 2, sources, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "Kelvarro: shader error: %s\n", log);
    glDeleteShader(s);
    return 0;
  }
  return s;
}

GLuint Link(const char* vertex, const char* fragment, const char* fragmentPrologue = "") {
  const GLuint v = Compile(GL_VERTEX_SHADER, vertex);
  const GLuint f = Compile(GL_FRAGMENT_SHADER, fragment, fragmentPrologue);
  if (!v || !f) {
    if (v) glDeleteShader(v);
    if (f) glDeleteShader(f);
    return 0;
  }
  const GLuint p = glCreateProgram();
  glAttachShader(p, v);
  glAttachShader(p, f);
  glLinkProgram(p);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    glDeleteProgram(p);
    return 0;
  }
  return p;
}

GLenum BlendFactor(DWORD f) {
  switch (f) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum CompareFunction(DWORD f) {
  switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

constexpr GLsizeiptr kRingBytes = 4 << 20;
constexpr GLsizeiptr kOwnStorageBytes = 64 << 10;

// A fragment program of one key and where its uniforms are.
struct Program {
  GLuint id = 0;
  GLint frame = -1, texture = -1, fogColour = -1, alphaRef = -1;
};

class GlBackendImpl final : public Backend {
 public:
  bool OpenFrame(HWND window, int width, int height) override;
  void CloseFrame() override;
  bool FrameOpen() const override { return context_ != nullptr; }
  void SetDepthBits(int bits) override;
  std::uint32_t CreateTexture() override;
  void UploadTexture(std::uint32_t id, int width, int height, const std::vector<std::uint8_t>& rgba) override;
  void DeleteTexture(std::uint32_t id) override;
  void Draw(const DWORD* states, const BoundTexture& texture, D3DPRIMITIVETYPE type, const D3DTLVERTEX* vertices,
            DWORD count) override;
  void Clear(bool front, const D3DRECT& rect, bool colour, DWORD argb, bool depth, float z) override;
  void WriteBack(int x, int y, int width, int height, const std::vector<std::uint8_t>& rgba) override;
  void Flip() override;
  bool Read(bool front, platform::Picture* out) override;
  void Finish() override {
    if (!context_) return;
    FlushBatch();
    glFinish();
  }
  bool PlainDraw(const D3DTLVERTEX* vertices, DWORD count, const std::uint16_t* texels, int texWidth,
                 int texHeight) override;

 private:
  void BindFrame(int buffer);
  void AttachDepth();
  // The vertices into the stream buffer; the index of the first (-1 when
  // the buffer cannot be mapped).
  GLint Upload(const void* data, GLsizeiptr bytes);
  // Draws the vertices gathered under the state last applied.
  void FlushBatch();
  // The program of a key, built when first asked for (0 when it fails).
  const Program& ProgramFor(std::uint32_t key);

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int depthBits_ = 0;
  GLuint colour_[2] = {};
  GLuint fbo_[2] = {};
  GLuint depth_ = 0;
  int back_ = 0;
  std::unordered_map<std::uint32_t, Program> programs_;
  GLuint presentProgram_ = 0;
  GLuint plainProgram_ = 0;
  GLuint plainTexture_ = 0;
  GLuint vao_ = 0;
  GLuint vbo_ = 0;
  GLuint presentVao_ = 0;
  GLsizeiptr vboSize_ = 0;
  GLsizeiptr vboUsed_ = 0;
  // The states last sent, to send only changes.
  DWORD sent_[D3D_RENDER_STATE_COUNT] = {};
  BoundTexture sentTexture_{};
  bool stateValid_ = false;
  // Consecutive draws of one state and kind are drawn as one.
  std::vector<D3DTLVERTEX> batch_;
  GLenum batchMode_ = GL_TRIANGLES;
};

bool GlBackendImpl::OpenFrame(HWND window, int width, int height) {
  CloseFrame();
  auto* sdl = static_cast<SDL_Window*>(platform::NativeWindow(window));
  if (sdl == nullptr) return false;
  static bool driverPinned = false;
  // The driver stays loaded for the run, as the Glide board's does.
  if (!driverPinned) driverPinned = SDL_GL_LoadLibrary(nullptr) == 0;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GLContext context = SDL_GL_CreateContext(sdl);
  if (context == nullptr) {
    std::fprintf(stderr, "Kelvarro: no OpenGL 3.3 context: %s\n", SDL_GetError());
    return false;
  }
  if (SDL_GL_MakeCurrent(sdl, context) != 0 || !LoadFunctions()) {
    SDL_GL_DeleteContext(context);
    return false;
  }
  window_ = sdl;
  context_ = context;
  width_ = width;
  height_ = height;
  back_ = 0;
  depthBits_ = 0;
  glGenTextures(2, colour_);
  glGenFramebuffers(2, fbo_);
  bool complete = true;
  for (int i = 0; i < 2; ++i) {
    glBindTexture(GL_TEXTURE_2D, colour_[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_[i]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_[i], 0);
    complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  presentProgram_ = Link(kPresentVertex, kPresentFragment);
  // The untextured program, built now so that a context without the
  // shading language fails here.
  if (!complete || !presentProgram_ || ProgramFor(0).id == 0) {
    std::fprintf(stderr, "Kelvarro: the OpenGL frame could not be set up\n");
    CloseFrame();
    return false;
  }
  glUseProgram(presentProgram_);
  glUniform1i(glGetUniformLocation(presentProgram_, "uFrame"), 0);
  glGenVertexArrays(1, &presentVao_);
  glGenVertexArrays(1, &vao_);
  glGenBuffers(1, &vbo_);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  vboSize_ = kRingBytes;
  vboUsed_ = 0;
  glBufferData(GL_ARRAY_BUFFER, vboSize_, nullptr, GL_STREAM_DRAW);
  const GLsizei stride = sizeof(D3DTLVERTEX);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(D3DTLVERTEX, sx)));
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(D3DTLVERTEX, color)));
  glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(D3DTLVERTEX, specular)));
  glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(D3DTLVERTEX, tu)));
  for (GLuint a = 0; a < 4; ++a) glEnableVertexAttribArray(a);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glEnable(GL_DEPTH_CLAMP);
  stateValid_ = false;
  return true;
}

void GlBackendImpl::CloseFrame() {
  if (context_ == nullptr) return;
  SDL_GL_MakeCurrent(window_, context_);
  batch_.clear();
  for (const auto& [key, p] : programs_) {
    if (p.id) glDeleteProgram(p.id);
  }
  programs_.clear();
  if (presentProgram_) glDeleteProgram(presentProgram_);
  if (plainProgram_) glDeleteProgram(plainProgram_);
  if (plainTexture_) glDeleteTextures(1, &plainTexture_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteVertexArrays(1, &presentVao_);
  glDeleteBuffers(1, &vbo_);
  glDeleteFramebuffers(2, fbo_);
  glDeleteTextures(2, colour_);
  if (depth_) glDeleteRenderbuffers(1, &depth_);
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  window_ = nullptr;
  presentProgram_ = plainProgram_ = plainTexture_ = 0;
  depth_ = 0;
  depthBits_ = 0;
}

void GlBackendImpl::AttachDepth() {
  for (int i = 0; i < 2; ++i) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_[i]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  }
}

void GlBackendImpl::SetDepthBits(int bits) {
  if (!context_) return;
  FlushBatch();
  if (depth_) {
    const GLuint old = depth_;
    depth_ = 0;
    AttachDepth();
    glDeleteRenderbuffers(1, &old);
  }
  depthBits_ = bits;
  if (bits == 0) return;
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  const GLenum format = bits == 16 ? GL_DEPTH_COMPONENT16 : bits == 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32F;
  glRenderbufferStorage(GL_RENDERBUFFER, format, width_, height_);
  AttachDepth();
  // A new Z-buffer holds the far end.
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  glClearDepth(1.0);
  for (int i = 0; i < 2; ++i) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_[i]);
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  stateValid_ = false;
}

std::uint32_t GlBackendImpl::CreateTexture() {
  if (!context_) return 0;
  GLuint id = 0;
  glGenTextures(1, &id);
  return id;
}

void GlBackendImpl::UploadTexture(std::uint32_t id, int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (!context_ || !id) return;
  FlushBatch();
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  sentTexture_ = {};
  stateValid_ = false;
}

void GlBackendImpl::DeleteTexture(std::uint32_t id) {
  if (!context_ || !id) return;
  FlushBatch();
  GLuint t = id;
  glDeleteTextures(1, &t);
  if (sentTexture_.id == id) sentTexture_ = {};
}

const Program& GlBackendImpl::ProgramFor(std::uint32_t key) {
  auto found = programs_.find(key);
  if (found != programs_.end()) return found->second;
  Program p;
  p.id = Link(kVertexShader, kFragmentShader, FragmentPrologue(key).c_str());
  if (p.id) {
    p.frame = glGetUniformLocation(p.id, "uFrame");
    p.texture = glGetUniformLocation(p.id, "uTexture");
    p.fogColour = glGetUniformLocation(p.id, "uFogColour");
    p.alphaRef = glGetUniformLocation(p.id, "uAlphaRef");
  }
  return programs_.emplace(key, p).first->second;
}

void GlBackendImpl::BindFrame(int buffer) {
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_[buffer]);
  glViewport(0, 0, width_, height_);
}

GLint GlBackendImpl::Upload(const void* data, GLsizeiptr bytes) {
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  // A large array gets storage of its own, which llvmpipe takes faster than
  // a mapping of that size; small ones fill a ring one after another,
  // mapped without waiting for the draws in flight, which read before it.
  if (bytes > kOwnStorageBytes) {
    glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STREAM_DRAW);
    vboSize_ = vboUsed_ = 0;
    return 0;
  }
  if (vboUsed_ + bytes > vboSize_) {
    vboSize_ = kRingBytes;
    glBufferData(GL_ARRAY_BUFFER, vboSize_, nullptr, GL_STREAM_DRAW);
    vboUsed_ = 0;
  }
  void* target = glMapBufferRange(GL_ARRAY_BUFFER, vboUsed_, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (target == nullptr) return -1;
  std::memcpy(target, data, static_cast<std::size_t>(bytes));
  glUnmapBuffer(GL_ARRAY_BUFFER);
  const auto first = static_cast<GLint>(vboUsed_ / static_cast<GLsizeiptr>(sizeof(D3DTLVERTEX)));
  vboUsed_ += bytes;
  return first;
}

void GlBackendImpl::FlushBatch() {
  if (batch_.empty()) return;
  const GLint first = Upload(batch_.data(), static_cast<GLsizeiptr>(batch_.size() * sizeof(D3DTLVERTEX)));
  if (first >= 0) glDrawArrays(batchMode_, first, static_cast<GLsizei>(batch_.size()));
  batch_.clear();
}

void GlBackendImpl::Draw(const DWORD* s, const BoundTexture& texture, D3DPRIMITIVETYPE type,
                         const D3DTLVERTEX* vertices, DWORD count) {
  if (!context_ || count == 0) return;
  const GLenum mode = type == D3DPT_POINTLIST ? GL_POINTS : GL_TRIANGLES;
  const bool changed = !stateValid_ || std::memcmp(sent_, s, sizeof sent_) != 0 ||
                       sentTexture_.id != texture.id || sentTexture_.hasAlpha != texture.hasAlpha ||
                       sentTexture_.keyed != texture.keyed;
  if (changed || mode != batchMode_) FlushBatch();
  batchMode_ = mode;
  if (changed) {
    BindFrame(back_);
    glBindVertexArray(vao_);
    const Program& p = ProgramFor(KeyOf(s, texture));
    glUseProgram(p.id);
    glUniform2f(p.frame, static_cast<float>(width_), static_cast<float>(height_));
    glUniform1i(p.texture, 0);
    const DWORD fog = s[D3DRENDERSTATE_FOGCOLOR];
    glUniform3f(p.fogColour, static_cast<float>((fog >> 16) & 0xFF) / 255.0f,
                static_cast<float>((fog >> 8) & 0xFF) / 255.0f, static_cast<float>(fog & 0xFF) / 255.0f);
    glUniform1f(p.alphaRef, static_cast<float>(s[D3DRENDERSTATE_ALPHAREF] & 0xFF));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.id);
    if (texture.id) {
      const GLint mag = s[D3DRENDERSTATE_TEXTUREMAG] == D3DFILTER_LINEAR ? GL_LINEAR : GL_NEAREST;
      const GLint min = s[D3DRENDERSTATE_TEXTUREMIN] == D3DFILTER_LINEAR ? GL_LINEAR : GL_NEAREST;
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    }
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (s[D3DRENDERSTATE_ALPHABLENDENABLE]) {
      glEnable(GL_BLEND);
      glBlendFunc(BlendFactor(s[D3DRENDERSTATE_SRCBLEND]), BlendFactor(s[D3DRENDERSTATE_DESTBLEND]));
    } else {
      glDisable(GL_BLEND);
    }
    if (depthBits_ && s[D3DRENDERSTATE_ZENABLE]) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(CompareFunction(s[D3DRENDERSTATE_ZFUNC]));
      glDepthMask(s[D3DRENDERSTATE_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    // Screen y grows downwards, OpenGL's upwards: a triangle clockwise on
    // the screen is counter-clockwise here.
    const DWORD cull = s[D3DRENDERSTATE_CULLMODE];
    if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
      glEnable(GL_CULL_FACE);
      glFrontFace(GL_CCW);
      glCullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
    } else {
      glDisable(GL_CULL_FACE);
    }
    std::memcpy(sent_, s, sizeof sent_);
    sentTexture_ = texture;
    stateValid_ = true;
  }
  batch_.insert(batch_.end(), vertices, vertices + count);
}

void GlBackendImpl::Clear(bool front, const D3DRECT& r, bool colour, DWORD argb, bool depth, float z) {
  if (!context_) return;
  FlushBatch();
  BindFrame(front ? 1 - back_ : back_);
  glEnable(GL_SCISSOR_TEST);
  glScissor(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);
  GLbitfield mask = 0;
  if (colour) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depth && depthBits_) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  glClear(mask);
  glDisable(GL_SCISSOR_TEST);
  stateValid_ = false;
}

void GlBackendImpl::WriteBack(int x, int y, int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (!context_) return;
  FlushBatch();
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, colour_[back_]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  stateValid_ = false;
}

void GlBackendImpl::Flip() {
  if (!context_) return;
  FlushBatch();
  // The frame scaled into the window with its aspect kept, black bars around it.
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window_, &dw, &dh);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glViewport(0, 0, dw, dh);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  if (dw > 0 && dh > 0) {
    const double scale = std::min(static_cast<double>(dw) / width_, static_cast<double>(dh) / height_);
    const int vw = static_cast<int>(width_ * scale + 0.5), vh = static_cast<int>(height_ * scale + 0.5);
    glViewport((dw - vw) / 2, (dh - vh) / 2, vw, vh);
    glUseProgram(presentProgram_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, colour_[back_]);
    glBindVertexArray(presentVao_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  }
  SDL_GL_SwapWindow(window_);
  back_ = 1 - back_;
  stateValid_ = false;
}

bool GlBackendImpl::Read(bool front, platform::Picture* out) {
  if (!context_) return false;
  FlushBatch();
  BindFrame(front ? 1 - back_ : back_);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  out->width = width_;
  out->height = height_;
  out->rgb.resize(static_cast<std::size_t>(width_) * height_ * 3);
  for (std::size_t i = 0, n = static_cast<std::size_t>(width_) * height_; i < n; ++i) {
    out->rgb[i * 3 + 0] = rgba[i * 4 + 0];
    out->rgb[i * 3 + 1] = rgba[i * 4 + 1];
    out->rgb[i * 3 + 2] = rgba[i * 4 + 2];
  }
  stateValid_ = false;
  return true;
}

// The same triangles through the plainest program of the same effect.
const char* const kPlainFragment = R"(#version 330 core
in vec4 vDiffuse;
in vec2 vUV;
uniform sampler2D uTexture;
layout(location = 0) out vec4 oColour;
void main() { oColour = vDiffuse * texture(uTexture, vUV); }
)";

bool GlBackendImpl::PlainDraw(const D3DTLVERTEX* vertices, DWORD count, const std::uint16_t* texels, int texWidth,
                              int texHeight) {
  if (!context_) return false;
  FlushBatch();
  if (!plainProgram_) {
    plainProgram_ = Link(kVertexShader, kPlainFragment);
    if (!plainProgram_) return false;
  }
  if (!plainTexture_) {
    glGenTextures(1, &plainTexture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, plainTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB5_A1, texWidth, texHeight, 0, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
                 texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  }
  BindFrame(back_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | (depthBits_ ? GL_DEPTH_BUFFER_BIT : 0));
  glUseProgram(plainProgram_);
  glUniform2f(glGetUniformLocation(plainProgram_, "uFrame"), static_cast<float>(width_), static_cast<float>(height_));
  glUniform1i(glGetUniformLocation(plainProgram_, "uTexture"), 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, plainTexture_);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (depthBits_) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
  }
  glDisable(GL_CULL_FACE);
  glBindVertexArray(vao_);
  const GLint first = Upload(vertices, static_cast<GLsizeiptr>(count * sizeof(D3DTLVERTEX)));
  glDrawArrays(GL_TRIANGLES, first, static_cast<GLsizei>(count));
  stateValid_ = false;
  Flip();
  return true;
}

}  // namespace

Backend& GlBackend() {
  static GlBackendImpl backend;
  return backend;
}

}  // namespace ddraw
