// The picture texture loader on Linux: libjpeg-turbo decodes the picture
// (ahead, on the prefetch worker, or here) and the shared upload makes the
// texture.
#include "assets/picture_texture.h"

#include "platform/gl.h"

#include "assets/picture_decode.h"
#include "assets/picture_prefetch.h"
#include "assets/picture_upload.h"

int load_picture_texture(const char* path, uint32_t* texture_out) {
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  PictureImage image;
  // A picture decoded ahead on the worker is the same image; any other is
  // decoded here.
  const bool prefetched = take_prefetched_picture(path, max_size, &image);
  if (!prefetched && !load_picture_image(path, max_size, &image)) return 0;
  upload_picture_texture(image.width, image.height, image.rgba.data(), texture_out);
  if (prefetched) give_back_prefetched_picture(&image);
  return 1;
}
