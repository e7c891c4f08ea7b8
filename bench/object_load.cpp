// Object3D::LoadObject of a 10,000-triangle object file (four lit meshes of
// 2,500 triangles, welded and given normals) with a mesh animation and a UV
// animation, read from the UI archive on disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "engine/archive.h"
#include "engine/object3d.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"

namespace {

// A game root in a temporary folder with DATA\UI.BBF holding the object and
// its animations; the UI archive is opened on it.
class Root {
 public:
  Root() {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("kelv-bench-object-" + std::to_string(rd()));
    std::filesystem::create_directories(dir_ / "DATA");
    platform::UseTestMessageBoxes(true);

    kelvdata::PlainObjectFile f;
    f.texture = "NULL";
    for (int i = 0; i < 4; ++i) f.meshes.push_back(Grid(static_cast<float>(i)));
    f.hasMeshAnimation = 1;
    f.meshAnimation = "DATA\\UI\\BIG.ANM";
    f.hasUvAnimation = 1;
    f.uvAnimation = "DATA\\UI\\BIG.UVA";
    bytes_ = kelvdata::BuildPlainObjectFile(f);
    const std::string archive = (dir_ / "DATA" / "UI.BBF").string();
    kelvdata::WriteHostFile(archive, kelvdata::BuildBbf({{"BIG.ACT", bytes_},
                                                         {"BIG.ANM", kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(4, 32))},
                                                         {"BIG.UVA", kelvdata::BuildUvAnimationFile(kelvdata::SampleScroll(4))}}));
    g_UiArchive.Open(archive.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  }
  ~Root() {
    g_UiArchive.Close();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::size_t Size() const { return bytes_.size(); }

 private:
  // 50 x 25 quads: 2,500 triangles, 1,326 positions once welded.
  static kelvdata::LitMeshRecord Grid(float z) {
    std::vector<kelvdata::LitMeshVertex> vertices;
    const int columns = 50, rows = 25;
    const auto corner = [&](int c, int r) {
      return kelvdata::LitMeshVertex{static_cast<float>(c) * 0.1f, static_cast<float>(-r) * 0.1f, z, 1, 1, 1, 1,
                                     static_cast<float>(c) / columns, static_cast<float>(r) / rows};
    };
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        for (const auto& v : kelvdata::FileTriangle(corner(c, r), corner(c + 1, r), corner(c, r + 1))) vertices.push_back(v);
        for (const auto& v : kelvdata::FileTriangle(corner(c + 1, r), corner(c + 1, r + 1), corner(c, r + 1)))
          vertices.push_back(v);
      }
    }
    return kelvdata::MakeLitMesh(vertices, true);
  }

  std::filesystem::path dir_;
  kelvdata::Bytes bytes_;
};

void BM_LoadObject(benchmark::State& state) {
  Root root;
  std::size_t triangles = 0;
  for (auto _ : state) {
    Object3D o;
    if (!o.LoadObject("DATA\\UI\\BIG.ACT", true)) {
      state.SkipWithError("the object did not load");
      break;
    }
    triangles = 0;
    for (const LitMesh& m : o.meshes) triangles += m.indexCount / 3;
    benchmark::DoNotOptimize(o.meshes.data());
  }
  state.counters["triangles"] = static_cast<double>(triangles);
  state.counters["file_bytes"] = static_cast<double>(root.Size());
}
BENCHMARK(BM_LoadObject)->Unit(benchmark::kMillisecond);

}  // namespace
