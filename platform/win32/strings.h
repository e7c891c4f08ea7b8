// Conversion between the ANSI code page (Windows-1252) and UTF-16, as the
// game converts file names for the interfaces that take wide strings.
#pragma once

#include "platform/win32/types.h"

using WCHAR = char16_t;

constexpr UINT CP_ACP = 0;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_NO_UNICODE_TRANSLATION = 1113;

// `bytes` -1: up to and including the NUL. Returns the characters written
// (the NUL included when it was converted), or the size needed when
// `wideSize` is 0; 0 on failure (ERROR_INSUFFICIENT_BUFFER when it does not
// fit, ERROR_INVALID_PARAMETER for a null string).
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int bytes, WCHAR* wide, int wideSize);
// The reverse; characters the code page lacks become '?'.
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wide, int characters, char* text, int textSize,
                        const char* defaultChar, BOOL* usedDefault);
