// The layout of an MP3 file, read without decoding: where its audio frames
// lie, their rate, channels and sizes, and the gapless trim the encoder
// recorded in its LAME/Xing tag. Decoders that are handed whole frames (the
// Audio Compression Manager) need this; it touches no platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One MPEG audio Layer III frame header.
struct Mp3FrameHeader {
  int rate = 0;               // frames per second
  int channels = 0;           // 1 or 2
  int samples_per_frame = 0;  // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
  int bitrate_kbps = 0;
  int bytes = 0;  // the whole frame, header included
  bool mpeg1 = false;
  bool crc = false;  // a 16-bit check word follows the header
};

// Reads the four header bytes at p. False when they are not a Layer III
// header this reader accepts (free-format bitrate and reserved values are
// refused).
bool parse_mp3_frame_header(const uint8_t* p, Mp3FrameHeader* out);

// The decodable audio of a file.
struct Mp3Layout {
  Mp3FrameHeader first;               // header of the first audio frame
  std::vector<size_t> frame_offsets;  // every audio frame, in order
  std::vector<int> frame_bytes;       // their sizes
  int64_t tagged_frames = -1;         // MPEG frames the Xing tag counts, -1 without
  bool has_gapless_tag = false;       // a LAME/Xing tag gave the trim below
  int encoder_delay = 0;              // samples the encoder put in front
  int encoder_padding = 0;            // samples it appended at the end
};

// Skips ID3v2 tags and anything before the first run of consistent frames,
// takes the LAME/Xing ("Xing" or "Info") frame apart from the audio, and
// lists the audio frames up to the first byte that does not continue the
// run (an ID3v1 tag, junk, truncation). A frame cut short at the end of the
// data is left out. False when no audio frame is found.
bool scan_mp3(const uint8_t* data, size_t size, Mp3Layout* out);

// The audio length in frames (sample frames, not MPEG frames) once the
// encoder's delay and padding are removed, or the untrimmed length without
// a tag. The tag's frame count decides where there is one, as for
// libmpg123: a file cut short still reports the length it was made with.
int64_t mp3_gapless_frames(const Mp3Layout& layout);
