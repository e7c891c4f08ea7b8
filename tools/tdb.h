// Writer of text databases (.TDB): u32 count, then per text a u16 length
// (with the NUL) and the bytes with their NUL.
#pragma once

#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

Bytes BuildTdb(const std::vector<std::string>& texts);

}  // namespace kelvdata
