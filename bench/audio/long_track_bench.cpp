// Opening and playing a ten-minute track against the 30-second default one,
// side by side in one run: the time from opening the stream to its first
// buffer being ready, and the resident memory a few seconds into playback.
//
// The ten-minute track is made here: the default track decoded, looped
// twenty times and encoded again with LAME at 192 kbit/s. Each measurement
// runs in a fresh process of this program (so that nothing one run
// allocated shows in the next), alternating the two tracks; medians are
// printed. For reference the same is measured for the whole-file decode
// the music used to be opened with.
#include "audio/bass.h"
#include "audio/mp3_file.h"
#include "audio/stream.h"
#include "platform/audio_output.h"
#include "tests/support/lame_encode.h"
#include "tests/support/process_memory.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int rounds = 5;
constexpr double play_seconds = 4.0;

double ms_since(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// One measurement, in its own process: prints "open_ms first_buffer_ms
// baseline_kb playing_kb".
int measure_stream(const char* path) {
  BASS_Init(0, 44100, 0, nullptr, nullptr);  // the silent output
  const long baseline = resident_kb();
  const Clock::time_point t0 = Clock::now();
  const HSTREAM h = BASS_StreamCreateFile(0, path, 0, 0, 0);
  BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP);
  const double open_ms = ms_since(t0);
  Stream* s = stream_for_handle(h);
  if (!s) return 1;
  while (s->frames_handed.load() == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
  const double first_ms = ms_since(t0);
  std::this_thread::sleep_for(std::chrono::duration<double>(play_seconds));
  std::printf("%.3f %.3f %ld %ld\n", open_ms, first_ms, baseline, resident_kb());
  return 0;
}

// The whole-file decode, as a stream was opened before: "decode_ms
// baseline_kb decoded_kb".
int measure_whole(const char* path) {
  const long baseline = resident_kb();
  const Clock::time_point t0 = Clock::now();
  DecodedPcm pcm;
  if (!decode_mp3_file(path, &pcm)) return 1;
  const double ms = ms_since(t0);
  std::printf("%.3f 0 %ld %ld\n", ms, baseline, resident_kb());
  return 0;
}

// Runs this program on `path` in `mode`; the four figures it printed.
std::vector<double> run_child(const char* self, const char* mode, const std::string& path) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    execl(self, self, mode, path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char text[256] = {};
  size_t got = 0;
  for (ssize_t n; got < sizeof text - 1 && (n = read(fds[0], text + got, sizeof text - 1 - got)) > 0;)
    got += static_cast<size_t>(n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  std::vector<double> v(4);
  if (std::sscanf(text, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]) != 4) return {};
  return v;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

std::string make_ten_minute_track(const std::string& default_track) {
  DecodedPcm pcm;
  if (!decode_mp3_file(default_track.c_str(), &pcm)) return {};
  std::vector<int16_t> looped;
  looped.reserve(pcm.samples.size() * 20);
  for (int i = 0; i < 20; ++i) looped.insert(looped.end(), pcm.samples.begin(), pcm.samples.end());
  const std::vector<unsigned char> mp3 = encode_mp3(looped, pcm.rate, pcm.channels, LameOptions{192, true});
  const std::string path = temp_path("ten-minutes.mp3");
  return !mp3.empty() && write_file(path, mp3) ? path : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--stream") == 0) return measure_stream(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--whole") == 0) return measure_whole(argv[2]);

  const std::string short_track = std::string(ZARNIC_SOURCE_DIR) + "/data/orvu.mp3";
  std::printf("making the ten-minute track (the default one x 20, LAME CBR 192 kbit/s)...\n");
  std::fflush(stdout);
  const std::string long_track = make_ten_minute_track(short_track);
  if (long_track.empty()) {
    std::fprintf(stderr, "could not make the ten-minute track from %s\n", short_track.c_str());
    return 1;
  }
  const char* self = "/proc/self/exe";
  struct Series {
    const char* what;
    const char* mode;
    const std::string* path;
    std::vector<double> figures[4];
  };
  Series series[] = {{"streamed, 30 s track", "--stream", &short_track, {}},
                     {"streamed, 10 min track", "--stream", &long_track, {}},
                     {"whole-file decode, 30 s track", "--whole", &short_track, {}},
                     {"whole-file decode, 10 min track", "--whole", &long_track, {}}};
  for (int round = 0; round < rounds; ++round) {
    for (Series& s : series) {
      const std::vector<double> v = run_child(self, s.mode, *s.path);
      if (v.size() != 4) {
        std::fprintf(stderr, "a run of %s failed\n", s.what);
        return 1;
      }
      for (int i = 0; i < 4; ++i) s.figures[i].push_back(v[i]);
    }
  }
  std::remove(long_track.c_str());

  std::printf("\nmedians of %d alternating runs, each in a fresh process\n\n", rounds);
  std::printf("%-34s %12s %14s %12s %12s %12s\n", "", "open ms", "1st buffer ms", "before kB", "after kB", "growth kB");
  for (const Series& s : series) {
    const double before = median(s.figures[2]), after = median(s.figures[3]);
    std::printf("%-34s %12.2f %14.2f %12.0f %12.0f %12.0f\n", s.what, median(s.figures[0]), median(s.figures[1]),
                before, after, after - before);
  }
  const double open_gap = median(series[1].figures[0]) - median(series[0].figures[0]);
  const double first_gap = median(series[1].figures[1]) - median(series[0].figures[1]);
  const double rss_gap = median(series[1].figures[3]) - median(series[0].figures[3]);
  std::printf(
      "\nstreamed, 10 min minus 30 s: open %+.2f ms, first buffer %+.2f ms, resident %+.0f kB "
      "(goal: within 5 ms and 8 MB)\n",
      open_gap, first_gap, rss_gap);
  return 0;
}
