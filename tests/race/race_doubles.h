// Recording doubles of the front end's event and of the network session, for
// the race's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/services/event.h"
#include "engine/services/net_game.h"
#include "riders/race_time.h"

namespace kelvtest {

class RecordingEvent : public EventServices {
 public:
  struct Written {
    std::uint8_t slot;
    std::uint8_t column;
    bool championship;
    std::uint8_t place;
    RaceTime raceTime;
    RaceTime bestLap;
    float lapsRidden;
    std::uint8_t out;
  };

  std::uint16_t CurrentWeather() override { return weather; }
  bool NetworkGame() override { return false; }
  std::uint16_t CurrentEntry() override { return entry; }
  std::uint16_t CurrentPace() override { return pace; }
  bool SlotTaken(std::uint8_t slot) override { return slot < 20 && taken[slot]; }
  void WriteResult(std::uint8_t slot, std::uint8_t column, bool championship, const Result& r) override {
    Written w{slot, column, championship, r.place, {}, {}, r.lapsRidden, r.out};
    std::memcpy(&w.raceTime, r.raceTime, 16);
    std::memcpy(&w.bestLap, r.bestLap, 16);
    written.push_back(w);
  }

  // The results in place order.
  std::vector<Written> ByPlace() const {
    std::vector<Written> out;
    for (std::uint8_t p = 1; p <= 20; ++p) {
      for (const Written& w : written) {
        if (w.place == p) out.push_back(w);
      }
    }
    return out;
  }

  std::uint16_t weather = 0;
  std::uint16_t entry = 0;
  std::uint16_t pace = 0;
  bool taken[20] = {true, true, true, true, true, true, true, true, true, true,
                    true, true, true, true, true, true, true, true, true, true};
  std::vector<Written> written;
};

class RecordingNetGame : public NetGame {
 public:
  void SendRaceClock(std::uint32_t ms) override { clocks.push_back(ms); }
  void SendSignal(std::uint32_t type) override { signals.push_back(type); }
  void SendValue(std::uint32_t type, std::uint32_t value) override { values.push_back({type, value}); }
  void SendResult(std::uint32_t fromId, std::uint32_t toId, const NetResult& r) override {
    results.push_back({fromId, toId, r});
  }

  struct Value {
    std::uint32_t type;
    std::uint32_t value;
  };
  struct Sent {
    std::uint32_t from;
    std::uint32_t to;
    NetResult result;
  };
  std::vector<std::uint32_t> clocks;
  std::vector<std::uint32_t> signals;
  std::vector<Value> values;
  std::vector<Sent> results;
};

}  // namespace kelvtest
