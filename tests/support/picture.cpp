#include "tests/support/picture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kelvtest {

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

bool Fail(std::string* error, const std::string& reason) {
  if (error != nullptr) *error = reason;
  return false;
}

}  // namespace

bool ReadPng(const std::string& path, platform::Picture* out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Fail(error, "cannot open " + path);
  std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() < 8 || std::memcmp(b.data(), kSignature, 8) != 0) return Fail(error, "not a PNG");
  std::size_t at = 8;
  std::uint32_t width = 0, height = 0;
  bool header = false, end = false;
  std::vector<std::uint8_t> z;
  while (!end) {
    if (b.size() - at < 12) return Fail(error, "truncated chunk");
    std::uint32_t length = Get32(b, at);
    if (length > b.size() - at - 12) return Fail(error, "chunk longer than the file");
    std::string type(b.begin() + static_cast<std::ptrdiff_t>(at + 4), b.begin() + static_cast<std::ptrdiff_t>(at + 8));
    const std::uint8_t* data = b.data() + at + 8;
    if (Crc32(b.data() + at + 4, length + 4) != Get32(b, at + 8 + length)) return Fail(error, "bad CRC in " + type);
    if (type == "IHDR") {
      if (length != 13) return Fail(error, "bad header");
      std::vector<std::uint8_t> h(data, data + 13);
      width = Get32(h, 0);
      height = Get32(h, 4);
      if (h[8] != 8 || h[9] != 2 || h[10] != 0 || h[11] != 0 || h[12] != 0) return Fail(error, "not 8-bit RGB");
      if (width == 0 || height == 0 || width > 16384 || height > 16384) return Fail(error, "bad size");
      header = true;
    } else if (type == "IDAT") {
      z.insert(z.end(), data, data + length);
    } else if (type == "IEND") {
      end = true;
    }
    at += 12 + length;
  }
  if (!header) return Fail(error, "no header");
  // zlib: header, stored blocks, Adler-32.
  if (z.size() < 6 || (z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31 != 0) return Fail(error, "bad zlib header");
  std::vector<std::uint8_t> raw;
  std::size_t p = 2;
  bool last = false;
  while (!last) {
    if (z.size() - p < 5) return Fail(error, "truncated deflate block");
    last = (z[p] & 1) != 0;
    if ((z[p] >> 1) != 0) return Fail(error, "compressed deflate block (only stored blocks are read)");
    std::size_t n = z[p + 1] | (z[p + 2] << 8);
    std::size_t nn = z[p + 3] | (z[p + 4] << 8);
    if ((n ^ 0xFFFF) != nn) return Fail(error, "bad stored block length");
    p += 5;
    if (z.size() - p < n) return Fail(error, "stored block past the data");
    raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(p), z.begin() + static_cast<std::ptrdiff_t>(p + n));
    p += n;
  }
  if (z.size() - p < 4) return Fail(error, "no Adler-32");
  std::uint32_t a = 1, s = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    s = (s + a) % 65521;
  }
  if (((s << 16) | a) != Get32(z, p)) return Fail(error, "bad Adler-32");
  std::size_t rowBytes = std::size_t{width} * 3;
  if (raw.size() != (rowBytes + 1) * height) return Fail(error, "image data of the wrong size");
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->rgb.clear();
  out->rgb.reserve(rowBytes * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = raw.data() + y * (rowBytes + 1);
    if (row[0] != 0) return Fail(error, "filtered row (only unfiltered rows are read)");
    out->rgb.insert(out->rgb.end(), row + 1, row + 1 + rowBytes);
  }
  return true;
}

platform::Picture Crop(const platform::Picture& picture, int x, int y, int width, int height) {
  platform::Picture out;
  x = std::clamp(x, 0, picture.width);
  y = std::clamp(y, 0, picture.height);
  out.width = std::clamp(width, 0, picture.width - x);
  out.height = std::clamp(height, 0, picture.height - y);
  for (int r = 0; r < out.height; ++r) {
    auto from = picture.rgb.begin() + (static_cast<std::ptrdiff_t>(y + r) * picture.width + x) * 3;
    out.rgb.insert(out.rgb.end(), from, from + out.width * 3);
  }
  return out;
}

unsigned PixelAt(const platform::Picture& picture, int x, int y) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return 0xFFFFFFFFu;
  const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  return (unsigned{p[0]} << 16) | (unsigned{p[1]} << 8) | p[2];
}

::testing::AssertionResult PixelNear(const platform::Picture& picture, int x, int y, unsigned expected,
                                     int tolerance) {
  const unsigned actual = PixelAt(picture, x, y);
  char buffer[96];
  if (actual > 0xFFFFFFu) {
    std::snprintf(buffer, sizeof buffer, "(%d, %d) lies outside the %dx%d picture", x, y, picture.width,
                  picture.height);
    return ::testing::AssertionFailure() << buffer;
  }
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(d) > tolerance) {
      std::snprintf(buffer, sizeof buffer, "(%d, %d) is %06X, expected %06X within %d", x, y, actual, expected,
                    tolerance);
      return ::testing::AssertionFailure() << buffer;
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SamePicture(const platform::Picture& expected, const platform::Picture& actual,
                                       int tolerance, int outliers) {
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", expected "
                                         << expected.width << "x" << expected.height;
  }
  int worst = 0, differing = 0, firstX = -1, firstY = -1;
  for (std::size_t i = 0; i + 2 < actual.rgb.size(); i += 3) {
    int d = 0;
    for (std::size_t c = 0; c < 3; ++c) d = std::max(d, std::abs(int{expected.rgb[i + c]} - int{actual.rgb[i + c]}));
    worst = std::max(worst, d);
    if (d > tolerance && differing++ == 0) {
      firstX = static_cast<int>(i / 3 % static_cast<std::size_t>(actual.width));
      firstY = static_cast<int>(i / 3 / static_cast<std::size_t>(actual.width));
    }
  }
  if (differing <= outliers) return ::testing::AssertionSuccess();
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "%d pixels differ by more than %d (at most %d may; worst %d); first at (%d, %d): %06X, expected %06X",
                differing, tolerance, outliers, worst, firstX, firstY, PixelAt(actual, firstX, firstY),
                PixelAt(expected, firstX, firstY));
  return ::testing::AssertionFailure() << buffer;
}

bool PicturesMaySkip() {
  const char* ci = std::getenv("CI");
  if (ci != nullptr && *ci != '\0' && std::strcmp(ci, "0") != 0 && std::strcmp(ci, "false") != 0) return false;
  const char* skip = std::getenv("KELVARRO_SKIP_PICTURES");
  return skip != nullptr && std::strcmp(skip, "1") == 0;
}

::testing::AssertionResult MatchesReference(const platform::Picture& picture, const std::string& path) {
  const char* update = std::getenv("KELVARRO_UPDATE_REFERENCES");
  if (update != nullptr && std::string(update) == "1") {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    if (!platform::WritePng(path, picture)) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess() << "rewrote " << path;
  }
  std::string actualPath = std::filesystem::path(path).stem().string() + ".actual.png";
  platform::Picture reference;
  std::string error;
  if (!ReadPng(path, &reference, &error)) {
    platform::WritePng(actualPath, picture);
    return ::testing::AssertionFailure() << "reference " << path << ": " << error << " (picture left in "
                                         << actualPath << ")";
  }
  const int outliers = static_cast<int>(static_cast<long long>(picture.width) * picture.height *
                                       kReferenceOutliersPerMille / 1000);
  ::testing::AssertionResult same = SamePicture(reference, picture, kReferenceTolerance, outliers);
  if (!same) {
    platform::WritePng(actualPath, picture);
    return ::testing::AssertionFailure() << path << ": " << same.message() << " (picture left in " << actualPath
                                         << ")";
  }
  return same;
}

}  // namespace kelvtest
