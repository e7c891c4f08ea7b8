// DirectInput-shaped input devices, version 5. Our own declarations of the
// interface the game and the setup program were written against: device
// enumeration, the keyboard, joysticks and the mouse with the standard data
// formats, object enumeration, axis range and dead zone, and force feedback.
//
// Over SDL2: the system keyboard (SDL's keyboard state), every joystick that
// SDL lists, and the system mouse (SDL's relative motion); force feedback
// through SDL's haptic API. A test backend (platform/dinput/input_test.h)
// stands in for SDL with virtual devices.
//
// Enumeration order, shared by the games and the setup program, which store
// indexes into it: the system keyboard, then the joysticks in SDL's order,
// then the system mouse. Objects: a keyboard lists every key in ascending DIK
// code (offset = the code); a joystick its axes (X, Y, Z, Rx, Ry, Rz, then the
// sliders), its buttons, then its hats, each at its DIJOYSTATE offset; a
// mouse its X, Y and wheel axes and four buttons at their DIMOUSESTATE
// offsets. Object names are unique within a device.
//
// A foreground device is lost when the program loses the focus; a joystick
// that is unplugged is lost. A lost device answers DIERR_INPUTLOST until it
// is acquired again (a joystick that was plugged back in is found again by
// its instance GUID).
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

using REFGUID = const GUID&;

#ifndef ISEQUALGUID_DEFINED
#define ISEQUALGUID_DEFINED
inline bool IsEqualGUID(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
#endif

constexpr DWORD DIRECTINPUT_VERSION = 0x0500;

// ---- Results ---------------------------------------------------------------

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_NOTATTACHED = 1;  // S_FALSE
constexpr HRESULT DI_BUFFEROVERFLOW = 1;
constexpr HRESULT DI_PROPNOEFFECT = 1;
constexpr HRESULT DI_NOEFFECT = 1;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DI_DOWNLOADSKIPPED = 3;
constexpr HRESULT DI_EFFECTRESTARTED = 4;
constexpr HRESULT DI_TRUNCATED = 8;
constexpr HRESULT DI_TRUNCATEDANDRESTARTED = 12;

constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_BADDRIVERVER = static_cast<HRESULT>(0x80070077u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_NOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DIERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DIERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x800704DFu);
constexpr HRESULT DIERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_READONLY = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_HANDLEEXISTS = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTEXCLUSIVEACQUIRED = static_cast<HRESULT>(0x80040205u);
constexpr HRESULT DIERR_INCOMPLETEEFFECT = static_cast<HRESULT>(0x80040206u);
constexpr HRESULT DIERR_NOTDOWNLOADED = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT DIERR_EFFECTPLAYING = static_cast<HRESULT>(0x80040208u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// ---- GUIDs -----------------------------------------------------------------

extern const GUID GUID_NULL;
extern const GUID IID_IUnknown;
extern const GUID IID_IDirectInputA;
extern const GUID IID_IDirectInputDeviceA;
extern const GUID IID_IDirectInputDevice2A;
extern const GUID IID_IDirectInputEffect;

// Object types.
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Button;
extern const GUID GUID_Key;
extern const GUID GUID_POV;
extern const GUID GUID_Unknown;

// The system devices (instance and product GUID), and the product of joysticks.
extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Joystick;

// Effects.
extern const GUID GUID_ConstantForce;
extern const GUID GUID_RampForce;
extern const GUID GUID_Square;
extern const GUID GUID_Sine;
extern const GUID GUID_Triangle;
extern const GUID GUID_SawtoothUp;
extern const GUID GUID_SawtoothDown;
extern const GUID GUID_Spring;
extern const GUID GUID_Damper;
extern const GUID GUID_Inertia;
extern const GUID GUID_Friction;
extern const GUID GUID_CustomForce;

// Properties (the argument of SetProperty and GetProperty).
extern const GUID DIPROP_BUFFERSIZE;
extern const GUID DIPROP_AXISMODE;
extern const GUID DIPROP_GRANULARITY;
extern const GUID DIPROP_RANGE;
extern const GUID DIPROP_DEADZONE;
extern const GUID DIPROP_SATURATION;
extern const GUID DIPROP_FFGAIN;
extern const GUID DIPROP_FFLOAD;
extern const GUID DIPROP_AUTOCENTER;
extern const GUID DIPROP_CALIBRATIONMODE;

// ---- Device types and enumeration ------------------------------------------

constexpr DWORD DIDEVTYPE_DEVICE = 1;
constexpr DWORD DIDEVTYPE_MOUSE = 2;
constexpr DWORD DIDEVTYPE_KEYBOARD = 3;
constexpr DWORD DIDEVTYPE_JOYSTICK = 4;
constexpr DWORD DIDEVTYPE_HID = 0x00010000;

constexpr DWORD DIDEVTYPEMOUSE_UNKNOWN = 1;
constexpr DWORD DIDEVTYPEMOUSE_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEKEYBOARD_PCENH = 4;
constexpr DWORD DIDEVTYPEJOYSTICK_UNKNOWN = 1;
constexpr DWORD DIDEVTYPEJOYSTICK_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEJOYSTICK_FLIGHTSTICK = 3;
constexpr DWORD DIDEVTYPEJOYSTICK_GAMEPAD = 4;
constexpr DWORD DIDEVTYPEJOYSTICK_RUDDER = 5;
constexpr DWORD DIDEVTYPEJOYSTICK_WHEEL = 6;
constexpr DWORD DIDEVTYPEJOYSTICK_HEADTRACKER = 7;

constexpr BYTE GET_DIDEVICE_TYPE(DWORD devType) { return static_cast<BYTE>(devType & 0xFF); }
constexpr BYTE GET_DIDEVICE_SUBTYPE(DWORD devType) { return static_cast<BYTE>((devType >> 8) & 0xFF); }

constexpr DWORD DIEDFL_ALLDEVICES = 0x00000000;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x00000001;
constexpr DWORD DIEDFL_FORCEFEEDBACK = 0x00000100;

constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  char tszInstanceName[MAX_PATH];
  char tszProductName[MAX_PATH];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};
using DIDEVICEINSTANCE = DIDEVICEINSTANCEA;

using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* instance, void* ref);

// ---- Device capabilities ---------------------------------------------------

constexpr DWORD DIDC_ATTACHED = 0x00000001;
constexpr DWORD DIDC_POLLEDDEVICE = 0x00000002;
constexpr DWORD DIDC_EMULATED = 0x00000004;
constexpr DWORD DIDC_POLLEDDATAFORMAT = 0x00000008;
constexpr DWORD DIDC_FORCEFEEDBACK = 0x00000100;
constexpr DWORD DIDC_FFATTACK = 0x00000200;
constexpr DWORD DIDC_FFFADE = 0x00000400;
constexpr DWORD DIDC_SATURATION = 0x00000800;
constexpr DWORD DIDC_POSNEGCOEFFICIENTS = 0x00001000;
constexpr DWORD DIDC_POSNEGSATURATION = 0x00002000;
constexpr DWORD DIDC_DEADBAND = 0x00004000;

struct DIDEVCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
  DWORD dwFFSamplePeriod;
  DWORD dwFFMinTimeResolution;
  DWORD dwFirmwareRevision;
  DWORD dwHardwareRevision;
  DWORD dwFFDriverVersion;
};
static_assert(sizeof(DIDEVCAPS) == 44);

// ---- Objects -----------------------------------------------------------------

constexpr DWORD DIDFT_ALL = 0x00000000;
constexpr DWORD DIDFT_RELAXIS = 0x00000001;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_TGLBUTTON = 0x00000008;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_POV = 0x00000010;
constexpr DWORD DIDFT_COLLECTION = 0x00000040;
constexpr DWORD DIDFT_NODATA = 0x00000080;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
constexpr DWORD DIDFT_INSTANCEMASK = DIDFT_ANYINSTANCE;
constexpr DWORD DIDFT_FFACTUATOR = 0x01000000;
constexpr DWORD DIDFT_FFEFFECTTRIGGER = 0x02000000;
constexpr DWORD DIDFT_NOCOLLECTION = 0x00FFFF00;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFF) << 8; }
constexpr DWORD DIDFT_GETTYPE(DWORD type) { return type & 0xFF; }
constexpr DWORD DIDFT_GETINSTANCE(DWORD type) { return (type >> 8) & 0xFFFF; }

constexpr DWORD DIDOI_FFACTUATOR = 0x00000001;
constexpr DWORD DIDOI_FFEFFECTTRIGGER = 0x00000002;
constexpr DWORD DIDOI_POLLED = 0x00008000;
constexpr DWORD DIDOI_ASPECTPOSITION = 0x00000100;

struct DIDEVICEOBJECTINSTANCEA {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  char tszName[MAX_PATH];
  DWORD dwFFMaxForce;
  DWORD dwFFForceResolution;
  WORD wCollectionNumber;
  WORD wDesignatorIndex;
  WORD wUsagePage;
  WORD wUsage;
  DWORD dwDimension;
  WORD wExponent;
  WORD wReserved;
};
using DIDEVICEOBJECTINSTANCE = DIDEVICEOBJECTINSTANCEA;

using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(const DIDEVICEOBJECTINSTANCEA* object, void* ref);

// ---- Data formats and device states -------------------------------------------

constexpr DWORD DIDF_ABSAXIS = 0x00000001;
constexpr DWORD DIDF_RELAXIS = 0x00000002;

struct DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
};

struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  const DIOBJECTDATAFORMAT* rgodf;
};

// The three standard formats; SetDataFormat accepts these (the one of the
// device's kind).
extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 bytes, one per DIK code
extern const DIDATAFORMAT c_dfDIMouse;     // DIMOUSESTATE
extern const DIDATAFORMAT c_dfDIJoystick;  // DIJOYSTATE

struct DIMOUSESTATE {
  LONG lX;  // relative motion since the last read
  LONG lY;
  LONG lZ;             // wheel, 120 per notch
  BYTE rgbButtons[4];  // 0x80 while down
};
static_assert(sizeof(DIMOUSESTATE) == 16);

struct DIJOYSTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  LONG lRx;
  LONG lRy;
  LONG lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];     // hundredths of a degree clockwise from forward; 0xFFFFFFFF centred
  BYTE rgbButtons[32];  // 0x80 while down
};
static_assert(sizeof(DIJOYSTATE) == 80);

constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_RY = 16;
constexpr DWORD DIJOFS_RZ = 20;
constexpr DWORD DIJOFS_SLIDER(DWORD n) { return 24 + 4 * n; }
constexpr DWORD DIJOFS_POV(DWORD n) { return 32 + 4 * n; }
constexpr DWORD DIJOFS_BUTTON(DWORD n) { return 48 + n; }

constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;

// DIK key codes (the keyboard state's index and each key's object offset).
constexpr BYTE DIK_ESCAPE = 0x01;
constexpr BYTE DIK_1 = 0x02;
constexpr BYTE DIK_0 = 0x0B;
constexpr BYTE DIK_MINUS = 0x0C;
constexpr BYTE DIK_EQUALS = 0x0D;
constexpr BYTE DIK_BACK = 0x0E;
constexpr BYTE DIK_TAB = 0x0F;
constexpr BYTE DIK_Q = 0x10;
constexpr BYTE DIK_W = 0x11;
constexpr BYTE DIK_E = 0x12;
constexpr BYTE DIK_R = 0x13;
constexpr BYTE DIK_T = 0x14;
constexpr BYTE DIK_Y = 0x15;
constexpr BYTE DIK_U = 0x16;
constexpr BYTE DIK_I = 0x17;
constexpr BYTE DIK_O = 0x18;
constexpr BYTE DIK_P = 0x19;
constexpr BYTE DIK_LBRACKET = 0x1A;
constexpr BYTE DIK_RBRACKET = 0x1B;
constexpr BYTE DIK_RETURN = 0x1C;
constexpr BYTE DIK_LCONTROL = 0x1D;
constexpr BYTE DIK_A = 0x1E;
constexpr BYTE DIK_S = 0x1F;
constexpr BYTE DIK_D = 0x20;
constexpr BYTE DIK_F = 0x21;
constexpr BYTE DIK_G = 0x22;
constexpr BYTE DIK_H = 0x23;
constexpr BYTE DIK_J = 0x24;
constexpr BYTE DIK_K = 0x25;
constexpr BYTE DIK_L = 0x26;
constexpr BYTE DIK_SEMICOLON = 0x27;
constexpr BYTE DIK_APOSTROPHE = 0x28;
constexpr BYTE DIK_GRAVE = 0x29;
constexpr BYTE DIK_LSHIFT = 0x2A;
constexpr BYTE DIK_BACKSLASH = 0x2B;
constexpr BYTE DIK_Z = 0x2C;
constexpr BYTE DIK_X = 0x2D;
constexpr BYTE DIK_C = 0x2E;
constexpr BYTE DIK_V = 0x2F;
constexpr BYTE DIK_B = 0x30;
constexpr BYTE DIK_N = 0x31;
constexpr BYTE DIK_M = 0x32;
constexpr BYTE DIK_COMMA = 0x33;
constexpr BYTE DIK_PERIOD = 0x34;
constexpr BYTE DIK_SLASH = 0x35;
constexpr BYTE DIK_RSHIFT = 0x36;
constexpr BYTE DIK_MULTIPLY = 0x37;
constexpr BYTE DIK_LMENU = 0x38;
constexpr BYTE DIK_SPACE = 0x39;
constexpr BYTE DIK_CAPITAL = 0x3A;
constexpr BYTE DIK_F1 = 0x3B;
constexpr BYTE DIK_F2 = 0x3C;
constexpr BYTE DIK_F3 = 0x3D;
constexpr BYTE DIK_F4 = 0x3E;
constexpr BYTE DIK_F5 = 0x3F;
constexpr BYTE DIK_F6 = 0x40;
constexpr BYTE DIK_F7 = 0x41;
constexpr BYTE DIK_F8 = 0x42;
constexpr BYTE DIK_F9 = 0x43;
constexpr BYTE DIK_F10 = 0x44;
constexpr BYTE DIK_NUMLOCK = 0x45;
constexpr BYTE DIK_SCROLL = 0x46;
constexpr BYTE DIK_NUMPAD7 = 0x47;
constexpr BYTE DIK_NUMPAD8 = 0x48;
constexpr BYTE DIK_NUMPAD9 = 0x49;
constexpr BYTE DIK_SUBTRACT = 0x4A;
constexpr BYTE DIK_NUMPAD4 = 0x4B;
constexpr BYTE DIK_NUMPAD5 = 0x4C;
constexpr BYTE DIK_NUMPAD6 = 0x4D;
constexpr BYTE DIK_ADD = 0x4E;
constexpr BYTE DIK_NUMPAD1 = 0x4F;
constexpr BYTE DIK_NUMPAD2 = 0x50;
constexpr BYTE DIK_NUMPAD3 = 0x51;
constexpr BYTE DIK_NUMPAD0 = 0x52;
constexpr BYTE DIK_DECIMAL = 0x53;
constexpr BYTE DIK_OEM_102 = 0x56;
constexpr BYTE DIK_F11 = 0x57;
constexpr BYTE DIK_F12 = 0x58;
constexpr BYTE DIK_NUMPADENTER = 0x9C;
constexpr BYTE DIK_RCONTROL = 0x9D;
constexpr BYTE DIK_DIVIDE = 0xB5;
constexpr BYTE DIK_SYSRQ = 0xB7;
constexpr BYTE DIK_RMENU = 0xB8;
constexpr BYTE DIK_PAUSE = 0xC5;
constexpr BYTE DIK_HOME = 0xC7;
constexpr BYTE DIK_UP = 0xC8;
constexpr BYTE DIK_PRIOR = 0xC9;
constexpr BYTE DIK_LEFT = 0xCB;
constexpr BYTE DIK_RIGHT = 0xCD;
constexpr BYTE DIK_END = 0xCF;
constexpr BYTE DIK_DOWN = 0xD0;
constexpr BYTE DIK_NEXT = 0xD1;
constexpr BYTE DIK_INSERT = 0xD2;
constexpr BYTE DIK_DELETE = 0xD3;
constexpr BYTE DIK_LWIN = 0xDB;
constexpr BYTE DIK_RWIN = 0xDC;
constexpr BYTE DIK_APPS = 0xDD;

// ---- Cooperative levels --------------------------------------------------------

constexpr DWORD DISCL_EXCLUSIVE = 0x00000001;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x00000002;
constexpr DWORD DISCL_FOREGROUND = 0x00000004;
constexpr DWORD DISCL_BACKGROUND = 0x00000008;

// ---- Properties ---------------------------------------------------------------

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};

struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};

struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};

constexpr LONG DIPROPRANGE_NOMIN = static_cast<LONG>(0x80000000u);
constexpr LONG DIPROPRANGE_NOMAX = 0x7FFFFFFF;

constexpr DWORD DIPROPAXISMODE_ABS = 0;
constexpr DWORD DIPROPAXISMODE_REL = 1;

// ---- Effects ------------------------------------------------------------------

constexpr DWORD DI_FFNOMINALMAX = 10000;
constexpr DWORD DI_SECONDS = 1000000;
constexpr DWORD DI_DEGREES = 100;
#ifndef INFINITE_DEFINED
#define INFINITE_DEFINED
constexpr DWORD INFINITE = 0xFFFFFFFFu;
#endif

constexpr DWORD DIEFT_ALL = 0x00000000;
constexpr DWORD DIEFT_CONSTANTFORCE = 0x00000001;
constexpr DWORD DIEFT_RAMPFORCE = 0x00000002;
constexpr DWORD DIEFT_PERIODIC = 0x00000003;
constexpr DWORD DIEFT_CONDITION = 0x00000004;
constexpr DWORD DIEFT_CUSTOMFORCE = 0x00000005;
constexpr DWORD DIEFT_HARDWARE = 0x000000FF;
constexpr DWORD DIEFT_FFATTACK = 0x00000200;
constexpr DWORD DIEFT_FFFADE = 0x00000400;
constexpr DWORD DIEFT_SATURATION = 0x00000800;
constexpr DWORD DIEFT_POSNEGCOEFFICIENTS = 0x00001000;
constexpr DWORD DIEFT_POSNEGSATURATION = 0x00002000;
constexpr DWORD DIEFT_DEADBAND = 0x00004000;
constexpr DWORD DIEFT_GETTYPE(DWORD n) { return n & 0xFF; }

constexpr DWORD DIEFF_OBJECTIDS = 0x00000001;
constexpr DWORD DIEFF_OBJECTOFFSETS = 0x00000002;
constexpr DWORD DIEFF_CARTESIAN = 0x00000010;
constexpr DWORD DIEFF_POLAR = 0x00000020;
constexpr DWORD DIEFF_SPHERICAL = 0x00000040;

constexpr DWORD DIEP_DURATION = 0x00000001;
constexpr DWORD DIEP_SAMPLEPERIOD = 0x00000002;
constexpr DWORD DIEP_GAIN = 0x00000004;
constexpr DWORD DIEP_TRIGGERBUTTON = 0x00000008;
constexpr DWORD DIEP_TRIGGERREPEATINTERVAL = 0x00000010;
constexpr DWORD DIEP_AXES = 0x00000020;
constexpr DWORD DIEP_DIRECTION = 0x00000040;
constexpr DWORD DIEP_ENVELOPE = 0x00000080;
constexpr DWORD DIEP_TYPESPECIFICPARAMS = 0x00000100;
constexpr DWORD DIEP_ALLPARAMS = 0x000001FF;
constexpr DWORD DIEP_START = 0x20000000;
constexpr DWORD DIEP_NORESTART = 0x40000000;
constexpr DWORD DIEP_NODOWNLOAD = 0x80000000;

constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFFu;

constexpr DWORD DIES_SOLO = 0x00000001;
constexpr DWORD DIES_NODOWNLOAD = 0x80000000;

constexpr DWORD DIEGES_PLAYING = 0x00000001;
constexpr DWORD DIEGES_EMULATED = 0x00000002;

struct DIENVELOPE {
  DWORD dwSize;
  DWORD dwAttackLevel;
  DWORD dwAttackTime;  // microseconds
  DWORD dwFadeLevel;
  DWORD dwFadeTime;
};

struct DIPERIODIC {
  DWORD dwMagnitude;  // 0..10000
  LONG lOffset;
  DWORD dwPhase;   // hundredths of a degree
  DWORD dwPeriod;  // microseconds
};

struct DICONSTANTFORCE {
  LONG lMagnitude;
};

struct DIRAMPFORCE {
  LONG lStart;
  LONG lEnd;
};

struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;      // microseconds, INFINITE for ever
  DWORD dwSamplePeriod;  // 0: the device's own
  DWORD dwGain;          // 0..10000
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  LONG* rglDirection;
  DIENVELOPE* lpEnvelope;
  DWORD cbTypeSpecificParams;
  void* lpvTypeSpecificParams;
};

struct DIEFFECTINFOA {
  DWORD dwSize;
  GUID guid;
  DWORD dwEffType;
  DWORD dwStaticParams;
  DWORD dwDynamicParams;
  char tszName[MAX_PATH];
};
using DIEFFECTINFO = DIEFFECTINFOA;

using LPDIENUMEFFECTSCALLBACKA = BOOL (*)(const DIEFFECTINFOA* effect, void* ref);

// ---- Interfaces -----------------------------------------------------------------

struct IUnknownLike {
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;

 protected:
  ~IUnknownLike() = default;
};

struct IDirectInputEffect : IUnknownLike {
  virtual HRESULT GetEffectGuid(GUID* out) = 0;
  virtual HRESULT GetParameters(DIEFFECT* out, DWORD flags) = 0;
  virtual HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) = 0;
  virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetEffectStatus(DWORD* out) = 0;
  virtual HRESULT Download() = 0;
  virtual HRESULT Unload() = 0;

 protected:
  ~IDirectInputEffect() = default;
};

struct IDirectInputDeviceA : IUnknownLike {
  virtual HRESULT GetCapabilities(DIDEVCAPS* caps) = 0;
  virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* ref, DWORD flags) = 0;
  virtual HRESULT GetProperty(REFGUID property, DIPROPHEADER* header) = 0;
  virtual HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* out, DWORD object, DWORD how) = 0;
  virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* out) = 0;
  virtual HRESULT RunControlPanel(HWND owner, DWORD flags) = 0;

 protected:
  ~IDirectInputDeviceA() = default;
};

struct IDirectInputDevice2A : IDirectInputDeviceA {
  virtual HRESULT CreateEffect(REFGUID effect, const DIEFFECT* params, IDirectInputEffect** out,
                               IUnknownLike* outer) = 0;
  virtual HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, void* ref, DWORD effectType) = 0;
  virtual HRESULT GetEffectInfo(DIEFFECTINFOA* out, REFGUID effect) = 0;
  virtual HRESULT Poll() = 0;

 protected:
  ~IDirectInputDevice2A() = default;
};

struct IDirectInputA : IUnknownLike {
  virtual HRESULT CreateDevice(REFGUID instance, IDirectInputDeviceA** out, IUnknownLike* outer) = 0;
  virtual HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, void* ref, DWORD flags) = 0;
  virtual HRESULT GetDeviceStatus(REFGUID instance) = 0;
  // No control panel exists: returns DI_OK and does nothing.
  virtual HRESULT RunControlPanel(HWND owner, DWORD flags) = 0;

 protected:
  ~IDirectInputA() = default;
};

using IDirectInput = IDirectInputA;
using IDirectInputDevice = IDirectInputDeviceA;
using IDirectInputDevice2 = IDirectInputDevice2A;
using LPDIRECTINPUT = IDirectInputA*;
using LPDIRECTINPUTDEVICE = IDirectInputDeviceA*;
using LPDIRECTINPUTDEVICE2 = IDirectInputDevice2A*;
using LPDIRECTINPUTEFFECT = IDirectInputEffect*;

// Versions 0x0300 to 0x0500 are served. `outer` must be null.
HRESULT DirectInputCreateA(HINSTANCE instance, DWORD version, IDirectInputA** out, IUnknownLike* outer);
