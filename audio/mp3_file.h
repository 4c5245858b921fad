// Whole-file MP3 decoding through the incremental decoder (mp3_decoder.h),
// gapless: the encoder delay and padding recorded in the LAME tag are
// removed, so the result has exactly the length of the audio that was
// encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Signed 16-bit samples, channels interleaved, at the file's own rate.
struct DecodedPcm {
  std::vector<int16_t> samples;
  int rate = 0;
  int channels = 0;

  size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Decodes the whole file. On a missing, unreadable, empty, truncated or
// undecodable file returns false and leaves *out empty, its memory released.
bool decode_mp3_file(const char* path, DecodedPcm* out);

// The same for `length` bytes of a file from `offset` on (length 0: to the
// end of the file).
bool decode_mp3_file_range(const char* path, uint64_t offset, uint64_t length, DecodedPcm* out);

// The same for an MP3 file held in memory.
bool decode_mp3_memory(const void* data, size_t size, DecodedPcm* out);
