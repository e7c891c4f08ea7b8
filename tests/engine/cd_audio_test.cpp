// CD-audio music: the state machine over the MCI test backend, and a real
// run over the synthetic disc image through libcdio into the rendered mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/cd_audio.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/output.h"
#include "platform/mci/mci.h"
#include "platform/win32/window.h"
#include "tests/engine/program_fixture.h"
#include "tools/cd_image.h"

namespace {

using kelvtest::LogEntries;
using platform::TestMciFailure;
using Log = std::vector<std::string>;

constexpr std::uint32_t STATE_5 = 5;  // accepted like playing, never set

class CdAudioTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    CreateWindow();
  }

  // Drives a fresh player into `state` through its own operations.
  static void Reach(std::uint32_t state) {
    g_CdAudio.track = 2;
    switch (state) {
      case CDAUDIO_NO_DEVICE:
        break;
      case CDAUDIO_OPEN:
        ASSERT_TRUE(g_CdAudio.Open());
        break;
      case CDAUDIO_CLOSED:
        ASSERT_TRUE(g_CdAudio.Open());
        ASSERT_TRUE(g_CdAudio.Close());
        break;
      case CDAUDIO_PLAYING:
      case STATE_5:
        ASSERT_TRUE(g_CdAudio.Open());
        ASSERT_TRUE(g_CdAudio.Play());
        g_CdAudio.state = state;
        break;
      case CDAUDIO_STOPPED:
        ASSERT_TRUE(g_CdAudio.Open());
        ASSERT_TRUE(g_CdAudio.Play());
        ASSERT_TRUE(g_CdAudio.Stop());
        break;
      default:
        FAIL() << state;
    }
  }
};

enum class Op { OPEN, PLAY, STOP, CLOSE, SHUTDOWN, NOTIFY };

struct Row {
  Op op;
  std::uint32_t from;
  TestMciFailure fail;  // COUNT: none
  int result;           // bool for the operations, the answer for OnNotify, -1 for none
  std::uint32_t to;
  Log calls;
  WPARAM flags = 0;  // OnNotify
  std::uint8_t track = 2;
};

constexpr TestMciFailure NONE = TestMciFailure::COUNT;

TEST_F(CdAudioTest, EveryOperationFromEveryStateWithEveryMciFailure) {
  const Row rows[] = {
      // Open: only without a device or closed; a time format that cannot be
      // set closes the device again.
      {Op::OPEN, CDAUDIO_NO_DEVICE, NONE, 1, CDAUDIO_OPEN, {"mci open", "mci set"}},
      {Op::OPEN, CDAUDIO_CLOSED, NONE, 1, CDAUDIO_OPEN, {"mci open", "mci set"}},
      {Op::OPEN, CDAUDIO_NO_DEVICE, TestMciFailure::OPEN, 0, CDAUDIO_NO_DEVICE, {"mci open error"}},
      {Op::OPEN, CDAUDIO_NO_DEVICE, TestMciFailure::SET, 0, CDAUDIO_CLOSED, {"mci open", "mci set error", "mci close"}},
      {Op::OPEN, CDAUDIO_OPEN, NONE, 1, CDAUDIO_OPEN, {}},
      {Op::OPEN, CDAUDIO_PLAYING, NONE, 1, CDAUDIO_PLAYING, {}},
      {Op::OPEN, CDAUDIO_STOPPED, NONE, 1, CDAUDIO_STOPPED, {}},
      // Play: the length of the track, then the whole track; either failing
      // closes the device.
      {Op::PLAY, CDAUDIO_OPEN, NONE, 1, CDAUDIO_PLAYING, {"mci status", "mci play"}},
      {Op::PLAY, CDAUDIO_STOPPED, NONE, 1, CDAUDIO_PLAYING, {"mci status", "mci play"}},
      {Op::PLAY, CDAUDIO_PLAYING, NONE, 1, CDAUDIO_PLAYING, {}},
      {Op::PLAY, CDAUDIO_CLOSED, NONE, 0, CDAUDIO_CLOSED, {}},
      {Op::PLAY, CDAUDIO_NO_DEVICE, NONE, 0, CDAUDIO_NO_DEVICE, {}},
      {Op::PLAY, CDAUDIO_OPEN, TestMciFailure::STATUS, 0, CDAUDIO_CLOSED, {"mci status error", "mci close"}},
      {Op::PLAY, CDAUDIO_OPEN, TestMciFailure::PLAY, 0, CDAUDIO_CLOSED, {"mci status", "mci play error", "mci close"}},
      // A track the disc lacks, and the data track: no music.
      {Op::PLAY, CDAUDIO_OPEN, NONE, 0, CDAUDIO_CLOSED, {"mci status error", "mci close"}, 0, 9},
      {Op::PLAY, CDAUDIO_OPEN, NONE, 0, CDAUDIO_CLOSED, {"mci status error", "mci close"}, 0, 0},
      {Op::PLAY, CDAUDIO_OPEN, NONE, 0, CDAUDIO_CLOSED, {"mci status", "mci play error", "mci close"}, 0, 1},
      // Stop waits; a failure closes the device.
      {Op::STOP, CDAUDIO_PLAYING, NONE, 1, CDAUDIO_STOPPED, {"mci stop"}},
      {Op::STOP, STATE_5, NONE, 1, CDAUDIO_STOPPED, {"mci stop"}},
      {Op::STOP, CDAUDIO_PLAYING, TestMciFailure::STOP, 0, CDAUDIO_CLOSED, {"mci stop error", "mci close"}},
      {Op::STOP, CDAUDIO_STOPPED, NONE, 1, CDAUDIO_STOPPED, {}},
      {Op::STOP, CDAUDIO_OPEN, NONE, 0, CDAUDIO_OPEN, {}},
      {Op::STOP, CDAUDIO_CLOSED, NONE, 0, CDAUDIO_CLOSED, {}},
      {Op::STOP, CDAUDIO_NO_DEVICE, NONE, 0, CDAUDIO_NO_DEVICE, {}},
      // Close: a failure leaves no device.
      {Op::CLOSE, CDAUDIO_CLOSED, NONE, 1, CDAUDIO_CLOSED, {}},
      {Op::CLOSE, CDAUDIO_OPEN, NONE, 1, CDAUDIO_CLOSED, {"mci close"}},
      {Op::CLOSE, CDAUDIO_PLAYING, NONE, 1, CDAUDIO_CLOSED, {"mci close"}},
      {Op::CLOSE, CDAUDIO_STOPPED, NONE, 1, CDAUDIO_CLOSED, {"mci close"}},
      {Op::CLOSE, CDAUDIO_OPEN, TestMciFailure::CLOSE, 0, CDAUDIO_NO_DEVICE, {"mci close error"}},
      {Op::CLOSE, CDAUDIO_NO_DEVICE, NONE, 0, CDAUDIO_NO_DEVICE, {"mci close error"}},
      // The exit handler: stop, then close.
      {Op::SHUTDOWN, CDAUDIO_PLAYING, NONE, -1, CDAUDIO_CLOSED, {"mci stop", "mci close"}},
      {Op::SHUTDOWN, CDAUDIO_PLAYING, TestMciFailure::STOP, -1, CDAUDIO_CLOSED, {"mci stop error", "mci close"}},
      {Op::SHUTDOWN, CDAUDIO_PLAYING, TestMciFailure::CLOSE, -1, CDAUDIO_NO_DEVICE, {"mci stop", "mci close error"}},
      {Op::SHUTDOWN, CDAUDIO_OPEN, NONE, -1, CDAUDIO_CLOSED, {"mci close"}},
      {Op::SHUTDOWN, CDAUDIO_STOPPED, NONE, -1, CDAUDIO_CLOSED, {"mci close"}},
      {Op::SHUTDOWN, CDAUDIO_CLOSED, NONE, -1, CDAUDIO_CLOSED, {}},
      {Op::SHUTDOWN, CDAUDIO_NO_DEVICE, NONE, -1, CDAUDIO_NO_DEVICE, {}},
      // Notifications of this device.
      {Op::NOTIFY, CDAUDIO_PLAYING, NONE, 0, CDAUDIO_STOPPED, {}, MCI_NOTIFY_SUCCESSFUL},
      {Op::NOTIFY, STATE_5, NONE, 0, CDAUDIO_STOPPED, {}, MCI_NOTIFY_SUCCESSFUL},
      {Op::NOTIFY, CDAUDIO_OPEN, NONE, 1, CDAUDIO_OPEN, {}, MCI_NOTIFY_SUCCESSFUL},
      {Op::NOTIFY, CDAUDIO_STOPPED, NONE, 1, CDAUDIO_STOPPED, {}, MCI_NOTIFY_SUCCESSFUL},
      {Op::NOTIFY, CDAUDIO_PLAYING, NONE, 0, CDAUDIO_PLAYING, {}, MCI_NOTIFY_SUPERSEDED},
      {Op::NOTIFY, CDAUDIO_PLAYING, NONE, 0, CDAUDIO_PLAYING, {}, MCI_NOTIFY_ABORTED},
      {Op::NOTIFY, CDAUDIO_PLAYING, NONE, 0, CDAUDIO_STOPPED, {"mci stop"}, MCI_NOTIFY_FAILURE},
      {Op::NOTIFY, CDAUDIO_PLAYING, TestMciFailure::STOP, 0, CDAUDIO_CLOSED, {"mci stop error", "mci close"},
       MCI_NOTIFY_FAILURE},
      {Op::NOTIFY, CDAUDIO_OPEN, NONE, 0, CDAUDIO_CLOSED, {"mci close"}, MCI_NOTIFY_FAILURE},
      {Op::NOTIFY, CDAUDIO_OPEN, TestMciFailure::CLOSE, 0, CDAUDIO_NO_DEVICE, {"mci close error"}, MCI_NOTIFY_FAILURE},
      {Op::NOTIFY, CDAUDIO_STOPPED, NONE, 0, CDAUDIO_STOPPED, {}, MCI_NOTIFY_FAILURE},
      {Op::NOTIFY, CDAUDIO_PLAYING, NONE, 1, CDAUDIO_PLAYING, {}, 0x10},
  };
  int n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << "row " << n++);
    TearDown();
    SetUp();
    kelvtest::InsertGameCd();
    Reach(r.from);
    g_CdAudio.track = r.track;
    kelvtest::DeviceLog().clear();
    if (r.fail != NONE) platform::FailTestMci(r.fail, true);
    int result = -1;
    switch (r.op) {
      case Op::OPEN:
        result = g_CdAudio.Open();
        break;
      case Op::PLAY:
        result = g_CdAudio.Play();
        break;
      case Op::STOP:
        result = g_CdAudio.Stop();
        break;
      case Op::CLOSE:
        result = g_CdAudio.Close();
        break;
      case Op::SHUTDOWN:
        g_CdAudio.Shutdown();
        break;
      case Op::NOTIFY:
        result = g_CdAudio.OnNotify(r.flags, g_CdAudio.device);
        break;
    }
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(g_CdAudio.state, r.to);
    EXPECT_EQ(LogEntries("mci "), r.calls);
  }
}

TEST_F(CdAudioTest, WithoutADiscNothingPlaysAndNothingIsShown) {
  EXPECT_FALSE(g_CdAudio.Open());
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_NO_DEVICE);
  g_CdAudio.track = 2;
  EXPECT_FALSE(g_CdAudio.Play());
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  // The next activation tries again, and finds the disc inserted meanwhile.
  kelvtest::InsertGameCd();
  EXPECT_TRUE(g_CdAudio.Open());
}

TEST_F(CdAudioTest, PlaysTheWholeTrackInTmsfWithItsEndToTheMainWindow) {
  kelvtest::InsertGameCd();
  g_CdAudio.track = 3;
  ASSERT_TRUE(g_CdAudio.Open());
  platform::ClearRecordedMciCalls();
  ASSERT_TRUE(g_CdAudio.Play());
  const std::vector<platform::MciCall>& calls = platform::RecordedMciCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].command, static_cast<UINT>(MCI_STATUS));
  EXPECT_EQ(calls[0].a, MCI_STATUS_LENGTH);
  EXPECT_EQ(calls[0].b, 3u);
  EXPECT_EQ(calls[1].command, static_cast<UINT>(MCI_PLAY));
  EXPECT_EQ(calls[1].flags, MCI_FROM | MCI_TO | MCI_NOTIFY);
  // Track 3 of the game disc lasts 75 sectors: one second.
  EXPECT_EQ(calls[1].a, MCI_MAKE_TMSF(3, 0, 0, 0));
  EXPECT_EQ(calls[1].b, MCI_MAKE_TMSF(3, 0, 1, 0));

  // Another device's notification is not ours; this one's end is.
  EXPECT_EQ(g_CdAudio.OnNotify(MCI_NOTIFY_SUCCESSFUL, g_CdAudio.device + 1), 1);
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_PLAYING);
  platform::EndTestTrack();
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, g_App.hwnd);
  EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(static_cast<std::uint32_t>(msg.lParam), g_CdAudio.device);
  EXPECT_EQ(g_CdAudio.OnNotify(msg.wParam, msg.lParam), 0);
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_STOPPED);
}

// The real device over the synthetic disc image: libcdio reads track 2 and
// the rendered mix begins with its first samples; the end of the track
// arrives as the window's MM_MCINOTIFY after the last one.
TEST_F(CdAudioTest, TheDiscImagePlaysTrackTwoIntoTheMixAndEnds) {
  const std::string cue = Host("CD/GAME.CUE");
  const kelvdata::CdImage image = kelvdata::GameCdImage("GAME.BIN");
  ASSERT_TRUE(kelvdata::WriteCdImage(cue, "GAME.BIN", image));
  platform::UseTestCd(false);
  ASSERT_EQ(setenv("KELVARRO_CD", cue.c_str(), 1), 0);
  IDirectSound* sound = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
  platform::WaitForOutputStreams(true);

  g_CdAudio.track = 2;
  ASSERT_TRUE(g_CdAudio.Open());
  ASSERT_TRUE(g_CdAudio.Play());

  // Two seconds of track 2, then silence: not track 3.
  const int trackFrames = 2 * 44100;
  std::vector<float> mix(2 * (trackFrames + 4410));
  ASSERT_TRUE(platform::RenderMix(static_cast<int>(mix.size() / 2), mix.data()));
  int wrong = 0;
  for (int f = 0; f < trackFrames; ++f) {
    const float want = static_cast<float>(kelvdata::ToneSample(kelvdata::GAME_CD_TRACK2_HZ,
                                                              kelvdata::GAME_CD_AMPLITUDE, static_cast<std::uint32_t>(f))) /
                       32768.0f;
    if (mix[2 * f] != want || mix[2 * f + 1] != want) ++wrong;
    if (f < 4) {
      EXPECT_EQ(mix[2 * f], want) << f;
    }
  }
  EXPECT_EQ(wrong, 0);
  // Frame 25 of a 440 Hz tone is a quarter period in: near the peak, 0.5.
  EXPECT_NEAR(mix[2 * 25], 0.5f, 0.001f);
  float after = 0.0f;
  for (std::size_t i = 2 * trackFrames; i < mix.size(); ++i) after = std::max(after, std::abs(mix[i]));
  EXPECT_EQ(after, 0.0f);

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, g_App.hwnd);
  EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(g_CdAudio.OnNotify(msg.wParam, msg.lParam), 0);
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_STOPPED);

  g_CdAudio.Shutdown();
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_CLOSED);
  platform::WaitForOutputStreams(false);
  unsetenv("KELVARRO_CD");
  sound->Release();
}

}  // namespace
