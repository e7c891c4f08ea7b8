// Little-endian field reads from an open stream, for the loaders of
// untrusted data files. Knows where the file ends, so that a loader can
// refuse a count before allocating for it.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/maths.h"
#include "engine/stream.h"

// The largest magnitude a float of a data file may have. Nothing in a model
// comes near it, and products of values below it cannot overflow on their
// way through the key interpolation and the transform.
constexpr float DATA_FLOAT_LIMIT = 1.0e9f;

// False for NaNs, infinities and magnitudes above DATA_FLOAT_LIMIT.
inline bool SaneFloat(float f) { return std::fabs(f) <= DATA_FLOAT_LIMIT; }

class DataReader {
 public:
  // Create right after opening: the file ends Size() bytes after the current
  // position.
  explicit DataReader(Stream* stream) : stream_(stream), end_(static_cast<std::int64_t>(stream->Tell()) + stream->Size()) {}

  Stream* stream() const { return stream_; }

  // Bytes between the current position and the end of the file.
  std::uint64_t Remaining() const {
    std::int64_t left = end_ - stream_->Tell();
    return left > 0 ? static_cast<std::uint64_t>(left) : 0;
  }

  bool Bytes(void* out, std::uint64_t n) {
    if (n > Remaining()) return false;
    return n == 0 || stream_->Read(out, static_cast<int>(n));
  }
  bool Skip(int n) {
    std::uint8_t scratch[8];
    return n <= static_cast<int>(sizeof(scratch)) && Bytes(scratch, static_cast<std::uint64_t>(n));
  }
  bool U8(std::uint8_t* out) { return Bytes(out, 1); }
  bool U16(std::uint16_t* out) {
    std::uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    *out = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return true;
  }
  bool U32(std::uint32_t* out) {
    std::uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    *out = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
  }
  // Refuses what SaneFloat refuses: such values would reach integer
  // conversions and the rasteriser as NaNs.
  bool F32(float* out) {
    std::uint32_t u;
    if (!U32(&u)) return false;
    std::memcpy(out, &u, 4);
    return SaneFloat(*out);
  }
  bool Matrix(Matrix4* out) {
    for (float& e : out->m) {
      if (!F32(&e)) return false;
    }
    return true;
  }
  // A string stored as a u32 length (with its NUL) and the bytes: the
  // length must be 1..size and the last byte a NUL.
  bool String(char* out, std::uint32_t size) {
    std::uint32_t n;
    if (!U32(&n) || n == 0 || n > size || !Bytes(out, n)) return false;
    return out[n - 1] == '\0';
  }

 private:
  Stream* stream_;
  std::int64_t end_;
};
