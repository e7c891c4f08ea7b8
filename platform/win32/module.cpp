#include "platform/win32/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

namespace {

struct Module {
  std::string name;
  const std::map<std::string, FARPROC>* entries = nullptr;  // registered
  void* handle = nullptr;                                    // dlopen
};

std::map<std::string, std::map<std::string, FARPROC>> g_registered;
std::vector<std::unique_ptr<Module>> g_loaded;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "GLIDE3X.DLL" -> "<program's folder>/libglide3x.so".
std::string SharedObjectPath(const std::string& name) {
  std::string stem = Lower(name);
  const std::size_t slash = stem.find_last_of("\\/");
  if (slash != std::string::npos) stem = stem.substr(slash + 1);
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".dll") == 0) stem.resize(stem.size() - 4);
  std::string folder = ".";
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n > 0) {
    exe[n] = '\0';
    folder = exe;
    folder = folder.substr(0, folder.find_last_of('/'));
  }
  return folder + "/lib" + stem + ".so";
}

}  // namespace

HMODULE LoadLibraryA(const char* name) {
  if (name == nullptr) return nullptr;
  auto module = std::make_unique<Module>();
  module->name = Lower(name);
  auto it = g_registered.find(module->name);
  if (it != g_registered.end()) {
    module->entries = &it->second;
  } else {
    module->handle = dlopen(SharedObjectPath(name).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module->handle == nullptr) return nullptr;
  }
  g_loaded.push_back(std::move(module));
  return reinterpret_cast<HMODULE>(g_loaded.back().get());
}

FARPROC GetProcAddress(HMODULE handle, const char* name) {
  if (handle == nullptr || name == nullptr) return nullptr;
  auto* module = reinterpret_cast<Module*>(handle);
  if (module->entries != nullptr) {
    auto it = module->entries->find(name);
    return it == module->entries->end() ? nullptr : it->second;
  }
  return reinterpret_cast<FARPROC>(dlsym(module->handle, name));
}

BOOL FreeLibrary(HMODULE handle) {
  auto it = std::find_if(g_loaded.begin(), g_loaded.end(),
                         [&](const auto& m) { return reinterpret_cast<HMODULE>(m.get()) == handle; });
  if (it == g_loaded.end()) return FALSE;
  if ((*it)->handle != nullptr) dlclose((*it)->handle);
  g_loaded.erase(it);
  return TRUE;
}

namespace platform {

void RegisterModule(const std::string& name, const std::map<std::string, FARPROC>& entries) {
  if (entries.empty()) {
    UnregisterModule(name);
    return;
  }
  g_registered[Lower(name)] = entries;
}

void UnregisterModule(const std::string& name) { g_registered.erase(Lower(name)); }

int LoadedModuleCount() { return static_cast<int>(g_loaded.size()); }

}  // namespace platform
