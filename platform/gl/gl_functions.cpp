#include "platform/gl/gl_functions.h"

#include <SDL.h>

#include <cstdio>

namespace kgl {

#define KELV_GL_DEFINE(type, name) type name = nullptr;
KELV_GL_FUNCTIONS(KELV_GL_DEFINE)
#undef KELV_GL_DEFINE

bool LoadFunctions() {
  bool ok = true;
#define KELV_GL_LOAD(type, name)                                           \
  name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));             \
  if (name == nullptr) {                                                   \
    std::fprintf(stderr, "Kelvarro: OpenGL function %s missing\n", #name); \
    ok = false;                                                            \
  }
  KELV_GL_FUNCTIONS(KELV_GL_LOAD)
#undef KELV_GL_LOAD
  return ok;
}

}  // namespace kgl
