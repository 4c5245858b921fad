// Built for the build machine, not for Windows: writes the JPEG pictures the
// Windows picture tests load (picture_set.h).
//   picture_maker OUT_DIR
#include <cstdio>
#include <string>

#include "tests/support/files.h"
#include "tests/support/test_pictures.h"
#include "tests/windows/picture_set.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string out = argv[1];
  bool ok = true;
  for (const PictureSize& size : grey_pictures) {
    ok = write_file(out + "/" + picture_name("grey", size), make_grey_jpeg(size.width, size.height)) && ok;
  }
  for (const PictureSize& size : white_pictures) {
    ok = write_file(out + "/" + picture_name("white", size),
                    make_jpeg(size.width, size.height, [](int, int) { return white; })) &&
         ok;
  }
  ok = write_file(out + "/" + quadrant_picture, make_quadrant_jpeg(quadrant_picture_side, quadrant_picture_side)) && ok;
  if (!ok) std::fprintf(stderr, "picture_maker: could not write the pictures to %s\n", out.c_str());
  return ok ? 0 : 1;
}
