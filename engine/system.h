// Small services every part of the games uses: configuration values in the
// registry, the Explorer AutoRun policy, the error box, routing of data paths
// to their archives, and finding the game's CD. The registry functions are
// shared with the setup program.
#pragma once

#include "platform/win32/types.h"

class ArchiveFile;

// ---- Configuration --------------------------------------------------------

// Under HKEY_LOCAL_MACHINE; every value a DWORD except CDPath.
inline constexpr const char* CONFIG_KEY = "SOFTWARE\\Ostrelmont\\Kelvarro\\1.00";
// Buffer size of ReadRegistryString, the NUL included.
constexpr int REGISTRY_STRING_SIZE = 256;

// False when an argument is null, the key cannot be opened or the value does
// not exist (or is longer than 4 bytes); `*out` is then unchanged. Any type
// is accepted; a value shorter than 4 bytes is zero-extended.
bool ReadRegistryDword(const char* name, DWORD* out);
// `out` holds REGISTRY_STRING_SIZE bytes; on success it receives the text with
// its NUL (a value stored without a NUL gets one). False as above, and for a
// value that does not fit; `out` is then unchanged.
bool ReadRegistryString(const char* name, char* out);
// Create the key chain when it is missing. True when the value was written.
bool WriteRegistryDword(const char* name, DWORD value);
bool WriteRegistryString(const char* name, const char* text);

// ---- Explorer AutoRun policy ----------------------------------------------

// Under HKEY_CURRENT_USER.
inline constexpr const char* AUTORUN_POLICY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr const char* AUTORUN_POLICY_VALUE = "NoDriveTypeAutoRun";
// Written back at exit when the policy value did not exist before.
constexpr DWORD AUTORUN_POLICY_DEFAULT = 0x95;

// The policy value as it was before the game switched AutoRun off.
extern DWORD g_SavedAutoRunPolicy;

// Start-up: AutoRun off for every drive type while the game runs.
void DisableAutoRun();
// Shutdown: the saved policy back.
void RestoreAutoRun();

// ---- Error box -------------------------------------------------------------

inline constexpr const char* MESSAGE_BOX_CAPTION = "Kelvarro";
// Every reported failure.
constexpr UINT MESSAGE_BOX_ERROR = MB_TOPMOST | MB_ICONHAND;
// "Please insert the Kelvarro CD-ROM.": OK or Cancel.
constexpr UINT MESSAGE_BOX_INSERT_DISC = MB_TOPMOST | MB_ICONEXCLAMATION | MB_OKCANCEL;
// Out of memory; the caller then asks the main window to close.
constexpr UINT MESSAGE_BOX_OUT_OF_MEMORY = MB_TOPMOST | MB_SYSTEMMODAL | MB_ICONHAND;
static_assert(MESSAGE_BOX_ERROR == 0x40010 && MESSAGE_BOX_INSERT_DISC == 0x40031 &&
              MESSAGE_BOX_OUT_OF_MEMORY == 0x41010);

// The window that owns the boxes. Null until the application has created its
// main window and plugged it in here.
extern HWND g_MainWindow;

// The button pressed (IDOK, IDCANCEL). A minimised main window is restored
// first, so that the box it owns can be seen, and again afterwards.
int ShowMessageBox(const char* text, const char* caption, UINT style);
// A renderer that holds the display (the Direct3D one) shows the desktop's
// surface here before each box; the window is then left as it is.
extern void (*g_BeforeMessageBox)();
// How many boxes ShowMessageBox has shown: start-up tells by it whether a
// failure has already said why.
unsigned ShownMessageBoxCount();

// ---- Data files and the game disc -----------------------------------------

// Binds `file` to the archive that the path's directory names (DATA\UI\,
// DATA\TRACK\ or DATA\MISC\, each backslash possibly doubled, any case) and
// opens the member (file name and extension) for reading. False for any
// other directory or a missing member.
bool OpenDataFile(const char* path, ArchiveFile* file);

// Looks for the game's CD on drives D: to Z:: a drive without free bytes that
// holds DATA\QDV.DAT. On success writes its root ("E:\") into `out` (at least
// 4 bytes) and into the registry value CDPath; `out` is unchanged otherwise.
bool FindGameDisc(char* out);
