// CD-audio music through the MCI "cdaudio" device. Declared here as far as the
// application shell uses it; its own module implements the operations.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

enum CdAudioState : std::uint32_t {
  CDAUDIO_NO_DEVICE = 0,
  CDAUDIO_OPEN = 1,
  CDAUDIO_CLOSED = 2,
  CDAUDIO_PLAYING = 3,
  CDAUDIO_STOPPED = 4,
};

// Flags of MM_MCINOTIFY (its wParam), as the window procedure receives them.
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x1;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 0x2;
constexpr WPARAM MCI_NOTIFY_ABORTED = 0x4;
constexpr WPARAM MCI_NOTIFY_FAILURE = 0x8;

class CdAudio {
 public:
  CdAudio();

  bool Open();
  bool Close();
  bool Play();
  bool Stop();
  // MM_MCINOTIFY: 0 when handled, else non-zero.
  int OnNotify(WPARAM flags, LPARAM deviceId);
  // Exit handler: stops and closes the device.
  void Shutdown();

  std::uint8_t track = 0;
  std::uint32_t device = 0;
  std::uint32_t state = CDAUDIO_NO_DEVICE;
};

extern CdAudio& g_CdAudio;
