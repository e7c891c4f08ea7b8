// Our Glide layer offered as the board's run-time library "GLIDE3X.DLL", for
// programs that load Glide by name instead of linking it (the setup program's
// board probe). The four entry points carry their plain names.
#include "platform/glide/glide.h"
#include "platform/glide/glide_library.h"
#include "platform/win32/module.h"

namespace platform {

void RegisterGlideLibrary() {
  RegisterModule("GLIDE3X.DLL", {
                                    {"grGlideInit", reinterpret_cast<FARPROC>(&grGlideInit)},
                                    {"grGetString", reinterpret_cast<FARPROC>(&grGetString)},
                                    {"grGet", reinterpret_cast<FARPROC>(&grGet)},
                                    {"grGlideShutdown", reinterpret_cast<FARPROC>(&grGlideShutdown)},
                                });
}

}  // namespace platform
