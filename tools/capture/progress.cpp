#include "tools/capture/progress.h"

namespace capture {

namespace {

constexpr int bar_width = 30;
// Redrawn at most this often: a terminal needs no more, and a slow one
// would hold the capture up.
constexpr auto redraw_interval = std::chrono::milliseconds(200);

}  // namespace

void Progress::start(int64_t total_frames, bool terminal, std::FILE* stream) {
  out = stream;
  total = total_frames > 0 ? total_frames : 1;
  drawing = terminal;
  started = std::chrono::steady_clock::now();
  last_drawn = started - redraw_interval;
}

void Progress::update(int64_t done) {
  if (!drawing) return;
  const auto now = std::chrono::steady_clock::now();
  if (done < total && now - last_drawn < redraw_interval) return;
  last_drawn = now;
  const double seconds = std::chrono::duration<double>(now - started).count();
  const double rate = seconds > 0.0 ? done / seconds : 0.0;
  const long left = rate > 0.0 ? static_cast<long>((total - done) / rate + 0.5) : 0;
  char bar[bar_width + 1];
  const int filled = static_cast<int>(done * bar_width / total);
  for (int i = 0; i < bar_width; ++i) bar[i] = i < filled ? '#' : '.';
  bar[bar_width] = '\0';
  std::fprintf(out, "\r[%s] %lld/%lld frames  %.1f fps  %ld:%02ld left ", bar, static_cast<long long>(done),
               static_cast<long long>(total), rate, left / 60, left % 60);
  std::fflush(out);
}

void Progress::finish() {
  if (!drawing) return;
  std::fprintf(out, "\r%*s\r", bar_width + 60, "");
  std::fflush(out);
}

void format_size(int64_t bytes, char* text, int size) {
  if (bytes >= 1000 * 1000) {
    std::snprintf(text, size, "%.1f MB", bytes / 1e6);
  } else if (bytes >= 1000) {
    std::snprintf(text, size, "%.0f kB", bytes / 1e3);
  } else {
    std::snprintf(text, size, "%lld B", static_cast<long long>(bytes));
  }
}

}  // namespace capture
