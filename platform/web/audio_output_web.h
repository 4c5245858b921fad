// What the browser's MP3 decoder needs to know of the web audio output.
#pragma once

namespace platform {

// The rate the output runs at, or the rate it will open at by default
// (CD audio) before it is open. The browser decodes the music at this rate.
int web_audio_output_rate();

}  // namespace platform
