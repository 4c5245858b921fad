#include "assets/picture_upload.h"

#include "platform/gl.h"

void upload_picture_texture(int width, int height, const uint8_t* rgba, uint32_t* texture_out) {
  glGenTextures(1, texture_out);
  glBindTexture(GL_TEXTURE_2D, *texture_out);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  // Internal format 3: the texture keeps red, green and blue; the fourth
  // byte of each pixel is dropped and sampled alpha is 1.
  glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
