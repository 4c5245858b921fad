// The rules every picture loader shares, whatever decodes the picture: which
// paths are never read, the texture size a picture gets, the formats and
// sizes taken, and the pixel pass that turns the decoder's pixels into the
// texture's bytes. No GL, no decoder, no platform.
#pragma once

#include <cstddef>
#include <cstdint>

// Pictures wider or taller than this are refused before anything is decoded.
constexpr int max_picture_side = 16384;
// Only JPEG pictures are taken, whatever else a platform's picture service
// could decode: a file is a JPEG when it starts with these bytes (the start
// of image marker and the first byte of the next marker).
constexpr size_t jpeg_signature_size = 3;
bool has_jpeg_signature(const uint8_t* head, size_t size);

// The fourth byte of every pixel the loader hands to GL.
constexpr uint8_t picture_fourth_byte = 100;

// Pictures are read from this machine only: a path containing "http://"
// anywhere names a URL, which no loader ever fetches.
bool picture_path_is_url(const char* path);

// The texture size for a picture side of pixel_size pixels: the power of two
// nearest to it on a log scale, after capping it at max_size.
int picture_texture_size(int pixel_size, int max_size);

// How a decoder lays out its pixels.
enum class PicturePixels {
  rgb,   // three bytes: red, green, blue
  bgrx,  // four bytes: blue, green, red, anything (a GDI 32-bit bitmap)
  rgbx,  // four bytes: red, green, blue, anything
};

// Writes `count` pixels as red, green, blue, picture_fourth_byte to rgba,
// keeping their order. For bgrx and rgbx, source and rgba may be the same
// buffer.
void picture_pixel_pass(PicturePixels layout, const uint8_t* source, uint8_t* rgba, size_t count);
