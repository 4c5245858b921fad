// Builds one broken copy of the demo's data in a working directory, for the
// whole-program runs that show the demo survives every bad input:
//   make_broken_data CASE SOURCE_DATA_DIR WORK_DIR
// WORK_DIR receives data/ (a copy of SOURCE_DATA_DIR with CASE applied), or
// nothing at all for the case "no-data".
#include <cstdio>

#include "tests/reliability/broken_data.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CASE SOURCE_DATA_DIR WORK_DIR\n", argv[0]);
    return 2;
  }
  if (!make_broken_data(argv[1], argv[2], argv[3])) {
    std::fprintf(stderr, "cannot make case %s\n", argv[1]);
    return 1;
  }
  return 0;
}
