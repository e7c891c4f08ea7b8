// Recording implementations of the devices the application shell drives (the
// renderer, the cursor and the texture manager), linked into the engine tests
// in place of the real ones. Every call lands in one log, in order, so tests
// can assert sequences across devices; the script decides the results. CD
// audio and the mixer are the real classes over the platform's test
// backends; their commands join the same log ("mci play", "mci stop error",
// "mixerOpen", "mixer volume 1 21624", "mixer mute 4 1").
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
};

DeviceScript& Devices();
std::vector<std::string>& DeviceLog();
// Script back to its defaults, log emptied; no CD in the drive and no
// mixer device.
void ResetDevices();
// The game's CD in the drive: a data track, then audio tracks 2 and 3.
void InsertGameCd();
// Appends to the log (for the test doubles of the front end and the scenes).
void Log(const std::string& entry);
// The entries of the log that start with `prefix`.
std::vector<std::string> LogEntries(const std::string& prefix);

}  // namespace kelvtest
