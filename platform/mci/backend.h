// Inside the MCI layer: the disc that a backend (libcdio, or the test's
// virtual disc) offers. The command layer and the player are shared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mci/mci.h"

namespace mci_detail {

// One raw CD-DA sector: 588 stereo frames of 16-bit samples.
constexpr std::uint32_t SECTOR_FRAMES = 588;
constexpr std::uint32_t SECTORS_PER_SECOND = 75;

struct Track {
  bool audio = true;
  std::uint32_t start = 0;    // first sector (LSN)
  std::uint32_t sectors = 0;  // length
};

class Disc {
 public:
  virtual ~Disc() = default;
  // Track number of tracks[0].
  int firstTrack = 1;
  std::vector<Track> tracks;
  // Reads `count` sectors from `lsn` as interleaved stereo samples
  // (count x SECTOR_FRAMES x 2). Called by the player's reader thread only.
  virtual bool Read(std::uint32_t lsn, std::uint32_t count, std::int16_t* out) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // The disc in the drive of `root` ("D:\"); null when there is none.
  virtual std::unique_ptr<Disc> OpenDisc(const std::string& root) = 0;
  // Test backend only.
  virtual bool Fails(platform::TestMciFailure) { return false; }
  virtual void Note(const platform::MciCall&) {}
};

Backend& CurrentBackend();
Backend* MakeCdioBackend();
bool TestBackendActive();

}  // namespace mci_detail
