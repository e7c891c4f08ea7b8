// The camera's start of a race: it needs the track, so it lives here rather
// than with the rest of the camera in the engine.
#include "engine/camera.h"
#include "world/track.h"

void Camera::Reset() {
  viewDirection = Vector3(0.0f, 0.0f, 0.0f);
  sectionHint = 10;
  triangleHint = 6;
  distanceRate = 0.0f;
  crashed = 0;
  groundHeight = 0.0f;
  snap = 0;
  if (track == nullptr || track->sectionCount == 0 || track->nodes.empty()) return;
  // On a course shorter than 11 sections node 10 is taken round the loop,
  // and triangle 6 of a smaller section is its last.
  const Vector3 centre = track->nodes[track->SectionIndex(10)].centre;
  TrackSurface s;
  track->GetSurface(&s, &centre, 10, 6, true);
  position = Vector3(centre.x, s.a * centre.x + s.b * centre.z + s.c + 5.0f, centre.z);
}
