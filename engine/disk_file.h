// A plain file of the file system.
#pragma once

#include <string>

#include "engine/stream.h"

class DiskFile : public virtual Stream {
 public:
  DiskFile();
  virtual ~DiskFile();
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  bool Open(const char* name, DWORD access, DWORD disposition, DWORD share) override;
  bool IsOpen() const override;
  bool Close() override;
  bool SeekToStart() override;
  bool SeekToEnd() override;
  bool SeekRelative(int delta) override;
  bool Seek(int position) override;
  int Tell() const override;
  int Size() const override;
  bool Read(void* buf, int n) override;
  bool ReadSome(void* buf, int* n) override;
  bool Write(const void* buf, int n) override;
  bool WriteSome(const void* buf, int* n) override;

  // The full path of the open file (empty when closed) and its file-name part
  // inside it (null when closed).
  const char* FullPath() const { return fullPath_.c_str(); }
  const char* FilePart() const { return open_ && hasFilePart_ ? fullPath_.c_str() + filePart_ : nullptr; }

 protected:
  HANDLE handle_;
  // The host path has no length limit: a game folder may lie deep in the
  // host's tree, and the path is only compared between archives.
  std::string fullPath_;
  std::size_t filePart_;  // offset of the file-name part in fullPath_
  bool hasFilePart_;
  BYTE open_;
};
