#include "network/net_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "riders/net_state.h"
#include "tools/net_records.h"

namespace {

using kelvdata::Bytes;

template <std::size_t N>
Bytes B(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

// Race times whose every field differs, so that a field read from the wrong
// place shows.
RaceTime Time(std::uint16_t base, std::uint32_t total) {
  RaceTime t;
  t.thousandths = base;
  t.hundredths = static_cast<std::uint16_t>(base + 11);
  t.seconds = static_cast<std::uint16_t>(base + 22);
  t.minutes = static_cast<std::uint16_t>(base + 33);
  t.hours = static_cast<std::uint16_t>(base + 1);
  t.totalMs = total;
  return t;
}

kelvdata::RaceTimeSpec TimeSpec(std::uint16_t base, std::uint32_t total) {
  kelvdata::RaceTimeSpec t;
  t.digits = {base, static_cast<std::uint16_t>(base + 11), static_cast<std::uint16_t>(base + 22),
              static_cast<std::uint16_t>(base + 33), static_cast<std::uint16_t>(base + 1)};
  t.totalMs = total;
  return t;
}

NetRiderStateFields State(int k) {
  NetRiderStateFields s;
  s.updateCount = static_cast<std::uint8_t>(k + 1);
  s.position = {static_cast<std::int16_t>(-1000 * k - 1), static_cast<std::int16_t>(7 + k),
                static_cast<std::int16_t>(30000 - k)};
  s.orientation = {static_cast<std::int8_t>(127 - k), static_cast<std::int8_t>(-3 - k), static_cast<std::int8_t>(5 + k),
                   static_cast<std::int8_t>(-127 + k)};
  s.crashed = static_cast<std::uint8_t>(k & 1);
  s.onTrack = static_cast<std::uint8_t>(1 - (k & 1));
  return s;
}

kelvdata::RiderStateSpec StateSpec(int k, std::uint32_t type) {
  const NetRiderStateFields s = State(k);
  kelvdata::RiderStateSpec r;
  r.type = type;
  r.freshCount = s.updateCount;
  r.position = s.position;
  r.orientation = s.orientation;
  r.crashed = s.crashed;
  r.onTrack = s.onTrack;
  return r;
}

NetConditions Conditions(int k) {
  return {1.0f - 0.1f * static_cast<float>(k), 0.5f, 0.25f + 0.01f * static_cast<float>(k), 0.125f, 0.0625f};
}

// One message of every type, encoded here and written by kelvdata from the
// layout tables, with distinct values in every field.
struct Case {
  const char* name;
  NetMessageType type;
  std::size_t size;
  Bytes encoded;
  Bytes written;
};

std::vector<Case> EveryMessage() {
  std::vector<Case> cases;
  for (NetMessageType t :
       {NET_MSG_CONFIRM, NET_MSG_READY, NET_MSG_ALL_READY, NET_MSG_RIDER_OUT, NET_MSG_RIDER_BACK, NET_MSG_INTRO_DONE,
        NET_MSG_ALL_INTRO_DONE, NET_MSG_START_RACE, NET_MSG_LAST_LAP, NET_MSG_RESULTS_DONE}) {
    cases.push_back({"signal", t, 4, B(EncodeNetSignal(t)), kelvdata::BuildNetSignal(t)});
  }
  const std::pair<NetMessageType, std::uint32_t> values[] = {{NET_MSG_EVENT_OPTION, 3},
                                                             {NET_MSG_HELLO, 0},
                                                             {NET_MSG_NEW_SERVER, 0x12345678},
                                                             {NET_MSG_RACE_CLOCK, 754321},
                                                             {NET_MSG_RIDER_FINISHED, 1}};
  for (const auto& [t, v] : values) {
    cases.push_back({"value", t, 8, B(EncodeNetValue(t, v)), kelvdata::BuildNetValue(t, v)});
  }
  cases.push_back({"selection", NET_MSG_SELECTION, 8, B(EncodeNetSelection({0x0203, 0x0405})),
                   kelvdata::BuildNetSelection(0x0203, 0x0405)});

  NetPlayerInfo info;
  info.playerId = 0xA1B2C3D4;
  std::strcpy(info.name, "FIFTEEN LETTERS");
  info.riderNumber = 19;
  cases.push_back({"player info", NET_MSG_PLAYER_INFO, 28, B(EncodeNetPlayerInfo(info)),
                   kelvdata::BuildNetPlayerInfo(0xA1B2C3D4, "FIFTEEN LETTERS", 19)});

  NetPlayerText text;
  std::strcpy(text.text, "SEE YOU AT THE LINE");
  cases.push_back({"player text", NET_MSG_PLAYER_TEXT, 40, B(EncodeNetPlayerText(text)),
                   kelvdata::BuildNetPlayerText("SEE YOU AT THE LINE")});

  NetRaceSetup setup;
  kelvdata::NetRaceSetupSpec setupSpec;
  setup.raceLength = Time(4, 0x01020304);
  setupSpec.raceLength = TimeSpec(4, 0x01020304);
  setup.skill = setupSpec.skill = 2;
  setup.championship = setupSpec.championship = 1;
  setup.weatherOption = setupSpec.weatherOption = 5;
  setup.noBudget = setupSpec.noBudget = 6;
  setup.damageOption = setupSpec.damageOption = 7;
  setup.round = setupSpec.round = 0x0908;
  for (std::size_t r = 0; r < NET_ROUNDS; ++r) {
    setup.roundWeather[r] = setupSpec.roundWeather[r] = static_cast<std::uint16_t>(0x100 * r + 3);
    for (std::size_t k = 0; k < NET_SLOTS; ++k) {
      const auto v = static_cast<std::uint8_t>(r + 100 * k);
      setup.noScore1[k][r] = setupSpec.noScore1[k][r] = v;
      setup.noScore2[k][r] = setupSpec.noScore2[k][r] = static_cast<std::uint8_t>(v ^ 0x55);
      setup.points1[k][r] = setupSpec.points1[k][r] = static_cast<std::uint8_t>(v ^ 0xAA);
      setup.points2[k][r] = setupSpec.points2[k][r] = static_cast<std::uint8_t>(v + 1);
    }
  }
  for (std::size_t k = 0; k < NET_SLOTS; ++k) {
    setup.playerIds[k] = setupSpec.playerIds[k] = static_cast<std::uint32_t>(0x01000000 * (k + 1) + k);
  }
  cases.push_back(
      {"race setup", NET_MSG_RACE_SETUP, 3056, B(EncodeNetRaceSetup(setup)), kelvdata::BuildNetRaceSetup(setupSpec)});

  NetRaceStart start;
  kelvdata::NetRaceStartSpec startSpec;
  start.eventIndex = startSpec.eventIndex = 0x0102;
  start.weather = startSpec.weather = 3;
  start.gridReversal = startSpec.gridReversal = 1;
  for (std::size_t k = 0; k < NET_SLOTS; ++k) {
    start.playerIds[k] = startSpec.playerIds[k] = static_cast<std::uint32_t>(0x10203040 + k);
    start.gridPositions[k] = startSpec.gridPositions[k] = static_cast<std::uint8_t>(6 - k);
  }
  cases.push_back(
      {"race start", NET_MSG_RACE_START, 108, B(EncodeNetRaceStart(start)), kelvdata::BuildNetRaceStart(startSpec)});

  for (NetMessageType t : {NET_MSG_RIDER_STATE, NET_MSG_RIDER_STATE_2}) {
    cases.push_back(
        {"rider state", t, 20, B(EncodeNetRiderState({t, State(2)})), kelvdata::BuildRiderState(StateSpec(2, t))});
  }

  NetSnapshot snapshot;
  std::array<kelvdata::RiderStateSpec, 7> snapshotSpecs;
  std::array<std::uint32_t, 7> ids;
  for (std::size_t k = 0; k < NET_SLOTS; ++k) {
    ids[k] = snapshot.playerIds[k] = static_cast<std::uint32_t>(0x5000 + 3 * k);
    snapshot.states[k] = State(static_cast<int>(k));
    snapshotSpecs[k] = StateSpec(static_cast<int>(k), 0);
  }
  cases.push_back({"snapshot", NET_MSG_SNAPSHOT, 172, B(EncodeNetSnapshot(snapshot)),
                   kelvdata::BuildNetSnapshot(ids, snapshotSpecs)});

  NetRiderFactors factors;
  factors.values = Conditions(3);
  cases.push_back({"rider factors", NET_MSG_RIDER_FACTORS, 24, B(EncodeNetRiderFactors(factors)),
                   kelvdata::BuildNetRiderFactors(factors.values)});

  NetAllFactors all;
  std::array<std::array<float, 5>, 7> allValues;
  for (std::size_t k = 0; k < NET_SLOTS; ++k) {
    all.playerIds[k] = ids[k];
    allValues[k] = all.values[k] = Conditions(static_cast<int>(k));
  }
  cases.push_back({"all factors", NET_MSG_ALL_FACTORS, 200, B(EncodeNetAllFactors(all)),
                   kelvdata::BuildNetAllFactors(ids, allValues)});

  NetResultMessage result;
  result.playerId = 0x0A0B0C0D;
  result.position = 3;
  result.finishTime = Time(7, 754321);
  result.bestLap = Time(2, 61234);
  result.laps = 12;
  result.out = 1;
  kelvdata::NetResultSpec resultSpec;
  resultSpec.playerId = 0x0A0B0C0D;
  resultSpec.position = 3;
  resultSpec.finishTime = TimeSpec(7, 754321);
  resultSpec.bestLap = TimeSpec(2, 61234);
  resultSpec.laps = 12;
  resultSpec.out = 1;
  cases.push_back({"result", NET_MSG_RESULT, 48, B(EncodeNetResult(result)), kelvdata::BuildNetResult(resultSpec)});
  return cases;
}

TEST(NetMessages, EveryTypeHasItsSizeAndNoOtherValueIsAType) {
  const std::vector<Case> cases = EveryMessage();
  ASSERT_EQ(cases.size(), 26u);
  std::vector<NetMessageType> seen;
  for (const Case& c : cases) {
    EXPECT_EQ(NetMessageSize(c.type), c.size) << c.name;
    seen.push_back(c.type);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_TRUE(std::equal(seen.begin(), seen.end(), NET_MESSAGE_TYPES.begin()));
  for (NetMessageType t : {0x0FFFu, 0x100Au, 0x100Fu, 0x101Au, 0x101Fu, 0x1026u, 0u, 0x00001000u << 8}) {
    EXPECT_EQ(NetMessageSize(t), 0u) << std::hex << t;
  }
}

TEST(NetMessages, EncodesByteForByteAsTheLayoutTables) {
  for (const Case& c : EveryMessage()) {
    EXPECT_EQ(c.encoded.size(), c.size) << c.name << " " << std::hex << c.type;
    EXPECT_EQ(c.encoded, c.written) << c.name << " " << std::hex << c.type;
  }
}

// The writer itself against bytes worked out by hand.
TEST(NetMessages, GoldenBytesOfTheSmallLayouts) {
  EXPECT_EQ(B(EncodeNetSelection({0x0203, 0x0405})), (Bytes{0x00, 0x10, 0, 0, 0x03, 0x02, 0x05, 0x04}));
  EXPECT_EQ(B(EncodeNetValue(NET_MSG_NEW_SERVER, 0x12345678)), (Bytes{0x10, 0x10, 0, 0, 0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(B(EncodeNetSignal(NET_MSG_RESULTS_DONE)), (Bytes{0x25, 0x10, 0, 0}));

  NetPlayerInfo info;
  info.playerId = 0x0403;
  std::strcpy(info.name, "AB");
  info.riderNumber = 0x0107;
  Bytes want = {0x02, 0x10, 0, 0, 0x03, 0x04, 0, 0, 'A', 'B'};
  want.resize(24, 0);
  want.insert(want.end(), {0x07, 0x01, 0, 0});
  EXPECT_EQ(B(EncodeNetPlayerInfo(info)), want);

  // Position 1 m up in units of 1/32.767 m is 32; a unit rotation is w 127.
  NetRiderStateFields s;
  s.updateCount = 1;
  s.position = {0, 32, -1};
  s.crashed = 1;
  EXPECT_EQ(B(EncodeNetRiderState({NET_MSG_RIDER_STATE, s})),
            (Bytes{0x16, 0x10, 0, 0, 1, 0, 0, 0, 32, 0, 0xFF, 0xFF, 127, 0, 0, 0, 1, 0, 0, 0}));

  // A fresh snapshot's free slots hold the unit rotation, never all zero.
  const auto empty = EncodeNetSnapshot(NetSnapshot{});
  for (std::size_t k = 0; k < NET_SLOTS; ++k) EXPECT_EQ(empty[32 + 20 * k + 12], 127) << k;
}

TEST(NetMessages, DecodesWhatWasWrittenBackToTheSameBytes) {
  for (const Case& c : EveryMessage()) {
    const std::optional<NetMessage> m = DecodeNetMessage(c.written);
    ASSERT_TRUE(m.has_value()) << c.name;
    EXPECT_EQ(m->type, c.type);
    EXPECT_EQ(EncodeNetMessage(*m), c.written) << c.name << " " << std::hex << c.type;
  }
}

TEST(NetMessages, ShortMessagesAreDroppedAndTrailingBytesIgnored) {
  for (const Case& c : EveryMessage()) {
    const Bytes shorter(c.written.begin(), c.written.end() - 1);
    EXPECT_FALSE(DecodeNetMessage(shorter).has_value()) << c.name << " " << std::hex << c.type;
    Bytes longer = c.written;
    longer.insert(longer.end(), {0xEE, 0xEE, 0xEE});
    const std::optional<NetMessage> m = DecodeNetMessage(longer);
    ASSERT_TRUE(m.has_value()) << c.name;
    EXPECT_EQ(EncodeNetMessage(*m), c.written) << c.name;
  }
  EXPECT_FALSE(DecodeNetMessage(Bytes{0x05, 0x10, 0}).has_value());
  EXPECT_FALSE(DecodeNetMessage(Bytes{}).has_value());
  EXPECT_FALSE(DecodeNetMessage(kelvdata::BuildNetValue(0x100A, 1)).has_value()) << "no such type";
}

TEST(NetMessages, EachDecoderTakesOnlyItsOwnTypes) {
  const Bytes confirm = kelvdata::BuildNetSignal(NET_MSG_CONFIRM);
  const Bytes hello = kelvdata::BuildNetValue(NET_MSG_HELLO, 0);
  EXPECT_TRUE(DecodeNetSignal(confirm).has_value());
  EXPECT_FALSE(DecodeNetSignal(hello).has_value());
  EXPECT_TRUE(DecodeNetValue(hello).has_value());
  EXPECT_FALSE(DecodeNetValue(kelvdata::BuildNetSelection(1, 2)).has_value());
  EXPECT_FALSE(DecodeNetSelection(hello).has_value());
  EXPECT_FALSE(DecodeNetRiderState(kelvdata::BuildNetRiderFactors({1, 1, 1, 1, 1})).has_value());
}

TEST(NetMessages, NamesAndLinesEndInsideTheirFields) {
  // A peer's name of 16 characters has no NUL: the receiver keeps 15.
  const std::optional<NetPlayerInfo> info = DecodeNetPlayerInfo(kelvdata::BuildNetPlayerInfo(5, "SIXTEEN-LETTERS!", 3));
  ASSERT_TRUE(info.has_value());
  EXPECT_STREQ(info->name, "SIXTEEN-LETTERS");
  EXPECT_EQ(info->riderNumber, 3u) << "the rider number after the name is read from its own place";

  const std::optional<NetPlayerText> line = DecodeNetPlayerText(kelvdata::BuildNetPlayerText(std::string(36, 'X')));
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(std::string(line->text), std::string(35, 'X'));

  // Bytes after a NUL are not part of the name.
  Bytes withTail = kelvdata::BuildNetPlayerInfo(5, std::string("AB\0CD", 5), 3);
  EXPECT_EQ(EncodeNetMessage(*DecodeNetMessage(withTail)), kelvdata::BuildNetPlayerInfo(5, "AB", 3));

  // The sender cuts a long line to 35 characters and its NUL.
  NetPlayerText longText;
  std::memset(longText.text, 'Y', sizeof longText.text);
  EXPECT_EQ(B(EncodeNetPlayerText(longText)), kelvdata::BuildNetPlayerText(std::string(35, 'Y')));
}

TEST(NetMessages, PeerTextsAreCutTo255Characters) {
  char text[256];
  struct CopyCase {
    std::string from;
    std::size_t copied;
  };
  const CopyCase cases[] = {{std::string(300, 'N'), 255},
                            {std::string(255, 'N'), 255},
                            {"SHORT", 5},
                            {std::string("NUL\0INSIDE", 10), 3},
                            {"", 0}};
  for (const CopyCase& c : cases) {
    std::memset(text, 0x7F, sizeof text);
    const Bytes from(c.from.begin(), c.from.end());
    EXPECT_EQ(CopyPeerText(from, text, sizeof text), c.copied) << c.from.size();
    EXPECT_EQ(std::strlen(text), c.copied);
    EXPECT_EQ(text[255], '\0');
  }
}

TEST(NetMessages, NoQuaternionPartTravelsAsMinus128) {
  kelvdata::RiderStateSpec spec;
  spec.orientation = {-128, -128, 127, -127};
  const std::optional<NetRiderStateMessage> m = DecodeNetRiderState(kelvdata::BuildRiderState(spec));
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->state.orientation, (std::array<std::int8_t, 4>{-127, -127, 127, -127}));

  // Relayed in a snapshot, and whatever a caller puts in the fields.
  NetSnapshot snapshot;
  for (NetRiderStateFields& s : snapshot.states) s.orientation = {-128, -128, -128, -128};
  const auto bytes = EncodeNetSnapshot(snapshot);
  for (std::size_t k = 0; k < NET_SLOTS; ++k) {
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(bytes[32 + 20 * k + 12 + i], 0x81) << k;
  }

  // A part of -1.0 from the rider's own encoding goes as -127 and comes back.
  NetRiderState rider;
  rider.orientation = Quaternion(-1.0f, 0.0f, 0.0f, 0.0f);
  const NetRiderStateFields fields = DecodeRiderStateRecord(EncodeRiderState(rider));
  EXPECT_EQ(fields.orientation[0], -127);
}

TEST(NetMessages, RiderStateRecordsAreWhatTheRidersRead) {
  // A snapshot's record, with the type word the receiver gives it, decodes
  // in the rider's own reader to the position and flags sent.
  NetRiderStateFields s;
  s.position = {3277, -33, 0};
  s.orientation = {0, 127, 0, 0};
  s.crashed = 1;
  s.onTrack = 1;
  const NetRiderState r = DecodeRiderState(EncodeRiderStateRecord(NET_MSG_RIDER_STATE, s));
  EXPECT_EQ(r.type, NET_MSG_RIDER_STATE);
  EXPECT_NEAR(r.position.x, 100.0f, 0.01f);
  EXPECT_NEAR(r.position.y, -1.0f, 0.05f);
  EXPECT_NEAR(r.orientation.x, 1.0f, 1e-6f);
  EXPECT_EQ(r.crashed, 1);
  EXPECT_EQ(r.onTrack, 1);
}

TEST(NetMessages, TheRaceManagersResultTravelsAsAResultMessage) {
  NetResult r;
  r.position = 4;
  const RaceTime finish = Time(3, 90123);
  const RaceTime best = Time(5, 30456);
  std::memcpy(r.crossingTime.data(), &finish, 16);
  std::memcpy(r.bestLap.data(), &best, 16);
  r.laps = 7;
  r.out = 0;
  kelvdata::NetResultSpec want;
  want.playerId = 33;
  want.position = 4;
  want.finishTime = TimeSpec(3, 90123);
  want.bestLap = TimeSpec(5, 30456);
  want.laps = 7;
  EXPECT_EQ(B(EncodeNetResult(ResultMessageOf(33, r))), kelvdata::BuildNetResult(want));
  r.laps = 300;
  EXPECT_EQ(ResultMessageOf(33, r).laps, 255) << "held, not wrapped to 44";
}

TEST(NetMessages, ASnapshotRecordTakesAnArrivingStateAndCountsIt) {
  NetRiderStateFields record;
  record.updateCount = 1;
  NetRiderStateFields arrived = State(3);
  arrived.updateCount = 0;
  TakeRiderState(&record, arrived);
  arrived.updateCount = 2;
  EXPECT_EQ(B(EncodeRiderStateRecord(0, record)), B(EncodeRiderStateRecord(0, arrived)));
  record.updateCount = 255;
  TakeRiderState(&record, arrived);
  EXPECT_EQ(record.updateCount, 255) << "a flood of states never reads as none";
}

TEST(NetMessages, ValuesOutOfRangeAreFlagged) {
  struct Check {
    const char* what;
    bool got;
    bool want;
  };
  RaceTime good = Time(9, 1);
  good.hundredths = 99;
  good.seconds = 59;
  good.minutes = 59;
  RaceTime badDigit = good;
  badDigit.thousandths = 10;
  RaceTime badMinutes = good;
  badMinutes.minutes = 60;
  const Check checks[] = {
      {"rider 19", NetRiderNumberValid(19), true},
      {"rider 20", NetRiderNumberValid(20), false},
      {"rider 0xFFFF", NetRiderNumberValid(0xFFFF), false},
      {"skill 0", NetSkillValid(0), true},
      {"skill 2", NetSkillValid(2), true},
      {"skill 3", NetSkillValid(3), false},
      {"round 5 of 6", NetRoundValid(5, 6), true},
      {"round 6 of 6", NetRoundValid(6, 6), false},
      {"round 0 of none", NetRoundValid(0, 0), false},
      {"weather 3", NetWeatherValid(3), true},
      {"weather 4", NetWeatherValid(4), false},
      {"condition 0", NetConditionValid(0.0f), true},
      {"condition 1", NetConditionValid(1.0f), true},
      {"condition above 1", NetConditionValid(1.5f), false},
      {"condition below 0", NetConditionValid(-0.01f), false},
      {"condition NaN", NetConditionValid(NAN), false},
      {"condition infinite", NetConditionValid(INFINITY), false},
      {"time at its top digits", NetRaceTimeValid(good), true},
      {"thousandths 10", NetRaceTimeValid(badDigit), false},
      {"minutes 60", NetRaceTimeValid(badMinutes), false},
  };
  for (const Check& c : checks) EXPECT_EQ(c.got, c.want) << c.what;
}

}  // namespace
