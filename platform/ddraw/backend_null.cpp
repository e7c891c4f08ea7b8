// The test backend of the DirectDraw layer: a frame that exists but draws
// nothing (the objects record what they were asked, ddraw.cpp).
#include "platform/ddraw/backend.h"

namespace ddraw {

namespace {

class NullBackendImpl final : public Backend {
 public:
  bool OpenFrame(HWND, int, int) override {
    open_ = true;
    return true;
  }
  void CloseFrame() override { open_ = false; }
  bool FrameOpen() const override { return open_; }
  void SetDepthBits(int) override {}
  std::uint32_t CreateTexture() override { return ++nextTexture_; }
  void UploadTexture(std::uint32_t, int, int, const std::vector<std::uint8_t>&) override {}
  void DeleteTexture(std::uint32_t) override {}
  void Draw(const DWORD*, const BoundTexture&, D3DPRIMITIVETYPE, const D3DTLVERTEX*, DWORD) override {}
  void Clear(bool, const D3DRECT&, bool, DWORD, bool, float) override {}
  void WriteBack(int, int, int, int, const std::vector<std::uint8_t>&) override {}
  void Flip() override {}
  bool Read(bool, platform::Picture*) override { return false; }
  void Finish() override {}
  bool PlainDraw(const D3DTLVERTEX*, DWORD, const std::uint16_t*, int, int) override { return false; }

 private:
  bool open_ = false;
  std::uint32_t nextTexture_ = 0;
};

}  // namespace

Backend& NullBackend() {
  static NullBackendImpl backend;
  return backend;
}

}  // namespace ddraw
