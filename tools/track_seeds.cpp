// Seeds of the track fuzz target: whole track archives (a track file with
// its land pieces, height field and emitters), good and damaged.

#include "tools/bbf.h"
#include "tools/seeds.h"
#include "tools/track_course.h"

namespace kelvdata {

namespace {

Bytes Archive(const TrackSet& set) { return BuildBbf(TrackSetMembers(set)); }

}  // namespace

bool WriteTrackSeeds(const std::string& dir) {
  TrackSet sounds = StraightTrackSet(6);
  sounds.objects.emitters = {{0, "SOUNDS\\NONE.SFX", std::nullopt, {0x8000, 2}},
                             {1, "SOUNDS\\NONE.SFX", std::nullopt, {0x2000}},
                             {2, "SOUNDS\\NONE.SFX", std::nullopt, {0x4001, 4}},
                             {7, "SOUNDS\\NONE.SFX", std::nullopt, {0x4001}}};
  TrackSet tooManyPieces = StraightTrackSet(3);
  tooManyPieces.track.landPieceCount = 11;
  TrackSet meshPast = StraightTrackSet(3);
  meshPast.track.sections[1].pieces[0].mesh = 3;
  TrackSet notTriangles = StraightTrackSet(3);
  notTriangles.track.sections[0].mesh.indexCount = 47;
  TrackSet indexPast = StraightTrackSet(3);
  indexPast.track.sections[2].mesh.triangles[5].i1 = 48;
  TrackSet narrowField = StraightTrackSet(3);
  narrowField.field.width = 1;
  TrackSet shortField = StraightTrackSet(3);
  shortField.field.heights.resize(20);
  TrackSet unterminated = StraightTrackSet(3);
  unterminated.track.groundTexture.terminated = false;
  TrackSet noSections = StraightTrackSet(0);

  // The synthetic course, with real textures: the large case.
  const Bytes course = BuildBbf(CourseMembers());

  return WriteHostFiles(dir, {
                             {"course.bbf", course},
                             {"straight.bbf", Archive(StraightTrackSet(4))},
                             {"one_section.bbf", Archive(StraightTrackSet(1))},
                             {"sounds.bbf", Archive(sounds)},
                             {"too_many_pieces.bbf", Archive(tooManyPieces)},
                             {"mesh_past.bbf", Archive(meshPast)},
                             {"not_triangles.bbf", Archive(notTriangles)},
                             {"index_past.bbf", Archive(indexPast)},
                             {"narrow_field.bbf", Archive(narrowField)},
                             {"short_field.bbf", Archive(shortField)},
                             {"unterminated.bbf", Archive(unterminated)},
                             {"no_sections.bbf", Archive(noSections)},
                         });
}

}  // namespace kelvdata
