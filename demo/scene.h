// The demo sequence: start-up of everything the frames need, and the
// per-frame choreography driven by the music position.
#pragma once

#include <cstdint>

#include "assets/mesh.h"
#include "render/particle_fountain.h"
#include "render/render_kit.h"
#include "render/textured_quad.h"

class Scene {
 public:
  Scene();
  bool init();
  void render(float frame_step);

  float start_ms = 0.0f;
  float music_seconds = 0.0f;
};

// Starts decoding the scene's pictures, from the working directory as it is
// now, on a worker thread, so that Scene::init finds them ready and only
// uploads them (in its own order, on its own thread). Makes no GL call.
void prefetch_scene_pictures();

// The one Scene, built during static construction after demo_mesh and the
// FrameTimer (see app/process_objects.cpp).
extern Scene scene;

// The scene module's state.
extern uint32_t music_stream;
extern uint64_t music_position;
extern float fft_bins[1024];
extern struct GLUquadric* sphere_quadric;
extern Mesh* demo_mesh;  // defined with the other process-wide objects

extern uint32_t sphere_texture, mesh_texture, backdrop_texture, cover_texture, pulse_texture, credits_texture,
    particle_texture, env_texture;
extern uint32_t capture_texture;

extern float intro_z, sphere_spin, mesh_spin, mesh_z, fade_alpha, credits_alpha, slide_x;

extern RenderKit scene_render_kit;
extern TexturedQuad scene_quad;
extern ParticleFountain scene_fountain;

// The animation variables' values when the demo starts.
constexpr float initial_intro_z = -10.0f;
constexpr float initial_sphere_spin = 0.0f;
constexpr float initial_mesh_spin = 0.0f;
constexpr float initial_mesh_z = -5.0f;
constexpr float initial_fade_alpha = 1.0f;
constexpr float initial_credits_alpha = 0.0f;
constexpr float initial_slide_x = -13.0f;

// Element 0 of the spectrum must be strictly above this for a bass hit.
constexpr float bass_hit_level = 0.05f;
