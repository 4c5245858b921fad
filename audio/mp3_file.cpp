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

void release(DecodedPcm* out) {
  std::vector<int16_t>().swap(out->samples);
  out->rate = 0;
  out->channels = 0;
}

// Reads the decoder to its end. A read that fails, or an exact length from
// the tag that the audio does not reach (a truncated file), refuses the
// whole file.
bool decode_all(Mp3Decoder* decoder, const Mp3Format& format, DecodedPcm* out) {
  if (!decoder || format.channels < 1 || format.channels > most_channels) return false;
  out->rate = format.rate;
  out->channels = format.channels;
  if (format.frames > 0)
    out->samples.reserve(static_cast<size_t>(std::min(format.frames, most_frames_reserved)) * format.channels);
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

bool finish(Mp3Decoder* decoder, const Mp3Format& format, DecodedPcm* out) {
  const bool ok = decode_all(decoder, format, out);
  mp3_decoder_close(decoder);
  if (!ok) release(out);
  return ok;
}

}  // namespace

bool decode_mp3_memory(const void* data, size_t size, DecodedPcm* out) {
  release(out);
  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_memory(data, size, &format);
  return finish(decoder, format, out);
}

bool decode_mp3_file_range(const char* path, uint64_t offset, uint64_t length, DecodedPcm* out) {
  release(out);
  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_file(path, offset, length, &format);
  return finish(decoder, format, out);
}

bool decode_mp3_file(const char* path, DecodedPcm* out) { return decode_mp3_file_range(path, 0, 0, out); }
