// A game root with the virtual board's recording backend: every Glide call is
// recorded, draws come with their vertices and state. The renderer and the
// texture manager start fresh in each test.
#pragma once

#include <string>
#include <vector>

#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "tests/support/game_root.h"

namespace kelvtest {

class GlideTest : public GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Board for the next Open (default: 4 MiB frame buffer, two 4 MiB units).
  void UseBoard(const platform::GlideBoard& board);
  // Opens the renderer at the requested size; records cleared afterwards.
  bool OpenAt(std::uint32_t width, std::uint32_t height);

  // Recorded calls of one Glide function, in order.
  static std::vector<platform::GlideCall> Calls(const std::string& function);
  // The names of every recorded call, in order.
  static std::vector<std::string> CallNames();
  // Message box texts shown so far.
  static std::vector<std::string> Boxes();
};

}  // namespace kelvtest
