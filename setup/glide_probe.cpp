// The Glide board probe of the 3Dfx page: loads GLIDE3X.DLL for the length
// of one probe and asks its four entry points.
#include <cstring>

#include "platform/win32/module.h"
#include "setup/page_3dfx.h"

char g_GlideHardwareName[256] = "NOHW";
char g_GlideVersionText[80] = "";
std::int32_t g_GlideMemory = 0;

namespace {

using GrGlideInit = void (*)();
using GrGetString = const char* (*)(std::uint32_t);
using GrGet = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::int32_t*);
using GrGlideShutdown = void (*)();

constexpr std::uint32_t GR_HARDWARE = 0xA1;
constexpr std::uint32_t GR_VERSION = 0xA4;
constexpr std::uint32_t GR_MEMORY_FB = 0x0C;
constexpr std::uint32_t GR_NUM_FB = 0x11;
constexpr std::uint32_t GR_MEMORY_UMA = 0x0E;

template <typename F>
F Entry(HMODULE library, const char* name) {
  return reinterpret_cast<F>(GetProcAddress(library, name));
}

// Bounded copy: a library's text longer than the field is cut.
void CopyCut(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  if (text != nullptr) std::strncpy(field, text, size - 1);
}

bool Finish(HMODULE library, bool result) {
  if (auto shutdown = Entry<GrGlideShutdown>(library, "grGlideShutdown")) shutdown();
  FreeLibrary(library);
  return result;
}

}  // namespace

bool C3DfxPage::IsGlide3Present() {
  HMODULE library = LoadLibraryA("GLIDE3X.DLL");
  if (library == nullptr) return false;
  FreeLibrary(library);
  return true;
}

bool C3DfxPage::ProbeGlide3(bool details) {
  HMODULE library = LoadLibraryA("GLIDE3X.DLL");
  if (library == nullptr) {
    AfxMessageBox("Error loading Glide library!");
    return false;
  }
  auto init = Entry<GrGlideInit>(library, "grGlideInit");
  if (init == nullptr) {
    FreeLibrary(library);
    AfxMessageBox("Error loading Glide library!");
    return false;
  }
  init();
  if (!details) return Finish(library, true);
  auto getString = Entry<GrGetString>(library, "grGetString");
  if (getString == nullptr) {
    AfxMessageBox("Error loading Glide library!");
    return Finish(library, false);
  }
  // A library that names no hardware at all (null) has no board either.
  const char* hardware = getString(GR_HARDWARE);
  CopyCut(g_GlideHardwareName, sizeof(g_GlideHardwareName), hardware != nullptr ? hardware : "NOHW");
  if (std::strcmp(g_GlideHardwareName, "NOHW") == 0) {
    AfxMessageBox("3Dfx not found!");
    return Finish(library, false);
  }
  auto get = Entry<GrGet>(library, "grGet");
  std::int32_t count = 0;
  if (get == nullptr || get(GR_MEMORY_FB, 4, &g_GlideMemory) == 0 || get(GR_NUM_FB, 4, &count) == 0) {
    AfxMessageBox("Error detecting hardware capabilities!");
    return Finish(library, false);
  }
  g_GlideMemory = static_cast<std::int32_t>(static_cast<std::uint32_t>(g_GlideMemory) * static_cast<std::uint32_t>(count));
  if (g_GlideMemory == 0 && get(GR_MEMORY_UMA, 4, &g_GlideMemory) == 0) {
    AfxMessageBox("Error detecting hardware capabilities!");
    return Finish(library, false);
  }
  const char* version = getString(GR_VERSION);
  CopyCut(g_GlideVersionText, sizeof(g_GlideVersionText), version);
  if (g_GlideVersionText[0] == '\0') std::strcpy(g_GlideVersionText, "3.xx");
  return Finish(library, true);
}

bool C3DfxPage::CheckGlide(bool addToList) {
  if (!IsGlide3Present()) {
    AfxMessageBox("Glide not found!");
    return false;
  }
  if (!ProbeGlide3(addToList)) return false;
  if (addToList) {
    std::string name = g_GlideHardwareName;
    name += " Hardware Accelerator";
    Combo(1013).AddString(name);
  }
  return true;
}
