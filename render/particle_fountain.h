// Eighty additive particles that spin, drift and respawn with random
// velocities from the process-wide, never-seeded generator.
#pragma once

#include <cstdint>

struct Vec3f {
  float x, y, z;
};

struct Particle {
  Vec3f position;
  Vec3f velocity;
  Vec3f acceleration;
  float life;
  float fade;
};

class ParticleFountain {
 public:
  static constexpr int particle_count = 80;
  void reset();
  void update_and_draw(float frame_step);
  Particle particles[particle_count];
};

// Shared by all particles and frames; nothing resets it.
extern float spin_angle;

// The process-wide 32-bit linear congruential generator (state starts at 1).
int random_draw();
extern uint32_t random_state;
