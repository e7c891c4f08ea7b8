#include "tests/support/fuzz_temp_file.h"

#include <filesystem>
#include <random>

namespace kelvtest {

FuzzTempFile::FuzzTempFile(const std::string& stem, const std::string& extension) {
  std::random_device rd;
  path = (std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(rd()) + extension)).string();
}

FuzzTempFile::~FuzzTempFile() {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace kelvtest
