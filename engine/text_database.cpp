#include "engine/text_database.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/archive.h"
#include "engine/system.h"

TextDatabase g_TextDatabase;

namespace {

const char* const kFiles[8] = {
    "DATA\\UI\\GAMETXT0.TDB", "DATA\\UI\\GAMETXT1.TDB", "DATA\\UI\\GAMETXT2.TDB", "DATA\\UI\\GAMETXT3.TDB",
    "DATA\\UI\\GAMETXT4.TDB", "DATA\\UI\\GAMETXT5.TDB", "DATA\\UI\\GAMETXT6.TDB", "DATA\\UI\\GAMETXT7.TDB",
};

// Smallest record: a u16 length and a lone NUL.
constexpr std::uint32_t kMinRecord = 3;

void FreeTexts(std::vector<char*>* texts) {
  for (char* t : *texts) delete[] t;
  texts->clear();
}

// Reads every text of an open member into `texts`. False on anything that
// does not fit the member: the member's own size is the limit of every read,
// since a read past it would continue into the next member of the archive.
bool ReadTexts(ArchiveFile* file, std::vector<char*>* texts) {
  int size = file->Size();
  if (size < 4) return false;
  std::uint32_t left = static_cast<std::uint32_t>(size) - 4;
  std::uint8_t raw[4];
  if (!file->Read(raw, 4)) return false;
  std::uint32_t count = static_cast<std::uint32_t>(raw[0]) | static_cast<std::uint32_t>(raw[1]) << 8 |
                        static_cast<std::uint32_t>(raw[2]) << 16 | static_cast<std::uint32_t>(raw[3]) << 24;
  if (count > left / kMinRecord) return false;
  // Grown as texts arrive rather than sized by the count: a member whose
  // header claims more bytes than the archive holds stops at the first
  // failed read.
  for (std::uint32_t i = 0; i < count; ++i) {
    if (left < 2 || !file->Read(raw, 2)) return false;
    left -= 2;
    std::uint32_t length = static_cast<std::uint32_t>(raw[0]) | static_cast<std::uint32_t>(raw[1]) << 8;
    if (length == 0 || length > left) return false;
    char* text = new (std::nothrow) char[length];
    if (text == nullptr) return false;
    if (!file->Read(text, static_cast<int>(length)) || text[length - 1] != '\0') {
      delete[] text;
      return false;
    }
    left -= length;
    texts->push_back(text);
  }
  return true;
}

}  // namespace

const char* TextDatabaseFile(DWORD language) { return kFiles[language < 8 ? language : LANGUAGE_ENGLISH]; }

bool TextDatabase::Load(const char* path) {
  Release();
  std::vector<char*> texts;
  bool ok = false;
  {
    ArchiveFile file;
    ok = OpenDataFile(path, &file) && ReadTexts(&file, &texts);
  }
  if (ok && !texts.empty()) {
    strings_ = new (std::nothrow) char*[texts.size()];
    if (strings_ == nullptr) ok = false;
  }
  if (!ok) {
    FreeTexts(&texts);
    ShowMessageBox("File error opening textDB data.\nPlease reinstall Kelvarro.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  if (!texts.empty()) std::memcpy(strings_, texts.data(), texts.size() * sizeof(char*));
  count_ = static_cast<std::uint32_t>(texts.size());
  return true;
}

void TextDatabase::Release() {
  for (std::uint32_t i = 0; i < count_; ++i) {
    delete[] strings_[i];
    strings_[i] = nullptr;
  }
  delete[] strings_;
  strings_ = nullptr;
  count_ = 0;
}
