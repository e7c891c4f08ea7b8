#include "tools/qdv.h"


#include "tools/seeds.h"

namespace kelvdata {

namespace {

constexpr std::size_t kMaxName = 256 - 1;  // the length field counts the NUL

}  // namespace

Bytes BuildQdv(const std::vector<QdvEntry>& entries) {
  ByteWriter w;
  w.U32(static_cast<std::uint32_t>(entries.size()));
  for (const QdvEntry& e : entries) {
    const std::size_t n = e.name.size() < kMaxName ? e.name.size() : kMaxName;
    w.U32(e.kind);
    w.U32(static_cast<std::uint32_t>(n + 1));
    w.Raw(e.name.data(), n);
    w.U8(0);
    w.U8(e.flag);
  }
  return w.Take();
}

Bytes BuildQdvRaw(std::uint32_t count, const std::vector<QdvRecord>& records) {
  ByteWriter w;
  w.U32(count);
  for (const QdvRecord& r : records) {
    w.U32(r.kind);
    w.U32(r.length);
    w.Raw(r.name);
    w.U8(r.flag);
  }
  return w.Take();
}

bool WriteQdvSeeds(const std::string& dir) {
  const Bytes name = {'A', '.', 'S', 'C', 'N', 0};
  Bytes truncated = BuildQdv({{0, "DATA\\UI\\MENU.SCN"}, {1, "DATA\\RACE.SCN"}});
  truncated.resize(truncated.size() - 3);
  std::vector<QdvEntry> many;
  for (int i = 0; i < 200; ++i) many.push_back({static_cast<std::uint32_t>(i % 2), "DATA\\UI\\SCENE" + std::to_string(i) + ".SCN"});
  return WriteHostFiles(dir, {
      {"many.qdv", BuildQdv(many)},
      {"empty.qdv", BuildQdv({})},
      {"one.qdv", BuildQdv({{0, "DATA\\UI\\MENU.SCN", 1}})},
      {"several.qdv", BuildQdv({{0, "A.SCN"}, {1, "B.SCN", 3}, {0, ""}, {2, "C.SCN"}})},
      {"longest_name.qdv", BuildQdv({{0, std::string(255, 'N')}})},
      {"count_too_big.qdv", BuildQdvRaw(1000, {{0, 6, name, 0}})},
      {"count_huge.qdv", BuildQdvRaw(0xFFFFFFFFu, {{0, 6, name, 0}})},
      {"length_zero.qdv", BuildQdvRaw(1, {{0, 0, {}, 0}})},
      {"length_257.qdv", BuildQdvRaw(1, {{0, 257, Bytes(257, 'A'), 0}})},
      {"missing_nul.qdv", BuildQdvRaw(1, {{0, 5, {'A', '.', 'S', 'C', 'N'}, 0}})},
      {"truncated.qdv", truncated},
      {"short_count.qdv", Bytes{1, 0}},
  });
}

}  // namespace kelvdata
