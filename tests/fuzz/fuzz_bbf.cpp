// Fuzz target for the archive reader: any bytes as an archive file. The
// archive must open exactly when the bytes are a sound archive (checked here
// by an independent walk of the format), and every listed member must read
// back exactly its own bytes, whole and in pieces, and nothing beyond them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "platform/win32/types.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// One temporary file, reused for every input.
struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-bbf", ".bbf") {}
};

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Expected {
  std::string name;
  std::size_t offset;
  std::size_t size;
};

// The format walked from its description, independent of the reader.
bool Walk(const std::uint8_t* data, std::size_t size, std::vector<Expected>* members) {
  if (size < 8 || std::memcmp(data, "BBFA", 4) != 0 || U32(data + 4) != 8) return false;
  std::set<std::string> seen;
  std::size_t pos = 8;
  while (size - pos >= 540) {
    const std::uint8_t* h = data + pos;
    if (U32(h) != 540) return false;
    const void* nul = std::memchr(h + 4, 0, 260);
    if (!nul) return false;
    std::string name(reinterpret_cast<const char*>(h + 4));
    std::string lower = name;
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (!seen.insert(lower).second) return false;
    std::size_t offset = U32(h + 268);
    std::size_t length = U32(h + 272);
    if (offset != pos + 540 || length > size - offset) return false;
    members->push_back({name, offset, length});
    pos = offset + length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  {
    std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return 0;
  }
  std::vector<Expected> expected;
  bool sound = Walk(data, size, &expected);

  BbfArchive archive;
  bool opened = archive.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  Check(opened == sound);
  if (!opened) {
    Check(!archive.IsOpen() && archive.FirstMember() == nullptr);
    return 0;
  }

  std::size_t index = 0;
  std::vector<std::uint8_t> buf;
  for (const BbfMemberNode* node = archive.FirstMember(); node; node = node->next, ++index) {
    Check(index < expected.size());
    const Expected& e = expected[index];
    Check(e.name == node->name && e.offset == node->dataOffset);

    ArchiveFile f;
    Check(f.SetArchive(&archive));
    Check(f.Open(node->name, GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ));
    Check(f.Tell() == static_cast<int>(e.offset) && f.Size() == static_cast<int>(e.size));
    const std::uint8_t* want = data + e.offset;

    // Whole, then one byte more than there is.
    buf.assign(e.size + 1, 0xEE);
    Check(f.Read(buf.data(), static_cast<int>(e.size)));
    Check(std::memcmp(buf.data(), want, e.size) == 0);
    Check(!f.Read(buf.data(), 1));
    Check(f.Tell() == static_cast<int>(e.offset + e.size));

    // In pieces, through the partial reads.
    Check(f.SeekToStart());
    std::size_t got = 0;
    for (;;) {
      int n = 7;
      bool ok = f.ReadSome(buf.data() + got, &n);
      if (!ok) {
        Check(n == 0);
        break;
      }
      Check(n > 0 && got + static_cast<std::size_t>(n) <= e.size);
      got += static_cast<std::size_t>(n);
    }
    Check(got == e.size && std::memcmp(buf.data(), want, e.size) == 0);

    // Seeks: inside the member only.
    int size = static_cast<int>(e.size);
    Check(f.Seek(size) && !f.Seek(size + 1) && !f.Seek(-1));
    Check(f.SeekRelative(-size) && !f.SeekRelative(-1));
    if (size > 1) {
      Check(f.Seek(size / 2));
      std::uint8_t b;
      Check(f.Read(&b, 1) && b == want[size / 2]);
    }
    Check(f.Close());
  }
  Check(index == expected.size());
  return 0;
}
