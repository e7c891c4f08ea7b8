// Texture storage of kelvarro_glide: the slots' textures in the texture
// memory of the board's units, placed one after another.
#include <cstring>

#include "engine/archive.h"
#include "engine/render_glide/glide_renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"

namespace {

// No texture crosses the 2 MB boundary of a unit's memory.
constexpr std::uint32_t TEXTURE_MEMORY_BOUNDARY = 2u << 20;

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

void UpperCase(char* s) {
  for (; *s; ++s)
    if (*s >= 'a' && *s <= 'z') *s = static_cast<char>(*s - 'a' + 'A');
}

int Log2(std::uint32_t v) {
  int n = 0;
  while (v > 1) {
    v >>= 1;
    ++n;
  }
  return n;
}

GrTexInfo GlideInfo(const TextureDescription& d, const void* data) {
  GrTexInfo info;
  info.smallLodLog2 = d.smallLodLog2;
  info.largeLodLog2 = d.largeLodLog2;
  info.aspectRatioLog2 = d.aspectLog2;
  info.format = d.format;
  info.data = const_cast<void*>(data);
  return info;
}

bool ValidSlot(TextureSlot slot) { return slot < TEXTURE_SLOT_COUNT; }

// A .TEX file read, converted and described for texture memory.
struct PreparedTexture {
  TexPixels pixels;
  TextureDescription info;
  float s = 0.0f;
  float t = 0.0f;
  std::uint32_t size = 0;  // bytes of texture memory
};

bool PrepareTexture(const char* fileName, bool keyed, std::uint8_t limit, const ColourKey& key,
                    PreparedTexture* out) {
  if (!TextureManager::ReadTexFile(fileName, keyed, limit, key.red, key.green, key.blue, &out->pixels)) return false;
  if (!TextureManager::ComputeTexInfo(out->pixels.width, out->pixels.height, &out->info, &out->s, &out->t))
    return false;
  GrTexInfo glideInfo = GlideInfo(out->info, nullptr);
  out->size = grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &glideInfo);
  return true;
}

}  // namespace

TextureManager::TextureManager() {
  std::memset(description, 0, sizeof description);
  std::memset(memorySize, 0, sizeof memorySize);
  std::memset(startAddress, 0, sizeof startAddress);
  std::memset(keyed, 0, sizeof keyed);
  nextFreeAddress[0] = nextFreeAddress[1] = TEXTURE_ADDRESS_UNKNOWN;
  std::memset(unit, 0, sizeof unit);
  std::memset(state, 0, sizeof state);
  for (int i = 0; i < TEXTURE_SLOT_COUNT; ++i) sScale[i] = tScale[i] = 0.0f;
  alphaReference = 127;
  selected = 0;
  for (auto& n : name) std::strcpy(n, UNUSED_TEXTURE_NAME);
  std::memset(width, 0, sizeof width);
  std::memset(height, 0, sizeof height);
  std::memset(keyColour, 0, sizeof keyColour);
  g_ColourKey = {0, 0, 0};
}

bool TextureManager::ComputeTexInfo(std::uint16_t w, std::uint16_t h, TextureDescription* info, float* sScaleOut,
                                    float* tScaleOut) {
  const std::uint32_t longSide = w >= h ? w : h;
  const std::uint32_t shortSide = w >= h ? h : w;
  if (longSide == 0 || longSide > 256 || (longSide & (longSide - 1)) != 0) {
    Report("Texture dimensions not supported.\nPlease reinstall Kelvarro");
    return false;
  }
  const std::uint32_t aspect = longSide / shortSide;
  if (longSide % shortSide != 0 || (aspect != 1 && aspect != 2 && aspect != 4 && aspect != 8)) {
    Report("Texture aspect ratio not supported.\nPlease reinstall Kelvarro");
    return false;
  }
  info->smallLodLog2 = info->largeLodLog2 = Log2(longSide);
  info->aspectLog2 = w >= h ? Log2(aspect) : -Log2(aspect);
  info->format = GR_TEXFMT_ARGB_1555;
  info->data = nullptr;
  const float shortScale = 256.0f / static_cast<float>(aspect);
  *sScaleOut = w >= h ? 256.0f : shortScale;
  *tScaleOut = w >= h ? shortScale : 256.0f;
  return true;
}

bool TextureManager::Allocate(std::uint32_t size, std::uint32_t* unitOut, std::uint32_t* startOut) {
  FxI32 align = 0;
  grGet(GR_TEXTURE_ALIGN, sizeof align, &align);
  const std::uint32_t units = g_Renderer.textureUnits > 1 ? 2 : 1;
  for (std::uint32_t u = 0; u < units; ++u) {
    const GrChipID_t tmu = static_cast<GrChipID_t>(u);
    if (nextFreeAddress[u] == TEXTURE_ADDRESS_UNKNOWN) nextFreeAddress[u] = grTexMinAddress(tmu);
    unsigned long long start = nextFreeAddress[u];
    if (start < TEXTURE_MEMORY_BOUNDARY && start + size > TEXTURE_MEMORY_BOUNDARY) start = TEXTURE_MEMORY_BOUNDARY;
    if (start + size <= static_cast<unsigned long long>(grTexMaxAddress(tmu)) + static_cast<FxU32>(align)) {
      nextFreeAddress[u] = static_cast<std::uint32_t>(start + size);
      *unitOut = u;
      *startOut = static_cast<std::uint32_t>(start);
      return true;
    }
  }
  Report("Not enough texture memory to load texture.");
  return false;
}

void TextureManager::Download(TextureSlot slot) {
  GrTexInfo info = GlideInfo(description[slot], description[slot].data);
  grTexDownloadMipMap(static_cast<GrChipID_t>(unit[slot]), startAddress[slot], GR_MIPMAPLEVELMASK_BOTH, &info);
  description[slot].data = nullptr;
}

bool TextureManager::Load(char* fileName, TextureSlot* slotOut, std::uint8_t limit) {
  UpperCase(fileName);
  limit = TextureLimitForName(fileName, limit);
  if (std::strcmp(fileName, "NULL") == 0) {
    *slotOut = 0;
    return true;
  }
  for (int i = 0; i < TEXTURE_SLOT_COUNT; ++i) {
    if (std::strcmp(name[i], fileName) == 0) {
      *slotOut = static_cast<TextureSlot>(i);
      return true;
    }
  }
  // A name that does not fit a slot cannot name a file of the game.
  if (std::strlen(fileName) >= TEXTURE_NAME_SIZE) {
    Report("Error loading texture.\nPlease reinstall Kelvarro.");
    return false;
  }

  const bool isKeyed = std::strchr(fileName, '_') != nullptr;
  PreparedTexture texture;
  if (!PrepareTexture(fileName, isKeyed, limit, g_ColourKey, &texture)) return false;
  const std::uint32_t size = texture.size;

  int slot = -1;
  bool reuse = false;
  for (int i = 1; i < TEXTURE_SLOT_COUNT && slot < 0; ++i) {
    if (state[i] == TEXTURE_FREED && memorySize[i] == size) {
      slot = i;
      reuse = true;
    }
  }
  for (int i = 1; i < TEXTURE_SLOT_COUNT && slot < 0; ++i) {
    if (state[i] == TEXTURE_UNUSED) slot = i;
  }
  if (slot < 0) return false;

  std::uint32_t tmu = unit[slot];
  std::uint32_t start = startAddress[slot];
  if (!reuse && !Allocate(size, &tmu, &start)) return false;

  description[slot] = texture.info;
  description[slot].data = texture.pixels.texels.get();
  keyed[slot] = isKeyed ? 1 : 0;
  keyColour[slot] = g_ColourKey;
  width[slot] = texture.pixels.width;
  height[slot] = texture.pixels.height;
  sScale[slot] = texture.s;
  tScale[slot] = texture.t;
  memorySize[slot] = size;
  unit[slot] = tmu;
  startAddress[slot] = start;
  Download(static_cast<TextureSlot>(slot));
  state[slot] = TEXTURE_LOADED;
  std::strcpy(name[slot], fileName);
  *slotOut = static_cast<TextureSlot>(slot);
  return true;
}

bool TextureManager::Select(TextureSlot slot) {
  if (!ValidSlot(slot)) slot = 0;
  if (slot != 0 && slot == selected) return true;
  if (slot == 0) {
    g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
    g_Renderer.SetAlphaTest(false);
    selected = 0;
    return true;
  }
  g_Renderer.SetTextureBlend(TEXBLEND_MODULATE);
  if (unit[slot] == 0) {
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_FUNCTION_LOCAL,
                 GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
  } else {
    // Unit 0 passes on what unit 1 sends it.
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_FUNCTION_SCALE_OTHER,
                 GR_COMBINE_FACTOR_ONE, FXFALSE, FXFALSE);
  }
  GrTexInfo info = GlideInfo(description[slot], nullptr);
  grTexSource(static_cast<GrChipID_t>(unit[slot]), startAddress[slot], GR_MIPMAPLEVELMASK_BOTH, &info);
  g_Renderer.SetAlphaTest(keyed[slot] != 0);
  selected = slot;
  return true;
}

void TextureManager::Free(TextureSlot slot) {
  if (slot == 0 || !ValidSlot(slot)) return;
  g_Renderer.SetTextureBlend(TEXBLEND_COLOUR);
  g_Renderer.SetAlphaTest(false);
  selected = 0;
  if (std::strcmp(name[slot], UNUSED_TEXTURE_NAME) == 0) return;
  std::strcpy(name[slot], UNUSED_TEXTURE_NAME);
  if (state[slot] != TEXTURE_UNUSED) state[slot] = TEXTURE_FREED;
}

bool TextureManager::Reload(TextureSlot slot) {
  if (slot == 0 || !ValidSlot(slot)) return false;
  const std::uint16_t longSide = width[slot] >= height[slot] ? width[slot] : height[slot];
  const std::uint8_t limit = longSide / 32 > 0 ? static_cast<std::uint8_t>(longSide / 32) : 1;
  PreparedTexture texture;
  if (!PrepareTexture(name[slot], keyed[slot] != 0, limit, keyColour[slot], &texture)) return false;
  const std::uint32_t size = texture.size;
  std::uint32_t tmu = 0;
  std::uint32_t start = 0;
  if (!Allocate(size, &tmu, &start)) return false;
  description[slot] = texture.info;
  description[slot].data = texture.pixels.texels.get();
  width[slot] = texture.pixels.width;
  height[slot] = texture.pixels.height;
  sScale[slot] = texture.s;
  tScale[slot] = texture.t;
  memorySize[slot] = size;
  unit[slot] = tmu;
  startAddress[slot] = start;
  Download(slot);
  state[slot] = TEXTURE_LOADED;
  return true;
}

namespace {

// Every loaded texture read again, packed from the start of texture memory;
// freed slots give up their memory. With `stopAtFailure` the first failed
// reload ends it; false when any failed.
bool ReloadPacked(TextureManager& m, bool stopAtFailure) {
  m.nextFreeAddress[0] = m.nextFreeAddress[1] = TEXTURE_ADDRESS_UNKNOWN;
  // Every texture moves: the next Select must send its new place.
  m.selected = 0;
  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) {
    if (m.state[i] == TEXTURE_FREED) m.state[i] = TEXTURE_UNUSED;
  }
  bool ok = true;
  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) {
    if (m.state[i] != TEXTURE_LOADED || m.Reload(static_cast<TextureSlot>(i))) continue;
    ok = false;
    if (stopAtFailure) break;
  }
  return ok;
}

}  // namespace

bool TextureManager::ReloadAll() { return ReloadPacked(*this, true); }

void TextureManager::Repack() { ReloadPacked(*this, false); }

void TextureManager::SampleTexel(TextureSlot slot, float u, float v, float* red, float* green, float* blue) {
  *red = *green = *blue = 0.0f;
  if (!ValidSlot(slot)) return;
  std::uint8_t rgb[3];
  // Coordinates beyond the texture's edges, and reads past the file, give black.
  if (!ReadTexTexel(name[slot], u, v, rgb)) return;
  *red = static_cast<float>(rgb[0] & 0xF8) / 255.0f;
  *green = static_cast<float>(rgb[1] & 0xF8) / 255.0f;
  *blue = static_cast<float>(rgb[2] & 0xF8) / 255.0f;
}

void TextureManager::ClearNames() {
  for (auto& n : name) n[0] = '\0';
}
