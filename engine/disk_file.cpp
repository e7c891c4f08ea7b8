#include "engine/disk_file.h"

#include "platform/win32/files.h"

DiskFile::DiskFile() : handle_(INVALID_HANDLE_VALUE), filePart_(0), hasFilePart_(false), open_(0) {}

DiskFile::~DiskFile() {
  if (open_) DiskFile::Close();
}

bool DiskFile::Open(const char* name, DWORD access, DWORD disposition, DWORD share) {
  // Reopening must not leak the handle that is open now.
  if (open_ || handle_ != INVALID_HANDLE_VALUE) DiskFile::Close();
  HANDLE h = CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  open_ = 1;
  // Asks for the size first; the answer may grow between the two calls when
  // another thread changes the working directory, so ask again until it fits.
  std::string path;
  char* part = nullptr;
  DWORD n = GetFullPathNameA(name, 0, nullptr, nullptr);
  while (n != 0) {
    path.assign(n, '\0');
    DWORD got = GetFullPathNameA(name, n, path.data(), &part);
    if (got < n) {
      n = got;
      break;
    }
    n = got;
  }
  if (n == 0) {
    DiskFile::Close();
    return false;
  }
  hasFilePart_ = part != nullptr;
  filePart_ = part ? static_cast<std::size_t>(part - path.data()) : 0;
  path.resize(n);
  fullPath_ = std::move(path);
  return true;
}

bool DiskFile::IsOpen() const { return open_ != 0; }

bool DiskFile::Close() {
  bool ok = false;
  if (handle_ != INVALID_HANDLE_VALUE) ok = CloseHandle(handle_) != FALSE;
  handle_ = INVALID_HANDLE_VALUE;
  fullPath_.clear();
  filePart_ = 0;
  hasFilePart_ = false;
  open_ = 0;
  return ok;
}

bool DiskFile::SeekToStart() { return SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER; }

bool DiskFile::SeekToEnd() { return SetFilePointer(handle_, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER; }

bool DiskFile::SeekRelative(int delta) {
  DWORD old = SetFilePointer(handle_, 0, nullptr, FILE_CURRENT);
  if (old == INVALID_SET_FILE_POINTER) return false;
  DWORD now = SetFilePointer(handle_, delta, nullptr, FILE_CURRENT);
  return now != INVALID_SET_FILE_POINTER && now == old + static_cast<DWORD>(delta);
}

bool DiskFile::Seek(int position) {
  DWORD now = SetFilePointer(handle_, position, nullptr, FILE_BEGIN);
  return now != INVALID_SET_FILE_POINTER && now == static_cast<DWORD>(position);
}

int DiskFile::Tell() const { return static_cast<int>(SetFilePointer(handle_, 0, nullptr, FILE_CURRENT)); }

int DiskFile::Size() const { return static_cast<int>(GetFileSize(handle_, nullptr)); }

bool DiskFile::Read(void* buf, int n) {
  if (n < 0) return false;
  DWORD got = 0;
  return ReadFile(handle_, buf, static_cast<DWORD>(n), &got, nullptr) && got == static_cast<DWORD>(n);
}

bool DiskFile::ReadSome(void* buf, int* n) {
  if (!n || *n < 0) return false;
  int wanted = *n;
  DWORD got = 0;
  BOOL ok = ReadFile(handle_, buf, static_cast<DWORD>(wanted), &got, nullptr);
  *n = static_cast<int>(got);
  return ok && (got > 0 || wanted == 0);
}

bool DiskFile::Write(const void* buf, int n) {
  if (n < 0) return false;
  DWORD put = 0;
  return WriteFile(handle_, buf, static_cast<DWORD>(n), &put, nullptr) && put == static_cast<DWORD>(n);
}

bool DiskFile::WriteSome(const void* buf, int* n) {
  if (!n || *n < 0) return false;
  int wanted = *n;
  DWORD put = 0;
  BOOL ok = WriteFile(handle_, buf, static_cast<DWORD>(wanted), &put, nullptr);
  *n = static_cast<int>(put);
  return ok && (put > 0 || wanted == 0);
}
