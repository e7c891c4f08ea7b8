// Races on the synthetic data set: the set written into the test's folder,
// its archives and English texts open, the front end of a single race
// installed; the race globals a test changes come back after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/null_front_end.h"
#include "tests/world/track_fixture.h"

namespace kelvtest {

// The front end as the data set's single race leaves it: the players list
// of skill class 0, the grid in slot order, one weather for the event.
class DataSetFrontEnd : public NullFrontEnd {
 public:
  DataSetFrontEnd();
  std::uint16_t SeriesWeather(bool) override { return weather; }
  const char* RiderFile(std::uint8_t slot) override { return slot < 20 ? files[slot].c_str() : ""; }
  const std::uint8_t* GridOrder() override { return order; }

  std::uint16_t weather = 0;
  std::string files[20];
  std::uint8_t order[20] = {};
};

class DataSetRaceTest : public TrackTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The names of the scene table's scenes from `first` on; "(not a race)"
  // for a scene of another kind. Empty when the table cannot be read.
  static std::vector<std::string> RaceSceneNames(std::uint32_t first);

  DataSetFrontEnd frontEnd_;

 private:
  struct {
    std::uint8_t type, mode;
    std::uint32_t riders;
    std::uint16_t minutes;
    std::uint8_t replay, feedback;
  } saved_{};
};

}  // namespace kelvtest
