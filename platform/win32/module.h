// Libraries loaded at run time by name, looked up by entry point. A library
// is either one of ours registered in the process under its Windows file name
// (built-in layers, and test doubles with chosen entry points), or a shared
// object found beside the program: "GLIDE3X.DLL" -> libglide3x.so.
#pragma once

#include <map>
#include <string>

#include "platform/win32/types.h"

using HMODULE = HINSTANCE;
using FARPROC = void (*)();

// Null when the library cannot be found or loaded.
HMODULE LoadLibraryA(const char* name);
// Null for a missing entry point.
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);

namespace platform {

// A library made of the given entry points; replaces one of the same name
// (compared without case). Registering an empty name list removes it.
void RegisterModule(const std::string& name, const std::map<std::string, FARPROC>& entries);
void UnregisterModule(const std::string& name);
// Libraries loaded and not freed yet (tests check that each probe frees).
int LoadedModuleCount();

}  // namespace platform
