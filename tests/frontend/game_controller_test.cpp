// The controller's dispatch, the scene-change protocol and the value steps.
#include <gtest/gtest.h>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "tests/frontend/front_end_fixture.h"

namespace {

class GameControllerTest : public kelvtest::FrontEndTest {};

TEST_F(GameControllerTest, IdsOutsideTheTableAndIdNoneChangeNothing) {
  MakeScene();
  g_GameSkill = 1;
  g_RiderCount = 12;
  g_GameController.nextScene = 7;
  for (std::int32_t id : {-1, 69, 93, 1000}) {
    for (std::int32_t a1 : {0, 1, 2, 9}) g_GameController.Command(id, a1, 1, "NULL");
  }
  EXPECT_EQ(g_GameSkill, 1);
  EXPECT_EQ(g_RiderCount, 12u);
  EXPECT_EQ(g_GameController.nextScene, 7);
  EXPECT_FALSE(g_GameController.uiScene->IsClosing());
}

TEST_F(GameControllerTest, TheLastSceneAskedForBeforeTheFadeEndsWins) {
  UiScene* scene = MakeScene();
  g_GameController.Command(CMD_GO_TO_SCENE, 5, 0, "NULL");
  EXPECT_TRUE(scene->IsClosing());
  g_GameController.Command(CMD_GO_TO_SCENE, 12, 0, nullptr);
  EXPECT_EQ(g_GameController.nextScene, 12);
  EXPECT_EQ(g_GameController.pendingSceneChange, 0) << "the scene raises the flag once its fade has ended";
}

TEST_F(GameControllerTest, WithoutAUiSceneTheNextSceneIsOnlyRecorded) {
  g_GameController.Command(CMD_GO_TO_SCENE, 10, 0, "NULL");
  EXPECT_EQ(g_GameController.nextScene, 10);
}

TEST_F(GameControllerTest, ValueToStepThresholdsInSinglePrecision) {
  const struct {
    float v;
    std::uint16_t step10;
    std::uint16_t step20;
  } cases[] = {
      {0.0f, 0, 0},   {0.05f, 0, 1},  {0.0999f, 0, 1}, {0.1f, 1, 2},   {0.3f, 3, 6},   {0.7f, 7, 14},
      {0.95f, 9, 19}, {0.99f, 9, 19}, {1.0f, 10, 20},  {1.5f, 10, 20}, {-0.2f, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GameController::ValueToStep10(c.v), c.step10) << c.v;
    EXPECT_EQ(GameController::ValueToStep20(c.v), c.step20) << c.v;
  }
}

}  // namespace
