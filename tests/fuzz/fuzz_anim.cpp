// Fuzz target for the animation readers: any bytes as a member of the UI
// archive, loaded as a mesh animation and as a UV animation, then played
// through every sequence both ways. A load either keeps tables that agree
// with themselves and the file's size, or fails with one error box and
// keeps nothing; playing never leaves the key table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/animation.h"
#include "engine/archive.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-anim", ".bbf") { platform::UseTestMessageBoxes(true); }
};

void CheckTables(const Animation& a, std::size_t keyBytes, std::size_t keys, std::size_t size) {
  Check(a.loaded == 1);
  Check(a.sequenceKeys.size() == a.sequenceCount && a.sequenceDurations.size() == a.sequenceCount &&
        a.sequenceLoops.size() == a.sequenceCount);
  std::uint32_t sum = 0;
  for (std::uint16_t k : a.sequenceKeys) sum += k;
  Check(sum == a.keyCount);
  Check(keys == static_cast<std::size_t>(a.nodeCount) * a.keyCount);
  Check(keys * keyBytes <= size);
}

void Play(Animation* a, bool meshKeys) {
  AnimationPlayer player;
  player.animation = a;
  for (std::uint16_t s = 0; s <= a->sequenceCount; ++s) {
    for (std::uint8_t backward : {0, 1}) {
      player.backward = backward;
      player.SelectSequence(s);
      for (std::uint32_t ms : {0u, 1u, 17u, 999u, 70000u}) {
        player.speed = static_cast<std::uint16_t>(ms % 7 == 0 ? 100 : 300);
        const std::uint16_t key = player.Advance(ms);
        Check(a->keyCount == 0 || key < a->keyCount);
        if (meshKeys && a->nodeCount > 0) {
          Matrix4 m;
          player.GetKeyMatrix(&m, 0);
          for (float e : m.m) Check(!std::isnan(e));
          player.GetKeyMatrix(&m, a->nodeCount);
          Check(m.m[0] == 1.0f && m.m[12] == 0.0f);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  // A member after the input, so that a read past its end would find bytes.
  kelvdata::Bytes archive =
      kelvdata::BuildBbf({{"FUZZ.ANM", kelvdata::Bytes(data, data + size)}, {"NEXT.BIN", kelvdata::Bytes(4096, 1)}});
  if (!kelvdata::WriteHostFile(temp.path, archive)) return 0;
  Check(g_UiArchive.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));

  {
    MeshAnimation mesh;
    if (mesh.Load("DATA\\UI\\FUZZ.ANM")) {
      Check(platform::RecordedMessageBoxes().empty());
      CheckTables(mesh, 64, mesh.keys.size(), size);
      Play(&mesh, true);
    } else {
      Check(platform::RecordedMessageBoxes().size() == 1 && mesh.loaded == 0 && mesh.keys.empty());
    }
    platform::ClearRecordedMessageBoxes();
  }
  {
    UvAnimation uv;
    uv.sScale = 256.0f;
    uv.tScale = 64.0f;
    if (uv.Load("DATA\\UI\\FUZZ.ANM")) {
      Check(platform::RecordedMessageBoxes().empty());
      CheckTables(uv, 8, uv.keys.size(), size);
      for (const UvKey& k : uv.keys) Check(std::isfinite(k.u) && std::isfinite(k.v));
      Play(&uv, false);
    } else {
      Check(platform::RecordedMessageBoxes().size() == 1 && uv.loaded == 0 && uv.keys.empty());
    }
    platform::ClearRecordedMessageBoxes();
  }
  g_UiArchive.Close();
  return 0;
}
