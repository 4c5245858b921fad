// Writes the whole default data set into a directory: the mesh, the eight
// pictures and the music, under the names the demo opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DataFile {
  const char* name;
  std::vector<uint8_t> bytes;
};

// Every file of the data set, in a fixed order. A file whose encoder failed
// has empty bytes.
std::vector<DataFile> make_dataset();

// Writes each file into directory (which must exist). Prints the reason and
// returns false on the first failure.
bool write_dataset(const std::string& directory);
