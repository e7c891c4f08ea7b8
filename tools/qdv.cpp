#include "tools/qdv.h"

namespace kelvdata {

namespace {

constexpr std::size_t kMaxName = 256 - 1;  // the length field counts the NUL

}  // namespace

Bytes BuildQdv(const std::vector<QdvEntry>& entries) {
  ByteWriter w;
  w.U32(static_cast<std::uint32_t>(entries.size()));
  for (const QdvEntry& e : entries) {
    const std::size_t n = e.name.size() < kMaxName ? e.name.size() : kMaxName;
    w.U32(e.kind);
    w.U32(static_cast<std::uint32_t>(n + 1));
    w.Raw(e.name.data(), n);
    w.U8(0);
    w.U8(e.flag);
  }
  return w.Take();
}

Bytes BuildQdvRaw(std::uint32_t count, const std::vector<QdvRecord>& records) {
  ByteWriter w;
  w.U32(count);
  for (const QdvRecord& r : records) {
    w.U32(r.kind);
    w.U32(r.length);
    w.Raw(r.name);
    w.U8(r.flag);
  }
  return w.Take();
}

}  // namespace kelvdata
