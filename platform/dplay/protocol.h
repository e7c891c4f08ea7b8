// The layer's own wire protocol between machines, versioned and checked.
// Only the game's message bodies (DATA) are opaque. Little-endian, strings
// as a length byte and that many bytes (at most 255, no NUL).
//
// A listing's question and answer travel as plain datagrams that begin with
// the magic "KDP" and the version. Inside a connection each packet begins
// with its kind; the first packet each way (JOIN, WELCOME, LINK) carries the
// magic and version again, and a machine of another version is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace dplay {

constexpr std::uint8_t PROTOCOL_VERSION = 1;
// Every machine's players: ids are node * 256 + 1..255, so no id is 0 or 1
// and the owner of an id is known from the id itself.
constexpr std::uint32_t MAX_NODE_ID = 0xFFFFFF;
constexpr std::size_t MAX_LIST_PLAYERS = 64;
constexpr std::size_t MAX_NODES = 32;
// The largest game message carried.
constexpr std::size_t MAX_PAYLOAD = 65536;

enum class Kind : std::uint8_t {
  QUERY = 1,    // datagram: which sessions of this application are there?
  SESSION = 2,  // datagram: a host's answer
  JOIN = 3,     // joiner -> host
  WELCOME = 4,  // host -> joiner: its node id and the other machines
  REFUSE = 5,   // host -> joiner
  LINK = 6,     // between two machines of a session, each way once
  CREATE = 7,   // a player of the sender's
  DESTROY = 8,
  NAME = 9,
  DATA = 10,  // a game message
  DESC = 11,  // the host's new session description
};

struct PlayerRecord {
  std::uint32_t id = 0;
  std::string shortName;
  std::string longName;
};

struct NodeRecord {
  std::uint32_t node = 0;
  std::uint32_t ip = 0;  // IPv4, host byte order
  std::uint16_t port = 0;
};

struct Packet {
  Kind kind = Kind::QUERY;
  GUID application{};
  GUID instance{};
  bool availableOnly = false;  // QUERY
  std::uint32_t flags = 0;     // SESSION, WELCOME, DESC
  std::uint32_t maxPlayers = 0;
  std::uint32_t currentPlayers = 0;
  std::string name;              // session name
  std::uint32_t node = 0;        // WELCOME: the joiner's; LINK: the sender's
  std::uint32_t hostNode = 0;    // WELCOME
  std::uint32_t nextNode = 0;    // WELCOME, LINK: the next free node id known
  std::uint8_t reason = 0;       // REFUSE
  std::vector<NodeRecord> nodes;     // WELCOME: the other machines
  std::vector<PlayerRecord> players;  // SESSION, WELCOME, LINK; CREATE and NAME: one
  std::uint32_t id = 0;               // DESTROY
  std::uint32_t from = 0;             // DATA
  std::uint32_t to = 0;
  std::vector<std::uint8_t> payload;  // DATA
};

enum RefuseReason : std::uint8_t { REFUSE_NO_SESSION = 1, REFUSE_DISABLED = 2, REFUSE_FULL = 3 };

// Datagram kinds (QUERY, SESSION) carry the magic and version; the others are
// the packets of a connection.
std::vector<std::uint8_t> Encode(const Packet& packet);
// False for anything that is not exactly one well-formed packet of our
// version: short, long, unknown kind, a count or length out of range.
bool Decode(const std::uint8_t* data, std::size_t size, Packet* out);

}  // namespace dplay
