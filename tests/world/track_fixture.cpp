#include "tests/world/track_fixture.h"

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/geometry_pipeline.h"
#include "platform/win32/debug.h"

namespace kelvtest {

void TrackTest::SetUp() {
  GlideTest::SetUp();
  g_RenderBuild = RENDER_BUILD_GLIDE;
  g_AlphaTestForColourKeys = 0;
  g_ShowSectionMarkers = 0;
  g_SoundFadeOut = 0;
  g_TrackSoundFade = 0;
  g_TrackRandomOffset = Vector3(0.0f, 0.0f, 0.0f);
  g_TrackRandomVelocity = Vector3(0.0f, 0.0f, 0.0f);
  g_Camera = Camera();
  platform::RecordDebugOutput(true);
  platform::ClearRecordedDebugOutput();
}

void TrackTest::TearDown() {
  g_TrackArchive.Close();
  g_RenderBuild = RENDER_BUILD_GLIDE;
  g_AlphaTestForColourKeys = 0;
  g_ShowSectionMarkers = 0;
  g_SoundFadeOut = 0;
  g_Camera = Camera();
  g_GeometryPipeline.objectMatrix = nullptr;
  platform::ClearRecordedDebugOutput();
  GlideTest::TearDown();
}

void TrackTest::OpenTrackArchive(const std::vector<kelvdata::BbfMember>& members) {
  g_TrackArchive.Close();
  Put("DATA/TRACK.BBF", kelvdata::BuildBbf(members));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
}

bool TrackTest::LoadSet(Track* track, const kelvdata::TrackSet& set) {
  OpenTrackArchive(kelvdata::TrackSetMembers(set));
  return track->Load(kelvdata::SAMPLE_TRACK);
}

std::vector<std::string> TrackTest::DebugLines() { return platform::RecordedDebugOutput(); }

}  // namespace kelvtest
