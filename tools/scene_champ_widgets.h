// The championship screens' building blocks: their texts' ids, and the
// screen, button and label writers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/scene_build.h"
#include "tools/scene_files.h"
#include "tools/ui_files.h"

namespace kelvdata {

// Game texts of the championship screens (ids of the text database).
enum ChampText : std::uint32_t {
  CHAMP_TEXT_ROUND = 1200,
  CHAMP_TEXT_PRACTICE,
  CHAMP_TEXT_SKIP_PRACTICE,
  CHAMP_TEXT_SKIP_QUALIFYING,
  CHAMP_TEXT_SETUP,
  CHAMP_TEXT_GARAGE,
  CHAMP_TEXT_CONTINUE,
  CHAMP_TEXT_NEXT_ROUND,
  CHAMP_TEXT_SECOND_MOTO,
  CHAMP_TEXT_LENGTH,
  CHAMP_TEXT_LAP_RECORD,
  CHAMP_TEXT_GROUND,
  CHAMP_TEXT_JUMPS,
  CHAMP_TEXT_WEATHER,
  CHAMP_TEXT_MONEY,
  CHAMP_TEXT_WORKSHOP_TIME,
  CHAMP_TEXT_PRICE_OF_A_STEP,
  CHAMP_TEXT_PIT_LANE,
  CHAMP_TEXT_PIT_LANE_NOTE,
  CHAMP_TEXT_FORECAST,
  CHAMP_TEXT_BIKE_SETUP,
  CHAMP_TEXT_OK,
  CHAMP_TEXT_THROTTLE,
  CHAMP_TEXT_SUSPENSION,
  CHAMP_TEXT_TYRES,
  CHAMP_TEXT_BRAKES,
  CHAMP_TEXT_DRY,
  CHAMP_TEXT_WET,
  CHAMP_TEXT_GEAR,  // "GEAR 1" .. "GEAR 6": six ids
  CHAMP_TEXT_REPAIR = CHAMP_TEXT_GEAR + 6,
  CHAMP_TEXT_UNDO,
  CHAMP_TEXT_LAST_NAMED,
  // Numbers 0..20 and percentages 0%..100% that the sliders show: the same
  // in every language.
  CHAMP_TEXT_NUMBER = 1250,   // 1250..1270
  CHAMP_TEXT_PERCENT = 1271,  // 1271..1281
};
static_assert(CHAMP_TEXT_LAST_NAMED <= CHAMP_TEXT_NUMBER, "the named texts fit below the numbers");

// Shared game texts the screens show.
constexpr std::uint32_t TEXT_CHAMPIONSHIP = 3;
constexpr std::uint32_t TEXT_STANDINGS = 35;
constexpr std::uint32_t TEXT_ROUND_WEATHER = 1009;
constexpr std::uint32_t TEXT_PART_NAMES[5] = {76, 75, 74, 73, 78};  // engine .. gearbox

namespace champ {

// A screen with the menus' background and fonts and the focus list `focus`;
// its title (font 1, centred, orange) is its first static text.
SceneFile Screen(const std::string& titlePath, const std::string& focus);

// Adds a button file to the archive and its entry to the scene.
void AddButton(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, std::uint32_t textId, float x,
               float y, float w, float h, std::vector<ButtonActionEntry> actions);
// Adds a label file to the archive and its entry to the scene's static texts.
void AddLabel(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, const StaticTextBody& body);

}  // namespace champ

// The garage (scene 5), its bikes and the first set-up page (scene 17).
SceneFile GarageScene(std::vector<BbfMember>* ui);
SceneFile SetupScene(std::vector<BbfMember>* ui);

}  // namespace kelvdata
