#include "ui/edit_text.h"

#include <gtest/gtest.h>

#include "engine/display.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "tests/ui/ui_fixture.h"
#include "tools/ui_files.h"

namespace {

class EditTextTest : public kelvtest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    UseFonts(1);
    edit_.font = &g_Fonts[0];
    edit_.SetMaxLength(4);
    ASSERT_TRUE(edit_.SetText(""));
  }
  // Each character as WM_CHAR, "\b" as a backspace key.
  void Type(const std::string& keys) {
    for (char c : keys) {
      if (c == '\b') {
        EXPECT_EQ(-1, edit_.OnKey(WM_KEYDOWN, 8, 0));
      } else {
        EXPECT_EQ(-1, edit_.OnKey(WM_CHAR, static_cast<std::uint8_t>(c), 0));
      }
    }
  }
  EditText edit_;
};

TEST_F(EditTextTest, KeySequences) {
  const struct {
    const char* keys;
    bool focused;
    const char* shown;
  } cases[] = {
      {"Kel", true, "Kel|"},
      {"Kelvarro", true, "Kelv|"},    // stops at the maximum length
      {"ab\bc", false, "ac"},
      {"\b\b", false, ""},             // nothing to delete
      {"a#b", false, "ab"},            // "#" is never inserted
      {"a\xe9z", false, "az"},         // codes above 127 are ignored
      {"a\tz\x7f", false, "az"},       // control characters, and 127 which the font lacks
  };
  for (const auto& c : cases) {
    edit_.SetFocus(c.focused);
    ASSERT_TRUE(edit_.SetText(""));
    Type(c.keys);
    EXPECT_STREQ(c.shown, edit_.String()) << c.keys;
    edit_.SetFocus(0);
  }
}

TEST_F(EditTextTest, FocusAddsOneCaretAndTakesItAway) {
  ASSERT_TRUE(edit_.SetText("AB"));
  edit_.SetFocus(1);
  edit_.SetFocus(1);
  EXPECT_STREQ("AB|", edit_.String());
  Type("\b");
  EXPECT_STREQ("A|", edit_.String());
  edit_.SetFocus(0);
  EXPECT_STREQ("A", edit_.String());
}

TEST_F(EditTextTest, MaximumLengthIsClampedToTheBuffer) {
  edit_.SetMaxLength(1000);
  EXPECT_EQ(254u, edit_.maxLength);
  edit_.SetFocus(1);
  ASSERT_TRUE(edit_.SetText(std::string(300, 'x').c_str()));
  EXPECT_EQ(255u, std::strlen(edit_.String()));
  for (int i = 0; i < 10; ++i) Type("y");
  EXPECT_EQ(std::string(254, 'x') + "|", edit_.String());
}

TEST_F(EditTextTest, AnEmptyFieldIsHitOverMaxLengthWidthsOfM) {
  edit_.SetMaxLength(8);
  edit_.SetPosition(100.0f, 50.0f, 0.0f);
  ASSERT_TRUE(edit_.SetText(""));
  // 8 x 8 pixels wide, 12 high, 5 more above and below.
  EXPECT_TRUE(edit_.HitTest(100.0f, 45.0f));
  EXPECT_TRUE(edit_.HitTest(164.0f, 67.0f));
  EXPECT_FALSE(edit_.HitTest(165.0f, 50.0f));
  EXPECT_FALSE(edit_.HitTest(120.0f, 44.0f));
  EXPECT_FALSE(edit_.HitTest(99.0f, 50.0f));
  // The 640 x 480 layout scales to the screen.
  g_ScreenWidth = 1280;
  g_ScreenHeight = 960;
  EXPECT_TRUE(edit_.HitTest(328.0f, 134.0f));
  EXPECT_FALSE(edit_.HitTest(330.0f, 134.0f));
}

TEST_F(EditTextTest, LoadsItsMaximumAndBody) {
  kelvdata::StaticTextBody body;
  body.position[0] = 10.0f;
  OpenArchives({{"NAME.EDT", kelvdata::BuildEditText(600, body)}, {"CUT.EDT", kelvdata::Bytes{1, 0}}});
  EditText e;
  ASSERT_TRUE(e.Load("DATA\\UI\\NAME.EDT"));
  EXPECT_EQ(254u, e.maxLength);
  EXPECT_EQ(&g_Fonts[0], e.font);
  for (const char* bad : {"DATA\\UI\\CUT.EDT", "DATA\\UI\\NONE.EDT"}) {
    platform::ClearRecordedMessageBoxes();
    EditText f;
    EXPECT_FALSE(f.Load(bad));
    EXPECT_EQ(std::vector<std::string>{"File error opening edittext data.\nPlease reinstall Kelvarro."}, Boxes());
  }
}

}  // namespace
