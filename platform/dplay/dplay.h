// DirectPlay-4-shaped network sessions and the lobby's address helpers. Our
// own declarations of what the network game calls: connections, compound
// addresses, session listing, hosting and joining, players, messages with
// per-player queues, system messages and host migration.
//
// One connection exists: TCP/IP, carried over UDP (ENet). The modem, serial
// and IPX providers are absent: `DirectPlayCreate` for them fails, and
// InitializeConnection refuses their addresses.
//
// Every machine of a session talks to every other directly (a full mesh), so
// a session created with DPSESSION_MIGRATEHOST lives on when its host leaves:
// the remaining machine that joined first becomes the host and receives
// DPSYS_HOST. Nothing runs in the background: each call services the network
// before it answers, and a call that answers DPERR_CONNECTING gives its final
// answer within a bounded time when it is repeated.
//
// Player ids are unique in the session, never 0 (the system) or 1 (all
// players), and stay the same across a host migration.
#pragma once

#include <cstdint>

#include "platform/win32/com.h"
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

using DPID = DWORD;
constexpr DPID DPID_SYSMSG = 0;
constexpr DPID DPID_ALLPLAYERS = 0;
constexpr DPID DPID_SERVERPLAYER = 1;

// ---- Results ----------------------------------------------------------------

constexpr HRESULT DP_OK = 0;
constexpr HRESULT DPERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88770005u);
constexpr HRESULT DPERR_BUFFERTOOSMALL = static_cast<HRESULT>(0x8877001Eu);
constexpr HRESULT DPERR_CANTADDPLAYER = static_cast<HRESULT>(0x88770028u);
constexpr HRESULT DPERR_CANTCREATEPLAYER = static_cast<HRESULT>(0x8877003Cu);
constexpr HRESULT DPERR_CONNECTING = static_cast<HRESULT>(0x88770172u);
constexpr HRESULT DPERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DPERR_INVALIDFLAGS = static_cast<HRESULT>(0x88770078u);
constexpr HRESULT DPERR_INVALIDOBJECT = static_cast<HRESULT>(0x88770082u);
constexpr HRESULT DPERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DPERR_INVALIDPLAYER = static_cast<HRESULT>(0x88770096u);
constexpr HRESULT DPERR_NOCONNECTION = static_cast<HRESULT>(0x887700AAu);
constexpr HRESULT DPERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DPERR_NOMESSAGES = static_cast<HRESULT>(0x887700BEu);
constexpr HRESULT DPERR_NOSESSIONS = static_cast<HRESULT>(0x887700D2u);
constexpr HRESULT DPERR_NOTHOST = static_cast<HRESULT>(0x887700DCu);
constexpr HRESULT DPERR_TIMEOUT = static_cast<HRESULT>(0x88770118u);
constexpr HRESULT DPERR_UNAVAILABLE = static_cast<HRESULT>(0x88770122u);
constexpr HRESULT DPERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DPERR_UNINITIALIZED = static_cast<HRESULT>(0x88770154u);
constexpr HRESULT DPERR_SESSIONLOST = static_cast<HRESULT>(0x887700FAu);
constexpr HRESULT DPERR_CANNOTCREATESERVER = static_cast<HRESULT>(0x887700F0u);

// ---- Identifiers (our own values) ---------------------------------------------

extern const GUID CLSID_DirectPlay;
extern const GUID CLSID_DirectPlayLobby;
extern const GUID IID_IDirectPlay3A;
extern const GUID IID_IDirectPlay4A;
extern const GUID IID_IDirectPlayLobby3A;
extern const GUID DPSPGUID_IPX;
extern const GUID DPSPGUID_TCPIP;
extern const GUID DPSPGUID_MODEM;
extern const GUID DPSPGUID_SERIAL;
extern const GUID DPAID_ServiceProvider;  // data: the provider's GUID
extern const GUID DPAID_INet;             // data: host text with its NUL ("" = this network)
extern const GUID DPAID_Modem;
extern const GUID DPAID_Phone;
extern const GUID DPAID_ComPort;

// ---- Flags ----------------------------------------------------------------------

constexpr DWORD DPSESSION_NEWPLAYERSDISABLED = 0x1;
constexpr DWORD DPSESSION_MIGRATEHOST = 0x4;
constexpr DWORD DPSESSION_NOMESSAGEID = 0x8;
constexpr DWORD DPSESSION_JOINDISABLED = 0x20;
constexpr DWORD DPSESSION_KEEPALIVE = 0x40;

constexpr DWORD DPENUMSESSIONS_AVAILABLE = 0x1;
constexpr DWORD DPENUMSESSIONS_ALL = 0x2;
constexpr DWORD DPENUMSESSIONS_STOPASYNC = 0x20;
constexpr DWORD DPENUMSESSIONS_ASYNC = 0x10;
constexpr DWORD DPENUMSESSIONS_RETURNSTATUS = 0x80;

constexpr DWORD DPESC_TIMEDOUT = 0x1;

constexpr DWORD DPOPEN_JOIN = 0x1;
constexpr DWORD DPOPEN_CREATE = 0x2;
constexpr DWORD DPOPEN_RETURNSTATUS = 0x80;

constexpr DWORD DPENUMPLAYERS_ALL = 0x0;
constexpr DWORD DPENUMPLAYERS_LOCAL = 0x8;
constexpr DWORD DPENUMPLAYERS_REMOTE = 0x10;
constexpr DWORD DPENUMPLAYERS_SESSION = 0x80;

constexpr DWORD DPPLAYERTYPE_PLAYER = 1;

constexpr DWORD DPSEND_GUARANTEED = 0x1;
constexpr DWORD DPSET_GUARANTEED = 0x2;

constexpr DWORD DPRECEIVE_ALL = 0x1;
constexpr DWORD DPRECEIVE_TOPLAYER = 0x2;
constexpr DWORD DPRECEIVE_FROMPLAYER = 0x4;
constexpr DWORD DPRECEIVE_PEEK = 0x8;

// ---- Structures ---------------------------------------------------------------

struct DPNAME {
  DWORD dwSize;
  DWORD dwFlags;
  char* lpszShortNameA;
  char* lpszLongNameA;
};

// The game fills dwSize with DPSESSIONDESC2_SIZE.
constexpr DWORD DPSESSIONDESC2_SIZE = 80;
struct DPSESSIONDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  GUID guidInstance;
  GUID guidApplication;
  DWORD dwMaxPlayers;
  DWORD dwCurrentPlayers;
  char* lpszSessionNameA;
  char* lpszPasswordA;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwUser1;
  DWORD dwUser2;
  DWORD dwUser3;
  DWORD dwUser4;
};

struct DPCOMPOUNDADDRESSELEMENT {
  GUID guidDataType;
  DWORD dwDataSize;
  const void* lpData;
};

struct DPCOMPORTADDRESS {
  DWORD dwComPort;
  DWORD dwBaudRate;
  DWORD dwStopBits;
  DWORD dwParity;
  DWORD dwFlowControl;
};
constexpr DWORD DPCPA_NOFLOW = 0;
constexpr DWORD DPCPA_XONXOFFFLOW = 1;
constexpr DWORD DPCPA_RTSFLOW = 2;
constexpr DWORD DPCPA_DTRFLOW = 3;
constexpr DWORD DPCPA_RTSDTRFLOW = 4;

// System messages: received from DPID_SYSMSG; their name pointers point into
// the receiver's buffer.
constexpr DWORD DPSYS_CREATEPLAYERORGROUP = 0x0003;
constexpr DWORD DPSYS_DESTROYPLAYERORGROUP = 0x0005;
constexpr DWORD DPSYS_SESSIONLOST = 0x0031;
constexpr DWORD DPSYS_HOST = 0x0101;

struct DPMSG_GENERIC {
  DWORD dwType;
};

struct DPMSG_CREATEPLAYERORGROUP {
  DWORD dwType;
  DWORD dwPlayerType;
  DPID dpId;
  DWORD dwCurrentPlayers;
  void* lpData;
  DWORD dwDataSize;
  DPNAME dpnName;
  DPID dpIdParent;
  DWORD dwFlags;
};

struct DPMSG_DESTROYPLAYERORGROUP {
  DWORD dwType;
  DWORD dwPlayerType;
  DPID dpId;
  void* lpLocalData;
  DWORD dwLocalDataSize;
  void* lpRemoteData;
  DWORD dwRemoteDataSize;
  DPNAME dpnName;
  DPID dpIdParent;
  DWORD dwFlags;
};

using DPMSG_HOST = DPMSG_GENERIC;
using DPMSG_SESSIONLOST = DPMSG_GENERIC;

// Callbacks run inside the call that was given them.
using LPDPENUMCONNECTIONSCALLBACK = BOOL (*)(const GUID* serviceProvider, void* connection, DWORD connectionSize,
                                             const DPNAME* name, DWORD flags, void* context);
using LPDPENUMSESSIONSCALLBACK2 = BOOL (*)(const DPSESSIONDESC2* session, DWORD* timeOut, DWORD flags, void* context);
using LPDPENUMPLAYERSCALLBACK2 = BOOL (*)(DPID player, DWORD playerType, const DPNAME* name, DWORD flags,
                                          void* context);
using LPDPENUMADDRESSCALLBACK = BOOL (*)(REFGUID dataType, DWORD dataSize, const void* data, void* context);

// ---- Interfaces ----------------------------------------------------------------

struct IDirectPlayUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual DWORD AddRef() = 0;
  virtual DWORD Release() = 0;

 protected:
  ~IDirectPlayUnknown() = default;
};

struct IDirectPlay4A : IDirectPlayUnknown {
  // The connections installed, in a fixed order; `application` and `flags`
  // are not used.
  virtual HRESULT EnumConnections(const GUID* application, LPDPENUMCONNECTIONSCALLBACK callback, void* context,
                                  DWORD flags) = 0;
  // Chooses the connection from a compound address (see the lobby).
  virtual HRESULT InitializeConnection(const void* address, DWORD flags) = 0;
  // Lists the sessions of the application in `desc` that answer on the
  // connection's address ("" broadcasts on the local network; "host" or
  // "host:port" asks one machine). With DPENUMSESSIONS_ASYNC the listing
  // goes on across calls and each call reports what is known, sessions that
  // stopped answering dropped; with DPENUMSESSIONS_AVAILABLE sessions that
  // are full or refuse new players are left out.
  virtual HRESULT EnumSessions(DPSESSIONDESC2* desc, DWORD timeOut, LPDPENUMSESSIONSCALLBACK2 callback,
                               void* context, DWORD flags) = 0;
  virtual HRESULT Open(DPSESSIONDESC2* desc, DWORD flags) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT CreatePlayer(DPID* id, DPNAME* name, HANDLE event, void* data, DWORD dataSize, DWORD flags) = 0;
  virtual HRESULT DestroyPlayer(DPID id) = 0;
  // Without a session GUID: the players of the open session, in the order
  // they were learnt. With one and DPENUMPLAYERS_SESSION: the players that a
  // listed session reported.
  virtual HRESULT EnumPlayers(GUID* session, LPDPENUMPLAYERSCALLBACK2 callback, void* context, DWORD flags) = 0;
  virtual HRESULT GetPlayerName(DPID id, void* buffer, DWORD* size) = 0;
  virtual HRESULT SetPlayerName(DPID id, DPNAME* name, DWORD flags) = 0;
  virtual HRESULT GetPlayerAddress(DPID id, void* buffer, DWORD* size) = 0;
  virtual HRESULT GetMessageCount(DPID id, DWORD* count) = 0;
  virtual HRESULT Receive(DPID* from, DPID* to, DWORD flags, void* buffer, DWORD* size) = 0;
  // DPSEND_GUARANTEED: delivered once, in order with the sender's other
  // guaranteed messages to the same player; otherwise may be lost.
  virtual HRESULT Send(DPID from, DPID to, DWORD flags, void* data, DWORD size) = 0;
  virtual HRESULT SendEx(DPID from, DPID to, DWORD flags, void* data, DWORD size, DWORD priority, DWORD timeOut,
                         void* context, DWORD* messageId) = 0;
  // Host only.
  virtual HRESULT SetSessionDesc(DPSESSIONDESC2* desc, DWORD flags) = 0;

 protected:
  ~IDirectPlay4A() = default;
};
using IDirectPlay3A = IDirectPlay4A;
using IDirectPlay = IDirectPlay4A;

struct IDirectPlayLobby3A : IDirectPlayUnknown {
  // Two calls: with no buffer (or too small a one) DPERR_BUFFERTOOSMALL and
  // the size needed; then the address.
  virtual HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* elements, DWORD count, void* address,
                                        DWORD* size) = 0;
  virtual HRESULT EnumAddress(LPDPENUMADDRESSCALLBACK callback, const void* address, DWORD size, void* context) = 0;

 protected:
  ~IDirectPlayLobby3A() = default;
};

// CoCreateInstance (platform/win32/com.h) makes CLSID_DirectPlay with
// IID_IDirectPlay4A and CLSID_DirectPlayLobby with IID_IDirectPlayLobby3A.

// A DirectPlay object already bound to a provider; only TCP/IP exists.
HRESULT DirectPlayCreate(const GUID* serviceProvider, IDirectPlay** out, IDirectPlayUnknown* outer);
