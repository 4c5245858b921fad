// Costs of the music layer: decoding the default track, the per-frame
// calls, and the device callback.
#include "audio/bass.h"
#include "audio/mp3_file.h"
#include "audio/output.h"
#include "audio/band_levels.h"
#include "audio/stream.h"

#include "tests/support/lame_encode.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string default_track = std::string(ZARNIC_SOURCE_DIR) + "/data/orvu.mp3";

// The default track if present, else 30 s of generated stereo.
const std::vector<unsigned char>& track_bytes() {
  static const std::vector<unsigned char> bytes = [] {
    std::vector<unsigned char> b;
    if (std::FILE* f = std::fopen(default_track.c_str(), "rb")) {
      unsigned char chunk[65536];
      size_t n;
      while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + n);
      std::fclose(f);
    }
    if (b.empty()) b = encode_mp3(make_test_signal(44100 * 30, 44100, 2), 44100, 2);
    return b;
  }();
  return bytes;
}

void BM_DecodeTrack(benchmark::State& state) {
  const std::vector<unsigned char>& bytes = track_bytes();
  DecodedPcm pcm;
  for (auto _ : state) {
    if (!decode_mp3_memory(bytes.data(), bytes.size(), &pcm)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(pcm.samples.data());
  }
  state.counters["track_s"] = pcm.rate ? double(pcm.frames()) / pcm.rate : 0.0;
}
BENCHMARK(BM_DecodeTrack)->Unit(benchmark::kMillisecond);

void BM_Spectrum(benchmark::State& state) {
  std::vector<float> in(spectrum_input_samples, 0.25f), out(spectrum_bands);
  for (auto _ : state) {
    compute_spectrum(in.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Spectrum)->Unit(benchmark::kMicrosecond);

// One frame's calls on the playing default track, silent output running.
void BM_GetDataAndPosition(benchmark::State& state) {
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  const std::vector<unsigned char>& bytes = track_bytes();
  const HSTREAM h = BASS_StreamCreateFile(1, bytes.data(), 0, bytes.size(), 0);
  BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP);
  float bins[1024];
  for (auto _ : state) {
    BASS_ChannelGetData(h, bins, BASS_DATA_FFT2048);
    const QWORD position = BASS_ChannelGetPosition(h);
    benchmark::DoNotOptimize(BASS_ChannelBytes2Seconds(h, position));
    benchmark::DoNotOptimize(bins);
  }
  close_output();
  forget_streams();
}
BENCHMARK(BM_GetDataAndPosition)->Unit(benchmark::kMicrosecond);

// The callback's work for one 1024-frame device buffer, called directly
// (no output open, so nothing else renders the stream).
void BM_Callback(benchmark::State& state) {
  const std::vector<unsigned char>& bytes = track_bytes();
  const HSTREAM h = BASS_StreamCreateFile(1, bytes.data(), 0, bytes.size(), 0);
  BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP);
  std::vector<int16_t> buffer(1024 * 2);
  for (auto _ : state) {
    mix_streams(buffer.data(), 1024, 0);
    benchmark::DoNotOptimize(buffer.data());
  }
  forget_streams();
}
BENCHMARK(BM_Callback)->Unit(benchmark::kMicrosecond);

}  // namespace
