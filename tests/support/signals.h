// Test signals and how close two signals are, for the audio tests.
#pragma once

#include <cstdint>
#include <vector>

// `frames` frames of a sine of `hz` at `amplitude` (1 is full scale), the
// same in each of `channels` interleaved channels.
std::vector<int16_t> sine_pcm(int frames, int rate, int channels, double hz, double amplitude);

// Signal-to-error ratio in dB of `test` against `reference`, both
// interleaved with `channels` per frame, `test` moved by `lag_frames`, over
// the frames both hold.
double snr_db(const std::vector<int16_t>& reference, const std::vector<int16_t>& test, int channels = 1,
              int lag_frames = 0);
