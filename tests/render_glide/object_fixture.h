// The recording Glide board opened at 640 x 480, with a 200 x 100 3D view
// and the camera at the origin looking down +z with unit projection factors,
// so that a point (X, Y, w) lands at x = 100 + 100 X / w, y = 50 - 100 Y / w;
// near 1 and far 257 (depth scale 65535 / 256).
#pragma once

#include <string>
#include <vector>

#include "engine/camera.h"
#include "platform/glide/glide.h"
#include "tests/render_glide/glide_fixture.h"
#include "tools/bbf.h"

namespace kelvtest {

class ObjectTest : public GlideTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes DATA\UI.BBF with the members and opens it as the UI archive.
  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members);
  // The draws since the last call (or since SetUp), recorded by the board.
  static std::vector<platform::GlideDraw> TakeDraws();

 private:
  Camera savedCamera_;
  Vector3 savedLight_;
};

}  // namespace kelvtest
