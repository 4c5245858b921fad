// The music interface: streams decoded from the file as they play, through
// the platform audio output; kissfft for the spectrum.
#include "audio/bass.h"

#include "audio/mp3_decoder.h"
#include "audio/output.h"
#include "audio/band_levels.h"
#include "audio/stream.h"
#include "platform/audio_output.h"

namespace {

constexpr DWORD request_failed = static_cast<DWORD>(-1);

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
  return open_output(device, static_cast<int>(freq)) ? 1 : 0;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
  if (!file) return 0;
  Mp3Format format;
  Mp3Decoder* decoder = nullptr;
  if (mem) {
    if (length == 0) return 0;  // a memory block has no length of its own
    decoder =
        mp3_decoder_open_memory(static_cast<const unsigned char*>(file) + offset, static_cast<size_t>(length), &format);
  } else {
    decoder = mp3_decoder_open_file(static_cast<const char*>(file), offset, length, &format);
  }
  if (!decoder) return 0;
  Stream* s = make_stream(decoder, format, output_rate());
  if (!s) return 0;
  prepare_spectrum();  // the per-frame spectrum then allocates nothing
  s->looping.store((flags & BASS_SAMPLE_LOOP) != 0);
  const HSTREAM handle = register_stream(s);
  if (handle == 0) {
    delete s;
    return 0;
  }
  start_feeder(*s);
  return handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  Stream* s = stream_for_handle(handle);
  if (!s) return 0;
  start_stream(*s, (flags & BASS_SAMPLE_LOOP) != 0 || s->looping.load(), flush != 0);
  return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  Stream* s = stream_for_handle(handle);
  if (!s || !buffer || length != BASS_DATA_FFT2048) return request_failed;
  const Hearing h = hear_stream(*s, platform::audio_clock_ns());
  float mono[spectrum_input_samples];
  heard_window(*s, h, mono);
  compute_spectrum(mono, static_cast<float*>(buffer));
  return h.playing ? static_cast<DWORD>(spectrum_input_samples * s->file_channels() * sizeof(int16_t)) : 0;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  Stream* s = stream_for_handle(handle);
  if (!s) return 0;
  const Hearing h = hear_stream(*s, platform::audio_clock_ns());
  return h.stream_frame * static_cast<QWORD>(s->file_channels()) * sizeof(int16_t);
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
  Stream* s = stream_for_handle(handle);
  if (!s) return 0.0f;
  const double bytes_per_second = static_cast<double>(s->file_rate()) * s->file_channels() * sizeof(int16_t);
  return static_cast<float>(static_cast<double>(position) / bytes_per_second);
}
