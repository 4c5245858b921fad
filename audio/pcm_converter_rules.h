// What every PCM converter shares, whatever converts the rate: the formats
// a converter takes, and widening its result to the output's stereo. No
// codec, no platform.
#pragma once

#include <cstdint>

// Rates from 1 kHz to 384 kHz, mono or stereo input, and room for at least
// one frame per call.
bool pcm_converter_takes(int in_rate, int in_channels, int out_rate, long max_in_frames);

// Writes `frames` frames of in_channels (1 or 2) samples to out as stereo; a
// mono sample goes to both channels at full level.
void pcm_to_stereo(const int16_t* in, long frames, int in_channels, int16_t* out);
