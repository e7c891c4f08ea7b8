// Fuzz target for the movie opener: any bytes as a movie file, rendered by
// the FFmpeg backend into a virtual window with the sound device's test
// output. Rendering either succeeds, with a finite length and a graph that
// runs, decodes what is due, stops and rewinds, or fails with one of the
// reasons for a file that exists but is no playable movie.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/dshow/dshow.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/window.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-movie", ".mpg") {}
};

struct Setup {
  Setup() {
    platform::UseTestWindowing(true);
    platform::UseTestSound(true);
    Check(DirectSoundCreate(nullptr, &sound, nullptr) == DS_OK);
    platform::SetMovieSoundDevice(sound);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FUZZ";
    Check(RegisterClassA(&wc) != 0);
    window = CreateWindowExA(0, "FUZZ", "fuzz", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr,
                             nullptr);
    Check(window != nullptr);
  }
  IDirectSound* sound = nullptr;
  HWND window = nullptr;
};

template <typename T>
T* Query(IGraphBuilder* graph, const GUID& iid) {
  void* out = nullptr;
  Check(graph->QueryInterface(iid, &out) == S_OK && out != nullptr);
  return static_cast<T*>(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  static TempFile temp;
  {
    std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return 0;
  }
  IGraphBuilder* graph = nullptr;
  Check(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                         reinterpret_cast<void**>(&graph)) == S_OK);
  const std::u16string name(temp.path.begin(), temp.path.end());
  const HRESULT hr = graph->RenderFile(name.c_str(), nullptr);
  Check(hr == S_OK || hr == VFW_E_UNKNOWN_FILE_TYPE || hr == VFW_E_UNSUPPORTED_STREAM);

  auto* video = Query<IVideoWindow>(graph, IID_IVideoWindow);
  auto* control = Query<IMediaControl>(graph, IID_IMediaControl);
  auto* position = Query<IMediaPosition>(graph, IID_IMediaPosition);
  if (hr == S_OK) {
    REFTIME length = -1.0;
    Check(position->get_Duration(&length) == S_OK && std::isfinite(length) && length >= 0.0);
    Check(video->put_Owner(reinterpret_cast<OAHWND>(setup.window)) == S_OK);
    Check(video->put_Visible(OATRUE) == S_OK);
    Check(control->Run() == S_OK);
    // A pumped event lets the graph decode what is due and the sound ahead.
    platform::InjectMouseMove(setup.window, 1, 1);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    static float mix[2 * 256];
    Check(platform::RenderMix(256, mix));
    Check(control->Stop() == S_OK);
    Check(control->Run() == S_OK);
    Check(control->Pause() == S_OK);
  } else {
    Check(video->put_Owner(reinterpret_cast<OAHWND>(setup.window)) == VFW_E_NOT_CONNECTED);
    Check(control->Run() != S_OK);
  }
  position->Release();
  control->Release();
  video->Release();
  Check(graph->Release() == 0);
  return 0;
}
