// The GL upload every picture loader ends with, whatever decoded the
// picture: one new texture from the loader's RGBA bytes.
#pragma once

#include <cstdint>

// Creates a texture from width x height RGBA pixels (bottom row first, rows
// packed with no gap): three components, linear filters, level 0 only. The
// new texture's name goes to texture_out and is left bound to GL_TEXTURE_2D.
// Needs a current GL context.
void upload_picture_texture(int width, int height, const uint8_t* rgba, uint32_t* texture_out);
