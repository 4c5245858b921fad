// The input of the decoders that hold an MP3 file whole in memory (the
// Audio Compression Manager's and the browser's): the byte range of the file
// they are asked to open, read at once, within the decoders' size limit.
#pragma once

#include <cstdint>
#include <vector>

// Reads `length` bytes of the file at `path` from `offset` on into *out
// (length 0, or a length past the end: to the end of the file). False, with
// *out empty, on a null path, a missing or unreadable file, an offset at or
// past its end, or a range over mp3_max_input_bytes (audio/mp3_decoder.h),
// which is refused before anything is allocated or read.
bool read_mp3_file_bytes(const char* path, uint64_t offset, uint64_t length, std::vector<uint8_t>* out);
