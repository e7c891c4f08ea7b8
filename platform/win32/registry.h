// The registry, with Win32 semantics, stored as one human-readable text file
// shared by the three programs. Every change that reaches the file replaces it
// atomically. The file is $KELVARRO_CONFIG when set, else
// $XDG_CONFIG_HOME/kelvarro/registry.txt (~/.config/kelvarro/registry.txt).
#pragma once

#include <string>

#include "platform/win32/types.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x80000002));

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// Creates the missing keys of `subKey` under `key` (or opens it).
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition);
// Any type is returned when it fits in `*size` bytes; ERROR_MORE_DATA when it
// does not (data untouched); `data` null asks for type and size only.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegDeleteValueA(HKEY key, const char* name);
LONG RegFlushKey(HKEY key);
LONG RegCloseKey(HKEY key);

namespace platform {

// Points the registry at another file (tests). An empty path goes back to
// the default location.
void SetRegistryFile(const std::string& hostPath);
std::string RegistryFile();

// Test backend: the next `count` writes of the file fail (a full disk).
void InjectRegistryWriteFailures(int count);

}  // namespace platform
