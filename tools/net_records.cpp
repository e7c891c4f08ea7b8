#include "tools/net_records.h"

#include <cmath>
#include <string>
#include <vector>

#include "tools/seeds.h"

namespace kelvdata {

Bytes BuildRiderState(const RiderStateSpec& spec) {
  ByteWriter w;
  w.U32(spec.type);
  w.U8(spec.freshCount);
  w.U8(0);
  for (std::int16_t v : spec.position) w.U16(static_cast<std::uint16_t>(v));
  for (std::int8_t v : spec.orientation) w.U8(static_cast<std::uint8_t>(v));
  w.U8(spec.crashed);
  w.U8(spec.onTrack);
  w.U8(0);
  w.U8(0);
  return w.Take();
}

namespace {

void Time(ByteWriter& w, const RaceTimeSpec& t) {
  for (std::uint16_t d : t.digits) w.U16(d);
  w.U16(0);
  w.U32(t.totalMs);
}

}  // namespace

Bytes BuildNetSignal(std::uint32_t type) {
  ByteWriter w;
  w.U32(type);
  return w.Take();
}

Bytes BuildNetValue(std::uint32_t type, std::uint32_t value) {
  ByteWriter w;
  w.U32(type);
  w.U32(value);
  return w.Take();
}

Bytes BuildNetSelection(std::uint16_t eventIndex, std::uint16_t pageValue) {
  ByteWriter w;
  w.U32(0x1000);
  w.U16(eventIndex);
  w.U16(pageValue);
  return w.Take();
}

Bytes BuildNetPlayerInfo(std::uint32_t playerId, const std::string& name, std::uint16_t riderNumber) {
  ByteWriter w;
  w.U32(0x1002);
  w.U32(playerId);
  w.FixedString(name, 16);
  w.U16(riderNumber);
  w.U16(0);
  return w.Take();
}

Bytes BuildNetPlayerText(const std::string& text) {
  ByteWriter w;
  w.U32(0x1006);
  w.FixedString(text, 36);
  return w.Take();
}

Bytes BuildNetRaceSetup(const NetRaceSetupSpec& spec) {
  ByteWriter w;
  w.U32(0x1003);
  Time(w, spec.raceLength);
  w.U16(spec.skill);
  w.U8(spec.championship);
  w.U8(spec.weatherOption);
  w.U8(spec.noBudget);
  w.U8(spec.damageOption);
  w.U16(spec.round);
  for (std::uint16_t v : spec.roundWeather) w.U16(v);
  for (std::uint32_t id : spec.playerIds) w.U32(id);
  for (const auto* table : {&spec.noScore1, &spec.noScore2, &spec.points1, &spec.points2}) {
    for (const auto& player : *table) w.Raw(player.data(), player.size());
  }
  return w.Take();
}

Bytes BuildNetRaceStart(const NetRaceStartSpec& spec) {
  ByteWriter w;
  w.U32(0x1007);
  w.U16(spec.eventIndex);
  w.U8(spec.weather);
  w.U8(spec.gridReversal);
  for (std::uint32_t id : spec.playerIds) w.U32(id);
  w.Zeros(52);
  for (std::uint8_t g : spec.gridPositions) w.U8(g);
  w.Zeros(13);
  return w.Take();
}

Bytes BuildNetSnapshot(const std::array<std::uint32_t, 7>& playerIds, const std::array<RiderStateSpec, 7>& states) {
  ByteWriter w;
  w.U32(0x1017);
  for (std::uint32_t id : playerIds) w.U32(id);
  for (const RiderStateSpec& s : states) w.Raw(BuildRiderState(s));
  return w.Take();
}

Bytes BuildNetRiderFactors(const std::array<float, 5>& values) {
  ByteWriter w;
  w.U32(0x1018);
  for (float v : values) w.F32(v);
  return w.Take();
}

Bytes BuildNetAllFactors(const std::array<std::uint32_t, 7>& playerIds,
                         const std::array<std::array<float, 5>, 7>& values) {
  ByteWriter w;
  w.U32(0x1019);
  for (std::uint32_t id : playerIds) w.U32(id);
  for (const auto& record : values) {
    w.U32(0);
    for (float v : record) w.F32(v);
  }
  return w.Take();
}

Bytes BuildNetResult(const NetResultSpec& spec) {
  ByteWriter w;
  w.U32(0x1024);
  w.U32(spec.playerId);
  w.U8(spec.position);
  w.Zeros(3);
  Time(w, spec.finishTime);
  Time(w, spec.bestLap);
  w.U8(spec.laps);
  w.U8(spec.out);
  w.Zeros(2);
  return w.Take();
}

namespace {

constexpr std::uint32_t kNetTypes[26] = {0x1000, 0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006, 0x1007, 0x1008,
                                         0x1009, 0x1010, 0x1011, 0x1012, 0x1013, 0x1014, 0x1015, 0x1016, 0x1017,
                                         0x1018, 0x1019, 0x1020, 0x1021, 0x1022, 0x1023, 0x1024, 0x1025};

// The fuzz target's form of a whole message: the type's index, then the
// bytes after the type word.
Bytes Seed(const Bytes& message) {
  std::uint32_t type = 0;
  for (int i = 0; i < 4; ++i) type |= std::uint32_t{message[static_cast<std::size_t>(i)]} << (8 * i);
  std::uint8_t index = 26;
  for (std::uint8_t i = 0; i < 26; ++i) {
    if (kNetTypes[i] == type) index = i;
  }
  Bytes b{index};
  b.insert(b.end(), message.begin() + (index == 26 ? 0 : 4), message.end());
  return b;
}

RaceTimeSpec TimeOf(std::uint32_t ms) {
  RaceTimeSpec t;
  const std::uint32_t s = ms / 1000;
  t.digits = {static_cast<std::uint16_t>(ms % 10), static_cast<std::uint16_t>(ms % 1000 / 10),
              static_cast<std::uint16_t>(s % 60), static_cast<std::uint16_t>(s / 60 % 60),
              static_cast<std::uint16_t>(s / 3600)};
  t.totalMs = ms;
  return t;
}

}  // namespace

bool WriteNetMessageSeeds(const std::string& dir) {
  NetRaceSetupSpec single;
  single.raceLength = TimeOf(600000);
  single.skill = 1;
  single.weatherOption = 1;
  single.damageOption = 1;
  NetRaceSetupSpec season = single;
  season.championship = 1;
  season.round = 3;
  season.playerIds = {7, 9, 0, 12, 0, 0, 0};
  for (std::size_t r = 0; r < 6; ++r) {
    season.roundWeather[r] = static_cast<std::uint16_t>(r % 4);
    for (std::size_t k : {0u, 1u, 3u}) {
      season.points1[k][r] = static_cast<std::uint8_t>(20 - k);
      season.points2[k][r] = static_cast<std::uint8_t>(15 + k);
      season.noScore2[k][r] = r == 4 ? 1 : 0;
    }
  }
  NetRaceStartSpec start;
  start.eventIndex = 2;
  start.weather = 1;
  start.playerIds = {7, 9, 12, 0, 0, 0, 0};
  start.gridPositions = {0, 1, 2, 0, 0, 0, 0};
  RiderStateSpec riding;
  riding.position = {100, 16, -655};
  RiderStateSpec edge = riding;
  edge.orientation = {-128, 127, -127, 0};
  edge.position = {-32768, 32767, 0};
  std::array<RiderStateSpec, 7> states;
  for (std::size_t k = 0; k < 7; ++k) {
    states[k] = k < 3 ? riding : RiderStateSpec{};
    states[k].type = 0;
    states[k].freshCount = static_cast<std::uint8_t>(k);
  }
  std::array<std::array<float, 5>, 7> conditions;
  for (auto& c : conditions) c = {1.0f, 0.9f, 0.75f, 0.5f, 0.25f};
  NetResultSpec result;
  result.playerId = 9;
  result.position = 2;
  result.finishTime = TimeOf(754321);
  result.bestLap = TimeOf(61234);
  result.laps = 12;
  const Bytes wholeSetup = BuildNetRaceSetup(season);
  return WriteHostFiles(dir, {{"selection.bin", Seed(BuildNetSelection(0x0102, 3))},
                              {"event_option.bin", Seed(BuildNetValue(0x1001, 2))},
                              {"player_info.bin", Seed(BuildNetPlayerInfo(9, "RIDER", 4))},
                              {"player_info_unterminated.bin", Seed(BuildNetPlayerInfo(9, "SIXTEEN-LETTERS!", 25))},
                              {"race_setup_single.bin", Seed(BuildNetRaceSetup(single))},
                              {"race_setup_championship.bin", Seed(wholeSetup)},
                              {"hello.bin", Seed(BuildNetValue(0x1004, 0))},
                              {"confirm.bin", Seed(BuildNetSignal(0x1005))},
                              {"player_text.bin", Seed(BuildNetPlayerText("GOOD LUCK"))},
                              {"player_text_unterminated.bin", Seed(BuildNetPlayerText(std::string(36, 'X')))},
                              {"race_start.bin", Seed(BuildNetRaceStart(start))},
                              {"ready.bin", Seed(BuildNetSignal(0x1008))},
                              {"all_ready.bin", Seed(BuildNetSignal(0x1009))},
                              {"new_server.bin", Seed(BuildNetValue(0x1010, 21))},
                              {"rider_out.bin", Seed(BuildNetSignal(0x1011))},
                              {"rider_back.bin", Seed(BuildNetSignal(0x1012))},
                              {"intro_done.bin", Seed(BuildNetSignal(0x1013))},
                              {"all_intro_done.bin", Seed(BuildNetSignal(0x1014))},
                              {"start_race.bin", Seed(BuildNetSignal(0x1015))},
                              {"rider_state.bin", Seed(BuildRiderState(riding))},
                              {"rider_state_edge.bin", Seed(BuildRiderState(edge))},
                              {"snapshot.bin", Seed(BuildNetSnapshot({7, 9, 12, 0, 0, 0, 0}, states))},
                              {"rider_factors.bin", Seed(BuildNetRiderFactors({1.0f, 0.5f, 0.25f, 0.0f, 0.75f}))},
                              {"rider_factors_nan.bin", Seed(BuildNetRiderFactors({NAN, INFINITY, -1.0f, 2.0f, 0.5f}))},
                              {"all_factors.bin", Seed(BuildNetAllFactors({7, 9, 12, 0, 0, 0, 0}, conditions))},
                              {"rider_state_2.bin",
                               [&] {
                                 RiderStateSpec s = riding;
                                 s.type = 0x1020;
                                 return Seed(BuildRiderState(s));
                               }()},
                              {"race_clock.bin", Seed(BuildNetValue(0x1021, 45000))},
                              {"last_lap.bin", Seed(BuildNetSignal(0x1022))},
                              {"rider_finished.bin", Seed(BuildNetValue(0x1023, 1))},
                              {"result.bin", Seed(BuildNetResult(result))},
                              {"results_done.bin", Seed(BuildNetSignal(0x1025))},
                              // Whole messages behind the escape byte: an unknown type, a
                              // short set-up and one with trailing bytes.
                              {"unknown_type.bin", Seed(BuildNetValue(0x100A, 1))},
                              {"race_setup_short.bin",
                               [&] {
                                 Bytes b{26};
                                 b.insert(b.end(), wholeSetup.begin(), wholeSetup.end() - 1);
                                 return b;
                               }()},
                              {"result_trailing.bin", [&] {
                                 Bytes b = Seed(BuildNetResult(result));
                                 b.insert(b.end(), 8, 0xEE);
                                 return b;
                               }()}});
}

bool WriteRiderStateSeeds(const std::string& dir) {
  RiderStateSpec riding;
  riding.position = {0, 16, 655};  // 0.5 m up, 20 m along
  RiderStateSpec stale = riding;
  stale.freshCount = 0;
  RiderStateSpec crashed = riding;
  crashed.crashed = 1;
  crashed.orientation = {90, 0, 0, 90};
  RiderStateSpec offTrack = riding;
  offTrack.onTrack = 0;
  offTrack.freshCount = 2;
  RiderStateSpec zero = riding;
  zero.orientation = {0, 0, 0, 0};
  RiderStateSpec far = riding;
  far.position = {32767, -32768, 32767};
  far.orientation = {-128, -128, -128, -128};
  // The fuzz target reads a stream: each record followed by a byte of frames.
  Bytes stream;
  for (int i = 0; i < 8; ++i) {
    RiderStateSpec s = riding;
    s.position[2] = static_cast<std::int16_t>(655 + 65 * (i + 1));
    s.crashed = i == 5 ? 1 : 0;
    const Bytes b = BuildRiderState(s);
    stream.insert(stream.end(), b.begin(), b.end());
    stream.push_back(12);
  }
  return WriteHostFiles(dir, {{"stream.bin", stream},
                              {"riding.bin", BuildRiderState(riding)},
                              {"stale.bin", BuildRiderState(stale)},
                              {"crashed.bin", BuildRiderState(crashed)},
                              {"off_track.bin", BuildRiderState(offTrack)},
                              {"zero_rotation.bin", BuildRiderState(zero)},
                              {"far.bin", BuildRiderState(far)}});
}

}  // namespace kelvdata
