// The DirectDraw error box of kelvarro_dx: the failing result by the name of
// its constant, so that a player can report it.
#include <cstdio>

#include "engine/system.h"
#include "platform/win32/msgbox.h"
#include "render_d3d/direct3d_renderer.h"

namespace {

struct ErrorName {
  HRESULT code;
  const char* name;
};

constexpr HRESULT Dd(int code) { return MakeDdResult(code); }

// The first five are generic COM results that carry DirectDraw names.
constexpr ErrorName ERROR_NAMES[] = {
    {static_cast<HRESULT>(0x80004001u), "DDERR_UNSUPPORTED"},
    {static_cast<HRESULT>(0x80004005u), "DDERR_GENERIC"},
    {static_cast<HRESULT>(0x800401F0u), "DDERR_NOTINITIALIZED"},
    {static_cast<HRESULT>(0x8007000Eu), "DDERR_OUTOFMEMORY"},
    {static_cast<HRESULT>(0x80070057u), "DDERR_INVALIDPARAMS"},
    {Dd(5), "DDERR_ALREADYINITIALIZED"},
    {Dd(10), "DDERR_CANNOTATTACHSURFACE"},
    {Dd(20), "DDERR_CANNOTDETACHSURFACE"},
    {Dd(40), "DDERR_CURRENTLYNOTAVAIL"},
    {Dd(55), "DDERR_EXCEPTION"},
    {Dd(90), "DDERR_HEIGHTALIGN"},
    {Dd(95), "DDERR_INCOMPATIBLEPRIMARY"},
    {Dd(100), "DDERR_INVALIDCAPS"},
    {Dd(110), "DDERR_INVALIDCLIPLIST"},
    {Dd(120), "DDERR_INVALIDMODE"},
    {Dd(130), "DDERR_INVALIDOBJECT"},
    {Dd(145), "DDERR_INVALIDPIXELFORMAT"},
    {Dd(150), "DDERR_INVALIDRECT"},
    {Dd(160), "DDERR_LOCKEDSURFACES"},
    {Dd(170), "DDERR_NO3D"},
    {Dd(180), "DDERR_NOALPHAHW"},
    {Dd(205), "DDERR_NOCLIPLIST"},
    {Dd(210), "DDERR_NOCOLORCONVHW"},
    {Dd(212), "DDERR_NOCOOPERATIVELEVELSET"},
    {Dd(215), "DDERR_NOCOLORKEY"},
    {Dd(220), "DDERR_NOCOLORKEYHW"},
    {Dd(222), "DDERR_NODIRECTDRAWSUPPORT"},
    {Dd(225), "DDERR_NOEXCLUSIVEMODE"},
    {Dd(230), "DDERR_NOFLIPHW"},
    {Dd(240), "DDERR_NOGDI"},
    {Dd(250), "DDERR_NOMIRRORHW"},
    {Dd(255), "DDERR_NOTFOUND"},
    {Dd(260), "DDERR_NOOVERLAYHW"},
    {Dd(280), "DDERR_NORASTEROPHW"},
    {Dd(290), "DDERR_NOROTATIONHW"},
    {Dd(310), "DDERR_NOSTRETCHHW"},
    {Dd(316), "DDERR_NOT4BITCOLOR"},
    {Dd(317), "DDERR_NOT4BITCOLORINDEX"},
    {Dd(320), "DDERR_NOT8BITCOLOR"},
    {Dd(330), "DDERR_NOTEXTUREHW"},
    {Dd(335), "DDERR_NOVSYNCHW"},
    {Dd(340), "DDERR_NOZBUFFERHW"},
    {Dd(350), "DDERR_NOZOVERLAYHW"},
    {Dd(360), "DDERR_OUTOFCAPS"},
    {Dd(380), "DDERR_OUTOFVIDEOMEMORY"},
    {Dd(382), "DDERR_OVERLAYCANTCLIP"},
    {Dd(384), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {Dd(387), "DDERR_PALETTEBUSY"},
    {Dd(400), "DDERR_COLORKEYNOTSET"},
    {Dd(410), "DDERR_SURFACEALREADYATTACHED"},
    {Dd(420), "DDERR_SURFACEALREADYDEPENDENT"},
    {Dd(430), "DDERR_SURFACEBUSY"},
    {Dd(435), "DDERR_CANTLOCKSURFACE"},
    {Dd(440), "DDERR_SURFACEISOBSCURED"},
    {Dd(450), "DDERR_SURFACELOST"},
    {Dd(460), "DDERR_SURFACENOTATTACHED"},
    {Dd(470), "DDERR_TOOBIGHEIGHT"},
    {Dd(480), "DDERR_TOOBIGSIZE"},
    {Dd(490), "DDERR_TOOBIGWIDTH"},
    {Dd(510), "DDERR_UNSUPPORTEDFORMAT"},
    {Dd(520), "DDERR_UNSUPPORTEDMASK"},
    {Dd(537), "DDERR_VERTICALBLANKINPROGRESS"},
    {Dd(540), "DDERR_WASSTILLDRAWING"},
    {Dd(560), "DDERR_XALIGN"},
    {Dd(561), "DDERR_INVALIDDIRECTDRAWGUID"},
    {Dd(562), "DDERR_DIRECTDRAWALREADYCREATED"},
    {Dd(563), "DDERR_NODIRECTDRAWHW"},
    {Dd(564), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {Dd(565), "DDERR_NOEMULATION"},
    {Dd(566), "DDERR_REGIONTOOSMALL"},
    {Dd(567), "DDERR_CLIPPERISUSINGHWND"},
    {Dd(568), "DDERR_NOCLIPPERATTACHED"},
    {Dd(569), "DDERR_NOHWND"},
    {Dd(570), "DDERR_HWNDSUBCLASSED"},
    {Dd(571), "DDERR_HWNDALREADYSET"},
    {Dd(572), "DDERR_NOPALETTEATTACHED"},
    {Dd(573), "DDERR_NOPALETTEHW"},
    {Dd(574), "DDERR_BLTFASTCANTCLIP"},
    {Dd(575), "DDERR_NOBLTHW"},
    {Dd(576), "DDERR_NODDROPSHW"},
    {Dd(577), "DDERR_OVERLAYNOTVISIBLE"},
    {Dd(578), "DDERR_NOOVERLAYDEST"},
    {Dd(579), "DDERR_INVALIDPOSITION"},
    {Dd(580), "DDERR_NOTAOVERLAYSURFACE"},
    {Dd(581), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {Dd(582), "DDERR_NOTFLIPPABLE"},
    {Dd(583), "DDERR_CANTDUPLICATE"},
    {Dd(584), "DDERR_NOTLOCKED"},
    {Dd(585), "DDERR_CANTCREATEDC"},
    {Dd(586), "DDERR_NODC"},
    {Dd(587), "DDERR_WRONGMODE"},
    {Dd(588), "DDERR_IMPLICITLYCREATED"},
    {Dd(589), "DDERR_NOTPALETTIZED"},
    {Dd(590), "DDERR_UNSUPPORTEDMODE"},
    {Dd(591), "DDERR_NOMIPMAPHW"},
    {Dd(592), "DDERR_INVALIDSURFACETYPE"},
    {Dd(620), "DDERR_DCALREADYCREATED"},
    {Dd(640), "DDERR_CANTPAGELOCK"},
    {Dd(660), "DDERR_CANTPAGEUNLOCK"},
    {Dd(680), "DDERR_NOTPAGELOCKED"},
};
static_assert(sizeof ERROR_NAMES / sizeof ERROR_NAMES[0] == 100);

}  // namespace

const char* DirectDrawErrorName(HRESULT code) {
  for (const ErrorName& e : ERROR_NAMES) {
    if (e.code == code) return e.name;
  }
  return "Unknown Error";
}

void ShowDirectDrawError(HRESULT code, const char*, int) {
  char text[128];
  std::snprintf(text, sizeof text, "DirectDraw Error %s\n", DirectDrawErrorName(code));
  // The desktop's surface must be the visible one while the box is up.
  if (Direct3DRenderer::directDraw) Direct3DRenderer::directDraw->FlipToGDISurface();
  MessageBoxA(g_MainWindow, text, MESSAGE_BOX_CAPTION, MB_TOPMOST | MB_ICONHAND);
}
