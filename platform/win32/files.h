// Files and drives with Win32 semantics over the host file system.
//
// Paths keep their Windows spelling: backslashes (single or doubled) and
// slashes separate components, every component is matched without regard to
// letter case, and a relative path is relative to the game root (the working
// directory). "X:\..." paths go through the drive map.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);
// Returns the new low 32 bits of the position, INVALID_SET_FILE_POINTER on failure
// (with `distanceHigh` null, as the game calls it).
DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD moveMethod);
DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh);
BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void* overlapped);
BOOL DeleteFileA(const char* name);
// Renames a file within its file system; with MOVEFILE_REPLACE_EXISTING an
// existing target is replaced atomically.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
BOOL MoveFileExA(const char* existing, const char* newName, DWORD flags);
// Full path of `name` (the resolved host path). Returns its length without the
// NUL, or the size needed including the NUL when `bufferLength` is too small,
// or 0 on failure. `*filePart` points at the last component inside `buffer`.
DWORD GetFullPathNameA(const char* name, DWORD bufferLength, char* buffer, char** filePart);
DWORD GetLastError();
void SetLastError(DWORD error);

// Bit n set: drive 'A' + n exists.
DWORD GetLogicalDrives();
BOOL GetDiskFreeSpaceExA(const char* root, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes);

namespace platform {

// One drive letter of the drive map.
struct DriveMapping {
  char letter;            // 'D'..'Z'
  std::string hostRoot;   // the folder the drive's root stands for
  bool readOnly;          // a disc or a mounted disc image: no free bytes
};

// Replaces the drive map (tests; a disc image unpacked in a folder).
void SetDriveMap(const std::vector<DriveMapping>& drives);
// Back to the drive map built from the machine's mounted read-only file
// systems (and KELVARRO_DRIVES, "D=/path;E=/other" marking folders as discs).
void UseSystemDriveMap();
const std::vector<DriveMapping>& CurrentDriveMap();

// Resolves a game path to a host path. `forCreate`: the last component may be
// missing (it keeps its spelling). False when a directory does not exist.
bool ResolveGamePath(const char* name, bool forCreate, std::string* hostPath);

// Test backend: fault injection for writes (a full disk). After `bytes` more
// bytes have been written through WriteFile, every further write fails with
// ERROR_DISK_FULL. A negative value switches the fault off.
void InjectWriteLimit(long long bytes);

}  // namespace platform
