// Scene start-up: the pictures and the capture texture in their order, the
// filter that lands on the last picture loaded, sphere-map generation, the
// quadric, and the music opened and started.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <vector>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tests/demo/show_fixture.h"

namespace {

uint32_t* const picture_names[8] = {&sphere_texture, &mesh_texture,    &backdrop_texture, &cover_texture,
                                    &pulse_texture,  &credits_texture, &particle_texture, &env_texture};

GLint texture_parameter(uint32_t name, GLenum parameter) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
  return value;
}

GLint texture_width(uint32_t name) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  return width;
}

TEST(SceneConstruction, StartsWithItsInitialValues) {
  // The globals before anything ran (this test runs first in the file).
  EXPECT_EQ(intro_z, -10.0f);
  EXPECT_EQ(sphere_spin, 0.0f);
  EXPECT_EQ(mesh_spin, 0.0f);
  EXPECT_EQ(mesh_z, -5.0f);
  EXPECT_EQ(fade_alpha, 1.0f);
  EXPECT_EQ(credits_alpha, 0.0f);
  EXPECT_EQ(slide_x, -13.0f);
  EXPECT_EQ(scene.music_seconds, 0.0f);
  EXPECT_EQ(capture_texture, 0u);
  for (float bin : fft_bins) EXPECT_EQ(bin, 0.0f);
}

class SceneInitTest : public ShowTest {
 protected:
  void SetUp() override {}
};

TEST_F(SceneInitTest, CreatesThePicturesInTableOrderThenTheCaptureTexture) {
  start(true);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), capture_texture) << "the capture texture is left bound";

  for (int i = 0; i < 8; ++i) {
    const uint32_t name = *picture_names[i];
    ASSERT_NE(name, 0u) << test_pictures[i].file;
    if (i > 0) {
      EXPECT_EQ(name, *picture_names[i - 1] + 1) << test_pictures[i].file;
    }
    EXPECT_EQ(texture_width(name), test_pictures[i].width) << test_pictures[i].file;
  }
  EXPECT_EQ(capture_texture, env_texture + 1);
  EXPECT_EQ(texture_width(capture_texture), 512);
}

struct FilterCase {
  bool with_env;
  uint32_t* nearest;  // the texture that gets nearest filtering
};

TEST_F(SceneInitTest, NearestFilteringLandsOnTheLastPictureThatLoaded) {
  for (const FilterCase c : {FilterCase{true, &env_texture}, FilterCase{false, &particle_texture}}) {
    start(c.with_env);
    if (!c.with_env) {
      EXPECT_EQ(env_texture, 0u);
      EXPECT_EQ(capture_texture, particle_texture + 1);
    }
    for (uint32_t* name : picture_names) {
      if (*name == 0) continue;
      const GLint expected = name == c.nearest ? GL_NEAREST : GL_LINEAR;
      EXPECT_EQ(texture_parameter(*name, GL_TEXTURE_MAG_FILTER), expected);
      EXPECT_EQ(texture_parameter(*name, GL_TEXTURE_MIN_FILTER), expected);
    }
    EXPECT_EQ(texture_parameter(capture_texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    TearDown();
  }
}

TEST_F(SceneInitTest, LeavesSphereMapConfiguredButOffAndStartsTheMusicLooping) {
  start(true);
  GLint mode = 0;
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_NE(sphere_quadric, nullptr);

  const scripted_music::CallLog& log = scripted_music::calls();
  EXPECT_EQ(log.create_calls, 1);
  EXPECT_STREQ(log.created_file, "data/orvu.mp3");
  EXPECT_EQ(log.create_mem, 0);
  EXPECT_EQ(log.create_offset, 0u);
  EXPECT_EQ(log.create_length, 0u);
  EXPECT_EQ(log.create_flags, 0u);
  EXPECT_EQ(log.play_calls, 1);
  EXPECT_EQ(log.played_handle, music_stream);
  EXPECT_EQ(log.play_flags, static_cast<DWORD>(BASS_SAMPLE_LOOP));
  EXPECT_EQ(music_stream, scripted_music::stream_handle);

  // Every particle starts alive and rising, still at the origin.
  for (const Particle& p : scene_fountain.particles) {
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_EQ(p.velocity.y, 0.02f);
    EXPECT_EQ(p.position.x, 0.0f);
  }
}

// What Scene::init left in each picture's texture: its name, filters and
// texels.
struct PictureTextures {
  uint32_t names[8] = {};
  GLint mag_filters[8] = {};
  std::vector<uint8_t> texels[8];
};

PictureTextures picture_textures() {
  PictureTextures result;
  for (int i = 0; i < 8; ++i) {
    result.names[i] = *picture_names[i];
    if (result.names[i] == 0) continue;
    result.mag_filters[i] = texture_parameter(result.names[i], GL_TEXTURE_MAG_FILTER);
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    result.texels[i].resize(static_cast<size_t>(texture_width(result.names[i])) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, result.texels[i].data());
  }
  return result;
}

TEST_F(SceneInitTest, PicturesDecodedAheadGiveTheSameTexturesInTheSameOrder) {
  for (const bool with_env : {true, false}) {
    SCOPED_TRACE(with_env ? "all pictures" : "env.jpg missing");
    start(with_env);
    const PictureTextures on_the_spot = picture_textures();
    TearDown();

    // As the demo's main does it: the prefetch starts from the data folder
    // before the window (here the offscreen context) exists.
    data_root.emplace("scene");
    ASSERT_TRUE(make_test_data(data_root->path(), with_env));
    ASSERT_TRUE(data_root->enter());
    prefetch_scene_pictures();
    fill_test_mesh(&test_mesh);
    demo_mesh = &test_mesh;
    ASSERT_TRUE(show::open_offscreen_window());
    show::reset_show_state();
    show::start_show();
    const PictureTextures prefetched = picture_textures();
    TearDown();

    for (int i = 0; i < 8; ++i) {
      SCOPED_TRACE(test_pictures[i].file);
      // The context lives on between starts, so names count on; their order
      // and gaps must match.
      ASSERT_EQ(prefetched.names[i] == 0, on_the_spot.names[i] == 0);
      if (prefetched.names[i] != 0) {
        EXPECT_EQ(prefetched.names[i] - prefetched.names[0], on_the_spot.names[i] - on_the_spot.names[0]);
      }
      EXPECT_EQ(prefetched.mag_filters[i], on_the_spot.mag_filters[i]);
      EXPECT_TRUE(prefetched.texels[i] == on_the_spot.texels[i]);
    }
  }
}

}  // namespace
