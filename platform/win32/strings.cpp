#include "platform/win32/strings.h"

#include <cstdint>

#include "platform/win32/codepage_internal.h"
#include "platform/win32/files.h"

namespace {

using platform::codepage_detail::kHigh1252;

char16_t FromAnsi(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kHigh1252[b - 0x80] != 0 ? kHigh1252[b - 0x80] : static_cast<char16_t>(b);
  return static_cast<char16_t>(b);
}

int ToAnsi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] == c) return 0x80 + i;
  }
  // Bytes that Windows-1252 leaves undefined come back as themselves.
  if (c >= 0x80 && c < 0xA0 && kHigh1252[c - 0x80] == 0) return c;
  return -1;
}

template <typename From, typename To, typename Map>
int Convert(const From* in, int count, To* out, int outSize, Map convert) {
  if (in == nullptr || count < -1 || outSize < 0 || (outSize > 0 && out == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int n = count;
  if (n == -1) {
    n = 0;
    while (in[n] != 0) ++n;
    ++n;
  }
  if (outSize == 0) return n;
  if (n > outSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (int i = 0; i < n; ++i) out[i] = convert(in[i]);
  return n;
}

}  // namespace

int MultiByteToWideChar(UINT, DWORD, const char* text, int bytes, WCHAR* wide, int wideSize) {
  return Convert(text, bytes, wide, wideSize, [](char b) { return FromAnsi(static_cast<unsigned char>(b)); });
}

int WideCharToMultiByte(UINT, DWORD, const WCHAR* wide, int characters, char* text, int textSize,
                        const char* defaultChar, BOOL* usedDefault) {
  if (usedDefault != nullptr) *usedDefault = FALSE;
  const char fallback = defaultChar != nullptr ? *defaultChar : '?';
  return Convert(wide, characters, text, textSize, [&](char16_t c) {
    const int b = ToAnsi(c);
    if (b >= 0) return static_cast<char>(b);
    if (usedDefault != nullptr) *usedDefault = TRUE;
    return fallback;
  });
}
