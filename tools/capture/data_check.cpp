#include "tools/capture/data_check.h"

#include "demo/scene.h"

namespace capture {

std::vector<std::string> missing_data() {
  struct Picture {
    const char* path;
    uint32_t texture;
  };
  // The pictures in the order Scene::init loads them.
  const Picture pictures[] = {
      {"data/texture.jpg", sphere_texture}, {"data/serce.jpg", mesh_texture}, {"data/ip.jpg", backdrop_texture},
      {"data/cover.jpg", cover_texture},    {"data/c.jpg", pulse_texture},    {"data/credits.jpg", credits_texture},
      {"data/part.jpg", particle_texture},  {"data/env.jpg", env_texture},
  };
  std::vector<std::string> missing;
  if (demo_mesh == nullptr || demo_mesh->triangle_count == 0) {
    missing.push_back("data/obj.b3df is missing or broken: the mesh is left out");
  }
  for (const Picture& picture : pictures) {
    if (picture.texture == 0) {
      missing.push_back(std::string(picture.path) + " is missing or broken: drawn untextured");
    }
  }
  if (music_stream == 0) {
    missing.push_back("data/orvu.mp3 is missing or broken: silent, and the show stays in its intro");
  }
  return missing;
}

}  // namespace capture
