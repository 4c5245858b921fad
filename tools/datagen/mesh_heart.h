// The demo's mesh: a heart, star-shaped about the origin so that a vertex's
// position is a fair stand-in for its normal (the demo lights and sphere-maps
// it with the position as the normal). Vertices lie at roughly unit distance
// from the origin, which keeps those sphere-map coordinates well inside the
// picture.
#pragma once

#include "tools/datagen/mesh_writer.h"

// A latitude/longitude grid over the heart: slices around the vertical axis,
// stacks from the top cleft to the bottom tip, seam and pole vertices
// duplicated so each carries its own (s, t).
MeshData make_heart_mesh(int slices, int stacks);
