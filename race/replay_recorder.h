// The player's controls and the frame times of a moto, recorded frame by
// frame into DATA\1.RPY so that the action replay can run the race again.
#pragma once

#include <cstdint>

#include "engine/disk_file.h"

// One frame as it lies in the file (16 bytes, little-endian).
struct ReplayFrame {
  float frameTime = 0.0f;  // s
  float throttle = 0.0f;   // throttle when above 0, else minus the brake
  std::uint32_t control1 = 0;  // the raw bytes of the second and third
  std::uint32_t control2 = 0;  // replayed control values
};
static_assert(sizeof(ReplayFrame) == 16, "a replay record is 16 bytes");

// The frame record of the player's controls, and the controls it carries.
ReplayFrame MakeReplayFrame(float frameTime, const float controls[3]);
void ReplayControls(const ReplayFrame& f, float controls[3]);

class ReplayRecorder {
 public:
  static constexpr std::uint32_t BLOCK_RECORDS = 4000;
  static constexpr std::uint32_t MAX_RECORDS = 250000;
  static constexpr const char* FILE_NAME = "DATA\\1.RPY";

  ReplayRecorder() = default;
  ~ReplayRecorder();
  ReplayRecorder(const ReplayRecorder&) = delete;
  ReplayRecorder& operator=(const ReplayRecorder&) = delete;

  bool Create();
  // Counters from zero; keeps the riders' bike conditions.
  void Start();
  void Write(const ReplayFrame& f);
  // Flushes the recording, gives the riders their conditions back and opens
  // the file for playback.
  void Rewind();
  // True when there is no record: the replay is over. A frame time read
  // back is kept within 0.001..0.05 s.
  bool Read(ReplayFrame& out);
  void Delete();

  std::uint32_t recordCount = 0;
  std::uint32_t bufferCount = 0;
  std::uint32_t totalRecords = 0;
  ReplayFrame buffer[BLOCK_RECORDS];
  DiskFile file;
  bool ok = true;
  // Engine, wheels, suspension, clutch, gearbox per rider slot.
  float startConditions[5][20] = {};

 private:
  bool WriteBlock();
  bool ReadBlock();
};
