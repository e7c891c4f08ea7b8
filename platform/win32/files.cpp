// Files with Win32 semantics over POSIX: our own handle table, positions kept
// per handle (reads and writes are positioned), Windows path spellings looked
// up without regard to letter case.
#include "platform/win32/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/win32/files_internal.h"

namespace {

constexpr DWORD kErrorWriteProtect = 19;
constexpr DWORD kErrorReadFault = 30;

thread_local DWORD t_lastError = 0;

struct OpenFile {
  int fd = -1;
  DWORD access = 0;
  DWORD share = 0;  // recorded only: the host does not enforce sharing
  std::uint64_t position = 0;
};

// Never destroyed: archives and other globals close their handles from exit
// handlers that may run after this file's statics would be gone.
struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, OpenFile> files;
  std::uintptr_t nextId = 1;
  long long writeLimit = -1;  // bytes that may still be written; negative: no limit
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;
  return *table;
}

// Handle values never repeat, so a stale handle cannot reach a newer file.
std::uintptr_t KeyOf(HANDLE h) { return reinterpret_cast<std::uintptr_t>(h); }
HANDLE HandleOf(std::uintptr_t id) { return reinterpret_cast<HANDLE>(0x10000 + id * 4); }

OpenFile* Find(HandleTable& t, HANDLE h) {
  auto it = t.files.find(KeyOf(h));
  return it == t.files.end() ? nullptr : &it->second;
}

// The open file behind `h` when it may do a transfer of `count` bytes with
// `access`; null with the last error set otherwise.
OpenFile* FindForTransfer(HandleTable& t, HANDLE h, DWORD access, DWORD count, const void* buffer) {
  OpenFile* f = Find(t, h);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!(f->access & access)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (count > 0 && !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return f;
}

DWORD ErrorFromErrno(int e, DWORD fallback) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return kErrorWriteProtect;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return fallback;
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A game path resolved to host components.
struct Resolved {
  std::vector<std::string> parts;  // host components below "/"
  std::size_t firstMissing = 0;    // index of the first component that does not exist (parts.size(): none)
  bool trailingSeparator = false;
  bool readOnly = false;           // on a read-only drive
};

std::string Join(const std::vector<std::string>& parts, std::size_t count) {
  if (count == 0) return "/";
  std::string s;
  for (std::size_t i = 0; i < count; ++i) {
    s += '/';
    s += parts[i];
  }
  return s;
}

void SplitHost(const std::string& hostPath, std::vector<std::string>* parts) {
  std::size_t i = 0;
  while (i < hostPath.size()) {
    while (i < hostPath.size() && hostPath[i] == '/') ++i;
    std::size_t j = i;
    while (j < hostPath.size() && hostPath[j] != '/') ++j;
    if (j > i) {
      std::string c = hostPath.substr(i, j - i);
      if (c == "..") {
        if (!parts->empty()) parts->pop_back();
      } else if (c != ".") {
        parts->push_back(c);
      }
    }
    i = j;
  }
}

// The real name of `component` in `dir`: the exact spelling when it exists,
// else the first entry (in byte order, so the choice is stable) that matches
// without regard to case. Empty when there is none.
std::string FindEntry(const std::string& dir, const std::string& component) {
  std::string exact = dir == "/" ? "/" + component : dir + "/" + component;
  struct stat st;
  if (::stat(exact.c_str(), &st) == 0) return component;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return {};
  std::string best;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, component.c_str()) == 0 && (best.empty() || best > e->d_name)) best = e->d_name;
  }
  ::closedir(d);
  return best;
}

// False when the path is empty or names a drive that does not exist.
bool Resolve(const char* name, Resolved* out) {
  if (!name || !*name) return false;
  const char* p = name;
  std::size_t floor = 0;  // ".." never climbs above a drive's root
  std::vector<std::string> parts;
  if (std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    std::string root;
    if (!platform::files_detail::LookUpDrive(static_cast<char>(std::toupper(static_cast<unsigned char>(p[0]))),
                                             &root, &out->readOnly))
      return false;
    if (!root.empty() && root[0] != '/') {
      std::error_code ec;
      root = (std::filesystem::current_path(ec) / root).string();
    }
    SplitHost(root, &parts);
    floor = parts.size();
    p += 2;
  } else if (!IsSeparator(p[0])) {
    std::error_code ec;
    SplitHost(std::filesystem::current_path(ec).string(), &parts);
  }
  std::size_t firstMissing = SIZE_MAX;
  std::size_t len = std::strlen(p);
  std::size_t i = 0;
  while (i < len) {
    while (i < len && IsSeparator(p[i])) ++i;
    std::size_t j = i;
    while (j < len && !IsSeparator(p[j])) ++j;
    if (j > i) {
      std::string c(p + i, j - i);
      if (c == "..") {
        if (parts.size() > floor) parts.pop_back();
        if (firstMissing != SIZE_MAX && firstMissing >= parts.size()) firstMissing = SIZE_MAX;
      } else if (c != ".") {
        if (firstMissing == SIZE_MAX) {
          std::string real = FindEntry(Join(parts, parts.size()), c);
          if (real.empty()) {
            firstMissing = parts.size();
          } else {
            c = real;
          }
        }
        parts.push_back(c);
      }
    }
    i = j;
  }
  out->trailingSeparator = len > 0 && IsSeparator(p[len - 1]);
  out->firstMissing = firstMissing == SIZE_MAX ? parts.size() : firstMissing;
  out->parts = std::move(parts);
  return true;
}

std::string HostPath(const Resolved& r) {
  std::string s = Join(r.parts, r.parts.size());
  if (r.trailingSeparator && s != "/") s += '/';
  return s;
}

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* /*security*/, DWORD disposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  Resolved r;
  if (!Resolve(name, &r)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  bool exists = r.firstMissing == r.parts.size();
  if (!exists && (r.firstMissing + 1 < r.parts.size() || r.trailingSeparator)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string host = Join(r.parts, r.parts.size());
  if (exists) {
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
  }
  int flags = O_CLOEXEC;
  bool truncates = false;
  switch (disposition) {
    case CREATE_NEW:
      if (exists) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      truncates = exists;
      break;
    case OPEN_EXISTING:
      if (!exists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!exists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      if (!(access & GENERIC_WRITE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      truncates = true;
      break;
  }
  bool writes = (access & GENERIC_WRITE) || truncates || !exists;
  if (r.readOnly && writes) {
    SetLastError(kErrorWriteProtect);
    return INVALID_HANDLE_VALUE;
  }
  if ((access & GENERIC_WRITE) || truncates) {
    flags |= (access & GENERIC_READ) || truncates ? O_RDWR : O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  int fd = ::open(host.c_str(), flags, 0666);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno, ERROR_ACCESS_DENIED));
    return INVALID_HANDLE_VALUE;
  }
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  std::uintptr_t id = t.nextId++;
  HANDLE h = HandleOf(id);
  OpenFile& f = t.files[KeyOf(h)];
  f.fd = fd;
  f.access = access;
  f.share = share;
  f.position = 0;
  bool reportExisting = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL CloseHandle(HANDLE handle) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.files.find(KeyOf(handle));
  if (it == t.files.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ::close(it->second.fd);
  t.files.erase(it);
  return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  OpenFile* f = Find(t, handle);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  std::int64_t move = distanceHigh
                          ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                                                      static_cast<std::uint32_t>(distance))
                          : static_cast<std::int64_t>(distance);
  std::int64_t base;
  switch (moveMethod) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = static_cast<std::int64_t>(f->position); break;
    case FILE_END: {
      struct stat st;
      if (::fstat(f->fd, &st) != 0) {
        SetLastError(ErrorFromErrno(errno, ERROR_INVALID_HANDLE));
        return INVALID_SET_FILE_POINTER;
      }
      base = st.st_size;
      break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
  }
  std::int64_t target = base + move;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the position must fit in 32 bits and not look like the failure value.
  if (!distanceHigh && target >= static_cast<std::int64_t>(INVALID_SET_FILE_POINTER)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  f->position = static_cast<std::uint64_t>(target);
  if (distanceHigh) *distanceHigh = static_cast<LONG>(f->position >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(f->position);
}

DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  OpenFile* f = Find(t, handle);
  struct stat st;
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (::fstat(f->fd, &st) != 0) {
    SetLastError(ErrorFromErrno(errno, ERROR_INVALID_HANDLE));
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* /*overlapped*/) {
  if (read) *read = 0;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  OpenFile* f = FindForTransfer(t, handle, GENERIC_READ, count, buffer);
  if (!f) return FALSE;
  DWORD done = 0;
  while (done < count) {
    ssize_t n = ::pread(f->fd, static_cast<char*>(buffer) + done, count - done,
                        static_cast<off_t>(f->position + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      f->position += done;
      if (read) *read = done;
      SetLastError(ErrorFromErrno(errno, kErrorReadFault));
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with what was there
    done += static_cast<DWORD>(n);
  }
  f->position += done;
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void* /*overlapped*/) {
  if (written) *written = 0;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  OpenFile* f = FindForTransfer(t, handle, GENERIC_WRITE, count, buffer);
  if (!f) return FALSE;
  DWORD allowed = count;
  if (t.writeLimit >= 0 && static_cast<long long>(count) > t.writeLimit) allowed = static_cast<DWORD>(t.writeLimit);
  DWORD done = 0;
  DWORD error = ERROR_SUCCESS;
  while (done < allowed) {
    ssize_t n = ::pwrite(f->fd, static_cast<const char*>(buffer) + done, allowed - done,
                         static_cast<off_t>(f->position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? ErrorFromErrno(errno, ERROR_WRITE_FAULT) : ERROR_WRITE_FAULT;
      break;
    }
    done += static_cast<DWORD>(n);
  }
  f->position += done;
  if (t.writeLimit >= 0) t.writeLimit -= done;
  if (written) *written = done;
  if (error == ERROR_SUCCESS && done < count) error = ERROR_DISK_FULL;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(const char* name) {
  Resolved r;
  if (!Resolve(name, &r)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (r.firstMissing < r.parts.size()) {
    SetLastError(r.firstMissing + 1 == r.parts.size() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (r.readOnly) {
    SetLastError(kErrorWriteProtect);
    return FALSE;
  }
  std::string host = Join(r.parts, r.parts.size());
  struct stat st;
  if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(host.c_str()) != 0) {
    SetLastError(ErrorFromErrno(errno, ERROR_ACCESS_DENIED));
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileExA(const char* existing, const char* newName, DWORD flags) {
  std::string from, to;
  if (!platform::ResolveGamePath(existing, false, &from) || !platform::ResolveGamePath(newName, true, &to)) return FALSE;
  struct stat st;
  if (::stat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && ::stat(to.c_str(), &st) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (::rename(from.c_str(), to.c_str()) != 0) {
    SetLastError(ErrorFromErrno(errno, ERROR_ACCESS_DENIED));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFullPathNameA(const char* name, DWORD bufferLength, char* buffer, char** filePart) {
  Resolved r;
  if (!Resolve(name, &r)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  std::string host = HostPath(r);
  if (host.size() > UINT_MAX - 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto length = static_cast<DWORD>(host.size());
  if (!buffer || bufferLength < length + 1) return length + 1;
  std::memcpy(buffer, host.c_str(), host.size() + 1);
  if (filePart) {
    std::size_t slash = host.rfind('/');
    *filePart = slash + 1 < host.size() ? buffer + slash + 1 : nullptr;
  }
  return length;
}

namespace platform {

bool ResolveGamePath(const char* name, bool forCreate, std::string* hostPath) {
  Resolved r;
  if (!Resolve(name, &r)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  std::size_t n = r.parts.size();
  if (r.firstMissing < n) {
    bool lastOnly = r.firstMissing + 1 == n && !r.trailingSeparator;
    if (!lastOnly) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    if (!forCreate) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
  }
  if (hostPath) *hostPath = HostPath(r);
  return true;
}

void InjectWriteLimit(long long bytes) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.writeLimit = bytes < 0 ? -1 : bytes;
}

}  // namespace platform
