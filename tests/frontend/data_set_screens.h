// The front end on the synthetic data set's own screens: the set written
// into the test's game root, its English texts and the options loaded, the
// scenes shown on the recording board and their buttons pressed as clicks
// press them.
#pragma once

#include <cstdint>

#include "tests/frontend/front_end_fixture.h"

namespace kelvtest {

class DataSetScreensTest : public FrontEndTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The data set's scene `n`, loaded and run until it takes input; null
  // when it does not load or never does.
  UiScene* Show(int n);
  // Presses button `b` of the scene as a click does and gives the scene the
  // game controller goes to next (-1 for none).
  static int Press(UiScene* s, std::uint16_t b);
  // Types `text` into the scene's focused edit text.
  static void Type(UiScene* s, const char* text);
};

}  // namespace kelvtest
