// The music interface: the six calls the demo makes to open the output
// device, play the music stream in a loop, and read back every frame the
// spectrum and the position being heard.
//
// Backends chosen at link time:
//   audio/         MP3 decoding (libmpg123), rate conversion (libsamplerate),
//                  kissfft spectrum, the platform audio output
//                  (platform/audio_output.h)
//   audio/scripted a stand-in that plays nothing and reports a position and
//                  spectrum scripted frame by frame (tests, offline renders)
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;

constexpr DWORD BASS_SAMPLE_LOOP = 4;
// Spectrum request: the 1024 frames centred on what is heard now, mixed to
// mono, Hann-windowed; 512 floats out, lowest band first (scaling in
// audio/band_levels.h). The rest of a larger buffer is left untouched.
constexpr DWORD BASS_DATA_FFT2048 = 0x80000002;

// Opens the output device at freq (44100 if out of range). device 1 (or -1)
// is the default output, 0 the silent output. Returns whether real sound is
// available; without a device a silent output consumes the samples in real
// time so positions and spectra still advance. Only the first call counts.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);

// Opens an MP3 file (mem 0: file is a path; length 0 reads to its end) or a
// memory block (mem 1: file points to it, length bytes; it must stay valid
// while the stream exists). The stream is decoded from the file as it plays,
// a little ahead of the output, gaplessly, in 16-bit samples at its own rate
// and channels; opening reads only the header and the first moments. Flags
// BASS_SAMPLE_LOOP makes it loop. 0 when the file does not open or its
// first frames do not decode, with nothing kept. A file that turns out
// broken further on plays what decodes and loops there.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);

// Starts playback from the start; flags BASS_SAMPLE_LOOP loops
// sample-exactly. On a stream already playing, flush 0 only sets looping and
// flush 1 restarts it.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);

// With BASS_DATA_FFT2048 writes the spectrum being heard now into buffer.
// Returns the count of bytes of the stream the spectrum covers (0 while
// nothing is heard), or (DWORD)-1, writing nothing, for a non-stream or any
// other request.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// The position being heard now, in bytes of the decoded format, smooth
// between device callbacks and back to 0 at each loop; 0 for a handle that
// is not a stream. The per-frame calls are made from one thread.
QWORD BASS_ChannelGetPosition(DWORD handle);

// Converts a byte position of that stream to seconds; 0 for a non-stream.
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
