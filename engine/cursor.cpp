#include "engine/cursor.h"

#include <algorithm>
#include <cstring>

#include "engine/display.h"
#include "engine/maths.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

namespace {

// Corner offsets of the two triangles, in units of the quad's size.
constexpr float kCorners[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}};

// Size limit of the cursor textures (units of 32 pixels).
constexpr std::uint8_t CURSOR_TEXTURE_LIMIT = 1;

bool LoadTexture(const char* name, TextureSlot* slot) {
  if (*slot != 0) return true;
  char buffer[TEXTURE_NAME_SIZE];
  std::strncpy(buffer, name, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  return g_TextureManager.Load(buffer, slot, CURSOR_TEXTURE_LIMIT);
}

// Texture coordinate scale of a slot on each axis (1 without a texture).
float SScale(TextureSlot slot) { return slot != 0 ? g_TextureManager.sScale[slot] : 1.0f; }
float TScale(TextureSlot slot) { return slot != 0 ? g_TextureManager.tScale[slot] : 1.0f; }

void SetQuad(ScreenVertex* quad, float x0, float y0, float x1, float y1, float s1, float t1) {
  for (int i = 0; i < 6; ++i) {
    quad[i].x = kCorners[i][0] != 0.0f ? x1 : x0;
    quad[i].y = kCorners[i][1] != 0.0f ? y1 : y0;
    quad[i].s = kCorners[i][0] * s1;
    quad[i].t = kCorners[i][1] * t1;
  }
}

}  // namespace

Cursor::Cursor() {
  std::memset(quads, 0, sizeof quads);
  for (int i = 0; i < 12; ++i) {
    ScreenVertex& v = quads[i];
    v.x = kCorners[i % 6][0] * CURSOR_SIZE;
    v.y = kCorners[i % 6][1] * CURSOR_SIZE;
    v.colour = 0xFFFFFFFFu;
    v.z = 65535.0f;
    v.q = 1.0f;
    v.s = kCorners[i % 6][0];
    v.t = kCorners[i % 6][1];
  }
}

bool Cursor::SetDirectInput(IDirectInputA* di) {
  if (di == nullptr) return false;
  directInput = di;
  return true;
}

bool Cursor::Create(HWND target) {
  if (directInput == nullptr || target == nullptr) return false;
  if (mouse != nullptr) return window == nullptr || window == target;

  if (directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr) != DI_OK || mouse == nullptr) {
    mouse = nullptr;
    return false;
  }
  DIDEVCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  if (mouse->GetCapabilities(&caps) != DI_OK || !(caps.dwFlags & DIDC_ATTACHED) ||
      mouse->SetDataFormat(&c_dfDIMouse) != DI_OK ||
      mouse->SetCooperativeLevel(target, DISCL_EXCLUSIVE | DISCL_FOREGROUND) != DI_OK) {
    mouse->Release();
    mouse = nullptr;
    return false;
  }

  clipLeft = 0;
  clipTop = 0;
  clipRight = static_cast<int>(g_ScreenWidth) - 1;
  clipBottom = static_cast<int>(g_ScreenHeight) - 1;
  window = target;

  if (!ReloadTextures()) return false;
  // Each quad's corners in its texture's own coordinate scale.
  for (int i = 0; i < 6; ++i) {
    quads[i].s = kCorners[i][0] * SScale(pointerTexture);
    quads[i].t = kCorners[i][1] * TScale(pointerTexture);
    quads[i + 6].s = kCorners[i][0] * SScale(shadowTexture);
    quads[i + 6].t = kCorners[i][1] * TScale(shadowTexture);
  }

  mousePresent = GetSystemMetrics(SM_MOUSEPRESENT) != 0 ? 1 : 0;
  return true;
}

void Cursor::SetAcquired(bool on) {
  if (mouse == nullptr) return;
  acquired = on ? 1 : 0;
  if (on) {
    buttonDown = 0;
    mouse->Acquire();
  } else {
    mouse->Unacquire();
  }
}

bool Cursor::Update() {
  if (directInput == nullptr || mouse == nullptr) return false;

  if (acquired) {
    DIMOUSESTATE state;
    std::memset(&state, 0, sizeof state);
    if (mouse->GetDeviceState(sizeof state, &state) != DI_OK) {
      // Lost (or not acquired yet): try again; nothing moves or shows this
      // frame.
      mouse->Acquire();
      return false;
    }
    x = std::clamp(x + static_cast<int>(state.lX), clipLeft, std::max(clipLeft, clipRight));
    y = std::clamp(y + static_cast<int>(state.lY), clipTop, std::max(clipTop, clipBottom));

    bool pressed = false;
    for (BYTE b : state.rgbButtons) pressed = pressed || (b & 0x80) != 0;
    const LPARAM where = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
    if (pressed && !buttonDown) {
      buttonDown = 1;
      PostMessageA(window, WM_LBUTTONDOWN, 0, where);
    } else if (!pressed && buttonDown) {
      PostMessageA(window, WM_LBUTTONUP, 0, where);
      buttonDown = 0;
    }
  }

  // The quad, cut rather than squeezed at the clip edges.
  const float x0 = static_cast<float>(x);
  const float y0 = static_cast<float>(y);
  float x1 = static_cast<float>(x + CURSOR_SIZE);
  float y1 = static_cast<float>(y + CURSOR_SIZE);
  if (keepInside) {
    x1 = std::min(x1, static_cast<float>(clipRight));
    y1 = std::min(y1, static_cast<float>(clipBottom));
  }
  const float s1 = (x1 - x0) / CURSOR_SIZE * SScale(pointerTexture);
  const float t1 = (y1 - y0) / CURSOR_SIZE * TScale(pointerTexture);
  SetQuad(quads, x0, y0, x1, y1, s1, t1);

  g_Renderer.SetZEnable(false);
  g_Renderer.SetZWriteEnable(false);

  // The shadow darkens what lies below.
  g_TextureManager.Select(shadowTexture);
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetSrcBlend(BLEND_ZERO);
  g_Renderer.SetDestBlend(BLEND_SRC_COLOUR);
  g_Renderer.SetTextureFilter(false);
  g_Renderer.DrawTriangles(6, quads);

  // The pointer on top; its key colour falls to the alpha test.
  g_TextureManager.Select(pointerTexture);
  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.SetTextureFilter(true);
  g_Renderer.DrawTriangles(6, quads);

  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  return true;
}

void Cursor::GetPosition(Vector3* out) {
  out->x = static_cast<float>(x);
  out->y = static_cast<float>(y);
  out->z = 0.0f;
}

void Cursor::SetPosition(int newX, int newY) {
  if (newX >= 0 && newX < static_cast<int>(g_ScreenWidth)) x = newX;
  if (newY >= 0 && newY < static_cast<int>(g_ScreenHeight)) y = newY;
}

void Cursor::SetClipRect(int left, int top, int right, int bottom, bool inside) {
  const int width = static_cast<int>(g_ScreenWidth);
  const int height = static_cast<int>(g_ScreenHeight);
  if (left >= 0 && left < width) clipLeft = left;
  if (top >= 0 && top < height) clipTop = top;
  if (right >= 0 && right < width) clipRight = right;
  if (bottom >= 0 && bottom < height) clipBottom = bottom;
  keepInside = inside ? 1 : 0;
}

bool Cursor::IsMousePresent() { return mousePresent != 0; }

void Cursor::FreeTextures() {
  g_TextureManager.Free(pointerTexture);
  g_TextureManager.Free(shadowTexture);
  pointerTexture = 0;
  shadowTexture = 0;
}

bool Cursor::ReloadTextures() {
  if (!LoadTexture(CURSOR_POINTER_TEXTURE, &pointerTexture)) return false;
  return LoadTexture(CURSOR_SHADOW_TEXTURE, &shadowTexture);
}

void Cursor::Release() {
  FreeTextures();
  if (mouse != nullptr) {
    mouse->Unacquire();
    mouse->Release();
    mouse = nullptr;
  }
  acquired = 0;
  window = nullptr;
}
