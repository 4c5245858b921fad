// The music layer on the capture clock, the same on native Linux (libmpg123)
// and in the page (the browser's decoder): the default track played from
// the start, and at fixed moments its position and the spectrum's first
// bands, one line per moment:
//   seconds position_bytes band0 band1 ... band7
// The native build writes the lines to the file named by its argument; the
// page publishes them as window.zarnic_music_lines.
#include <cstdio>
#include <string>

#include "audio/bass.h"
#include "platform/capture/capture_clock.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The browser's decoder decodes at the web output's rate; this program plays
// through the capture clock instead, at the rate the show opens.
namespace platform {
int web_audio_output_rate() { return 44100; }
}  // namespace platform

// clang-format off
EM_JS(void, publish_lines, (const char* text), {
  window.zarnic_music_lines = UTF8ToString(text);
});
// clang-format on
#endif

namespace {

constexpr int output_rate = 44100;
constexpr int reported_bands = 8;
constexpr double moments_seconds[] = {0.25, 1.0, 2.5, 4.75, 6.0, 9.5, 13.25, 15.5, 29.0, 31.5};

}  // namespace

int main(int argc, char** argv) {
  std::string lines;
  // The capture clock is no device: the music plays on, unheard.
  BASS_Init(1, output_rate, 0, nullptr, nullptr);
  {
    const HSTREAM stream = BASS_StreamCreateFile(0, "data/orvu.mp3", 0, 0, BASS_SAMPLE_LOOP);
    BASS_StreamPlay(stream, 0, BASS_SAMPLE_LOOP);
    for (const double seconds : moments_seconds) {
      platform::capture_clock_advance_to(static_cast<int64_t>(seconds * 1e9));
      float bins[1024] = {};
      BASS_ChannelGetData(stream, bins, BASS_DATA_FFT2048);
      char line[256];
      int used = std::snprintf(line, sizeof line, "%.2f %llu", seconds,
                               static_cast<unsigned long long>(BASS_ChannelGetPosition(stream)));
      for (int band = 0; band < reported_bands; ++band) {
        used += std::snprintf(line + used, sizeof line - used, " %.6f", static_cast<double>(bins[band]));
      }
      lines += line;
      lines += '\n';
    }
  }
#ifdef __EMSCRIPTEN__
  (void)argc;
  (void)argv;
  publish_lines(lines.c_str());
  return 0;
#else
  FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (out == nullptr) return 2;
  std::fputs(lines.c_str(), out);
  return std::fclose(out) == 0 ? 0 : 1;
#endif
}
