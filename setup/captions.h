// The texts of the setup program's pages, tabs and sheet buttons in eight
// languages (0 English, 1 Italian, 2 Spanish, 3 Portuguese, 4 Dutch,
// 5 French, 6 German, 7 Russian). Russian texts are Windows-1251 bytes, the
// others Windows-1252, as the controls' fonts expect them.
#pragma once

#include <cstdint>
#include <string>

class CWnd;

enum CaptionTable { CAPTIONS_3DFX = 0, CAPTIONS_D3D = 1, CAPTIONS_CONTROLS = 2, CAPTIONS_BUTTONS = 3 };

constexpr int CAPTION_LANGUAGES = 8;
constexpr int CAPTIONS_3DFX_ENTRIES = 18;
constexpr int CAPTIONS_D3D_ENTRIES = 20;
constexpr int CAPTIONS_CONTROLS_ENTRIES = 8;
constexpr int CAPTIONS_BUTTONS_ENTRIES = 2;

struct CaptionTables {
  std::string fx[CAPTION_LANGUAGES][CAPTIONS_3DFX_ENTRIES];
  std::string d3d[CAPTION_LANGUAGES][CAPTIONS_D3D_ENTRIES];
  std::string controls[CAPTION_LANGUAGES][CAPTIONS_CONTROLS_ENTRIES];
  std::string buttons[CAPTION_LANGUAGES][CAPTIONS_BUTTONS_ENTRIES];
};

extern CaptionTables g_Captions;

// Gives all 384 texts.
void FillCaptionTables();
// The text of (table, language, entry); empty outside the table.
const std::string& Caption(CaptionTable table, std::uint32_t language, int entry);
// Resizes a label to its text: as wide as its line with most characters,
// as high as its lines, position kept.
void FitLabelToCaption(CWnd* label);
