// Feeds arbitrary bytes to the music decoder, as the music stream opens its
// file. A refused file leaves nothing behind; an accepted one has a sane
// format and whole frames.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/mp3_file.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedPcm pcm;
  if (!decode_mp3_memory(data, size, &pcm)) {
    require(pcm.samples.empty() && pcm.samples.capacity() == 0);
    return 0;
  }
  require(pcm.channels == 1 || pcm.channels == 2);
  require(pcm.rate >= 8000 && pcm.rate <= 48000);
  require(pcm.samples.size() % static_cast<size_t>(pcm.channels) == 0);
  return 0;
}
