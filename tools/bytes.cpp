#include "tools/bytes.h"

#include <filesystem>
#include <fstream>

namespace kelvdata {

bool WriteHostFile(const std::string& hostPath, const Bytes& bytes) {
  std::error_code ec;
  auto parent = std::filesystem::path(hostPath).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteHostFiles(const std::string& dir, const std::vector<NamedBytes>& files) {
  for (const NamedBytes& f : files) {
    if (!WriteHostFile((std::filesystem::path(dir) / f.name).string(), f.bytes)) return false;
  }
  return true;
}

}  // namespace kelvdata
