// JPEG encoding with every setting fixed, so the same pixels always give the
// same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/image.h"

// Baseline JPEG, quality 90, 4:4:4 (no chroma subsampling: the pictures
// carry thin coloured lines and text), accurate integer DCT. Empty on failure.
std::vector<uint8_t> encode_jpeg(const Image& image);
