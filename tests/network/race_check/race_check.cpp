// Reads the capture files of the machines of one network race (one line per
// message sent or received, and the machines' own state lines) and checks
// what the machines must agree on. Prints one line per failed check and
// "ok" when all hold; exits 1 on a failure.
//
//   race_check two HOST CLIENT       the start and the race between two
//                                    machines (35 s or more of it), run
//                                    to its results
//   race_check loss HOST CLIENT      under loss: the start, the race goes
//                                    on, every guaranteed message arrives
//   race_check gone SURVIVOR         the other machine died: one player
//                                    left and the opponents gone
//   race_check migrate NEWHOST CLIENT   the host died: one new host
//                                    announced once, relaying the race
//                                    and making its results
//   race_check hostile HOST CLIENT   a third machine flooded both: the
//                                    relay and the states kept coming
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Line {
  long time = 0;
  std::string kind;  // SEND, RECV, POS, COND, RECORD, STATE, SYSTEM, SLOT0_CHANGED
  std::string type;  // the message's type, or the first word after the kind
  std::vector<std::string> words;  // everything after the kind
  std::string text;
  std::string Field(const std::string& name) const {
    for (const std::string& w : words) {
      if (w.size() > name.size() && w.compare(0, name.size() + 1, name + "=") == 0) return w.substr(name.size() + 1);
    }
    return {};
  }
};

struct Log {
  std::string name;
  std::vector<Line> lines;
  std::vector<const Line*> Of(const std::string& kind, const std::string& type = "") const {
    std::vector<const Line*> out;
    for (const Line& l : lines) {
      if (l.kind == kind && (type.empty() || l.type == type)) out.push_back(&l);
    }
    return out;
  }
};

int g_failures = 0;

void Fail(const std::string& why) {
  std::printf("FAIL %s\n", why.c_str());
  ++g_failures;
}

bool Load(const char* path, Log* log) {
  std::ifstream in(path);
  if (!in) {
    Fail(std::string("cannot read ") + path);
    return false;
  }
  log->name = path;
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream words(text);
    Line l;
    l.text = text;
    if (!(words >> l.time >> l.kind)) continue;
    std::string w;
    while (words >> w) l.words.push_back(w);
    if (!l.words.empty()) l.type = l.words[0];
    log->lines.push_back(std::move(l));
  }
  return true;
}

std::size_t Count(const Log& log, const std::string& kind, const std::string& type) { return log.Of(kind, type).size(); }

void ExpectCount(const Log& log, const std::string& kind, const std::string& type, std::size_t n) {
  const std::size_t got = Count(log, kind, type);
  if (got != n) Fail(log.name + ": " + kind + " " + type + " " + std::to_string(got) + " times, not " + std::to_string(n));
}

long FirstTime(const Log& log, const std::string& kind, const std::string& type) {
  const auto v = log.Of(kind, type);
  return v.empty() ? -1 : v.front()->time;
}

// The last STATE line's value of `name`.
std::string LastState(const Log& log, const std::string& name) {
  const auto v = log.Of("STATE");
  return v.empty() ? std::string() : v.back()->Field(name);
}

// Whether some STATE line gave `name` the value `value`.
bool EverState(const Log& log, const std::string& name, const std::string& value) {
  for (const Line* l : log.Of("STATE")) {
    if (l->Field(name) == value) return true;
  }
  return false;
}

// Every guaranteed message sent by one machine to the other arrives.
void ExpectGuaranteedArrive(const Log& from, const Log& to) {
  std::map<std::string, int> sent;
  std::map<std::string, int> got;
  // A message still on its way when the run was stopped is not counted.
  const long last = to.lines.empty() ? 0 : to.lines.back().time;
  for (const Line* l : from.Of("SEND")) {
    if (l->text.find(" guaranteed") != std::string::npos && l->time < last - 2000) ++sent[l->type];
  }
  for (const Line* l : to.Of("RECV")) ++got[l->type];
  for (const auto& [type, n] : sent) {
    if (got[type] < n) {
      Fail(to.name + ": " + std::to_string(got[type]) + " of " + std::to_string(n) + " guaranteed " + type +
           " arrived");
    }
  }
}

// One `type` sent at each state tick between `from` and `to` (ms), and the
// ticks five a second of the time their clock counts. A tick falls in the
// first frame past each 0.2 s, and the clock leaves out the tick's own
// frame (TICK frame=ms), so in real time they come 4.6 a second at the
// game's 60 frames a second and fewer as frames grow longer: a pace that
// follows the machine's speed, not a fault.
void ExpectTicks(const Log& log, const std::string& type, long from, long to) {
  if (to - from < 20000) {
    Fail(log.name + ": " + type + " sent for " + std::to_string(to - from) + " ms of the race only");
    return;
  }
  int ticks = 0;
  long unclocked = 0;
  for (const Line* l : log.Of("TICK")) {
    if (l->time < from || l->time > to) continue;
    ++ticks;
    unclocked += std::atol(l->Field("frame").c_str());
  }
  int sent = 0;
  for (const Line* l : log.Of("SEND", type)) {
    if (l->time >= from && l->time <= to) ++sent;
  }
  // A tick at either end of the span may have its message just outside.
  if (std::abs(sent - ticks) > 1) {
    Fail(log.name + ": " + std::to_string(sent) + " " + type + " for " + std::to_string(ticks) + " ticks");
  }
  const double clocked = static_cast<double>(to - from - unclocked) / 1000.0;
  const double pace = clocked > 0.0 ? ticks / clocked : 0.0;
  if (pace < 4.5 || pace > 5.5) {
    Fail(log.name + ": " + std::to_string(pace) + " ticks a second of the state clock (" +
         std::to_string(ticks * 1000.0 / static_cast<double>(to - from)) + " a second of real time)");
  }
}

std::string LocalId(const Log& log) {
  const auto v = log.Of("POS");
  for (const Line* l : v) {
    if (l->Field("slot") == "0") return l->Field("id");
  }
  return {};
}

struct Pos {
  long time;
  double x, y, z;
  bool crashed;
};

std::vector<Pos> Positions(const Log& log, const std::string& slot, const std::string& id) {
  std::vector<Pos> out;
  for (const Line* l : log.Of("POS")) {
    if (l->Field("slot") != slot || l->Field("id") != id || l->words.size() < 5) continue;
    out.push_back({l->time, std::atof(l->words[2].c_str()), std::atof(l->words[3].c_str()),
                   std::atof(l->words[4].c_str()), l->Field("crashed") == "1"});
  }
  return out;
}

double Distance(const Pos& a, const Pos& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// When `log`'s own rider stopped riding: it went into the pits or its race
// was over (an out rider's machine sends no states), else `end`.
long RidingUntil(const Log& log, long end) {
  for (const Line& l : log.lines) {
    if (l.kind == "SEND" && (l.type == "RIDER_OUT" || l.type == "RIDER_FINISHED")) return std::min(l.time, end);
  }
  return end;
}

// Where the receiver shows the owner's rider, against where the owner's own
// log had it at the same moment (between its two positions logged around
// it): no farther apart than the owner rode in the two send periods around
// that moment. The owner logs its rider at each of its state ticks, the
// receiver the remote rider at each of its own; both on the machine's clock.
void ExpectRemoteFollows(const Log& owner, const Log& receiver, const std::string& ownerId, long from, long to) {
  const std::vector<Pos> own = Positions(owner, "0", ownerId);
  const std::vector<Pos> seen = Positions(receiver, "1", ownerId);
  // The receiver's own rider, logged at the same ticks.
  std::map<long, Pos> local;
  for (const Pos& p : Positions(receiver, "0", LocalId(receiver))) local.emplace(p.time, p);
  int checked = 0;
  int strayed = 0;
  double worstBy = 0.0;
  // A machine that stalls for three send periods (a process the system did
  // not run) leaves the other's view of its rider to extrapolate, and then
  // catches up over its next frames: a second after either machine's stall
  // is left out, as are the moments around a crash, which throws the rider
  // in a way the receiver's own bike physics does not repeat, or around a
  // collision of the two riders, which each machine's physics resolves its
  // own way.
  std::vector<long> stalls;
  for (const std::vector<Pos>* v : {&own, &seen}) {
    for (std::size_t k = 1; k < v->size(); ++k) {
      if ((*v)[k].time - (*v)[k - 1].time > 600) stalls.push_back((*v)[k].time);
    }
  }
  for (const Pos& s : seen) {
    if (s.time < from || s.time > to) continue;
    std::size_t j = 0;
    while (j + 1 < own.size() && own[j + 1].time <= s.time) ++j;
    if (j < 2 || j + 3 >= own.size() || own[j].time > s.time) continue;
    bool left = s.crashed;
    for (std::size_t k = j - 2; k <= j + 2; ++k) left = left || own[k].crashed;
    for (long at : stalls) left = left || (s.time >= at && s.time - at < 1000);
    if (const auto near = local.find(s.time); near != local.end()) left = left || Distance(near->second, s) < 3.0;
    if (left) continue;
    const Pos& a = own[j];
    const Pos& b = own[j + 1];
    const double f = b.time > a.time ? static_cast<double>(s.time - a.time) / static_cast<double>(b.time - a.time) : 0.0;
    const Pos at{s.time, a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z), false};
    const double covered = Distance(own[j - 1], own[j]) + Distance(own[j], own[j + 1]);
    ++checked;
    // A metre, half a bike, for the quantised state and the receiver's
    // smoothing toward it.
    const double by = Distance(s, at) - covered;
    if (by > 1.0) {
      ++strayed;
      worstBy = std::max(worstBy, by);
    }
  }
  if (checked < 50) Fail(receiver.name + ": only " + std::to_string(checked) + " remote positions to compare");
  // Two riders that collide are pushed apart by each machine's own
  // physics: one sample in a hundred may stray.
  if (strayed * 100 > checked) {
    Fail(receiver.name + ": the remote rider strayed from its owner's path " + std::to_string(strayed) + " times of " +
         std::to_string(checked) + ", by up to " + std::to_string(worstBy) + " m");
  }
}

// The client's conditions of the host's rider after each ALL_FACTORS are
// the ones the host put in its slot 0, bit for bit.
void ExpectFactors(const Log& client, const std::string& hostId) {
  const auto received = client.Of("RECV", "ALL_FACTORS");
  if (received.empty()) Fail(client.name + ": no ALL_FACTORS arrived");
  for (std::size_t i = 0; i < client.lines.size(); ++i) {
    const Line& r = client.lines[i];
    if (r.kind != "RECV" || r.type != "ALL_FACTORS") continue;
    std::string sent;
    for (std::size_t w = 0; w + 5 < r.words.size(); ++w) {
      if (r.words[w] == "id0=" + hostId) {
        for (std::size_t k = 1; k <= 5; ++k) sent += " " + r.words[w + k];
      }
    }
    // The machine's own COND lines follow the message they were taken from.
    std::string taken;
    for (std::size_t j = i + 1; j < client.lines.size() && taken.empty(); ++j) {
      const Line& l = client.lines[j];
      if (l.kind == "RECV" && l.type == "ALL_FACTORS") break;
      if (l.kind != "COND" || l.Field("id") != hostId) continue;
      for (std::size_t k = 2; k < l.words.size(); ++k) taken += " " + l.words[k];
    }
    if (sent.empty() || sent != taken) Fail(client.name + ": conditions sent" + sent + ", taken" + taken);
  }
}

// ALL_FACTORS every 30 s of frame time, as the race clock counts it: two
// RACE_CLOCK (every 15 s) between each two of them, and never sooner than
// 30 s by the real clock. A race clock sent in the same frame as a cycle's
// end may fall on either side.
void ExpectFactorsCycle(const Log& host) {
  const auto sent = host.Of("SEND", "ALL_FACTORS");
  const auto clocks = host.Of("SEND", "RACE_CLOCK");
  if (sent.size() < 2) Fail(host.name + ": " + std::to_string(sent.size()) + " ALL_FACTORS sent, not a cycle");
  for (std::size_t k = 1; k < sent.size(); ++k) {
    const long a = sent[k - 1]->time;
    const long b = sent[k]->time;
    int inside = 0;
    bool nearEnd = false;
    for (const Line* c : clocks) {
      if (c->time > a && c->time < b) ++inside;
      if (std::labs(c->time - a) < 200 || std::labs(c->time - b) < 200) nearEnd = true;
    }
    if (b - a < 29500 || (inside != 2 && !(nearEnd && std::abs(inside - 2) == 1))) {
      Fail(host.name + ": ALL_FACTORS " + std::to_string(b - a) + " ms after the previous one, " + std::to_string(inside) +
           " race clocks between");
    }
  }
}

void ExpectClock(const Log& host) {
  long previous = -1;
  for (const Line* l : host.Of("SEND", "RACE_CLOCK")) {
    const long v = std::atol(l->Field("value").c_str());
    // One broadcast is a send to each player, all with the same value.
    if (v == previous) continue;
    if (previous >= 0 && std::labs(v - previous - 15000) > 500) {
      Fail(host.name + ": RACE_CLOCK " + std::to_string(v) + " after " + std::to_string(previous));
    }
    previous = v;
  }
  if (previous < 0) Fail(host.name + ": no RACE_CLOCK sent");
}

long LastTime(const Log& log) { return log.lines.empty() ? 0 : log.lines.back().time; }

// The start handshake and the race that follows it, up to the end of the
// shorter capture.
void CheckTwo(const Log& host, const Log& client, bool lossy) {
  for (const char* t : {"RACE_START", "ALL_READY", "ALL_INTRO_DONE", "START_RACE"}) {
    ExpectCount(host, "SEND", t, 1);
    ExpectCount(client, "RECV", t, 1);
  }
  for (const char* t : {"READY", "INTRO_DONE"}) {
    ExpectCount(client, "SEND", t, 1);
    ExpectCount(host, "RECV", t, 1);
  }
  const long start = FirstTime(host, "SEND", "START_RACE");
  const long started = FirstTime(client, "RECV", "START_RACE");
  if (start < 0 || started < 0 || started - start > 1000 || started < start) {
    Fail("the client entered racing " + std::to_string(started - start) + " ms after the host");
  }
  if (Count(host, "SLOT0_CHANGED", "") + Count(client, "SLOT0_CHANGED", "") != 0) {
    Fail("a snapshot moved its receiver's own rider");
  }
  ExpectGuaranteedArrive(host, client);
  ExpectGuaranteedArrive(client, host);
  const long end = std::min(LastTime(host), LastTime(client));
  if (start < 0 || end - start < 35000) {
    Fail("the race ran " + std::to_string(end - start) + " ms only");
    return;
  }
  if (Count(host, "SEND", "ALL_FACTORS") == 0) Fail(host.name + ": no ALL_FACTORS sent");
  if (lossy) return;
  // The client sends a state at every tick while its rider rides; the host
  // relays a snapshot at every tick until the race scene ends.
  const long clientRides = RidingUntil(client, end);
  const auto snapshots = host.Of("SEND", "SNAPSHOT");
  const long relayed = snapshots.empty() ? start : std::min(end, snapshots.back()->time);
  ExpectTicks(client, "RIDER_STATE", start + 1000, clientRides - 1000);
  ExpectTicks(host, "SNAPSHOT", start + 1000, relayed - 1000);
  ExpectFactors(client, LocalId(host));
  ExpectFactorsCycle(host);
  ExpectClock(host);
  ExpectRemoteFollows(host, client, LocalId(host), start + 2000, RidingUntil(host, end));
  ExpectRemoteFollows(client, host, LocalId(client), start + 2000, clientRides);
}

// The host died: the new one announced itself once and took over the
// relay; the other machine follows the new server player.
void CheckMigrate(const Log& newHost, const Log& client) {
  ExpectCount(newHost, "SEND", "NEW_SERVER", 1);
  ExpectCount(client, "SEND", "NEW_SERVER", 0);
  ExpectCount(client, "RECV", "NEW_SERVER", 1);
  // The flag holds until a screen shows its notice.
  if (!EverState(newHost, "became_host", "1")) Fail(newHost.name + ": not raised as the new host");
  const auto announced = client.Of("RECV", "NEW_SERVER");
  if (announced.empty()) return;
  const std::string server = announced.front()->Field("value");
  int snapshots = 0;
  for (const Line* l : client.Of("RECV", "SNAPSHOT")) {
    if (l->time > announced.front()->time && l->Field("from") == server) ++snapshots;
  }
  if (snapshots < 20) Fail(client.name + ": " + std::to_string(snapshots) + " snapshots from the new host");
  int states = 0;
  for (const Line* l : client.Of("SEND", "RIDER_STATE")) {
    if (l->time > announced.front()->time && l->Field("to") == server) ++states;
  }
  if (states < 20) Fail(client.name + ": " + std::to_string(states) + " rider states to the new host");
}

// A third machine flooded both with damaged messages: the host's relay and
// the client's states kept coming, and no snapshot moved a machine's own
// rider.
void CheckHostile(const Log& host, const Log& client) {
  const long start = FirstTime(host, "SEND", "START_RACE");
  const long end = std::min(LastTime(host), LastTime(client));
  if (start < 0 || end - start < 35000) {
    Fail("the race ran " + std::to_string(end - start) + " ms only");
    return;
  }
  if (Count(host, "SLOT0_CHANGED", "") + Count(client, "SLOT0_CHANGED", "") != 0) {
    Fail("a snapshot moved its receiver's own rider");
  }
  const std::string server = host.Of("SEND", "SNAPSHOT").empty() ? "" : host.Of("SEND", "SNAPSHOT").front()->Field("from");
  const std::string clientId = LocalId(client);
  // A flood slows the sanitized games' frames, and a frame sends one state
  // at most: the pace may drop, but neither stream may stop for as long as
  // would count a machine gone.
  const auto longestGap = [&](const Log& log, const std::string& type, const std::string& from, long until) {
    long previous = start;
    long longest = 0;
    for (const Line* l : log.Of("RECV", type)) {
      if (l->time <= start || l->time > until || l->Field("from") != from) continue;
      longest = std::max(longest, l->time - previous);
      previous = l->time;
    }
    return std::max(longest, until - previous);
  };
  const long snapshotGap = longestGap(client, "SNAPSHOT", server, end);
  // Until the client's rider is out: its machine sends no states then.
  const long stateGap = longestGap(host, "RIDER_STATE", clientId, RidingUntil(client, end));
  if (snapshotGap > 15000) Fail(client.name + ": no snapshot from the host for " + std::to_string(snapshotGap) + " ms");
  if (stateGap > 15000) Fail(host.name + ": no state from the client for " + std::to_string(stateGap) + " ms");
  ExpectClock(host);
}

// The last result records a machine wrote (the host's as it sent them, a
// client's once RESULTS_DONE arrived), by player id, in its slot order.
std::vector<const Line*> LastRecords(const Log& log) {
  std::vector<const Line*> block;
  bool inBlock = false;
  for (const Line& l : log.lines) {
    if (l.kind != "RECORD") {
      inBlock = false;
      continue;
    }
    if (!inBlock) block.clear();
    inBlock = true;
    block.push_back(&l);
  }
  return block;
}

std::string RecordFields(const Line& l) {
  std::string out;
  for (const char* f : {"place", "time", "best", "laps", "out"}) out += std::string(" ") + f + "=" + l.Field(f);
  return out;
}

// Sends of `type` from `log`, counted per receiver.
std::map<std::string, int> SendsTo(const Log& log, const std::string& type) {
  std::map<std::string, int> to;
  for (const Line* l : log.Of("SEND", type)) ++to[l->Field("to")];
  return to;
}

// The race ran to its results: every machine reported its rider's end once
// to each of the others; a client whose rider finished sent its result to
// the host, one that was out sent none; the host sent every record to every
// client and then RESULTS_DONE, each arriving once; the final order places
// each rider once, the riders out below every finisher and in the host's
// slot order; and every machine holds the host's records field for field.
void CheckResults(const Log& host, const std::vector<const Log*>& clients) {
  const std::vector<const Line*> order = LastRecords(host);
  const std::size_t players = order.size();
  if (players != clients.size() + 1) {
    Fail(host.name + ": " + std::to_string(players) + " result records for " + std::to_string(clients.size() + 1) +
         " players");
  }
  std::vector<bool> placed(players + 1, false);
  bool outSeen = false;
  int lastOutPlace = 0;
  for (const Line* r : order) {
    const int place = std::atoi(r->Field("place").c_str());
    if (place < 1 || place > static_cast<int>(players) || placed[static_cast<std::size_t>(place)]) {
      Fail(host.name + ": place " + r->Field("place") + " of " + std::to_string(players) + " given twice or out of range");
      continue;
    }
    placed[static_cast<std::size_t>(place)] = true;
    if (r->Field("out") == "1") {
      if (r->Field("time") != "0" || r->Field("best") != "0" || r->Field("laps") != "0") {
        Fail(host.name + ": a rider out keeps its times:" + RecordFields(*r));
      }
      if (place < lastOutPlace) Fail(host.name + ": the riders out are not placed in slot order");
      lastOutPlace = place;
      outSeen = true;
    } else if (outSeen || place <= lastOutPlace) {
      Fail(host.name + ": a finisher placed below a rider out:" + RecordFields(*r));
    }
  }
  std::map<std::string, std::string> hostRecords;
  for (const Line* r : order) hostRecords[r->Field("id")] = RecordFields(*r);
  for (const auto& [to, n] : SendsTo(host, "RIDER_FINISHED")) {
    if (n != 1) Fail(host.name + ": RIDER_FINISHED sent " + std::to_string(n) + " times to " + to);
  }
  const auto doneTo = SendsTo(host, "RESULTS_DONE");
  const auto resultsTo = SendsTo(host, "RESULT");
  for (const Log* c : clients) {
    const std::string id = LocalId(*c);
    const auto finished = c->Of("SEND", "RIDER_FINISHED");
    if (finished.empty()) Fail(c->name + ": its rider's end was not reported");
    for (const auto& [to, n] : SendsTo(*c, "RIDER_FINISHED")) {
      if (n != 1) Fail(c->name + ": RIDER_FINISHED sent " + std::to_string(n) + " times to " + to);
    }
    bool heard = false;
    for (const Line* l : host.Of("RECV", "RIDER_FINISHED")) heard = heard || l->Field("from") == id;
    if (!heard) Fail(host.name + ": no RIDER_FINISHED from " + id);
    const bool out = !finished.empty() && finished.front()->Field("value") == "1";
    ExpectCount(*c, "SEND", "RESULT", out ? 0 : 1);
    const auto got = doneTo.find(id);
    if (got == doneTo.end() || got->second != 1) Fail(host.name + ": RESULTS_DONE not sent once to " + id);
    const auto sent = resultsTo.find(id);
    if (sent == resultsTo.end() || sent->second != static_cast<int>(players)) {
      Fail(host.name + ": " + std::to_string(sent == resultsTo.end() ? 0 : sent->second) + " RESULT sent to " + id +
           ", not one per player");
    }
    ExpectCount(*c, "RECV", "RESULTS_DONE", 1);
    ExpectCount(*c, "RECV", "RESULT", players);
    std::map<std::string, std::string> records;
    for (const Line* r : LastRecords(*c)) records[r->Field("id")] = RecordFields(*r);
    if (records != hostRecords) {
      std::string both;
      for (const auto& [k, v] : hostRecords) both += " host " + k + v + ";";
      for (const auto& [k, v] : records) both += " client " + k + v + ";";
      Fail(c->name + ": the result records differ from the host's:" + both);
    }
  }
  if (doneTo.size() != clients.size()) {
    Fail(host.name + ": RESULTS_DONE sent to " + std::to_string(doneTo.size()) + " players, not " +
         std::to_string(clients.size()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  std::vector<Log> logs(static_cast<std::size_t>(argc > 2 ? argc - 2 : 0));
  for (int i = 2; i < argc; ++i) {
    if (!Load(argv[i], &logs[static_cast<std::size_t>(i - 2)])) return 1;
  }
  if ((what == "two" || what == "loss") && logs.size() == 2) {
    CheckTwo(logs[0], logs[1], what == "loss");
    if (what == "two") CheckResults(logs[0], {&logs[1]});
  } else if (what == "gone" && logs.size() == 1) {
    if (LastState(logs[0], "count") != "1") Fail(logs[0].name + ": the count is not 1");
    if (LastState(logs[0], "opponents_gone") != "1") Fail(logs[0].name + ": the opponents are not gone");
  } else if (what == "migrate" && logs.size() == 2) {
    CheckMigrate(logs[0], logs[1]);
    CheckResults(logs[0], {&logs[1]});
  } else if (what == "hostile" && logs.size() == 2) {
    CheckHostile(logs[0], logs[1]);
  } else {
    std::fprintf(stderr, "usage: race_check two|loss HOST CLIENT | gone SURVIVOR | migrate NEWHOST CLIENT | hostile HOST CLIENT\n");
    return 2;
  }
  if (g_failures != 0) return 1;
  std::printf("ok\n");
  return 0;
}
