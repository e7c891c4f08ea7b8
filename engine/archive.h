// BBF archives ("BBFA"): named members one after another, each a 540-byte
// header followed by its bytes. A BbfArchive serves positioned reads and
// writes on its one file handle; an ArchiveFile is one member seen as a
// Stream, so loaders read a member exactly as they would read a file.
#pragma once

#include <string>
#include <unordered_map>

#include "engine/disk_file.h"

constexpr DWORD BBF_MAGIC = 0x41464242;  // "BBFA" as a little-endian u32
constexpr DWORD BBF_FILE_HEADER_SIZE = 8;
constexpr DWORD BBF_MEMBER_HEADER_SIZE = 540;
constexpr DWORD BBF_MEMBER_NAME_SIZE = 260;

// One member in an archive's list, in file order.
struct BbfMemberNode {
  DWORD nameLength;  // including the NUL
  char* name;        // owned
  DWORD dataOffset;  // absolute offset of the member's first data byte
  BbfMemberNode* next;
};

class BbfArchive : public DiskFile {
 public:
  BbfArchive();
  ~BbfArchive() override;
  // One handle has one owner: an archive is never copied.
  BbfArchive(const BbfArchive&) = delete;
  BbfArchive& operator=(const BbfArchive&) = delete;
  // Same file: full paths equal without regard to case.
  bool operator==(const BbfArchive& other) const;
  bool operator!=(const BbfArchive& other) const { return !(*this == other); }

  // Opens and checks the whole archive; false (and closed) for a missing
  // file, a file that is not an archive, or any damaged member header.
  bool Open(const char* path, DWORD access, DWORD disposition, DWORD share) override;
  bool Close() override;
  // Positions the archive at the member's header; false when absent.
  bool FindMember(const char* name);
  // Appends `node` (taking it) unless a member of that name, without regard
  // to case, is already listed; then false and the caller keeps the node.
  virtual bool AddMember(BbfMemberNode* node);
  const BbfMemberNode* FirstMember() const { return members_; }

  // Positions below the 8-byte file header are refused.
  bool SeekToStart() override;
  bool SeekToEnd() override;
  bool SeekRelative(int delta) override;
  bool Seek(int position) override;
  bool Read(void* buf, int n) override;
  bool ReadSome(void* buf, int* n) override;
  bool Write(const void* buf, int n) override;
  bool WriteSome(const void* buf, int* n) override;

 private:
  bool FailOpen();
  void FreeMembers();
  void Advance(int n);

  DWORD magic_;
  DWORD headerSize_;
  DWORD cachedPosition_;  // last position set through this archive; NO_CACHED_POSITION when unknown
  DWORD access_;
  BbfMemberNode* members_;
  BbfMemberNode* lastMember_;
  std::unordered_map<std::string, BbfMemberNode*> index_;  // lower-case name -> node
};

// Binds a member file to the archive it lives in.
class ArchiveBinding {
 public:
  virtual bool SetArchive(BbfArchive* archive) = 0;

 protected:
  ~ArchiveBinding() = default;
};

// Modes of ArchiveFile::Open.
constexpr DWORD MEMBER_CREATE = 1;
constexpr DWORD MEMBER_OPEN_EXISTING = 3;
constexpr DWORD MEMBER_OPEN_ALWAYS = 4;

class ArchiveFile : public virtual Stream, public virtual ArchiveBinding {
 public:
  ArchiveFile();
  virtual ~ArchiveFile();
  ArchiveFile(const ArchiveFile& other);
  ArchiveFile& operator=(const ArchiveFile& other);
  // Same member name without regard to case, in equal archives.
  bool operator==(const ArchiveFile& other) const;
  bool operator!=(const ArchiveFile& other) const { return !(*this == other); }

  // False for a null archive or one that is not open. A member that is open
  // is closed first.
  bool SetArchive(BbfArchive* archive) override;
  // `mode`: MEMBER_CREATE, MEMBER_OPEN_EXISTING or MEMBER_OPEN_ALWAYS; share
  // is not used. The file must be bound and not open.
  bool Open(const char* memberName, DWORD access, DWORD mode, DWORD share) override;
  bool IsOpen() const override;
  bool Close() override;
  // Seeks stay inside the member (both ends allowed); Seek is member-relative.
  bool SeekToStart() override;
  bool SeekToEnd() override;
  bool SeekRelative(int delta) override;
  bool Seek(int offset) override;
  // Absolute position in the archive file (the data offset when just opened).
  int Tell() const override;
  int Size() const override;
  // Reads stay inside the member: Read of more than remains fails, ReadSome
  // is cut to what remains.
  bool Read(void* buf, int n) override;
  bool ReadSome(void* buf, int* n) override;
  // Writes may grow only the archive's last member.
  bool Write(const void* buf, int n) override;
  bool WriteSome(const void* buf, int* n) override;

  virtual bool CreateMemberHeader(const char* name);
  virtual bool ReadMemberHeader();
  virtual void SyncPosition();
  virtual bool SeekArchiveToPosition();

  const char* MemberName() const { return reinterpret_cast<const char*>(header_ + 4); }
  DWORD DataOffset() const { return HeaderU32(268); }

 private:
  DWORD HeaderU32(int offset) const;
  void SetHeaderU32(int offset, DWORD value);
  void ResetHeader();
  bool SeekMember(long long target);
  long long MemberEnd() const;
  bool IsLastMember() const;

  BYTE header_[BBF_MEMBER_HEADER_SIZE];
  int position_;
  BbfArchive* archive_;
  BYTE open_;
  DWORD access_;
};

// The game's three archives, alive for the whole run and opened by the
// application at start-up.
extern BbfArchive g_UiArchive;
extern BbfArchive g_MiscArchive;
extern BbfArchive g_TrackArchive;
