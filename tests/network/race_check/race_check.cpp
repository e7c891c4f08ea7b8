// Reads the capture files of the machines of one network race (one line per
// message sent or received, and the machines' own state lines) and checks
// what the machines must agree on. Prints one line per failed check and
// "ok" when all hold; exits 1 on a failure.
//
//   race_check two HOST CLIENT       the start and the race between two
//                                    machines (35 s or more of it)
//   race_check loss HOST CLIENT      under loss: the start, the race goes
//                                    on, every guaranteed message arrives
//   race_check gone SURVIVOR         the other machine died: one player
//                                    left and the opponents gone
//   race_check migrate NEWHOST CLIENT   the host died: one new host
//                                    announced once, relaying the race
//   race_check hostile HOST CLIENT   a third machine flooded both: the
//                                    relay and the states kept their pace
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

// The messages sent between `start` and `end` (ms) per second.
double Rate(const Log& log, const std::string& kind, const std::string& type, long start, long end) {
  int n = 0;
  for (const Line* l : log.Of(kind, type)) {
    if (l->time >= start && l->time <= end) ++n;
  }
  return end > start ? n * 1000.0 / static_cast<double>(end - start) : 0.0;
}

struct Pos {
  long time;
  double x, y, z;
};

std::vector<Pos> Positions(const Log& log, const std::string& slot, const std::string& id) {
  std::vector<Pos> out;
  for (const Line* l : log.Of("POS")) {
    if (l->Field("slot") != slot || l->Field("id") != id || l->words.size() < 5) continue;
    out.push_back({l->time, std::atof(l->words[2].c_str()), std::atof(l->words[3].c_str()),
                   std::atof(l->words[4].c_str())});
  }
  return out;
}

double Distance(const Pos& a, const Pos& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Where the receiver shows the owner's rider, against where the owner's own
// log had it: no farther than the owner rode in two send periods (and the
// latency), from some position the owner held in that time.
void ExpectRemoteFollows(const Log& owner, const Log& receiver, const std::string& ownerId, long from, long to) {
  const std::vector<Pos> own = Positions(owner, "0", ownerId);
  const std::vector<Pos> seen = Positions(receiver, "1", ownerId);
  int checked = 0;
  int worst = 0;
  double worstBy = 0.0;
  for (const Pos& s : seen) {
    if (s.time < from || s.time > to) continue;
    std::vector<Pos> window;
    for (const Pos& o : own) {
      if (o.time >= s.time - 700 && o.time <= s.time + 100) window.push_back(o);
    }
    if (window.size() < 2) continue;
    double covered = 0.0;
    double nearest = 1e9;
    for (std::size_t i = 0; i < window.size(); ++i) {
      if (i > 0) covered += Distance(window[i - 1], window[i]);
      nearest = std::min(nearest, Distance(window[i], s));
    }
    ++checked;
    // Half a metre for the quantised position and the receiver's own
    // prediction between two states.
    if (nearest > covered + 0.5) {
      ++worst;
      worstBy = std::max(worstBy, nearest - covered);
    }
  }
  if (checked < 10) Fail(receiver.name + ": only " + std::to_string(checked) + " remote positions to compare");
  // A rider that crashes or is put back on the course moves in a jump that
  // the receiver follows one state late: one sample in a hundred may.
  if (worst * 100 > checked) {
    Fail(receiver.name + ": the remote rider strayed from its owner's path " + std::to_string(worst) + " times, by up to " +
         std::to_string(worstBy) + " m");
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

void ExpectClock(const Log& host) {
  long previous = -1;
  for (const Line* l : host.Of("SEND", "RACE_CLOCK")) {
    const long v = std::atol(l->Field("value").c_str());
    if (previous >= 0 && std::labs(v - previous - 15000) > 500) {
      Fail(host.name + ": RACE_CLOCK " + std::to_string(v) + " after " + std::to_string(previous));
    }
    previous = v;
  }
  if (previous < 0) Fail(host.name + ": no RACE_CLOCK sent");
}

std::string LocalId(const Log& log) {
  const auto v = log.Of("POS");
  for (const Line* l : v) {
    if (l->Field("slot") == "0") return l->Field("id");
  }
  return {};
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
  for (const auto& [log, kind, type] : {std::tuple{&client, "SEND", "RIDER_STATE"}, std::tuple{&host, "SEND", "SNAPSHOT"}}) {
    const double r = Rate(*log, kind, type, start + 1000, end - 1000);
    if (r < 3.5 || r > 5.5) Fail(log->name + ": " + type + " " + std::to_string(r) + " a second");
  }
  ExpectFactors(client, LocalId(host));
  ExpectClock(host);
  ExpectRemoteFollows(host, client, LocalId(host), start + 2000, end);
}

// The host died: the new one announced itself once and took over the
// relay; the other machine follows the new server player.
void CheckMigrate(const Log& newHost, const Log& client) {
  ExpectCount(newHost, "SEND", "NEW_SERVER", 1);
  ExpectCount(client, "SEND", "NEW_SERVER", 0);
  ExpectCount(client, "RECV", "NEW_SERVER", 1);
  if (LastState(newHost, "became_host") != "1") Fail(newHost.name + ": not raised as the new host");
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
// the client's states kept their pace, and no snapshot moved a machine's
// own rider.
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
  int snapshots = 0;
  int states = 0;
  for (const Line* l : client.Of("RECV", "SNAPSHOT")) {
    if (l->time > start + 1000 && l->time < end - 1000 && l->Field("from") == server) ++snapshots;
  }
  for (const Line* l : host.Of("RECV", "RIDER_STATE")) {
    if (l->time > start + 1000 && l->time < end - 1000 && l->Field("from") == clientId) ++states;
  }
  const double seconds = static_cast<double>(end - start - 2000) / 1000.0;
  if (snapshots < 3.5 * seconds) Fail(client.name + ": " + std::to_string(snapshots) + " snapshots from the host");
  if (states < 3.5 * seconds) Fail(host.name + ": " + std::to_string(states) + " rider states from the client");
  ExpectClock(host);
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
  } else if (what == "gone" && logs.size() == 1) {
    if (LastState(logs[0], "count") != "1") Fail(logs[0].name + ": the count is not 1");
    if (LastState(logs[0], "opponents_gone") != "1") Fail(logs[0].name + ": the opponents are not gone");
  } else if (what == "migrate" && logs.size() == 2) {
    CheckMigrate(logs[0], logs[1]);
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
