// Little-endian byte writer for the data-file writers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kelvdata {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void S32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  void Raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Raw(const Bytes& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  // The text, its NUL, then zeros up to `size` bytes (truncated to fit).
  void FixedString(const std::string& s, std::size_t size) {
    std::size_t n = s.size() < size ? s.size() : size;
    Raw(s.data(), n);
    Zeros(size - n);
  }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  std::size_t Size() const { return bytes_.size(); }
  const Bytes& Data() const { return bytes_; }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

// Overwrites the four bytes at `offset` with a little-endian u32 (for
// damaging a valid file on purpose).
inline void PatchU32(Bytes* b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Writes bytes to a host path, creating parent directories. False on failure.
bool WriteHostFile(const std::string& hostPath, const Bytes& bytes);

// One file of a set written into a folder.
struct NamedBytes {
  const char* name;
  Bytes bytes;
};

// Writes each file into the folder `dir` (created as needed). False at the
// first failure.
bool WriteHostFiles(const std::string& dir, const std::vector<NamedBytes>& files);

}  // namespace kelvdata
