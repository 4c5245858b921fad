// The output contract test's fixture for the web audio output, run in a page
// of headless Chromium with sound allowed without a gesture. Two builds:
//   - the page's audio context (which the page makes on the viewer's click)
//     is made and running before each open, and the script processor fills;
//   - with ZARNIC_PAGE_WITHOUT_WEB_AUDIO, the page has no Web Audio at all,
//     and the output falls back to the silent output.
// Time passes with the page's main thread free, since the script
// processor's fill runs there.
#include "tests/audio/audio_output_fixture.h"

#include <emscripten.h>

#include "platform/audio_output.h"

namespace output_contract {
namespace {

constexpr int64_t ns_per_ms = 1000000;

#ifndef ZARNIC_PAGE_WITHOUT_WEB_AUDIO
constexpr int page_rate = 44100;

// clang-format off
EM_ASYNC_JS(void, start_page_context, (int rate), {
  var context = Module['zarnic_audio_context'];
  if (!context || context.state == 'closed') {
    context = new AudioContext({sampleRate : rate, latencyHint : 'interactive'});
    Module['zarnic_audio_context'] = context;
  }
  if (context.state != 'running') await context.resume();
});
// clang-format on
#else
// clang-format off
EM_JS(void, remove_web_audio, (), {
  window.AudioContext = undefined;
  Module['zarnic_audio_context'] = null;
});
// clang-format on
#endif

}  // namespace

int device() {
#ifndef ZARNIC_PAGE_WITHOUT_WEB_AUDIO
  start_page_context(page_rate);
#else
  remove_web_audio();
#endif
  return 1;
}

// Sleeps through Asyncify, the browser running its events meanwhile, until
// the clock has moved on by at least `ns`.
void let_time_pass(int64_t ns) {
  const int64_t until = platform::audio_clock_ns() + ns;
  for (int64_t now = platform::audio_clock_ns(); now < until; now = platform::audio_clock_ns()) {
    emscripten_sleep(static_cast<unsigned>((until - now + ns_per_ms - 1) / ns_per_ms));
  }
}

#ifndef ZARNIC_PAGE_WITHOUT_WEB_AUDIO
// Stamps come from the context's output timestamp, a pair of its own clock
// and the page's that the browser refreshes at its audio device's pace;
// consecutive fills disagreed by up to 8.9 ms (three render quanta of 128
// frames) on a machine at load 6.
int64_t stamp_tolerance_ns() { return 30 * ns_per_ms; }

bool audible() { return true; }
#else
// The silent output's stamps are frames counted on the monotonic clock.
int64_t stamp_tolerance_ns() { return 1; }

bool audible() { return false; }
#endif

}  // namespace output_contract
