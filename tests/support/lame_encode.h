// Test fixtures: MP3 files made on the spot with libmp3lame, LAME tag
// included, from synthesised signals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The encoded files are written with these.
#include "tests/support/files.h"

// How to encode: VBR (quality 2) or a constant bit rate, with or without
// the LAME tag that records the encoder's delay and padding.
struct LameOptions {
  int cbr_kbps = 0;  // 0: VBR
  bool lame_tag = true;
};

// Encodes interleaved 16-bit PCM (1 or 2 channels) as VBR MP3 with a LAME
// tag at the front. Empty on failure.
std::vector<unsigned char> encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels);
std::vector<unsigned char> encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels,
                                      const LameOptions& options);

// A stereo test signal: distinct tones per channel with a slow amplitude
// ramp, so that any shift or swap shows.
std::vector<int16_t> make_test_signal(int frames, int rate, int channels);
