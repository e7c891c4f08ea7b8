// Recording implementations of the devices the application shell drives (the
// renderer, CD audio, the mixer, the cursor and the texture manager), linked
// into the engine tests in place of the real ones. Every call lands in one
// log, in order, so tests can assert sequences across devices; the script
// decides the results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/renderer.h"

namespace kelvtest {

struct DeviceScript {
  // Renderer
  bool openFails = false;
  int restoreFailures = 0;  // the next n RestoreSurfaces fail
  PresentResult present = PresentResult::SHOWN;
  bool exclusiveWindow = false;  // a renderer with a window of its own (Glide)
  bool resumeFails = false;
  RendererStatistics statistics = {};
  // Texture manager
  bool reloadFails = false;
  // Cursor
  bool cursorReloadFails = false;
  bool cursorCreateFails = false;
  // CD audio and mixer
  bool cdPresent = false;
  bool mixerPresent = false;
  int lineVolumes[6] = {};  // by MixerLineKind
};

DeviceScript& Devices();
std::vector<std::string>& DeviceLog();
// Script back to its defaults, log emptied.
void ResetDevices();
// Appends to the log (for the test doubles of the front end and the scenes).
void Log(const std::string& entry);
// The entries of the log that start with `prefix`.
std::vector<std::string> LogEntries(const std::string& prefix);

}  // namespace kelvtest
