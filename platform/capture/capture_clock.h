// The owner's side of the capture-clock output: the clock moves only when
// the owner moves it, and every frame due by then is filled at once. An
// offline renderer moves it to n / fps before drawing video frame n, so the
// position and spectrum it reads are those of the music at that moment.
#pragma once

#include <cstdint>

namespace platform {

// Fills, on the calling thread and in chunks, every frame before the one
// heard at `ns` (frame k is heard k / rate seconds after the clock's reading
// when the output opened), each chunk stamped with the time its first frame
// is heard; then sets the clock to `ns`. The clock never goes back: an
// earlier time changes nothing. Without an open output it only sets the
// clock.
void capture_clock_advance_to(int64_t ns);

// The clock reading for video frame `n` at `fps` frames a second: n / fps
// seconds, rounded up to the nanosecond so that the frame heard then is
// exactly frame n * rate / fps (rounded down) of the audio, as at n / fps.
int64_t capture_clock_frame_ns(int64_t n, int fps);

}  // namespace platform
