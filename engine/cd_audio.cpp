#include "engine/cd_audio.h"

#include <algorithm>

#include "engine/app.h"
#include "engine/system.h"

namespace {

bool IsPlaying(std::uint32_t state) { return state == CDAUDIO_PLAYING || state == 5; }

MCIERROR StopWaiting(std::uint32_t device) {
  MCI_GENERIC_PARMS p{};
  return mciSendCommandA(device, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
}

MCIERROR CloseDevice(std::uint32_t device) {
  MCI_GENERIC_PARMS p{};
  return mciSendCommandA(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
}

}  // namespace

CdAudio::CdAudio() {}

bool CdAudio::Open() {
  if (state != CDAUDIO_CLOSED && state != CDAUDIO_NO_DEVICE) return true;
  char root[MAX_PATH] = "D:\\";
  char found[MAX_PATH] = {};
  if (FindGameDisc(found)) std::copy(found, found + sizeof found, root);
  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = "cdaudio";
  open.lpstrElementName = root;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0) {
    state = CDAUDIO_NO_DEVICE;
    return false;
  }
  device = open.wDeviceID;
  MCI_SET_PARMS set{};
  set.dwTimeFormat = MCI_FORMAT_TMSF;
  if (mciSendCommandA(device, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)) != 0) {
    CloseDevice(device);
    state = CDAUDIO_CLOSED;
    return false;
  }
  state = CDAUDIO_OPEN;
  return true;
}

bool CdAudio::Close() {
  if (state == CDAUDIO_CLOSED) return true;
  if (CloseDevice(device) != 0) {
    state = CDAUDIO_NO_DEVICE;
    return false;
  }
  state = CDAUDIO_CLOSED;
  return true;
}

bool CdAudio::Play() {
  if (state == CDAUDIO_PLAYING) return true;
  if (state == CDAUDIO_CLOSED || state == CDAUDIO_NO_DEVICE) return false;
  MCI_STATUS_PARMS status{};
  status.dwItem = MCI_STATUS_LENGTH;
  status.dwTrack = track;
  bool ok = mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&status)) == 0;
  if (ok) {
    // The whole track: from its start to its length, in TMSF.
    const DWORD length = static_cast<DWORD>(status.dwReturn);
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(g_App.hwnd);
    play.dwFrom = MCI_MAKE_TMSF(track, 0, 0, 0);
    play.dwTo = MCI_MAKE_TMSF(track, MCI_MSF_MINUTE(length), MCI_MSF_SECOND(length), MCI_MSF_FRAME(length));
    ok = mciSendCommandA(device, MCI_PLAY, MCI_FROM | MCI_TO | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) == 0;
  }
  if (!ok) {
    CloseDevice(device);
    state = CDAUDIO_CLOSED;
    return false;
  }
  state = CDAUDIO_PLAYING;
  return true;
}

bool CdAudio::Stop() {
  if (state == CDAUDIO_STOPPED) return true;
  if (!IsPlaying(state)) return false;
  if (StopWaiting(device) != 0) {
    CloseDevice(device);
    state = CDAUDIO_CLOSED;
    return false;
  }
  state = CDAUDIO_STOPPED;
  return true;
}

int CdAudio::OnNotify(WPARAM flags, LPARAM deviceId) {
  if (static_cast<std::uint32_t>(deviceId) != device) return 1;
  switch (flags) {
    case MCI_NOTIFY_SUCCESSFUL:
      if (!IsPlaying(state)) return 1;
      state = CDAUDIO_STOPPED;  // the track has ended
      return 0;
    case MCI_NOTIFY_SUPERSEDED:
    case MCI_NOTIFY_ABORTED:
      return 0;
    case MCI_NOTIFY_FAILURE:
      if (state == CDAUDIO_STOPPED) return 0;
      if (IsPlaying(state)) {
        if (StopWaiting(device) == 0) {
          state = CDAUDIO_STOPPED;
        } else {
          CloseDevice(device);
          state = CDAUDIO_CLOSED;
        }
      }
      if (state != CDAUDIO_CLOSED && state != CDAUDIO_STOPPED)
        state = CloseDevice(device) == 0 ? CDAUDIO_CLOSED : CDAUDIO_NO_DEVICE;
      return 0;
    default:
      return 1;
  }
}

void CdAudio::Shutdown() {
  if (IsPlaying(state)) {
    if (StopWaiting(device) == 0) {
      state = CDAUDIO_STOPPED;
    } else {
      CloseDevice(device);
      state = CDAUDIO_CLOSED;
    }
  }
  if (state != CDAUDIO_CLOSED && state != CDAUDIO_NO_DEVICE)
    state = CloseDevice(device) == 0 ? CDAUDIO_CLOSED : CDAUDIO_NO_DEVICE;
}
