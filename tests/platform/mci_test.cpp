// The MCI "cdaudio" device: its commands and notifications over the virtual
// disc, and the libcdio backend over good and damaged BIN/CUE images.
#include "platform/mci/mci.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/output.h"
#include "platform/win32/window.h"
#include "tools/cd_image.h"

namespace {

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

class MciTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseTestWindowing(true);
    platform::UseTestSound(true);
    platform::UseTestCd(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "MCITEST";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "MCITEST", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    ASSERT_EQ(DirectSoundCreate(nullptr, &sound_, nullptr), DS_OK);
    platform::WaitForOutputStreams(true);
  }
  void TearDown() override {
    platform::UseTestCd(false);
    platform::WaitForOutputStreams(false);
    if (sound_) sound_->Release();
    DestroyWindow(hwnd_);
    UnregisterClassA("MCITEST", nullptr);
    platform::UseTestSound(false);
    platform::UseTestWindowing(false);
  }

  MCIERROR Open(MCIDEVICEID* id, const char* element = "D:\\", const char* type = "cdaudio") {
    MCI_OPEN_PARMSA p{};
    p.lpstrDeviceType = type;
    p.lpstrElementName = element;
    MCIERROR r = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&p));
    *id = p.wDeviceID;
    return r;
  }
  static MCIERROR Tmsf(MCIDEVICEID id) {
    MCI_SET_PARMS p{};
    p.dwTimeFormat = MCI_FORMAT_TMSF;
    return mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&p));
  }
  static MCIERROR TrackLength(MCIDEVICEID id, DWORD track, DWORD* msf) {
    MCI_STATUS_PARMS p{};
    p.dwItem = MCI_STATUS_LENGTH;
    p.dwTrack = track;
    MCIERROR r = mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&p));
    *msf = static_cast<DWORD>(p.dwReturn);
    return r;
  }
  MCIERROR PlayTrack(MCIDEVICEID id, DWORD track, DWORD lengthMsf, DWORD flags = MCI_NOTIFY) {
    MCI_PLAY_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(hwnd_);
    p.dwFrom = MCI_MAKE_TMSF(track, 0, 0, 0);
    p.dwTo = MCI_MAKE_TMSF(track, MCI_MSF_MINUTE(lengthMsf), MCI_MSF_SECOND(lengthMsf), MCI_MSF_FRAME(lengthMsf));
    return mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_TO | flags, reinterpret_cast<DWORD_PTR>(&p));
  }
  static MCIERROR Generic(MCIDEVICEID id, UINT command) {
    MCI_GENERIC_PARMS p{};
    return mciSendCommandA(id, command, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
  }
  // The MM_MCINOTIFY messages waiting, as (flags, device).
  std::vector<std::pair<WPARAM, LPARAM>> Notifications() {
    std::vector<std::pair<WPARAM, LPARAM>> out;
    MSG m{};
    while (PeekMessageA(&m, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
      EXPECT_EQ(m.hwnd, hwnd_);
      out.emplace_back(m.wParam, m.lParam);
    }
    return out;
  }

  HWND hwnd_ = nullptr;
  IDirectSound* sound_ = nullptr;
};

using Notes = std::vector<std::pair<WPARAM, LPARAM>>;

TEST_F(MciTest, OpenRefusesWhatIsNotACdDriveWithADisc) {
  MCIDEVICEID id = 0;
  EXPECT_EQ(Open(&id), MCIERR_DEVICE_NOT_READY);  // no disc
  platform::InsertTestDisc({{true, 75}});
  EXPECT_EQ(Open(&id, "D:\\", "waveaudio"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(Open(&id, "D:\\DATA"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(Open(&id, "4:"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE, 0), MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(Open(&id, "e:", "CDAudio"), 0u);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(Generic(id + 1, MCI_STOP), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(Generic(id, MCI_CLOSE), 0u);
  EXPECT_EQ(Generic(id, MCI_CLOSE), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MciTest, StatusAndPositionsInTmsf) {
  // 1 s data, 2 s 40 frames audio, 1 s audio.
  platform::InsertTestDisc({{false, 75}, {true, 190}, {true, 75}});
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(&id), 0u);
  MCI_SET_PARMS bad{};
  bad.dwTimeFormat = 0;  // milliseconds: not offered
  EXPECT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&bad)),
            MCIERR_BAD_TIME_FORMAT);
  ASSERT_EQ(Tmsf(id), 0u);
  DWORD msf = 0;
  ASSERT_EQ(TrackLength(id, 2, &msf), 0u);
  EXPECT_EQ(msf, MCI_MAKE_MSF(0, 2, 40));
  EXPECT_EQ(TrackLength(id, 4, &msf), MCIERR_OUTOFRANGE);
  EXPECT_EQ(TrackLength(id, 0, &msf), MCIERR_OUTOFRANGE);
  MCI_STATUS_PARMS tracks{};
  tracks.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
  ASSERT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&tracks)), 0u);
  EXPECT_EQ(tracks.dwReturn, 3u);

  // The data track does not play; a position past the disc's end is out of
  // range; a play that waits is not offered.
  EXPECT_EQ(PlayTrack(id, 1, MCI_MAKE_MSF(0, 1, 0)), MCIERR_HARDWARE);
  EXPECT_EQ(PlayTrack(id, 3, MCI_MAKE_MSF(0, 1, 1)), MCIERR_OUTOFRANGE);
  EXPECT_EQ(PlayTrack(id, 5, MCI_MAKE_MSF(0, 0, 0)), MCIERR_OUTOFRANGE);
  EXPECT_EQ(PlayTrack(id, 2, msf, MCI_NOTIFY | MCI_WAIT), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(Notifications(), Notes{});
}

TEST_F(MciTest, APlaySoundsItsTrackAndNotifiesOnceHowItEnded) {
  platform::InsertTestDisc({{false, 75}, {true, 20}, {true, 20}});
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(&id), 0u);
  ASSERT_EQ(Tmsf(id), 0u);
  const LPARAM device = static_cast<LPARAM>(id);
  const DWORD length = MCI_MAKE_MSF(0, 0, 20);
  std::vector<float> mix(2 * 20 * 588 + 2 * 1000);

  // To its end: track 3's samples (3000), then silence and the success.
  ASSERT_EQ(PlayTrack(id, 3, length), 0u);
  ASSERT_TRUE(platform::RenderMix(static_cast<int>(mix.size() / 2), mix.data()));
  EXPECT_FLOAT_EQ(mix[0], 3000.0f / 32768.0f);
  EXPECT_FLOAT_EQ(mix[2 * 20 * 588 - 1], 3000.0f / 32768.0f);
  EXPECT_EQ(mix[2 * 20 * 588], 0.0f);
  EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_SUCCESSFUL, device}}));

  // A new play supersedes the one before, a stop aborts it.
  ASSERT_EQ(PlayTrack(id, 2, length), 0u);
  ASSERT_EQ(PlayTrack(id, 3, length), 0u);
  ASSERT_EQ(Generic(id, MCI_STOP), 0u);
  EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_SUPERSEDED, device}, {MCI_NOTIFY_ABORTED, device}}));
  // After a stop nothing more sounds.
  ASSERT_TRUE(platform::RenderMix(100, mix.data()));
  EXPECT_EQ(mix[0], 0.0f);

  // Read errors and the test's own end; a close aborts; without MCI_NOTIFY
  // nothing is posted.
  ASSERT_EQ(PlayTrack(id, 2, length), 0u);
  platform::FailTestPlayback();
  ASSERT_EQ(PlayTrack(id, 2, length), 0u);
  platform::EndTestTrack();
  ASSERT_EQ(PlayTrack(id, 2, length, 0), 0u);
  ASSERT_EQ(Generic(id, MCI_STOP), 0u);
  ASSERT_EQ(PlayTrack(id, 2, length), 0u);
  ASSERT_EQ(Generic(id, MCI_CLOSE), 0u);
  EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_FAILURE, device},
                                    {MCI_NOTIFY_SUCCESSFUL, device},
                                    {MCI_NOTIFY_ABORTED, device}}));
}

TEST_F(MciTest, EveryCommandCanBeMadeToFail) {
  platform::InsertTestDisc({{true, 75}});
  const struct {
    platform::TestMciFailure fail;
    UINT command;
  } cases[] = {{platform::TestMciFailure::OPEN, MCI_OPEN},     {platform::TestMciFailure::SET, MCI_SET},
               {platform::TestMciFailure::STATUS, MCI_STATUS}, {platform::TestMciFailure::PLAY, MCI_PLAY},
               {platform::TestMciFailure::STOP, MCI_STOP},     {platform::TestMciFailure::CLOSE, MCI_CLOSE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    platform::FailTestMci(c.fail, true);
    platform::ClearRecordedMciCalls();
    // The engine's sequence, up to the first failure.
    MCIDEVICEID id = 0;
    DWORD msf = 0;
    const bool allDone = Open(&id) == 0 && Tmsf(id) == 0 && TrackLength(id, 1, &msf) == 0 &&
                         PlayTrack(id, 1, msf) == 0 && Generic(id, MCI_STOP) == 0 && Generic(id, MCI_CLOSE) == 0;
    EXPECT_FALSE(allDone);
    const std::vector<platform::MciCall>& calls = platform::RecordedMciCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().command, c.command);
    EXPECT_EQ(calls.back().result, MCIERR_HARDWARE);
    platform::FailTestMci(c.fail, false);
    if (c.command != MCI_OPEN) EXPECT_EQ(Generic(id, MCI_CLOSE), 0u);
  }
}

// The libcdio backend over images in a temporary folder.
class CdImageTest : public MciTest {
 protected:
  void SetUp() override {
    MciTest::SetUp();
    platform::UseTestCd(false);
    dir_ = std::filesystem::temp_directory_path() / ("kelv-mci-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    unsetenv("KELVARRO_CD");
    std::filesystem::remove_all(dir_);
    MciTest::TearDown();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(CdImageTest, TheGameDiscImageReadsAsThreeTracks) {
  const kelvdata::CdImage image = kelvdata::GameCdImage("GAME.BIN");
  ASSERT_TRUE(kelvdata::WriteCdImage((dir_ / "GAME.CUE").string(), "GAME.BIN", image));
  setenv("KELVARRO_CD", (dir_ / "GAME.CUE").c_str(), 1);
  MCIDEVICEID id = 0;
  ASSERT_EQ(Open(&id, "F:\\"), 0u);
  ASSERT_EQ(Tmsf(id), 0u);
  DWORD msf = 0;
  ASSERT_EQ(TrackLength(id, 2, &msf), 0u);
  EXPECT_EQ(msf, MCI_MAKE_MSF(0, 2, 0));
  ASSERT_EQ(TrackLength(id, 3, &msf), 0u);
  EXPECT_EQ(msf, MCI_MAKE_MSF(0, 1, 0));
  // Track 1 is data.
  EXPECT_EQ(PlayTrack(id, 1, MCI_MAKE_MSF(0, 1, 0)), MCIERR_HARDWARE);
  // Track 3's first samples.
  ASSERT_EQ(PlayTrack(id, 3, msf), 0u);
  std::vector<float> mix(2 * 64);
  ASSERT_TRUE(platform::RenderMix(64, mix.data()));
  for (int f = 0; f < 64; ++f)
    ASSERT_EQ(mix[2 * f], kelvdata::ToneSample(kelvdata::GAME_CD_TRACK3_HZ, kelvdata::GAME_CD_AMPLITUDE, f) / 32768.0f)
        << f;
  EXPECT_EQ(Generic(id, MCI_CLOSE), 0u);
}

// Damaged images: the device does not open, a command fails, or the play
// ends with a notification; never a hang or a crash.
TEST_F(CdImageTest, DamagedImagesGiveNoMusicAndNoHang) {
  const kelvdata::CdImage good = kelvdata::GameCdImage("GAME.BIN");
  const std::string bin(good.bin.begin(), good.bin.end());
  const struct {
    const char* what;
    std::string cue;
    std::string bin;
  } cases[] = {
      {"empty cue sheet", "", bin},
      {"garbage", std::string("\x01\xFF TRACK TRACK INDEX 99:99:99\n", 31), bin},
      {"image missing", good.cue, ""},
      {"track beyond the image", "FILE \"GAME.BIN\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                                 "  TRACK 02 AUDIO\r\n    INDEX 01 59:00:00\r\n", bin},
      {"image cut in track 2", good.cue, bin.substr(0, bin.size() / 2)},
      {"image cut in track 3", good.cue, bin.substr(0, bin.size() - 30 * kelvdata::CD_SECTOR_BYTES - 100)},
      {"image of half a sector", good.cue, bin.substr(0, 1000)},
      {"cue sheet cut short", good.cue.substr(0, good.cue.size() - 20), bin},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string cue = Write("GAME.CUE", c.cue);
    std::filesystem::remove(dir_ / "GAME.BIN");
    if (!c.bin.empty()) Write("GAME.BIN", c.bin);
    setenv("KELVARRO_CD", cue.c_str(), 1);
    MCIDEVICEID id = 0;
    if (Open(&id) != 0) continue;
    DWORD msf = 0;
    for (DWORD track = 2; track <= 3; ++track) {
      if (Tmsf(id) != 0 || TrackLength(id, track, &msf) != 0 || PlayTrack(id, track, msf) != 0) continue;
      // At most the two seconds of the real track, then the play has ended.
      std::vector<float> mix(2 * 2 * 44100 + 2 * 1000);
      ASSERT_TRUE(platform::RenderMix(static_cast<int>(mix.size() / 2), mix.data()));
      const Notes notes = Notifications();
      ASSERT_EQ(notes.size(), 1u);
      EXPECT_TRUE(notes[0].first == MCI_NOTIFY_SUCCESSFUL || notes[0].first == MCI_NOTIFY_FAILURE);
    }
    EXPECT_EQ(Generic(id, MCI_CLOSE), 0u);
  }
}

}  // namespace
