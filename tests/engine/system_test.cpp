#include "engine/system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "platform/win32/files.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"

namespace {

class SystemTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    g_SavedAutoRunPolicy = AUTORUN_POLICY_DEFAULT;
  }

  // Writes a raw value, creating the key (as the setup program or the user would).
  static void Put(HKEY root, const char* path, const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void CreateKey(HKEY root, const char* path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // True with type and bytes when the value exists.
  static bool Get(HKEY root, const char* path, const char* name, DWORD* type, std::vector<BYTE>* data) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    BYTE buffer[512];
    DWORD size = sizeof buffer;
    bool ok = RegQueryValueExA(key, name, nullptr, type, buffer, &size) == ERROR_SUCCESS;
    if (ok) data->assign(buffer, buffer + size);
    RegCloseKey(key);
    return ok;
  }
  static bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

std::vector<BYTE> Text(const std::string& s) {
  std::vector<BYTE> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

TEST_F(SystemTest, FirstWriteCreatesTheWholeKeyChain) {
  EXPECT_FALSE(KeyExists("SOFTWARE\\Ostrelmont"));
  ASSERT_TRUE(WriteRegistryDword("Language", 3));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Ostrelmont"));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Ostrelmont\\Kelvarro"));
  EXPECT_TRUE(KeyExists(CONFIG_KEY));

  ASSERT_TRUE(WriteRegistryString("CDPath", "E:\\"));
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_LOCAL_MACHINE, CONFIG_KEY, "Language", &type, &data));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, (std::vector<BYTE>{3, 0, 0, 0}));
  ASSERT_TRUE(Get(HKEY_LOCAL_MACHINE, CONFIG_KEY, "CDPath", &type, &data));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(data, Text("E:\\"));

  DWORD language = 0;
  EXPECT_TRUE(ReadRegistryDword("language", &language));
  EXPECT_EQ(language, 3u);
  char path[REGISTRY_STRING_SIZE];
  EXPECT_TRUE(ReadRegistryString("CDPath", path));
  EXPECT_STREQ(path, "E:\\");
}

TEST_F(SystemTest, WriteFailsWhenTheFileCannotBeReplaced) {
  platform::InjectRegistryWriteFailures(1);
  EXPECT_FALSE(WriteRegistryDword("Language", 3)) << "the chain could not be created";
  ASSERT_TRUE(WriteRegistryDword("Language", 3));
  platform::InjectRegistryWriteFailures(1);
  EXPECT_FALSE(WriteRegistryString("CDPath", "D:\\"));
  EXPECT_FALSE(WriteRegistryDword(nullptr, 1));
  EXPECT_FALSE(WriteRegistryString("CDPath", nullptr));
  char path[REGISTRY_STRING_SIZE];
  EXPECT_FALSE(ReadRegistryString("CDPath", path));
}

// Whatever the registry holds, a read either yields 4 bytes or fails with
// the caller's value untouched.
TEST_F(SystemTest, ReadRegistryDwordAcceptsAnyTypeThatFits) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
    bool ok;
    DWORD value;
  };
  const std::vector<Case> cases = {
      {"Dword", REG_DWORD, {0x80, 0x02, 0, 0}, true, 640},
      {"FourByteText", REG_SZ, Text("abc"), true, 0x00636261},
      {"FiveByteText", REG_SZ, Text("abcd"), false, 0},
      {"ShortBinary", REG_BINARY, {0x91}, true, 0x91},
      {"Empty", REG_BINARY, {}, true, 0},
      {"LongBinary", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}, false, 0},
  };
  for (const Case& c : cases) Put(HKEY_LOCAL_MACHINE, CONFIG_KEY, c.name, c.type, c.data);
  for (const Case& c : cases) {
    DWORD out = 0xDEADBEEF;
    EXPECT_EQ(ReadRegistryDword(c.name, &out), c.ok) << c.name;
    EXPECT_EQ(out, c.ok ? c.value : 0xDEADBEEF) << c.name;
  }
  DWORD out = 0xDEADBEEF;
  EXPECT_FALSE(ReadRegistryDword("Missing", &out));
  EXPECT_FALSE(ReadRegistryDword(nullptr, &out));
  EXPECT_FALSE(ReadRegistryDword("Dword", nullptr));
  EXPECT_EQ(out, 0xDEADBEEF);
}

TEST_F(SystemTest, ReadRegistryStringAlwaysEndsInNul) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
    bool ok;
    std::string text;
  };
  const std::string longest(255, 'x');
  const std::vector<Case> cases = {
      {"CDPath", REG_SZ, Text("D:\\"), true, "D:\\"},
      {"Longest", REG_SZ, Text(longest), true, longest},
      {"TooLong", REG_SZ, Text(longest + "y"), false, ""},
      {"NoNul", REG_BINARY, {'A', 'B'}, true, "AB"},
      {"FullNoNul", REG_BINARY, std::vector<BYTE>(256, 'z'), false, ""},
      {"Dword", REG_DWORD, {'D', 0, 0, 0}, true, "D"},
      {"Empty", REG_SZ, {}, true, ""},
  };
  for (const Case& c : cases) Put(HKEY_LOCAL_MACHINE, CONFIG_KEY, c.name, c.type, c.data);
  for (const Case& c : cases) {
    char out[REGISTRY_STRING_SIZE];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(ReadRegistryString(c.name, out), c.ok) << c.name;
    if (c.ok) EXPECT_EQ(std::string(out), c.text) << c.name;
    else EXPECT_EQ(out[0], '#') << c.name;
  }
}

// The policy value is switched off while the game runs and put back at exit.
TEST_F(SystemTest, AutoRunPolicyIsRestoredAtExit) {
  Put(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, REG_DWORD, {0x91, 0, 0, 0});
  DisableAutoRun();
  EXPECT_EQ(g_SavedAutoRunPolicy, 0x91u);
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(data, (std::vector<BYTE>{0xFF, 0, 0, 0}));

  RestoreAutoRun();
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(data, (std::vector<BYTE>{0x91, 0, 0, 0}));
}

TEST_F(SystemTest, MissingAutoRunPolicyStaysMissingAndIsWrittenAtExit) {
  CreateKey(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY);
  g_SavedAutoRunPolicy = 0x12345678;  // left over from an earlier run of the functions
  DisableAutoRun();
  EXPECT_EQ(g_SavedAutoRunPolicy, AUTORUN_POLICY_DEFAULT);
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_FALSE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));

  RestoreAutoRun();
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(data, (std::vector<BYTE>{0x95, 0, 0, 0}));
}

TEST_F(SystemTest, AutoRunPolicyWithoutItsKeyOrOfAnOddSizeIsLeftAlone) {
  DisableAutoRun();
  RestoreAutoRun();
  HKEY key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

  const std::vector<BYTE> odd = {1, 2, 3, 4, 5, 6};
  Put(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, REG_BINARY, odd);
  DisableAutoRun();
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));
  EXPECT_EQ(data, odd);
  RestoreAutoRun();
  ASSERT_TRUE(Get(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, AUTORUN_POLICY_VALUE, &type, &data));
  EXPECT_EQ(data, odd);
}

TEST_F(SystemTest, MessageBoxGoesToTheMainWindowWithTheCallersStyle) {
  platform::ScriptMessageBoxAnswers({IDCANCEL});
  EXPECT_EQ(ShowMessageBox("Please insert the Kelvarro CD-ROM.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_INSERT_DISC),
            IDCANCEL);
  EXPECT_EQ(ShowMessageBox("Error: RenderScene failed.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR), IDOK);
  const auto& boxes = platform::RecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Please insert the Kelvarro CD-ROM.");
  EXPECT_EQ(boxes[0].caption, "Kelvarro");
  EXPECT_EQ(boxes[0].type, 0x40031u);
  EXPECT_EQ(boxes[0].owner, g_MainWindow);
  EXPECT_EQ(boxes[1].type, 0x40010u);
}

class DataFileTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    auto bytes = [](const std::string& s) { return kelvdata::Bytes(s.begin(), s.end()); };
    Put("data/ui.bbf", kelvdata::BuildBbf({{"_CUROBJ.TEX", bytes("ui cursor")}, {"DIALOG01.DLG", bytes("ui dialog")}}));
    Put("data/track.bbf", kelvdata::BuildBbf({{"T1.TRK", bytes("track one")}}));
    Put("data/misc.bbf", kelvdata::BuildBbf({{"RAIN.SFX", bytes("misc rain")}}));
    Put("sounds/rain.sfx", bytes("loose rain"));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    ASSERT_TRUE(g_MiscArchive.Open("DATA\\MISC.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }
  void TearDown() override {
    g_UiArchive.Close();
    g_TrackArchive.Close();
    g_MiscArchive.Close();
    GameRootTest::TearDown();
  }
};

// Which archive a path reaches, by the member's contents ("" when it opens nothing).
std::string Reached(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) return "";
  std::string s(static_cast<std::size_t>(file.Size()), '\0');
  if (!file.Read(s.data(), file.Size())) return "unreadable";
  return s;
}

TEST_F(DataFileTest, PathsAreRoutedByTheirDataDirectory) {
  struct Case {
    const char* path;
    const char* contents;
  };
  const std::vector<Case> cases = {
      {"DATA\\UI\\_CUROBJ.TEX", "ui cursor"},
      {"DATA\\\\UI\\\\_CUROBJ.TEX", "ui cursor"},
      {"DATA\\\\UI\\_CUROBJ.TEX", "ui cursor"},
      {"DATA\\UI\\\\_CUROBJ.TEX", "ui cursor"},
      {"data\\ui\\_curobj.tex", "ui cursor"},
      {"Data\\Ui\\Dialog01.dlg", "ui dialog"},
      {"DATA\\TRACK\\T1.TRK", "track one"},
      {"DATA\\\\TRACK\\\\T1.TRK", "track one"},
      {"DATA\\MISC\\RAIN.SFX", "misc rain"},
      {"E:\\GAMES\\DATA\\MISC\\RAIN.SFX", "misc rain"},
      // Only the three archive directories are routed.
      {"SOUNDS\\RAIN.SFX", ""},
      {"RAIN.SFX", ""},
      {"DATA\\RAIN.SFX", ""},
      {"DATA\\SOUNDS\\RAIN.SFX", ""},
      {"DATA\\UIX\\_CUROBJ.TEX", ""},
      {"DATA\\\\\\UI\\_CUROBJ.TEX", ""},
      {"UI\\_CUROBJ.TEX", ""},
      // The routed archive is the only one searched.
      {"DATA\\UI\\T1.TRK", ""},
      {"DATA\\TRACK\\_CUROBJ.TEX", ""},
      {"DATA\\UI\\MISSING.TEX", ""},
      {"DATA\\UI\\", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Reached(c.path), c.contents) << c.path;

  const std::string overlong = "DATA\\UI\\" + std::string(300, 'A') + ".TEX";
  EXPECT_EQ(Reached(overlong.c_str()), "");
  ArchiveFile file;
  EXPECT_FALSE(OpenDataFile(nullptr, &file));
  EXPECT_FALSE(OpenDataFile("DATA\\UI\\_CUROBJ.TEX", nullptr));

  g_UiArchive.Close();
  EXPECT_EQ(Reached("DATA\\UI\\_CUROBJ.TEX"), "") << "archive not open";
}

class GameDiscTest : public SystemTest {
 protected:
  // A drive folder under the game root, with the disc's data file when `withData`.
  platform::DriveMapping Drive(char letter, bool readOnly, bool withData) {
    std::string folder = std::string("drive_") + letter;
    std::filesystem::create_directories(Host(folder));
    if (withData) GameRootTest::Put(folder + "/DATA/QDV.DAT", {1, 2, 3});
    return {letter, Host(folder), readOnly};
  }
};

TEST_F(GameDiscTest, FindsTheFirstFullDriveWithTheDataFile) {
  platform::SetDriveMap({
      Drive('D', false, true),  // a hard disk holding a copy of the data
      Drive('E', true, false),  // another disc
      Drive('G', true, true),
      Drive('F', true, true),
  });
  char out[8] = "unset";
  ASSERT_TRUE(FindGameDisc(out));
  EXPECT_STREQ(out, "F:\\");
  char path[REGISTRY_STRING_SIZE];
  ASSERT_TRUE(ReadRegistryString("CDPath", path));
  EXPECT_STREQ(path, "F:\\");
}

TEST_F(GameDiscTest, NoDiscLeavesEverythingAlone) {
  platform::SetDriveMap({Drive('D', false, true), Drive('E', true, false), Drive('Z', true, false)});
  char out[8] = "unset";
  EXPECT_FALSE(FindGameDisc(out));
  EXPECT_STREQ(out, "unset");
  char path[REGISTRY_STRING_SIZE];
  EXPECT_FALSE(ReadRegistryString("CDPath", path));

  // A drive whose folder has gone (the disc was taken out) is skipped as well.
  platform::DriveMapping gone = Drive('Y', true, true);
  platform::SetDriveMap({gone, Drive('Z', true, true)});
  std::filesystem::remove_all(gone.hostRoot);
  ASSERT_TRUE(FindGameDisc(out));
  EXPECT_STREQ(out, "Z:\\");
  EXPECT_FALSE(FindGameDisc(nullptr));
}

}  // namespace
