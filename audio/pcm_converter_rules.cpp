#include "audio/pcm_converter_rules.h"

#include <cstring>

namespace {

constexpr int lowest_rate = 1000;
constexpr int highest_rate = 384000;

bool rate_taken(int rate) { return rate >= lowest_rate && rate <= highest_rate; }

}  // namespace

bool pcm_converter_takes(int in_rate, int in_channels, int out_rate, long max_in_frames) {
  return rate_taken(in_rate) && rate_taken(out_rate) && max_in_frames > 0 && (in_channels == 1 || in_channels == 2);
}

void pcm_to_stereo(const int16_t* in, long frames, int in_channels, int16_t* out) {
  if (in_channels == 2) {
    std::memcpy(out, in, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
    return;
  }
  for (long i = 0; i < frames; ++i) out[2 * i] = out[2 * i + 1] = in[i];
}
