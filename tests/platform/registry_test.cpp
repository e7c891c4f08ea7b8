#include "platform/win32/registry.h"

#include <gtest/gtest.h>

#include <cstring>
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
// missing, reading never changes the file, and the next write replaces it
// with what the program holds.
TEST_F(RegistryTest, DamagedFileGivesMissingValuesUntilTheNextWrite) {
  const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\n";
  const std::string good = section + "\"Good\"=dword:00000007\n";
  struct Case {
    const char* what;
    std::string text;
    bool goodSurvives;
  };
  const std::vector<Case> cases = {
      {"crlf line ends", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00]\r\n\"Good\"=dword:7\r\n", true},
      {"nine hex digits", good + "\"Bad\"=dword:123456789\n", true},
      {"dword without digits", good + "\"Bad\"=dword:\n", true},
      {"dword trailing junk", good + "\"Bad\"=dword:12zz\n", true},
      {"unterminated name", good + "\"Bad=dword:00000001\n", true},
      {"unterminated text", good + "\"Bad\"=\"abc\n", true},
      {"unknown escape", good + "\"Bad\"=\"a\\nb\"\n", true},
      {"text trailing junk", good + "\"Bad\"=\"a\" x\n", true},
      {"odd hex", good + "\"Bad\"=hex:9,00\n", true},
      {"hex trailing comma", good + "\"Bad\"=hex:95,\n", true},
      {"hex type unclosed", good + "\"Bad\"=hex(4:01,00,00,00\n", true},
      {"unknown form", good + "\"Bad\"=qword:1\n", true},
      {"no equals", good + "\"Bad\" dword:00000001\n", true},
      {"overlong hex", good + "\"Bad\"=hex:" + [] {
         std::string s = "00";
         for (int i = 0; i < 70000; ++i) s += ",00";
         return s;
       }() + "\n",
       true},
      {"overlong name", good + "\"" + std::string(20000, 'n') + "\"=dword:1\n", true},
      {"value before any section", "\"Bad\"=dword:00000001\n" + good, true},
      {"unknown root", "[HKEY_NOWHERE\\SOFTWARE]\n\"Bad\"=dword:1\n" + good, true},
      {"empty key name", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\X]\n\"Bad\"=dword:1\n" + good, true},
      {"unclosed section", good + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrelmont\\Kelvarro\\1.00\n\"Bad\"=dword:1\n", true},
      {"binary garbage", good + std::string("\0\xff\x01[\"\\\n\"=\"\0", 11) + "\n", true},
      {"cut in the middle", good + "\"Bad\"=hex:01,0", true},
      {"larger than any registry", good + std::string(5u << 20, ';'), false},
      {"only garbage", std::string("\x7f" "ELF\0\0\0", 7), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileText(c.text);
    Restart();
    DWORD type;
    std::vector<BYTE> data;
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Good", &type, &data), c.goodSurvives);
    if (c.goodSurvives) EXPECT_EQ(data, (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_FALSE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Bad", &type, &data));
    EXPECT_EQ(FileText(), c.text) << "reading must not rewrite the file";

    HKEY key = Create(HKEY_LOCAL_MACHINE, kConfigKey);
    ASSERT_EQ(Set(key, "New", REG_DWORD, {9, 0, 0, 0}), ERROR_SUCCESS);
    RegCloseKey(key);
    Restart();
    EXPECT_TRUE(Get(HKEY_LOCAL_MACHINE, kConfigKey, "New", &type, &data));
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kConfigKey, "Good", &type, &data), c.goodSurvives);
    EXPECT_EQ(FileText().find("Bad"), std::string::npos);
  }
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
