// Reads a whole file into memory, so that parsers work on bytes with known
// bounds instead of trusting a stream to deliver what a header promises.
#pragma once

#include <cstdint>
#include <vector>

// Reads the file at path (relative to the working directory) into out.
// Returns false, leaving out empty, if it cannot be opened or fully read.
bool read_file_bytes(const char* path, std::vector<uint8_t>* out);
