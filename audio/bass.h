// The music interface: the six calls the demo makes to open the output
// device, play the music stream in a loop, and read back every frame the
// spectrum and the position being heard.
//
// Backends chosen at link time:
//   audio/         libmpg123 decoding, SDL2 audio output, kissfft spectrum
//   audio/scripted a stand-in that plays nothing and reports a position and
//                  spectrum scripted frame by frame (tests, offline renders)
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;

constexpr DWORD BASS_SAMPLE_LOOP = 4;
constexpr DWORD BASS_DATA_FFT2048 = 0x80000002;  // 2048 samples in, 1024 floats out

// Opens the output device. device 1 is the default output. Returns whether
// real sound is available; without a device a silent output consumes the
// samples in real time so positions and spectra still advance.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);

// Opens a file (mem 0) or a memory block (mem 1) whole. 0 on any failure.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags);

// Starts playback; flags BASS_SAMPLE_LOOP loops sample-exactly.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);

// With BASS_DATA_FFT2048 writes the spectrum being heard now into buffer.
// Returns the count of bytes read from the stream, or (DWORD)-1 on failure.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// The position being heard now, in bytes of the decoded format; 0 for a
// handle that is not a stream.
QWORD BASS_ChannelGetPosition(DWORD handle);

// Converts a byte position of that stream to seconds; 0 for a non-stream.
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
