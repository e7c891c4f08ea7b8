#include "tools/flow_scenes.h"

namespace kelvdata {

void AddCourseMembers(std::vector<BbfMember>*, std::vector<std::pair<std::string, Bytes>>*) {}

}  // namespace kelvdata
