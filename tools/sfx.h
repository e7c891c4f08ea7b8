// Writer of sound files (.SFX): u8 bits per sample, u8 channels, u16 sample
// rate in Hz, then the PCM data to the end of the file.
#pragma once

#include <cstdint>

#include "tools/bytes.h"

namespace kelvdata {

// The header fields are written as given (damaged files included); `pcm` is
// 8-bit unsigned or 16-bit signed little-endian, channels interleaved.
Bytes BuildSfx(std::uint8_t bits, std::uint8_t channels, std::uint16_t rate, const Bytes& pcm);

// PCM of a sine tone: `frames` frames of `hz` Hz at `rate`, peak `amplitude`
// (0..1 of full scale), the same in every channel.
Bytes SineTonePcm(std::uint8_t bits, std::uint8_t channels, std::uint16_t rate, double hz, double amplitude,
                  std::uint32_t frames);

}  // namespace kelvdata
