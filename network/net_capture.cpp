#include "network/net_capture.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "network/net_messages.h"
#include "platform/win32/timer.h"

namespace {

std::FILE* g_file = nullptr;
bool g_tried = false;

std::FILE* File() {
  if (!g_tried) {
    g_tried = true;
    const char* path = std::getenv("KELVARRO_NET_LOG");
    if (path != nullptr && *path != '\0') {
      g_file = std::fopen(path, "w");
      // Line by line: a machine that is killed mid-race leaves all it saw.
      if (g_file) std::setvbuf(g_file, nullptr, _IOLBF, 0);
    }
  }
  return g_file;
}

// Condition values as their bit patterns, so that a checker compares them
// exactly.
std::uint32_t Bits(float v) {
  std::uint32_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

void AppendConditions(std::string* line, const NetConditions& values) {
  char part[16];
  for (float v : values) {
    std::snprintf(part, sizeof part, " %08" PRIx32, Bits(v));
    *line += part;
  }
}

void AppendState(std::string* line, const NetRiderStateFields& s) {
  char part[64];
  std::snprintf(part, sizeof part, " %d %d %d", s.position[0], s.position[1], s.position[2]);
  *line += part;
}

std::string Fields(std::span<const std::uint8_t> bytes) {
  const std::optional<NetMessage> m = DecodeNetMessage(bytes);
  if (!m) return " short";
  std::string line;
  char part[96];
  if (const auto* v = std::get_if<NetValue>(&m->body)) {
    std::snprintf(part, sizeof part, " value=%" PRIu32, v->value);
    line += part;
  } else if (const auto* s = std::get_if<NetRiderStateMessage>(&m->body)) {
    line += " pos";
    AppendState(&line, s->state);
  } else if (const auto* snap = std::get_if<NetSnapshot>(&m->body)) {
    for (std::size_t k = 0; k < NET_SLOTS; ++k) {
      std::snprintf(part, sizeof part, " id%zu=%" PRIu32, k, snap->playerIds[k]);
      line += part;
      AppendState(&line, snap->states[k]);
    }
  } else if (const auto* f = std::get_if<NetRiderFactors>(&m->body)) {
    line += " cond";
    AppendConditions(&line, f->values);
  } else if (const auto* all = std::get_if<NetAllFactors>(&m->body)) {
    for (std::size_t k = 0; k < NET_SLOTS; ++k) {
      std::snprintf(part, sizeof part, " id%zu=%" PRIu32, k, all->playerIds[k]);
      line += part;
      AppendConditions(&line, all->values[k]);
    }
  } else if (const auto* r = std::get_if<NetResultMessage>(&m->body)) {
    std::snprintf(part, sizeof part, " id=%" PRIu32 " place=%u time=%" PRIu32 " best=%" PRIu32 " laps=%u out=%u",
                  r->playerId, r->position, r->finishTime.totalMs, r->bestLap.totalMs, r->laps, r->out);
    line += part;
  } else if (const auto* start = std::get_if<NetRaceStart>(&m->body)) {
    std::snprintf(part, sizeof part, " event=%u weather=%u", start->eventIndex & 0xFF, start->weather);
    line += part;
  } else if (const auto* info = std::get_if<NetPlayerInfo>(&m->body)) {
    std::snprintf(part, sizeof part, " id=%" PRIu32 " rider=%u", info->playerId, info->riderNumber);
    line += part;
  }
  return line;
}

}  // namespace

bool NetCaptureOn() { return File() != nullptr; }

const char* NetMessageName(std::uint32_t type) {
  switch (type) {
    case NET_MSG_SELECTION: return "SELECTION";
    case NET_MSG_EVENT_OPTION: return "EVENT_OPTION";
    case NET_MSG_PLAYER_INFO: return "PLAYER_INFO";
    case NET_MSG_RACE_SETUP: return "RACE_SETUP";
    case NET_MSG_HELLO: return "HELLO";
    case NET_MSG_CONFIRM: return "CONFIRM";
    case NET_MSG_PLAYER_TEXT: return "PLAYER_TEXT";
    case NET_MSG_RACE_START: return "RACE_START";
    case NET_MSG_READY: return "READY";
    case NET_MSG_ALL_READY: return "ALL_READY";
    case NET_MSG_NEW_SERVER: return "NEW_SERVER";
    case NET_MSG_RIDER_OUT: return "RIDER_OUT";
    case NET_MSG_RIDER_BACK: return "RIDER_BACK";
    case NET_MSG_INTRO_DONE: return "INTRO_DONE";
    case NET_MSG_ALL_INTRO_DONE: return "ALL_INTRO_DONE";
    case NET_MSG_START_RACE: return "START_RACE";
    case NET_MSG_RIDER_STATE: return "RIDER_STATE";
    case NET_MSG_SNAPSHOT: return "SNAPSHOT";
    case NET_MSG_RIDER_FACTORS: return "RIDER_FACTORS";
    case NET_MSG_ALL_FACTORS: return "ALL_FACTORS";
    case NET_MSG_RIDER_STATE_2: return "RIDER_STATE_2";
    case NET_MSG_RACE_CLOCK: return "RACE_CLOCK";
    case NET_MSG_LAST_LAP: return "LAST_LAP";
    case NET_MSG_RIDER_FINISHED: return "RIDER_FINISHED";
    case NET_MSG_RESULT: return "RESULT";
    case NET_MSG_RESULTS_DONE: return "RESULTS_DONE";
    default: return "UNKNOWN";
  }
}

void NetCaptureMessage(bool sent, std::uint32_t from, std::uint32_t to, std::span<const std::uint8_t> bytes,
                       bool guaranteed) {
  std::FILE* f = File();
  if (!f) return;
  const std::optional<NetMessageType> type = PeekNetMessageType(bytes);
  std::fprintf(f, "%" PRIu32 " %s %s size=%zu from=%" PRIu32 " to=%" PRIu32 "%s%s\n", timeGetTime(),
               sent ? "SEND" : "RECV", type ? NetMessageName(*type) : "UNKNOWN", bytes.size(), from, to,
               sent && guaranteed ? " guaranteed" : "", Fields(bytes).c_str());
}

void NetCaptureSystem(std::uint32_t type, std::size_t size) {
  std::FILE* f = File();
  if (!f) return;
  std::fprintf(f, "%" PRIu32 " SYSTEM %" PRIu32 " size=%zu\n", timeGetTime(), type, size);
}

void NetCaptureNote(const char* what, const char* format, ...) {
  std::FILE* f = File();
  if (!f) return;
  char details[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(details, sizeof details, format, args);
  va_end(args);
  std::fprintf(f, "%" PRIu32 " %s %s\n", timeGetTime(), what, details);
}
