// Reading every member of a 64 MiB archive of 2,000 members through
// ArchiveFile, against reading the same file with plain fread. Goal: at least
// 70% of the raw throughput ("ratio" counter of BM_ArchiveVsRaw).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "tools/bbf.h"

namespace {

constexpr int MEMBERS = 2000;
constexpr std::size_t MEMBER_SIZE = (64u << 20) / MEMBERS;

struct Fixture {
  std::string path;
  std::vector<std::string> names;
  std::size_t payload = 0;
  std::size_t fileSize = 0;

  Fixture() {
    std::random_device rd;
    path = (std::filesystem::temp_directory_path() / ("kelv-bench-" + std::to_string(rd()) + ".bbf")).string();
    std::vector<kelvdata::BbfMember> members(MEMBERS);
    std::uint32_t x = 12345;
    for (int i = 0; i < MEMBERS; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "MEMBER%04d.DAT", i);
      members[i].name = name;
      members[i].data.resize(MEMBER_SIZE);
      for (auto& b : members[i].data) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(x >> 24);
      }
      names.push_back(name);
      payload += MEMBER_SIZE;
    }
    kelvdata::Bytes bytes = kelvdata::BuildBbf(members);
    fileSize = bytes.size();
    if (!kelvdata::WriteHostFile(path, bytes)) path.clear();
  }
  ~Fixture() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove(path, ec);
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

// Every member, opened by name as the loaders do, read whole.
bool ReadArchive(BbfArchive& archive, std::vector<char>& buf) {
  for (const std::string& name : Data().names) {
    ArchiveFile f;
    if (!f.SetArchive(&archive) || !f.Open(name.c_str(), GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ))
      return false;
    if (!f.Read(buf.data(), f.Size())) return false;
    benchmark::DoNotOptimize(buf.data());
  }
  return true;
}

bool ReadRaw(std::vector<char>& buf) {
  std::FILE* f = std::fopen(Data().path.c_str(), "rb");
  if (!f) return false;
  while (std::fread(buf.data(), 1, MEMBER_SIZE, f) > 0) benchmark::DoNotOptimize(buf.data());
  std::fclose(f);
  return true;
}

void BM_ArchiveMembers(benchmark::State& state) {
  BbfArchive archive;
  if (Data().path.empty() || !archive.Open(Data().path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  std::vector<char> buf(MEMBER_SIZE);
  for (auto _ : state)
    if (!ReadArchive(archive, buf)) state.SkipWithError("read failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Data().payload));
}

void BM_RawFread(benchmark::State& state) {
  std::vector<char> buf(MEMBER_SIZE);
  for (auto _ : state)
    if (!ReadRaw(buf)) state.SkipWithError("read failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Data().fileSize));
}

// Both in the same run, alternating, so that they see the same machine state.
void BM_ArchiveVsRaw(benchmark::State& state) {
  BbfArchive archive;
  if (Data().path.empty() || !archive.Open(Data().path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  std::vector<char> buf(MEMBER_SIZE);
  double archiveSeconds = 0, rawSeconds = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    auto t0 = Clock::now();
    if (!ReadRaw(buf)) state.SkipWithError("raw read failed");
    auto t1 = Clock::now();
    if (!ReadArchive(archive, buf)) state.SkipWithError("archive read failed");
    auto t2 = Clock::now();
    rawSeconds += std::chrono::duration<double>(t1 - t0).count();
    archiveSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  double n = static_cast<double>(state.iterations());
  double archiveRate = Data().payload * n / archiveSeconds;
  double rawRate = Data().fileSize * n / rawSeconds;
  state.counters["archive_MiBps"] = archiveRate / (1 << 20);
  state.counters["raw_MiBps"] = rawRate / (1 << 20);
  state.counters["ratio"] = archiveRate / rawRate;
}

BENCHMARK(BM_ArchiveMembers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveVsRaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
