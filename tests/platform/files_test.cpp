#include "platform/win32/files.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/game_root.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public kelvtest::GameRootTest {
 protected:
  std::string Slurp(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void PutText(const std::string& relative, const std::string& text) const {
    Put(relative, kelvdata::Bytes(text.begin(), text.end()));
  }
};

struct DispositionCase {
  DWORD disposition;
  bool exists;
  bool opens;
  DWORD error;           // GetLastError afterwards
  const char* contents;  // the file afterwards (nullptr: no file)
};

TEST_F(FilesTest, DispositionsFollowTheWin32Table) {
  const DispositionCase cases[] = {
      {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
      {0, true, false, ERROR_INVALID_PARAMETER, "old"},
      {6, false, false, ERROR_INVALID_PARAMETER, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << (c.exists ? " existing" : " missing"));
    fs::remove(Host("f.bin"));
    fs::remove(Host("F.BIN"));
    if (c.exists) PutText("f.bin", "old");
    SetLastError(12345);
    HANDLE h = CreateFileA("F.BIN", GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (h != INVALID_HANDLE_VALUE) EXPECT_TRUE(CloseHandle(h));
    // An existing file is found under its own spelling; a new one gets the spelling asked for.
    const char* name = c.exists ? "f.bin" : "F.BIN";
    const char* other = c.exists ? "F.BIN" : "f.bin";
    EXPECT_FALSE(fs::exists(Host(other)));
    if (c.contents) {
      EXPECT_EQ(Slurp(name), c.contents);
    } else {
      EXPECT_FALSE(fs::exists(Host(name)));
    }
  }
}

TEST_F(FilesTest, HandlesEnforceTheirAccess) {
  PutText("a.txt", "abcdef");
  char buf[8] = {};
  DWORD n = 99;
  HANDLE r = CreateFileA("a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  HANDLE w = CreateFileA("a.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(w, buf, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // Two handles on one file keep their own positions.
  EXPECT_TRUE(WriteFile(w, "XY", 2, &n, nullptr));
  EXPECT_TRUE(ReadFile(r, buf, 3, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "XYc");
  EXPECT_TRUE(CloseHandle(r));
  EXPECT_TRUE(CloseHandle(w));
  // A closed handle is dead, also for a second close.
  EXPECT_FALSE(CloseHandle(w));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(r, buf, 1, &n, nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  // A directory is not a file.
  fs::create_directories(Host("dir"));
  EXPECT_EQ(CreateFileA("DIR", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FilesTest, PointerSizeAndEndOfFile) {
  PutText("p.bin", "0123456789");
  HANDLE h = CreateFileA("p.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(h, nullptr), 10u);
  EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
  EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 2u);
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
  // A move before the start fails and leaves the position alone.
  EXPECT_EQ(SetFilePointer(h, -8, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 7u);
  // Beyond the end: allowed; reading there succeeds with nothing.
  EXPECT_EQ(SetFilePointer(h, 20, nullptr, FILE_BEGIN), 20u);
  char buf[4];
  DWORD n = 99;
  EXPECT_TRUE(ReadFile(h, buf, 4, &n, nullptr));
  EXPECT_EQ(n, 0u);
  // A read across the end returns the rest.
  SetFilePointer(h, 8, nullptr, FILE_BEGIN);
  EXPECT_TRUE(ReadFile(h, buf, 4, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "89");
  // A write beyond the end fills the gap with zeros.
  SetFilePointer(h, 12, nullptr, FILE_BEGIN);
  EXPECT_TRUE(WriteFile(h, "Z", 1, &n, nullptr));
  EXPECT_EQ(GetFileSize(h, nullptr), 13u);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Slurp("p.bin"), std::string("0123456789\0\0Z", 13));
}

TEST_F(FilesTest, PathsIgnoreCaseAndDoubledSeparators) {
  PutText("data/ui/gametxt0.tdb", "text");
  const char* spellings[] = {"DATA\\UI\\GAMETXT0.TDB", "DATA\\\\UI\\\\GAMETXT0.TDB", "data/Ui//GameTxt0.tdb",
                             ".\\DATA\\SAVE\\..\\UI\\GAMETXT0.TDB"};
  fs::create_directories(Host("data/save"));
  for (const char* s : spellings) {
    SCOPED_TRACE(s);
    HANDLE h = CreateFileA(s, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);
    CloseHandle(h);
  }
  // A missing file and a missing folder report different errors.
  EXPECT_EQ(CreateFileA("DATA\\UI\\NOPE.TDB", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateFileA("DATA\\NOPE\\X.TDB", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // A created file keeps the spelling it was given, in the folder found by case.
  HANDLE h = CreateFileA("DATA\\\\SAVE\\\\01.SVD", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(fs::exists(Host("data/save/01.SVD")));

  std::string host;
  EXPECT_TRUE(platform::ResolveGamePath("Data\\Ui\\GAMETXT0.TDB", false, &host));
  EXPECT_TRUE(fs::equivalent(host, Host("data/ui/gametxt0.tdb")));
  EXPECT_FALSE(platform::ResolveGamePath("DATA\\UI\\NEW.TDB", false, &host));
  EXPECT_TRUE(platform::ResolveGamePath("DATA\\UI\\NEW.TDB", true, &host));
  EXPECT_EQ(fs::path(host).filename(), "NEW.TDB");
  EXPECT_FALSE(platform::ResolveGamePath("DATA\\NOPE\\NEW.TDB", true, &host));
  // C: stands for the host's root.
  EXPECT_TRUE(platform::ResolveGamePath(("C:" + Host("DATA\\UI\\GAMETXT0.TDB")).c_str(), false, &host));
  EXPECT_TRUE(fs::equivalent(host, Host("data/ui/gametxt0.tdb")));

  EXPECT_TRUE(DeleteFileA("data\\ui\\GAMETXT0.TDB"));
  EXPECT_FALSE(fs::exists(Host("data/ui/gametxt0.tdb")));
  EXPECT_FALSE(DeleteFileA("data\\ui\\GAMETXT0.TDB"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, FullPathName) {
  fs::create_directories(Host("data/ui"));
  char buf[MAX_PATH];
  char* part = nullptr;
  DWORD n = GetFullPathNameA("DATA\\UI\\New.Tex", MAX_PATH, buf, &part);
  std::string expected = (fs::current_path() / "data" / "ui" / "New.Tex").string();
  ASSERT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buf), expected);
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "New.Tex");
  // Too small: the size needed with the NUL, buffer untouched.
  char small[4] = {'k', 'k', 'k', 'k'};
  EXPECT_EQ(GetFullPathNameA("DATA\\UI\\New.Tex", 4, small, &part), expected.size() + 1);
  EXPECT_EQ(small[0], 'k');
  EXPECT_EQ(GetFullPathNameA("DATA\\UI\\New.Tex", static_cast<DWORD>(expected.size()), buf, &part),
            expected.size() + 1);
  EXPECT_EQ(GetFullPathNameA("", MAX_PATH, buf, &part), 0u);
  EXPECT_EQ(GetFullPathNameA("Q:\\X", MAX_PATH, buf, &part), 0u);
}

TEST_F(FilesTest, DriveMapAndFreeSpace) {
  PutText("disc/data/qdv.dat", "q");
  fs::create_directories(Host("hd"));
  platform::SetDriveMap({{'D', Host("disc"), true}, {'E', Host("hd"), false}, {'F', Host("empty"), true}});
  EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5));

  ULARGE_INTEGER avail, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceExA("D:\\", &avail, &total, &free));
  EXPECT_EQ(free.QuadPart, 0u);
  EXPECT_EQ(avail.QuadPart, 0u);
  ASSERT_TRUE(GetDiskFreeSpaceExA("E:\\", &avail, &total, &free));
  EXPECT_GT(free.QuadPart, 0u);
  EXPECT_GE(total.QuadPart, free.QuadPart);
  // A drive whose folder is missing is a drive without a disc; an unmapped letter is no drive.
  EXPECT_FALSE(GetDiskFreeSpaceExA("F:\\", &avail, &total, &free));
  EXPECT_FALSE(GetDiskFreeSpaceExA("G:\\", &avail, &total, &free));
  EXPECT_EQ(CreateFileA("G:\\DATA\\QDV.DAT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);

  HANDLE h = CreateFileA("d:\\\\DATA\\\\QDV.DAT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  // A disc cannot be written, and ".." stays on it.
  EXPECT_EQ(CreateFileA("D:\\DATA\\QDV.DAT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("D:\\NEW.DAT", GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA("D:\\DATA\\QDV.DAT"));
  EXPECT_TRUE(fs::exists(Host("disc/data/qdv.dat")));
  std::string host;
  EXPECT_TRUE(platform::ResolveGamePath("D:\\..\\..\\DATA\\QDV.DAT", false, &host));
  EXPECT_TRUE(fs::equivalent(host, Host("disc/data/qdv.dat")));
  h = CreateFileA("E:\\SAVE.BIN", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(fs::exists(Host("hd/SAVE.BIN")));
}

TEST_F(FilesTest, SystemDriveMapTakesFoldersFromTheEnvironment) {
  fs::create_directories(Host("image"));
  std::string value = "x=/nowhere;K=" + Host("image");
  ASSERT_EQ(setenv("KELVARRO_DRIVES", value.c_str(), 1), 0);
  platform::UseSystemDriveMap();
  bool found = false;
  for (const auto& d : platform::CurrentDriveMap()) {
    if (d.letter == 'K') {
      found = d.hostRoot == Host("image") && d.readOnly;
    }
    EXPECT_GE(d.letter, 'D');
    EXPECT_LE(d.letter, 'Z');
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(GetLogicalDrives() & (1u << ('K' - 'A')));
  ULARGE_INTEGER free;
  EXPECT_TRUE(GetDiskFreeSpaceExA("K:\\", nullptr, nullptr, &free));
  EXPECT_EQ(free.QuadPart, 0u);
  unsetenv("KELVARRO_DRIVES");
  platform::SetDriveMap({});
}

TEST_F(FilesTest, WriteLimitFailsLikeAFullDisk) {
  HANDLE h = CreateFileA("w.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  platform::InjectWriteLimit(10);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "abcdef", 6, &n, nullptr));
  EXPECT_EQ(n, 6u);
  EXPECT_FALSE(WriteFile(h, "ghijkl", 6, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(n, 4u);
  EXPECT_FALSE(WriteFile(h, "m", 1, &n, nullptr));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(WriteFile(h, "", 0, &n, nullptr));
  platform::InjectWriteLimit(-1);
  EXPECT_TRUE(WriteFile(h, "!", 1, &n, nullptr));
  CloseHandle(h);
  EXPECT_EQ(Slurp("w.bin"), "abcdefghij!");
}

}  // namespace
