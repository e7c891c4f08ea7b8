// The garage: rounding on entry, repair limits, money and workshop time,
// the commit; the set-up editor's sliders and its defaults.
#include <gtest/gtest.h>

#include <memory>

#include "engine/game_settings.h"
#include "engine/object3d.h"
#include "frontend/commands_internal.h"
#include "frontend/garage.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "riders/rider_physics.h"
#include "riders/rider_setup.h"
#include "tests/frontend/front_end_fixture.h"

namespace {

class GarageTest : public kelvtest::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    MakeScene();
    g_GameSkill = 0;
    g_NoBudget = 0;
    g_RaceType = RACE_TYPE_PRACTICE;
    g_PlayersList.entries[0].money = 1000;
    g_GameController.Command(CMD_RESET_SETUP, 0, 0, "NULL");
    g_GameController.Command(CMD_RESET_CONDITIONS, 0, 0, "NULL");
  }
  static void Repair(std::int32_t part) { g_GameController.Command(CMD_REPAIR_PART, 1, part, "NULL"); }
  static void Undo(std::int32_t part) { g_GameController.Command(CMD_REPAIR_PART, 0, part, "NULL"); }
  static void Enter() { g_GameController.Command(CMD_SHOW_GARAGE, 0, 0, "NULL"); }
};

TEST_F(GarageTest, ConditionsEnterRoundedToATenth) {
  const struct {
    float real;
    float entered;
  } cases[] = {{0.46f, 0.5f}, {0.44f, 0.4f}, {1.0f, 1.0f}, {0.0f, 0.0f}, {0.96f, 1.0f}};
  for (const auto& c : cases) {
    g_ConditionEngine[0] = c.real;
    g_GarageNeedsInit = 1;
    Enter();
    EXPECT_FLOAT_EQ(g_GameController.conditions[0], c.entered) << c.real;
    EXPECT_FLOAT_EQ(g_RepairFloor[0], c.entered) << c.real;
  }
}

TEST_F(GarageTest, TheBikeOfTheChosenRiderReplacesTypedObjectSeven) {
  UiScene* scene = g_GameController.uiScene;
  scene->SetTypedObject(7, std::make_unique<Object3D>());
  SceneObject* own = scene->TypedObject(7);
  for (std::int16_t none : {0, -1}) {
    g_PlayersList.entries[0].chosenRider = none;
    Enter();
    EXPECT_EQ(scene->TypedObject(7), own) << none;
  }
  g_PlayersList.entries[0].chosenRider = 12;
  Enter();
  ASSERT_NE(scene->TypedObject(7), nullptr);
  EXPECT_NE(scene->TypedObject(7), own);
  EXPECT_EQ(static_cast<Object3D*>(scene->TypedObject(7))->alternateSelection, 1);
  scene->SetTypedObject(99, std::make_unique<Object3D>());
  EXPECT_EQ(scene->TypedObject(99), nullptr);
}

TEST_F(GarageTest, TheCommitOnlyTakesRealRepairs) {
  g_ConditionEngine[0] = 0.46f;
  g_ConditionWheels[0] = 0.44f;
  Enter();
  CommitGarage();
  EXPECT_FLOAT_EQ(g_ConditionEngine[0], 0.46f) << "0.5 differs by less than 0.05";
  EXPECT_FLOAT_EQ(g_ConditionWheels[0], 0.44f);
  Enter();
  Repair(1);
  CommitGarage();
  EXPECT_FLOAT_EQ(g_ConditionWheels[0], 0.5f);
  EXPECT_EQ(g_PlayersList.entries[0].money, 1000 - 150);
  EXPECT_EQ(g_GarageNeedsInit, 1);
}

TEST_F(GarageTest, RepairsStopAtNewAndUndoStopsAtTheEntryValue) {
  g_ConditionSuspension[0] = 0.9f;
  g_ConditionGearbox[0] = 0.6f;
  Enter();
  Repair(2);
  EXPECT_FLOAT_EQ(g_GameController.conditions[2], 1.0f);
  EXPECT_EQ(Slider(2), 10);
  Repair(2);
  EXPECT_FLOAT_EQ(g_GameController.conditions[2], 1.0f) << "1.1 > 1.01";
  EXPECT_EQ(g_GameController.money, 1000 - 50);
  Undo(4);
  EXPECT_FLOAT_EQ(g_GameController.conditions[4], 0.6f) << "0.5 < 0.59";
  Repair(4);
  Undo(4);
  EXPECT_FLOAT_EQ(g_GameController.conditions[4], 0.6f);
  EXPECT_EQ(g_GameController.money, 1000 - 50);
  EXPECT_STREQ(Text(0), "950c");
  Repair(5);
  Repair(-1);
  EXPECT_EQ(g_GameController.money, 950);
}

TEST_F(GarageTest, WorkshopTimeLimitsRepairsBetweenTheMotos) {
  g_RaceType = RACE_TYPE_MOTO_1;
  g_ConditionEngine[0] = 0.5f;
  g_ConditionGearbox[0] = 0.5f;
  Enter();
  EXPECT_EQ(g_RepairTimeLeft.minutes, 60);
  EXPECT_STREQ(Text(1), "60");
  EXPECT_EQ(g_GameController.uiScene->exitScene, 26);
  g_RepairTimeLeft.minutes = 10;
  Repair(0);
  EXPECT_FLOAT_EQ(g_GameController.conditions[0], 0.5f) << "12 minutes do not fit in 10";
  Repair(4);
  EXPECT_FLOAT_EQ(g_GameController.conditions[4], 0.6f);
  EXPECT_EQ(g_RepairTimeLeft.minutes, 0);
  EXPECT_STREQ(Text(1), "0");
  Undo(4);
  EXPECT_EQ(g_RepairTimeLeft.minutes, 10);
}

TEST_F(GarageTest, MoneyComparesSignedAndNoBudgetRunsIntoDebt) {
  g_ConditionEngine[0] = 0.5f;
  g_PlayersList.entries[0].money = 100;
  Enter();
  Repair(0);
  EXPECT_FLOAT_EQ(g_GameController.conditions[0], 0.5f);
  g_NoBudget = 1;
  Repair(0);
  EXPECT_EQ(g_GameController.money, -100);
  g_NoBudget = 0;
  Repair(0);
  EXPECT_EQ(g_GameController.money, -100) << "a debt pays for nothing";
  g_GameController.money = 32700;
  Undo(0);
  EXPECT_EQ(g_GameController.money, 32767) << "saturates";
}

TEST_F(GarageTest, DefaultSetupsAndTheEditorCopiesLeaveFieldFourAlone) {
  EXPECT_FLOAT_EQ(g_RiderSetups[17].field[4], 1.0f);
  EXPECT_FLOAT_EQ(g_RiderSetups[3].field[4], 0.0f);
  EXPECT_FLOAT_EQ(g_RiderSetups[6].field[10], 1.0f);
  EXPECT_FLOAT_EQ(g_RiderSetups[0].field[24], 0.625f);
  g_SetupEditor.field[4] = 9.0f;
  g_GameController.Command(CMD_LOAD_OPTIONS, 1, 0, "");
  g_GameController.Command(CMD_LOAD_OPTIONS, 2, 0, "");
  EXPECT_FLOAT_EQ(g_SetupEditor.field[4], 9.0f);
  EXPECT_FLOAT_EQ(g_SetupEditor.field[0], 0.6f);
  g_SetupEditor.field[28] = 0.1f;
  g_GameController.Command(CMD_SAVE_OPTIONS, 2, 0, "");
  EXPECT_FLOAT_EQ(g_RiderSetups[0].field[28], 0.1f);
  EXPECT_FLOAT_EQ(g_RiderSetups[0].field[4], 0.0f);
}

TEST_F(GarageTest, SetupValuesComeFromTheirSlidersScaled) {
  UiScene* scene = g_GameController.uiScene;
  const struct {
    std::int32_t a1;
    int slider;
    std::uint16_t item;
    int field;
    float value;
  } cases[] = {{0, 1, 3, 0, 0.6f},   {2, 3, 1, 3, 1.0f},    {3, 2, 1, 1, 0.5f},  {10, 0, 2, 11, 0.5f},
               {12, 8, 7, 13, 0.35f}, {18, 4, 6, 23, 0.6f}, {19, 5, 5, 24, 0.625f}, {23, 15, 20, 22, 1.0f},
               {27, 17, 4, 28, 0.2f}};
  for (const auto& c : cases) {
    scene->sliders[static_cast<std::uint16_t>(c.slider)].value = c.item;
    g_GameController.Command(CMD_SET_SETUP_VALUE, c.a1, 0, "NULL");
    EXPECT_FLOAT_EQ(g_SetupEditor.field[c.field], c.value) << c.a1;
  }
  // The gear ratio follows the chosen value, rounded to a tenth.
  scene->sliders[0].value = 2;
  g_GameController.Command(CMD_SET_SETUP_VALUE, 1, 0, "NULL");
  EXPECT_FLOAT_EQ(g_SetupEditor.field[2], 0.6666667f);
  EXPECT_NEAR(g_SetupEditor.field[17], 0.6f, 1e-6f);
  EXPECT_EQ(g_SetupEditor.field[17], g_SetupEditor.field[18]);
  g_SetupEditor.field[5] = 0.0f;
  g_GameController.Command(CMD_SET_SETUP_VALUE, 28, 0, "NULL");
  g_GameController.Command(CMD_SET_SETUP_VALUE, -1, 0, "NULL");
  EXPECT_EQ(g_SetupEditor.field[5], 0.0f);
}

TEST_F(GarageTest, GearSlidersKeepStrictlyIncreasing) {
  UiScene* scene = g_GameController.uiScene;
  for (std::uint16_t i = 4; i <= 9; ++i) scene->sliders[i].value = static_cast<std::uint16_t>(i - 2);
  scene->sliders[6].value = 3;  // the same item as slider 5
  g_GameController.Command(CMD_SET_SETUP_VALUE, 6, 0, "NULL");
  EXPECT_EQ(Slider(6), 4) << "moved one item up";
  EXPECT_FLOAT_EQ(g_SetupEditor.field[7], 0.4f);
  scene->sliders[8].value = 7;  // at slider 9's item
  g_GameController.Command(CMD_SET_SETUP_VALUE, 8, 0, "NULL");
  EXPECT_EQ(Slider(8), 6) << "moved one item down";
}

TEST_F(GarageTest, TheFirstSetupPageShowsTheEditorAndPicksTheExit) {
  g_GameController.Command(CMD_LOAD_OPTIONS, 1, 0, "");
  g_GameMode = GAME_MODE_CHAMPIONSHIP;
  g_RaceType = RACE_TYPE_MOTO_2;
  g_WeatherChanged = 0;
  g_NoBudget = 1;
  g_GameController.Command(CMD_SHOW_SETUP, 0, 0, "NULL");
  EXPECT_EQ(Slider(0), 2) << "0.75 x 3";
  EXPECT_EQ(Slider(1), 3) << "0.6 x 5";
  EXPECT_EQ(Slider(4), 2);
  EXPECT_EQ(g_GameController.uiScene->exitScene, 9);
  g_GameMode = GAME_MODE_QUICK_RACE;
  g_RaceType = RACE_TYPE_NONE;
  g_GameController.Command(CMD_SHOW_SETUP, 0, 0, "NULL");
  EXPECT_EQ(g_GameController.uiScene->exitScene, 21);
}

}  // namespace
