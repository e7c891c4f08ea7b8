// Registers our Glide layer as the run-time library "GLIDE3X.DLL"
// (platform/win32/module.h) with its entry points grGlideInit, grGetString,
// grGet and grGlideShutdown.
#pragma once

namespace platform {
void RegisterGlideLibrary();
}
