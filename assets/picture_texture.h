// Turns a picture file into a new power-of-two GL texture.
#pragma once

#include <cstdint>

#include "assets/picture_decode.h"

// Returns 1 and writes the new texture's name (left bound) on success;
// returns 0 and leaves texture_out untouched, generating no name, on failure.
// Needs a current GL context.
int load_picture_texture(const char* path, uint32_t* texture_out);

// Creates a texture from image: three components from the RGBA data, linear
// filters, level 0 only. The new texture is left bound to GL_TEXTURE_2D.
void upload_picture_texture(const PictureImage& image, uint32_t* texture_out);
