// Ready-made 3D content for tests, seeds, benchmarks and the synthetic data
// set: a box, a textured plane, a spinning mesh animation and a scrolling UV
// animation, built with the object-file writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/object_files.h"

namespace kelvdata {

// Files the object-file fuzz target keeps beside its input in the UI archive.
inline constexpr const char* FUZZ_TEXTURE = "DATA\\UI\\FUZZ.TEX";
inline constexpr const char* FUZZ_MESH_ANIMATION = "DATA\\UI\\FUZZ.ANM";
inline constexpr const char* FUZZ_UV_ANIMATION = "DATA\\UI\\FUZZ.UVA";

// The three vertex records of one triangle with corners c0, c1, c2 as a
// file stores them. Seen from the front, the corners run so that
// (c1 - c0) x (c2 - c0) points at the viewer. The loader keeps each corner's
// position but exchanges the first and last vertex record's colour and
// texture coordinates, so the file holds c0's attributes in the third record
// and c2's in the first.
std::vector<LitMeshVertex> FileTriangle(const LitMeshVertex& c0, const LitMeshVertex& c1, const LitMeshVertex& c2);

// A cube of half size `half` around (cx, cy, cz), faces outward, each face
// one colour (-x red, +x green, -y blue, +y yellow, -z white, +z magenta)
// with texture coordinates 0..1 across it.
LitMeshRecord SampleBox(float half, float cx, float cy, float cz, bool withBox);

// A square of half size `half` in the plane z = `z`, facing -z, white,
// texture coordinates (0, 0) at the top left to (1, 1) at the bottom right,
// cut into `cells` x `cells` quads.
LitMeshRecord SamplePlane(float half, float z, int cells, bool withBox);

// `nodes` nodes; sequence 0 (loops, 1 s) turns a full circle about y in
// `keys` keys, sequence 1 (loops, 0.5 s) bobs up and down in 4 keys,
// sequence 2 (once, 0.5 s) rises by 1 in 2 keys.
MeshAnimationFile SampleSpin(int nodes, int keys);

// `meshes` meshes scrolling u by 0, 0.25, 0.5, 0.75 over 1 s (one looping
// sequence).
UvAnimationFile SampleScroll(int meshes);

// A skinned object of two nodes (a root and its child), each owning half of
// a box's vertices; the root has three pose groups of 1, 2 and 0 parameters,
// the child one group of one parameter; every pose is a translation.
SkinnedObjectFile SampleSkinned(const std::string& texture);

// A 64 x 64 texture file of 8 x 8 checks in two colours.
Bytes SampleCheckerTexture();

// Members of the synthetic data set for the UI archive: BOX.ACT (a box of
// coloured faces, untextured), PLANE.ACT (a plane with the checker texture
// OBJPLANE.TEX), SPIN.ACT (a box and a plane turned by SPIN.ANM, the plane's
// texture scrolled by SCROLL.UVA; the plane starts behind the box, seen from
// -z). The objects are modelled around the origin.
std::vector<BbfMember> DataSetObjectMembers();

}  // namespace kelvdata
