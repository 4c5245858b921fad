// The music through the scripted stand-in: the position is the frame clock's
// time, the spectrum the band levels of the decoded file around it.
#include <cstring>

#include "audio/band_levels.h"
#include "audio/mp3_file.h"
#include "audio/scripted/scripted_music.h"
#include "tools/capture/show_music.h"

namespace capture {

namespace {

DecodedPcm decoded;

int16_t sample_at(int64_t frame, int channel) {
  const int64_t length = static_cast<int64_t>(decoded.frames());
  if (length == 0 || decoded.channels != 2) return 0;
  return decoded.samples[static_cast<size_t>((frame % length) * 2 + channel)];
}

}  // namespace

void music_prepare() { decode_mp3_file("data/orvu.mp3", &decoded); }

void music_advance_to(int64_t ns) {
  const int64_t frame = ns * music_rate / 1000000000;
  scripted_music::set_position_bytes(static_cast<uint64_t>(frame) * 4);
  float mono[spectrum_input_samples];
  for (int i = 0; i < spectrum_input_samples; ++i) {
    const int64_t f = frame - spectrum_input_samples / 2 + i;
    mono[i] = f < 0 ? 0.0f : (sample_at(f, 0) + sample_at(f, 1)) / 65536.0f;
  }
  float bands[spectrum_bands];
  compute_spectrum(mono, bands);
  scripted_music::set_spectrum(bands, spectrum_bands);
}

void music_samples(int64_t first, int frames, int16_t* out) {
  for (int i = 0; i < frames; ++i) {
    out[2 * i] = sample_at(first + i, 0);
    out[2 * i + 1] = sample_at(first + i, 1);
  }
}

}  // namespace capture
