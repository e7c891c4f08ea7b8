// Shared by the world's own files only.
#pragma once

#include <cstdint>

#include "engine/geometry_pipeline.h"
#include "engine/maths.h"

// The vertex-colour quad draw of the section markers and the tyre marks: no
// texture, alpha test off, identity object matrix.
void DrawVertexColourQuad(const Vector3* corners, const VertexAttribute* attributes, const std::uint16_t* indices,
                          ScreenVertex** output, std::uint16_t* emitted);

// "Error loading track.\nPlease reinstall Kelvarro." in the error box.
void ReportTrackError();
