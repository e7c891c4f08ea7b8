// Fuzz target for disc images: a cue sheet, a NUL, then the image it names
// ("DISC.BIN"), opened as the CD through libcdio. Whatever the bytes, the
// device opens or refuses, and every track that starts playing ends with
// exactly one notification once its samples have been mixed, all of them
// within full scale.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/output.h"
#include "platform/mci/mci.h"
#include "platform/win32/window.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

struct Setup {
  std::filesystem::path dir;
  HWND hwnd = nullptr;
  IDirectSound* sound = nullptr;

  Setup() {
    dir = std::filesystem::temp_directory_path() / ("kelv-fuzz-cue-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    setenv("KELVARRO_CD", (dir / "DISC.CUE").c_str(), 1);
    platform::UseTestWindowing(true);
    platform::UseTestSound(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "FUZZCUE";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, "FUZZCUE", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    Check(hwnd != nullptr);
    Check(DirectSoundCreate(nullptr, &sound, nullptr) == DS_OK);
    platform::WaitForOutputStreams(true);
  }
  ~Setup() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

int Notifications() {
  int n = 0;
  MSG m{};
  while (PeekMessageA(&m, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  const std::uint8_t* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  const std::size_t cueSize = nul ? static_cast<std::size_t>(nul - data) : size;
  {
    std::ofstream cue(setup.dir / "DISC.CUE", std::ios::binary | std::ios::trunc);
    cue.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(cueSize));
    std::ofstream bin(setup.dir / "DISC.BIN", std::ios::binary | std::ios::trunc);
    if (nul) bin.write(reinterpret_cast<const char*>(nul + 1), static_cast<std::streamsize>(size - cueSize - 1));
  }
  Notifications();

  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = "cdaudio";
  open.lpstrElementName = "D:\\";
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0)
    return 0;
  const MCIDEVICEID id = open.wDeviceID;
  MCI_SET_PARMS set{};
  set.dwTimeFormat = MCI_FORMAT_TMSF;
  Check(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)) == 0);
  MCI_STATUS_PARMS count{};
  count.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
  Check(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&count)) == 0);
  // The image is the input, so every track is at most as long as the input.
  const std::size_t maxFrames = size / 4 + 1;
  static std::vector<float> mix;
  for (DWORD track = 0; track <= count.dwReturn + 1 && track < 6; ++track) {
    MCI_STATUS_PARMS length{};
    length.dwItem = MCI_STATUS_LENGTH;
    length.dwTrack = track;
    if (mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&length)) != 0)
      continue;
    const DWORD msf = static_cast<DWORD>(length.dwReturn);
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(setup.hwnd);
    play.dwFrom = MCI_MAKE_TMSF(track, 0, 0, 0);
    play.dwTo = MCI_MAKE_TMSF(track, MCI_MSF_MINUTE(msf), MCI_MSF_SECOND(msf), MCI_MSF_FRAME(msf));
    if (mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_TO | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) != 0)
      continue;
    // A track that the image holds has ended by then; one that a damaged
    // cue sheet makes longer than the image is only heard for a while.
    const std::size_t frames = (MCI_MSF_MINUTE(msf) * 60u * 75u + MCI_MSF_SECOND(msf) * 75u + MCI_MSF_FRAME(msf)) * 588u;
    mix.assign(2 * (std::min(frames, maxFrames) + 588), 0.0f);
    Check(platform::RenderMix(static_cast<int>(mix.size() / 2), mix.data()));
    for (float v : mix) Check(v >= -1.0f && v <= 1.0f);
    const int notes = Notifications();
    Check(frames <= maxFrames ? notes == 1 : notes <= 1);
    MCI_GENERIC_PARMS stop{};
    Check(mciSendCommandA(id, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&stop)) == 0);
    Check(Notifications() == (notes == 1 ? 0 : 1));
  }
  MCI_GENERIC_PARMS close{};
  Check(mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close)) == 0);
  Check(Notifications() == 0);
  return 0;
}
