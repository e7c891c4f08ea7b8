#include "tools/sfx.h"

#include <cmath>
#include <string>

#include "tools/seeds.h"

namespace kelvdata {

Bytes BuildSfx(std::uint8_t bits, std::uint8_t channels, std::uint16_t rate, const Bytes& pcm) {
  ByteWriter w;
  w.U8(bits);      // 0: bits per sample, 8 or 16
  w.U8(channels);  // 1: channels, 1 or 2
  w.U16(rate);     // 2: sample rate in Hz
  w.Raw(pcm);      // 4: PCM data to the end of the file
  return w.Take();
}

Bytes SineTonePcm(std::uint8_t bits, std::uint8_t channels, std::uint16_t rate, double hz, double amplitude,
                  std::uint32_t frames) {
  ByteWriter w;
  const double kTwoPi = 6.283185307179586;
  for (std::uint32_t i = 0; i < frames; ++i) {
    double v = amplitude * std::sin(kTwoPi * hz * i / rate);
    for (int c = 0; c < channels; ++c) {
      if (bits == 8)
        w.U8(static_cast<std::uint8_t>(std::lround(128.0 + 127.0 * v)));
      else
        w.U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(32767.0 * v))));
    }
  }
  return w.Take();
}

bool WriteSfxSeeds(const std::string& dir) {
  const std::vector<NamedBytes> seeds = {
      {"mono8.sfx", BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, 440.0, 0.8, 64))},
      {"mono16.sfx", BuildSfx(16, 1, 22050, SineTonePcm(16, 1, 22050, 440.0, 0.8, 64))},
      {"stereo8.sfx", BuildSfx(8, 2, 22050, SineTonePcm(8, 2, 22050, 1000.0, 0.5, 32))},
      {"stereo16.sfx", BuildSfx(16, 2, 44100, SineTonePcm(16, 2, 44100, 1000.0, 0.5, 32))},
      {"smallest.sfx", BuildSfx(8, 1, 100, Bytes{128, 128, 128, 128})},
      {"odd_length16.sfx", BuildSfx(16, 1, 22050, Bytes{1, 2, 3, 4, 5})},
      {"header_only.sfx", BuildSfx(16, 2, 22050, {})},
      {"short_data.sfx", BuildSfx(8, 1, 22050, Bytes{128, 128, 128})},
      {"bits12.sfx", BuildSfx(12, 1, 22050, Bytes(16, 0))},
      {"channels3.sfx", BuildSfx(16, 3, 22050, Bytes(24, 0))},
      {"rate0.sfx", BuildSfx(16, 1, 0, Bytes(16, 0))},
      {"rate99.sfx", BuildSfx(8, 1, 99, Bytes(16, 128))},
      {"short_header.sfx", Bytes{16, 1, 0x22}},
      {"empty.sfx", Bytes{}},
      // Two seconds of a real effect's size.
      {"long16.sfx", BuildSfx(16, 2, 22050, SineTonePcm(16, 2, 22050, 220.0, 0.7, 44100))},
  };
  return WriteHostFiles(dir, seeds);
}

}  // namespace kelvdata
