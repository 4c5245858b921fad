// zarnic_datagen OUTPUT_DIR: writes the demo's default data set (mesh,
// pictures, music) into OUTPUT_DIR. The output is the same, byte for byte,
// on every run.
#include <cstdio>

#include "dataset.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zarnic_datagen OUTPUT_DIR\n");
    return 2;
  }
  return write_dataset(argv[1]) ? 0 : 1;
}
