#include "tests/ui/ui_fixture.h"

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/game_settings.h"
#include "engine/text_database.h"
#include "tools/tdb.h"

namespace kelvtest {

void FillTestGlyphs(Font* font) {
  for (int c = 32; c < 127; ++c) {
    const float x = static_cast<float>((c - 32) % 12) * 20.0f;
    const float y = static_cast<float>((c - 32) / 12) * 20.0f;
    const float w = c == 'W' ? 16.0f : kGlyphWidth;
    const float h = c == 'g' ? 16.0f : kGlyphHeight;
    font->left[c] = x / 256.0f;
    font->top[c] = y / 256.0f;
    font->right[c] = (x + w) / 256.0f;
    font->bottom[c] = (y + h) / 256.0f;
  }
}

void UiTest::SetUp() {
  GlideTest::SetUp();
  ASSERT_TRUE(OpenAt(640, 480));
  g_RaceType = 0;
  g_Language = 0;
}

void UiTest::TearDown() {
  g_Fonts = nullptr;
  g_FontCount = 0;
  g_TextDatabase.Release();
  g_TrackArchive.Close();
  g_RaceType = 0;
  g_Language = 0;
  GlideTest::TearDown();
}

void UiTest::OpenArchives(const std::vector<kelvdata::BbfMember>& ui, const std::vector<kelvdata::BbfMember>& track) {
  g_UiArchive.Close();
  g_TrackArchive.Close();
  Put("DATA/UI.BBF", kelvdata::BuildBbf(ui));
  Put("DATA/TRACK.BBF", kelvdata::BuildBbf(track));
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
}

void UiTest::UseFonts(int count) {
  fonts_.assign(static_cast<std::size_t>(count), Font());
  for (Font& f : fonts_) FillTestGlyphs(&f);
  g_Fonts = fonts_.data();
  g_FontCount = static_cast<std::uint16_t>(count);
}

void UiTest::LoadTexts() { ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB")); }

kelvdata::BbfMember TextsMember(const std::vector<std::string>& texts) {
  return {"TEXTS.TDB", kelvdata::BuildTdb(texts)};
}

}  // namespace kelvtest
