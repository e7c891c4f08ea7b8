// The rows of the data set's text tables: one text in the eight languages,
// in the engine's order (English, Italian, Spanish, Portuguese, Dutch,
// French, German, Russian in Cyrillic), UTF-8; the data set converts each
// language to its code page when it builds the database.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace kelvdata {

struct LanguageText {
  int id;
  const char* text[8];
};

// Puts `text` at `id`, growing `texts` as needed.
void PutText(int id, const std::string& text, std::vector<std::string>* texts);
// Puts every row's text in `language` (0..7; any other reads as English).
void PutTexts(std::span<const LanguageText> rows, int language, std::vector<std::string>* texts);

}  // namespace kelvdata
