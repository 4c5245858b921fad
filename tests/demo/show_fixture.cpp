#include "tests/demo/show_fixture.h"

#include <stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"

// The process-wide objects the scene works with.
Mesh* demo_mesh = nullptr;
Scene scene;

const TestPicture test_pictures[8] = {
    {"texture.jpg", 2, 40, 40, 200}, {"serce.jpg", 4, 200, 40, 40}, {"ip.jpg", 8, 40, 200, 40},
    {"cover.jpg", 16, 255, 0, 0},    {"c.jpg", 32, 0, 255, 0},      {"credits.jpg", 64, 0, 0, 255},
    {"part.jpg", 128, 255, 255, 0},  {"env.jpg", 256, 255, 0, 255},
};

bool make_test_data(const std::string& root, bool with_env) {
  if (root.empty()) return false;
  mkdir((root + "/data").c_str(), 0755);
  for (const TestPicture& picture : test_pictures) {
    if (!with_env && std::string(picture.file) == "env.jpg") continue;
    std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * test_picture_height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
      rgb[i] = picture.r;
      rgb[i + 1] = picture.g;
      rgb[i + 2] = picture.b;
    }
    const std::string path = root + "/data/" + picture.file;
    stbi_write_jpg(path.c_str(), picture.width, test_picture_height, 3, rgb.data(), 100);
  }
  // The scripted music only needs the file to open, as the real layer does.
  return write_file(root + "/data/orvu.mp3", {});
}

void fill_test_mesh(Mesh* mesh) {
  static const float corners[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  static const uint16_t faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                       {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
  mesh->vertex_count = 6;
  mesh->triangle_count = 8;
  for (const auto& c : corners) {
    mesh->pos_x.push_back(c[0]);
    mesh->pos_y.push_back(c[1]);
    mesh->pos_z.push_back(c[2]);
    mesh->tex_s.push_back(0.5f * (c[0] + 1));
    mesh->tex_t.push_back(0.5f * (c[1] + 1));
    mesh->vertex_array.insert(mesh->vertex_array.end(), c, c + 3);
  }
  for (const auto& f : faces) {
    mesh->corner_first.push_back(f[0]);
    mesh->corner_second.push_back(f[1]);
    mesh->corner_third.push_back(f[2]);
  }
}

void ShowTest::start(bool with_env) {
  data_root.emplace("scene");
  ASSERT_TRUE(make_test_data(data_root->path(), with_env));
  ASSERT_TRUE(data_root->enter());
  fill_test_mesh(&test_mesh);
  demo_mesh = &test_mesh;
  ASSERT_TRUE(show::open_offscreen_window());
  show::reset_show_state();
  show::start_show();
}

void ShowTest::TearDown() {
  ASSERT_EQ(chdir("/"), 0);
  data_root.reset();
}

void ShowTest::frame_at(double seconds, float bass, float frame_step) {
  scripted_music::set_position_seconds(seconds);
  scripted_music::set_bass(bass);
  show::draw_frame(frame_step);
}
