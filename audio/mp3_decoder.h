// Incremental MP3 decoding, gapless: the encoder delay and padding recorded
// in the encoder's tag are removed, so reading from the start to the end
// gives exactly the audio that was encoded, and rewinding starts it again
// sample for sample. Signed 16-bit samples, channels interleaved, at the
// file's own rate and channel count.
//
// Implementations, chosen at link time:
//   audio/mp3_decoder_mpg123.cpp  libmpg123 (Linux)
//   audio/mp3_decoder_acm.cpp     the Audio Compression Manager's MPEG
//                                 Layer-3 codec (Windows)
#pragma once

#include <cstddef>
#include <cstdint>

struct Mp3Decoder;  // one open file or memory block with its decoder

struct Mp3Format {
  int rate = 0;         // frames per second
  int channels = 0;     // 1 or 2
  int64_t frames = -1;  // the exact length when the file's tag gives it, else -1
};

// The largest input either decoder takes (256 MB, about 2.5 hours of
// 320 kbit/s audio). A larger file or block is refused at open, before any
// of it is read: the Windows decoder holds its input whole and lists every
// frame, so a huge file would otherwise be an allocation that can fail.
constexpr uint64_t mp3_max_input_bytes = uint64_t(1) << 28;

// Opens `length` bytes of the file at `path` from `offset` on (length 0: to
// the end of the file) and reads its format. Null on a missing, unreadable,
// empty, undecodable or too large (over mp3_max_input_bytes) input; nothing
// is printed.
Mp3Decoder* mp3_decoder_open_file(const char* path, uint64_t offset, uint64_t length, Mp3Format* format);

// The same for an MP3 file held in memory (at most mp3_max_input_bytes);
// the block must outlive the decoder.
Mp3Decoder* mp3_decoder_open_memory(const void* data, size_t size, Mp3Format* format);

// Decodes up to max_frames frames into out (max_frames * channels samples).
// Returns the frames written; 0 at the end of the audio; -1 when the stream
// turns out broken (what was returned before stays valid). Never blocks on
// anything but the file.
long mp3_decoder_read(Mp3Decoder* decoder, int16_t* out, long max_frames);

// Back to the first frame of the audio, so the next read returns it. False
// when the stream cannot be rewound.
bool mp3_decoder_rewind(Mp3Decoder* decoder);

// Releases the decoder and its file; null is allowed.
void mp3_decoder_close(Mp3Decoder* decoder);
