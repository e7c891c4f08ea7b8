// The lobby's choices behind the connection and session screens: the
// connection kind, the modem and serial-port settings stepped by the lobby's
// buttons, the first session row shown, and the texts those screens show.
// Texts are never freed by the caller: game texts, the literals below, or
// names kept in the network game's tables, which are upper-cased in place
// when shown (a name shown once stays upper-case).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/win32/types.h"

constexpr std::size_t NET_MAX_CONNECTIONS = 50;
constexpr std::size_t NET_MAX_SESSIONS = 50;
constexpr std::size_t NET_MAX_MODEMS = 50;
constexpr std::size_t NET_NAME_TEXT_SIZE = 256;
constexpr std::uint8_t NET_SESSION_ROWS = 7;
constexpr std::uint8_t NET_PLAYER_SLOTS = 7;

// Game texts of the settings.
constexpr std::uint32_t TEXT_NET_NO_MODEM = 995;
constexpr std::uint32_t TEXT_NET_COM_PORT = 996;       // 996..999: COM1..COM4
constexpr std::uint32_t TEXT_NET_PARITY = 1000;        // 1000..1003: none, odd, even, mark
constexpr std::uint32_t TEXT_NET_FLOW_CONTROL = 1004;  // 1004..1008: none, XON/XOFF, DTR, RTS, RTS and DTR

// Connection kinds as the lobby's buttons pass them.
constexpr std::uint8_t NET_KIND_IPX = 0;
constexpr std::uint8_t NET_KIND_TCPIP = 1;
constexpr std::uint8_t NET_KIND_MODEM = 2;
constexpr std::uint8_t NET_KIND_SERIAL = 3;

// The installed modems' names, as the modem enumeration stores them.
extern char g_NetModemNames[NET_MAX_MODEMS][NET_NAME_TEXT_SIZE];
extern std::uint8_t g_NetModemCount;

struct NetLobbySettings {
  std::uint8_t connectionIndex = 0;
  std::uint8_t modemIndex = 0;
  std::uint8_t comPortIndex = 0;      // 0..3
  std::uint8_t baudRateIndex = 0;     // 0..14
  std::uint8_t parityIndex = 0;       // 0..3
  std::uint8_t stopBitsIndex = 0;     // 0..2
  std::uint8_t flowControlIndex = 0;  // 0..4
  std::uint8_t firstShownSession = 0;

  // connectionIndex := the first of `connections` (the installed
  // connections' service providers, in order) whose provider is the kind's
  // in `kindProviders` (IPX, TCP/IP, modem, serial); 0 when there is none or
  // the kind is above 3.
  void SelectConnectionKind(std::uint8_t kind, std::span<const GUID> connections,
                            std::span<const GUID, 4> kindProviders);

  // Each steps its index up by one and holds it at the top of its range.
  void IncrementModem();  // held at g_NetModemCount - 1, 0 without modems
  void IncrementComPort();
  void IncrementBaudRate();
  void IncrementParity();
  void IncrementStopBits();
  void IncrementFlowControl();
  // Held at sessionCount - 7 and never below 0.
  void ScrollSessionList(std::uint8_t sessionCount);

  // The chosen modem's name upper-cased in place; game text 995 without
  // modems; "" for an index past the modems.
  const char* GetModemText() const;
  // The current index's text; "" for an index outside its range.
  const char* GetComPortText() const;
  const char* GetBaudRateText() const;
  const char* GetParityText() const;
  const char* GetStopBitsText() const;
  const char* GetFlowControlText() const;

  // The index in the whole session list of a row of the session screen, when
  // that row shows a session.
  bool SessionOfRow(std::uint8_t row, std::uint8_t sessionCount, std::uint8_t* session) const;
};

// Session row `row`'s name, upper-cased in place: `sessionNames` holds the
// listed sessions' names in list order (their count is the session count;
// a null name shows as ""); a row past the list shows "".
const char* GetSessionText(const NetLobbySettings& settings, std::uint8_t row, std::span<char* const> sessionNames);
// Slot `slot`'s DirectPlay short name upper-cased in place, for slots 0..6
// with a name; "" otherwise.
const char* GetPlayerText(std::uint8_t slot, std::span<char* const, NET_PLAYER_SLOTS> shortNames);

// What the chosen settings mean in a serial-port address: the rate in
// bits per second (0 outside 0..14), the stop bits and parity as their
// indices (0 outside their ranges), the flow-control value (none 0,
// XON/XOFF 1, DTR 3, RTS 2, RTS and DTR 4; 0 outside the range).
std::uint32_t NetBaudRate(std::uint8_t index);
std::uint32_t NetStopBitsValue(std::uint8_t index);
std::uint32_t NetParityValue(std::uint8_t index);
std::uint32_t NetFlowControlValue(std::uint8_t index);

// ASCII letters a..z upper-cased in place; returns the text.
char* UpperCaseInPlace(char* text);
