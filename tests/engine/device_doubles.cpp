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

Renderer g_Renderer;
TextureManager g_TextureManager;

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
  Devices().log.push_back(on ? "fog on" : "fog off");
  return true;
}
bool Renderer::FogEnabled() const { return Devices().fog; }
bool Renderer::SetDepthBias(std::uint32_t steps) {
  Devices().depthBias = steps;
  return true;
}
std::uint32_t Renderer::DepthBias() const { return Devices().depthBias; }
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
  return true;
}
bool TextureManager::Select(TextureSlot slot) {
  Devices().selected = slot;
  return true;
}
void TextureManager::Free(TextureSlot slot) {
  if (slot != 0) Devices().freed.push_back(slot);
}
static float Scale(const std::map<std::string, float>& m, TextureSlot slot) {
  for (const auto& [name, s] : Devices().slots) {
    if (s == slot) {
      auto it = m.find(name);
      return it == m.end() ? 256.0f : it->second;
    }
  }
  return 1.0f;
}
float TextureManager::ScaleS(TextureSlot slot) const { return Scale(Devices().scaleS, slot); }
float TextureManager::ScaleT(TextureSlot slot) const { return Scale(Devices().scaleT, slot); }

void SoundSample::Stop() {
  playing = 0;
  ++Devices().soundStops;
}
