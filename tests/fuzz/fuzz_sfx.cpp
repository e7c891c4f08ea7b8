// Fuzz target for the .SFX reader: any bytes as a sound file. Load always
// returns true; the sample gets a buffer exactly when the bytes are a
// playable file (checked here from the format's description), holding the
// file's PCM at the file's rate, and a box otherwise. The sample then plays
// through the mixer at a changing rate.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/sound_device.h"
#include "engine/sound_sample.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-sfx", ".sfx") {}
};

struct Setup {
  Setup() {
    platform::UseTestSound(true);
    platform::UseTestMessageBoxes(true);
    InitSoundDevice(reinterpret_cast<HWND>(static_cast<std::intptr_t>(1)));
    Check(g_DirectSound != nullptr);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  static TempFile temp;
  {
    std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return 0;
  }
  platform::ClearRecordedMessageBoxes();
  platform::ClearRecordedSoundCalls();

  // The format: 4 header bytes (bits 8 or 16, channels 1 or 2, rate of at
  // least 100 Hz) and at least 4 bytes of PCM.
  bool playable =
      size >= 8 && (data[0] == 8 || data[0] == 16) && (data[1] == 1 || data[1] == 2) && (data[2] | data[3] << 8) >= 100;

  SoundSample s;
  Check(s.Load(temp.path.c_str()));
  Check(s.data == nullptr);
  Check(platform::RecordedMessageBoxes().size() == (playable ? 0u : 1u));
  Check((s.buffer != nullptr) == playable);
  if (!playable) return 0;

  DWORD pcmBytes = static_cast<DWORD>(size - 4);
  WAVEFORMATEX f{};
  Check(s.buffer->GetFormat(&f, sizeof(f), nullptr) == DS_OK);
  Check(f.wBitsPerSample == data[0] && f.nChannels == data[1] &&
        f.nSamplesPerSec == static_cast<DWORD>(data[2] | data[3] << 8));
  void* p1;
  void* p2;
  DWORD n1, n2;
  Check(s.buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER) == DS_OK);
  Check(n1 == pcmBytes && n2 == 0 && std::memcmp(p1, data + 4, pcmBytes) == 0);
  Check(s.buffer->Unlock(p1, n1, p2, n2) == DS_OK);

  // Play it through the mixer, looping, then once, at rates from the data.
  static float out[2 * 700];
  s.Play(true);
  for (int i = 0; i < 4; ++i) {
    s.SetFrequency(static_cast<DWORD>(data[4 + i % 4]) * 400u + static_cast<DWORD>(i) * 7u);
    s.SetPan(static_cast<LONG>(data[4 + (i + 1) % 4]) * 80 - 10000);
    Check(platform::RenderMix(700, out));
    for (float v : out) Check(v >= -1.0f && v <= 1.0f);
  }
  s.Stop();
  s.Play(false);
  Check(platform::RenderMix(700, out));
  DWORD status = 0;
  s.GetStatus(&status);
  Check((status & ~(DSBSTATUS_PLAYING)) == 0);
  return 0;
}
