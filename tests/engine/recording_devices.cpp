#include "tests/engine/recording_devices.h"

#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/display.h"
#include "engine/mixer.h"
#include "engine/texture_manager.h"

namespace kelvtest {

DeviceScript& Devices() {
  static DeviceScript script;
  return script;
}

std::vector<std::string>& DeviceLog() {
  static std::vector<std::string> log;
  return log;
}

void ResetDevices() {
  Devices() = DeviceScript();
  DeviceLog().clear();
}

void Log(const std::string& entry) { DeviceLog().push_back(entry); }

std::vector<std::string> LogEntries(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& e : DeviceLog()) {
    if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
  }
  return out;
}

}  // namespace kelvtest

using kelvtest::Devices;
using kelvtest::Log;

namespace {

std::string Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

// ---- Renderer ---------------------------------------------------------------

Renderer::Renderer() {}

bool Renderer::Open() {
  Log("Renderer::Open " + std::to_string(g_ScreenWidth) + "x" + std::to_string(g_ScreenHeight));
  if (Devices().openFails) return false;
  g_ViewWidth = static_cast<float>(g_ScreenWidth) - 1.0f;
  g_ViewHeight = static_cast<float>(g_ScreenHeight) - 1.0f;
  g_ViewRect = {0.0f, static_cast<float>(g_ScreenWidth) - 1.0f, 0.0f, static_cast<float>(g_ScreenHeight) - 1.0f};
  return true;
}

void Renderer::Close() { Log("Renderer::Close"); }

bool Renderer::ClearRect(int x0, int y0, int x1, int y1, bool clearDepth) {
  Log("Renderer::ClearRect " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(x1) + " " +
      std::to_string(y1) + " " + Flag(clearDepth) + " colour " + std::to_string(clearRed) + "," +
      std::to_string(clearGreen) + "," + std::to_string(clearBlue));
  return true;
}

bool Renderer::RestoreSurfaces() {
  Log("Renderer::RestoreSurfaces");
  if (Devices().restoreFailures > 0) {
    --Devices().restoreFailures;
    return false;
  }
  return true;
}

PresentResult Renderer::Present() {
  Log("Renderer::Present");
  return Devices().present;
}

bool Renderer::DrawFade() {
  Log("Renderer::DrawFade");
  return true;
}

bool Renderer::SetZEnable(bool on) {
  Log("Renderer::SetZEnable " + Flag(on));
  return true;
}

bool Renderer::SetZWriteEnable(bool on) {
  Log("Renderer::SetZWriteEnable " + Flag(on));
  return true;
}

bool Renderer::SetFogColour(float red, float green, float blue) {
  Log("Renderer::SetFogColour " + std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue));
  return true;
}

bool Renderer::SetDefaultStates() {
  Log("Renderer::SetDefaultStates");
  return true;
}

void Renderer::GetStatistics(RendererStatistics* out) { *out = Devices().statistics; }

void Renderer::ResetStatistics() { Log("Renderer::ResetStatistics"); }

void Renderer::AssignTextureSizeClasses(std::uint16_t groupsInUse) {
  Log("Renderer::AssignTextureSizeClasses " + std::to_string(groupsInUse));
}

bool Renderer::HoldsExclusiveWindow() { return Devices().exclusiveWindow; }

bool Renderer::ClosesWindowForMovies() { return Devices().exclusiveWindow; }

void Renderer::SuspendExclusiveWindow() { Log("Renderer::SuspendExclusiveWindow"); }

bool Renderer::ResumeExclusiveWindow(bool selectContext) {
  Log("Renderer::ResumeExclusiveWindow " + Flag(selectContext));
  return !Devices().resumeFails;
}

// ---- Texture manager --------------------------------------------------------

TextureManager::TextureManager() { g_ColourKey = {0, 0, 0}; }

bool TextureManager::ReloadAll() {
  Log("TextureManager::ReloadAll");
  return !Devices().reloadFails;
}

void TextureManager::ClearNames() { Log("TextureManager::ClearNames"); }

// ---- Cursor -----------------------------------------------------------------

Cursor::Cursor() {}

bool Cursor::SetDirectInput(IDirectInputA* directInput) {
  Log(std::string("Cursor::SetDirectInput ") + (directInput != nullptr ? "DirectInput" : "null"));
  return directInput != nullptr;
}

bool Cursor::Create(HWND) {
  Log("Cursor::Create");
  return !Devices().cursorCreateFails;
}

void Cursor::SetAcquired(bool on) { Log("Cursor::SetAcquired " + Flag(on)); }

void Cursor::FreeTextures() { Log("Cursor::FreeTextures"); }

bool Cursor::ReloadTextures() {
  Log("Cursor::ReloadTextures");
  return !Devices().cursorReloadFails;
}

void Cursor::SetClipRect(int left, int top, int right, int bottom, bool keepInside) {
  Log("Cursor::SetClipRect " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " +
      std::to_string(bottom) + " " + Flag(keepInside));
}

void Cursor::Release() { Log("Cursor::Release"); }

// ---- CD audio (a small model of the MCI device's states) ---------------------

CdAudio::CdAudio() {}

bool CdAudio::Open() {
  Log("CdAudio::Open");
  if (state != CDAUDIO_CLOSED && state != CDAUDIO_NO_DEVICE) return true;
  state = Devices().cdPresent ? CDAUDIO_OPEN : CDAUDIO_NO_DEVICE;
  device = Devices().cdPresent ? 7 : 0;
  return state == CDAUDIO_OPEN;
}

bool CdAudio::Close() {
  Log("CdAudio::Close");
  if (state == CDAUDIO_CLOSED) return true;
  state = Devices().cdPresent ? CDAUDIO_CLOSED : CDAUDIO_NO_DEVICE;
  return state == CDAUDIO_CLOSED;
}

bool CdAudio::Play() {
  Log("CdAudio::Play");
  if (state == CDAUDIO_PLAYING) return true;
  if (state == CDAUDIO_CLOSED || state == CDAUDIO_NO_DEVICE) return false;
  state = CDAUDIO_PLAYING;
  return true;
}

bool CdAudio::Stop() {
  Log("CdAudio::Stop");
  if (state == CDAUDIO_STOPPED) return true;
  if (state != CDAUDIO_PLAYING) return false;
  state = CDAUDIO_STOPPED;
  return true;
}

int CdAudio::OnNotify(WPARAM flags, LPARAM deviceId) {
  Log("CdAudio::OnNotify " + std::to_string(flags));
  if (static_cast<std::uint32_t>(deviceId) != device) return 1;
  if (flags == MCI_NOTIFY_SUCCESSFUL) {
    if (state != CDAUDIO_PLAYING) return 1;
    state = CDAUDIO_STOPPED;
    return 0;
  }
  return flags == MCI_NOTIFY_SUPERSEDED || flags == MCI_NOTIFY_ABORTED || flags == MCI_NOTIFY_FAILURE ? 0 : 1;
}

void CdAudio::Shutdown() { Log("CdAudio::Shutdown"); }

// ---- Mixer ------------------------------------------------------------------

Mixer::Mixer() {}

Mixer::~Mixer() {
  Log("Mixer::~Mixer");
  delete[] lines;
}

bool Mixer::Open() {
  Log("Mixer::Open");
  if (!Devices().mixerPresent) return false;
  handle = 1;
  if (!lines) {
    lines = new MixerLine[MIXER_LINE_COUNT];
    lineCount = MIXER_LINE_COUNT;
    for (std::uint32_t i = 0; i < MIXER_LINE_COUNT; ++i) {
      lines[i].mixer = handle;
      lines[i].kind = i;
      lines[i].created = 1;
    }
  }
  return true;
}

bool Mixer::Close() {
  Log("Mixer::Close");
  handle = 0;
  return true;
}

void MixerLine::SetVolume(int v) {
  Log("MixerLine::SetVolume " + std::to_string(kind) + " " + std::to_string(v));
  volume = static_cast<std::uint32_t>(v);
}

int MixerLine::GetVolume() { return Devices().lineVolumes[kind]; }

bool MixerLine::IsEnabled() { return true; }

void MixerLine::SetEnabled(bool on) { Log("MixerLine::SetEnabled " + std::to_string(kind) + " " + Flag(on)); }
