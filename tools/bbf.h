// Writer of BBF archives ("BBFA", 8-byte file header, 540-byte member headers).
#pragma once

#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

struct BbfMember {
  std::string name;  // file name with extension, no directory
  Bytes data;
};

Bytes BuildBbf(const std::vector<BbfMember>& members);

}  // namespace kelvdata
