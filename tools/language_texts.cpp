#include "tools/language_texts.h"

namespace kelvdata {

void PutText(int id, const std::string& text, std::vector<std::string>* texts) {
  const auto at = static_cast<std::size_t>(id);
  if (texts->size() <= at) texts->resize(at + 1);
  (*texts)[at] = text;
}

void PutTexts(std::span<const LanguageText> rows, int language, std::vector<std::string>* texts) {
  const int l = language < 0 || language > 7 ? 0 : language;
  for (const LanguageText& row : rows) PutText(row.id, row.text[l], texts);
}

}  // namespace kelvdata
