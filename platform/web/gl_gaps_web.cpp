// Sphere-map texture coordinates for the immediate-mode vertices drawn while
// generation is on: from the eye-space position and the normal as the
// modelview matrix's inverse transpose carries it, not renormalised (GL
// normalises normals only when asked to), as GL's sphere-map rule gives them.
#define ZARNIC_GL_GAPS_IMPLEMENTATION
#include "platform/web/gl_gaps_web.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// State.

struct TexGen {
  GLint mode_s = GL_EYE_LINEAR;
  GLint mode_t = GL_EYE_LINEAR;
  bool on_s = false;
  bool on_t = false;
  float normal[3] = {0.0f, 0.0f, 1.0f};
  float tex_coord[2] = {0.0f, 0.0f};
  // The modelview matrix of the primitive being drawn (column major).
  float modelview[16] = {};
  // Its upper 3 x 3 block's inverse transpose, which carries normals.
  float normal_matrix[9] = {};
};

TexGen texgen;

// The level-0 image a copy from the frame last defined in a 2D texture:
// while the texture keeps it, another copy of that size and format only
// replaces its texels. A name not listed is copied with a redefinition.
struct CopiedImage {
  GLuint texture = 0;
  GLenum internal_format = 0;
  GLsizei width = 0;
  GLsizei height = 0;
};

// The show copies into one texture; a few more cost nothing.
constexpr int max_copied_images = 8;
CopiedImage copied_images[max_copied_images];

// ---------------------------------------------------------------------------
// Functions.

// The switch of the generation GL_TEXTURE_GEN_S or _T names, kept here as
// WebGL has none; null for any other capability, which is WebGL's own.
bool* texgen_switch(GLenum capability) {
  if (capability == GL_TEXTURE_GEN_S) return &texgen.on_s;
  if (capability == GL_TEXTURE_GEN_T) return &texgen.on_t;
  return nullptr;
}

bool generating_s() { return texgen.on_s && texgen.mode_s == GL_SPHERE_MAP; }
bool generating_t() { return texgen.on_t && texgen.mode_t == GL_SPHERE_MAP; }

void take_modelview() {
  glGetFloatv(GL_MODELVIEW_MATRIX, texgen.modelview);
  const float* m = texgen.modelview;
  // a(row, column) of the upper 3 x 3 block.
  auto a = [m](int row, int column) { return m[column * 4 + row]; };
  const float cofactor[9] = {a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1), a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2),
                             a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0), a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2),
                             a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0), a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1),
                             a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1), a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2),
                             a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0)};
  const float determinant = a(0, 0) * cofactor[0] + a(0, 1) * cofactor[1] + a(0, 2) * cofactor[2];
  const float scale = determinant != 0.0f ? 1.0f / determinant : 0.0f;
  // The inverse transpose is the cofactor matrix over the determinant;
  // stored by rows: normal_matrix[row * 3 + column].
  for (int i = 0; i < 9; ++i) texgen.normal_matrix[i] = cofactor[i] * scale;
}

void sphere_map(float x, float y, float z, float* s, float* t) {
  const float* m = texgen.modelview;
  float eye[3];
  for (int row = 0; row < 3; ++row) eye[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
  const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
  if (w != 0.0f && w != 1.0f) {
    for (float& e : eye) e /= w;
  }
  const float length = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
  const float u[3] = {length > 0.0f ? eye[0] / length : 0.0f, length > 0.0f ? eye[1] / length : 0.0f,
                      length > 0.0f ? eye[2] / length : 0.0f};
  float n[3];
  for (int row = 0; row < 3; ++row) {
    const float* r = &texgen.normal_matrix[row * 3];
    n[row] = r[0] * texgen.normal[0] + r[1] * texgen.normal[1] + r[2] * texgen.normal[2];
  }
  const float n_dot_u = n[0] * u[0] + n[1] * u[1] + n[2] * u[2];
  const float r[3] = {u[0] - 2.0f * n[0] * n_dot_u, u[1] - 2.0f * n[1] * n_dot_u, u[2] - 2.0f * n[2] * n_dot_u};
  const float twice_length = 2.0f * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1.0f) * (r[2] + 1.0f));
  const float scale = twice_length > 0.0f ? 1.0f / twice_length : 0.0f;
  *s = r[0] * scale + 0.5f;
  *t = r[1] * scale + 0.5f;
}

GLuint bound_texture_2d() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return static_cast<GLuint>(name);
}

CopiedImage* copied_image_of(GLuint texture) {
  for (CopiedImage& image : copied_images) {
    if (image.texture == texture) return &image;
  }
  return nullptr;
}

// The bound texture's level 0 is defined anew (or the texture deleted).
void forget_copied_image(GLuint texture) {
  if (CopiedImage* image = copied_image_of(texture)) *image = CopiedImage{};
}

}  // namespace

void zarnic_web_tex_gen_i(GLenum coord, GLenum pname, GLint param) {
  if (pname != GL_TEXTURE_GEN_MODE) return;
  if (coord == GL_S) texgen.mode_s = param;
  if (coord == GL_T) texgen.mode_t = param;
}

void zarnic_web_enable(GLenum capability) {
  if (bool* on = texgen_switch(capability)) {
    *on = true;
  } else {
    glEnable(capability);
  }
}

void zarnic_web_disable(GLenum capability) {
  if (bool* on = texgen_switch(capability)) {
    *on = false;
  } else {
    glDisable(capability);
  }
}

GLboolean zarnic_web_is_enabled(GLenum capability) {
  if (const bool* on = texgen_switch(capability)) return *on ? GL_TRUE : GL_FALSE;
  return glIsEnabled(capability);
}

// The modelview matrix cannot change between begin and end.
void zarnic_web_begin(GLenum mode) {
  if (generating_s() || generating_t()) take_modelview();
  glBegin(mode);
}

void zarnic_web_normal_3f(GLfloat x, GLfloat y, GLfloat z) {
  texgen.normal[0] = x;
  texgen.normal[1] = y;
  texgen.normal[2] = z;
  glNormal3f(x, y, z);
}

// While a coordinate is generated the vertex call sends the coordinates, so
// each vertex still carries one set in the order the caller gave.
void zarnic_web_tex_coord_2f(GLfloat s, GLfloat t) {
  texgen.tex_coord[0] = s;
  texgen.tex_coord[1] = t;
  if (!generating_s() && !generating_t()) glTexCoord2f(s, t);
}

void zarnic_web_vertex_3f(GLfloat x, GLfloat y, GLfloat z) {
  if (generating_s() || generating_t()) {
    float s = texgen.tex_coord[0];
    float t = texgen.tex_coord[1];
    float sphere_s = 0.0f;
    float sphere_t = 0.0f;
    sphere_map(x, y, z, &sphere_s, &sphere_t);
    if (generating_s()) s = sphere_s;
    if (generating_t()) t = sphere_t;
    glTexCoord2f(s, t);
  }
  glVertex3f(x, y, z);
}

void zarnic_web_tex_image_2d(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels) {
  if (target == GL_TEXTURE_2D && level == 0) forget_copied_image(bound_texture_2d());
  // The component counts of GL 1.0 stand for the base formats.
  GLenum base = static_cast<GLenum>(internal_format);
  if (internal_format == 3) base = GL_RGB;
  if (internal_format == 4) base = GL_RGBA;
  const bool convertible = (base == GL_RGB || base == GL_RGBA) && (format == GL_RGB || format == GL_RGBA) &&
                           (type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_INT) && width >= 0 && height >= 0;
  if (!convertible) {
    glTexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
    return;
  }
  if (base == format && type == GL_UNSIGNED_BYTE) {
    glTexImage2D(target, level, static_cast<GLint>(base), width, height, border, format, type, pixels);
    return;
  }
  // Converted once per upload (start-up only): channels dropped or added
  // (alpha 1), 32-bit channels cut to their top byte as GL scales them.
  const int source_channels = format == GL_RGBA ? 4 : 3;
  const int target_channels = base == GL_RGBA ? 4 : 3;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> bytes(count * target_channels, 0);
  if (pixels != nullptr) {
    const uint8_t* source_bytes = static_cast<const uint8_t*>(pixels);
    const uint32_t* source_words = static_cast<const uint32_t*>(pixels);
    for (size_t i = 0; i < count; ++i) {
      for (int c = 0; c < target_channels; ++c) {
        uint8_t value = 255;
        if (c < source_channels) {
          const size_t at = i * source_channels + c;
          value = type == GL_UNSIGNED_BYTE ? source_bytes[at] : static_cast<uint8_t>(source_words[at] >> 24);
        }
        bytes[i * target_channels + c] = value;
      }
    }
  }
  glTexImage2D(target, level, static_cast<GLint>(base), width, height, border, base, GL_UNSIGNED_BYTE, bytes.data());
}

// The emulation offers texture coordinates in single precision only.
void glTexCoord2d(GLdouble s, GLdouble t) { zarnic_web_tex_coord_2f(static_cast<GLfloat>(s), static_cast<GLfloat>(t)); }

void zarnic_web_hint(GLenum target, GLenum mode) {
  if (target != GL_PERSPECTIVE_CORRECTION_HINT) glHint(target, mode);
}

void zarnic_web_copy_tex_image_2d(GLenum target, GLint level, GLenum internal_format, GLint x, GLint y, GLsizei width,
                                  GLsizei height, GLint border) {
  const GLuint texture = target == GL_TEXTURE_2D ? bound_texture_2d() : 0;
  if (texture == 0 || level != 0 || border != 0 || width <= 0 || height <= 0) {
    glCopyTexImage2D(target, level, internal_format, x, y, width, height, border);
    return;
  }
  CopiedImage* image = copied_image_of(texture);
  if (image != nullptr && image->internal_format == internal_format && image->width == width &&
      image->height == height) {
    glCopyTexSubImage2D(target, level, 0, 0, x, y, width, height);
    return;
  }
  glCopyTexImage2D(target, level, internal_format, x, y, width, height, border);
  if (image == nullptr) image = copied_image_of(0);
  if (image != nullptr) *image = CopiedImage{texture, internal_format, width, height};
}

void zarnic_web_delete_textures(GLsizei count, const GLuint* textures) {
  for (GLsizei i = 0; textures != nullptr && i < count; ++i) {
    if (textures[i] != 0) forget_copied_image(textures[i]);
  }
  glDeleteTextures(count, textures);
}
