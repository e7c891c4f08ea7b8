// A game root with the virtual board's OpenGL backend (offscreen) behind a
// real main window, for pictures of what the renderer draws. The renderer and
// the texture manager start fresh in each test. Without OpenGL the tests fail
// (KELV_OPEN_PICTURE in tests/support/picture.h).
#pragma once

#include <string>
#include <vector>

#include "platform/glide/glide.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"

namespace kelvtest {

class PictureTest : public GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The main window and the renderer at 640 x 480 with a new scene's states;
  // false where there is no OpenGL.
  bool OpenScreen();
  // Writes DATA\UI.BBF with the members and opens it as the UI archive.
  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members);
  // Presents the frame and reads it back as drawn.
  static platform::Picture Presented();
  // The reference picture `name` under tests/references/.
  static std::string Reference(const std::string& name);
};

}  // namespace kelvtest
