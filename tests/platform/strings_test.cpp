// The ANSI code page conversions that wide-string interfaces (movie file
// names) go through.
#include "platform/win32/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/files.h"

namespace {

TEST(StringsTest, AnsiRoundTripsThroughUtf16) {
  struct Case {
    std::string ansi;
    std::u16string wide;
  };
  const Case cases[] = {
      {"DATA\\MOVIES\\INTRO.MPG", u"DATA\\MOVIES\\INTRO.MPG"},
      {"\x80\xE9t\xE9", u"\u20AC\u00E9t\u00E9"},  // the euro sign and Latin-1
      {"\x81\x8D", u"\u0081\u008D"},              // bytes the code page leaves undefined
      {"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ansi);
    WCHAR wide[32];
    const int n = MultiByteToWideChar(CP_ACP, 0, c.ansi.c_str(), -1, wide, 32);
    ASSERT_EQ(n, static_cast<int>(c.wide.size()) + 1);
    EXPECT_EQ(std::u16string(wide), c.wide);
    char back[32];
    BOOL defaulted = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, back, 32, nullptr, &defaulted), n);
    EXPECT_EQ(std::string(back), c.ansi);
    EXPECT_FALSE(defaulted);
  }
}

TEST(StringsTest, RefusesWhatDoesNotFitOrCannotBeSaid) {
  WCHAR wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "four", -1, wide, 4), 0) << "no room for the NUL";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "four", -1, nullptr, 0), 5) << "the size needed";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 4), 0);

  char text[8];
  BOOL defaulted = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u0416b", -1, text, 8, nullptr, &defaulted), 4);
  EXPECT_STREQ(text, "a?b");
  EXPECT_TRUE(defaulted);
}

}  // namespace
