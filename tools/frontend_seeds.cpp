// Seeds of the results-table, players-list and save-game readers.
#include "tools/frontend_files.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

Bytes Truncated(Bytes b, std::size_t keep) {
  b.resize(keep < b.size() ? keep : b.size());
  return b;
}

}  // namespace

SvdSpec SyntheticSvd() {
  SvdSpec s;
  s.label = "ROUND THREE";
  s.riderCount = 8;
  s.current = 2;
  s.previous = 1;
  s.weather = 1;
  s.chosenRider = 3;
  s.playerName = "SEED PLAYER";
  s.money = 2500;
  for (std::size_t v = 0; v < s.setup.size(); ++v) s.setup[v] = 0.25f;
  const std::size_t rounds = SyntheticRlt(0).entries.size();
  for (std::uint32_t i = 0; i < s.riderCount; ++i) {
    std::vector<std::uint8_t> positions(rounds * 2, 0), noScore(rounds * 2, 0);
    for (std::size_t m = 0; m < 4; ++m) positions[m] = static_cast<std::uint8_t>(1 + (i + m) % 8);
    if (i == 5) noScore[1] = 1;
    s.positions.push_back(positions);
    s.noScore.push_back(noScore);
  }
  s.played.assign(rounds, 0);
  s.played[0] = s.played[1] = 1;
  return s;
}

bool WriteRltSeeds(const std::string& dir) {
  const Bytes full = BuildRlt(SyntheticRlt(0));
  RltSpec one;
  one.entries.push_back(RltEntrySpec());
  RltSpec longNames = SyntheticRlt(1);
  longNames.entries[0].trackName = std::string(255, 'T');
  return WriteHostFiles(dir, {{"cmp2.rlt", full},
                              {"one.rlt", BuildRlt(one)},
                              {"empty.rlt", BuildRlt(RltSpec())},
                              {"long_names.rlt", BuildRlt(longNames)},
                              {"truncated.rlt", Truncated(full, full.size() / 2)}});
}

bool WritePltSeeds(const std::string& dir) {
  const Bytes full = BuildPlt(SyntheticPlt(0));
  std::vector<PltRecordSpec> longNames = SyntheticPlt(2);
  longNames[19].riderFile = std::string(255, 'R');
  std::vector<PltRecordSpec> nineteen = SyntheticPlt(1);
  nineteen.pop_back();
  return WriteHostFiles(dir, {{"list1.plt", full},
                              {"long_names.plt", BuildPlt(longNames)},
                              {"nineteen.plt", BuildPlt(nineteen)},
                              {"truncated.plt", Truncated(full, full.size() - 3)}});
}

bool WriteSvdSeeds(const std::string& dir) {
  const Bytes full = BuildSvd(SyntheticSvd());
  SvdSpec none = SyntheticSvd();
  none.chosenRider = 0xFFFF;
  SvdSpec many = SyntheticSvd();
  many.riderCount = 20;
  many.positions.resize(20, many.positions[0]);
  many.noScore.resize(20, many.noScore[0]);
  return WriteHostFiles(dir, {{"01.svd", full},
                              {"no_rider.svd", BuildSvd(none)},
                              {"twenty.svd", BuildSvd(many)},
                              {"truncated.svd", Truncated(full, full.size() - 1)}});
}

}  // namespace kelvdata
