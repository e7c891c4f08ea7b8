#include "tools/tdb.h"

#include "tools/seeds.h"

namespace kelvdata {

namespace {

constexpr std::size_t kMaxText = 0xFFFF - 1;  // the length field counts the NUL

}  // namespace

Bytes BuildTdb(const std::vector<std::string>& texts) {
  ByteWriter w;
  w.U32(static_cast<std::uint32_t>(texts.size()));
  for (const std::string& text : texts) {
    std::size_t n = text.size() < kMaxText ? text.size() : kMaxText;
    w.U16(static_cast<std::uint16_t>(n + 1));
    w.Raw(text.data(), n);
    w.U8(0);
  }
  return w.Take();
}

Bytes BuildTdbRaw(std::uint32_t count, const std::vector<TdbRecord>& records) {
  ByteWriter w;
  w.U32(count);
  for (const TdbRecord& r : records) {
    w.U16(r.length);
    w.Raw(r.bytes.data(), r.bytes.size());
  }
  return w.Take();
}

bool WriteTdbSeeds(const std::string& dir) {
  const std::string nul(1, '\0');
  Bytes truncated = BuildTdb({"Start race", "Options"});
  truncated.resize(truncated.size() - 4);
  // A whole language's worth of texts.
  std::vector<std::string> many;
  for (int i = 0; i < 3000; ++i) many.push_back("Text number " + std::to_string(i) + " of the game's menus");
  const std::vector<NamedBytes> seeds = {
      {"many.tdb", BuildTdb(many)},
      {"empty.tdb", BuildTdb({})},
      {"one.tdb", BuildTdb({"Quit"})},
      {"several.tdb", BuildTdb({"Start race", "", "Options", "Lap %d/%d", "\xC4\xE5\xED\xFC"})},
      {"count_too_big.tdb", BuildTdbRaw(1000, {{5, "Quit" + nul}})},
      {"count_huge.tdb", BuildTdbRaw(0xFFFFFFFFu, {{5, "Quit" + nul}})},
      {"length_past_end.tdb", BuildTdbRaw(2, {{5, "Quit" + nul}, {200, "Options" + nul}})},
      {"length_zero.tdb", BuildTdbRaw(2, {{0, ""}, {5, "Quit" + nul}})},
      {"missing_nul.tdb", BuildTdbRaw(1, {{4, "Quit"}})},
      {"truncated.tdb", truncated},
      {"short_count.tdb", Bytes{1, 0}},
  };
  return WriteHostFiles(dir, seeds);
}

}  // namespace kelvdata
