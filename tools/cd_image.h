// Writer of BIN/CUE disc images: the image file holds the raw 2352-byte
// sectors of every track one after the other; the cue sheet, a text file,
// names the image and says where each track begins in it (INDEX 01 as
// minutes:seconds:frames from the start of the file, 75 frames a second).
// Audio sectors are CD-DA: 588 frames of 16-bit little-endian stereo, left
// first. Data sectors are raw mode 1: sync, header, 2048 bytes of data, EDC.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

constexpr std::uint32_t CD_SECTOR_BYTES = 2352;
constexpr std::uint32_t CD_SECTOR_FRAMES = 588;
constexpr std::uint32_t CD_SECTORS_PER_SECOND = 75;

struct CdTrack {
  bool audio = true;
  Bytes sectors;  // whole sectors
};

struct CdImage {
  std::string cue;
  Bytes bin;
};

// The cue sheet names the image `binName` (as written beside it).
CdImage BuildCdImage(const std::string& binName, const std::vector<CdTrack>& tracks);

// Raw mode-1 sectors holding `data` (padded with zeros to whole sectors),
// the first at sector address `firstLsn`. The ECC bytes stay zero: nothing
// reads the data track's raw sectors.
Bytes Mode1Sectors(const Bytes& data, std::uint32_t firstLsn);

// Sample `frame` of a sine tone at 44.1 kHz, `amplitude` 0..1 of full scale.
std::int16_t ToneSample(double hz, double amplitude, std::uint32_t frame);
// CD-DA sectors of that tone, the same in both channels.
Bytes ToneSectors(double hz, double amplitude, std::uint32_t sectors);

// The synthetic game disc: track 1 data (one second), track 2 two seconds of
// GAME_CD_TRACK2_HZ, track 3 one second of GAME_CD_TRACK3_HZ, both at
// GAME_CD_AMPLITUDE.
constexpr double GAME_CD_TRACK2_HZ = 440.0;
constexpr double GAME_CD_TRACK3_HZ = 660.0;
constexpr double GAME_CD_AMPLITUDE = 0.5;
CdImage GameCdImage(const std::string& binName);

// Writes the cue sheet to `cuePath` and the image beside it under the name
// its cue sheet gives.
bool WriteCdImage(const std::string& cuePath, const std::string& binName, const CdImage& image);

}  // namespace kelvdata
