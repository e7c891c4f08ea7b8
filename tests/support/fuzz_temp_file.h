// A temporary file for a fuzz target: one per process, reused for every
// input, removed at exit. The name gets a random part so that parallel runs
// never share a file.
#pragma once

#include <string>

namespace kelvtest {

class FuzzTempFile {
 public:
  // `stem` and `extension` as in "kelv-fuzz-tdb" and ".bbf".
  FuzzTempFile(const std::string& stem, const std::string& extension);
  ~FuzzTempFile();
  FuzzTempFile(const FuzzTempFile&) = delete;
  FuzzTempFile& operator=(const FuzzTempFile&) = delete;

  std::string path;
};

}  // namespace kelvtest
