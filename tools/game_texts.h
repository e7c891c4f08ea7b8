// The data set's own game texts in the eight languages: the main menu and
// the language's name, the version line, the buttons and questions of the
// screens, the save and load screens, the race's dialogs, the network
// lobby's settings; and the credits. The HUD's texts are in hud_files.h.
#pragma once

#include <string>
#include <vector>

namespace kelvdata {

// Puts the texts of `language` (0..7, the engine's order: English, Italian,
// Spanish, Portuguese, Dutch, French, German, Russian) into `texts` (grown
// as needed), in UTF-8: the data set converts them to the language's code
// page when it builds the database.
void AddGameTexts(int language, std::vector<std::string>* texts);

// The credits: line i of the credits screen is game text
// CREDITS_FIRST_TEXT + i, the range no other text of the data set uses.
constexpr int CREDITS_FIRST_TEXT = 1048;
constexpr int CREDITS_LINES = 53;
void AddCreditTexts(int language, std::vector<std::string>* texts);

}  // namespace kelvdata
