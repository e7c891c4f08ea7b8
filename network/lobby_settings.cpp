#include "network/lobby_settings.h"

#include <cstring>

#include "engine/text_database.h"

char g_NetModemNames[NET_MAX_MODEMS][NET_NAME_TEXT_SIZE];
std::uint8_t g_NetModemCount = 0;

namespace {

constexpr const char* kBaudRates[15] = {"110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",  "14400",
                                        "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::uint32_t kBaudRateValues[15] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                               19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr const char* kStopBits[3] = {"1.0", "1.5", "2.0"};

void Step(std::uint8_t* index, std::uint8_t top) {
  *index = *index < top ? static_cast<std::uint8_t>(*index + 1) : top;
}

bool SameGuid(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

const char* GameText(std::uint32_t first, std::uint8_t index, std::uint8_t count) {
  return index < count ? g_TextDatabase.Text(first + index) : "";
}

}  // namespace

void NetLobbySettings::SelectConnectionKind(std::uint8_t kind, std::span<const GUID> connections,
                                            std::span<const GUID, 4> kindProviders) {
  connectionIndex = 0;
  if (kind > NET_KIND_SERIAL) return;
  for (std::size_t i = 0; i < connections.size() && i < NET_MAX_CONNECTIONS; ++i) {
    if (SameGuid(connections[i], kindProviders[kind])) {
      connectionIndex = static_cast<std::uint8_t>(i);
      return;
    }
  }
}

void NetLobbySettings::IncrementModem() {
  Step(&modemIndex, g_NetModemCount > 0 ? static_cast<std::uint8_t>(g_NetModemCount - 1) : 0);
}
void NetLobbySettings::IncrementComPort() { Step(&comPortIndex, 3); }
void NetLobbySettings::IncrementBaudRate() { Step(&baudRateIndex, 14); }
void NetLobbySettings::IncrementParity() { Step(&parityIndex, 3); }
void NetLobbySettings::IncrementStopBits() { Step(&stopBitsIndex, 2); }
void NetLobbySettings::IncrementFlowControl() { Step(&flowControlIndex, 4); }

void NetLobbySettings::ScrollSessionList(std::uint8_t sessionCount) {
  const int top = sessionCount > NET_SESSION_ROWS ? sessionCount - NET_SESSION_ROWS : 0;
  Step(&firstShownSession, static_cast<std::uint8_t>(top));
}

const char* NetLobbySettings::GetModemText() const {
  if (g_NetModemCount == 0) return g_TextDatabase.Text(TEXT_NET_NO_MODEM);
  if (modemIndex >= g_NetModemCount || modemIndex >= NET_MAX_MODEMS) return "";
  char* name = g_NetModemNames[modemIndex];
  name[NET_NAME_TEXT_SIZE - 1] = '\0';
  return UpperCaseInPlace(name);
}

const char* NetLobbySettings::GetComPortText() const { return GameText(TEXT_NET_COM_PORT, comPortIndex, 4); }
const char* NetLobbySettings::GetBaudRateText() const { return baudRateIndex < 15 ? kBaudRates[baudRateIndex] : ""; }
const char* NetLobbySettings::GetParityText() const { return GameText(TEXT_NET_PARITY, parityIndex, 4); }
const char* NetLobbySettings::GetStopBitsText() const { return stopBitsIndex < 3 ? kStopBits[stopBitsIndex] : ""; }
const char* NetLobbySettings::GetFlowControlText() const {
  return GameText(TEXT_NET_FLOW_CONTROL, flowControlIndex, 5);
}

bool NetLobbySettings::SessionOfRow(std::uint8_t row, std::uint8_t sessionCount, std::uint8_t* session) const {
  const int i = firstShownSession + row;
  if (i >= sessionCount) return false;
  *session = static_cast<std::uint8_t>(i);
  return true;
}

const char* GetSessionText(const NetLobbySettings& settings, std::uint8_t row, std::span<char* const> sessionNames) {
  std::uint8_t i = 0;
  const auto count =
      static_cast<std::uint8_t>(sessionNames.size() < NET_MAX_SESSIONS ? sessionNames.size() : NET_MAX_SESSIONS);
  if (!settings.SessionOfRow(row, count, &i) || sessionNames[i] == nullptr) return "";
  return UpperCaseInPlace(sessionNames[i]);
}

const char* GetPlayerText(std::uint8_t slot, std::span<char* const, NET_PLAYER_SLOTS> shortNames) {
  if (slot >= NET_PLAYER_SLOTS || shortNames[slot] == nullptr || shortNames[slot][0] == '\0') return "";
  return UpperCaseInPlace(shortNames[slot]);
}

std::uint32_t NetBaudRate(std::uint8_t index) { return index < 15 ? kBaudRateValues[index] : 0; }
std::uint32_t NetStopBitsValue(std::uint8_t index) { return index < 3 ? index : 0; }
std::uint32_t NetParityValue(std::uint8_t index) { return index < 4 ? index : 0; }

std::uint32_t NetFlowControlValue(std::uint8_t index) {
  constexpr std::uint32_t kValues[5] = {0, 1, 3, 2, 4};
  return index < 5 ? kValues[index] : 0;
}

char* UpperCaseInPlace(char* text) {
  for (char* c = text; *c != '\0'; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  }
  return text;
}
