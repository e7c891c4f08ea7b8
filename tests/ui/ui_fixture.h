// A game root with the recording Glide board open at 640 x 480, for the UI
// toolkit's widgets: archives written from tools/, a text database, and a
// scene font table whose glyphs are easy to count by hand.
#pragma once

#include <string>
#include <vector>

#include "tests/render_glide/glide_fixture.h"
#include "tools/bbf.h"
#include "ui/font.h"

namespace kelvtest {

// Glyphs of the hand-made fonts: printable codes 32..126 are 8 x 12 pixels,
// "W" 16 x 12 and "g" 8 x 16; every other code is absent.
constexpr float kGlyphWidth = 8.0f;
constexpr float kGlyphHeight = 12.0f;

class UiTest : public GlideTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes and opens DATA\UI.BBF and DATA\TRACK.BBF.
  void OpenArchives(const std::vector<kelvdata::BbfMember>& ui,
                    const std::vector<kelvdata::BbfMember>& track = {});
  // `count` hand-made fonts as the scene's g_Fonts (no texture).
  void UseFonts(int count);
  // Loads g_TextDatabase from the UI archive's member made by TextsMember.
  static void LoadTexts();

  std::vector<Font> fonts_;
};

// A text database as the member "TEXTS.TDB" of the UI archive.
kelvdata::BbfMember TextsMember(const std::vector<std::string>& texts);

// The glyph table of the hand-made fonts.
void FillTestGlyphs(Font* font);

}  // namespace kelvtest
