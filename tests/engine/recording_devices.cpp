#include "tests/engine/recording_devices.h"

#include "engine/cursor.h"
#include "engine/maths.h"
#include "engine/display.h"
#include "engine/texture_manager.h"
#include "platform/mci/mci.h"
#include "platform/mixer/mixer.h"

namespace kelvtest {

DeviceScript& Devices() {
  static DeviceScript script;
  return script;
}

std::vector<std::string>& DeviceLog() {
  static std::vector<std::string> log;
  return log;
}

namespace {

const char* MciName(UINT command) {
  switch (command) {
    case MCI_OPEN:
      return "open";
    case MCI_CLOSE:
      return "close";
    case MCI_PLAY:
      return "play";
    case MCI_STOP:
      return "stop";
    case MCI_SET:
      return "set";
    case MCI_STATUS:
      return "status";
    default:
      return "?";
  }
}

int LineKind(DWORD componentType) {
  static const DWORD kTypes[] = {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC,
                                 MIXERLINE_COMPONENTTYPE_SRC_DIGITAL, MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY,
                                 MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER};
  for (int i = 0; i < 6; ++i)
    if (kTypes[i] == componentType) return i;
  return -1;
}

void LogMci(const platform::MciCall& call) {
  Log(std::string("mci ") + MciName(call.command) + (call.result != 0 ? " error" : ""));
}

// Opening, closing and every change of a line; the queries would only
// repeat what the engine's own tests check.
void LogMixer(const platform::MixerCall& call) {
  const std::string error = call.result != MMSYSERR_NOERROR ? " error" : "";
  if (call.op == "mixerOpen" || call.op == "mixerClose") {
    Log(call.op + error);
  } else if (call.op == "mixerSetControlDetails") {
    const char* what = call.control == MIXERCONTROL_CONTROLTYPE_MUTE ? "mute" : "volume";
    Log(std::string("mixer ") + what + " " + std::to_string(LineKind(call.line)) + " " +
        std::to_string(call.values[0]) + error);
  }
}

}  // namespace

void ResetDevices() {
  Devices() = DeviceScript();
  DeviceLog().clear();
  platform::UseTestCd(true);
  platform::SetMciCallObserver(LogMci);
  platform::UseTestMixer(true);
  platform::SetTestMixerPresent(false);
  platform::SetMixerCallObserver(LogMixer);
}

void InsertGameCd() { platform::InsertTestDisc({{false, 300}, {true, 150}, {true, 75}}); }

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

bool Renderer::SetFogRange(float nearDistance, float farDistance) {
  Log("Renderer::SetFogRange " + std::to_string(nearDistance) + "," + std::to_string(farDistance));
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

// The drawing states and calls that the front end's widgets and the riders
// reach; the engine's tests draw nothing, so they only succeed.
bool Renderer::SetAlphaBlendEnable(bool) { return true; }
bool Renderer::SetSrcBlend(BlendFactor) { return true; }
bool Renderer::SetDestBlend(BlendFactor) { return true; }
bool Renderer::SetFogEnable(bool) { return true; }
bool Renderer::SetZFunc(DepthCompare) { return true; }
bool Renderer::SetTextureFilter(bool) { return true; }
bool Renderer::SetTextureBlend(TextureBlend) { return true; }
bool Renderer::SetAlphaTest(bool) { return true; }
bool Renderer::DrawTriangles(std::uint16_t, const ScreenVertex*) { return true; }
bool Renderer::DrawPoints(std::uint16_t, const ScreenVertex*) { return true; }
bool Renderer::DrawFullScreenImage(const std::uint16_t*, int) { return true; }

// ---- Texture manager --------------------------------------------------------

TextureManager::TextureManager() { g_ColourKey = {0, 0, 0}; }

bool TextureManager::ReloadAll() {
  Log("TextureManager::ReloadAll");
  return !Devices().reloadFails;
}

void TextureManager::ClearNames() { Log("TextureManager::ClearNames"); }

// No texture loads in the engine's tests.
bool TextureManager::Load(char*, TextureSlot*, std::uint8_t) { return false; }
bool TextureManager::Select(TextureSlot) { return false; }
void TextureManager::Free(TextureSlot) {}
void TextureManager::Repack() {}
void TextureManager::SampleTexel(TextureSlot, float, float, float* red, float* green, float* blue) {
  *red = *green = *blue = 0.0f;
}

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

// What the front end's widgets ask of the pointer: it stays where it is.
bool Cursor::Update() { return true; }
void Cursor::GetPosition(Vector3* out) { *out = Vector3(0.0f, 0.0f, 0.0f); }
void Cursor::SetPosition(int, int) {}
bool Cursor::IsMousePresent() { return false; }
