// Stretching a decoded picture to its texture size.
#pragma once

#include <cstdint>

// Stretches a width x height picture of packed RGB pixels (rows packed with
// no gap) to texture_width x texture_height RGBA pixels in rgba, which must
// hold texture_width * texture_height * 4 bytes; every fourth byte is set to
// fourth_byte. The whole picture is stretched, without keeping its aspect
// ratio, and rows keep their order. Bilinear where a side grows or shrinks by
// less than half, an area average where it shrinks further; a flat colour
// stays exactly that colour.
void resample_picture(const uint8_t* rgb, int width, int height, int texture_width, int texture_height,
                      uint8_t fourth_byte, uint8_t* rgba);
