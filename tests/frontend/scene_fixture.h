// The front end with UI scenes: the recording Glide board behind the
// renderer, a UI archive of small widget files (with a texture per list, so
// that each list's colour key shows), dialogs for every scene number and a
// text database whose text n reads "Tn".
#pragma once

#include <cstdint>

#include "tests/frontend/front_end_fixture.h"
#include "tools/bytes.h"
#include "tools/scene_files.h"

namespace kelvtest {

class SceneTest : public FrontEndTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The scene file written as DATA\UI\S.SCN and loaded as scene `number`,
  // which becomes the current UI scene; null when the load fails.
  UiScene* Load(int number, const kelvdata::SceneFile& file);
  // Loaded and run until it takes input.
  UiScene* Running(int number, const kelvdata::SceneFile& file);
  static void Frame(UiScene* s, unsigned ms);
  // DATA\UI\P.PIC becomes this picture.
  void PutPicture(std::uint16_t w, std::uint16_t h, const kelvdata::Bytes& rgb);

  // A background, one static text and no focus.
  static kelvdata::SceneFile Plain();
  // Every list with a texture of its own, three typed objects, one start
  // action and a focus list of buttons 0 and 1.
  static kelvdata::SceneFile KeyedScene();

 private:
  void WriteArchive(const kelvdata::Bytes& picture);
};

}  // namespace kelvtest
