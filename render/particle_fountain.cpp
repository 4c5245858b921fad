#include "render/particle_fountain.h"

#include "platform/gl.h"

#include "render/render_kit.h"

namespace {

constexpr uint32_t random_multiplier = 214013u;
constexpr uint32_t random_increment = 2531011u;

// Every square is 10 x 10, centred 2 units left of and 44 units behind its
// particle's position; each particle is pushed 10 units deeper than the last.
constexpr double square_half = 5.0;
constexpr double centre_offset_x = -2.0;
constexpr double centre_offset_z = -44.0;
constexpr float particle_step_z = -10.0f;

constexpr double spin_rate = 0.05;
constexpr float spawn_life = 1.0f;
constexpr float reset_speed = 0.02f;
constexpr float reset_acceleration = 0.02f;

// Respawned velocities are whole numbers: x from -32 to 27, y and z from -30
// to 29 (the x offset is 32, so the fountain leans to the left).
constexpr int velocity_spread = 60;
constexpr int velocity_offset_x = 32;
constexpr int velocity_offset_yz = 30;

}  // namespace

float spin_angle = 0.0f;
uint32_t random_state = 1u;

namespace {

RenderKit fountain_render_kit;

// A fade from 2.000 to 2.099: life lost per unit of frame_step.
float random_fade() { return static_cast<float>((random_draw() % 100) / 1000.0 + 2.0); }

// Takes four draws, in this order: fade, then velocity x, y and z.
void respawn(Particle& particle) {
  particle.life = spawn_life;
  particle.fade = random_fade();
  particle.velocity.x = static_cast<float>(random_draw() % velocity_spread - velocity_offset_x);
  particle.velocity.y = static_cast<float>(random_draw() % velocity_spread - velocity_offset_yz);
  particle.velocity.z = static_cast<float>(random_draw() % velocity_spread - velocity_offset_yz);
}

// Adds step x rate to value in double precision and stores it as a float.
float advanced(float value, double step, float rate) { return static_cast<float>(value + step * rate); }

}  // namespace

// Never seeded: every run draws the same sequence (41, 18467, 6334, ...).
int random_draw() {
  random_state = random_state * random_multiplier + random_increment;
  return static_cast<int>((random_state >> 16) & 0x7FFFu);
}

// Positions stay where they are.
void ParticleFountain::reset() {
  for (Particle& particle : particles) {
    particle.life = spawn_life;
    particle.fade = random_fade();
    particle.velocity = {0.0f, reset_speed, 0.0f};
    particle.acceleration = {0.0f, reset_acceleration, 0.0f};
  }
}

// Each particle is drawn where it is, then advanced. The rotation and the
// translation of every particle stay on the current matrix, so each square
// lies 10 units deeper and turned a little further than the one before.
void ParticleFountain::update_and_draw(float frame_step) {
  const double step = frame_step;
  for (Particle& particle : particles) {
    const double cx = particle.position.x + centre_offset_x;
    const double cy = particle.position.y;
    const double cz = particle.position.z + centre_offset_z;
    const float right = static_cast<float>(cx + square_half);
    const float left = static_cast<float>(cx - square_half);
    const float top = static_cast<float>(cy + square_half);
    const float bottom = static_cast<float>(cy - square_half);
    const float depth = static_cast<float>(cz);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    fountain_render_kit.blend_additive();
    glRotatef(spin_angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, particle_step_z);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2d(1.0, 1.0);
    glVertex3f(right, top, depth);
    glTexCoord2d(0.0, 1.0);
    glVertex3f(left, top, depth);
    glTexCoord2d(1.0, 0.0);
    glVertex3f(right, bottom, depth);
    glTexCoord2d(0.0, 0.0);
    glVertex3f(left, bottom, depth);
    glEnd();

    spin_angle = static_cast<float>(spin_angle + step * spin_rate);
    particle.position.x = advanced(particle.position.x, step, particle.velocity.x);
    particle.position.y = advanced(particle.position.y, step, particle.velocity.y);
    particle.position.z = advanced(particle.position.z, step, particle.velocity.z);
    particle.velocity.x = advanced(particle.velocity.x, step, particle.acceleration.x);
    particle.velocity.y = advanced(particle.velocity.y, step, particle.acceleration.y);
    particle.velocity.z = advanced(particle.velocity.z, step, particle.acceleration.z);
    particle.life = static_cast<float>(particle.life - step * particle.fade);
    if (particle.life < 0.0f) respawn(particle);
  }
}
