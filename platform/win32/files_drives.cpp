// Drive letters: C: stands for the host's root, D: to Z: for discs. The
// system map is read afresh from the mount table at every query, so a disc
// inserted while the game waits for it shows up.
#include <sys/statvfs.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/win32/files.h"
#include "platform/win32/files_internal.h"

namespace {

constexpr DWORD kErrorNotReady = 21;

struct DriveState {
  std::mutex mutex;
  bool explicitMap = false;
  std::vector<platform::DriveMapping> drives;
};

// Never destroyed, like the handle table.
DriveState& State() {
  static DriveState* state = new DriveState;
  return *state;
}

// Mount points in the mount table escape blanks and such as \ooo.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 2])) && std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool Under(const std::string& path, const char* dir) {
  std::size_t n = std::strlen(dir);
  return path.compare(0, n, dir) == 0 && (path.size() == n || path[n] == '/');
}

bool HasOption(const std::string& options, const char* option) {
  std::stringstream ss(options);
  std::string o;
  while (std::getline(ss, o, ','))
    if (o == option) return true;
  return false;
}

// File systems that are never a disc, even when mounted read-only where discs go.
bool IsPseudoFileSystem(const std::string& type) {
  static const char* const kTypes[] = {"tmpfs",  "ramfs",    "proc",      "sysfs",     "devtmpfs", "devpts",
                                       "cgroup", "cgroup2",  "overlay",   "squashfs",  "autofs",   "mqueue",
                                       "debugfs", "tracefs", "securityfs", "pstore",   "bpf",      "configfs",
                                       "fusectl", "hugetlbfs", "binfmt_misc", "fuse.snapfuse"};
  for (const char* t : kTypes)
    if (type == t) return true;
  return false;
}

bool IsDiscMount(const std::string& mountPoint, const std::string& type, const std::string& options) {
  if (mountPoint == "/" || Under(mountPoint, "/proc") || Under(mountPoint, "/sys") || Under(mountPoint, "/dev"))
    return false;
  if (type == "iso9660" || type == "udf") return !Under(mountPoint, "/run") || Under(mountPoint, "/run/media");
  if (!HasOption(options, "ro") || IsPseudoFileSystem(type)) return false;
  return Under(mountPoint, "/media") || Under(mountPoint, "/run/media") || Under(mountPoint, "/mnt");
}

void AddDrive(std::vector<platform::DriveMapping>* drives, char letter, const std::string& root) {
  for (const auto& d : *drives)
    if (d.letter == letter) return;
  drives->push_back({letter, root, true});
}

char FreeLetter(const std::vector<platform::DriveMapping>& drives) {
  for (char c = 'D'; c <= 'Z'; ++c) {
    bool used = false;
    for (const auto& d : drives) used = used || d.letter == c;
    if (!used) return c;
  }
  return 0;
}

std::vector<platform::DriveMapping> SystemDrives() {
  std::vector<platform::DriveMapping> drives;
  // Folders named in KELVARRO_DRIVES first, so that they keep their letters.
  if (const char* env = std::getenv("KELVARRO_DRIVES")) {
    std::stringstream ss(env);
    std::string item;
    while (std::getline(ss, item, ';')) {
      if (item.size() < 3 || item[1] != '=') continue;
      char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])));
      if (letter < 'D' || letter > 'Z') continue;
      AddDrive(&drives, letter, item.substr(2));
    }
  }
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::stringstream ls(line);
    std::string device, mountPoint, type, options;
    if (!(ls >> device >> mountPoint >> type >> options)) continue;
    mountPoint = Unescape(mountPoint);
    if (!IsDiscMount(mountPoint, type, options)) continue;
    bool known = false;
    for (const auto& d : drives) known = known || d.hostRoot == mountPoint;
    if (known) continue;
    char letter = FreeLetter(drives);
    if (!letter) break;
    AddDrive(&drives, letter, mountPoint);
  }
  return drives;
}

// Refreshes the system map when it is in use. Caller holds the mutex.
const std::vector<platform::DriveMapping>& Drives(DriveState& s) {
  if (!s.explicitMap) s.drives = SystemDrives();
  return s.drives;
}

}  // namespace

namespace platform {

void SetDriveMap(const std::vector<DriveMapping>& drives) {
  DriveState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.explicitMap = true;
  s.drives.clear();
  for (const auto& d : drives) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(d.letter)));
    if (letter < 'D' || letter > 'Z') continue;
    bool used = false;
    for (const auto& e : s.drives) used = used || e.letter == letter;
    if (!used) s.drives.push_back({letter, d.hostRoot, d.readOnly});
  }
}

void UseSystemDriveMap() {
  DriveState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.explicitMap = false;
  Drives(s);
}

const std::vector<DriveMapping>& CurrentDriveMap() {
  DriveState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return Drives(s);
}

namespace files_detail {

bool LookUpDrive(char letter, std::string* hostRoot, bool* readOnly) {
  if (letter == 'C') {
    *hostRoot = "/";
    *readOnly = false;
    return true;
  }
  DriveState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (const auto& d : Drives(s)) {
    if (d.letter == letter) {
      *hostRoot = d.hostRoot;
      *readOnly = d.readOnly;
      return true;
    }
  }
  return false;
}

}  // namespace files_detail
}  // namespace platform

DWORD GetLogicalDrives() {
  DWORD mask = 1u << ('C' - 'A');
  DriveState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (const auto& d : Drives(s)) mask |= 1u << (d.letter - 'A');
  return mask;
}

BOOL GetDiskFreeSpaceExA(const char* root, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes) {
  std::string host;
  bool readOnly = false;
  if (root && std::isalpha(static_cast<unsigned char>(root[0])) && root[1] == ':') {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    if (!platform::files_detail::LookUpDrive(letter, &host, &readOnly)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    if (!platform::ResolveGamePath(root, false, &host)) return FALSE;
  } else if (!platform::ResolveGamePath(root && *root ? root : ".", false, &host)) {
    return FALSE;
  }
  struct statvfs vfs;
  if (::statvfs(host.c_str(), &vfs) != 0) {
    // A drive whose folder is gone is a drive without a disc.
    SetLastError(readOnly ? kErrorNotReady : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  std::uint64_t total = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  std::uint64_t avail = readOnly ? 0 : static_cast<std::uint64_t>(vfs.f_bavail) * unit;
  std::uint64_t free = readOnly ? 0 : static_cast<std::uint64_t>(vfs.f_bfree) * unit;
  if (freeBytesAvailable) freeBytesAvailable->QuadPart = avail;
  if (totalBytes) totalBytes->QuadPart = total;
  if (totalFreeBytes) totalFreeBytes->QuadPart = free;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
