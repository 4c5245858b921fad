// Scene start-up and the frame choreography. The music position alone picks
// what a frame shows; GL state is carried on purpose from step to step and
// from frame to frame, so nothing here saves or restores it.
#include "demo/scene.h"

#include "platform/gl.h"

#include <iterator>

#include "assets/picture_prefetch.h"
#include "assets/picture_texture.h"
#include "audio/bass.h"
#include "platform/platform.h"
#include "probe/probe_points.h"

// ---------------------------------------------------------------------------
// Constants.
namespace {

constexpr float intro_end_seconds = 5.0f;
constexpr float credits_start_seconds = 14.0f;

constexpr int sphere_slices = 32;
constexpr int sphere_stacks = 32;

// Rates per unit of frame_step, except the mesh's bass step, which is a
// fixed step per frame.
constexpr double intro_pulse_rate = 7.0;
constexpr double sphere_spin_rate = 8.0;
constexpr double mesh_spin_rate = 50.0;
constexpr double fade_out_rate = 3.0;
constexpr double credits_fade_in_rate = 10.0;
constexpr double slide_rate = 10.0;
constexpr double mesh_bass_step = 0.2;

// The pulsing intro quad never comes nearer than this; the mesh's bass push
// wraps back once it passes its own limit.
constexpr float intro_z_limit = -9.0f;
constexpr float mesh_z_limit = -4.0f;

}  // namespace

// ---------------------------------------------------------------------------
// State.
uint32_t music_stream = 0;
uint64_t music_position = 0;
float fft_bins[1024] = {};
GLUquadric* sphere_quadric = nullptr;

uint32_t sphere_texture = 0, mesh_texture = 0, backdrop_texture = 0, cover_texture = 0, pulse_texture = 0,
         credits_texture = 0, particle_texture = 0, env_texture = 0;
uint32_t capture_texture = 0;

float intro_z = initial_intro_z;
float sphere_spin = initial_sphere_spin;
float mesh_spin = initial_mesh_spin;
float mesh_z = initial_mesh_z;
float fade_alpha = initial_fade_alpha;
float credits_alpha = initial_credits_alpha;
float slide_x = initial_slide_x;

RenderKit scene_render_kit;
TexturedQuad scene_quad;
ParticleFountain scene_fountain;

// ---------------------------------------------------------------------------
// Functions.
namespace {

// The eight pictures in their loading order, each with the name it gets.
struct ScenePicture {
  const char* path;
  uint32_t* texture;
};
const ScenePicture scene_pictures[] = {
    {"data/texture.jpg", &sphere_texture}, {"data/serce.jpg", &mesh_texture}, {"data/ip.jpg", &backdrop_texture},
    {"data/cover.jpg", &cover_texture},    {"data/c.jpg", &pulse_texture},    {"data/credits.jpg", &credits_texture},
    {"data/part.jpg", &particle_texture},  {"data/env.jpg", &env_texture},
};

// Alphas formed with double constants are narrowed when handed to GL.
float narrowed(double value) { return static_cast<float>(value); }

// The steps of one frame, in the order Scene::render runs them. Each draws in
// the GL state the step before it left.

// Intro, drawn additively in whatever viewport and depth state the window
// (or the last main-phase frame) left; a bass hit moves the pulsing picture.
void draw_intro(float frame_step, bool bass_up) {
  scene_render_kit.blend_additive();

  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glTranslatef(0.0f, 0.0f, -10.0f);
  scene_quad.draw(5.3f, 4.5f, cover_texture);

  glLoadIdentity();
  glColor4f(0.5f, 0.5f, 0.5f, 5.0f);  // alpha 5.0: GL clamps it to 1
  glTranslatef(0.0f, 0.0f, intro_z);
  scene_quad.draw(5.3f, 4.5f, pulse_texture);

  if (bass_up) {
    intro_z = narrowed(intro_z + intro_pulse_rate * frame_step);
    if (intro_z > intro_z_limit) intro_z = initial_intro_z;
  }
}

// Twelve nested spheres, smallest first; each lags the spin by i degrees.
void draw_nested_spheres(float frame_step) {
  scene_render_kit.depth_off();
  glBindTexture(GL_TEXTURE_2D, sphere_texture);
  scene_render_kit.blend_additive();

  for (int i = 1; i < 25; i += 2) {
    glLoadIdentity();
    glColor4f(0.7f, 0.7f, 0.7f, narrowed(fade_alpha - 0.3));
    glTranslatef(0.0f, 0.0f, -2.0f);
    glRotatef(narrowed(static_cast<double>(sphere_spin) - i), 0.0f, 1.0f, 0.0f);
    glRotatef(sphere_spin, 1.0f, 1.0f, 1.0f);
    gluSphere(sphere_quadric, 0.1 * i, sphere_slices, sphere_stacks);
  }
  sphere_spin = narrowed(sphere_spin + sphere_spin_rate * frame_step);
}

// The mesh opaque, then the same geometry again additively: it passes the
// LEQUAL depth test a second time and brightens the first copy. Sphere-map
// texture generation is on only around these two draws.
void draw_mesh_twice() {
  scene_render_kit.depth_on();
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);

  glLoadIdentity();
  glColor4f(1.0f, 1.0f, 1.0f, fade_alpha);
  glTranslatef(-1.0f, 0.0f, mesh_z);
  scene_render_kit.blend_off();
  scene_render_kit.depth_on();
  glBindTexture(GL_TEXTURE_2D, mesh_texture);
  glRotatef(mesh_spin, 1.0f, 1.0f, 1.0f);
  demo_mesh->draw();

  glLoadIdentity();
  glTranslatef(-1.0f, 0.0f, mesh_z);
  scene_render_kit.blend_additive();
  scene_render_kit.depth_on();
  glBindTexture(GL_TEXTURE_2D, mesh_texture);
  glRotatef(mesh_spin, 1.0f, 1.0f, 1.0f);
  glColor4f(1.0f, 1.0f, 1.0f, fade_alpha);
  demo_mesh->draw();

  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

// Capture pass: the 3D scene goes into the lower-left 512 x 512 region and
// from there into capture_texture; the frame is cleared after the copy.
void draw_capture_pass(float frame_step) {
  scene_render_kit.begin_capture();

  draw_nested_spheres(frame_step);
  draw_mesh_twice();

  // The backdrop, additive and depth-tested.
  glLoadIdentity();
  glColor4f(1.0f, 1.0f, 1.0f, fade_alpha);
  glTranslatef(0.0f, 0.0f, -10.0f);
  scene_quad.draw(5.4f, 4.9f, backdrop_texture);

  scene_render_kit.end_capture(capture_texture);
}

// Screen pass, still additive and depth-tested from the second mesh draw:
// the captured picture on two sliding quads, the particle fountain over them.
void draw_screen_pass(float frame_step) {
  glLoadIdentity();
  glColor4f(0.9f, 0.9f, 0.9f, narrowed(fade_alpha - 0.1));
  glTranslatef(slide_x, 0.0f, -10.0f);
  scene_quad.draw(5.5f, 3.5f, capture_texture);

  glLoadIdentity();
  glColor4f(0.5f, 0.5f, 0.5f, narrowed(fade_alpha - 0.6));
  glTranslatef(slide_x, 0.0f, -9.0f);
  scene_quad.draw(5.3f, 3.3f, capture_texture);

  glColor4f(1.0f, 1.0f, 1.0f, fade_alpha);
  scene_render_kit.depth_off();

  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, particle_texture);
  scene_fountain.update_and_draw(frame_step);
  scene_render_kit.depth_on();
}

// Credits: fade in over everything while the rest fades out. Neither alpha
// is clamped; GL clamps the colour it is given.
void draw_credits(float frame_step) {
  glLoadIdentity();
  glColor4f(1.0f, 1.0f, 1.0f, credits_alpha);
  glTranslatef(0.0f, 0.0f, -8.0f);
  scene_quad.draw(5.3f, 3.7f, credits_texture);
  fade_alpha = narrowed(fade_alpha - fade_out_rate * frame_step);
  credits_alpha = narrowed(credits_alpha + credits_fade_in_rate * frame_step);
}

// The main phase's animation after its draws; makes no GL call.
void advance_animation(float frame_step, bool bass_up) {
  // A fixed push per bass hit, not scaled by frame_step.
  if (bass_up) mesh_z = narrowed(mesh_z + mesh_bass_step);
  if (mesh_z > mesh_z_limit) mesh_z = initial_mesh_z;

  mesh_spin = narrowed(mesh_spin + mesh_spin_rate * frame_step);

  // Slides in until the first frame on which it is no longer below 0.
  if (slide_x < 0.0f) slide_x = narrowed(slide_x + slide_rate * frame_step);
}

}  // namespace

Scene::Scene() { start_ms = static_cast<float>(platform::time_get_time()); }

void prefetch_scene_pictures() {
  const char* paths[std::size(scene_pictures)];
  for (size_t i = 0; i < std::size(scene_pictures); ++i) paths[i] = scene_pictures[i].path;
  prefetch_pictures(paths, static_cast<int>(std::size(scene_pictures)));
}

bool Scene::init() {
  probe::at(probe::Point::fountain_reset_begin);
  scene_fountain.reset();
  probe::at(probe::Point::fountain_reset_end);

  // Loading order matters: the filter settings below land on the last
  // picture that loaded, and the names come out in this order.
  for (const ScenePicture& picture : scene_pictures) {
    probe::at(probe::Point::picture_begin, picture.path);
    load_picture_texture(picture.path, picture.texture);
    probe::at(probe::Point::picture_end);
  }

  // Acts on whatever texture is bound now: the picture that loaded last.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

  // Configured once; switched on only around the mesh draws.
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);

  probe::at(probe::Point::quadric_begin);
  sphere_quadric = gluNewQuadric();
  gluQuadricNormals(sphere_quadric, GLU_NONE);
  gluQuadricTexture(sphere_quadric, GL_TRUE);

  probe::at(probe::Point::bind_arrays_begin);
  demo_mesh->bind_arrays();
  probe::at(probe::Point::bind_arrays_end);

  probe::at(probe::Point::music_open_begin);
  music_stream = BASS_StreamCreateFile(0, "data/orvu.mp3", 0, 0, 0);
  probe::at(probe::Point::music_open_end);
  probe::at(probe::Point::music_play_begin);
  BASS_StreamPlay(music_stream, 0, BASS_SAMPLE_LOOP);
  probe::at(probe::Point::music_play_end);

  probe::at(probe::Point::capture_texture_begin);
  scene_render_kit.make_blank_texture(&capture_texture, capture_size, 3, GL_RGB, 0);
  probe::at(probe::Point::capture_texture_end);
  return true;
}

void Scene::render(float frame_step) {
  probe::at(probe::Point::spectrum_begin);
  BASS_ChannelGetData(music_stream, fft_bins, BASS_DATA_FFT2048);
  probe::at(probe::Point::spectrum_end);
  music_position = BASS_ChannelGetPosition(music_stream);
  music_seconds = BASS_ChannelBytes2Seconds(music_stream, music_position);

  // A float bin can hold 0.05 only as 0.05f, which must not count as a hit.
  const bool bass_up = fft_bins[0] > bass_hit_level;

  // Exactly at the end of the intro neither phase is drawn.
  if (music_seconds < intro_end_seconds) draw_intro(frame_step, bass_up);
  if (!(music_seconds > intro_end_seconds)) return;

  draw_capture_pass(frame_step);
  draw_screen_pass(frame_step);
  if (music_seconds > credits_start_seconds) draw_credits(frame_step);
  advance_animation(frame_step, bass_up);
}
