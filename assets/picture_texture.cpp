#include "assets/picture_texture.h"

#include "platform/gl.h"

#include "assets/picture_prefetch.h"

int load_picture_texture(const char* path, uint32_t* texture_out) {
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  PictureImage image;
  // A picture decoded ahead on the worker is the same image; any other is
  // decoded here.
  const bool prefetched = take_prefetched_picture(path, max_size, &image);
  if (!prefetched && !load_picture_image(path, max_size, &image)) return 0;
  upload_picture_texture(image, texture_out);
  if (prefetched) give_back_prefetched_picture(&image);
  return 1;
}

void upload_picture_texture(const PictureImage& image, uint32_t* texture_out) {
  glGenTextures(1, texture_out);
  glBindTexture(GL_TEXTURE_2D, *texture_out);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  // Internal format 3: the texture keeps red, green and blue; the fourth
  // byte of each pixel is dropped and sampled alpha is 1.
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
}
