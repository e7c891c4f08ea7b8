// Our own minimal PNG writer: 8-bit RGB, no filtering, the image data in
// stored (uncompressed) deflate blocks. Enough for screenshots and the
// reference pictures of the tests; any PNG reader takes it.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/glide/glide.h"

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> kTable = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void Put32(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>* out, const char* type, const std::vector<std::uint8_t>& data) {
  Put32(out, static_cast<std::uint32_t>(data.size()));
  std::size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  Put32(out, Crc32(out->data() + start, out->size() - start));
}

}  // namespace

namespace platform {

bool WritePng(const std::string& path, const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) {
    return false;
  }
  // Rows, each after its filter byte (0: none).
  std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    auto row = picture.rgb.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }
  // zlib stream of stored blocks, with the Adler-32 of the raw data.
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::size_t pos = 0;
  do {
    std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    auto from = raw.begin() + static_cast<std::ptrdiff_t>(pos);
    z.insert(z.end(), from, from + static_cast<std::ptrdiff_t>(n));
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  Put32(&z, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Put32(&header, static_cast<std::uint32_t>(picture.width));
  Put32(&header, static_cast<std::uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
  Chunk(&png, "IHDR", header);
  Chunk(&png, "IDAT", z);
  Chunk(&png, "IEND", {});

  // Written beside the target and renamed, so a failed write leaves no
  // half-written picture.
  std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!file.flush()) {
      file.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
