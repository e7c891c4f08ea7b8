#include "platform/win32/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/game_root.h"

namespace {

constexpr const char* kConfigKey = "SOFTWARE\\Ostrelmont\\Kelvarro\\1.00";
constexpr const char* kPolicyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

class RegistryTest : public kelvtest::GameRootTest {
 protected:
  std::string FileText() const {
    std::ifstream in(Host("registry.txt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteFileText(const std::string& text) const {
    std::ofstream(Host("registry.txt"), std::ios::binary) << text;
  }
  // Forgets what the program read, as a freshly started program would.
  void Restart() const { platform::SetRegistryFile(Host("registry.txt")); }

  HKEY Create(HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
  }
  LONG Open(HKEY root, const char* path, HKEY* key, REGSAM access = KEY_ALL_ACCESS) {
    return RegOpenKeyExA(root, path, 0, access, key);
  }
  LONG Set(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& data) {
    return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  }
  // The value's bytes through a fresh handle; empty optional-like flag when missing.
  bool Get(HKEY root, const char* path, const char* name, DWORD* type, std::vector<BYTE>* data) {
    HKEY key;
    if (Open(root, path, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
      data->assign(size, 0);
      ok = RegQueryValueExA(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
  }
  std::vector<std::string> FilesInRoot() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(root_)) names.push_back(e.path().filename().string());
    return names;
  }
};

std::vector<BYTE> Bytes(const char* s, std::size_t n) { return std::vector<BYTE>(s, s + n); }

// The read rules: any type is returned when it fits, a longer value fails with
// ERROR_MORE_DATA and leaves the buffer alone, and a null buffer asks for the
// size. Checked right after the write and again after a restart, so every
// shape also survives the text file.
TEST_F(RegistryTest, QueryFollowsTheReadRulesBeforeAndAfterARestart) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
    DWORD bufferSize;
    LONG result;
  };
  const std::vector<Case> cases = {
      {"Dword", REG_DWORD, {0x1e, 0, 0, 0}, 4, ERROR_SUCCESS},
      {"ShortText", REG_SZ, Bytes("abc", 4), 4, ERROR_SUCCESS},
      {"LongText", REG_SZ, Bytes("abcd", 5), 4, ERROR_MORE_DATA},
      {"TextFits", REG_SZ, Bytes("D:\\", 4), 256, ERROR_SUCCESS},
      {"Quote\"And\\Slash", REG_SZ, Bytes("say \"hi\" \\o/", 13), 256, ERROR_SUCCESS},
      {"TextWithoutNul", REG_SZ, Bytes("ab", 2), 4, ERROR_SUCCESS},
      {"TextWithNewline", REG_SZ, Bytes("a\nb", 4), 4, ERROR_SUCCESS},
      {"Latin1Text", REG_SZ, Bytes("J\xf6rg", 5), 8, ERROR_SUCCESS},
      {"Binary", REG_BINARY, {0x95, 0, 0, 0}, 4, ERROR_SUCCESS},
      {"ShortBinary", REG_BINARY, {0x91}, 4, ERROR_SUCCESS},
      {"EmptyBinary", REG_BINARY, {}, 4, ERROR_SUCCESS},
      {"LongBinary", REG_BINARY, {1, 2, 3, 4, 5, 6}, 4, ERROR_MORE_DATA},
      {"OddDword", REG_DWORD, {1, 2}, 4, ERROR_SUCCESS},
      {"OtherType", 11, {1, 2, 3, 4, 5, 6, 7, 8}, 8, ERROR_SUCCESS},
      {"", REG_SZ, Bytes("default", 8), 8, ERROR_SUCCESS},
  };
  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  for (const Case& c : cases) ASSERT_EQ(Set(key, c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
  RegCloseKey(key);

  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) Restart();
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_SUCCESS);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (pass ? " after restart" : ""));
      DWORD type = 999, size = 0;
      ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
      EXPECT_EQ(type, c.type);
      EXPECT_EQ(size, c.data.size());

      std::vector<BYTE> buffer(c.bufferSize, 0xAB);
      size = c.bufferSize;
      type = 999;
      EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer.data(), &size), c.result);
      EXPECT_EQ(size, c.data.size());
      std::vector<BYTE> expected(c.bufferSize, 0xAB);
      if (c.result == ERROR_SUCCESS) std::copy(c.data.begin(), c.data.end(), expected.begin());
      EXPECT_EQ(buffer, expected);
    }
    DWORD size = 4;
    BYTE sentinel[4] = {7, 7, 7, 7};
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, sentinel, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sentinel[0], 7);
    // Value names are matched without regard to case.
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "dWORD", nullptr, nullptr, sentinel, &size), ERROR_SUCCESS);
    EXPECT_EQ(sentinel[0], 0x1e);
    RegCloseKey(key);
  }
}

TEST_F(RegistryTest, CreateMakesEveryMissingLevelAndKeysIgnoreCase) {
  HKEY key;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);

  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kConfigKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(key);

  Restart();
  for (const char* path : {"SOFTWARE", "software\\OSTRELMONT", "SOFTWARE\\Ostrelmont\\Kelvarro",
                           "Software\\ostrelmont\\kelvarro\\1.00"}) {
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
    RegCloseKey(key);
  }
  EXPECT_EQ(Open(HKEY_CURRENT_USER, kConfigKey, &key), ERROR_FILE_NOT_FOUND) << "the roots are separate";
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrelmont\\Kelvarro\\1.0", &key), ERROR_FILE_NOT_FOUND);

  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\ostrelmont", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  // A path relative to an open key.
  HKEY child;
  EXPECT_EQ(Open(key, "Kelvarro\\1.00", &child), ERROR_SUCCESS);
  RegCloseKey(child);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

  for (const char* bad : {"A\\\\B", "\\A", "A\\", "Tab\tName"}) {
    EXPECT_NE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, bad, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << bad;
  }
}

TEST_F(RegistryTest, HandlesKeepTheirAccess) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  RegCloseKey(key);
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(Set(key, "Language", REG_DWORD, {1, 0, 0, 0}), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key, KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(Set(key, "Language", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
}

// The configuration key and the Explorer policy key live side by side in one
// readable file.
TEST_F(RegistryTest, BothKeysShareOneReadableFile) {
  HKEY config = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  HKEY policy = Create(HKEY_CURRENT_USER, kPolicyKey);
  ASSERT_EQ(Set(config, "GameWidth", REG_DWORD, {0x1e, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(Set(config, "CDPath", REG_SZ, Bytes("D:\\", 4)), ERROR_SUCCESS);
  ASSERT_EQ(Set(policy, "NoDriveTypeAutoRun", REG_BINARY, {0x95, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(config);
  RegCloseKey(policy);

  std::string text = FileText();
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"GameWidth\"=dword:0000001e\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"CDPath\"=\"D:\\\\\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\" + std::string(kPolicyKey) + "]\n\"NoDriveTypeAutoRun\"=hex:95,00,00,00\n"),
            std::string::npos)
      << text;

  Restart();
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_FALSE(Get(HKEY_CURRENT_USER, kPolicyKey, "GameWidth", &type, &data));
  EXPECT_FALSE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "NoDriveTypeAutoRun", &type, &data));
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, kPolicyKey, "NoDriveTypeAutoRun", &type, &data));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(data, (std::vector<BYTE>{0x95, 0, 0, 0}));
}

// Another program (the setup program) writes the file while this one runs:
// opening a key reads it again, and a write keeps the other program's values.
TEST_F(RegistryTest, SeesAndKeepsWhatAnotherProgramWrote) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  ASSERT_EQ(Set(key, "Mine", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);

  WriteFileText(FileText() + "\"Theirs\"=dword:00000002\n");
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Theirs", &type, &data));
  EXPECT_EQ(data, (std::vector<BYTE>{2, 0, 0, 0}));

  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_SUCCESS);
  WriteFileText(FileText() + "\"Later\"=dword:00000003\n");
  ASSERT_EQ(Set(key, "Mine", REG_DWORD, {4, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  Restart();
  for (const char* name : {"Mine", "Theirs", "Later"}) EXPECT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, name, &type, &data)) << name;
}

// A write that fails half way (a full disk) leaves the old file byte for byte,
// no stray temporary file, and the program's values as they were.
TEST_F(RegistryTest, FailedWriteLeavesTheOldFile) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  ASSERT_EQ(Set(key, "Language", REG_DWORD, {3, 0, 0, 0}), ERROR_SUCCESS);
  const std::string before = FileText();
  const auto filesBefore = FilesInRoot();

  platform::InjectRegistryWriteFailures(3);
  EXPECT_EQ(Set(key, "Language", REG_DWORD, {5, 0, 0, 0}), ERROR_DISK_FULL);
  EXPECT_EQ(Set(key, "Other", REG_DWORD, {5, 0, 0, 0}), ERROR_DISK_FULL);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_DISK_FULL);
  EXPECT_EQ(sub, nullptr);
  EXPECT_EQ(FileText(), before);
  EXPECT_EQ(FilesInRoot(), filesBefore);

  DWORD value = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(key, "Sub", &sub), ERROR_FILE_NOT_FOUND);

  // The disk has room again.
  EXPECT_EQ(Set(key, "Language", REG_DWORD, {5, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  Restart();
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Language", &type, &data));
  EXPECT_EQ(data, (std::vector<BYTE>{5, 0, 0, 0}));
}

// Damage of every kind: the lines that still parse are used, the rest is
// missing, and neither reading nor the next write changes the damaged lines.
// A file that could not be read as a whole is never replaced.
TEST_F(RegistryTest, DamagedFileGivesMissingValuesAndKeepsItsLines) {
  const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n";
  const std::string good = section + "\"Good\"=dword:00000007\n";
  struct Case {
    const char* what;
    std::string text;
    bool goodReadable;
    bool writable;
  };
  const std::vector<Case> cases = {
      {"crlf line ends", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\r\n\"Good\"=dword:7\r\n", true,
       true},
      {"nine hex digits", good + "\"Bad\"=dword:123456789\n", true, true},
      {"dword without digits", good + "\"Bad\"=dword:\n", true, true},
      {"dword trailing junk", good + "\"Bad\"=dword:12zz\n", true, true},
      {"unterminated name", good + "\"Bad=dword:00000001\n", true, true},
      {"unterminated text", good + "\"Bad\"=\"abc\n", true, true},
      {"unknown escape", good + "\"Bad\"=\"a\\nb\"\n", true, true},
      {"text trailing junk", good + "\"Bad\"=\"a\" x\n", true, true},
      {"odd hex", good + "\"Bad\"=hex:9,00\n", true, true},
      {"hex trailing comma", good + "\"Bad\"=hex:95,\n", true, true},
      {"hex type unclosed", good + "\"Bad\"=hex(4:01,00,00,00\n", true, true},
      {"unknown form", good + "\"Bad\"=qword:1\n", true, true},
      {"no equals", good + "\"Bad\" dword:00000001\n", true, true},
      {"overlong hex", good + "\"Bad\"=hex:" + [] {
         std::string s = "00";
         for (int i = 0; i < 70000; ++i) s += ",00";
         return s;
       }() + "\n",
       true, true},
      {"overlong name", good + "\"" + std::string(20000, 'n') + "\"=dword:1\n", true, true},
      {"value before any section", "\"Bad\"=dword:00000001\n" + good, true, true},
      {"unknown root", "[HKEY_NOWHERE\\SOFTWARE]\n\"Bad\"=dword:1\n" + good, true, true},
      {"empty key name", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\X]\n\"Bad\"=dword:1\n" + good, true, true},
      {"unclosed section", good + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00\n\"Bad\"=dword:1\n", true,
       true},
      {"cut in the middle", good + "\"Bad\"=hex:01,0", true, true},
      {"binary garbage", good + std::string("\0\xff\x01[\"\\\n\"=\"\0", 11) + "\n", true, false},
      {"larger than any registry", good + std::string(5u << 20, ';'), false, false},
      {"only garbage", std::string("\x7f" "ELF\0\0\0", 7), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileText(c.text);
    Restart();
    DWORD type;
    std::vector<BYTE> data;
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Good", &type, &data), c.goodReadable);
    if (c.goodReadable) EXPECT_EQ(data, (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_FALSE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Bad", &type, &data));
    EXPECT_EQ(FileText(), c.text) << "reading must not rewrite the file";

    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    LONG created =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kConfigKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    LONG set = key ? Set(key, "New", REG_DWORD, {9, 0, 0, 0}) : created;
    if (key) RegCloseKey(key);
    const std::string err = testing::internal::GetCapturedStderr();
    if (!c.writable) {
      EXPECT_NE(set, ERROR_SUCCESS);
      EXPECT_EQ(FileText(), c.text);
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
      EXPECT_NE(err.find(Host("registry.txt")), std::string::npos) << err;
      continue;
    }
    ASSERT_EQ(set, ERROR_SUCCESS);
    EXPECT_EQ(err, "");
    Restart();
    EXPECT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "New", &type, &data));
    EXPECT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Good", &type, &data));
    EXPECT_FALSE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Bad", &type, &data));
    // The write added its line and took nothing away.
    const std::string after = FileText();
    const bool crlf = c.text.find('\r') != std::string::npos;
    const std::string newLine = std::string("\"New\"=dword:00000009") + (crlf ? "\r\n" : "\n");
    std::size_t at = after.find(newLine);
    ASSERT_NE(at, std::string::npos) << after;
    std::string without = after;
    without.erase(at, newLine.size());
    EXPECT_EQ(without, c.text);
  }
}

// A hand-edited file keeps every line that a write does not change: comments,
// lines the program does not understand, other keys and the order of it all.
TEST_F(RegistryTest, WriteChangesOnlyTheLinesOfItsValue) {
  const std::string before =
      "# my settings, tuned by hand\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n"
      "  \"Language\"=dword:00000001\n"
      "; louder than the default\n"
      "\"SfxVolume\"=dword:00000040\n"
      "FutureOption = maybe\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"Theirs\"=\"keep\"\n";
  WriteFileText(before);
  Restart();
  HKEY key;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "language", REG_DWORD, {2, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "MusicVolume", REG_DWORD, {0x30, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(FileText(),
            "# my settings, tuned by hand\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n"
            "  \"Language\"=dword:00000002\n"
            "; louder than the default\n"
            "\"SfxVolume\"=dword:00000040\n"
            "\"MusicVolume\"=dword:00000030\n"
            "FutureOption = maybe\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\n"
            "\"Theirs\"=\"keep\"\n");

  // A value given twice counts with its last line; writing it changes that
  // line, deleting it removes both.
  WriteFileText(before + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n\"Language\"=dword:00000005\n");
  Restart();
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Language", REG_DWORD, {6, 0, 0, 0}), ERROR_SUCCESS);
  std::string text = FileText();
  EXPECT_NE(text.find("  \"Language\"=dword:00000001\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Language\"=dword:00000006\n"), std::string::npos) << text;
  ASSERT_EQ(RegDeleteValueA(key, "Language"), ERROR_SUCCESS);
  RegCloseKey(key);
  text = FileText();
  EXPECT_EQ(text.find("Language"), std::string::npos) << text;
  EXPECT_NE(text.find("FutureOption = maybe\n"), std::string::npos) << text;
  EXPECT_NE(text.find("# my settings, tuned by hand\n"), std::string::npos) << text;
}

// Windows editors may start the file with a byte-order mark: its first
// section still counts, and the mark is still there after a write.
TEST_F(RegistryTest, AByteOrderMarkAtTheHeadIsReadPastAndKept) {
  WriteFileText(
      "\xEF\xBB\xBF[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\r\n"
      "\"Language\"=dword:00000003\r\n");
  Restart();
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Language", &type, &data));
  EXPECT_EQ(data, (std::vector<BYTE>{3, 0, 0, 0}));
  HKEY key;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Language", REG_DWORD, {4, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(FileText(),
            "\xEF\xBB\xBF[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\r\n"
            "\"Language\"=dword:00000004\r\n");
}

// The file may be a symlink into a dotfiles folder, and private: a write goes
// to the link's target and keeps the target's mode.
TEST_F(RegistryTest, WriteFollowsASymlinkAndKeepsTheMode) {
  namespace fs = std::filesystem;
  fs::create_directory(Host("dotfiles"));
  {
    std::ofstream(Host("dotfiles/kelvarro.txt"), std::ios::binary) << "; mine\n";
  }
  fs::permissions(Host("dotfiles/kelvarro.txt"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("dotfiles/kelvarro.txt", Host("registry.txt"));
  Restart();

  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  ASSERT_EQ(Set(key, "Language", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_TRUE(fs::is_symlink(Host("registry.txt")));
  EXPECT_EQ(fs::read_symlink(Host("registry.txt")), "dotfiles/kelvarro.txt");
  EXPECT_EQ(fs::status(Host("dotfiles/kelvarro.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  std::string text = FileText();
  EXPECT_EQ(text.rfind("; mine\n", 0), 0u) << text;
  EXPECT_NE(text.find("\"Language\"=dword:00000001\n"), std::string::npos) << text;
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(Host("dotfiles"))) files.push_back(e.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"kelvarro.txt"});

  // A link whose target does not exist yet: the write creates the target.
  fs::remove(Host("registry.txt"));
  fs::create_symlink("dotfiles/new.txt", Host("registry.txt"));
  Restart();
  key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  RegCloseKey(key);
  EXPECT_TRUE(fs::is_symlink(Host("registry.txt")));
  EXPECT_TRUE(fs::is_regular_file(Host("dotfiles/new.txt")));

  // A plain file keeps its mode as well.
  fs::remove(Host("registry.txt"));
  WriteFileText("; mine\n");
  fs::permissions(Host("registry.txt"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Restart();
  key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  RegCloseKey(key);
  EXPECT_EQ(fs::status(Host("registry.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_NE(FileText().find("[HKEY_LOCAL_MACHINE"), std::string::npos);
}

// A write killed half way leaves its temporary file; the next write removes
// it, but never one whose writer still runs, nor anything else in the folder.
TEST_F(RegistryTest, NextWriteRemovesTemporariesOfKilledWrites) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);

  struct Case {
    std::string name;
    bool stays;
  };
  const std::vector<Case> cases = {
      {"registry.txt.tmp-" + std::to_string(child) + "-a1B2c3", false},
      {"registry.txt.tmp-" + std::to_string(getppid()) + "-a1B2c3", true},  // a writer still running
      {"registry.txt.tmp-Xy12Zw", false},  // the same, from a build that did not name its pid
      {"registry.txt.tmp-notapid", true},
      {"registry.txt.bak", true},
      {"other.txt.tmp-" + std::to_string(child) + "-a1B2c3", true},
  };
  for (const Case& c : cases) std::ofstream(Host(c.name)) << "half a file";
  HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
  RegCloseKey(key);
  for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(Host(c.name)), c.stays) << c.name;
}

// A file that is there but cannot be read is never replaced: a write fails
// rather than destroy what could not be seen.
TEST_F(RegistryTest, UnreadableFileIsNeverReplaced) {
  std::filesystem::create_directory(Host("registry.txt"));
  Restart();
  HKEY key = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, kConfigKey, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kConfigKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::is_directory(Host("registry.txt")));
}

TEST_F(RegistryTest, DeleteValue) {
  HKEY key = Create(HKEY_CURRENT_USER, kPolicyKey);
  ASSERT_EQ(Set(key, "NoDriveTypeAutoRun", REG_BINARY, {0xff, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "nodrivetypeautorun"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "NoDriveTypeAutoRun"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  Restart();
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_FALSE(Get(HKEY_CURRENT_USER, kPolicyKey, "NoDriveTypeAutoRun", &type, &data));
  HKEY again;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, kPolicyKey, &again), ERROR_SUCCESS) << "the key stays";
  RegCloseKey(again);
}

TEST(RegistryFileLocation, FollowsTheEnvironment) {
  struct Saved {
    const char* name;
    std::string value;
    bool set;
  };
  std::vector<Saved> saved;
  for (const char* n : {"KELVARRO_CONFIG", "XDG_CONFIG_HOME", "HOME"}) {
    const char* v = std::getenv(n);
    saved.push_back({n, v ? v : "", v != nullptr});
  }
  platform::SetRegistryFile("");
  setenv("HOME", "/home/rider", 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("KELVARRO_CONFIG");
  EXPECT_EQ(platform::RegistryFile(), "/home/rider/.config/kelvarro/registry.txt");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(platform::RegistryFile(), "/cfg/kelvarro/registry.txt");
  setenv("KELVARRO_CONFIG", "/etc/kelv.txt", 1);
  EXPECT_EQ(platform::RegistryFile(), "/etc/kelv.txt");
  platform::SetRegistryFile("/tmp/override.txt");
  EXPECT_EQ(platform::RegistryFile(), "/tmp/override.txt");
  platform::SetRegistryFile("");
  for (const Saved& s : saved) {
    if (s.set) setenv(s.name, s.value.c_str(), 1);
    else unsetenv(s.name);
  }
}

}  // namespace
