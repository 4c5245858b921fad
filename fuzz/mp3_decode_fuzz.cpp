// Feeds arbitrary bytes to the music's two decoding paths: the whole-file
// decode, and the stream (the incremental decoder, the conversion to the
// output's stereo format, the ring and its loop, a restart, and the
// spectrum of what is heard). The stream is played as an output nobody
// hears plays it, and with no decoder thread each buffer decodes what it
// needs on this thread: an input costs its own decoding and nothing is
// waited for. A refused file leaves nothing behind; an accepted one has a
// sane format, whole frames and a finite, non-negative spectrum, and where
// the output runs at its rate the stream plays exactly what the whole-file
// decode gives, before and after the restart.
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

// One input in four (by its length, so that a mutation adding or removing
// a byte moves a file between the two) is played by a 44.1 kHz output,
// through the rate converter unless the file is 44.1 kHz already; the
// others by an output at the file's own rate, as a device opened at that
// rate would, where only the channels are converted and every file, mono
// or stereo, must play exactly its whole-file decode. The rate conversion
// costs more than the rest of an input together (a sinc filter over every
// output frame), and it is not what hostile bytes reach: what it is given
// is decoded audio.
constexpr int converted_rate = 44100;
constexpr size_t converted_one_in = 4;
constexpr int buffer_frames = 128;
constexpr int buffers = 4;
// Small steps and the smallest ring they allow: the target plays only 4
// short buffers and the spectrum's half window past them, which four
// 512-frame steps cover (the program's 4096-frame steps would decode and
// convert twice as much), and a loop longer than a step but within what is
// played is rewound at its end as well as at the restart.
constexpr StreamSize stream_size{512, 1};

void require(bool condition) {
  if (!condition) std::abort();
}

// Whether `frames` output frames equal the whole-file decode from its frame
// `first` on, around its loop: stereo as it is, mono in both channels.
bool plays_whole_file(const int16_t* out, int frames, const DecodedPcm& pcm, size_t first) {
  const size_t length = pcm.frames();
  const size_t last_channel = static_cast<size_t>(pcm.channels) - 1;
  for (int k = 0; k < frames; ++k) {
    const int16_t* in = &pcm.samples[((first + static_cast<size_t>(k)) % length) * static_cast<size_t>(pcm.channels)];
    if (out[2 * k] != in[0] || out[2 * k + 1] != in[last_channel]) return false;
  }
  return true;
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
  const int output_rate = size % converted_one_in == 0 ? converted_rate : format.rate;
  const int64_t buffer_ns = int64_t(buffer_frames) * 1'000'000'000 / output_rate;
  Stream* stream = make_stream(decoder, format, output_rate, stream_size);
  if (stream == nullptr) return 0;
  const bool as_is = whole && pcm.rate == output_rate;
  int16_t out[buffer_frames * output_channels];
  start_stream(*stream, true, true);
  for (int i = 0; i < buffers; ++i) {
    // After the first buffer the stream restarts: the file's start is
    // written again from where the device stopped, the decoder rewound.
    if (i == 1) start_stream(*stream, true, true);
    std::memset(out, 0, sizeof out);
    render_stream(*stream, out, buffer_frames, i * buffer_ns, true);
    const size_t played = static_cast<size_t>(i == 0 ? 0 : i - 1) * buffer_frames;
    require(!as_is || plays_whole_file(out, buffer_frames, pcm, played));
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
