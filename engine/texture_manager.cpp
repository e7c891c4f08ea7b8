// The build-independent half of the texture manager: the size table, the key
// colour, the limit by name and the .TEX reader. The slots' storage on the
// board lives with each build's renderer.
#include "engine/texture_manager.h"

#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/system.h"

ColourKey g_ColourKey = {0, 0, 0};
std::uint8_t g_TextureSizeClasses[TEXTURE_SIZE_CLASS_COUNT] = {};

namespace {

constexpr const char* LOAD_ERROR = "Error loading texture.\nPlease reinstall Kelvarro.";
constexpr const char* ALLOCATION_ERROR = "Error allocating texture memory.";

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

// The user-interface textures with a table entry of their own, from 34 on.
constexpr const char* NAMED_GROUPS[] = {
    "DATA\\UI\\DLGBKG.TEX",       "DATA\\TRACK\\DLG1N.TEX",    "DATA\\TRACK\\DLG1H.TEX",
    "DATA\\TRACK\\DLG1S.TEX",     "DATA\\TRACK\\_PANELS.TEX",  "DATA\\TRACK\\_HELMETS.TEX",
    "DATA\\TRACK\\_NUMBERS.TEX",  "DATA\\UI\\_FLAGS.TEX",      "DATA\\UI\\_FONT1.TEX",
    "DATA\\UI\\_FONT2.TEX",       "DATA\\UI\\_FONT3.TEX",
};
static_assert(SIZE_CLASS_FIRST_UI + sizeof NAMED_GROUPS / sizeof NAMED_GROUPS[0] == 45);

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Names equal without regard to case, a doubled backslash counting as one
// (data files write paths both ways).
bool SamePath(const char* a, const char* b) {
  while (*a && *b) {
    if (Upper(*a) != Upper(*b)) return false;
    if (*a == '\\' && a[1] == '\\') ++a;
    if (*b == '\\' && b[1] == '\\') ++b;
    ++a;
    ++b;
  }
  return *a == *b;
}

}  // namespace

std::uint8_t TextureLimitForName(const char* name, std::uint8_t callerLimit) {
  for (int i = 0; i < static_cast<int>(sizeof NAMED_GROUPS / sizeof NAMED_GROUPS[0]); ++i) {
    if (SamePath(name, NAMED_GROUPS[i])) return g_TextureSizeClasses[SIZE_CLASS_FIRST_UI + i];
  }
  // Land pieces: "LND" and the piece number. Only the eight pieces a track
  // has own an entry; any other number keeps the caller's limit.
  for (const char* p = std::strstr(name, "LND"); p; p = std::strstr(p + 1, "LND")) {
    const char* digits = p + 3;
    if (*digits < '0' || *digits > '9') continue;
    int n = 0;
    while (*digits >= '0' && *digits <= '9' && n < 100) n = n * 10 + (*digits++ - '0');
    if (n <= 7) return g_TextureSizeClasses[SIZE_CLASS_FIRST_LAND + n];
    break;
  }
  return callerLimit;
}

TexRead ReadTexImage(const char* name, std::uint8_t limit, TexImage* out) {
  ArchiveFile file;
  if (!OpenDataFile(name, &file)) return TexRead::NOT_FOUND;
  std::uint8_t header[4];
  if (!file.Read(header, 4)) return TexRead::DAMAGED;
  const std::uint32_t width = header[0] | (header[1] << 8);
  const std::uint32_t height = header[2] | (header[3] << 8);
  // A size the file's bytes do not hold is a damaged file, found before any
  // buffer of that size is asked for; sized in 64 bits.
  const std::uint64_t bytes = 3ull * width * height;
  if (width == 0 || height == 0 || file.Size() < 4 || bytes > static_cast<std::uint64_t>(file.Size()) - 4)
    return TexRead::DAMAGED;
  out->rgb.reset(new (std::nothrow) std::uint8_t[bytes]);
  if (!out->rgb) return TexRead::NO_MEMORY;
  if (!file.Read(out->rgb.get(), static_cast<int>(bytes))) return TexRead::DAMAGED;
  const std::uint32_t side = (limit == 0 ? 1u : limit) * 32u;
  out->width = width;
  out->height = height;
  out->outWidth = width < side ? width : side;
  out->outHeight = height < side ? height : side;
  out->stepX = width / out->outWidth;
  out->stepY = height / out->outHeight;
  return TexRead::OK;
}

bool ReadTexTexel(const char* name, float u, float v, std::uint8_t rgb[3]) {
  ArchiveFile file;
  if (!OpenDataFile(name, &file)) return false;
  std::uint8_t header[4];
  if (!file.Read(header, 4)) return false;
  const long long w = header[0] | (header[1] << 8);
  const long long h = header[2] | (header[3] << 8);
  const float row = static_cast<float>(h) * v;
  const float column = static_cast<float>(w) * u;
  if (!(row >= 0.0f && row <= static_cast<float>(h)) || !(column >= 0.0f && column <= static_cast<float>(w))) return false;
  const long long offset = (static_cast<long long>(row) * w + static_cast<long long>(column)) * 3 + 4;
  return offset + 3 <= file.Size() && file.Seek(static_cast<int>(offset)) && file.Read(rgb, 3);
}

bool TextureManager::ReadTexFile(const char* name, bool keyed, std::uint8_t limit, std::uint8_t keyRed,
                                 std::uint8_t keyGreen, std::uint8_t keyBlue, TexPixels* out) {
  TexImage image;
  const TexRead read = ReadTexImage(name, limit, &image);
  if (read != TexRead::OK) {
    Report(read == TexRead::NO_MEMORY ? ALLOCATION_ERROR : LOAD_ERROR);
    return false;
  }
  std::unique_ptr<std::uint16_t[]> texels(new (std::nothrow) std::uint16_t[image.outWidth * image.outHeight]);
  if (!texels) {
    Report(ALLOCATION_ERROR);
    return false;
  }
  std::uint16_t* to = texels.get();
  for (std::uint32_t y = 0; y < image.outHeight; ++y) {
    for (std::uint32_t x = 0; x < image.outWidth; ++x) {
      const std::uint8_t* t = image.Kept(x, y);
      std::uint16_t texel = static_cast<std::uint16_t>(((t[0] >> 3) << 10) | ((t[1] >> 3) << 5) | (t[2] >> 3));
      // Key-coloured texels keep their colour bits but lose the alpha bit.
      if (!(keyed && t[0] == keyRed && t[1] == keyGreen && t[2] == keyBlue)) texel |= 0x8000;
      *to++ = texel;
    }
  }
  out->texels = std::move(texels);
  out->width = static_cast<std::uint16_t>(image.outWidth);
  out->height = static_cast<std::uint16_t>(image.outHeight);
  return true;
}
