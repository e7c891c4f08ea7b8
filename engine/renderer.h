// The renderer: every drawing of the game goes through g_Renderer. There is
// one Renderer class and one implementation of its operations per program,
// chosen when the program is linked (the Glide one in kelvarro_glide, the
// Direct3D one in kelvarro_dx); nothing here is virtual.
//
// The renderer keeps a cache of the render states: a setter passes a value to
// the device only when it differs from the cached one, so drawing code can
// set every state it needs before each draw. Drawing code may also do the
// same inline with RenderStateChanged (compare, store, then send).
#pragma once

#include <cstdint>

// One corner of a screen-space triangle (triangles are consecutive triples).
// The Glide vertex layout reads x, y, colour, z, q, s and t; the unused words
// keep the record at the size the drawing code was written for.
struct ScreenVertex {
  float x;               // pixels
  float y;               // pixels
  std::uint32_t unused0;
  std::uint32_t colour;  // packed ARGB, alpha in the top byte
  float z;               // depth 0..65535, larger is nearer
  float q;               // 1/w, 1.0 for 2D
  float s;               // texture coordinates in the texture's own scale,
  float t;               // multiplied by q
  // Direct3D build: how much of the fog colour the vertex takes, 0 none ..
  // 255 all, written by the geometry pipeline while its fog is on. Kept as
  // the complement of Direct3D's fog factor so that the vertices nobody
  // fogs (2D, zero-filled) carry none.
  std::uint32_t fogAmount;
  std::uint32_t unused1[3];
};
static_assert(sizeof(ScreenVertex) == 48, "the Glide vertex layout expects 48-byte vertices");

// The build a program draws with; a few 2D layouts differ between them
// (snapping, colour packing, depth). The Direct3D program sets it at start.
enum RenderBuild : std::uint8_t {
  RENDER_BUILD_GLIDE = 0,
  RENDER_BUILD_DIRECT3D = 1,
};
extern RenderBuild g_RenderBuild;

// A pre-transformed Direct3D vertex's depth and rhw, carried in ScreenVertex
// until that build has its own vertex; of its specular colour only the fog
// factor has a field here (fogAmount).
inline void SetDirect3DDepth(ScreenVertex* v, float depth, float rhw) {
  v->z = depth;
  v->q = rhw;
}

// The neutral render-state values; each build translates them to its device.
enum BlendFactor : std::int32_t {
  BLEND_ZERO,
  BLEND_ONE,
  BLEND_SRC_COLOUR,
  BLEND_ONE_MINUS_SRC_COLOUR,
  BLEND_SRC_ALPHA,
  BLEND_ONE_MINUS_SRC_ALPHA,
  BLEND_ONE_MINUS_DEST_COLOUR,  // source only
};

enum DepthCompare : std::int32_t {
  DEPTH_NEARER,
  DEPTH_NEARER_OR_EQUAL,
};

enum TextureBlend : std::int32_t {
  TEXBLEND_MODULATE,  // texel x vertex colour
  TEXBLEND_COLOUR,    // vertex colour only
};

enum ShadeMode : std::int32_t {
  SHADE_FLAT,
  SHADE_GOURAUD,
};

enum FillMode : std::int32_t {
  FILL_SOLID,
};

enum CullMode : std::int32_t {
  CULL_NONE,
};

// Fade directions of Renderer::StartFade.
constexpr std::uint8_t FADE_IN = 0;   // from black
constexpr std::uint8_t FADE_OUT = 1;  // to black

// One cached value per render state; NOT_CACHED forces the next setter call
// through to the device.
constexpr std::int32_t NOT_CACHED = -1;

struct RenderStateCache {
  std::int32_t alphaBlendEnable;
  std::int32_t stippledAlpha;
  std::int32_t alphaTestEnable;  // Direct3D only; Glide sets the alpha test at every draw
  std::int32_t zEnable;
  std::int32_t zWriteEnable;
  std::int32_t zVisible;
  std::int32_t fogEnable;
  std::int32_t antiAlias;
  std::int32_t edgeAntiAlias;
  std::int32_t perspectiveCorrection;
  std::int32_t textureFilter;  // 1 bilinear, 0 point
  std::int32_t colourKey;
  std::int32_t dither;
  std::int32_t specular;
  std::int32_t destBlend;     // BlendFactor
  std::int32_t srcBlend;      // BlendFactor
  std::int32_t zFunc;         // DepthCompare
  std::int32_t alphaFunc;     // Direct3D only
  std::int32_t textureBlend;  // TextureBlend
  std::int32_t shadeMode;     // ShadeMode
  std::int32_t fillMode;      // FillMode
  std::int32_t cullMode;      // CullMode
};

// The cache rule: true when `value` differs from the cached one, which then
// takes it (the caller sends it to the device).
inline bool RenderStateChanged(std::int32_t& cached, std::int32_t value) {
  if (cached == value) return false;
  cached = value;
  return true;
}

// Frame counters for the statistics overlay.
struct RendererStatistics {
  std::uint32_t trianglesDrawn;
  std::uint32_t trianglesIn;    // sent into the geometry pipeline
  std::uint32_t verticesIn;     // sent into the geometry pipeline
  std::uint32_t pixelsWritten;  // as the device counts them
};

// What became of a presented frame.
enum class PresentResult {
  SHOWN,
  SURFACE_LOST,  // the next frame restores the surfaces
  FAILED,        // reported by the renderer
};

class Renderer {
 public:
  // Does nothing: the device is opened by Open.
  Renderer();

  // Forgets every cached state, opens the device at g_ScreenWidth x
  // g_ScreenHeight (which it may lower), limits drawing to the whole screen
  // and sets the 3D view to it. False after a reported failure.
  bool Open();
  // Releases the device (safe when it is not open).
  void Close();
  // Clears the rectangle (inclusive pixels) to the clear colour and the depth
  // buffer to the farthest value, then draws on the whole screen again. The
  // Glide build always clears depth.
  bool ClearRect(int x0, int y0, int x1, int y1, bool clearDepth);
  // Brings the device back after a deactivation or a lost surface.
  bool RestoreSurfaces();
  // Shows the finished frame.
  PresentResult Present();

  // The full-screen fade: StartFade stores it; DrawFade draws one step of it
  // over the frame (once per frame, after the scene's drawing).
  void StartFade(float duration, std::uint8_t direction, void (*callback)());
  bool DrawFade();

  // Setters: every one returns true (SetTextureBlend false for a value
  // outside its enumeration) and reaches the device only on a change.
  bool SetAlphaBlendEnable(bool on);
  bool SetSrcBlend(BlendFactor factor);
  bool SetDestBlend(BlendFactor factor);
  bool SetZEnable(bool on);
  bool SetZWriteEnable(bool on);
  bool SetZFunc(DepthCompare compare);
  bool SetZVisibleEnable(bool on);
  bool SetFogEnable(bool on);
  // Not cached.
  bool SetFogColour(float red, float green, float blue);
  // Fog rising linearly from nothing at `nearDistance` to full at
  // `farDistance` (view depth). The Glide build fills the board's fog table;
  // the Direct3D build keeps its device's own fog range.
  bool SetFogRange(float nearDistance, float farDistance);
  bool SetTextureFilter(bool bilinear);
  bool SetTextureBlend(TextureBlend blend);
  bool SetShadeMode(ShadeMode mode);
  bool SetStippledAlpha(bool on);
  bool SetSpecularEnable(bool on);
  bool SetAntiAliasEnable(bool on);
  bool SetEdgeAntiAliasEnable(bool on);
  bool SetPerspectiveCorrection(bool on);
  bool SetColourKeyEnable(bool on);
  bool SetDitherEnable(bool on);
  bool SetFillMode(FillMode mode);
  bool SetCullMode(CullMode mode);
  // The alpha test around colour-keyed textures (Glide: not cached).
  bool SetAlphaTest(bool keyed);
  // Depth shift (in steps, 0 off) that the lit meshes apply.
  void SetDepthBias(std::uint32_t steps);
  // Puts every cached render state to this build's defaults for a new scene.
  bool SetDefaultStates();

  // False (nothing drawn) when the count is not a multiple of 3.
  bool DrawTriangles(std::uint16_t count, const ScreenVertex* vertices);
  // Each vertex as a single pixel (the night sky's stars).
  bool DrawPoints(std::uint16_t count, const ScreenVertex* vertices);
  // A 16-bit RGB 5-6-5 picture of the screen's size as the frame's background.
  // False when the device refuses it (the caller reports it).
  bool DrawFullScreenImage(const std::uint16_t* pixels, int strideBytes);

  // Fills g_TextureSizeClasses so that the textures of the groups in use fit
  // the texture memory (`groupsInUse` land-piece groups, 1..8).
  void AssignTextureSizeClasses(std::uint16_t groupsInUse);

  void GetStatistics(RendererStatistics* out);
  void ResetStatistics();

  // A renderer that holds the screen exclusively with a window of its own
  // (Glide) closes it while the program is in the background and around
  // movies; the others answer false and do nothing.
  bool HoldsExclusiveWindow();
  // Saves the device state and closes the exclusive window; a failure is
  // reported and otherwise ignored.
  void SuspendExclusiveWindow();
  // Reopens the exclusive window and restores the saved state; `selectContext`
  // also selects the device context again. False after a reported failure.
  bool ResumeExclusiveWindow(bool selectContext);
  // True in the build whose renderer has such a window, open or not: the
  // movie player then asks the window procedure to close it before a movie
  // shows and to reopen it after.
  bool ClosesWindowForMovies();

  // ---- Build-independent helpers ----

  // Every cached state forgotten.
  void ForgetStates();
  // The six corners of the full-screen fade quad for a screen of this size.
  void BuildFadeQuad(float width, float height);
  // Advances the fade by `frameTime` seconds and runs its callback once when
  // it ends. True when a quad of `fadeDarkness` should be drawn this frame.
  bool StepFade(float frameTime);

  RenderStateCache cache = {};
  // Depth shift in steps for the lit meshes; 0 when off.
  std::uint32_t depthBias = 0;
  // Texture units of the board (Glide; 1 or 2).
  std::uint32_t textureUnits = 0;

  ScreenVertex fadeQuad[6] = {};
  float fadeDuration = 0.0f;
  float fadeElapsed = 0.0f;
  float fadeDarkness = 0.0f;  // 0..1
  std::uint8_t fadeDirection = FADE_IN;
  void (*fadeCallback)() = nullptr;

  RendererStatistics statistics = {};

  // Clear colour, 0..1, written by the scenes and read by ClearRect.
  float clearRed = 0.0f;
  float clearGreen = 0.0f;
  float clearBlue = 0.0f;

  // Glide only.
  std::int32_t resolution = 7;      // 0..4; 7 before the device opens
  std::uint8_t deviceOpen = 0;
  std::uint32_t context = 0;        // the Glide window's context
  std::uint8_t* savedState = nullptr;  // the Glide state while the window is closed
};

extern Renderer& g_Renderer;

// The riders in a race (8..20), which the texture budget counts; written by
// the front end's options.
extern std::uint32_t g_RiderCount;
