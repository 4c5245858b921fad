#include "render/render_kit.h"

#include "platform/gl.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/demo_screen.h"

namespace {

// The blank texture's data is typed GL_UNSIGNED_INT: four bytes per component.
constexpr uint64_t bytes_per_component = 4;

// Computes size x size x components x 4 into byte_count. False when the count
// is negative or beyond the address range: no buffer of that size can exist.
bool blank_texture_bytes(int32_t size, int32_t components, size_t* byte_count) {
  if (size < 0 || components < 0) return false;
  const uint64_t texels = static_cast<uint64_t>(size) * static_cast<uint64_t>(size);
  const uint64_t limit = std::numeric_limits<size_t>::max() / bytes_per_component;
  if (components != 0 && texels > limit / static_cast<uint64_t>(components)) return false;
  *byte_count = static_cast<size_t>(texels * static_cast<uint64_t>(components) * bytes_per_component);
  return true;
}

}  // namespace

void RenderKit::blend_additive() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

// Leaves the blend function set, so a later glEnable(GL_BLEND) is additive.
void RenderKit::blend_off() { glDisable(GL_BLEND); }

void RenderKit::depth_on() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
}

void RenderKit::depth_off() { glDisable(GL_DEPTH_TEST); }

// The projection stays as it is, so the whole view is squeezed into the square.
void RenderKit::begin_capture() {
  glPushMatrix();
  glViewport(0, 0, capture_size, capture_size);
}

// The copy stays inside the GL; the clear uses the clear colour in force
// before this call (the GL default on the first capture). The full-window
// viewport is fixed and stays until the window is resized.
void RenderKit::end_capture(uint32_t texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, capture_size, capture_size, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, demo_screen_width, demo_screen_height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glPopMatrix();
}

// When no scratch buffer of the needed size can be had, no texture is created
// and texture_names[index] keeps its value.
void RenderKit::make_blank_texture(uint32_t* texture_names, int32_t size, int32_t components, uint32_t format,
                                   int32_t index) {
  size_t byte_count = 0;
  if (!blank_texture_bytes(size, components, &byte_count)) return;
  // calloc rather than a zeroing new: a buffer this large comes straight from
  // the kernel already zeroed, so it is never written, only read by the
  // upload (the 4 MB of the capture texture cost about 2 ms of page faults
  // when written once more).
  std::unique_ptr<void, decltype(&std::free)> scratch(std::calloc(byte_count != 0 ? byte_count : 1, 1), &std::free);
  if (scratch == nullptr) return;
  glGenTextures(1, &texture_names[index]);
  glBindTexture(GL_TEXTURE_2D, texture_names[index]);
  glTexImage2D(GL_TEXTURE_2D, 0, components, size, size, 0, format, GL_UNSIGNED_INT, scratch.get());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
