// The audio mixer lines whose volumes the game sets. Declared here as far as
// the application shell uses them; their own module implements the operations.
#pragma once

#include <cstdint>

enum MixerLineKind : std::uint32_t {
  MIXER_LINE_MASTER = 0,
  MIXER_LINE_CD = 1,
  MIXER_LINE_DIGITAL = 2,
  MIXER_LINE_AUX = 3,
  MIXER_LINE_WAVE = 4,
  MIXER_LINE_SYNTH = 5,
  MIXER_LINE_COUNT = 6,
};

class MixerLine {
 public:
  void SetVolume(int volume);  // 0..100
  int GetVolume();             // 0..100
  bool IsEnabled();
  void SetEnabled(bool on);

  std::uintptr_t mixer = 0;
  std::uint32_t kind = MIXER_LINE_MASTER;
  std::uint8_t created = 0;
  std::uint32_t volume = 0;
};

class Mixer {
 public:
  Mixer();
  // Exit handler: frees the line array.
  ~Mixer();

  bool Open();
  bool Close();
  bool IsOpen() const { return handle != 0; }
  // The line of a kind, or null when the line array does not exist.
  MixerLine* Line(MixerLineKind kind) { return lines ? &lines[kind] : nullptr; }

  std::uintptr_t handle = 0;
  std::uint32_t lineCount = 0;
  MixerLine* lines = nullptr;
};

extern Mixer& g_Mixer;
