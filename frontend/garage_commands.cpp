// The garage (repairs against money and workshop time) and the bike set-up
// editor with its default set-ups.
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/app.h"
#include "engine/game_settings.h"
#include "engine/object3d.h"
#include "engine/system.h"
#include "frontend/championship.h"
#include "frontend/commands_internal.h"
#include "frontend/garage.h"
#include "frontend/players_list.h"
#include "frontend/series_internal.h"
#include "frontend/ui_scene.h"
#include "riders/race_time.h"
#include "riders/rider_physics.h"
#include "riders/rider_setup.h"

std::uint8_t g_GarageNeedsInit = 1;
float g_RepairFloor[5] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
std::uint16_t g_RepairPrice[5] = {};
RaceTime g_RepairTimeLeft;
RaceTime g_RepairTime[5];
RiderSetup g_SetupEditor;
std::uint8_t g_SetupEditorPage0 = 0;

namespace {

float* const kConditions[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                               g_ConditionGearbox};

constexpr std::uint16_t kPrices[3][5] = {
    {200, 150, 50, 80, 120},
    {230, 180, 80, 110, 150},
    {250, 200, 100, 130, 170},
};
constexpr std::uint16_t kRepairMinutes[5] = {12, 8, 5, 2, 10};

// Per slot: field 0, field 3, field 4 and fields 5 to 10.
struct DefaultSetup {
  float field0;
  float field3;
  float field4;
  float gears[6];
};
constexpr DefaultSetup kDefaultSetups[20] = {
    {0.6f, 1, 0, {0.2f, 0.4f, 0.5f, 0.6f, 0.7f, 0.9f}}, {0.6f, 1, 0, {0.2f, 0.4f, 0.5f, 0.6f, 0.7f, 0.9f}},
    {0.6f, 0, 0, {0.1f, 0.2f, 0.3f, 0.5f, 0.6f, 0.7f}}, {1.0f, 1, 0, {0.0f, 0.1f, 0.3f, 0.4f, 0.6f, 0.7f}},
    {0.4f, 1, 0, {0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}}, {0.6f, 1, 0, {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f}},
    {0.0f, 0, 0, {0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f}}, {0.2f, 0, 0, {0.0f, 0.3f, 0.4f, 0.7f, 0.8f, 0.9f}},
    {0.8f, 1, 0, {0.0f, 0.1f, 0.2f, 0.3f, 0.5f, 0.8f}}, {1.0f, 1, 0, {0.2f, 0.3f, 0.4f, 0.6f, 0.7f, 0.8f}},
    {0.4f, 1, 0, {0.0f, 0.4f, 0.5f, 0.7f, 0.9f, 1.0f}}, {0.8f, 1, 0, {0.2f, 0.4f, 0.5f, 0.6f, 0.7f, 0.9f}},
    {0.6f, 1, 0, {0.0f, 0.1f, 0.2f, 0.8f, 0.9f, 1.0f}}, {0.4f, 1, 0, {0.2f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}},
    {0.8f, 0, 0, {0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f}}, {0.4f, 0, 0, {0.0f, 0.1f, 0.3f, 0.6f, 0.7f, 0.9f}},
    {0.0f, 0, 0, {0.0f, 0.3f, 0.5f, 0.6f, 0.9f, 1.0f}}, {1.0f, 1, 1, {0.2f, 0.4f, 0.6f, 0.8f, 0.9f, 1.0f}},
    {0.6f, 1, 0, {0.2f, 0.4f, 0.5f, 0.6f, 0.8f, 0.9f}}, {0.8f, 0, 0, {0.1f, 0.2f, 0.3f, 0.5f, 0.6f, 0.7f}},
};

void SetMinutes(RaceTime* t, std::uint16_t minutes) {
  *t = RaceTime();
  t->minutes = minutes;
  t->totalMs = minutes * 60000u;
}

void SetUiText(UiScene* scene, std::uint16_t i, const char* text) {
  if (i < scene->uiTexts.count) scene->uiTexts[i].SetText(text);
}

void SetSliderValue(UiScene* scene, std::uint16_t i, int value) {
  if (i < scene->sliders.count && value >= 0) scene->sliders[i].SetValue(static_cast<std::uint16_t>(value));
}

int SliderValue(UiScene* scene, std::uint16_t i) { return i < scene->sliders.count ? scene->sliders[i].value : 0; }

// UI text 0: the working money, red between the motos when it would not pay
// the next round's fee.
void ShowMoney(UiScene* scene) {
  char text[32];
  std::snprintf(text, sizeof text, "%dc", g_GameController.money);
  if (scene->uiTexts.count > 0) {
    const bool shortOfFee =
        g_RaceType == RACE_TYPE_MOTO_2 && g_GameController.money < static_cast<int>(g_Championship.GetNextRoundFee());
    if (shortOfFee) {
      scene->uiTexts[0].SetColour(1.0f, 0.0f, 0.0f);
    } else {
      scene->uiTexts[0].SetColour(1.0f, 1.0f, 1.0f);
    }
  }
  SetUiText(scene, 0, text);
}

void ShowTimeLeft(UiScene* scene) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", g_RepairTimeLeft.minutes);
  SetUiText(scene, 1, text);
}

void ShowGarage(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  // The chosen rider's bike; with none chosen (0 or -1) the scene's own
  // object stays.
  const std::int16_t rider = g_PlayersList.entries[0].chosenRider;
  if (rider != 0 && rider != -1) {
    std::unique_ptr<Object3D> bike(new (std::nothrow) Object3D());
    if (!bike) {
      ShowMessageBox("Error: not enough memory.\nAborting program execution.", "Kelvarro", MESSAGE_BOX_ERROR);
      g_App.RequestClose();
      return;
    }
    bike->alternateSelection = 1;
    if (rider >= 1 && rider <= 9) {
      char path[32];
      std::snprintf(path, sizeof path, "DATA\\UI\\05OBJ10%d.ACT", rider);
      bike->Load(path);
    }
    scene->SetTypedObject(7, std::move(bike));
  }
  if (g_GarageNeedsInit) SetMinutes(&g_RepairTimeLeft, 60);
  scene->exitSceneSet = 1;
  switch (g_RaceType) {
    case RACE_TYPE_PRACTICE:
      scene->exitScene = 12;
      SetUiText(scene, 1, "--");
      break;
    case RACE_TYPE_QUALIFYING:
      scene->exitScene = g_QualifyingSkippedNoFee ? 12 : 13;
      SetUiText(scene, 1, "--");
      break;
    case RACE_TYPE_MOTO_1:
      scene->exitScene = 26;
      ShowTimeLeft(scene);
      break;
    case RACE_TYPE_MOTO_2:
      scene->exitScene = 10;
      SetUiText(scene, 1, "--");
      break;
    default: break;
  }
  if (g_GarageNeedsInit) {
    for (int p = 0; p < 5; ++p) {
      const float c = kConditions[p][0];
      float floor = std::floor(c * 10.0f) * 0.1f;
      if (c - floor > 0.05f) floor += 0.1f;
      if (floor > 1.0f) floor = 1.0f;
      g_RepairFloor[p] = floor;
      g_GameController.conditions[p] = floor;
    }
  }
  const int skill = g_GameSkill <= 2 ? g_GameSkill : 2;
  static constexpr std::uint16_t kPriceTexts[5] = {2, 3, 4, 6, 7};
  for (int p = 0; p < 5; ++p) {
    g_RepairPrice[p] = kPrices[skill][p];
    char text[16];
    std::snprintf(text, sizeof text, "%dc", g_RepairPrice[p]);
    SetUiText(scene, kPriceTexts[p], text);
  }
  for (std::uint16_t p = 0; p < 5; ++p) {
    SetSliderValue(scene, p, GameController::ValueToStep10(g_GameController.conditions[p]));
  }
  if (g_GarageNeedsInit) g_GameController.money = g_PlayersList.entries[0].money;
  ShowMoney(scene);
  g_GarageNeedsInit = 0;
}

void RepairPart(std::int32_t a1, std::int32_t a2, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  for (int p = 0; p < 5; ++p) SetMinutes(&g_RepairTime[p], kRepairMinutes[p]);
  const bool betweenMotos = g_RaceType == RACE_TYPE_MOTO_1;
  if (a2 >= 0 && a2 <= 4) {
    float& c = g_GameController.conditions[a2];
    const int price = g_RepairPrice[a2];
    const std::uint16_t minutes = g_RepairTime[a2].minutes;
    bool changed = false;
    if (a1 == 0) {
      if (c - 0.1f >= g_RepairFloor[a2] - 0.01f) {
        AddMoney(&g_GameController.money, price);
        c -= 0.1f;
        if (betweenMotos) SetMinutes(&g_RepairTimeLeft, static_cast<std::uint16_t>(g_RepairTimeLeft.minutes + minutes));
        changed = true;
      }
    } else if (c + 0.1f <= 1.01f && !(betweenMotos && g_RepairTimeLeft.minutes < minutes)) {
      // Money compares as signed: a debt (possible without a budget) never
      // pays for a repair.
      if (g_GameController.money >= price || g_NoBudget) {
        AddMoney(&g_GameController.money, -price);
        c += 0.1f;
        if (betweenMotos) SetMinutes(&g_RepairTimeLeft, static_cast<std::uint16_t>(g_RepairTimeLeft.minutes - minutes));
        changed = true;
      }
    }
    if (changed) SetSliderValue(scene, static_cast<std::uint16_t>(a2), GameController::ValueToStep10(c));
  }
  ShowMoney(scene);
  if (betweenMotos) ShowTimeLeft(scene);
}

void ResetConditionsCommand(std::int32_t a1, std::int32_t, const char*) {
  if (a1 == 0) {
    for (int p = 0; p < 5; ++p) {
      g_GameController.conditions[p] = 1.0f;
      g_RepairFloor[p] = 1.0f;
    }
  }
  g_GameController.money = g_PlayersList.entries[0].money;
  g_GarageNeedsInit = 1;
}

void ResetSetup(std::int32_t, std::int32_t, const char*) {
  for (float* part : kConditions) {
    for (int i = 0; i < 20; ++i) part[i] = 1.0f;
  }
  for (int slot = 0; slot < 20; ++slot) {
    RiderSetup& s = g_RiderSetups[slot];
    const DefaultSetup& d = kDefaultSetups[slot];
    s.field[0] = d.field0;
    s.field[1] = 0.5f;
    s.field[2] = 0.75f;
    s.field[3] = d.field3;
    s.field[4] = d.field4;
    for (int g = 0; g < 6; ++g) s.field[5 + g] = d.gears[g];
    s.field[11] = 0.8f;
    s.field[12] = 0.8f;
    s.field[13] = 0.3f;
    s.field[14] = 0.5f;
    s.field[15] = 0.3f;
    for (int f = 16; f <= 23; ++f) s.field[f] = 0.5f;
    s.field[24] = 0.625f;
    for (int f = 25; f <= 28; ++f) s.field[f] = 0.5f;
  }
}

// a1 1: fields 0..3 and 5..10; a1 2: fields 11..28.
void CopyEditorHalf(std::int32_t a1, bool intoEditor) {
  const int first = a1 == 1 ? 0 : 11;
  const int last = a1 == 1 ? 10 : 28;
  for (int f = first; f <= last; ++f) {
    if (f == 4) continue;
    if (intoEditor) {
      g_SetupEditor.field[f] = g_RiderSetups[0].field[f];
    } else {
      g_RiderSetups[0].field[f] = g_SetupEditor.field[f];
    }
  }
}

void LoadOptionsCommand(std::int32_t a1, std::int32_t, const char*) {
  if (a1 == 0) {
    LoadOrSaveOptions(false);
  } else if (a1 == 1 || a1 == 2) {
    CopyEditorHalf(a1, true);
  }
}

void SaveOptionsCommand(std::int32_t a1, std::int32_t, const char*) {
  if (a1 == 0) {
    LoadOrSaveOptions(true);
  } else if (a1 == 1 || a1 == 2) {
    CopyEditorHalf(a1, false);
  }
}

std::int32_t FirstPageExit(std::int32_t unchanged) {
  const bool nb = g_NoBudget != 0;
  const bool w = g_WeatherChanged != 0;
  const bool championship = IsChampionshipSeries();
  const bool quick = !championship && (g_GameMode == GAME_MODE_QUICK_RACE || g_GameMode == GAME_MODE_MULTIPLAYER);
  // The championship's menu, by mode and budget.
  const std::int32_t menu = g_GameMode == GAME_MODE_CHAMPIONSHIP ? (nb ? 18 : 3) : (nb ? 24 : 23);
  const std::int32_t events = quick ? 21 : 4;
  switch (g_RaceType) {
    case RACE_TYPE_NONE: return championship ? menu : events;
    case RACE_TYPE_PRACTICE:
      if (!championship) return g_PracticeSkipped ? events : 12;
      return g_PracticeSkipped ? menu : w ? 20 : (nb ? 12 : 2);
    case RACE_TYPE_QUALIFYING:
      if (!championship) return g_QualifyingSkipped ? events : (g_QualifyingSkippedNoFee ? 12 : 13);
      if (g_QualifyingSkipped) return menu;
      if (g_QualifyingSkippedNoFee) return w ? 20 : 12;
      return w ? 20 : (nb ? 13 : 2);
    case RACE_TYPE_MOTO_1:
      if (!championship) return 11;
      return w ? 20 : (nb ? 26 : 2);
    case RACE_TYPE_MOTO_2:
      if (!championship) return 11;
      return w ? 20 : (nb ? 9 : 2);
    case RACE_TYPE_RESUME:
      // The round's scene as the championship marks it; the event's scene.
      return CurrentSeries().GetCurrentSceneNumber();
    default: return unchanged;
  }
}

void ShowSetup(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  const RiderSetup& e = g_SetupEditor;
  if (a1 == 0) {
    if (g_SetupEditorPage0) Nested(CMD_LOAD_OPTIONS, 1);
    g_SetupEditorPage0 = 1;
    SetSliderValue(scene, 0, static_cast<int>(e.field[2] * 3.0f));
    SetSliderValue(scene, 1, static_cast<int>(e.field[0] * 5.0f));
    SetSliderValue(scene, 2, static_cast<int>(e.field[1] * 2.0f));
    SetSliderValue(scene, 3, static_cast<int>(e.field[3]));
    for (std::uint16_t i = 0; i < 6; ++i) SetSliderValue(scene, 4 + i, GameController::ValueToStep10(e.field[5 + i]));
    scene->exitSceneSet = 1;
    scene->exitScene = FirstPageExit(scene->exitScene);
    return;
  }
  Nested(CMD_LOAD_OPTIONS, 2);
  g_SetupEditorPage0 = 0;
  static constexpr struct {
    std::uint16_t slider;
    int field;
    float scale;
  } kSecondPage[] = {{0, 11, 4.0f},  {1, 12, 4.0f},  {10, 17, 4.0f}, {11, 18, 4.0f}, {2, 15, 20.0f},
                     {3, 16, 20.0f}, {6, 25, 20.0f}, {7, 26, 20.0f}, {8, 13, 20.0f}, {9, 14, 20.0f},
                     {4, 23, 10.0f}, {5, 24, 8.0f},  {12, 19, 20.0f}, {13, 20, 20.0f}, {14, 21, 20.0f},
                     {15, 22, 20.0f}, {16, 27, 20.0f}, {17, 28, 20.0f}};
  for (const auto& s : kSecondPage) SetSliderValue(scene, s.slider, static_cast<int>(e.field[s.field] * s.scale));
}

void SetSetupValue(std::int32_t a1, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene || a1 < 0 || a1 > 27) return;
  static constexpr struct {
    int field;
    std::uint16_t slider;
    float scale;
  } kValues[28] = {
      {0, 1, 0.2f},    {2, 0, 0.33333334f}, {3, 3, 1.0f},    {1, 2, 0.5f},    {5, 4, 0.1f},    {6, 5, 0.1f},
      {7, 6, 0.1f},    {8, 7, 0.1f},        {9, 8, 0.1f},    {10, 9, 0.1f},   {11, 0, 0.25f},  {12, 1, 0.25f},
      {13, 8, 0.05f},  {14, 9, 0.05f},      {15, 2, 0.05f},  {16, 3, 0.05f},  {17, 10, 0.25f}, {18, 11, 0.25f},
      {23, 4, 0.1f},   {24, 5, 0.125f},     {19, 12, 0.05f}, {20, 13, 0.05f}, {21, 14, 0.05f}, {22, 15, 0.05f},
      {25, 6, 0.05f},  {26, 7, 0.05f},      {27, 16, 0.05f}, {28, 17, 0.05f},
  };
  const auto& v = kValues[a1];
  if (v.slider >= scene->sliders.count) return;
  if (a1 >= 4 && a1 <= 9) {
    // The six gear sliders must strictly increase.
    Slider& slider = scene->sliders[v.slider];
    const int item = slider.value;
    if (a1 > 4 && item <= SliderValue(scene, v.slider - 1)) slider.SetValue(static_cast<std::uint16_t>(SliderValue(scene, v.slider - 1) + 1));
    if (a1 < 9 && v.slider + 1 < scene->sliders.count && item >= SliderValue(scene, v.slider + 1)) {
      const int above = SliderValue(scene, v.slider + 1);
      if (above > 0) slider.SetValue(static_cast<std::uint16_t>(above - 1));
    }
  }
  g_SetupEditor.field[v.field] = static_cast<float>(SliderValue(scene, v.slider)) * v.scale;
  if (a1 == 1) {
    const float x = g_SetupEditor.field[2] * 0.9f;
    const float r = std::fmod(x, 0.1f);
    const float gear = r < 0.05f ? x - r : x - r + 0.1f;
    g_SetupEditor.field[17] = gear;
    g_SetupEditor.field[18] = gear;
  }
}

void ApplyEventSetup(std::int32_t a1, std::int32_t, const char*) {
  if (!CurrentUiScene()) return;
  if (a1 == 0) {
    CurrentSeries().ApplySetup();
    OpenDialog(4);
    return;
  }
  Nested(CMD_SAVE_OPTIONS, 1);
  Nested(CMD_SAVE_OPTIONS, 2);
  if (!CurrentSeries().StoreSetup()) OpenDialog(3);
  if (!(g_Dialogs && g_DialogCount > 3 && g_Dialogs[3].mode == 1)) OpenDialog(5);
}

}  // namespace

void CommitGarage() {
  for (int p = 0; p < 5; ++p) {
    if (std::fabs(kConditions[p][0] - g_GameController.conditions[p]) >= 0.05f) {
      kConditions[p][0] = g_GameController.conditions[p];
    }
  }
  g_GarageNeedsInit = 1;
  g_PlayersList.entries[0].money = g_GameController.money;
}

void RegisterGarageCommands(CommandTable* table) {
  table->handlers[CMD_REPAIR_PART] = RepairPart;
  table->handlers[CMD_LOAD_OPTIONS] = LoadOptionsCommand;
  table->handlers[CMD_SAVE_OPTIONS] = SaveOptionsCommand;
  table->handlers[CMD_SHOW_SETUP] = ShowSetup;
  table->handlers[CMD_SET_SETUP_VALUE] = SetSetupValue;
  table->handlers[CMD_SHOW_GARAGE] = ShowGarage;
  table->handlers[CMD_APPLY_EVENT_SETUP] = ApplyEventSetup;
  table->handlers[CMD_RESET_SETUP] = ResetSetup;
  table->handlers[CMD_RESET_CONDITIONS] = ResetConditionsCommand;
}
