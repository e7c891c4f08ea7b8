#include "engine/archive.h"

#include <climits>
#include <cstring>
#include <new>

#include "platform/win32/files.h"

BbfArchive g_UiArchive;
BbfArchive g_MiscArchive;
BbfArchive g_TrackArchive;

namespace {

constexpr DWORD NO_CACHED_POSITION = 0xFFFFFFFFu;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  return *a == *b;
}

std::string LowerKey(const char* name) {
  std::string key(name);
  for (char& c : key) c = LowerAscii(c);
  return key;
}

DWORD LoadU32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
         static_cast<DWORD>(p[3]) << 24;
}

void StoreU32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// A member header read from `headerOffset` describes a member that lies
// entirely inside a file of `fileSize` bytes.
bool HeaderIsSound(const BYTE* h, long long headerOffset, long long fileSize) {
  if (LoadU32(h) != BBF_MEMBER_HEADER_SIZE) return false;
  if (!std::memchr(h + 4, 0, BBF_MEMBER_NAME_SIZE)) return false;
  long long dataOffset = LoadU32(h + 268);
  long long dataSize = LoadU32(h + 272);
  return dataOffset == headerOffset + BBF_MEMBER_HEADER_SIZE && dataSize <= fileSize - dataOffset;
}

// A list node for a member named `name` (copied); null when out of memory.
BbfMemberNode* NewMemberNode(const char* name, DWORD dataOffset) {
  auto* node = new (std::nothrow) BbfMemberNode{};
  if (!node) return nullptr;
  std::size_t length = std::strlen(name) + 1;
  node->name = new (std::nothrow) char[length];
  if (!node->name) {
    delete node;
    return nullptr;
  }
  std::memcpy(node->name, name, length);
  node->nameLength = static_cast<DWORD>(length);
  node->dataOffset = dataOffset;
  node->next = nullptr;
  return node;
}

void DeleteMemberNode(BbfMemberNode* node) {
  delete[] node->name;
  delete node;
}

}  // namespace

// ---------------------------------------------------------------------------
// BbfArchive

BbfArchive::BbfArchive()
    : magic_(0),
      headerSize_(0),
      cachedPosition_(0),
      access_(0),
      members_(nullptr),
      lastMember_(nullptr) {}

BbfArchive::~BbfArchive() {
  magic_ = 0;
  headerSize_ = 0;
  cachedPosition_ = 0;
  FreeMembers();
}

bool BbfArchive::operator==(const BbfArchive& other) const { return EqualNoCase(FullPath(), other.FullPath()); }

void BbfArchive::FreeMembers() {
  while (members_) {
    BbfMemberNode* next = members_->next;
    DeleteMemberNode(members_);
    members_ = next;
  }
  lastMember_ = nullptr;
  index_.clear();
}

bool BbfArchive::FailOpen() {
  FreeMembers();
  DiskFile::Close();
  magic_ = 0;
  headerSize_ = 0;
  cachedPosition_ = NO_CACHED_POSITION;
  access_ = 0;
  return false;
}

bool BbfArchive::Open(const char* path, DWORD access, DWORD disposition, DWORD share) {
  if (IsOpen()) Close();
  FreeMembers();
  if (!DiskFile::Open(path, access, disposition, share)) return FailOpen();
  // Positions are 32-bit signed: larger files are not archives of ours.
  DWORD high = 0;
  DWORD low = GetFileSize(handle_, &high);
  if ((low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) || high != 0 || low > INT_MAX)
    return FailOpen();
  long long size = low;

  if (size == 0) {
    // A new (or empty) file becomes an empty archive, except when the caller
    // only wanted an existing one.
    if (disposition == OPEN_EXISTING) return FailOpen();
    BYTE head[BBF_FILE_HEADER_SIZE];
    StoreU32(head, BBF_MAGIC);
    StoreU32(head + 4, BBF_FILE_HEADER_SIZE);
    if (!DiskFile::Seek(0) || !DiskFile::Write(head, sizeof head)) return FailOpen();
  } else {
    // Anything shorter than the file header is damaged and left untouched.
    BYTE head[BBF_FILE_HEADER_SIZE];
    if (!DiskFile::Seek(0) || !DiskFile::Read(head, sizeof head)) return FailOpen();
    if (LoadU32(head) != BBF_MAGIC || LoadU32(head + 4) != BBF_FILE_HEADER_SIZE) return FailOpen();

    long long pos = BBF_FILE_HEADER_SIZE;
    BYTE h[BBF_MEMBER_HEADER_SIZE];
    // A last header cut short ends the list: the complete members stay usable.
    while (size - pos >= BBF_MEMBER_HEADER_SIZE) {
      if (!DiskFile::Seek(static_cast<int>(pos)) || !DiskFile::Read(h, sizeof h)) return FailOpen();
      if (!HeaderIsSound(h, pos, size)) return FailOpen();
      BbfMemberNode* node = NewMemberNode(reinterpret_cast<const char*>(h + 4), LoadU32(h + 268));
      if (!node) return FailOpen();
      if (!AddMember(node)) {
        DeleteMemberNode(node);
        return FailOpen();
      }
      pos = static_cast<long long>(node->dataOffset) + LoadU32(h + 272);
    }
  }
  if (!DiskFile::Seek(BBF_FILE_HEADER_SIZE)) return FailOpen();
  magic_ = BBF_MAGIC;
  headerSize_ = BBF_FILE_HEADER_SIZE;
  cachedPosition_ = BBF_FILE_HEADER_SIZE;
  access_ = access;
  return true;
}

bool BbfArchive::Close() {
  magic_ = 0;
  headerSize_ = 0;
  cachedPosition_ = NO_CACHED_POSITION;
  access_ = 0;
  // A closed archive has no members: nothing may be found in it or added
  // twice when it is opened again.
  FreeMembers();
  return DiskFile::Close();
}

bool BbfArchive::FindMember(const char* name) {
  if (!name) return false;
  auto it = index_.find(LowerKey(name));
  if (it == index_.end()) return false;
  return Seek(static_cast<int>(it->second->dataOffset - BBF_MEMBER_HEADER_SIZE));
}

bool BbfArchive::AddMember(BbfMemberNode* node) {
  if (!node || !node->name) return false;
  auto inserted = index_.emplace(LowerKey(node->name), node);
  if (!inserted.second) return false;
  node->next = nullptr;
  if (lastMember_)
    lastMember_->next = node;
  else
    members_ = node;
  lastMember_ = node;
  return true;
}

bool BbfArchive::SeekToStart() {
  if (!DiskFile::Seek(BBF_FILE_HEADER_SIZE)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  cachedPosition_ = BBF_FILE_HEADER_SIZE;
  return true;
}

bool BbfArchive::SeekToEnd() {
  if (!DiskFile::SeekToEnd()) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  cachedPosition_ = static_cast<DWORD>(DiskFile::Tell());
  return true;
}

bool BbfArchive::SeekRelative(int delta) {
  long long from = cachedPosition_ != NO_CACHED_POSITION ? cachedPosition_ : DiskFile::Tell();
  if (from < 0 || from + delta < BBF_FILE_HEADER_SIZE || from + delta > INT_MAX) return false;
  return Seek(static_cast<int>(from + delta));
}

bool BbfArchive::Seek(int position) {
  if (position < static_cast<int>(BBF_FILE_HEADER_SIZE)) return false;
  if (static_cast<DWORD>(position) == cachedPosition_) return true;
  if (!DiskFile::Seek(position)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  cachedPosition_ = static_cast<DWORD>(position);
  return true;
}

// After a failed transfer the real position is unknown: the next seek asks
// the system instead of trusting the cache.
void BbfArchive::Advance(int n) {
  if (cachedPosition_ != NO_CACHED_POSITION) cachedPosition_ += static_cast<DWORD>(n);
}

bool BbfArchive::Read(void* buf, int n) {
  if (!(access_ & GENERIC_READ)) return false;
  if (!DiskFile::Read(buf, n)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  Advance(n);
  return true;
}

bool BbfArchive::ReadSome(void* buf, int* n) {
  if (!(access_ & GENERIC_READ)) return false;
  if (!DiskFile::ReadSome(buf, n)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  Advance(*n);
  return true;
}

bool BbfArchive::Write(const void* buf, int n) {
  if (!(access_ & GENERIC_WRITE)) return false;
  if (!DiskFile::Write(buf, n)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  Advance(n);
  return true;
}

bool BbfArchive::WriteSome(const void* buf, int* n) {
  if (!(access_ & GENERIC_WRITE)) return false;
  if (!DiskFile::WriteSome(buf, n)) {
    cachedPosition_ = NO_CACHED_POSITION;
    return false;
  }
  Advance(*n);
  return true;
}

// ---------------------------------------------------------------------------
// ArchiveFile

ArchiveFile::ArchiveFile() : header_{}, position_(-1), archive_(nullptr), open_(0), access_(0) { ResetHeader(); }

ArchiveFile::~ArchiveFile() {
  if (open_) Close();
}

ArchiveFile::ArchiveFile(const ArchiveFile& other) : header_{}, position_(-1), archive_(nullptr), open_(0), access_(0) {
  *this = other;
}

ArchiveFile& ArchiveFile::operator=(const ArchiveFile& other) {
  if (this == &other) return *this;
  std::memcpy(header_, other.header_, sizeof header_);
  position_ = other.position_;
  archive_ = other.archive_;
  open_ = other.open_;
  access_ = other.access_;
  return *this;
}

bool ArchiveFile::operator==(const ArchiveFile& other) const {
  if (!EqualNoCase(MemberName(), other.MemberName())) return false;
  if (!archive_ || !other.archive_) return archive_ == other.archive_;
  return *archive_ == *other.archive_;
}

DWORD ArchiveFile::HeaderU32(int offset) const { return LoadU32(header_ + offset); }
void ArchiveFile::SetHeaderU32(int offset, DWORD value) { StoreU32(header_ + offset, value); }

void ArchiveFile::ResetHeader() {
  std::memset(header_, 0, sizeof header_);
  SetHeaderU32(264, 4);
  SetHeaderU32(268, 0xFFFFFFFFu);
  SetHeaderU32(272, 0xFFFFFFFFu);
}

long long ArchiveFile::MemberEnd() const { return static_cast<long long>(HeaderU32(268)) + HeaderU32(272); }

bool ArchiveFile::IsLastMember() const { return MemberEnd() >= archive_->Size(); }

bool ArchiveFile::SetArchive(BbfArchive* archive) {
  if (!archive || !archive->IsOpen()) return false;
  if (open_) Close();
  archive_ = archive;
  return true;
}

bool ArchiveFile::Open(const char* memberName, DWORD access, DWORD mode, DWORD /*share*/) {
  if (open_ || !archive_ || !archive_->IsOpen() || !memberName) return false;
  bool exists = archive_->FindMember(memberName);
  bool create;
  switch (mode) {
    case MEMBER_OPEN_EXISTING: create = false; break;
    case MEMBER_CREATE: create = true; break;
    case MEMBER_OPEN_ALWAYS: create = !exists; break;
    default: return false;
  }
  if (create) {
    if (exists) return false;
    if (!archive_->SeekToEnd()) return false;
    if (!CreateMemberHeader(memberName)) return false;
  } else {
    if (!exists) return false;
    if (!ReadMemberHeader()) return false;
  }
  access_ = access;
  open_ = 1;
  return true;
}

bool ArchiveFile::IsOpen() const { return open_ != 0; }

bool ArchiveFile::Close() {
  if (!open_) return false;
  bool ok = true;
  if (access_ & GENERIC_WRITE) {
    ok = archive_->Seek(static_cast<int>(HeaderU32(268) - BBF_MEMBER_HEADER_SIZE)) &&
         archive_->Write(header_, BBF_MEMBER_HEADER_SIZE);
  }
  ResetHeader();
  position_ = -1;
  archive_ = nullptr;
  open_ = 0;
  access_ = 0;
  return ok;
}

bool ArchiveFile::SeekMember(long long target) {
  if (!open_ || target < HeaderU32(268) || target > MemberEnd()) return false;
  if (!archive_->Seek(static_cast<int>(target))) return false;
  position_ = static_cast<int>(target);
  return true;
}

bool ArchiveFile::SeekToStart() { return SeekMember(HeaderU32(268)); }
bool ArchiveFile::SeekToEnd() { return SeekMember(MemberEnd()); }
bool ArchiveFile::SeekRelative(int delta) { return SeekMember(static_cast<long long>(position_) + delta); }
bool ArchiveFile::Seek(int offset) { return SeekMember(static_cast<long long>(HeaderU32(268)) + offset); }

int ArchiveFile::Tell() const { return position_; }
int ArchiveFile::Size() const { return static_cast<int>(HeaderU32(272)); }

// A failed transfer leaves the member's position where it was: every
// transfer seeks the archive to it first, so the archive's own position may
// differ without harm.
bool ArchiveFile::Read(void* buf, int n) {
  if (!open_ || !(access_ & GENERIC_READ) || n < 0) return false;
  if (n > MemberEnd() - position_) return false;
  if (!SeekArchiveToPosition() || !archive_->Read(buf, n)) return false;
  position_ += n;
  return true;
}

bool ArchiveFile::ReadSome(void* buf, int* n) {
  if (!n || *n < 0) return false;
  if (!open_ || !(access_ & GENERIC_READ)) {
    *n = 0;
    return false;
  }
  long long left = MemberEnd() - position_;
  int wanted = *n;
  int count = left < wanted ? static_cast<int>(left < 0 ? 0 : left) : wanted;
  if (wanted > 0 && count == 0) {
    *n = 0;
    return false;
  }
  if (!SeekArchiveToPosition()) {
    *n = 0;
    return false;
  }
  bool ok = archive_->ReadSome(buf, &count);
  position_ += count;
  *n = count;
  return ok;
}

bool ArchiveFile::Write(const void* buf, int n) {
  if (!open_ || !(access_ & GENERIC_WRITE) || n < 0) return false;
  long long end = static_cast<long long>(position_) + n;
  // Growing a member in the middle would overwrite the next one.
  if (end > INT_MAX || (end > MemberEnd() && !IsLastMember())) return false;
  if (!SeekArchiveToPosition() || !archive_->Write(buf, n)) return false;
  position_ = static_cast<int>(end);
  if (end > MemberEnd()) SetHeaderU32(272, static_cast<DWORD>(end - HeaderU32(268)));
  return true;
}

bool ArchiveFile::WriteSome(const void* buf, int* n) {
  if (!n || *n < 0) return false;
  if (!open_ || !(access_ & GENERIC_WRITE)) {
    *n = 0;
    return false;
  }
  int count = *n;
  if (!IsLastMember()) {
    long long left = MemberEnd() - position_;
    if (left < count) count = static_cast<int>(left < 0 ? 0 : left);
    if (*n > 0 && count == 0) {
      *n = 0;
      return false;
    }
  } else if (static_cast<long long>(position_) + count > INT_MAX) {
    *n = 0;
    return false;
  }
  if (!SeekArchiveToPosition()) {
    *n = 0;
    return false;
  }
  bool ok = archive_->WriteSome(buf, &count);
  position_ += count;
  *n = count;
  if (position_ > MemberEnd()) SetHeaderU32(272, static_cast<DWORD>(position_ - HeaderU32(268)));
  return ok;
}

bool ArchiveFile::CreateMemberHeader(const char* name) {
  std::size_t length = std::strlen(name);
  if (length >= BBF_MEMBER_NAME_SIZE) return false;
  int at = archive_->Tell();
  if (at < static_cast<int>(BBF_FILE_HEADER_SIZE) || at > INT_MAX - static_cast<int>(BBF_MEMBER_HEADER_SIZE))
    return false;
  BYTE h[BBF_MEMBER_HEADER_SIZE] = {};
  StoreU32(h, BBF_MEMBER_HEADER_SIZE);
  std::memcpy(h + 4, name, length);
  StoreU32(h + 264, 4);
  StoreU32(h + 268, static_cast<DWORD>(at) + BBF_MEMBER_HEADER_SIZE);
  StoreU32(h + 272, 0);
  BbfMemberNode* node = NewMemberNode(name, static_cast<DWORD>(at) + BBF_MEMBER_HEADER_SIZE);
  if (!node) return false;
  // The new member is listed at once, so it can be found and not created twice.
  if (!archive_->Seek(at) || !archive_->Write(h, BBF_MEMBER_HEADER_SIZE) || !archive_->AddMember(node)) {
    DeleteMemberNode(node);
    SyncPosition();
    return false;
  }
  std::memcpy(header_, h, sizeof h);
  SyncPosition();
  return true;
}

bool ArchiveFile::ReadMemberHeader() {
  int at = archive_->Tell();
  BYTE h[BBF_MEMBER_HEADER_SIZE];
  // Checked against the whole file when the archive was opened. The file may
  // have changed since: check the header again, and keep member positions
  // within 32 bits (a file shortened behind our back only makes reads fail).
  if (at < 0 || !archive_->Read(h, BBF_MEMBER_HEADER_SIZE) || !HeaderIsSound(h, at, INT_MAX)) {
    SyncPosition();
    return false;
  }
  std::memcpy(header_, h, sizeof h);
  SyncPosition();
  return true;
}

void ArchiveFile::SyncPosition() { position_ = archive_->Tell(); }

bool ArchiveFile::SeekArchiveToPosition() { return archive_->Seek(position_); }
