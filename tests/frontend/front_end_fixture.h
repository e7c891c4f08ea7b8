// The front end in a test: a temporary game root with the synthetic results
// tables and players lists, the test mixer and CD, and the front end's global
// objects built as the program builds them.
#pragma once

#include <memory>

#include "frontend/ui_scene.h"
#include "tests/support/game_root.h"

namespace kelvtest {

class FrontEndTest : public GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A current UI scene with `sliders` sliders of `items` items each and
  // `buttons` buttons and `texts` UI texts.
  UiScene* MakeScene(int sliders = 20, int items = 21, int buttons = 12, int texts = 8);
  // The current UI scene dropped and a new, empty one current as scene
  // `number`, ready for its Load.
  UiScene* NewScene(int number);
  static int Slider(int i);
  static const char* Text(int i);

  std::unique_ptr<UiScene> scene_;
};

}  // namespace kelvtest
