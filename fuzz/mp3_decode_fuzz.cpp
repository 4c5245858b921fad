// Feeds arbitrary bytes to the music stream's open path: the whole-file
// decode, the conversion to the 44.1 kHz stereo output, a few device buffers
// through the loop, and the spectrum of what is heard. A refused file leaves
// nothing behind; an accepted one has a sane format, whole frames and a
// finite, non-negative spectrum.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/mp3_file.h"
#include "audio/band_levels.h"
#include "audio/stream.h"

namespace {

constexpr int output_rate = 44100;
constexpr int buffer_frames = 512;
constexpr int64_t buffer_ns = 11'609'977;  // 512 frames at 44.1 kHz
// Clock corrections the device thread may apply before a buffer: none,
// forward, back, and back by more than a buffer.
constexpr int64_t shifts[] = {0, 700, -300, -5000};

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

  Stream* stream = make_stream(std::move(pcm), output_rate);
  if (stream == nullptr) return 0;
  start_stream(*stream, true, true);
  int16_t out[buffer_frames * output_channels] = {};
  for (int i = 0; i < 4; ++i) render_stream(*stream, out, buffer_frames, i * buffer_ns, shifts[i]);
  const Hearing hearing = hear_stream(*stream, 3 * buffer_ns, buffer_frames);
  float mono[spectrum_input_samples];
  heard_window(*stream, hearing, mono);
  float bins[spectrum_bands];
  compute_spectrum(mono, bins);
  for (float v : bins) require(std::isfinite(v) && v >= 0.0f);
  delete stream;
  return 0;
}
