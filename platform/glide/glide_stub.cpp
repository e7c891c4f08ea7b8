// Placeholder bodies while the board is being built.
#include "platform/glide/glide.h"

void grGlideInit() {  }
void grGlideShutdown() {  }
const char* grGetString(FxU32) { return nullptr; }
FxU32 grGet(FxU32, FxU32, FxI32*) { return 0; }
FxBool grReset(FxU32) { return FXFALSE; }
void grSstSelect(int) {  }
GrContext_t grSstWinOpen(FxU32, GrScreenResolution_t, GrScreenRefresh_t, GrColorFormat_t, GrOriginLocation_t, int, int) { return 0; }
FxBool grSstWinClose(GrContext_t) { return FXFALSE; }
FxBool grSelectContext(GrContext_t) { return FXFALSE; }
void grGlideGetState(void*) {  }
void grGlideSetState(const void*) {  }
void guGammaCorrectionRGB(FxFloat, FxFloat, FxFloat) {  }
void grCoordinateSpace(GrCoordinateSpaceMode_t) {  }
void grVertexLayout(FxU32, FxI32, FxU32) {  }
void grClipWindow(FxU32, FxU32, FxU32, FxU32) {  }
void grBufferClear(GrColor_t, GrAlpha_t, FxU32) {  }
void grBufferSwap(FxU32) {  }
FxBool grLfbWriteRegion(GrBuffer_t, FxU32, FxU32, GrLfbSrcFmt_t, FxU32, FxU32, FxBool, FxI32, void*) { return FXFALSE; }
void grColorCombine(GrCombineFunction_t, GrCombineFactor_t, GrCombineLocal_t, GrCombineOther_t, FxBool) {  }
void grAlphaCombine(GrCombineFunction_t, GrCombineFactor_t, GrCombineLocal_t, GrCombineOther_t, FxBool) {  }
void grTexCombine(GrChipID_t, GrCombineFunction_t, GrCombineFactor_t, GrCombineFunction_t, GrCombineFactor_t, FxBool, FxBool) {  }
void grConstantColorValue(GrColor_t) {  }
void grTexSource(GrChipID_t, FxU32, FxU32, GrTexInfo*) {  }
void grTexFilterMode(GrChipID_t, GrTextureFilterMode_t, GrTextureFilterMode_t) {  }
void grTexClampMode(GrChipID_t, GrTextureClampMode_t, GrTextureClampMode_t) {  }
void grTexMipMapMode(GrChipID_t, GrMipMapMode_t, FxBool) {  }
FxU32 grTexTextureMemRequired(FxU32, GrTexInfo*) { return 0; }
FxU32 grTexMinAddress(GrChipID_t) { return 0; }
FxU32 grTexMaxAddress(GrChipID_t) { return 0; }
void grTexDownloadMipMap(GrChipID_t, FxU32, FxU32, GrTexInfo*) {  }
void grAlphaBlendFunction(GrAlphaBlendFnc_t, GrAlphaBlendFnc_t, GrAlphaBlendFnc_t, GrAlphaBlendFnc_t) {  }
void grAlphaTestFunction(GrCmpFnc_t) {  }
void grAlphaTestReferenceValue(GrAlpha_t) {  }
void grChromakeyMode(GrChromakeyMode_t) {  }
void grChromakeyValue(GrColor_t) {  }
void grDepthBufferMode(GrDepthBufferMode_t) {  }
void grDepthBufferFunction(GrCmpFnc_t) {  }
void grDepthMask(FxBool) {  }
void grDitherMode(GrDitherMode_t) {  }
void grCullMode(GrCullMode_t) {  }
void grEnable(GrEnableMode_t) {  }
void grDisable(GrEnableMode_t) {  }
void grFogMode(GrFogMode_t) {  }
void grFogTable(const GrFog_t*) {  }
void grFogColorValue(GrColor_t) {  }
void guFogGenerateLinear(GrFog_t*, FxFloat, FxFloat) {  }
FxFloat guFogTableIndexToW(int) { return 0.0f; }
void grDrawVertexArrayContiguous(FxU32, FxU32, void*, FxU32) {  }

namespace platform {
namespace { GlideBoard g_board; GlideState g_state{}; std::vector<GlideCall> g_calls; std::vector<GlideDraw> g_draws; std::vector<FxU8> g_mem; }
const GlideBoard& CurrentGlideBoard() { return g_board; }
const GlideState& CurrentGlideState() { return g_state; }
const std::vector<GlideCall>& RecordedGlideCalls() { return g_calls; }
const std::vector<GlideDraw>& RecordedGlideDraws() { return g_draws; }
const std::vector<FxU8>& GlideTextureMemory(GrChipID_t) { return g_mem; }
void SetGlideBoard(const GlideBoard&) {  }
void UseGlideTestBackend(bool) {  }
void ClearGlideRecords() {  }
void GlideFrameSize(int*, int*) {  }
bool GlideReadFrame(GrBuffer_t, bool, Picture*) { return false; }
bool GlideScreenshot(const std::string&) { return false; }
bool GlideReadWindow(Picture*) { return false; }
bool WritePng(const std::string&, const Picture&) { return false; }
bool BenchmarkPlainGLFrame(const void*, FxU32, FxU32, const FxU16*, int, int, GrAlphaBlendFnc_t, GrAlphaBlendFnc_t) { return false; }
}  // namespace platform
