#include "race/race_install.h"

#include <new>

#include "engine/services/race.h"
#include "race/race/race_scene.h"

namespace {

class Race : public RaceServices {
 public:
  Scene* NewRaceScene() override { return new (std::nothrow) RaceScene(); }
};

Race race;

}  // namespace

void InstallRace() { InstallRaceServices(&race); }
