// Streaming conversion of 16-bit PCM to the output's format: 16-bit stereo
// at the output's rate. Input comes in chunks of at most max_in_frames;
// each call writes what is ready, and the end of the input is marked with
// a flush, which writes what the converter still holds and leaves it as if
// newly opened, so the same input converted again gives the same output.
//
// Implementations, chosen at link time:
//   audio/pcm_converter_samplerate.cpp  libsamplerate (Linux)
//   audio/pcm_converter_acm.cpp         the Audio Compression Manager (Windows)
#pragma once

#include <cstdint>

struct PcmConverter;

constexpr int pcm_converter_output_channels = 2;

// From in_channels (1 or 2) at in_rate to stereo at out_rate. Null when
// the formats are out of range or the converter cannot be set up.
PcmConverter* pcm_converter_open(int in_rate, int in_channels, int out_rate, long max_in_frames);

// The most frames one convert or flush call writes: the size of `out`.
long pcm_converter_max_output(const PcmConverter* converter);

// Converts in_frames (at most max_in_frames) interleaved frames into out;
// returns the frames written, -1 on failure.
long pcm_converter_convert(PcmConverter* converter, const int16_t* in, long in_frames, int16_t* out);

// Ends the input: writes what is still held back into out and returns its
// frame count (-1 on failure); the converter then starts afresh.
long pcm_converter_flush(PcmConverter* converter, int16_t* out);

// Releases the converter; null is allowed.
void pcm_converter_close(PcmConverter* converter);
