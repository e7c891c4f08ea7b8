#include "engine/system.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/archive.h"
#include "engine/disk_file.h"
#include "platform/win32/files.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"

DWORD g_SavedAutoRunPolicy = AUTORUN_POLICY_DEFAULT;
HWND g_MainWindow = nullptr;

namespace {

// A policy value that is there but is no 4-byte value is not ours to change,
// neither at start-up nor at exit.
bool g_LeaveAutoRunPolicyAlone = false;

unsigned g_ShownMessageBoxes = 0;

DWORD FromBytes(const BYTE b[4]) {
  return static_cast<DWORD>(b[0]) | static_cast<DWORD>(b[1]) << 8 | static_cast<DWORD>(b[2]) << 16 |
         static_cast<DWORD>(b[3]) << 24;
}

void ToBytes(DWORD v, BYTE b[4]) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<BYTE>(v >> (8 * i));
}

bool OpenConfigKey(HKEY* key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_KEY, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS;
}

// Opens the configuration key; on a machine without it the chain is created
// one level at a time first.
bool OpenOrCreateConfigKey(HKEY* key) {
  if (OpenConfigKey(key)) return true;
  static const char* const kLevels[] = {"SOFTWARE\\Ostrelmont", "SOFTWARE\\Ostrelmont\\Kelvarro", CONFIG_KEY};
  for (const char* level : kLevels) {
    HKEY k;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, level, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                        &disposition) != ERROR_SUCCESS)
      return false;
    RegCloseKey(k);
  }
  return OpenConfigKey(key);
}

bool WriteConfigValue(const char* name, DWORD type, const BYTE* data, DWORD size) {
  HKEY key;
  if (!OpenOrCreateConfigKey(&key)) return false;
  bool ok = RegSetValueExA(key, name, 0, type, data, size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

// Whether `directory` (upper case) contains DATA\<name>\, accepting either
// backslash doubled: some paths in the data files are stored that way.
bool NamesDataDirectory(const std::string& directory, const char* name) {
  for (const char* before : {"DATA\\", "DATA\\\\"}) {
    for (const char* after : {"\\", "\\\\"}) {
      if (directory.find(std::string(before) + name + after) != std::string::npos) return true;
    }
  }
  return false;
}

bool OpenPolicyKey(HKEY* key) {
  return RegOpenKeyExA(HKEY_CURRENT_USER, AUTORUN_POLICY_KEY, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS;
}

}  // namespace

bool ReadRegistryDword(const char* name, DWORD* out) {
  if (!name || !out) return false;
  HKEY key;
  if (!OpenConfigKey(&key)) return false;
  BYTE bytes[4] = {0, 0, 0, 0};
  DWORD size = sizeof bytes;
  LONG result = RegQueryValueExA(key, name, nullptr, nullptr, bytes, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  *out = FromBytes(bytes);
  return true;
}

bool ReadRegistryString(const char* name, char* out) {
  if (!name || !out) return false;
  HKEY key;
  if (!OpenConfigKey(&key)) return false;
  char buffer[REGISTRY_STRING_SIZE];
  DWORD size = sizeof buffer;
  LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  // Whatever was stored, the caller gets a terminated text or nothing.
  std::size_t length = strnlen(buffer, size);
  if (length >= sizeof buffer) return false;
  std::memcpy(out, buffer, length);
  out[length] = '\0';
  return true;
}

bool WriteRegistryDword(const char* name, DWORD value) {
  if (!name) return false;
  BYTE bytes[4];
  ToBytes(value, bytes);
  return WriteConfigValue(name, REG_DWORD, bytes, sizeof bytes);
}

bool WriteRegistryString(const char* name, const char* text) {
  if (!name || !text) return false;
  return WriteConfigValue(name, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
}

void DisableAutoRun() {
  g_LeaveAutoRunPolicyAlone = false;
  HKEY key;
  if (!OpenPolicyKey(&key)) return;
  BYTE saved[4] = {0, 0, 0, 0};
  DWORD size = sizeof saved;
  LONG result = RegQueryValueExA(key, AUTORUN_POLICY_VALUE, nullptr, nullptr, saved, &size);
  if (result == ERROR_SUCCESS) {
    g_SavedAutoRunPolicy = FromBytes(saved);
    BYTE off[4];
    ToBytes(0xFF, off);
    RegSetValueExA(key, AUTORUN_POLICY_VALUE, 0, REG_BINARY, off, sizeof off);
  } else if (result == ERROR_MORE_DATA) {
    g_LeaveAutoRunPolicyAlone = true;
  } else {
    // Missing: stays missing while the game runs, the default is written at exit.
    g_SavedAutoRunPolicy = AUTORUN_POLICY_DEFAULT;
  }
  RegFlushKey(key);
  RegCloseKey(key);
}

void RestoreAutoRun() {
  if (g_LeaveAutoRunPolicyAlone) return;
  HKEY key;
  if (!OpenPolicyKey(&key)) return;
  BYTE saved[4];
  ToBytes(g_SavedAutoRunPolicy, saved);
  RegSetValueExA(key, AUTORUN_POLICY_VALUE, 0, REG_BINARY, saved, sizeof saved);
  RegFlushKey(key);
  RegCloseKey(key);
}

void (*g_BeforeMessageBox)() = nullptr;

int ShowMessageBox(const char* text, const char* caption, UINT style) {
  ++g_ShownMessageBoxes;
  if (g_BeforeMessageBox) {
    g_BeforeMessageBox();
    return MessageBoxA(g_MainWindow, text, caption, style);
  }
  // A box owned by a minimised window is hidden with it and would wait unseen.
  if (IsIconic(g_MainWindow)) OpenIcon(g_MainWindow);
  const int pressed = MessageBoxA(g_MainWindow, text, caption, style);
  if (IsIconic(g_MainWindow)) OpenIcon(g_MainWindow);
  return pressed;
}

unsigned ShownMessageBoxCount() { return g_ShownMessageBoxes; }

bool OpenDataFile(const char* path, ArchiveFile* file) {
  if (!path || !file) return false;
  std::string_view whole(path);
  std::size_t split = whole.find_last_of("\\/:");
  split = split == std::string_view::npos ? 0 : split + 1;
  std::string directory(whole.substr(0, split));
  std::string member(whole.substr(split));
  for (char& c : directory)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');

  BbfArchive* archive = nullptr;
  if (NamesDataDirectory(directory, "UI")) archive = &g_UiArchive;
  else if (NamesDataDirectory(directory, "TRACK")) archive = &g_TrackArchive;
  else if (NamesDataDirectory(directory, "MISC")) archive = &g_MiscArchive;
  else return false;
  // A member name fills at most the 260-byte field of its header, NUL included.
  if (member.empty() || member.size() >= BBF_MEMBER_NAME_SIZE) return false;
  if (!file->SetArchive(archive)) return false;
  return file->Open(member.c_str(), GENERIC_READ, MEMBER_OPEN_EXISTING, FILE_SHARE_READ);
}

bool FindGameDisc(char* out) {
  if (!out) return false;
  DWORD drives = GetLogicalDrives();
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    if (!(drives & (1u << (letter - 'A')))) continue;
    const char root[4] = {letter, ':', '\\', '\0'};
    // A CD has no free bytes; a hard disk with a copy of the data does not count.
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExA(root, &available, &total, &totalFree) || totalFree.QuadPart != 0) continue;
    char probe[MAX_PATH];
    std::snprintf(probe, sizeof probe, "%sDATA\\QDV.DAT", root);
    DiskFile file;
    if (!file.Open(probe, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) continue;
    std::memcpy(out, root, sizeof root);
    WriteRegistryString("CDPath", root);
    file.Close();
    return true;
  }
  return false;
}
