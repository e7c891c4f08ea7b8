// The lobby object (compound addresses), the identifiers, and the creation
// of both objects.
#include <cstring>
#include <string>

#include "platform/dplay/address.h"
#include "platform/dplay/dplay_internal.h"

const GUID CLSID_DirectPlay = {0x6b1e0a11, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x11, 0x01}};
const GUID CLSID_DirectPlayLobby = {0x6b1e0a11, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x11, 0x02}};
const GUID IID_IDirectPlay3A = {0x6b1e0a11, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x12, 0x03}};
const GUID IID_IDirectPlay4A = {0x6b1e0a11, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x12, 0x04}};
const GUID IID_IDirectPlayLobby3A = {0x6b1e0a11, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x13, 0x03}};
const GUID DPSPGUID_IPX = {0x6b1e0a12, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x21, 0x01}};
const GUID DPSPGUID_TCPIP = {0x6b1e0a12, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x21, 0x02}};
const GUID DPSPGUID_MODEM = {0x6b1e0a12, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x21, 0x03}};
const GUID DPSPGUID_SERIAL = {0x6b1e0a12, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x21, 0x04}};
const GUID DPAID_ServiceProvider = {0x6b1e0a13, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x31, 0x01}};
const GUID DPAID_INet = {0x6b1e0a13, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x31, 0x02}};
const GUID DPAID_Modem = {0x6b1e0a13, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x31, 0x03}};
const GUID DPAID_Phone = {0x6b1e0a13, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x31, 0x04}};
const GUID DPAID_ComPort = {0x6b1e0a13, 0x4c2f, 0x4d1a, {0x9a, 0x10, 0x5e, 0x31, 0x70, 0x2b, 0x31, 0x05}};

namespace dplay {
namespace {

void PutU32(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class Lobby final : public IDirectPlayLobby3A {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return DPERR_INVALIDPARAMS;
    if (!IsEqualGUID(iid, IID_IDirectPlayLobby3A)) {
      *out = nullptr;
      return DPERR_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return DP_OK;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* elements, DWORD count, void* address,
                                DWORD* size) override {
    if (size == nullptr || (elements == nullptr && count != 0)) return DPERR_INVALIDPARAMS;
    for (DWORD i = 0; i < count; ++i) {
      if (elements[i].lpData == nullptr && elements[i].dwDataSize != 0) return DPERR_INVALIDPARAMS;
    }
    const std::vector<std::uint8_t> blob = EncodeAddress(elements, count);
    if (blob.size() > MAX_ADDRESS_SIZE) return DPERR_INVALIDPARAMS;
    const DWORD needed = static_cast<DWORD>(blob.size());
    if (address == nullptr || *size < needed) {
      *size = needed;
      return DPERR_BUFFERTOOSMALL;
    }
    std::memcpy(address, blob.data(), blob.size());
    *size = needed;
    return DP_OK;
  }

  HRESULT EnumAddress(LPDPENUMADDRESSCALLBACK callback, const void* address, DWORD size, void* context) override {
    if (callback == nullptr || address == nullptr || size == 0) return DPERR_INVALIDPARAMS;
    const bool ok = WalkAddress(address, size, [&](const GUID& type, std::uint32_t n, const std::uint8_t* data) {
      return callback(type, n, data, context) != FALSE;
    });
    return ok ? DP_OK : DPERR_INVALIDPARAMS;
  }

 private:
  DWORD refs_ = 1;
};

}  // namespace

std::vector<std::uint8_t> EncodeAddress(const DPCOMPOUNDADDRESSELEMENT* elements, DWORD count) {
  std::vector<std::uint8_t> out;
  PutU32(&out, 0);
  for (DWORD i = 0; i < count; ++i) {
    const GUID& g = elements[i].guidDataType;
    PutU32(&out, g.Data1);
    out.push_back(static_cast<std::uint8_t>(g.Data2));
    out.push_back(static_cast<std::uint8_t>(g.Data2 >> 8));
    out.push_back(static_cast<std::uint8_t>(g.Data3));
    out.push_back(static_cast<std::uint8_t>(g.Data3 >> 8));
    out.insert(out.end(), g.Data4, g.Data4 + 8);
    PutU32(&out, elements[i].dwDataSize);
    const auto* data = static_cast<const std::uint8_t*>(elements[i].lpData);
    if (elements[i].dwDataSize != 0) out.insert(out.end(), data, data + elements[i].dwDataSize);
  }
  const auto total = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(total >> (8 * i));
  return out;
}

bool WalkAddress(const void* address, std::uint32_t size,
                 const std::function<bool(const GUID&, std::uint32_t, const std::uint8_t*)>& visit) {
  if (address == nullptr) return false;
  const auto* p = static_cast<const std::uint8_t*>(address);
  if (size != 0 && size < 4) return false;
  const std::uint32_t total = GetU32(p);
  if (total < 4 || total > MAX_ADDRESS_SIZE || (size != 0 && total > size)) return false;
  std::uint32_t at = 4;
  while (at < total) {
    if (total - at < 20) return false;
    GUID g{};
    g.Data1 = GetU32(p + at);
    g.Data2 = static_cast<WORD>(p[at + 4] | (p[at + 5] << 8));
    g.Data3 = static_cast<WORD>(p[at + 6] | (p[at + 7] << 8));
    std::memcpy(g.Data4, p + at + 8, 8);
    const std::uint32_t n = GetU32(p + at + 16);
    at += 20;
    if (n > total - at) return false;
    if (!visit(g, n, p + at)) return true;
    at += n;
  }
  return true;
}

std::vector<std::uint8_t> TcpipAddress(const std::string& host) {
  DPCOMPOUNDADDRESSELEMENT e[2] = {{DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
                                   {DPAID_INet, static_cast<DWORD>(host.size() + 1), host.c_str()}};
  return EncodeAddress(e, 2);
}

std::string DottedIp(std::uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." + std::to_string((ip >> 8) & 255) +
         "." + std::to_string(ip & 255);
}

}  // namespace dplay

HRESULT dplay::CreateObject(REFCLSID clsid, void* outer, REFIID iid, void** out, bool* known) {
  *known = IsEqualGUID(clsid, CLSID_DirectPlay) || IsEqualGUID(clsid, CLSID_DirectPlayLobby);
  if (!*known) return DPERR_NOINTERFACE;
  if (out == nullptr) return DPERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer != nullptr) return DPERR_INVALIDPARAMS;
  if (IsEqualGUID(clsid, CLSID_DirectPlay)) {
    if (!IsEqualGUID(iid, IID_IDirectPlay4A) && !IsEqualGUID(iid, IID_IDirectPlay3A)) return DPERR_NOINTERFACE;
    *out = dplay::NewDirectPlay(false);
    return DP_OK;
  }
  if (IsEqualGUID(clsid, CLSID_DirectPlayLobby)) {
    if (!IsEqualGUID(iid, IID_IDirectPlayLobby3A)) return DPERR_NOINTERFACE;
    *out = static_cast<IDirectPlayLobby3A*>(new dplay::Lobby());
    return DP_OK;
  }
  return DPERR_NOINTERFACE;
}

HRESULT DirectPlayCreate(const GUID* serviceProvider, IDirectPlay** out, IDirectPlayUnknown* outer) {
  if (out == nullptr) return DPERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer != nullptr || serviceProvider == nullptr) return DPERR_INVALIDPARAMS;
  // Only TCP/IP exists on this platform.
  if (!IsEqualGUID(*serviceProvider, DPSPGUID_TCPIP)) return DPERR_UNAVAILABLE;
  *out = dplay::NewDirectPlay(true);
  return DP_OK;
}
