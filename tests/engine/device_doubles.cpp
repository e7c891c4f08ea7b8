#include "tests/engine/device_doubles.h"

#include <cctype>

#include "engine/sound_sample.h"

namespace kelvtest {

Doubles& Devices() {
  static Doubles d;
  return d;
}

void ResetDoubles() { Devices() = Doubles(); }

}  // namespace kelvtest

using kelvtest::Devices;

static Renderer renderer;
Renderer& g_Renderer = renderer;
static TextureManager textureManager;
TextureManager& g_TextureManager = textureManager;
std::uint32_t g_RiderCount = 0;
ColourKey g_ColourKey = {0, 0, 0};
std::uint8_t g_TextureSizeClasses[TEXTURE_SIZE_CLASS_COUNT];

Renderer::Renderer() {}
TextureManager::TextureManager() {
  for (int i = 0; i < TEXTURE_SLOT_COUNT; ++i) sScale[i] = tScale[i] = 256.0f;
}

bool Renderer::SetAlphaBlendEnable(bool on) {
  Devices().blending = on;
  return true;
}
bool Renderer::SetSrcBlend(BlendFactor f) {
  Devices().src = f;
  return true;
}
bool Renderer::SetDestBlend(BlendFactor f) {
  Devices().dest = f;
  return true;
}
bool Renderer::SetFogEnable(bool on) {
  Devices().fog = on;
  cache.fogEnable = on ? 1 : 0;
  Devices().log.push_back(on ? "fog on" : "fog off");
  return true;
}
void Renderer::SetDepthBias(std::uint32_t steps) { depthBias = steps; }
bool Renderer::DrawTriangles(std::uint16_t count, const ScreenVertex* vertices) {
  if (count % 3 != 0) return false;
  kelvtest::Doubles& d = Devices();
  d.draws.push_back({std::vector<ScreenVertex>(vertices, vertices + count), d.blending, d.src, d.dest, d.fog,
                     d.selected});
  d.log.push_back("draw " + std::to_string(count));
  return true;
}

bool TextureManager::Load(char* name, TextureSlot* slot, std::uint8_t limit) {
  for (char* p = name; *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  kelvtest::Doubles& d = Devices();
  d.log.push_back(std::string("texture ") + name + " " + std::to_string(limit));
  if (std::string(name) == "NULL") {
    *slot = 0;
    return true;
  }
  if (d.missing.count(name)) return false;
  auto it = d.slots.find(name);
  if (it == d.slots.end()) it = d.slots.emplace(name, static_cast<int>(d.slots.size()) + 1).first;
  *slot = static_cast<TextureSlot>(it->second);
  auto s = d.scaleS.find(name);
  auto t = d.scaleT.find(name);
  sScale[*slot] = s == d.scaleS.end() ? 256.0f : s->second;
  tScale[*slot] = t == d.scaleT.end() ? 256.0f : t->second;
  return true;
}
bool TextureManager::Select(TextureSlot slot) {
  Devices().selected = slot;
  return true;
}
void TextureManager::Free(TextureSlot slot) {
  if (slot != 0) Devices().freed.push_back(slot);
}
void SoundSample::Stop() {
  playing = 0;
  ++Devices().soundStops;
}
