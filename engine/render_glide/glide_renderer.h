// The Glide side of the renderer of kelvarro_glide: the device open with its
// resolution choice, and the translations of the neutral render states.
#pragma once

#include "engine/renderer.h"
#include "platform/glide/glide.h"

class GlideRenderer {
 public:
  // Resolution index (0..4) to its size and Glide constant.
  static constexpr int RESOLUTION_COUNT = 5;
  static constexpr int RESOLUTION_NONE = 7;
  static int ResolutionWidth(int index);
  static int ResolutionHeight(int index);
  static GrScreenResolution_t ResolutionConstant(int index);

  // The index for a requested size on a board with memory figure `m` (frame
  // buffer memory x units, as the board reports them); -1 for a size the
  // board cannot show.
  static int ChooseResolution(std::uint32_t width, std::uint32_t height, unsigned long long m);

  // Detects the board, chooses and opens the Glide window over the main
  // window and puts Glide into its fixed state. May lower g_ScreenWidth and
  // g_ScreenHeight. False after a reported failure (the memory queries fail
  // silently).
  static bool OpenDevice(Renderer& renderer);

  static GrAlphaBlendFnc_t BlendFactorConstant(std::int32_t factor, GrAlphaBlendFnc_t fallback);
  // The colour combine for the cached texture blend and shade mode.
  static void SendColourCombine(const Renderer& renderer);
  // The blend pair for the cached blending switch and factors.
  static void SendBlend(const Renderer& renderer);

  // Called after every presented frame when set (the program's screenshot).
  static void (*presentObserver)();
};
