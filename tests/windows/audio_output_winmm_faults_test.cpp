// The waveOut output on a device that fails or reports its position poorly:
// wine's ALSA output into a file (HOME points at a folder whose .asoundrc
// says so), with waveOutPrepareHeader, waveOutWrite and waveOutGetPosition
// wrapped at link time (-Wl,--wrap=__imp_NAME) so that the test decides what
// the driver answers; everything it does not change reaches wine.
#include <windows.h>
// windows.h first: mmsystem.h relies on its types.
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio_output.h"

namespace {

using PrepareCall = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);
using WriteCall = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);
using PositionCall = MMRESULT(WINAPI*)(HWAVEOUT, LPMMTIME, UINT);

// What the driver is made to do; calls are counted from 1.
std::atomic<int> prepare_fails_at{0};  // 0: never
std::atomic<int> writes_fail_from{0};  // 0: never
std::atomic<UINT> position_unit{TIME_SAMPLES};
std::atomic<int> prepares{0};
std::atomic<int> writes{0};
std::atomic<HWAVEOUT> device{nullptr};

}  // namespace

extern "C" {
extern PrepareCall __real___imp_waveOutPrepareHeader;
extern WriteCall __real___imp_waveOutWrite;
extern PositionCall __real___imp_waveOutGetPosition;
}

namespace {

MMRESULT WINAPI prepare(HWAVEOUT h, LPWAVEHDR header, UINT size) {
  if (++prepares == prepare_fails_at.load()) return MMSYSERR_NOMEM;
  return __real___imp_waveOutPrepareHeader(h, header, size);
}

MMRESULT WINAPI write(HWAVEOUT h, LPWAVEHDR header, UINT size) {
  const int failing = writes_fail_from.load();
  if (++writes >= failing && failing > 0) return MMSYSERR_NODRIVER;
  return __real___imp_waveOutWrite(h, header, size);
}

// Answers in position_unit whatever unit is asked for, as a driver that
// does not keep that unit does.
MMRESULT WINAPI position(HWAVEOUT h, LPMMTIME time, UINT size) {
  device = h;
  time->wType = position_unit.load();
  return __real___imp_waveOutGetPosition(h, time, size);
}

}  // namespace

extern "C" {
PrepareCall __wrap___imp_waveOutPrepareHeader = prepare;
WriteCall __wrap___imp_waveOutWrite = write;
PositionCall __wrap___imp_waveOutGetPosition = position;
}

namespace {

constexpr int rate = 44100;
constexpr int64_t ns_per_second = 1000000000;

struct Fill {
  int64_t heard_at_ns;
  int frames;
  int64_t called_ns;
  int64_t first_frame;     // frames handed out before this fill
  int64_t device_samples;  // the device's true position in samples then, -1 unknown
};

std::mutex fills_mutex;
std::vector<Fill> fills;
int64_t frames_handed = 0;

void record_fill(int16_t* out, int frames, int64_t heard_at_ns) {
  for (int i = 0; i < frames * platform::audio_output_channels; ++i) out[i] = 0;
  Fill f{heard_at_ns, frames, platform::audio_clock_ns(), 0, -1};
  const HWAVEOUT h = device.load();
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  if (h != nullptr && __real___imp_waveOutGetPosition(h, &time, sizeof time) == MMSYSERR_NOERROR &&
      time.wType == TIME_SAMPLES)
    f.device_samples = time.u.sample;
  std::lock_guard<std::mutex> lock(fills_mutex);
  f.first_frame = frames_handed;
  frames_handed += frames;
  fills.push_back(f);
}

void reset_driver() {
  prepare_fails_at = 0;
  writes_fail_from = 0;
  position_unit = TIME_SAMPLES;
  prepares = 0;
  writes = 0;
  device = nullptr;
  std::lock_guard<std::mutex> lock(fills_mutex);
  fills.clear();
  frames_handed = 0;
}

std::vector<Fill> fills_so_far() {
  std::lock_guard<std::mutex> lock(fills_mutex);
  return fills;
}

int64_t frames_so_far() {
  std::lock_guard<std::mutex> lock(fills_mutex);
  return frames_handed;
}

TEST(WinmmOutputFaults, AFailingDeviceHandsOverToTheSilentOutputFromThePositionReached) {
  struct Case {
    const char* what;
    int prepare_fails_at;
    int writes_fail_from;
    bool audible;  // what the open reports
  };
  const Case cases[] = {
      {"the second buffer cannot be prepared", 2, 0, false},
      {"the first write fails", 0, 1, true},
      {"every write from the tenth on fails (unplugged)", 0, 10, true},
  };
  for (const Case& c : cases) {
    reset_driver();
    prepare_fails_at = c.prepare_fails_at;
    writes_fail_from = c.writes_fail_from;
    platform::AudioOutputInfo info;
    ASSERT_TRUE(platform::audio_output_open(1, rate, record_fill, &info)) << c.what;
    EXPECT_EQ(info.audible, c.audible) << c.what << ": the ALSA file sink gives wine a device";
    // Until the failure has come (the device takes a buffer every 23 ms).
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (c.writes_fail_from > 0 && writes.load() < c.writes_fail_from && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int64_t start_ns = platform::audio_clock_ns();
    const int64_t frames_at_start = frames_so_far();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int64_t elapsed_ns = platform::audio_clock_ns() - start_ns;
    const int64_t taken = frames_so_far() - frames_at_start;
    platform::audio_output_close();

    // Frames go on being taken in real time (loosely, for a busy machine).
    const double expected = static_cast<double>(elapsed_ns) * rate / ns_per_second;
    EXPECT_GT(taken, expected * 0.7) << c.what << ": the output stopped taking frames";
    EXPECT_LT(taken, expected * 1.05 + 8192) << c.what;
    if (c.writes_fail_from == 0) continue;
    // The buffer the device refused is the fill just before the write that
    // failed; the silent output's first frame follows it without a gap or
    // an overlap, as if it had been heard.
    const std::vector<Fill> seen = fills_so_far();
    const size_t refused = static_cast<size_t>(c.writes_fail_from) - 1;
    ASSERT_GT(seen.size(), refused + 1) << c.what;
    const int64_t buffer_ns = seen[refused].frames * ns_per_second / rate;
    EXPECT_NEAR(static_cast<double>(seen[refused + 1].heard_at_ns - seen[refused].heard_at_ns),
                static_cast<double>(buffer_ns), 1000.0)
        << c.what;
    for (size_t i = refused + 2; i < seen.size(); ++i) {
      const int64_t expected_ns = seen[i - 1].heard_at_ns + seen[i - 1].frames * ns_per_second / rate;
      ASSERT_NEAR(static_cast<double>(seen[i].heard_at_ns), static_cast<double>(expected_ns), 1000.0)
          << c.what << ", fill " << i;
    }
  }
}

TEST(WinmmOutputFaults, ThePositionNeverRunsAheadOfWhatTheDeviceHasPlayed) {
  // Stamps say which frame is heard when; at each fill, the frame they put
  // at that moment must be one the device has reached.
  struct Case {
    const char* what;
    UINT unit;
  };
  const Case cases[] = {
      {"a driver that reports samples", TIME_SAMPLES},
      {"a driver that reports bytes", TIME_BYTES},
      {"a driver that reports only milliseconds", TIME_MS},
  };
  for (const Case& c : cases) {
    reset_driver();
    position_unit = c.unit;
    platform::AudioOutputInfo info;
    ASSERT_TRUE(platform::audio_output_open(1, rate, record_fill, &info)) << c.what;
    ASSERT_TRUE(info.audible) << c.what << ": the ALSA file sink gives wine a device";
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    platform::audio_output_close();
    const std::vector<Fill> seen = fills_so_far();
    ASSERT_GT(seen.size(), 8u) << c.what;
    int checked = 0;
    int64_t worst_ahead = INT64_MIN;
    for (const Fill& f : seen) {
      if (f.device_samples < 0) continue;
      const int64_t heard_now = f.first_frame - (f.heard_at_ns - f.called_ns) * rate / ns_per_second;
      worst_ahead = std::max(worst_ahead, heard_now - f.device_samples);
      ++checked;
    }
    std::printf("%s: %d fills checked, the stamps at most %lld frames ahead of the device\n", c.what, checked,
                static_cast<long long>(worst_ahead));
    EXPECT_GT(checked, 4) << c.what;
    // A little leeway for the time between the output's reading and this
    // one (a few ms of a busy machine).
    EXPECT_LE(worst_ahead, 256) << c.what;
  }
}

}  // namespace
