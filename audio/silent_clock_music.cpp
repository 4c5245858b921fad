// The six music calls on a silent clock, for a build that has no MP3 decoder
// or sound device yet: a stream opens for a file that looks like MP3 (an ID3
// tag or an MPEG frame sync at its start), plays nothing, reports the time
// since BASS_StreamPlay as its position in bytes of 44.1 kHz 16-bit stereo,
// and its spectrum is silence. The show then runs through its phases in real
// time with no bass hits.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "audio/bass.h"

namespace {

constexpr uint64_t bytes_per_second = 44100 * 2 * 2;
constexpr uint64_t bytes_per_frame = 4;
constexpr HSTREAM stream_handle = 0x80000001u;
constexpr DWORD spectrum_values = 512;
constexpr DWORD spectrum_bytes_covered = 1024 * bytes_per_frame;

using Clock = std::chrono::steady_clock;

struct SilentStream {
  bool open = false;
  bool playing = false;
  Clock::time_point started;
};

SilentStream stream;

bool is_stream(DWORD handle) { return stream.open && handle == stream_handle; }

bool looks_like_mp3(const unsigned char* head, size_t size) {
  if (size >= 3 && std::memcmp(head, "ID3", 3) == 0) return true;
  return size >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
}

}  // namespace

BOOL BASS_Init(int, DWORD, DWORD, void*, const void*) { return 0; }

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD, QWORD length, DWORD) {
  if (file == nullptr) return 0;
  unsigned char head[3] = {};
  size_t size = 0;
  if (mem != 0) {
    size = length < sizeof(head) ? static_cast<size_t>(length) : sizeof(head);
    std::memcpy(head, file, size);
  } else {
    FILE* f = std::fopen(static_cast<const char*>(file), "rb");
    if (f == nullptr) return 0;
    size = std::fread(head, 1, sizeof(head), f);
    std::fclose(f);
  }
  if (!looks_like_mp3(head, size)) return 0;
  stream = SilentStream{};
  stream.open = true;
  return stream_handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD) {
  if (!is_stream(handle)) return 0;
  if (!stream.playing || flush != 0) {
    stream.playing = true;
    stream.started = Clock::now();
  }
  return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  if (!is_stream(handle) || length != BASS_DATA_FFT2048 || buffer == nullptr) return static_cast<DWORD>(-1);
  std::memset(buffer, 0, spectrum_values * sizeof(float));
  return stream.playing ? spectrum_bytes_covered : 0;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  if (!is_stream(handle) || !stream.playing) return 0;
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - stream.started);
  const uint64_t bytes = static_cast<uint64_t>(elapsed.count()) * bytes_per_second / 1000000;
  return bytes - bytes % bytes_per_frame;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
  if (!is_stream(handle)) return 0.0f;
  return static_cast<float>(static_cast<double>(position) / static_cast<double>(bytes_per_second));
}
