#include "tools/datagen/dataset.h"

#include <cstdio>

#include "tools/datagen/jpeg_writer.h"
#include "tools/datagen/mesh_heart.h"
#include "tools/datagen/mp3_writer.h"
#include "tools/datagen/pictures.h"
#include "tools/datagen/song.h"

namespace {

constexpr int heart_slices = 64;
constexpr int heart_stacks = 48;

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

std::vector<DataFile> make_dataset() {
  std::vector<DataFile> files;
  files.push_back({"obj.b3df", encode_mesh(make_heart_mesh(heart_slices, heart_stacks))});
  files.push_back({"texture.jpg", encode_jpeg(paint_sphere_texture())});
  files.push_back({"serce.jpg", encode_jpeg(paint_heart_sphere_map())});
  files.push_back({"ip.jpg", encode_jpeg(paint_backdrop())});
  files.push_back({"cover.jpg", encode_jpeg(paint_cover())});
  files.push_back({"c.jpg", encode_jpeg(paint_emblem())});
  files.push_back({"credits.jpg", encode_jpeg(paint_credits())});
  files.push_back({"part.jpg", encode_jpeg(paint_particle())});
  files.push_back({"env.jpg", encode_jpeg(paint_env_map())});
  files.push_back({"orvu.mp3", encode_mp3(render_song())});
  return files;
}

bool write_dataset(const std::string& directory) {
  if (!fonts_available()) {
    std::fprintf(stderr, "zarnic_datagen: the DejaVu fonts are missing (%s)\n", ZARNIC_DATAGEN_FONT_DIR);
    return false;
  }
  for (const DataFile& file : make_dataset()) {
    const std::string path = directory + "/" + file.name;
    if (file.bytes.empty()) {
      std::fprintf(stderr, "zarnic_datagen: could not make %s\n", file.name);
      return false;
    }
    if (!write_file(path, file.bytes)) {
      std::fprintf(stderr, "zarnic_datagen: could not write %s\n", path.c_str());
      return false;
    }
    std::printf("%-12s %8zu bytes\n", file.name, file.bytes.size());
  }
  return true;
}
