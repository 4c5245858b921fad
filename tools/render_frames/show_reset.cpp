// Puts the show back to its start-up state, so that one process can run it
// more than once; the music stand-in is reset with it.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tools/render_frames/show_harness.h"

namespace show {

void reset_show_state() {
  intro_z = initial_intro_z;
  sphere_spin = initial_sphere_spin;
  mesh_spin = initial_mesh_spin;
  mesh_z = initial_mesh_z;
  fade_alpha = initial_fade_alpha;
  credits_alpha = initial_credits_alpha;
  slide_x = initial_slide_x;
  std::memset(fft_bins, 0, sizeof(fft_bins));
  music_stream = 0;
  music_position = 0;
  scene.music_seconds = 0.0f;
  for (uint32_t* name : {&sphere_texture, &mesh_texture, &backdrop_texture, &cover_texture, &pulse_texture,
                         &credits_texture, &particle_texture, &env_texture, &capture_texture}) {
    *name = 0;
  }
  if (sphere_quadric != nullptr) gluDeleteQuadric(sphere_quadric);
  sphere_quadric = nullptr;
  scene_fountain = ParticleFountain{};
  spin_angle = 0.0f;
  random_state = 1;
  scripted_music::reset();
}

}  // namespace show
