#include "tests/render_glide/object_fixture.h"

#include <cstring>

#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"

namespace kelvtest {

void ObjectTest::SetUp() {
  GlideTest::SetUp();
  ASSERT_TRUE(OpenAt(640, 480));
  g_Renderer.SetDefaultStates();
  savedCamera_ = g_Camera;
  savedLight_ = g_LightDirection;
  g_ViewRect = {0.0f, 200.0f, 0.0f, 100.0f};
  g_ViewWidth = 200.0f;
  g_ViewHeight = 100.0f;
  g_Camera.nearPlane = 1.0f;
  g_Camera.farPlane = 257.0f;
  g_Camera.view = g_IdentityMatrix;
  std::memset(&g_Camera.projection, 0, sizeof(Matrix4));
  g_Camera.projection.m[0] = g_Camera.projection.m[5] = g_Camera.projection.m[10] = 1.0f;
  g_Camera.projection.m[11] = 1.0f;
  g_GeometryPipeline.objectMatrix = nullptr;
  g_GeometryPipeline.fogOn = 0;
  g_GeometryPipeline.SetupProjection();
  g_RaceType = 0;
  platform::ClearGlideRecords();
}

void ObjectTest::TearDown() {
  g_Camera = savedCamera_;
  g_LightDirection = savedLight_;
  g_GeometryPipeline.objectMatrix = nullptr;
  g_RaceType = 0;
  GlideTest::TearDown();
}

void ObjectTest::OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
  g_UiArchive.Close();
  Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
}

std::vector<platform::GlideDraw> ObjectTest::TakeDraws() {
  std::vector<platform::GlideDraw> draws = platform::RecordedGlideDraws();
  platform::ClearGlideRecords();
  return draws;
}

}  // namespace kelvtest
