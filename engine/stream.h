// The file interface that every loader reads through: a plain disk file, an
// archive, or one member inside an archive.
#pragma once

#include "platform/win32/types.h"

class Stream {
 public:
  // Arguments as for CreateFile: access GENERIC_READ and/or GENERIC_WRITE,
  // disposition CREATE_NEW .. OPEN_ALWAYS, share FILE_SHARE_* bits.
  virtual bool Open(const char* name, DWORD access, DWORD disposition, DWORD share) = 0;
  virtual bool IsOpen() const = 0;
  virtual bool Close() = 0;
  virtual bool SeekToStart() = 0;
  virtual bool SeekToEnd() = 0;
  virtual bool SeekRelative(int delta) = 0;
  virtual bool Seek(int position) = 0;
  virtual int Tell() const = 0;
  virtual int Size() const = 0;
  // All or nothing: true only when exactly n bytes were read.
  virtual bool Read(void* buf, int n) = 0;
  // Reads up to *n bytes and stores the count read in *n; false when the read
  // failed, or when nothing came back for a request above 0.
  virtual bool ReadSome(void* buf, int* n) = 0;
  virtual bool Write(const void* buf, int n) = 0;
  virtual bool WriteSome(const void* buf, int* n) = 0;

 protected:
  // Each file class destroys itself through its own destructor; a Stream
  // pointer is never deleted.
  ~Stream() = default;
};
