// Inside the DirectPlay layer: the compound address blob. A u32 total size,
// then elements of GUID data type (16 bytes), u32 data size and the data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/dplay/dplay.h"

namespace dplay {

// The largest address accepted.
constexpr std::uint32_t MAX_ADDRESS_SIZE = 65536;

std::vector<std::uint8_t> EncodeAddress(const DPCOMPOUNDADDRESSELEMENT* elements, DWORD count);
// Calls `visit` for each element until it returns false; false when the
// blob is damaged (`size` 0: trust the blob's own total, up to the limit).
bool WalkAddress(const void* address, std::uint32_t size,
                 const std::function<bool(const GUID&, std::uint32_t, const std::uint8_t*)>& visit);
// The address of a TCP/IP machine: provider and "host" or "host:port".
std::vector<std::uint8_t> TcpipAddress(const std::string& host);
// An IPv4 address as dotted text.
std::string DottedIp(std::uint32_t ip);

}  // namespace dplay
