// Reads a capture back with FFmpeg's decoders: every video frame as RGB rows
// (top row first) and the audio track as interleaved 16-bit stereo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedVideo {
  int width = 0;
  int height = 0;
  double fps = 0.0;
  std::string video_codec;
  std::string audio_codec;
  int audio_rate = 0;
  std::vector<std::vector<uint8_t>> frames;  // RGB, top row first
  std::vector<int16_t> audio;                // interleaved stereo
};

// False when the file cannot be opened or decoded; *error says why.
bool read_video(const std::string& path, DecodedVideo* out, std::string* error);
