// The texts of the player's language, addressed by number (text id), loaded
// once at start-up from the language's .TDB member of the UI archive.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// Values of the registry value "Language".
constexpr DWORD LANGUAGE_ENGLISH = 0;
constexpr DWORD LANGUAGE_ITALIAN = 1;
constexpr DWORD LANGUAGE_SPANISH = 2;
constexpr DWORD LANGUAGE_PORTUGUESE = 3;
constexpr DWORD LANGUAGE_DUTCH = 4;
constexpr DWORD LANGUAGE_FRENCH = 5;
constexpr DWORD LANGUAGE_GERMAN = 6;
constexpr DWORD LANGUAGE_RUSSIAN = 7;

// The database file of a language: "DATA\UI\GAMETXT<n>.TDB" for 0..7,
// GAMETXT0 (English) for any other value.
const char* TextDatabaseFile(DWORD language);

class TextDatabase {
 public:
  TextDatabase() = default;
  ~TextDatabase() { Release(); }
  TextDatabase(const TextDatabase&) = delete;
  TextDatabase& operator=(const TextDatabase&) = delete;

  // Loads the database at a data path. On a missing or damaged file shows
  // the text-database error box and returns false with the database empty.
  // Whatever was loaded before is released first.
  bool Load(const char* path);

  // Frees every text and the array; the database is empty afterwards.
  void Release();

  // Text `id`, or "" for an id at or beyond the count (ids come from data
  // files).
  const char* Text(std::uint32_t id) const { return id < count_ ? strings_[id] : ""; }
  std::uint32_t Count() const { return count_; }

 private:
  std::uint32_t count_ = 0;
  char** strings_ = nullptr;  // count_ separate heap blocks, each NUL-terminated
};

extern TextDatabase g_TextDatabase;
