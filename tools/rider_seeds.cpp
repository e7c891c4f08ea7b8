#include "tools/object_samples.h"
#include "tools/rider_files.h"
#include "tools/seeds.h"

namespace kelvdata {

namespace {

RiderFileSpec SeedRider() {
  return SyntheticRider(RIDER_FUZZ_TEXTURE, RIDER_FUZZ_TEXTURE, RIDER_FUZZ_BANK);
}

}  // namespace

std::vector<BbfMember> RiderFuzzMembers(const Bytes& texture) {
  SoundBankSpec bank;
  bank.count = 33;  // no entries: every slot silent
  return {{"FUZZ.TEX", texture},
          {"FUZZ.BNK", BuildSoundBank(bank)},
          {"BONES.MTX", BuildJointFile(SyntheticJointRest())},
          {"SHADOW.PLR", BuildShadowFile(SeedRider())},
          {"_08REF.TEX", BuildReflectionTexture()}};
}

bool WriteRiderSeeds(const std::string& dir) {
  RiderFileSpec large = SeedRider();
  // Parts of a real bike's size: thousands of triangles.
  for (int i = 0; i < 7; ++i) large.nearParts[i] = SamplePlane(1.0f, 0.0f, 24, false);
  large.far = SamplePlane(1.0f, 0.0f, 16, false);
  RiderFileSpec threeParams = SeedRider();
  threeParams.nodes[0].groups[0] = {{{2, 1.0f}, {2, 0.0f}, {2, 0.0f}}, {0, 1, 0, 1, 1, 0, 1, 0}};
  RiderFileSpec parentPast = SeedRider();
  parentPast.nodes[4].parent = 10;
  RiderFileSpec fewNodes = SeedRider();
  fewNodes.nodes.resize(10);
  RiderFileSpec fewParts = SeedRider();
  fewParts.partCount = 6;
  RiderFileSpec poseIndex = SeedRider();
  poseIndex.nodes[2].groups[3].poses[1] = 7;
  RiderFileSpec bigGrid = SeedRider();
  bigGrid.nodes[0].groups[0].parameters = {{300, 1.0f}, {300, 0.0f}};
  Bytes truncated = BuildRiderFile(SeedRider());
  truncated.resize(truncated.size() - 30);
  return WriteHostFiles(dir, {
                                 {"rider.rdr", BuildRiderFile(SeedRider())},
                                 {"large.rdr", BuildRiderFile(large)},
                                 {"three_params.rdr", BuildRiderFile(threeParams)},
                                 {"parent_past.rdr", BuildRiderFile(parentPast)},
                                 {"few_nodes.rdr", BuildRiderFile(fewNodes)},
                                 {"few_parts.rdr", BuildRiderFile(fewParts)},
                                 {"pose_index.rdr", BuildRiderFile(poseIndex)},
                                 {"big_grid.rdr", BuildRiderFile(bigGrid)},
                                 {"truncated.rdr", truncated},
                                 // The shadow file: the rider file's first twelve fields.
                                 {"shadow.plr", BuildShadowFile(SeedRider())},
                             });
}

}  // namespace kelvdata
