// The picture texture loader in the browser: the browser decodes the
// picture on the spot (platform/web/picture_decode_web.cpp) and the shared
// upload makes the texture.
#include "assets/picture_texture.h"

#include "platform/gl.h"

#include "assets/picture_decode.h"
#include "assets/picture_upload.h"

int load_picture_texture(const char* path, uint32_t* texture_out) {
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  PictureImage image;
  if (!load_picture_image(path, max_size, &image)) return 0;
  upload_picture_texture(image.width, image.height, image.rgba.data(), texture_out);
  return 1;
}
