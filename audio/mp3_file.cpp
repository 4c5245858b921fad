// Whole-file MP3 decoding: the incremental decoder read to its end.
#include "audio/mp3_file.h"

#include "audio/mp3_decoder.h"

#include <algorithm>

namespace {

// Frames read per call, into a buffer on the stack that is appended to the
// result: the result is never filled with zeros only to be overwritten.
constexpr long decode_chunk_frames = 4096;
constexpr int most_channels = 2;
// The tag's length is only a claim until the audio is decoded: room is made
// up front for at most this much (95 s at 44.1 kHz, 16 MB of stereo).
constexpr int64_t most_frames_reserved = int64_t(1) << 22;
// Nor for more than the input's bytes can hold: the densest MPEG frames at
// a listed bit rate (8 kbit/s at 24 kHz: 576 samples in 24 bytes) give 24
// frames a byte. A denser free-format stream only grows the result as it
// decodes; a lying tag on a small file no longer reserves megabytes.
constexpr int64_t most_frames_per_byte = 24;

void release(DecodedPcm* out) {
  std::vector<int16_t>().swap(out->samples);
  out->rate = 0;
  out->channels = 0;
}

// Reads the decoder to its end. A read that fails, or an exact length from
// the tag that the audio does not reach (a truncated file), refuses the
// whole file.
// `input_bytes` (0: not known) bounds the room made from the tag's claim.
bool decode_all(Mp3Decoder* decoder, const Mp3Format& format, uint64_t input_bytes, DecodedPcm* out) {
  if (!decoder || format.channels < 1 || format.channels > most_channels) return false;
  out->rate = format.rate;
  out->channels = format.channels;
  int64_t reserved = std::min(format.frames, most_frames_reserved);
  if (input_bytes > 0 && input_bytes < static_cast<uint64_t>(most_frames_reserved))
    reserved = std::min(reserved, static_cast<int64_t>(input_bytes) * most_frames_per_byte);
  if (reserved > 0) out->samples.reserve(static_cast<size_t>(reserved) * format.channels);
  int16_t chunk[decode_chunk_frames * most_channels];
  for (;;) {
    const long n = mp3_decoder_read(decoder, chunk, decode_chunk_frames);
    if (n < 0) return false;
    if (n == 0) break;
    out->samples.insert(out->samples.end(), chunk, chunk + n * format.channels);
  }
  const size_t frames = out->samples.size() / static_cast<size_t>(format.channels);
  if (frames == 0) return false;
  if (format.frames > 0 && frames != static_cast<size_t>(format.frames)) return false;
  out->samples.shrink_to_fit();
  return true;
}

bool finish(Mp3Decoder* decoder, const Mp3Format& format, uint64_t input_bytes, DecodedPcm* out) {
  const bool ok = decode_all(decoder, format, input_bytes, out);
  mp3_decoder_close(decoder);
  if (!ok) release(out);
  return ok;
}

}  // namespace

bool decode_mp3_memory(const void* data, size_t size, DecodedPcm* out) {
  release(out);
  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_memory(data, size, &format);
  return finish(decoder, format, size, out);
}

bool decode_mp3_file_range(const char* path, uint64_t offset, uint64_t length, DecodedPcm* out) {
  release(out);
  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_file(path, offset, length, &format);
  return finish(decoder, format, length, out);
}

bool decode_mp3_file(const char* path, DecodedPcm* out) { return decode_mp3_file_range(path, 0, 0, out); }
