// Tracks loaded from archives written by tools/, on the Glide renderer's
// recording board, with the race flags and the track sounds' shared state
// put back after each test.
#pragma once

#include <string>
#include <vector>

#include "tests/render_glide/glide_fixture.h"
#include "tools/bbf.h"
#include "tools/track_course.h"
#include "world/track.h"

namespace kelvtest {

class TrackTest : public GlideTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes DATA\TRACK.BBF with the members and opens it as the track archive.
  void OpenTrackArchive(const std::vector<kelvdata::BbfMember>& members);
  // Loads the set's track; the result of Track::Load.
  bool LoadSet(Track* track, const kelvdata::TrackSet& set);
  // Message boxes and debugger lines, as texts.
  static std::vector<std::string> DebugLines();
};

}  // namespace kelvtest
