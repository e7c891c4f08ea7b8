// Placeholder until the file layer lands (delete this file when it does).
#include "platform/win32/files.h"
namespace platform {
void SetDriveMap(const std::vector<DriveMapping>&) {}
void InjectWriteLimit(long long) {}
}  // namespace platform
