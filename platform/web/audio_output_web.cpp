// The audio output in the browser: a Web Audio context at the output's rate
// (the page makes it on the viewer's click, as browsers start sound only
// then) with a script processor that pulls each buffer from the fill on the
// page's main thread. Where no context runs, the silent output takes the
// frames in real time instead.
#include "platform/audio_output.h"

#include <emscripten.h>

#include <cmath>

#include "platform/silent/silent_output.h"
#include "platform/web/audio_output_web.h"

namespace {

// ---------------------------------------------------------------------------
// Constants.

constexpr int default_rate = 44100;
// Frames per script-processor buffer: 46 ms at 44.1 kHz, short enough for
// the spectrum to follow the music, long enough not to starve between two
// frames of a busy page.
constexpr int buffer_frames = 2048;

// ---------------------------------------------------------------------------
// State.

platform::AudioOutputInfo open_info;
bool is_open = false;
bool page_audio = false;
platform::AudioFill page_fill = nullptr;
int16_t page_buffer[buffer_frames * platform::audio_output_channels];

// ---------------------------------------------------------------------------
// Page calls.

// Starts the script processor on the page's context, or on a new one at
// `rate`; 0 when no context runs at that rate.
// clang-format off
EM_JS(int, start_page_audio, (int rate, int frames), {
  var context = Module['zarnic_audio_context'];
  if (!context || context.sampleRate != rate || context.state == 'closed') {
    // A context at another rate is let go of, not left running: a page may
    // hold only a few at a time, and each keeps its audio thread.
    if (context && context.state != 'closed') context.close();
    Module['zarnic_audio_context'] = null;
    try {
      context = new AudioContext({sampleRate : rate, latencyHint : 'interactive'});
    } catch (e) {
      return 0;
    }
    Module['zarnic_audio_context'] = context;
  }
  if (context.state != 'running') context.resume();
  if (context.state != 'running') return 0;
  var node = context.createScriptProcessor(frames, 0, 2);
  node.onaudioprocess = function(event) {
    // When this buffer is heard, on the page's clock (performance.now()).
    var stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    var heard_ms =
        stamp && stamp.performanceTime > 0
            ? stamp.performanceTime + (event.playbackTime - stamp.contextTime) * 1000
            : performance.now() + (event.playbackTime - context.currentTime + (context.baseLatency || 0)) * 1000;
    var output = event.outputBuffer;
    var count = output.length;
    var samples = _zarnic_web_audio_fill(count, heard_ms) >> 1;
    var left = output.getChannelData(0);
    var right = output.getChannelData(1);
    for (var i = 0; i < count; i++) {
      left[i] = HEAP16[samples + 2 * i] / 32768;
      right[i] = HEAP16[samples + 2 * i + 1] / 32768;
    }
  };
  node.connect(context.destination);
  Module['zarnic_audio_node'] = node;
  return 1;
});
// clang-format on

// clang-format off
EM_JS(void, stop_page_audio, (), {
  var node = Module['zarnic_audio_node'];
  if (node) {
    node.onaudioprocess = null;
    node.disconnect();
  }
  Module['zarnic_audio_node'] = null;
});
// clang-format on

}  // namespace

// The page's audio callback: one buffer of `frames` frames, heard at
// heard_at_ms on the page's clock. Returns the filled samples.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t* zarnic_web_audio_fill(int frames, double heard_at_ms) {
  if (frames > buffer_frames) frames = buffer_frames;
  if (page_fill == nullptr) {
    for (int16_t& sample : page_buffer) sample = 0;
    return page_buffer;
  }
  page_fill(page_buffer, frames, static_cast<int64_t>(std::llround(heard_at_ms * 1e6)));
  return page_buffer;
}

namespace platform {

int web_audio_output_rate() { return is_open ? open_info.rate : default_rate; }

bool audio_output_open(int device, int rate, AudioFill fill, AudioOutputInfo* info) {
  if (!is_open) {
    if (rate <= 0 || fill == nullptr) return false;
    page_fill = fill;
    if (device != 0 && start_page_audio(rate, buffer_frames) != 0) {
      page_audio = true;
      open_info.audible = true;
    } else {
      page_fill = nullptr;
      if (!silent_output_start(rate, fill)) return false;
      open_info.audible = false;
    }
    open_info.rate = rate;
    is_open = true;
  }
  if (info) *info = open_info;
  return true;
}

void audio_output_close() {
  if (page_audio) {
    stop_page_audio();
    page_audio = false;
    page_fill = nullptr;
  } else {
    silent_output_stop();
  }
  is_open = false;
  open_info = AudioOutputInfo{};
}

int64_t audio_clock_ns() { return monotonic_clock_ns(); }

}  // namespace platform
