// A small mesh for the mesh file's writer, reader and drawing tests and the
// fuzz targets' seeds (programs that link the mesh writer).
#pragma once

#include "tools/datagen/mesh_writer.h"

// One triangle over three vertices, drawn 2, 0, 1, with trailing words that
// would not survive a round trip through float (a signalling NaN pattern).
inline MeshData one_triangle() {
  MeshData mesh;
  mesh.x = {1.0f, -2.5f, 0.0f};
  mesh.y = {0.5f, 3.0f, -1.0f};
  mesh.z = {-4.0f, 0.25f, 7.0f};
  mesh.first = {2};
  mesh.second = {0};
  mesh.third = {1};
  mesh.s = {0.0f, 1.0f, 0.5f};
  mesh.t = {0.125f, 0.75f, 1.0f};
  mesh.btx_word = 0x7F800001u;
  mesh.bcl_words[0] = 0xDEADBEEFu;
  mesh.bcl_words[1] = 0u;
  mesh.bcl_words[2] = 0xFFFFFFFFu;
  return mesh;
}
