#include "tools/capture/show_music.h"

#include <cstddef>
#include <vector>

#include "platform/audio_output.h"
#include "platform/capture/capture_clock.h"

namespace capture {

namespace {

constexpr int channels = platform::audio_output_channels;
// The track is taken at most one video frame (a second at 1 fps) behind
// what has been heard; two seconds of room is plenty.
constexpr int64_t ring_frames = 2 * music_rate;

// The last ring_frames frames heard, frame f at f % ring_frames; made before
// the show starts, so recording allocates nothing.
std::vector<int16_t> ring;
int64_t recorded_first = 0;  // nothing before this frame is kept
int64_t heard_frames = 0;    // frames heard since the output opened

void record(const int16_t* frames_heard, int frames, int64_t) {
  for (int i = 0; i < frames; ++i, ++heard_frames) {
    if (heard_frames < recorded_first) continue;
    const size_t at = static_cast<size_t>(heard_frames % ring_frames) * channels;
    for (int c = 0; c < channels; ++c) ring[at + c] = frames_heard[i * channels + c];
  }
}

}  // namespace

void music_prepare(int64_t first) {
  ring.assign(static_cast<size_t>(ring_frames) * channels, 0);
  recorded_first = first;
  heard_frames = 0;
  platform::capture_clock_listen(record);
}

void music_advance_to(int64_t ns) { platform::capture_clock_advance_to(ns); }

void music_samples(int64_t first, int frames, int16_t* out) {
  for (int i = 0; i < frames; ++i) {
    const int64_t frame = first + i;
    const bool kept = frame >= recorded_first && frame < heard_frames && frame >= heard_frames - ring_frames;
    const size_t at = static_cast<size_t>(frame % ring_frames) * channels;
    for (int c = 0; c < channels; ++c) out[i * channels + c] = kept ? ring[at + c] : 0;
  }
}

}  // namespace capture
