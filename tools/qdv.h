// Writer of the scene table DATA\QDV.BIN: u32 count, then per scene a u32
// kind, a u32 name length n (with the NUL, at most 256), the n bytes of the
// name with its NUL, and a u8 flag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

struct QdvEntry {
  std::uint32_t kind;  // 0 front-end scene, 1 race
  std::string name;    // scene file name; cut to 255 bytes
  std::uint8_t flag = 0;
};

Bytes BuildQdv(const std::vector<QdvEntry>& entries);

// A record written as given, for damaged tables: the length field need not
// match the name bytes, which need not end in a NUL.
struct QdvRecord {
  std::uint32_t kind;
  std::uint32_t length;
  Bytes name;
  std::uint8_t flag = 0;
};

Bytes BuildQdvRaw(std::uint32_t count, const std::vector<QdvRecord>& records);

}  // namespace kelvdata
