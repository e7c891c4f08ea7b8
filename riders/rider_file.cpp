#include "riders/rider_file.h"

#include <new>

#include "engine/data_reader.h"
#include "engine/scene_object.h"
#include "engine/system.h"

namespace {

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

}  // namespace

bool LoadRiderMesh(LitMesh* mesh, DataReader* r, bool lit, const char* error) {
  const unsigned shown = ShownMessageBoxCount();
  if (mesh->Load(r->stream(), lit, false)) return true;
  if (ShownMessageBoxCount() == shown) Report(error);
  return false;
}

bool ReadRiderMeshes(SceneObject* o, DataReader* r, const RiderFileMeshes& out, const char* error) {
  o->skinned = 1;
  std::uint16_t n = 0;
  if (!r->U16(&n) || n < RIDER_MIN_NODES || n > SKELETON_MAX_NODES) {
    Report(error);
    return false;
  }
  bool ok = o->ReadNodeTables(r, n);
  std::uint16_t roots = 0;
  for (std::uint32_t p : o->parents) roots = static_cast<std::uint16_t>(roots + (p == NODE_ROOT));
  o->localMatrices.assign(roots, g_IdentityMatrix);
  o->nodeWorld.assign(n, g_IdentityMatrix);
  if (!ok) {
    Report(error);
    return false;
  }

  auto prepare = [&](LitMesh* mesh) {
    mesh->sScale = out.sScale;
    mesh->tScale = out.tScale;
  };
  LitMesh* body = out.body;
  prepare(body);
  body->partCount = n;
  body->partSizes = o->nodeVertexCounts;
  body->skinned = 1;
  if (!LoadRiderMesh(body, r, out.lit, error)) return false;

  o->poseMatrices.resize(n);
  for (std::uint16_t node = 0; ok && node < n; ++node) {
    std::uint16_t k = 0;
    ok = r->U16(&k) && k * 64ull <= r->Remaining();
    if (!ok) break;
    o->poseMatrices[node].resize(k);
    for (Matrix4& m : o->poseMatrices[node]) ok = ok && r->Matrix(&m);
  }
  o->nodeCount = n;
  // Parents at or past the root count, cycles and pose numbers past a node's
  // poses are refused here, before anything steps the tables.
  if (!ok || !o->NodeTablesValid()) {
    Report(error);
    return false;
  }

  std::uint16_t p = 0;
  // Each part costs at least its u16 and a mesh header, twice.
  if (!r->U16(&p) || p < RIDER_MIN_PARTS || p * 10ull > r->Remaining()) {
    Report(error);
    return false;
  }
  std::unique_ptr<LitMesh[]> nearParts(new (std::nothrow) LitMesh[p]);
  std::unique_ptr<LitMesh[]> middleParts(new (std::nothrow) LitMesh[p]);
  std::unique_ptr<LitMesh> farMesh(new (std::nothrow) LitMesh);
  if (!nearParts || !middleParts || !farMesh) return false;
  for (LitMesh* parts : {nearParts.get(), middleParts.get()}) {
    for (std::uint16_t i = 0; i < p; ++i) {
      std::uint16_t unused = 0;
      if (!r->U16(&unused)) {
        Report(error);
        return false;
      }
      prepare(&parts[i]);
      if (!LoadRiderMesh(&parts[i], r, out.lit, error)) return false;
    }
    // The shadow reads the near parts only to pass them.
    if (parts == nearParts.get() && !out.nearParts) nearParts.reset();
  }
  prepare(farMesh.get());
  if (!LoadRiderMesh(farMesh.get(), r, out.lit, error)) return false;
  if (out.nearParts) *out.nearParts = std::move(nearParts);
  *out.middleParts = std::move(middleParts);
  *out.farMesh = std::move(farMesh);
  *out.partCount = p;
  return true;
}
