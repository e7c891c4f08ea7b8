// A game root with the DirectDraw layer's recording backend and the default
// machine; the renderer, the texture manager and the dialog's selection start
// fresh in each test, and dialogs are scripted.
#pragma once

#include <string>
#include <vector>

#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/texture_manager.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/ddraw/driver_dialog.h"
#include "render_d3d/direct3d_renderer.h"
#include "tests/support/game_root.h"

namespace kelvtest {

class Direct3DTest : public GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The registry's display choice (a negative value leaves it out).
  static void Choose(long driver, long device, long bpp);
  // Opens at the requested size with the registry's choice; records cleared afterwards.
  bool OpenAt(std::uint32_t width, std::uint32_t height);

  static std::vector<platform::DirectDrawCall> Calls(const std::string& function);
  static std::vector<std::string> CallNames();
  static std::vector<std::string> Boxes();
};

}  // namespace kelvtest
