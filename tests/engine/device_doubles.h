// TEMPORARY recording doubles of the renderer, the texture manager and the
// sound samples, for the engine tests until those modules land on main.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/renderer.h"
#include "engine/texture_manager.h"

namespace kelvtest {

struct DrawCall {
  std::vector<ScreenVertex> vertices;
  bool blending;
  BlendFactor src;
  BlendFactor dest;
  bool fog;
  int texture;  // selected slot
};

struct Doubles {
  // Renderer state
  bool blending = false;
  BlendFactor src = BLEND_ONE;
  BlendFactor dest = BLEND_ZERO;
  bool fog = false;
  std::vector<DrawCall> draws;
  std::vector<std::string> log;
  // Texture manager
  std::map<std::string, int> slots;          // loaded names (upper case)
  std::set<std::string> missing;             // names whose load fails
  std::map<std::string, float> scaleS, scaleT;  // default 256
  int selected = -1;
  std::vector<int> freed;
  int soundStops = 0;
};

Doubles& Devices();
void ResetDoubles();

}  // namespace kelvtest
