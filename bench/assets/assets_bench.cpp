// Start-up cost of the assets: the whole default data set (the mesh and the
// eight pictures, uploaded to offscreen GL), and a mesh at the 16-bit index
// limit. Uses the repository's data/ when it is complete; otherwise a
// comparable set is generated in a scratch directory.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/file_bytes.h"
#include "assets/mesh.h"
#include "assets/picture_decode.h"
#include "assets/picture_texture.h"
#include "platform/script/platform_script.h"
#include "tools/datagen/mesh_writer.h"
#include "tests/support/files.h"
#include "tests/support/reference_picture.h"
#include "tests/support/test_pictures.h"

namespace {

const char* const mesh_path = "data/obj.b3df";
const char* const picture_paths[] = {"data/texture.jpg", "data/serce.jpg",   "data/ip.jpg",   "data/cover.jpg",
                                     "data/c.jpg",       "data/credits.jpg", "data/part.jpg", "data/env.jpg"};

bool file_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// A torus of rings x segments vertices with a seam-free parameterisation.
MeshData torus_mesh(int rings, int segments) {
  MeshData mesh;
  const double pi = std::acos(-1.0);
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      const double u = 2 * pi * i / rings;
      const double v = 2 * pi * j / segments;
      mesh.x.push_back(static_cast<float>((1.0 + 0.4 * std::cos(v)) * std::cos(u)));
      mesh.y.push_back(static_cast<float>((1.0 + 0.4 * std::cos(v)) * std::sin(u)));
      mesh.z.push_back(static_cast<float>(0.4 * std::sin(v)));
      mesh.s.push_back(static_cast<float>(i) / rings);
      mesh.t.push_back(static_cast<float>(j) / segments);
    }
  }
  auto index = [&](int i, int j) { return static_cast<uint16_t>((i % rings) * segments + (j % segments)); };
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      mesh.first.insert(mesh.first.end(), {index(i, j), index(i + 1, j + 1)});
      mesh.second.insert(mesh.second.end(), {index(i + 1, j), index(i, j + 1)});
      mesh.third.insert(mesh.third.end(), {index(i + 1, j + 1), index(i, j)});
    }
  }
  return mesh;
}

// Changes into a directory holding data/ with the default set, and says
// which one it is.
std::string find_or_make_data_set() {
  const std::string repository = ZARNIC_SOURCE_DIR;
  bool complete = file_exists(repository + "/" + mesh_path);
  for (const char* path : picture_paths) complete = complete && file_exists(repository + "/" + path);
  if (complete && chdir(repository.c_str()) == 0) return "repository data/";

  // Removed when the benchmark ends.
  static const TempFolder scratch("assets-bench");
  if (scratch.path().empty() || chdir(scratch.path().c_str()) != 0 || mkdir("data", 0755) != 0) {
    std::abort();
  }
  write_file(mesh_path, mesh_file_bytes(torus_mesh(64, 40)));
  const int sizes[8][2] = {{256, 256}, {640, 480}, {800, 600}, {800, 600},
                           {300, 200}, {800, 600}, {64, 64},   {256, 256}};
  for (int i = 0; i < 8; ++i) {
    write_file(picture_paths[i], make_photo_like_jpeg(sizes[i][0], sizes[i][1]));
  }
  return "generated set in " + scratch.path();
}

// The working directory stays where the first call put it.
const std::string& enter_data_set_directory() {
  static const std::string label = find_or_make_data_set();
  return label;
}

void BM_LoadDefaultDataSet(benchmark::State& state) {
  if (!platform::script::make_offscreen_gl(1024, 768)) {
    state.SkipWithError("no offscreen GL");
    return;
  }
  state.SetLabel(enter_data_set_directory());
  int64_t bytes = 0;
  std::vector<uint8_t> file;
  if (read_file_bytes(mesh_path, &file)) bytes += static_cast<int64_t>(file.size());
  for (const char* path : picture_paths) {
    if (read_file_bytes(path, &file)) bytes += static_cast<int64_t>(file.size());
  }

  for (auto _ : state) {
    Mesh* mesh = new Mesh(mesh_path);
    uint32_t textures[8] = {};
    int loaded = 0;
    for (int i = 0; i < 8; ++i) loaded += load_picture_texture(picture_paths[i], &textures[i]);
    glFinish();
    if (loaded != 8 || mesh->triangle_count == 0) state.SkipWithError("data set did not load");
    state.PauseTiming();
    glDeleteTextures(8, textures);
    delete mesh;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_LoadDefaultDataSet)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same pictures without GL: decoding and resampling alone, with the
// current resampler or the earlier one (stb_image_resize), side by side.
void decode_default_pictures(benchmark::State& state, bool earlier) {
  state.SetLabel(enter_data_set_directory());
  std::vector<std::vector<uint8_t>> jpegs;
  for (const char* path : picture_paths) {
    jpegs.emplace_back();
    read_file_bytes(path, &jpegs.back());
  }
  for (auto _ : state) {
    for (const auto& jpeg : jpegs) {
      PictureImage image;
      const bool ok =
          earlier ? reference_picture(jpeg, 16384, &image) : decode_picture(jpeg.data(), jpeg.size(), 16384, &image);
      if (!ok) state.SkipWithError("picture did not decode");
      benchmark::DoNotOptimize(image.rgba.data());
    }
  }
}

void BM_DecodeDefaultPictures(benchmark::State& state) { decode_default_pictures(state, false); }
BENCHMARK(BM_DecodeDefaultPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeDefaultPicturesEarlierResampler(benchmark::State& state) { decode_default_pictures(state, true); }
BENCHMARK(BM_DecodeDefaultPicturesEarlierResampler)->Unit(benchmark::kMillisecond)->UseRealTime();

// One picture at a time (first argument: its place in the loading order),
// with the current resampler (second argument 0) or the earlier one (1).
void BM_DecodeOnePicture(benchmark::State& state) {
  enter_data_set_directory();
  const char* path = picture_paths[state.range(0)];
  const bool earlier = state.range(1) != 0;
  state.SetLabel(std::string(path) + (earlier ? " earlier resampler" : ""));
  std::vector<uint8_t> jpeg;
  read_file_bytes(path, &jpeg);
  for (auto _ : state) {
    PictureImage image;
    const bool ok =
        earlier ? reference_picture(jpeg, 16384, &image) : decode_picture(jpeg.data(), jpeg.size(), 16384, &image);
    if (!ok) state.SkipWithError("picture did not decode");
    benchmark::DoNotOptimize(image.rgba.data());
  }
}
BENCHMARK(BM_DecodeOnePicture)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 65,535 vertices (a 255 x 257 torus) with 131,070 triangles: the largest
// mesh whose every vertex a 16-bit index can reach.
const std::vector<uint8_t>& largest_mesh_bytes() {
  static const std::vector<uint8_t> bytes = mesh_file_bytes(torus_mesh(255, 257));
  return bytes;
}

void BM_LoadLargestMeshFromMemory(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = largest_mesh_bytes();
  for (auto _ : state) {
    Mesh mesh;
    if (!mesh.load_bytes(bytes.data(), bytes.size()).ok || mesh.vertex_count != 65535) {
      state.SkipWithError("mesh did not load");
    }
    benchmark::DoNotOptimize(mesh.vertex_array.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadLargestMeshFromMemory)->Unit(benchmark::kMillisecond);

void BM_LoadLargestMeshFromFile(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = largest_mesh_bytes();
  const std::string path = temp_path("assets-bench-largest.b3df");
  write_file(path, bytes);
  for (auto _ : state) {
    Mesh mesh(path.c_str());
    if (mesh.vertex_count != 65535) state.SkipWithError("mesh did not load");
    benchmark::DoNotOptimize(mesh.vertex_array.data());
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadLargestMeshFromFile)->Unit(benchmark::kMillisecond);

}  // namespace
