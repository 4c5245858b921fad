// Feeds arbitrary bytes to the music's two decoding paths: the whole-file
// decode, and the stream (the incremental decoder, the conversion to the
// 44.1 kHz stereo output, a few device buffers through the ring, and the
// spectrum of what is heard). A refused file leaves
// nothing behind; an accepted one has a sane format, whole frames and a
// finite, non-negative spectrum, and where it is already in the output's
// format the stream plays exactly what the whole-file decode gives.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/mp3_decoder.h"
#include "audio/mp3_file.h"
#include "audio/band_levels.h"
#include "audio/stream.h"

namespace {

constexpr int output_rate = 44100;
constexpr int buffer_frames = 512;
constexpr int64_t buffer_ns = 11'609'977;  // 512 frames at 44.1 kHz
// The smallest ring a stream takes: the fuzz target plays only 4 buffers.
constexpr uint64_t ring_frames = 16384;

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedPcm pcm;
  const bool whole = decode_mp3_memory(data, size, &pcm);
  if (!whole) {
    require(pcm.samples.empty() && pcm.samples.capacity() == 0);
  } else {
    require(pcm.channels == 1 || pcm.channels == 2);
    require(pcm.rate >= 8000 && pcm.rate <= 48000);
    require(pcm.samples.size() % static_cast<size_t>(pcm.channels) == 0);
  }

  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_memory(data, size, &format);
  if (!decoder) {
    require(!whole);
    return 0;
  }
  Stream* stream = make_stream(decoder, format, output_rate, ring_frames);
  if (stream == nullptr) return 0;
  start_stream(*stream, true, true);
  feed_fill(stream->feed, stream->ring, buffer_frames);
  int16_t out[buffer_frames * output_channels] = {};
  render_stream(*stream, out, buffer_frames, 0);
  const bool as_is = whole && pcm.rate == output_rate && pcm.channels == output_channels;
  for (size_t i = 0; as_is && i < sizeof out / sizeof out[0]; ++i)
    require(out[i] == pcm.samples[i % pcm.samples.size()]);
  for (int i = 1; i < 4; ++i) {
    // Only what the next buffer needs, as the decoder thread would.
    feed_fill(stream->feed, stream->ring, buffer_frames);
    render_stream(*stream, out, buffer_frames, i * buffer_ns);
  }
  const Hearing hearing = hear_stream(*stream, 3 * buffer_ns);
  float mono[spectrum_input_samples];
  heard_window(*stream, hearing, mono);
  float bins[spectrum_bands];
  compute_spectrum(mono, bins);
  for (float v : bins) require(std::isfinite(v) && v >= 0.0f);
  delete stream;
  return 0;
}
