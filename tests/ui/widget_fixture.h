// Fixtures of the button, tooltip, chooser, progress-bar, slider and dialog
// tests: a game controller that records its commands, the cursor with or
// without a mouse, and frames on a g_FrameTime timeline of 1/64 s, which
// adds up without rounding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/services/front_end.h"
#include "tests/support/null_front_end.h"
#include "tests/ui/ui_fixture.h"
#include "tools/ui_files.h"

namespace kelvtest {

constexpr float kFrame = 1.0f / 64.0f;

struct RecordedCommand {
  std::uint32_t id;
  std::uint32_t a1;
  std::uint32_t a2;
  std::string text;  // "(null)" for a null text
  bool operator==(const RecordedCommand&) const = default;
};

class RecordingController : public NullFrontEnd {
 public:
  void Command(std::uint32_t id, std::uint32_t a1, std::uint32_t a2, const char* text) override {
    commands.push_back({id, a1, a2, text ? text : "(null)"});
  }

  std::vector<RecordedCommand> commands;
};

class WidgetTest : public UiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // No mouse, or a mouse with the pointer at (x, y).
  static void NoMouse();
  static void MouseAt(int x, int y);

  // The textures and label files every widget file below names, with
  // `extra` members, and the text database `texts`.
  void OpenWidgetArchives(const std::vector<kelvdata::BbfMember>& extra, const std::vector<std::string>& texts = {});

  RecordingController controller_;
  FrontEndServices* savedFrontEnd_ = nullptr;
};

// A button at (x, y) of w x h with the three fixture textures and no sounds
// (the front end's ButtonLook has other textures and click sounds).
kelvdata::ButtonFile SampleButton(float x, float y, float w, float h);

}  // namespace kelvtest
