// The test backend: a virtual disc whose samples name their track, chosen
// commands failing, the end of a track or a read error on demand, and every
// call recorded.
#include <array>
#include <functional>
#include <utility>

#include "platform/mci/backend.h"
#include "platform/mci/mci_internal.h"

namespace mci_detail {
namespace {

struct TestState {
  bool active = false;
  std::vector<platform::TestCdTrack> tracks;
  std::array<bool, static_cast<int>(platform::TestMciFailure::COUNT)> failures{};
  std::vector<platform::MciCall> calls;
  std::function<void(const platform::MciCall&)> observer;
};

TestState& T() {
  static TestState s;
  return s;
}

class TestDisc final : public Disc {
 public:
  bool Read(std::uint32_t lsn, std::uint32_t count, std::int16_t* out) override {
    for (std::uint32_t s = 0; s < count; ++s) {
      std::int16_t value = 0;
      for (std::size_t i = 0; i < tracks.size(); ++i)
        if (lsn + s >= tracks[i].start && lsn + s < tracks[i].start + tracks[i].sectors)
          value = static_cast<std::int16_t>((firstTrack + static_cast<int>(i)) * 1000);
      for (std::uint32_t k = 0; k < 2 * SECTOR_FRAMES; ++k) out[(s * SECTOR_FRAMES * 2) + k] = value;
    }
    return true;
  }
};

class TestBackend final : public Backend {
 public:
  std::unique_ptr<Disc> OpenDisc(const std::string&) override {
    if (T().tracks.empty()) return nullptr;
    auto disc = std::make_unique<TestDisc>();
    std::uint32_t lsn = 0;
    for (const platform::TestCdTrack& t : T().tracks) {
      disc->tracks.push_back({t.audio, lsn, t.sectors});
      lsn += t.sectors;
    }
    return disc;
  }
  bool Fails(platform::TestMciFailure command) override { return T().failures[static_cast<int>(command)]; }
  void Note(const platform::MciCall& call) override {
    T().calls.push_back(call);
    if (T().observer) T().observer(call);
  }
};

}  // namespace

bool TestBackendActive() { return T().active; }

Backend& CurrentBackend() {
  static Backend* cdio = MakeCdioBackend();
  static Backend* test = new TestBackend;
  return T().active ? *test : *cdio;
}

}  // namespace mci_detail

namespace platform {

using mci_detail::T;

void UseTestCd(bool on) {
  mci_detail::CloseAllDevices();
  T() = mci_detail::TestState();
  T().active = on;
}

void InsertTestDisc(const std::vector<TestCdTrack>& tracks) { T().tracks = tracks; }

void FailTestMci(TestMciFailure command, bool fail) {
  if (command != TestMciFailure::COUNT) T().failures[static_cast<int>(command)] = fail;
}

void EndTestTrack() { mci_detail::EndPlays(MCI_NOTIFY_SUCCESSFUL); }

void FailTestPlayback() { mci_detail::EndPlays(MCI_NOTIFY_FAILURE); }

const std::vector<MciCall>& RecordedMciCalls() { return T().calls; }

void ClearRecordedMciCalls() { T().calls.clear(); }

void SetMciCallObserver(std::function<void(const MciCall&)> observer) { T().observer = std::move(observer); }

}  // namespace platform
