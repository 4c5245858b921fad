// The GL-free half of the picture texture loader: where a picture is looked
// for, what texture size it gets, and the decoded picture stretched to that
// size. Everything up to the GL upload, so it can run without a context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/picture_rules.h"

// Composed paths, like the platform's path buffers, hold at most this many
// characters including the terminator.
constexpr size_t picture_path_capacity = 260;

// A picture resampled to its texture size: width x height RGBA pixels,
// bottom row first, rows packed with no gap.
struct PictureImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// The full path of a picture: the working directory, '/', then path; a path
// containing "http://" anywhere is taken unchanged. False when the result
// does not fit picture_path_capacity with its terminator, or the working
// directory cannot be read.
bool compose_picture_path(const char* path, char (&full)[picture_path_capacity]);

// Decodes a JPEG held in memory and stretches the whole picture to its
// texture size (each side capped at max_texture_size), bottom row first,
// the fourth byte of each pixel set to picture_fourth_byte. False on
// corrupt, truncated or oversized input; nothing is printed.
bool decode_picture(const uint8_t* jpeg, size_t size, int max_texture_size, PictureImage* out);

// The path rule, the file read and decode_picture together. URLs are never
// fetched: a path containing "http://" fails.
bool load_picture_image(const char* path, int max_texture_size, PictureImage* out);
