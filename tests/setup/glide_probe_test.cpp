#include <gtest/gtest.h>

#include <cstring>

#include "platform/glide/glide.h"
#include "platform/win32/module.h"
#include "platform/win32/msgbox.h"
#include "setup/page_3dfx.h"
#include "tests/setup/setup_fixture.h"

namespace setuptest {
namespace {

// A stand-in board library whose answers each case chooses.
struct FakeBoard {
  const char* hardware = "Test Board";
  const char* version = "3.10";
  std::uint32_t fb = 4, count = 1, uma = 0;
  bool fbAnswers = true;
};
FakeBoard g_board;
int g_shutdowns = 0;

void FakeInit() {}
void FakeShutdown() { ++g_shutdowns; }
const char* FakeGetString(std::uint32_t what) { return what == GR_HARDWARE ? g_board.hardware : g_board.version; }
std::uint32_t FakeGet(std::uint32_t what, std::uint32_t, std::int32_t* out) {
  std::uint32_t v = 0;
  if (what == GR_MEMORY_FB) {
    if (!g_board.fbAnswers) return 0;
    v = g_board.fb;
  } else if (what == GR_NUM_FB) {
    v = g_board.count;
  } else if (what == GR_MEMORY_UMA) {
    v = g_board.uma;
    if (v == 0) return 0;
  }
  *out = static_cast<std::int32_t>(v);
  return 4;
}

class GlideProbeTest : public SetupTest {
 protected:
  void Register(bool withInit = true, bool withGet = true) {
    std::map<std::string, FARPROC> entries = {
        {"grGetString", reinterpret_cast<FARPROC>(&FakeGetString)},
        {"grGlideShutdown", reinterpret_cast<FARPROC>(&FakeShutdown)},
    };
    if (withInit) entries["grGlideInit"] = reinterpret_cast<FARPROC>(&FakeInit);
    if (withGet) entries["grGet"] = reinterpret_cast<FARPROC>(&FakeGet);
    platform::RegisterModule("GLIDE3X.DLL", entries);
  }
  void TearDown() override {
    platform::UnregisterModule("GLIDE3X.DLL");
    SetupTest::TearDown();
  }
};

TEST_F(GlideProbeTest, ProbeAnswersAndFailuresByBoard) {
  struct Case {
    FakeBoard board;
    bool withInit, withGet;
    bool ok;
    const char* message;
    std::int32_t memory;
    const char* version;
  };
  const Case cases[] = {
      {{}, true, true, true, nullptr, 4, "3.10"},
      {{.count = 2}, true, true, true, nullptr, 8, "3.10"},
      {{.version = ""}, true, true, true, nullptr, 4, "3.xx"},
      {{.fb = 0, .uma = 6}, true, true, true, nullptr, 6, "3.10"},  // unified memory
      {{.fb = 0}, true, true, false, "Error detecting hardware capabilities!", 0, ""},
      {{.fbAnswers = false}, true, true, false, "Error detecting hardware capabilities!", 0, ""},
      {{.hardware = "NOHW"}, true, true, false, "3Dfx not found!", 0, ""},
      {{.hardware = nullptr}, true, true, false, "3Dfx not found!", 0, ""},
      {{}, false, true, false, "Error loading Glide library!", 0, ""},
      {{}, true, false, false, "Error detecting hardware capabilities!", 0, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    g_board = c.board;
    Register(c.withInit, c.withGet);
    g_GlideMemory = 0;
    g_GlideVersionText[0] = '\0';
    platform::ClearRecordedMessageBoxes();
    EXPECT_EQ(C3DfxPage::ProbeGlide3(true), c.ok) << "case " << i;
    EXPECT_EQ(platform::LoadedModuleCount(), 0) << "case " << i;
    if (c.message) EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << "case " << i;
    else EXPECT_TRUE(Messages().empty()) << "case " << i;
    if (c.ok) {
      EXPECT_EQ(g_GlideMemory, c.memory) << "case " << i;
      EXPECT_STREQ(g_GlideVersionText, c.version) << "case " << i;
    }
  }
}

TEST_F(GlideProbeTest, StartCheckWithoutDetailsPassesWithNoBoard) {
  g_board = {.hardware = "NOHW"};
  Register();
  platform::ClearRecordedMessageBoxes();
  EXPECT_TRUE(C3DfxPage::ProbeGlide3(false));
  EXPECT_TRUE(Messages().empty());
  platform::UnregisterModule("GLIDE3X.DLL");
  C3DfxPage page;
  EXPECT_FALSE(page.CheckGlide(false));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Glide not found!"});
}

TEST_F(GlideProbeTest, OurGlideLayerNamesTheBoardAndItsMemory) {
  platform::ClearRecordedMessageBoxes();
  ASSERT_TRUE(C3DfxPage::ProbeGlide3(true));
  EXPECT_GT(g_GlideMemory, 4);  // the default board offers all three resolutions
  EXPECT_STRNE(g_GlideHardwareName, "NOHW");
  EXPECT_EQ(platform::LoadedModuleCount(), 0);
}

}  // namespace
}  // namespace setuptest
