// Shared between the file layer's sources; not for game code.
#pragma once

#include <string>

namespace platform::files_detail {

// The host folder that drive `letter` ("C" included, standing for "/") stands
// for, and whether it is read-only media. False when the drive does not exist.
bool LookUpDrive(char letter, std::string* hostRoot, bool* readOnly);

}  // namespace platform::files_detail
