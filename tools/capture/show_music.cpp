#include "tools/capture/show_music.h"

#include <cstring>
#include <vector>

#include "platform/audio_output.h"
#include "platform/capture/capture_clock.h"

namespace capture {

namespace {

constexpr int channels = platform::audio_output_channels;

// What is heard, from audio frame `recorded_first` on; room for it all is
// made before the show starts, so recording allocates nothing.
std::vector<int16_t> recorded;
int64_t recorded_first = 0;
int64_t heard_frames = 0;  // frames heard since the output opened

void record(const int16_t* frames_heard, int frames, int64_t) {
  const int64_t capacity = static_cast<int64_t>(recorded.size()) / channels;
  for (int i = 0; i < frames; ++i) {
    const int64_t at = heard_frames + i - recorded_first;
    if (at < 0 || at >= capacity) continue;
    std::memcpy(&recorded[static_cast<size_t>(at) * channels], frames_heard + i * channels, channels * sizeof(int16_t));
  }
  heard_frames += frames;
}

}  // namespace

void music_prepare(int64_t first, int64_t frames) {
  recorded.assign(static_cast<size_t>(frames) * channels, 0);
  recorded_first = first;
  heard_frames = 0;
  platform::capture_clock_listen(record);
}

void music_advance_to(int64_t ns) { platform::capture_clock_advance_to(ns); }

void music_samples(int64_t first, int frames, int16_t* out) {
  const int64_t capacity = static_cast<int64_t>(recorded.size()) / channels;
  for (int i = 0; i < frames; ++i) {
    const int64_t at = first + i - recorded_first;
    const bool heard = at >= 0 && at < capacity && first + i < heard_frames;
    for (int c = 0; c < channels; ++c) {
      out[i * channels + c] = heard ? recorded[static_cast<size_t>(at) * channels + c] : 0;
    }
  }
}

}  // namespace capture
