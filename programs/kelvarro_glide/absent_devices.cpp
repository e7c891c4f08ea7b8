// The devices whose modules have not arrived yet, as a machine without them
// would have them: no CD drive, no mixer. The program runs silently until the
// real modules replace this file.
#include "engine/cd_audio.h"
#include "engine/mixer.h"

CdAudio::CdAudio() {}
bool CdAudio::Open() { return false; }
bool CdAudio::Close() { return state == CDAUDIO_CLOSED; }
bool CdAudio::Play() { return false; }
bool CdAudio::Stop() { return false; }
// Not our device: the window procedure goes on with the message.
int CdAudio::OnNotify(WPARAM, LPARAM) { return 1; }
void CdAudio::Shutdown() {}

Mixer::Mixer() {}
Mixer::~Mixer() { delete[] lines; }
bool Mixer::Open() { return false; }
bool Mixer::Close() {
  handle = 0;
  return true;
}
void MixerLine::SetVolume(int v) { volume = static_cast<std::uint32_t>(v); }
int MixerLine::GetVolume() { return static_cast<int>(volume); }
bool MixerLine::IsEnabled() { return false; }
void MixerLine::SetEnabled(bool) {}
