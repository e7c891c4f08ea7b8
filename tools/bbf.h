// Writer of BBF archives ("BBFA", 8-byte file header, 540-byte member headers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

struct BbfMember {
  std::string name;  // file name with extension, no directory
  Bytes data;
};

// Writes the members exactly as given, so that tests can build archives the
// game refuses (a name of 260 bytes or more fills its field without a NUL).
// BbfArchiveProblem says whether the game would take them.
Bytes BuildBbf(const std::vector<BbfMember>& members);

// The largest archive the game reads: its positions are signed 32-bit.
constexpr std::uint64_t BBF_MAX_FILE_SIZE = 0x7FFFFFFF;
// A member name fills a 260-byte field with its NUL.
constexpr std::size_t BBF_MAX_NAME_LENGTH = 259;
constexpr std::uint64_t BBF_FILE_HEADER_BYTES = 8;
constexpr std::uint64_t BBF_MEMBER_HEADER_BYTES = 540;

// Why the game could not use a member of this name; empty when it could.
std::string BbfNameProblem(const std::string& name);
// The name as the game compares names: ASCII letters without regard to case.
std::string BbfNameKey(const std::string& name);
// Why the game would refuse an archive of these members (a bad name, two
// names that differ only in case, a file too large); empty when it takes it.
std::string BbfArchiveProblem(const std::vector<BbfMember>& members);

}  // namespace kelvdata
