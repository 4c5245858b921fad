// The audio output on waveOut (winmm): a ring of four 1024-frame buffers,
// refilled by a thread as the device hands them back (CALLBACK_EVENT). Each
// buffer is stamped from the device's own position (waveOutGetPosition in
// samples), so what the music layer calls audible is what the device plays.
// When no device opens, the silent output (platform/silent/) takes the
// frames in real time, as on Linux; when the device fails later (a write
// refused: unplugged, a driver error), the silent output takes over from
// the position reached, so the music's clock goes on.
#include <windows.h>
// windows.h first: mmsystem.h relies on its types.
#include <mmsystem.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/audio_output.h"
#include "platform/silent/silent_output.h"

namespace platform {

namespace {

constexpr int max_rate = 384000;
constexpr int buffer_count = 4;
constexpr int buffer_frames = 1024;
constexpr int frame_bytes = audio_output_channels * static_cast<int>(sizeof(int16_t));
constexpr int64_t ns_per_second = 1000000000;

struct WaveOutput {
  HWAVEOUT device = nullptr;
  HANDLE done_event = nullptr;
  std::thread refill;
  std::atomic<bool> stopping{false};
  AudioFill fill = nullptr;
  int rate = 0;
  // Frames written to the device since it opened: the device position at
  // which the next buffer starts playing.
  uint64_t frames_written = 0;
  // Frames in the buffers the device has handed back: played, at least.
  uint64_t frames_returned = 0;
  // Set by the refill thread when a write failed and the silent output took
  // over; read once that thread has been joined.
  bool fell_back = false;
  WAVEHDR headers[buffer_count] = {};
  int16_t samples[buffer_count][buffer_frames * audio_output_channels] = {};
};

WaveOutput wave;
bool running = false;
AudioOutputInfo open_info;

int64_t counter_frequency() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return f.QuadPart;
}

// A counter that wraps every `period` frames (a power of two), widened by
// the frames written so far, which it is never ahead of.
uint64_t widen(uint64_t counter, uint64_t period, uint64_t frames_written) {
  const uint64_t high = frames_written & ~(period - 1);
  uint64_t position = high | counter;
  if (position > frames_written && high != 0) position -= period;
  return position > frames_written ? frames_written : position;
}

// The device's position in frames: in samples, or in bytes, where the
// driver reports either. A driver that reports neither (only milliseconds,
// or nothing) is taken to have played what it handed back, which lags what
// is heard by at most a buffer and never runs ahead of it.
uint64_t device_position(const WaveOutput& w) {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  if (waveOutGetPosition(w.device, &time, sizeof time) == MMSYSERR_NOERROR) {
    if (time.wType == TIME_SAMPLES) return widen(time.u.sample, uint64_t{1} << 32, w.frames_written);
    if (time.wType == TIME_BYTES)
      return widen(time.u.cb / frame_bytes, (uint64_t{1} << 32) / frame_bytes, w.frames_written);
  }
  return w.frames_returned;
}

// Fills header i and queues it. The first frame of the buffer is heard
// when the device has played everything queued before it. False when the
// device refuses the buffer: the silent output then carries on from the
// end of it, as if it had been heard, and this thread's work is over.
bool queue_buffer(WaveOutput& w, int i) {
  const int64_t now = audio_clock_ns();
  const uint64_t ahead = w.frames_written - device_position(w);
  const int64_t heard_at = now + static_cast<int64_t>(ahead) * ns_per_second / w.rate;
  w.fill(w.samples[i], buffer_frames, heard_at);
  w.headers[i].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  if (waveOutWrite(w.device, &w.headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    const int64_t next_heard_at = heard_at + static_cast<int64_t>(buffer_frames) * ns_per_second / w.rate;
    w.fell_back = silent_output_continue(w.rate, w.fill, next_heard_at);
    return false;
  }
  w.frames_written += buffer_frames;
  return true;
}

void refill_loop(WaveOutput* w) {
  for (int i = 0; i < buffer_count; ++i) {
    if (!queue_buffer(*w, i)) return;
  }
  while (!w->stopping.load()) {
    // The event is set whenever the device finishes a buffer; the timeout
    // only bounds how long stop waits.
    WaitForSingleObject(w->done_event, 50);
    for (int i = 0; i < buffer_count && !w->stopping.load(); ++i) {
      if (!(w->headers[i].dwFlags & WHDR_DONE)) continue;
      w->frames_returned += buffer_frames;
      if (!queue_buffer(*w, i)) return;
    }
  }
}

bool open_device(int rate, AudioFill fill) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = audio_output_channels;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = frame_bytes;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

  WaveOutput& w = wave;
  w.done_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (w.done_event == nullptr) return false;
  if (waveOutOpen(&w.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(w.done_event), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    CloseHandle(w.done_event);
    w.done_event = nullptr;
    w.device = nullptr;
    return false;
  }
  w.fill = fill;
  w.rate = rate;
  w.frames_written = 0;
  w.frames_returned = 0;
  w.fell_back = false;
  w.stopping.store(false);
  for (int i = 0; i < buffer_count; ++i) {
    w.headers[i] = WAVEHDR{};
    w.headers[i].lpData = reinterpret_cast<LPSTR>(w.samples[i]);
    w.headers[i].dwBufferLength = buffer_frames * frame_bytes;
    if (waveOutPrepareHeader(w.device, &w.headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR) continue;
    // A buffer the device will not take: as if no device had opened.
    for (int j = 0; j < i; ++j) waveOutUnprepareHeader(w.device, &w.headers[j], sizeof(WAVEHDR));
    waveOutClose(w.device);
    CloseHandle(w.done_event);
    w.device = nullptr;
    w.done_event = nullptr;
    return false;
  }
  // A program that ends without closing the output (the demo never does)
  // stops the thread before its object is destroyed, which would abort a
  // running thread.
  static const bool close_at_exit = std::atexit(audio_output_close) == 0;
  (void)close_at_exit;
  w.refill = std::thread(refill_loop, &w);
  return true;
}

void close_device() {
  WaveOutput& w = wave;
  w.stopping.store(true);
  SetEvent(w.done_event);
  if (w.refill.joinable()) w.refill.join();
  if (w.fell_back) silent_output_stop();
  // Reset hands every queued buffer back, so they can be unprepared.
  waveOutReset(w.device);
  for (int i = 0; i < buffer_count; ++i) waveOutUnprepareHeader(w.device, &w.headers[i], sizeof(WAVEHDR));
  waveOutClose(w.device);
  CloseHandle(w.done_event);
  w.device = nullptr;
  w.done_event = nullptr;
}

}  // namespace

bool audio_output_open(int device, int rate, AudioFill fill, AudioOutputInfo* info) {
  if (running) {
    if (info != nullptr) *info = open_info;
    return true;
  }
  if (fill == nullptr || rate <= 0 || rate > max_rate) return false;
  open_info = AudioOutputInfo{};
  open_info.rate = rate;
  if (device != 0 && open_device(rate, fill)) {
    open_info.audible = true;
  } else if (!silent_output_start(rate, fill)) {
    return false;
  }
  running = true;
  if (info != nullptr) *info = open_info;
  return true;
}

void audio_output_close() {
  if (!running) return;
  if (open_info.audible) {
    close_device();
  } else {
    silent_output_stop();
  }
  running = false;
}

int64_t audio_clock_ns() {
  static const int64_t frequency = counter_frequency();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  // Whole seconds and the remainder apart, so the product cannot overflow.
  const int64_t seconds = count.QuadPart / frequency;
  const int64_t rest = count.QuadPart % frequency;
  return seconds * ns_per_second + rest * ns_per_second / frequency;
}

}  // namespace platform
