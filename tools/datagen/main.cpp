// zarnic_datagen OUTPUT_DIR: writes the demo's default data set (mesh,
// pictures, music) into OUTPUT_DIR. The output is the same, byte for byte,
// on every run.
#include <cstdio>
#include <cstring>

#include "tools/datagen/dataset.h"

namespace {

const char* const usage_text =
    "usage: zarnic_datagen OUTPUT_DIR\n"
    "Writes the demo's default data set (obj.b3df, eight .jpg pictures, orvu.mp3) into OUTPUT_DIR,\n"
    "which must exist; the same bytes on every run. From the repository root:\n"
    "  zarnic_datagen data\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage_text, stdout);
    return 0;
  }
  // Anything that looks like an option is refused rather than taken for a
  // folder name.
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(usage_text, stderr);
    return 2;
  }
  return write_dataset(argv[1]) ? 0 : 1;
}
