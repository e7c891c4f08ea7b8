// Placeholder until the writers land (delete this file when they do).
#include "tools/seeds.h"
#include "tools/bbf.h"
#include "tools/tdb.h"
namespace kelvdata {
bool WriteBbfSeeds(const std::string&) { return true; }
bool WriteTdbSeeds(const std::string&) { return true; }
Bytes BuildBbf(const std::vector<BbfMember>&) { return {}; }
Bytes BuildTdb(const std::vector<std::string>&) { return {}; }
}  // namespace kelvdata
