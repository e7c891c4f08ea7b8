#include "tests/setup/setup_fixture.h"

#include <fstream>
#include <sstream>

#include "engine/system.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/ddraw/directx_version.h"
#include "platform/dinput/input_test.h"
#include "platform/dsound/dsound.h"
#include "platform/glide/glide.h"
#include "platform/glide/glide_library.h"
#include "platform/win32/msgbox.h"
#include "setup/app.h"
#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/settings.h"
#include "setup/sheet.h"

namespace setuptest {

void SetupTest::SetUp() {
  GameRootTest::SetUp();
  platform::UseTestInput(true);
  platform::AddTestKeyboard();
  platform::UseTestSound(true);
  platform::UseDirectDrawTestBackend(true);
  platform::SetDirectDrawMachine(platform::DefaultDirectDrawMachine());
  platform::SetInstalledDirectXVersion(0x600);
  platform::UseGlideTestBackend(true);
  platform::SetGlideBoard({});
  platform::RegisterGlideLibrary();
  platform::mfc::UseScriptedSheets(true);
  platform::mfc::SetTextMeasurer({});
  RegisterSetupBitmaps();
  ResetSetupState();
  FillCaptionTables();
}

void SetupTest::TearDown() {
  ReleaseSetupInput();
  ResetSetupState();
  platform::mfc::UseScriptedSheets(false);
  platform::UseGlideTestBackend(false);
  platform::SetDirectDrawMachine(platform::DefaultDirectDrawMachine());
  platform::UseDirectDrawTestBackend(false);
  platform::UseTestSound(false);
  platform::UseTestInput(false);
  GameRootTest::TearDown();
}

void SetupTest::Set(const char* name, DWORD value) { ASSERT_TRUE(WriteRegistryDword(name, value)); }

std::optional<DWORD> SetupTest::Get(const char* name) {
  DWORD v = 0;
  if (!ReadRegistryDword(name, &v)) return std::nullopt;
  return v;
}

std::vector<std::string> SetupTest::ValueOrder() const {
  std::ifstream in(Host("registry.txt"));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 2 || line[0] != '"') continue;
    names.push_back(line.substr(1, line.find('"', 1) - 1));
  }
  return names;
}

std::vector<std::string> SetupTest::Messages() {
  std::vector<std::string> texts;
  for (const auto& box : platform::RecordedMessageBoxes()) texts.push_back(box.text);
  return texts;
}

void SetupTest::RunProgram(const std::vector<SheetStep>& steps) {
  ResetSetupState();
  platform::mfc::ScriptSheet(steps);
  g_SetupApp.InitInstance();
}

void SetupTest::PrepareRun() {
  ReleaseSetupInput();
  ResetSetupState();
  FillCaptionTables();
  DWORD version = 0;
  ASSERT_TRUE(ReadRegistryDword("Version", &version));
  g_SetupSettings.Version = version;
  ReadSettings();
  ASSERT_TRUE(CreateDirectInput());
}

}  // namespace setuptest
