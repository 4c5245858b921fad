// Feeds arbitrary bytes to the music's two decoding paths: the whole-file
// decode, and the stream (the incremental decoder, the conversion to the
// 44.1 kHz stereo output, the ring and its loop, a restart, and the
// spectrum of what is heard). The stream is played as an output nobody
// hears plays it, and with no decoder thread each buffer decodes what it
// needs on this thread: an input costs its own decoding and nothing is
// waited for. A refused file leaves nothing behind; an accepted one has a
// sane format, whole frames and a finite, non-negative spectrum, and where
// it is already in the output's format the stream plays exactly what the
// whole-file decode gives, before and after the restart.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/band_levels.h"
#include "audio/mp3_decoder.h"
#include "audio/mp3_file.h"
#include "audio/stream.h"

namespace {

constexpr int output_rate = 44100;
constexpr int buffer_frames = 512;
constexpr int buffers = 4;
constexpr int64_t buffer_ns = 11'609'977;  // 512 frames at 44.1 kHz
// The smallest ring a stream takes: the fuzz target plays only 4 buffers.
constexpr uint64_t ring_frames = 16384;

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

// Each input allocates a few hundred kilobytes (the decoders, the ring, the
// converter); with the default 256 MB quarantine of freed memory every one
// of them lands on pages never touched before. A smaller one still holds
// everything freed within several inputs, for use-after-free reports.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

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
  const bool as_is = whole && pcm.rate == output_rate && pcm.channels == output_channels;
  int16_t out[buffer_frames * output_channels];
  start_stream(*stream, true, true);
  for (int i = 0; i < buffers; ++i) {
    // After the first buffer the stream restarts: the file's start is
    // written again from where the device stopped, the decoder rewound.
    if (i == 1) start_stream(*stream, true, true);
    std::memset(out, 0, sizeof out);
    render_stream(*stream, out, buffer_frames, i * buffer_ns, true);
    const size_t played = static_cast<size_t>(i == 0 ? 0 : i - 1) * buffer_frames * output_channels;
    for (size_t k = 0; as_is && k < sizeof out / sizeof out[0]; ++k)
      require(out[k] == pcm.samples[(played + k) % pcm.samples.size()]);
  }
  const Hearing hearing = hear_stream(*stream, (buffers - 1) * buffer_ns);
  float mono[spectrum_input_samples];
  heard_window(*stream, hearing, mono);
  float bins[spectrum_bands];
  compute_spectrum(mono, bins);
  for (float v : bins) require(std::isfinite(v) && v >= 0.0f);
  delete stream;
  return 0;
}
