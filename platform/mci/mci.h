// The MCI "cdaudio" device (mciSendCommandA) with Win32 semantics, over
// libcdio: the disc is the optical drive's, or the BIN/CUE image named by the
// environment variable KELVARRO_CD (which then stands in every drive). A
// track plays as CD-DA (44.1 kHz stereo, 16 bits) streamed into the program's
// audio output (platform/dsound output stage, under the CD and master gains)
// by a reader thread, so that no command waits for the disc while it plays.
// The end of a play with MCI_NOTIFY posts MM_MCINOTIFY (wParam
// MCI_NOTIFY_SUCCESSFUL, lParam the device) to the callback window once its
// last sample has been mixed; a read error posts MCI_NOTIFY_FAILURE; a stop,
// a close or a new play posts MCI_NOTIFY_ABORTED or MCI_NOTIFY_SUPERSEDED
// for the play it ends.
//
// Commands: open (type "cdaudio", element a drive root such as "D:\"),
// close, set (time format MSF or TMSF), status (length of the disc or of a
// track, number of tracks), play (from/to, in the time format; audio tracks
// only), stop. Every other command answers MCIERR_UNSUPPORTED_FUNCTION.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/types.h"

using MCIDEVICEID = UINT;
using MCIERROR = DWORD;
using DWORD_PTR = std::uintptr_t;

constexpr UINT MCI_OPEN = 0x0803;
constexpr UINT MCI_CLOSE = 0x0804;
constexpr UINT MCI_PLAY = 0x0806;
constexpr UINT MCI_STOP = 0x0808;
constexpr UINT MCI_SET = 0x080D;
constexpr UINT MCI_STATUS = 0x0814;

// Flags of MM_MCINOTIFY (its wParam; lParam is the device).
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x1;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 0x2;
constexpr WPARAM MCI_NOTIFY_ABORTED = 0x4;
constexpr WPARAM MCI_NOTIFY_FAILURE = 0x8;

constexpr DWORD MCI_NOTIFY = 0x1;
constexpr DWORD MCI_WAIT = 0x2;
constexpr DWORD MCI_FROM = 0x4;
constexpr DWORD MCI_TO = 0x8;
constexpr DWORD MCI_TRACK = 0x10;
constexpr DWORD MCI_OPEN_SHAREABLE = 0x100;
constexpr DWORD MCI_OPEN_ELEMENT = 0x200;
constexpr DWORD MCI_OPEN_TYPE = 0x2000;
constexpr DWORD MCI_STATUS_ITEM = 0x100;
constexpr DWORD MCI_SET_TIME_FORMAT = 0x400;

constexpr DWORD MCI_STATUS_LENGTH = 0x1;
constexpr DWORD MCI_STATUS_NUMBER_OF_TRACKS = 0x3;
constexpr DWORD MCI_FORMAT_MSF = 2;
constexpr DWORD MCI_FORMAT_TMSF = 10;

constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_HARDWARE = 262;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = 264;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = 274;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = 276;
constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = 293;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = 297;

struct MCI_GENERIC_PARMS {
  DWORD_PTR dwCallback;  // the window that notifications go to
};

struct MCI_OPEN_PARMSA {
  DWORD_PTR dwCallback;
  MCIDEVICEID wDeviceID;  // out
  const char* lpstrDeviceType;
  const char* lpstrElementName;
  const char* lpstrAlias;
};

struct MCI_SET_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwTimeFormat;
  DWORD dwAudio;
};

struct MCI_STATUS_PARMS {
  DWORD_PTR dwCallback;
  DWORD_PTR dwReturn;  // out
  DWORD dwItem;
  DWORD dwTrack;
};

struct MCI_PLAY_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};

// Positions: MSF packs minutes, seconds and frames (75 per second) from the
// low byte up; TMSF puts the track in front.
constexpr DWORD MCI_MAKE_MSF(DWORD m, DWORD s, DWORD f) { return m | (s << 8) | (f << 16); }
constexpr DWORD MCI_MAKE_TMSF(DWORD t, DWORD m, DWORD s, DWORD f) { return t | (m << 8) | (s << 16) | (f << 24); }
constexpr BYTE MCI_MSF_MINUTE(DWORD msf) { return static_cast<BYTE>(msf); }
constexpr BYTE MCI_MSF_SECOND(DWORD msf) { return static_cast<BYTE>(msf >> 8); }
constexpr BYTE MCI_MSF_FRAME(DWORD msf) { return static_cast<BYTE>(msf >> 16); }

// `param` points at the command's parameter block (MCI_OPEN_PARMSA for
// MCI_OPEN, and so on); device 0 only for MCI_OPEN.
MCIERROR mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR param);

namespace platform {

// Test backend: a virtual disc in place of libcdio. Switching either way
// closes every device and forgets the disc, the faults and the record.
void UseTestCd(bool on);

struct TestCdTrack {
  bool audio = true;
  std::uint32_t sectors = 75;  // 1/75 s each (588 stereo frames)
};
// Every sample of audio track t is t x 1000 in both channels, so that a test
// hears which track plays. No tracks: no disc (opening fails).
void InsertTestDisc(const std::vector<TestCdTrack>& tracks);

enum class TestMciFailure { OPEN, SET, STATUS, PLAY, STOP, CLOSE, COUNT };
// The command answers MCIERR_HARDWARE.
void FailTestMci(TestMciFailure command, bool fail);
// Events of the playing device: its track reaches its end at once (the
// success notification is posted), or the disc fails to read (failure).
void EndTestTrack();
void FailTestPlayback();

struct MciCall {
  MCIDEVICEID device;
  UINT command;
  DWORD flags;
  // open: none; set: the time format; status: item and track; play: from, to.
  DWORD a;
  DWORD b;
  MCIERROR result;
};
const std::vector<MciCall>& RecordedMciCalls();
void ClearRecordedMciCalls();
// Also told of every call, as it completes (for logs across devices).
void SetMciCallObserver(std::function<void(const MciCall&)> observer);

}  // namespace platform
