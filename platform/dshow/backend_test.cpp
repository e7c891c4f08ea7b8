// The test backend of the movie layer: files render as silent movies of a
// chosen length that never end by themselves (the test queues the events),
// chosen calls fail, and every call is recorded.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/dshow/backend.h"

namespace {

struct TestState {
  bool on = false;
  std::array<int, static_cast<std::size_t>(platform::TestMovieFailure::COUNT)> failures{};
  std::vector<std::string> calls;
  double duration = 3.0;
  HRESULT renderResult = S_OK;
};

TestState& T() {
  static TestState t;
  return t;
}

class TestSource : public dshow::MovieSource {
 public:
  explicit TestSource(double duration) : duration_(duration) {}
  double Duration() const override { return duration_; }
  double Position() const override { return 0.0; }
  void Run() override {}
  void Pause() override {}
  void Stop() override {}
  void SetOutput(HWND, bool) override {}
  bool Service() override { return false; }
  bool NeedsTicks() const override { return false; }

 private:
  double duration_;
};

class TestBackend : public dshow::Backend {
 public:
  HRESULT Open(const std::string&, IDirectSound*, std::unique_ptr<dshow::MovieSource>* out) override {
    if (T().renderResult != S_OK) return T().renderResult;
    *out = std::make_unique<TestSource>(T().duration);
    return S_OK;
  }
};

}  // namespace

namespace dshow {

Backend* MakeTestBackend() { return new TestBackend(); }

bool TestBackendActive() { return T().on; }

Backend& CurrentBackend() {
  static std::unique_ptr<Backend> ffmpeg(MakeFfmpegBackend());
  static std::unique_ptr<Backend> test(MakeTestBackend());
  return T().on ? *test : *ffmpeg;
}

bool TestFails(platform::TestMovieFailure call) {
  int& left = T().failures[static_cast<std::size_t>(call)];
  if (!T().on || left <= 0) return false;
  --left;
  return true;
}

void Record(const std::string& call) {
  if (T().on) T().calls.push_back(call);
}

}  // namespace dshow

namespace platform {

void UseTestMovies(bool on) {
  T() = TestState{};
  T().on = on;
}

void InjectMovieFailure(TestMovieFailure call, int count) { T().failures[static_cast<std::size_t>(call)] = count; }

void SetTestMovie(double durationSeconds, HRESULT renderResult) {
  T().duration = durationSeconds;
  T().renderResult = renderResult;
}

const std::vector<std::string>& RecordedMovieCalls() { return T().calls; }
void ClearRecordedMovieCalls() { T().calls.clear(); }

}  // namespace platform
