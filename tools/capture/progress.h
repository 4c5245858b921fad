// The progress bar on the terminal: frames done, frames per second, time
// left. Drawn on stderr only when stderr is a terminal, so logs and pipes
// get the summary line alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace capture {

class Progress {
 public:
  // `terminal`: whether to draw at all (normally isatty(stderr)).
  void start(int64_t total_frames, bool terminal, std::FILE* out);
  void update(int64_t frames_done);
  // Clears the bar, leaving the line free for the summary.
  void finish();

 private:
  std::FILE* out = nullptr;
  int64_t total = 0;
  bool drawing = false;
  std::chrono::steady_clock::time_point started;
  std::chrono::steady_clock::time_point last_drawn;
};

// "12.3 MB", "640 kB", "512 B".
void format_size(int64_t bytes, char* text, int size);

}  // namespace capture
