// Shows one message box through the demo's platform layer and prints the
// button chosen. The whole-program tests draw the boxes they expect with it
// and compare them pixel for pixel with the ones the demo shows.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CAPTION TYPE TEXT\n", argv[0]);
    return 2;
  }
  const auto type = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
  std::printf("%d\n", platform::message_box(nullptr, argv[3], argv[1], type));
  return 0;
}
