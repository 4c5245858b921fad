// Turns a picture file into a new power-of-two GL texture. Each build has
// its own decoder behind this call; the rules and the upload are shared.
#pragma once

#include <cstdint>

// Returns 1 and writes the new texture's name (left bound) on success;
// returns 0 and leaves texture_out untouched, generating no name, on failure.
// Needs a current GL context.
int load_picture_texture(const char* path, uint32_t* texture_out);
