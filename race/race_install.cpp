#include "race/race_install.h"

#include <new>

#include "engine/services/race.h"
#include "race/missile.h"
#include "race/race/race_scene.h"

namespace {

class Race : public RaceServices, public RiderRaceServices {
 public:
  Scene* NewRaceScene() override { return new (std::nothrow) RaceScene(); }
  RiderMissile* NewMissile() override { return new (std::nothrow) Missile(); }
};

Race race;

}  // namespace

void InstallRace() {
  InstallRaceServices(&race);
  InstallRiderRaceServices(&race);
}
