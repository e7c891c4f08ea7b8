// Seeds of the object-file and animation fuzz targets.

#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

PlainObjectFile BoxObject(const char* texture) {
  PlainObjectFile f;
  f.texture = texture;
  f.meshes = {SampleBox(1.0f, 0.0f, 0.0f, 4.0f, true)};
  return f;
}

}  // namespace

bool WriteActSeeds(const std::string& dir) {
  PlainObjectFile animated = BoxObject(FUZZ_TEXTURE);
  animated.meshes.push_back(SamplePlane(1.0f, 6.0f, 2, true));
  animated.hasMeshAnimation = 1;
  animated.hasUvAnimation = 1;
  animated.meshAnimation = FUZZ_MESH_ANIMATION;
  animated.uvAnimation = FUZZ_UV_ANIMATION;

  PlainObjectFile additive = BoxObject("NULL");
  additive.additive = 1;

  PlainObjectFile badIndex = BoxObject("NULL");
  badIndex.meshes[0].indices[5] = 36;
  PlainObjectFile notTriangles = BoxObject("NULL");
  notTriangles.meshes[0] = MakeLitMesh(std::vector<LitMeshVertex>(4, LitMeshVertex{}), true);
  PlainObjectFile longName = BoxObject("NULL");
  longName.texture = ActString(std::string(300, 'A'));
  PlainObjectFile unterminated = BoxObject("NULL");
  unterminated.texture.terminated = false;
  PlainObjectFile moreMeshes = BoxObject("NULL");
  moreMeshes.meshCount = 3;

  SkinnedObjectFile skinned = SampleSkinned(FUZZ_TEXTURE);
  SkinnedObjectFile partsOff = SampleSkinned("NULL");
  partsOff.nodes[1].vertexCount = 12;
  SkinnedObjectFile cycle = SampleSkinned("NULL");
  cycle.nodes[0].parent = 1;

  // A model of a real one's size: thousands of triangles.
  PlainObjectFile large = BoxObject(FUZZ_TEXTURE);
  large.meshes.push_back(SamplePlane(4.0f, 6.0f, 48, true));
  large.meshes.push_back(SamplePlane(2.0f, 3.0f, 24, false));

  return WriteHostFiles(dir, {
                             {"large.act", BuildPlainObjectFile(large)},
                             {"box.act", BuildPlainObjectFile(BoxObject("NULL"))},
                             {"animated.act", BuildPlainObjectFile(animated)},
                             {"additive.act", BuildPlainObjectFile(additive)},
                             {"empty.act", BuildPlainObjectFile(PlainObjectFile{})},
                             {"skinned.act", BuildSkinnedObjectFile(skinned)},
                             {"bad_index.act", BuildPlainObjectFile(badIndex)},
                             {"not_triangles.act", BuildPlainObjectFile(notTriangles)},
                             {"long_name.act", BuildPlainObjectFile(longName)},
                             {"unterminated.act", BuildPlainObjectFile(unterminated)},
                             {"more_meshes.act", BuildPlainObjectFile(moreMeshes)},
                             {"parts_off.act", BuildSkinnedObjectFile(partsOff)},
                             {"cycle.act", BuildSkinnedObjectFile(cycle)},
                         });
}

bool WriteAnimSeeds(const std::string& dir) {
  MeshAnimationFile keysOff = SampleSpin(1, 4);
  keysOff.keyCount = 9;
  MeshAnimationFile holds = SampleSpin(2, 4);
  holds.sequences[1].durationMs = 0;
  holds.sequences.push_back({0, 300, 1});
  Bytes truncated = BuildMeshAnimationFile(SampleSpin(2, 3));
  truncated.resize(truncated.size() - 10);
  return WriteHostFiles(dir, {
                             {"spin.anm", BuildMeshAnimationFile(SampleSpin(2, 8))},
                             {"long.anm", BuildMeshAnimationFile(SampleSpin(16, 300))},
                             {"scroll.uva", BuildUvAnimationFile(SampleScroll(3))},
                             {"keys_off.anm", BuildMeshAnimationFile(keysOff)},
                             {"holds.anm", BuildMeshAnimationFile(holds)},
                             {"truncated.anm", truncated},
                         });
}

}  // namespace kelvdata
