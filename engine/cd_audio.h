// CD-audio music through the MCI "cdaudio" device: one track of the game's
// disc played from its start to its end, its end reported by MM_MCINOTIFY so
// that the window procedure can start it again. No operation reports an
// error: without a drive or a disc the game runs without music.
#pragma once

#include <cstdint>

#include "platform/mci/mci.h"
#include "platform/win32/types.h"

enum CdAudioState : std::uint32_t {
  CDAUDIO_NO_DEVICE = 0,
  CDAUDIO_OPEN = 1,
  CDAUDIO_CLOSED = 2,
  CDAUDIO_PLAYING = 3,
  CDAUDIO_STOPPED = 4,
};

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
