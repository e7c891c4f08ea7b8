#include <gtest/gtest.h>

#include "platform/mfc/mfc.h"
#include "setup/captions.h"
#include "tests/setup/setup_fixture.h"

namespace setuptest {
namespace {

using CaptionsTest = SetupTest;

TEST_F(CaptionsTest, EveryOneOfThe384TextsIsGiven) {
  int given = 0;
  const std::pair<CaptionTable, int> tables[] = {{CAPTIONS_3DFX, 18}, {CAPTIONS_D3D, 20}, {CAPTIONS_CONTROLS, 8},
                                                 {CAPTIONS_BUTTONS, 2}};
  for (const auto& [table, entries] : tables) {
    for (std::uint32_t l = 0; l < 8; ++l) {
      for (int e = 0; e < entries; ++e) given += Caption(table, l, e).empty() ? 0 : 1;
      EXPECT_TRUE(Caption(table, l, entries).empty());
    }
  }
  EXPECT_EQ(given, 384);
}

TEST_F(CaptionsTest, TellingRowsAsSpelt) {
  EXPECT_EQ(Caption(CAPTIONS_3DFX, 0, 17), "3DFx Settings");
  EXPECT_EQ(Caption(CAPTIONS_3DFX, 2, 17), "Configuraci\xF3n 3DFx");  // Windows-1252
  EXPECT_EQ(Caption(CAPTIONS_BUTTONS, 6, 1), "\xDC" "bernehmen");
  // Windows-1251: "Отменить".
  EXPECT_EQ(Caption(CAPTIONS_BUTTONS, 7, 0), "\xCE\xF2\xEC\xE5\xED\xE8\xF2\xFC");
  const char* italian[4] = {"Nessuno", "Basso", "Medio", "Alto"};
  const char* spanish[4] = {"Off", "Min", "Med", "Max"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Caption(CAPTIONS_3DFX, 1, 10 + i), italian[i]);
    EXPECT_EQ(Caption(CAPTIONS_3DFX, 2, 10 + i), spanish[i]);
    EXPECT_EQ(Caption(CAPTIONS_D3D, 1, 12 + i), italian[i]);
  }
  // The Portuguese texts that differ between the two settings tables.
  EXPECT_EQ(Caption(CAPTIONS_3DFX, 3, 7), "Dispositivo de Entrada:");
  EXPECT_EQ(Caption(CAPTIONS_D3D, 3, 9), "Controlador:");
  EXPECT_EQ(Caption(CAPTIONS_D3D, 3, 10), "Painel de Controlo");
}

TEST_F(CaptionsTest, FitLabelMeasuresTheLineWithMostCharacters) {
  // Fake metrics: 'W' is wide, everything else narrow; lines 10 pixels high.
  platform::mfc::SetTextMeasurer([](const LOGFONTA&, const std::string& text) {
    int width = 0;
    for (char c : text) width += c == 'W' ? 20 : 3;
    return platform::mfc::TextSize{width, 10};
  });
  struct Case {
    std::string text;
    int width, height;
  };
  const Case cases[] = {
      {"Shadows:", 24, 10},
      // Most characters wins even where a shorter line is wider.
      {"WW\nabcdefgh", 24, 20},
      // The first of equally long lines.
      {"WWW\nabc\nxyz", 60, 30},
      {"", 0, 10},
  };
  for (const Case& c : cases) {
    CStatic label(1, ControlKind::STATIC);
    label.MoveWindow(RECT{50, 60, 51, 61});
    label.SetWindowText(c.text);
    FitLabelToCaption(&label);
    const RECT r = label.GetWindowRect();
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, c.width) << c.text;
    EXPECT_EQ(r.bottom - r.top, c.height) << c.text;
  }
}

}  // namespace
}  // namespace setuptest
