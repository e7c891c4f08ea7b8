#include "network/net_messages.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Writes little-endian fields into a zero-filled message.
class Out {
 public:
  explicit Out(std::span<std::uint8_t> bytes) : bytes_(bytes) {}
  void U8(std::uint8_t v) { bytes_[at_++] = v; }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }
  void Time(const RaceTime& t) {
    U16(t.thousandths);
    U16(t.hundredths);
    U16(t.seconds);
    U16(t.minutes);
    U16(t.hours);
    U16(0);
    U32(t.totalMs);
  }
  // The text up to its NUL, at most size - 1 characters, then zeros.
  void Text(const char* text, std::size_t size) {
    std::size_t n = 0;
    while (n + 1 < size && text[n] != '\0') ++n;
    for (std::size_t i = 0; i < n; ++i) U8(static_cast<std::uint8_t>(text[i]));
    Skip(size - n);
  }
  void Skip(std::size_t n) { at_ += n; }
  void At(std::size_t offset) { at_ = offset; }

 private:
  std::span<std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// Reads little-endian fields; the caller has checked the size.
class In {
 public:
  explicit In(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t U8() { return bytes_[at_++]; }
  std::uint16_t U16() {
    const std::uint16_t lo = U8();
    return static_cast<std::uint16_t>(lo | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t lo = U16();
    return lo | (std::uint32_t{U16()} << 16);
  }
  float F32() { return std::bit_cast<float>(U32()); }
  RaceTime Time() {
    RaceTime t;
    t.thousandths = U16();
    t.hundredths = U16();
    t.seconds = U16();
    t.minutes = U16();
    t.hours = U16();
    Skip(2);
    t.totalMs = U32();
    return t;
  }
  void Text(char* to, std::size_t size) {
    CopyPeerText(bytes_.subspan(at_, size), to, size);
    at_ += size;
  }
  void Skip(std::size_t n) { at_ += n; }
  void At(std::size_t offset) { at_ = offset; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// -128 has no positive twin and would flip a rotation's sign on the way
// back; it travels as -127.
std::int8_t QuaternionPart(std::uint8_t byte) {
  const auto v = static_cast<std::int8_t>(byte);
  return v == -128 ? static_cast<std::int8_t>(-127) : v;
}

bool IsSignal(NetMessageType t) {
  switch (t) {
    case NET_MSG_CONFIRM:
    case NET_MSG_READY:
    case NET_MSG_ALL_READY:
    case NET_MSG_RIDER_OUT:
    case NET_MSG_RIDER_BACK:
    case NET_MSG_INTRO_DONE:
    case NET_MSG_ALL_INTRO_DONE:
    case NET_MSG_START_RACE:
    case NET_MSG_LAST_LAP:
    case NET_MSG_RESULTS_DONE:
      return true;
    default:
      return false;
  }
}

bool IsValue(NetMessageType t) {
  return t == NET_MSG_EVENT_OPTION || t == NET_MSG_HELLO || t == NET_MSG_NEW_SERVER || t == NET_MSG_RACE_CLOCK ||
         t == NET_MSG_RIDER_FINISHED;
}

bool IsRiderState(NetMessageType t) { return t == NET_MSG_RIDER_STATE || t == NET_MSG_RIDER_STATE_2; }

// The bytes when they hold a whole message of the type `want` accepts.
template <typename Accept>
std::optional<In> Open(std::span<const std::uint8_t> bytes, Accept want) {
  const std::optional<NetMessageType> type = PeekNetMessageType(bytes);
  if (!type || !want(*type) || bytes.size() < NetMessageSize(*type)) return std::nullopt;
  In in(bytes);
  in.Skip(4);
  return in;
}

auto Is(NetMessageType t) {
  return [t](NetMessageType v) { return v == t; };
}

void WriteState(Out& o, const NetRiderStateFields& s) {
  o.U8(s.updateCount);
  o.U8(0);
  for (std::int16_t v : s.position) o.U16(static_cast<std::uint16_t>(v));
  for (std::int8_t v : s.orientation) o.U8(static_cast<std::uint8_t>(QuaternionPart(static_cast<std::uint8_t>(v))));
  o.U8(s.crashed);
  o.U8(s.onTrack);
  o.Skip(2);
}

NetRiderStateFields ReadState(In& in) {
  NetRiderStateFields s;
  s.updateCount = in.U8();
  in.Skip(1);
  for (std::int16_t& v : s.position) v = static_cast<std::int16_t>(in.U16());
  for (std::int8_t& v : s.orientation) v = QuaternionPart(in.U8());
  s.crashed = in.U8();
  s.onTrack = in.U8();
  in.Skip(2);
  return s;
}

}  // namespace

std::size_t NetMessageSize(NetMessageType type) {
  if (IsSignal(type)) return 4;
  if (IsValue(type)) return 8;
  if (IsRiderState(type)) return 20;
  switch (type) {
    case NET_MSG_SELECTION:
      return 8;
    case NET_MSG_PLAYER_INFO:
      return 28;
    case NET_MSG_RACE_SETUP:
      return 3056;
    case NET_MSG_PLAYER_TEXT:
      return 40;
    case NET_MSG_RACE_START:
      return 108;
    case NET_MSG_SNAPSHOT:
      return 172;
    case NET_MSG_RIDER_FACTORS:
      return 24;
    case NET_MSG_ALL_FACTORS:
      return 200;
    case NET_MSG_RESULT:
      return 48;
    default:
      return 0;
  }
}

std::optional<NetMessageType> PeekNetMessageType(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  return In(bytes).U32();
}

std::size_t CopyPeerText(std::span<const std::uint8_t> from, char* to, std::size_t size) {
  if (size == 0) return 0;
  std::size_t n = 0;
  while (n + 1 < size && n < from.size() && from[n] != 0) {
    to[n] = static_cast<char>(from[n]);
    ++n;
  }
  std::memset(to + n, 0, size - n);
  return n;
}

NetRiderRecord EncodeRiderStateRecord(NetMessageType type, const NetRiderStateFields& state) {
  NetRiderRecord r{};
  Out o(r);
  o.U32(type);
  WriteState(o, state);
  return r;
}

NetRiderStateFields DecodeRiderStateRecord(const NetRiderRecord& record) {
  In in(record);
  in.Skip(4);
  return ReadState(in);
}

std::array<std::uint8_t, 4> EncodeNetSignal(NetMessageType type) {
  std::array<std::uint8_t, 4> b{};
  Out(b).U32(type);
  return b;
}

std::array<std::uint8_t, 8> EncodeNetValue(NetMessageType type, std::uint32_t value) {
  std::array<std::uint8_t, 8> b{};
  Out o(b);
  o.U32(type);
  o.U32(value);
  return b;
}

std::array<std::uint8_t, 8> EncodeNetSelection(const NetSelection& m) {
  std::array<std::uint8_t, 8> b{};
  Out o(b);
  o.U32(NET_MSG_SELECTION);
  o.U16(m.eventIndex);
  o.U16(m.pageValue);
  return b;
}

std::array<std::uint8_t, 28> EncodeNetPlayerInfo(const NetPlayerInfo& m) {
  std::array<std::uint8_t, 28> b{};
  Out o(b);
  o.U32(NET_MSG_PLAYER_INFO);
  o.U32(m.playerId);
  o.Text(m.name, NET_NAME_SIZE);
  o.U16(m.riderNumber);
  return b;
}

std::array<std::uint8_t, 40> EncodeNetPlayerText(const NetPlayerText& m) {
  std::array<std::uint8_t, 40> b{};
  Out o(b);
  o.U32(NET_MSG_PLAYER_TEXT);
  o.Text(m.text, NET_TEXT_LINE_SIZE);
  return b;
}

std::array<std::uint8_t, 3056> EncodeNetRaceSetup(const NetRaceSetup& m) {
  std::array<std::uint8_t, 3056> b{};
  Out o(b);
  o.U32(NET_MSG_RACE_SETUP);
  o.Time(m.raceLength);
  o.U16(m.skill);
  o.U8(m.championship);
  o.U8(m.weatherOption);
  o.U8(m.noBudget);
  o.U8(m.damageOption);
  o.U16(m.round);
  for (std::uint16_t w : m.roundWeather) o.U16(w);
  for (std::uint32_t id : m.playerIds) o.U32(id);
  for (const auto* table : {m.noScore1, m.noScore2, m.points1, m.points2}) {
    for (std::size_t k = 0; k < NET_SLOTS; ++k) {
      for (std::size_t r = 0; r < NET_ROUNDS; ++r) o.U8(table[k][r]);
    }
  }
  return b;
}

std::array<std::uint8_t, 108> EncodeNetRaceStart(const NetRaceStart& m) {
  std::array<std::uint8_t, 108> b{};
  Out o(b);
  o.U32(NET_MSG_RACE_START);
  o.U16(m.eventIndex);
  o.U8(m.weather);
  o.U8(m.gridReversal);
  for (std::uint32_t id : m.playerIds) o.U32(id);
  o.At(88);
  for (std::uint8_t g : m.gridPositions) o.U8(g);
  return b;
}

std::array<std::uint8_t, 20> EncodeNetRiderState(const NetRiderStateMessage& m) {
  return EncodeRiderStateRecord(m.type, m.state);
}

std::array<std::uint8_t, 172> EncodeNetSnapshot(const NetSnapshot& m) {
  std::array<std::uint8_t, 172> b{};
  Out o(b);
  o.U32(NET_MSG_SNAPSHOT);
  for (std::uint32_t id : m.playerIds) o.U32(id);
  // A record's type word is not read; it goes as 0.
  for (const NetRiderStateFields& s : m.states) {
    o.U32(0);
    WriteState(o, s);
  }
  return b;
}

std::array<std::uint8_t, 24> EncodeNetRiderFactors(const NetRiderFactors& m) {
  std::array<std::uint8_t, 24> b{};
  Out o(b);
  o.U32(NET_MSG_RIDER_FACTORS);
  for (float v : m.values) o.F32(v);
  return b;
}

std::array<std::uint8_t, 200> EncodeNetAllFactors(const NetAllFactors& m) {
  std::array<std::uint8_t, 200> b{};
  Out o(b);
  o.U32(NET_MSG_ALL_FACTORS);
  for (std::uint32_t id : m.playerIds) o.U32(id);
  for (const NetConditions& values : m.values) {
    o.U32(0);
    for (float v : values) o.F32(v);
  }
  return b;
}

std::array<std::uint8_t, 48> EncodeNetResult(const NetResultMessage& m) {
  std::array<std::uint8_t, 48> b{};
  Out o(b);
  o.U32(NET_MSG_RESULT);
  o.U32(m.playerId);
  o.U8(m.position);
  o.Skip(3);
  o.Time(m.finishTime);
  o.Time(m.bestLap);
  o.U8(m.laps);
  o.U8(m.out);
  return b;
}

std::optional<NetSignal> DecodeNetSignal(std::span<const std::uint8_t> bytes) {
  if (!Open(bytes, IsSignal)) return std::nullopt;
  return NetSignal{*PeekNetMessageType(bytes)};
}

std::optional<NetValue> DecodeNetValue(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, IsValue);
  if (!in) return std::nullopt;
  return NetValue{*PeekNetMessageType(bytes), in->U32()};
}

std::optional<NetSelection> DecodeNetSelection(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_SELECTION));
  if (!in) return std::nullopt;
  NetSelection m;
  m.eventIndex = in->U16();
  m.pageValue = in->U16();
  return m;
}

std::optional<NetPlayerInfo> DecodeNetPlayerInfo(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_PLAYER_INFO));
  if (!in) return std::nullopt;
  NetPlayerInfo m;
  m.playerId = in->U32();
  in->Text(m.name, NET_NAME_SIZE);
  m.riderNumber = in->U16();
  return m;
}

std::optional<NetPlayerText> DecodeNetPlayerText(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_PLAYER_TEXT));
  if (!in) return std::nullopt;
  NetPlayerText m;
  in->Text(m.text, NET_TEXT_LINE_SIZE);
  return m;
}

std::optional<NetRaceSetup> DecodeNetRaceSetup(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_RACE_SETUP));
  if (!in) return std::nullopt;
  NetRaceSetup m;
  m.raceLength = in->Time();
  m.skill = in->U16();
  m.championship = in->U8();
  m.weatherOption = in->U8();
  m.noBudget = in->U8();
  m.damageOption = in->U8();
  m.round = in->U16();
  for (std::uint16_t& w : m.roundWeather) w = in->U16();
  for (std::uint32_t& id : m.playerIds) id = in->U32();
  for (auto* table : {m.noScore1, m.noScore2, m.points1, m.points2}) {
    for (std::size_t k = 0; k < NET_SLOTS; ++k) {
      for (std::size_t r = 0; r < NET_ROUNDS; ++r) table[k][r] = in->U8();
    }
  }
  return m;
}

std::optional<NetRaceStart> DecodeNetRaceStart(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_RACE_START));
  if (!in) return std::nullopt;
  NetRaceStart m;
  m.eventIndex = in->U16();
  m.weather = in->U8();
  m.gridReversal = in->U8();
  for (std::uint32_t& id : m.playerIds) id = in->U32();
  in->At(88);
  for (std::uint8_t& g : m.gridPositions) g = in->U8();
  return m;
}

std::optional<NetRiderStateMessage> DecodeNetRiderState(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, IsRiderState);
  if (!in) return std::nullopt;
  NetRiderStateMessage m;
  m.type = *PeekNetMessageType(bytes);
  m.state = ReadState(*in);
  return m;
}

std::optional<NetSnapshot> DecodeNetSnapshot(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_SNAPSHOT));
  if (!in) return std::nullopt;
  NetSnapshot m;
  for (std::uint32_t& id : m.playerIds) id = in->U32();
  for (NetRiderStateFields& s : m.states) {
    in->Skip(4);
    s = ReadState(*in);
  }
  return m;
}

std::optional<NetRiderFactors> DecodeNetRiderFactors(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_RIDER_FACTORS));
  if (!in) return std::nullopt;
  NetRiderFactors m;
  for (float& v : m.values) v = in->F32();
  return m;
}

std::optional<NetAllFactors> DecodeNetAllFactors(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_ALL_FACTORS));
  if (!in) return std::nullopt;
  NetAllFactors m;
  for (std::uint32_t& id : m.playerIds) id = in->U32();
  for (NetConditions& values : m.values) {
    in->Skip(4);
    for (float& v : values) v = in->F32();
  }
  return m;
}

std::optional<NetResultMessage> DecodeNetResult(std::span<const std::uint8_t> bytes) {
  std::optional<In> in = Open(bytes, Is(NET_MSG_RESULT));
  if (!in) return std::nullopt;
  NetResultMessage m;
  m.playerId = in->U32();
  m.position = in->U8();
  in->Skip(3);
  m.finishTime = in->Time();
  m.bestLap = in->Time();
  m.laps = in->U8();
  m.out = in->U8();
  return m;
}

NetResultMessage ResultMessageOf(std::uint32_t playerId, const NetResult& result) {
  NetResultMessage m;
  m.playerId = playerId;
  m.position = result.position;
  // The race manager copies its race times whole into the result.
  std::memcpy(&m.finishTime, result.crossingTime.data(), sizeof m.finishTime);
  std::memcpy(&m.bestLap, result.bestLap.data(), sizeof m.bestLap);
  m.laps = static_cast<std::uint8_t>(result.laps < 255 ? result.laps : 255);
  m.out = result.out;
  return m;
}

void TakeRiderState(NetRiderStateFields* record, const NetRiderStateFields& arrived) {
  record->position = arrived.position;
  record->orientation = arrived.orientation;
  record->crashed = arrived.crashed;
  record->onTrack = arrived.onTrack;
  if (record->updateCount < 255) ++record->updateCount;
}

namespace {

template <typename T>
std::optional<NetMessage> Wrap(NetMessageType type, std::optional<T> body) {
  if (!body) return std::nullopt;
  return NetMessage{type, std::move(*body)};
}

template <std::size_t N>
std::vector<std::uint8_t> Vec(const std::array<std::uint8_t, N>& a) {
  return {a.begin(), a.end()};
}

}  // namespace

std::optional<NetMessage> DecodeNetMessage(std::span<const std::uint8_t> bytes) {
  const std::optional<NetMessageType> type = PeekNetMessageType(bytes);
  if (!type) return std::nullopt;
  const NetMessageType t = *type;
  if (IsSignal(t)) return Wrap(t, DecodeNetSignal(bytes));
  if (IsValue(t)) return Wrap(t, DecodeNetValue(bytes));
  if (IsRiderState(t)) return Wrap(t, DecodeNetRiderState(bytes));
  switch (t) {
    case NET_MSG_SELECTION:
      return Wrap(t, DecodeNetSelection(bytes));
    case NET_MSG_PLAYER_INFO:
      return Wrap(t, DecodeNetPlayerInfo(bytes));
    case NET_MSG_PLAYER_TEXT:
      return Wrap(t, DecodeNetPlayerText(bytes));
    case NET_MSG_RACE_SETUP:
      return Wrap(t, DecodeNetRaceSetup(bytes));
    case NET_MSG_RACE_START:
      return Wrap(t, DecodeNetRaceStart(bytes));
    case NET_MSG_SNAPSHOT:
      return Wrap(t, DecodeNetSnapshot(bytes));
    case NET_MSG_RIDER_FACTORS:
      return Wrap(t, DecodeNetRiderFactors(bytes));
    case NET_MSG_ALL_FACTORS:
      return Wrap(t, DecodeNetAllFactors(bytes));
    case NET_MSG_RESULT:
      return Wrap(t, DecodeNetResult(bytes));
    default:
      return std::nullopt;
  }
}

std::vector<std::uint8_t> EncodeNetMessage(const NetMessage& m) {
  struct Encoder {
    std::vector<std::uint8_t> operator()(const NetSignal& b) const { return Vec(EncodeNetSignal(b.type)); }
    std::vector<std::uint8_t> operator()(const NetValue& b) const { return Vec(EncodeNetValue(b.type, b.value)); }
    std::vector<std::uint8_t> operator()(const NetSelection& b) const { return Vec(EncodeNetSelection(b)); }
    std::vector<std::uint8_t> operator()(const NetPlayerInfo& b) const { return Vec(EncodeNetPlayerInfo(b)); }
    std::vector<std::uint8_t> operator()(const NetPlayerText& b) const { return Vec(EncodeNetPlayerText(b)); }
    std::vector<std::uint8_t> operator()(const NetRaceSetup& b) const { return Vec(EncodeNetRaceSetup(b)); }
    std::vector<std::uint8_t> operator()(const NetRaceStart& b) const { return Vec(EncodeNetRaceStart(b)); }
    std::vector<std::uint8_t> operator()(const NetRiderStateMessage& b) const { return Vec(EncodeNetRiderState(b)); }
    std::vector<std::uint8_t> operator()(const NetSnapshot& b) const { return Vec(EncodeNetSnapshot(b)); }
    std::vector<std::uint8_t> operator()(const NetRiderFactors& b) const { return Vec(EncodeNetRiderFactors(b)); }
    std::vector<std::uint8_t> operator()(const NetAllFactors& b) const { return Vec(EncodeNetAllFactors(b)); }
    std::vector<std::uint8_t> operator()(const NetResultMessage& b) const { return Vec(EncodeNetResult(b)); }
  };
  return std::visit(Encoder{}, m.body);
}

bool NetRiderNumberValid(std::uint32_t rider) { return rider < 20; }
bool NetSkillValid(std::uint32_t skill) { return skill <= 2; }
bool NetRoundValid(std::uint32_t round, std::uint32_t roundCount) { return round < roundCount; }
bool NetWeatherValid(std::uint32_t weather) { return weather <= 3; }
bool NetConditionValid(float value) { return std::isfinite(value) && value >= 0.0f && value <= 1.0f; }
bool NetRaceTimeValid(const RaceTime& t) {
  return t.thousandths <= 9 && t.hundredths <= 99 && t.seconds <= 59 && t.minutes <= 59;
}
