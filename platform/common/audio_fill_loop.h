// The fill loop every output without a device callback shares (the silent
// output's pacing thread and the capture clock): frame k of an output that
// opened at start_ns is heard k / rate seconds later, and every frame heard
// before a given time is filled by then, in chunks, each chunk stamped with
// the time its first frame is heard. The two differ only in what that time
// is: the monotonic clock plus a lead, or the capture clock's reading.
#pragma once

#include <cstdint>

#include "platform/audio_output.h"

namespace platform {

// The most frames one fill takes (the chunk the loop writes into).
constexpr int audio_fill_chunk_frames = 1024;

// Called with each chunk right after the fill wrote it: what is heard from
// heard_at_ns on.
using AudioChunkListener = void (*)(const int16_t* frames_heard, int frames, int64_t heard_at_ns);

// Clock time at which frame `frame` is heard, counted from start_ns.
inline int64_t audio_frame_heard_ns(int64_t start_ns, int64_t frame, int rate) {
  return start_ns + static_cast<int64_t>(static_cast<__int128>(frame) * 1000000000 / rate);
}

// Fills, through `fill` and on the calling thread, every frame from *filled
// up to the last one heard before until_ns, and moves *filled past them.
// `listener` (may be null) sees each chunk after it is filled.
inline void fill_frames_due(AudioFill fill, AudioChunkListener listener, int rate, int64_t start_ns, int64_t until_ns,
                            int64_t* filled) {
  int16_t chunk[audio_fill_chunk_frames * audio_output_channels];
  const int64_t due = static_cast<int64_t>(static_cast<__int128>(until_ns - start_ns) * rate / 1000000000);
  while (*filled < due) {
    const int frames =
        static_cast<int>(due - *filled < audio_fill_chunk_frames ? due - *filled : audio_fill_chunk_frames);
    const int64_t heard_at_ns = audio_frame_heard_ns(start_ns, *filled, rate);
    fill(chunk, frames, heard_at_ns);
    if (listener != nullptr) listener(chunk, frames, heard_at_ns);
    *filled += frames;
  }
}

}  // namespace platform
