// Writer of text databases (.TDB): u32 count, then per text a u16 length
// (with the NUL) and the bytes with their NUL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

// A database of the given texts, in order (text id n is texts[n]). A text
// longer than the 16-bit length allows is cut to 65534 bytes.
Bytes BuildTdb(const std::vector<std::string>& texts);

// One text record written exactly as given: the length field and then the
// bytes, which need not match it nor end with a NUL.
struct TdbRecord {
  std::uint16_t length;
  std::string bytes;
};

// A database with an explicit count and raw records, for damaged files.
Bytes BuildTdbRaw(std::uint32_t count, const std::vector<TdbRecord>& records);

}  // namespace kelvdata
