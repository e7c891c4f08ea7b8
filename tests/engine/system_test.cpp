#include "engine/system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
#include "tests/support/game_root.h"

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

}  // namespace
