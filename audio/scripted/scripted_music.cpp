// The music calls answered from a script instead of a decoder and a device.
#include "audio/scripted/scripted_music.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct ScriptState {
  bool stream_open = false;
  bool playing = false;
  bool creation_fails = false;
  uint64_t position_bytes = 0;
  float spectrum[scripted_music::spectrum_bins] = {};
  scripted_music::CallLog log;
};

ScriptState script;

void record_frame_call(char what) {
  scripted_music::CallLog& log = script.log;
  if (log.frame_call_count < static_cast<int>(sizeof(log.frame_calls)) - 1) {
    log.frame_calls[log.frame_call_count++] = what;
  }
}

bool is_stream(DWORD handle) { return script.stream_open && handle == scripted_music::stream_handle; }

// What the real layer can open: a readable file, or a memory block with a
// length.
bool can_open(BOOL mem, const void* file, QWORD length) {
  if (!file) return false;
  if (mem) return length != 0;
  std::FILE* f = std::fopen(static_cast<const char*>(file), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// Bytes the real spectrum covers: 1024 frames of 16-bit stereo.
constexpr DWORD spectrum_input_bytes = 1024 * 2 * 2;

}  // namespace

namespace scripted_music {

void reset() { script = ScriptState{}; }

void fail_stream_creation(bool fail) { script.creation_fails = fail; }

void set_position_seconds(double seconds) {
  set_position_bytes(static_cast<uint64_t>(std::llround(seconds * bytes_per_second)));
}

void set_position_bytes(uint64_t bytes) { script.position_bytes = bytes; }

void set_bass(float bass) {
  std::memset(script.spectrum, 0, sizeof(script.spectrum));
  script.spectrum[0] = bass;
}

void set_spectrum(const float* bins, size_t count) {
  std::memset(script.spectrum, 0, sizeof(script.spectrum));
  if (count > static_cast<size_t>(spectrum_bins)) count = spectrum_bins;
  std::memcpy(script.spectrum, bins, count * sizeof(float));
}

const CallLog& calls() { return script.log; }

}  // namespace scripted_music

BOOL BASS_Init(int, DWORD, DWORD, void*, const void*) {
  ++script.log.init_calls;
  return 1;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
  scripted_music::CallLog& log = script.log;
  ++log.create_calls;
  log.create_mem = mem;
  log.create_offset = offset;
  log.create_length = length;
  log.create_flags = flags;
  if (mem == 0 && file != nullptr) {
    std::strncpy(log.created_file, static_cast<const char*>(file), sizeof(log.created_file) - 1);
  }
  if (script.creation_fails || !can_open(mem, file, length)) return 0;
  script.stream_open = true;
  return scripted_music::stream_handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  scripted_music::CallLog& log = script.log;
  ++log.play_calls;
  log.played_handle = handle;
  log.play_flush = flush;
  log.play_flags = flags;
  if (!is_stream(handle)) return 0;
  script.playing = true;
  return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  ++script.log.get_data_calls;
  script.log.last_data_handle = handle;
  script.log.last_data_length = length;
  record_frame_call('D');
  if (!is_stream(handle) || length != BASS_DATA_FFT2048 || buffer == nullptr) return static_cast<DWORD>(-1);
  if (!script.playing) {
    std::memset(buffer, 0, sizeof(script.spectrum));
    return 0;
  }
  std::memcpy(buffer, script.spectrum, sizeof(script.spectrum));
  return spectrum_input_bytes;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  ++script.log.get_position_calls;
  script.log.last_position_handle = handle;
  record_frame_call('P');
  return is_stream(handle) && script.playing ? script.position_bytes : 0;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
  ++script.log.bytes_to_seconds_calls;
  record_frame_call('S');
  if (!is_stream(handle)) return 0.0f;
  return static_cast<float>(static_cast<double>(position) / scripted_music::bytes_per_second);
}
