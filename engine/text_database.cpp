#include "engine/text_database.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/archive.h"
#include "engine/data_reader.h"
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
  DataReader in(file);
  std::uint32_t count;
  if (!in.U32(&count) || count > in.Remaining() / kMinRecord) return false;
  // Grown as texts arrive rather than sized by the count: a member whose
  // header claims more bytes than the archive holds stops at the first
  // failed read.
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t length;
    if (!in.U16(&length) || length == 0 || length > in.Remaining()) return false;
    char* text = new (std::nothrow) char[length];
    if (text == nullptr) return false;
    if (!in.Bytes(text, length) || text[length - 1] != '\0') {
      delete[] text;
      return false;
    }
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
