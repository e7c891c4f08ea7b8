#include "tools/frontend_files.h"

#include "tools/course_set.h"

namespace kelvdata {

namespace {

void Name(ByteWriter* w, const std::string& s) {
  w->U32(static_cast<std::uint32_t>(s.size() + 1));
  w->Raw(s.data(), s.size());
  w->U8(0);
}

void Setup(ByteWriter* w, const SetupValues& values) {
  for (float v : values) w->F32(v);
}

void Entry(ByteWriter* w, const RltEntrySpec& e) {
  w->U16(e.unused);
  w->U16(e.sceneNumber);
  Name(w, e.trackName);
  Name(w, e.name2);
  Name(w, e.name3);
  w->U8(e.playerAtBack);
  w->U16(e.entryFee);
  for (std::uint16_t p : e.prizes) w->U16(p);
  w->U16(e.weather);
  for (std::uint16_t t : e.trackInfo) w->U16(t);
  w->U16(e.lapMinutes);
  w->U16(e.lapSeconds);
  w->U16(e.lapHundredths);
  Setup(w, e.setup);
}

// Bytes of the file before entry `entry`, plus its head and names.
std::size_t EntryNamesEnd(const RltSpec& spec, std::size_t entry) {
  ByteWriter w;
  w.U16(spec.startMoney);
  w.U16(static_cast<std::uint16_t>(spec.entries.size()));
  for (std::size_t i = 0; i < entry; ++i) Entry(&w, spec.entries[i]);
  const RltEntrySpec& e = spec.entries[entry];
  return w.Size() + 4 + 3 * 4 + e.trackName.size() + e.name2.size() + e.name3.size() + 3;
}

}  // namespace

Bytes BuildRlt(const RltSpec& spec) {
  ByteWriter w;
  w.U16(spec.startMoney);
  w.U16(static_cast<std::uint16_t>(spec.entries.size()));
  for (const RltEntrySpec& e : spec.entries) Entry(&w, e);
  return w.Take();
}

std::size_t RltLapRecordOffset(const RltSpec& spec, std::size_t entry) {
  return EntryNamesEnd(spec, entry) + 1 + 8 * 2;
}

std::size_t RltSetupOffset(const RltSpec& spec, std::size_t entry) { return EntryNamesEnd(spec, entry) + 1 + 11 * 2; }

Bytes BuildPlt(const std::vector<PltRecordSpec>& records) {
  ByteWriter w;
  for (const PltRecordSpec& r : records) {
    w.U16(r.riderNumber);
    Name(&w, r.extraText);
    Name(&w, r.name);
    Name(&w, r.riderFile);
    for (std::uint8_t rating : r.ratings) w.U8(rating);
  }
  return w.Take();
}

Bytes BuildSvd(const SvdSpec& s) {
  ByteWriter w;
  Name(&w, s.label);
  w.U8(s.skill);
  w.U32(s.riderCount);
  w.U16(s.minutes);
  w.U8(s.damages);
  w.U8(s.weatherOption);
  w.U16(s.current);
  w.U16(s.previous);
  w.U16(s.weather);
  w.U16(s.chosenRider);
  Name(&w, s.playerName);
  w.U16(s.money);
  for (float c : s.conditions) w.F32(c);
  Setup(&w, s.setup);
  for (const auto& slot : s.positions) w.Raw(slot.data(), slot.size());
  for (const auto& slot : s.noScore) w.Raw(slot.data(), slot.size());
  w.Raw(s.played.data(), s.played.size());
  return w.Take();
}

RltSpec SyntheticRlt(int skill) {
  static const char* const kTracks[DATA_SET_ROUNDS] = {"ALDER", "BRACKEN", "CINDER", "DUNMORE", "ESKER",
                                          "FELLGATE", "GRITSTONE", "HOLLOW", "IRONBANK", "BRAZIL"};
  RltSpec spec;
  spec.startMoney = static_cast<std::uint16_t>(3000 - 500 * skill);
  for (int i = 0; i < DATA_SET_ROUNDS; ++i) {
    RltEntrySpec e;
    e.unused = static_cast<std::uint16_t>(i);
    const int course = DataSetRoundCourse(i);
    e.sceneNumber = static_cast<std::uint16_t>(DataSetCourseScene(course));
    e.trackName = kTracks[i];
    e.name2 = std::string(kTracks[i]) + " OPEN";
    e.name3 = "ROUND " + std::to_string(i + 1);
    e.playerAtBack = i == 0 ? 1 : 0;
    e.entryFee = static_cast<std::uint16_t>(200 + 50 * i + 100 * skill);
    e.prizes[0] = static_cast<std::uint16_t>(1000 + 100 * skill);
    e.prizes[1] = 600;
    e.prizes[2] = 300;
    e.trackInfo[0] = DataSetCourseOf(course).ground;
    e.trackInfo[1] = DataSetCourseOf(course).length;
    e.trackInfo[2] = DataSetCourseOf(course).jumps;
    e.lapMinutes = 1;
    e.lapSeconds = static_cast<std::uint16_t>(20 + i);
    e.lapHundredths = static_cast<std::uint16_t>(10 * i);
    for (std::size_t v = 0; v < e.setup.size(); ++v) e.setup[v] = 0.5f;
    spec.entries.push_back(e);
  }
  return spec;
}

std::vector<PltRecordSpec> SyntheticPlt(int skill) {
  static const char* const kNames[20] = {"GARRIK VOLSTAN", "ODA MERRIN",   "TAVISH ROOKE",  "LENA KORVITZ",
                                         "BRAM OSTERHOLT", "CLEO VANTREE", "DAREK SOLL",    "INGA FARROW",
                                         "MILO BRACKETT",  "PETRA LUND",   "RUFUS HALLORAN", "SANNE DRIEL",
                                         "TOMAS KELLAN",   "UNA BRIGHTWELL", "VIKTOR ASH",  "WREN CALDER",
                                         "YUSUF MARLOW",   "ZARA QUILL",   "NILS ORMOND",   "ELSA FENWICK"};
  std::vector<PltRecordSpec> records(20);
  for (int i = 0; i < 20; ++i) {
    PltRecordSpec& r = records[static_cast<std::size_t>(i)];
    r.riderNumber = static_cast<std::uint16_t>(i);
    r.extraText = std::string(1, static_cast<char>('A' + i));
    r.name = kNames[i];
    r.riderFile = "DATA\\TRACK\\RIDER" + std::to_string(i) + ".RDR";
    for (int k = 0; k < 6; ++k) r.ratings[k] = static_cast<std::uint8_t>(40 + (i * 7 + k * 11 + skill * 5) % 60);
  }
  return records;
}

}  // namespace kelvdata
