// The game's own messages between the machines of a network game: 26
// fixed-layout little-endian records, each beginning with its u32 type.
// Encoders write every byte (spare bytes zero); decoders read field by field
// from the received bytes, refuse a message shorter than its type's size and
// ignore bytes past it. Everything a peer sends is made safe to store here:
// names and text lines end at the last byte of their field at the latest,
// and no quaternion part is ever -128. Range checks that need the game's
// state (a round below the round count) are the helpers at the end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "engine/services/net_game.h"
#include "riders/race_time.h"

// The message types that the riders and the race send are declared
// with the NetGame interface; these are the others.
using NetMessageType = std::uint32_t;
constexpr NetMessageType NET_MSG_SELECTION = 0x1000;
constexpr NetMessageType NET_MSG_PLAYER_INFO = 0x1002;
constexpr NetMessageType NET_MSG_RACE_SETUP = 0x1003;
constexpr NetMessageType NET_MSG_HELLO = 0x1004;
constexpr NetMessageType NET_MSG_PLAYER_TEXT = 0x1006;
constexpr NetMessageType NET_MSG_RACE_START = 0x1007;
constexpr NetMessageType NET_MSG_ALL_READY = 0x1009;
constexpr NetMessageType NET_MSG_NEW_SERVER = 0x1010;
constexpr NetMessageType NET_MSG_ALL_INTRO_DONE = 0x1014;
constexpr NetMessageType NET_MSG_SNAPSHOT = 0x1017;
constexpr NetMessageType NET_MSG_RIDER_FACTORS = 0x1018;
constexpr NetMessageType NET_MSG_ALL_FACTORS = 0x1019;
constexpr NetMessageType NET_MSG_RIDER_STATE_2 = 0x1020;
constexpr NetMessageType NET_MSG_RESULTS_DONE = 0x1025;

// Every type in value order.
constexpr std::array<NetMessageType, 26> NET_MESSAGE_TYPES = {
    NET_MSG_SELECTION,     NET_MSG_EVENT_OPTION, NET_MSG_PLAYER_INFO, NET_MSG_RACE_SETUP,     NET_MSG_HELLO,
    NET_MSG_CONFIRM,       NET_MSG_PLAYER_TEXT,  NET_MSG_RACE_START,  NET_MSG_READY,          NET_MSG_ALL_READY,
    NET_MSG_NEW_SERVER,    NET_MSG_RIDER_OUT,    NET_MSG_RIDER_BACK,  NET_MSG_INTRO_DONE,     NET_MSG_ALL_INTRO_DONE,
    NET_MSG_START_RACE,    NET_MSG_RIDER_STATE,  NET_MSG_SNAPSHOT,    NET_MSG_RIDER_FACTORS,  NET_MSG_ALL_FACTORS,
    NET_MSG_RIDER_STATE_2, NET_MSG_RACE_CLOCK,   NET_MSG_LAST_LAP,    NET_MSG_RIDER_FINISHED, NET_MSG_RESULT,
    NET_MSG_RESULTS_DONE};

// The size of a type's message in bytes; 0 for a type that does not exist.
std::size_t NetMessageSize(NetMessageType type);
// The type word of a message; nothing when fewer than 4 bytes arrived.
std::optional<NetMessageType> PeekNetMessageType(std::span<const std::uint8_t> bytes);

constexpr std::size_t NET_SLOTS = 7;
constexpr std::size_t NET_ROUNDS = 100;
constexpr std::size_t NET_NAME_SIZE = 16;
constexpr std::size_t NET_TEXT_LINE_SIZE = 36;
constexpr std::size_t NET_CONDITIONS = 5;

// A message of its type alone (CONFIRM, READY, ALL_READY, RIDER_OUT,
// RIDER_BACK, INTRO_DONE, ALL_INTRO_DONE, START_RACE, LAST_LAP,
// RESULTS_DONE).
struct NetSignal {
  NetMessageType type = 0;
};

// Type and one u32 (EVENT_OPTION weather, HELLO 0, NEW_SERVER id,
// RACE_CLOCK milliseconds, RIDER_FINISHED 0 finished / 1 out).
struct NetValue {
  NetMessageType type = 0;
  std::uint32_t value = 0;
};

struct NetSelection {
  std::uint16_t eventIndex = 0;  // the receiver reads only its low byte
  std::uint16_t pageValue = 0;
};

struct NetPlayerInfo {
  std::uint32_t playerId = 0;
  char name[NET_NAME_SIZE] = {};  // NUL-terminated, at most 15 characters
  std::uint16_t riderNumber = 0;
};

struct NetPlayerText {
  char text[NET_TEXT_LINE_SIZE] = {};  // NUL-terminated, at most 35 characters
};

// The event a newcomer joins; the championship part is zero outside a
// championship.
struct NetRaceSetup {
  RaceTime raceLength;
  std::uint16_t skill = 0;
  std::uint8_t championship = 0;
  std::uint8_t weatherOption = 0;
  std::uint8_t noBudget = 0;
  std::uint8_t damageOption = 0;
  std::uint16_t round = 0;
  std::array<std::uint16_t, NET_ROUNDS> roundWeather = {};
  std::array<std::uint32_t, NET_SLOTS> playerIds = {};
  // [k][r]: player k (the k-th id), round r.
  std::uint8_t noScore1[NET_SLOTS][NET_ROUNDS] = {};
  std::uint8_t noScore2[NET_SLOTS][NET_ROUNDS] = {};
  std::uint8_t points1[NET_SLOTS][NET_ROUNDS] = {};
  std::uint8_t points2[NET_SLOTS][NET_ROUNDS] = {};
};

struct NetRaceStart {
  std::uint16_t eventIndex = 0;  // the receiver reads only its low byte
  std::uint8_t weather = 0;
  std::uint8_t gridReversal = 0;
  std::array<std::uint32_t, NET_SLOTS> playerIds = {};
  std::array<std::uint8_t, NET_SLOTS> gridPositions = {};
};

// The fields of the 20-byte rider-state record that anyone reads: position
// in units of 1/32.767 m, orientation w, x, y, z in units of 1/127.
struct NetRiderStateFields {
  std::uint8_t updateCount = 0;
  std::array<std::int16_t, 3> position = {};
  std::array<std::int8_t, 4> orientation = {127, 0, 0, 0};
  std::uint8_t crashed = 0;
  std::uint8_t onTrack = 0;  // byte 17: the sender's rider is on the track
};

struct NetSnapshot {
  std::array<std::uint32_t, NET_SLOTS> playerIds = {};
  std::array<NetRiderStateFields, NET_SLOTS> states = {};
};

// Engine, wheels, suspension, clutch, gearbox.
using NetConditions = std::array<float, NET_CONDITIONS>;

struct NetRiderFactors {
  NetConditions values = {};
};

struct NetAllFactors {
  std::array<std::uint32_t, NET_SLOTS> playerIds = {};
  std::array<NetConditions, NET_SLOTS> values = {};
};

struct NetResultMessage {
  std::uint32_t playerId = 0;
  std::uint8_t position = 0;
  RaceTime finishTime;
  RaceTime bestLap;
  std::uint8_t laps = 0;
  std::uint8_t out = 0;
};

// A rider state travels as NET_MSG_RIDER_STATE or NET_MSG_RIDER_STATE_2;
// the type says which.
struct NetRiderStateMessage {
  NetMessageType type = NET_MSG_RIDER_STATE;
  NetRiderStateFields state;
};

// The record as a snapshot element or a rider state message: `type` in the
// first four bytes (a snapshot's receiver sets it to NET_MSG_RIDER_STATE
// before handing it to the rider), spare bytes zero, a quaternion part of
// -128 sent as -127.
NetRiderRecord EncodeRiderStateRecord(NetMessageType type, const NetRiderStateFields& state);
NetRiderStateFields DecodeRiderStateRecord(const NetRiderRecord& record);

std::array<std::uint8_t, 4> EncodeNetSignal(NetMessageType type);
std::array<std::uint8_t, 8> EncodeNetValue(NetMessageType type, std::uint32_t value);
std::array<std::uint8_t, 8> EncodeNetSelection(const NetSelection& m);
// A name longer than 15 characters is cut.
std::array<std::uint8_t, 28> EncodeNetPlayerInfo(const NetPlayerInfo& m);
std::array<std::uint8_t, 40> EncodeNetPlayerText(const NetPlayerText& m);
std::array<std::uint8_t, 3056> EncodeNetRaceSetup(const NetRaceSetup& m);
std::array<std::uint8_t, 108> EncodeNetRaceStart(const NetRaceStart& m);
std::array<std::uint8_t, 20> EncodeNetRiderState(const NetRiderStateMessage& m);
std::array<std::uint8_t, 172> EncodeNetSnapshot(const NetSnapshot& m);
std::array<std::uint8_t, 24> EncodeNetRiderFactors(const NetRiderFactors& m);
std::array<std::uint8_t, 200> EncodeNetAllFactors(const NetAllFactors& m);
std::array<std::uint8_t, 48> EncodeNetResult(const NetResultMessage& m);

// Each decoder takes the bytes as received (type word included) and gives
// nothing when they are fewer than the type's size or the type word is not
// one of its types.
std::optional<NetSignal> DecodeNetSignal(std::span<const std::uint8_t> bytes);
std::optional<NetValue> DecodeNetValue(std::span<const std::uint8_t> bytes);
std::optional<NetSelection> DecodeNetSelection(std::span<const std::uint8_t> bytes);
std::optional<NetPlayerInfo> DecodeNetPlayerInfo(std::span<const std::uint8_t> bytes);
std::optional<NetPlayerText> DecodeNetPlayerText(std::span<const std::uint8_t> bytes);
std::optional<NetRaceSetup> DecodeNetRaceSetup(std::span<const std::uint8_t> bytes);
std::optional<NetRaceStart> DecodeNetRaceStart(std::span<const std::uint8_t> bytes);
std::optional<NetRiderStateMessage> DecodeNetRiderState(std::span<const std::uint8_t> bytes);
std::optional<NetSnapshot> DecodeNetSnapshot(std::span<const std::uint8_t> bytes);
std::optional<NetRiderFactors> DecodeNetRiderFactors(std::span<const std::uint8_t> bytes);
std::optional<NetAllFactors> DecodeNetAllFactors(std::span<const std::uint8_t> bytes);
std::optional<NetResultMessage> DecodeNetResult(std::span<const std::uint8_t> bytes);

// Any received message, decoded by its type word; nothing for an unknown
// type or a short message.
using NetMessageBody =
    std::variant<NetSignal, NetValue, NetSelection, NetPlayerInfo, NetPlayerText, NetRaceSetup, NetRaceStart,
                 NetRiderStateMessage, NetSnapshot, NetRiderFactors, NetAllFactors, NetResultMessage>;
struct NetMessage {
  NetMessageType type = 0;
  NetMessageBody body;
};
std::optional<NetMessage> DecodeNetMessage(std::span<const std::uint8_t> bytes);
// The message's bytes, exactly its type's size.
std::vector<std::uint8_t> EncodeNetMessage(const NetMessage& m);

// The result that the race manager hands NetGame::SendResult, as
// NET_MSG_RESULT carries it: laps beyond 255 go as 255 rather than wrap.
NetResultMessage ResultMessageOf(std::uint32_t playerId, const NetResult& result);

// The host's snapshot record of a slot takes an arriving rider state: its
// position, orientation and both flags, and one more in its update count
// (held at 255, so a flood never reads as "no news").
void TakeRiderState(NetRiderStateFields* record, const NetRiderStateFields& arrived);

// A text from a peer (a name or a line in a fixed field, or a DirectPlay
// name of any length) into one of the game's 256-byte texts: up to its first
// NUL or the end of the bytes, at most size - 1 characters, always
// NUL-terminated. Returns the characters copied.
std::size_t CopyPeerText(std::span<const std::uint8_t> from, char* to, std::size_t size);

// What the handlers check before a peer's value reaches the game. A value
// that fails is ignored.
bool NetRiderNumberValid(std::uint32_t rider);                      // below 20
bool NetSkillValid(std::uint32_t skill);                            // 0..2
bool NetRoundValid(std::uint32_t round, std::uint32_t roundCount);  // below the round count
bool NetWeatherValid(std::uint32_t weather);                        // 0 clear, 1 rain, 2 fog, 3 far fog
bool NetConditionValid(float value);                                // a number in 0..1
// Digits in their ranges (thousandths 0..9, hundredths 0..99, seconds and
// minutes 0..59), as the time displays expect.
bool NetRaceTimeValid(const RaceTime& t);
