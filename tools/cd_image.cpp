#include "tools/cd_image.h"

#include "tools/seeds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace kelvdata {
namespace {

constexpr std::uint32_t kUserBytes = 2048;
// Sector addresses in a header count the two-second lead-in.
constexpr std::uint32_t kLeadIn = 2 * CD_SECTORS_PER_SECOND;

std::uint8_t Bcd(std::uint32_t v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// The EDC of a mode-1 sector: a CRC-32 over sync, header and data with the
// reversed polynomial 0xD8018001, stored little-endian.
std::uint32_t Edc(const std::uint8_t* bytes, std::size_t n) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= bytes[i];
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ ((crc & 1) ? 0xD8018001u : 0);
  }
  return crc;
}

std::string Msf(std::uint32_t sectors) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", sectors / (60 * CD_SECTORS_PER_SECOND),
                sectors / CD_SECTORS_PER_SECOND % 60, sectors % CD_SECTORS_PER_SECOND);
  return text;
}

}  // namespace

CdImage BuildCdImage(const std::string& binName, const std::vector<CdTrack>& tracks) {
  CdImage image;
  image.cue = "FILE \"" + binName + "\" BINARY\r\n";
  std::uint32_t start = 0;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02zu %s\r\n", i + 1, tracks[i].audio ? "AUDIO" : "MODE1/2352");
    image.cue += line;
    image.cue += "    INDEX 01 " + Msf(start) + "\r\n";
    image.bin.insert(image.bin.end(), tracks[i].sectors.begin(), tracks[i].sectors.end());
    start += static_cast<std::uint32_t>(tracks[i].sectors.size() / CD_SECTOR_BYTES);
  }
  return image;
}

Bytes Mode1Sectors(const Bytes& data, std::uint32_t firstLsn) {
  ByteWriter w;
  const std::size_t count = data.empty() ? 1 : (data.size() + kUserBytes - 1) / kUserBytes;
  for (std::size_t s = 0; s < count; ++s) {
    const std::size_t begin = w.Size();
    w.U8(0x00);
    for (int i = 0; i < 10; ++i) w.U8(0xFF);
    w.U8(0x00);
    const std::uint32_t address = firstLsn + static_cast<std::uint32_t>(s) + kLeadIn;
    w.U8(Bcd(address / (60 * CD_SECTORS_PER_SECOND)));
    w.U8(Bcd(address / CD_SECTORS_PER_SECOND % 60));
    w.U8(Bcd(address % CD_SECTORS_PER_SECOND));
    w.U8(0x01);
    for (std::size_t i = 0; i < kUserBytes; ++i) {
      const std::size_t at = s * kUserBytes + i;
      w.U8(at < data.size() ? data[at] : 0);
    }
    w.U32(Edc(w.Data().data() + begin, 16 + kUserBytes));
    w.Zeros(8);    // reserved
    w.Zeros(276);  // P and Q parity
  }
  return w.Take();
}

std::int16_t ToneSample(double hz, double amplitude, std::uint32_t frame) {
  const double t = static_cast<double>(frame) / (CD_SECTORS_PER_SECOND * CD_SECTOR_FRAMES);
  return static_cast<std::int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * 3.14159265358979323846 * hz * t)));
}

Bytes ToneSectors(double hz, double amplitude, std::uint32_t sectors) {
  ByteWriter w;
  for (std::uint32_t f = 0; f < sectors * CD_SECTOR_FRAMES; ++f) {
    const auto v = static_cast<std::uint16_t>(ToneSample(hz, amplitude, f));
    w.U16(v);  // left
    w.U16(v);  // right
  }
  return w.Take();
}

CdImage GameCdImage(const std::string& binName) {
  const std::string label = "KELVARRO";
  const std::uint32_t dataSectors = CD_SECTORS_PER_SECOND;
  Bytes data(dataSectors * kUserBytes, 0);
  std::copy(label.begin(), label.end(), data.begin());
  return BuildCdImage(binName, {{false, Mode1Sectors(data, 0)},
                                {true, ToneSectors(GAME_CD_TRACK2_HZ, GAME_CD_AMPLITUDE, 2 * CD_SECTORS_PER_SECOND)},
                                {true, ToneSectors(GAME_CD_TRACK3_HZ, GAME_CD_AMPLITUDE, CD_SECTORS_PER_SECOND)}});
}

bool WriteCdImage(const std::string& cuePath, const std::string& binName, const CdImage& image) {
  const std::filesystem::path bin = std::filesystem::path(cuePath).parent_path() / binName;
  return WriteHostFile(cuePath, Bytes(image.cue.begin(), image.cue.end())) && WriteHostFile(bin.string(), image.bin);
}

namespace {

Bytes CueSeed(const CdImage& image) {
  Bytes b(image.cue.begin(), image.cue.end());
  b.push_back(0);
  b.insert(b.end(), image.bin.begin(), image.bin.end());
  return b;
}

}  // namespace

bool WriteCueSeeds(const std::string& dir) {
  const CdTrack data{false, Mode1Sectors(Bytes{'K'}, 0)};
  const CdTrack tone{true, ToneSectors(440.0, 0.5, 2)};
  const CdTrack other{true, ToneSectors(660.0, 0.5, 1)};
  CdImage game = BuildCdImage("DISC.BIN", {data, tone, other});
  CdImage audioOnly = BuildCdImage("DISC.BIN", {tone, other});
  CdImage cut = game;
  cut.bin.resize(cut.bin.size() - CD_SECTOR_BYTES / 2);
  CdImage noIndex = game;
  noIndex.cue = noIndex.cue.substr(0, noIndex.cue.rfind("    INDEX"));
  CdImage otherFile = game;
  otherFile.cue.replace(otherFile.cue.find("DISC.BIN"), 8, "NONE.BIN");
  const std::vector<NamedBytes> seeds = {
      {"game.cuebin", CueSeed(game)},       {"audio_only.cuebin", CueSeed(audioOnly)},
      {"cut.cuebin", CueSeed(cut)},         {"no_index.cuebin", CueSeed(noIndex)},
      {"other_file.cuebin", CueSeed(otherFile)}, {"empty.cuebin", Bytes{}},
  };
  return WriteHostFiles(dir, seeds);
}

}  // namespace kelvdata
