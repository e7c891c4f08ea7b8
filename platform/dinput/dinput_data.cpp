// Constant data of the DirectInput layer: GUIDs, the standard data formats,
// the keyboard's key table, and stable instance GUIDs.
#include <algorithm>

#include "platform/dinput/backend.h"

namespace {

constexpr GUID Make(DWORD d1, WORD d2, WORD d3, std::uint64_t d4) {
  GUID g{d1, d2, d3, {}};
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(d4 >> (56 - 8 * i));
  return g;
}

// Object types share this tail.
constexpr std::uint64_t kObjectTail = 0xBFC7444553540000ull;
constexpr std::uint64_t kEffectTail = 0x9AD000A0C9A06E35ull;

// Property GUIDs are small numbers in the first field only.
constexpr GUID Property(DWORD n) { return GUID{n, 0, 0, {}}; }

}  // namespace

const GUID GUID_NULL = {};
const GUID IID_IUnknown = Make(0x00000000, 0x0000, 0x0000, 0xC000000000000046ull);
const GUID IID_IDirectInputA = Make(0x89521360, 0xAA8A, 0x11CF, 0xBFC7444553540000ull);
const GUID IID_IDirectInputDeviceA = Make(0x5944E680, 0xC92E, 0x11CF, 0xBFC7444553540000ull);
const GUID IID_IDirectInputDevice2A = Make(0x5944E682, 0xC92E, 0x11CF, 0xBFC7444553540000ull);
const GUID IID_IDirectInputEffect = Make(0xE7E1F7C0, 0x88D2, 0x11D0, kEffectTail);

const GUID GUID_XAxis = Make(0xA36D02E0, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_YAxis = Make(0xA36D02E1, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_ZAxis = Make(0xA36D02E2, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_RxAxis = Make(0xA36D02F4, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_RyAxis = Make(0xA36D02F5, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_RzAxis = Make(0xA36D02E3, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_Slider = Make(0xA36D02E4, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_Button = Make(0xA36D02F0, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_Key = Make(0x55728220, 0xD33C, 0x11CF, kObjectTail);
const GUID GUID_POV = Make(0xA36D02F2, 0xC9F3, 0x11CF, kObjectTail);
const GUID GUID_Unknown = Make(0xA36D02F3, 0xC9F3, 0x11CF, kObjectTail);

const GUID GUID_SysMouse = Make(0x6F1D2B60, 0xD5A0, 0x11CF, kObjectTail);
const GUID GUID_SysKeyboard = Make(0x6F1D2B61, 0xD5A0, 0x11CF, kObjectTail);
const GUID GUID_Joystick = Make(0x6F1D2B70, 0xD5A0, 0x11CF, kObjectTail);

const GUID GUID_ConstantForce = Make(0x13541C20, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_RampForce = Make(0x13541C21, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Square = Make(0x13541C22, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Sine = Make(0x13541C23, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Triangle = Make(0x13541C24, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_SawtoothUp = Make(0x13541C25, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_SawtoothDown = Make(0x13541C26, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Spring = Make(0x13541C27, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Damper = Make(0x13541C28, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Inertia = Make(0x13541C29, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_Friction = Make(0x13541C2A, 0x8E33, 0x11D0, kEffectTail);
const GUID GUID_CustomForce = Make(0x13541C2B, 0x8E33, 0x11D0, kEffectTail);

const GUID DIPROP_BUFFERSIZE = Property(1);
const GUID DIPROP_AXISMODE = Property(2);
const GUID DIPROP_GRANULARITY = Property(3);
const GUID DIPROP_RANGE = Property(4);
const GUID DIPROP_DEADZONE = Property(5);
const GUID DIPROP_SATURATION = Property(6);
const GUID DIPROP_FFGAIN = Property(7);
const GUID DIPROP_FFLOAD = Property(8);
const GUID DIPROP_AUTOCENTER = Property(9);
const GUID DIPROP_CALIBRATIONMODE = Property(10);

// The formats are recognised by identity; their sizes are what the state
// reads check.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE), 0, nullptr};

namespace dinput {

const std::vector<KeyName>& StandardKeys() {
  static const std::vector<KeyName> keys = [] {
    std::vector<KeyName> k = {
        {DIK_ESCAPE, "Esc"},
        {0x02, "1"},
        {0x03, "2"},
        {0x04, "3"},
        {0x05, "4"},
        {0x06, "5"},
        {0x07, "6"},
        {0x08, "7"},
        {0x09, "8"},
        {0x0A, "9"},
        {DIK_0, "0"},
        {DIK_MINUS, "-"},
        {DIK_EQUALS, "="},
        {DIK_BACK, "Backspace"},
        {DIK_TAB, "Tab"},
        {DIK_Q, "Q"},
        {DIK_W, "W"},
        {DIK_E, "E"},
        {DIK_R, "R"},
        {DIK_T, "T"},
        {DIK_Y, "Y"},
        {DIK_U, "U"},
        {DIK_I, "I"},
        {DIK_O, "O"},
        {DIK_P, "P"},
        {DIK_LBRACKET, "["},
        {DIK_RBRACKET, "]"},
        {DIK_RETURN, "Enter"},
        {DIK_LCONTROL, "Ctrl"},
        {DIK_A, "A"},
        {DIK_S, "S"},
        {DIK_D, "D"},
        {DIK_F, "F"},
        {DIK_G, "G"},
        {DIK_H, "H"},
        {DIK_J, "J"},
        {DIK_K, "K"},
        {DIK_L, "L"},
        {DIK_SEMICOLON, ";"},
        {DIK_APOSTROPHE, "'"},
        {DIK_GRAVE, "`"},
        {DIK_LSHIFT, "Shift"},
        {DIK_BACKSLASH, "\\"},
        {DIK_Z, "Z"},
        {DIK_X, "X"},
        {DIK_C, "C"},
        {DIK_V, "V"},
        {DIK_B, "B"},
        {DIK_N, "N"},
        {DIK_M, "M"},
        {DIK_COMMA, ","},
        {DIK_PERIOD, "."},
        {DIK_SLASH, "/"},
        {DIK_RSHIFT, "Right Shift"},
        {DIK_MULTIPLY, "Num *"},
        {DIK_LMENU, "Alt"},
        {DIK_SPACE, "Space"},
        {DIK_CAPITAL, "Caps Lock"},
        {DIK_F1, "F1"},
        {DIK_F2, "F2"},
        {DIK_F3, "F3"},
        {DIK_F4, "F4"},
        {DIK_F5, "F5"},
        {DIK_F6, "F6"},
        {DIK_F7, "F7"},
        {DIK_F8, "F8"},
        {DIK_F9, "F9"},
        {DIK_F10, "F10"},
        {DIK_NUMLOCK, "Num Lock"},
        {DIK_SCROLL, "Scroll Lock"},
        {DIK_NUMPAD7, "Num 7"},
        {DIK_NUMPAD8, "Num 8"},
        {DIK_NUMPAD9, "Num 9"},
        {DIK_SUBTRACT, "Num -"},
        {DIK_NUMPAD4, "Num 4"},
        {DIK_NUMPAD5, "Num 5"},
        {DIK_NUMPAD6, "Num 6"},
        {DIK_ADD, "Num +"},
        {DIK_NUMPAD1, "Num 1"},
        {DIK_NUMPAD2, "Num 2"},
        {DIK_NUMPAD3, "Num 3"},
        {DIK_NUMPAD0, "Num 0"},
        {DIK_DECIMAL, "Num ."},
        {DIK_OEM_102, "<>"},
        {DIK_F11, "F11"},
        {DIK_F12, "F12"},
        {DIK_NUMPADENTER, "Num Enter"},
        {DIK_RCONTROL, "Right Ctrl"},
        {DIK_DIVIDE, "Num /"},
        {DIK_SYSRQ, "Print Screen"},
        {DIK_RMENU, "Right Alt"},
        {DIK_PAUSE, "Pause"},
        {DIK_HOME, "Home"},
        {DIK_UP, "Up"},
        {DIK_PRIOR, "Page Up"},
        {DIK_LEFT, "Left"},
        {DIK_RIGHT, "Right"},
        {DIK_END, "End"},
        {DIK_DOWN, "Down"},
        {DIK_NEXT, "Page Down"},
        {DIK_INSERT, "Insert"},
        {DIK_DELETE, "Delete"},
        {DIK_LWIN, "Left Windows"},
        {DIK_RWIN, "Right Windows"},
        {DIK_APPS, "Application"},
    };
    std::sort(k.begin(), k.end(), [](const KeyName& a, const KeyName& b) { return a.dik < b.dik; });
    return k;
  }();
  return keys;
}

const char* KeyNameOf(BYTE dik) {
  for (const KeyName& k : StandardKeys()) {
    if (k.dik == dik) return k.name;
  }
  return nullptr;
}

GUID StableGuid(const std::string& identity, int occurrence) {
  // Two FNV-1a hashes with different offsets fill the 16 bytes.
  auto hash = [&](std::uint64_t h) {
    auto mix = [&h](BYTE b) {
      h ^= b;
      h *= 0x100000001B3ull;
    };
    for (char c : identity) mix(static_cast<BYTE>(c));
    for (int i = 0; i < 4; ++i) mix(static_cast<BYTE>(occurrence >> (8 * i)));
    return h;
  };
  std::uint64_t a = hash(0xCBF29CE484222325ull);
  std::uint64_t b = hash(0x84222325CBF29CE4ull);
  GUID g{};
  g.Data1 = static_cast<DWORD>(a >> 32);
  g.Data2 = static_cast<WORD>(a >> 16);
  g.Data3 = static_cast<WORD>((a & 0x0FFF) | 0x5000);  // a name-based GUID
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(b >> (56 - 8 * i));
  g.Data4[0] = static_cast<BYTE>((g.Data4[0] & 0x3F) | 0x80);
  return g;
}

}  // namespace dinput
