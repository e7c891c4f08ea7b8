// Fuzz target for the decoders of the game's network messages: the first
// byte picks the type (its index in value order; 26 or more: the rest is a
// whole message, type word and all), the rest is the message after its type
// word. A message is decoded exactly when its type exists and it is long
// enough; what decodes encodes to the type's size, and decoding that gives
// the same bytes again, with every text terminated inside its field and no
// quaternion part of -128.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "network/net_messages.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckState(const NetRiderStateFields& s) {
  for (std::int8_t q : s.orientation) Check(q != -128);
}

struct Checker {
  void operator()(const NetPlayerInfo& m) const {
    Check(m.name[NET_NAME_SIZE - 1] == '\0');
    (void)NetRiderNumberValid(m.riderNumber);
  }
  void operator()(const NetPlayerText& m) const { Check(m.text[NET_TEXT_LINE_SIZE - 1] == '\0'); }
  void operator()(const NetRaceSetup& m) const {
    (void)NetSkillValid(m.skill);
    (void)NetRaceTimeValid(m.raceLength);
    for (std::uint16_t w : m.roundWeather) (void)NetWeatherValid(w);
  }
  void operator()(const NetRiderStateMessage& m) const { CheckState(m.state); }
  void operator()(const NetSnapshot& m) const {
    for (const NetRiderStateFields& s : m.states) CheckState(s);
  }
  void operator()(const NetAllFactors& m) const {
    for (const NetConditions& c : m.values) {
      for (float v : c) (void)NetConditionValid(v);
    }
  }
  void operator()(const NetResultMessage& m) const {
    (void)NetRaceTimeValid(m.finishTime);
    (void)NetRaceTimeValid(m.bestLap);
  }
  template <typename T>
  void operator()(const T&) const {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::uint8_t> message;
  if (data[0] < NET_MESSAGE_TYPES.size()) {
    const NetMessageType type = NET_MESSAGE_TYPES[data[0]];
    for (int i = 0; i < 4; ++i) message.push_back(static_cast<std::uint8_t>(type >> (8 * i)));
  }
  message.insert(message.end(), data + 1, data + size);

  const std::optional<NetMessageType> type = PeekNetMessageType(message);
  const std::size_t need = type ? NetMessageSize(*type) : 0;
  const std::optional<NetMessage> m = DecodeNetMessage(message);
  Check(m.has_value() == (need != 0 && message.size() >= need));
  if (!m) return 0;
  Check(m->type == *type);
  std::visit(Checker{}, m->body);

  const std::vector<std::uint8_t> once = EncodeNetMessage(*m);
  Check(once.size() == need);
  const std::optional<NetMessage> again = DecodeNetMessage(once);
  Check(again.has_value() && again->type == m->type);
  Check(EncodeNetMessage(*again) == once);
  return 0;
}
