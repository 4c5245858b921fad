// Incremental gapless MP3 decoding through the Audio Compression Manager's
// MPEG Layer-3 codec, which Windows ships outside its N editions (there
// the Media Feature Pack brings it; without it no music opens). The codec is handed whole
// frames found by audio/mp3_frames and knows nothing of the LAME tag, so
// the trim is applied here: the decoder's output starts
// `codec_decoder_delay` samples late and the encoder put its delay in
// front; both are dropped, and the output stops after the tagged length,
// giving what libmpg123's gapless decoding gives, within rounding.
#include <windows.h>
// windows.h first: the multimedia headers rely on its types.
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/mp3_decoder.h"
#include "audio/mp3_file_bytes.h"
#include "audio/mp3_frames.h"

namespace {

// The trim at the start, besides the encoder's delay that the LAME tag
// records: the samples by which the codec's output lags its input. Every
// Layer III decoder's synthesis filterbank lags by 529 samples, which the
// tag leaves out; a codec may add more of its own (one that holds a frame
// back would need 529 + 1152). 529 is what wine's codec needs, measured by
// cross-correlating its output with libmpg123's gapless decode of the same
// files (best lag 0 of +-3000 frames, 77-86 dB apart once trimmed by 529);
// the MP3 codec of a real Windows must be checked against the same figure
// by the same measure before it is trusted. Without a tag nothing is
// trimmed, as libmpg123 trims nothing then either.
constexpr int codec_decoder_delay = 529;
// MPEG frames handed to the codec per conversion.
constexpr int frames_per_convert = 8;
// The largest Layer III frame: 320 kbit/s at 32 kHz with the padding byte.
constexpr int max_frame_bytes = 1441;
constexpr int bytes_per_sample = 2;

}  // namespace

struct Mp3Decoder {
  std::vector<uint8_t> file_bytes;  // the file's bytes, when opened from a file
  const uint8_t* data = nullptr;
  size_t size = 0;
  Mp3Layout layout;
  int channels = 0;
  int64_t length = -1;  // frames to hand out in all, -1 without a tag

  HACMSTREAM stream = nullptr;
  ACMSTREAMHEADER header{};
  std::vector<uint8_t> source;
  std::vector<uint8_t> decoded;

  // Playback state, reset by rewind.
  size_t next_frame = 0;     // the next MPEG frame to hand to the codec
  size_t decoded_bytes = 0;  // valid bytes in `decoded`
  size_t decoded_read = 0;   // bytes of them already handed out or skipped
  int64_t skip = 0;          // frames still to drop at the start
  int64_t handed = 0;        // frames handed out so far
  bool flushed = false;      // the codec was told the input ended
};

namespace {

bool open_codec(Mp3Decoder* d) {
  const Mp3FrameHeader& first = d->layout.first;
  MPEGLAYER3WAVEFORMAT mp3{};
  mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mp3.wfx.nChannels = static_cast<WORD>(first.channels);
  mp3.wfx.nSamplesPerSec = static_cast<DWORD>(first.rate);
  mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate_kbps * 1000 / 8);
  mp3.wfx.nBlockAlign = 1;
  mp3.wfx.wBitsPerSample = 0;
  mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mp3.wID = MPEGLAYER3_ID_MPEG;
  mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  mp3.nBlockSize = static_cast<WORD>(first.bytes);
  mp3.nFramesPerBlock = 1;
  mp3.nCodecDelay = 0;

  WAVEFORMATEX pcm{};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = static_cast<WORD>(first.channels);
  pcm.nSamplesPerSec = static_cast<DWORD>(first.rate);
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = static_cast<WORD>(first.channels * bytes_per_sample);
  pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;

  if (acmStreamOpen(&d->stream, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    d->stream = nullptr;
    return false;
  }
  // The output buffer holds everything a full batch can give, with a frame
  // to spare for what the codec may keep back from an earlier batch.
  const DWORD source_capacity = frames_per_convert * max_frame_bytes;
  DWORD wanted = 0;
  if (acmStreamSize(d->stream, source_capacity, &wanted, ACM_STREAMSIZEF_SOURCE) != 0) wanted = 0;
  const size_t batch_output =
      static_cast<size_t>(frames_per_convert + 2) * first.samples_per_frame * first.channels * bytes_per_sample;
  d->source.assign(source_capacity, 0);
  d->decoded.assign(std::max<size_t>(wanted, batch_output), 0);

  d->header = ACMSTREAMHEADER{};
  d->header.cbStruct = sizeof d->header;
  d->header.pbSrc = d->source.data();
  d->header.cbSrcLength = source_capacity;
  d->header.pbDst = d->decoded.data();
  d->header.cbDstLength = static_cast<DWORD>(d->decoded.size());
  if (acmStreamPrepareHeader(d->stream, &d->header, 0) != 0) {
    acmStreamClose(d->stream, 0);
    d->stream = nullptr;
    return false;
  }
  return true;
}

void close_codec(Mp3Decoder* d) {
  if (d->stream == nullptr) return;
  // The prepared sizes must be back in place before unpreparing.
  d->header.cbSrcLength = static_cast<DWORD>(d->source.size());
  d->header.cbDstLength = static_cast<DWORD>(d->decoded.size());
  acmStreamUnprepareHeader(d->stream, &d->header, 0);
  acmStreamClose(d->stream, 0);
  d->stream = nullptr;
}

void reset_position(Mp3Decoder* d) {
  d->next_frame = 0;
  d->decoded_bytes = 0;
  d->decoded_read = 0;
  d->skip = d->layout.has_gapless_tag ? codec_decoder_delay + d->layout.encoder_delay : 0;
  d->handed = 0;
  d->flushed = false;
}

enum class Converted { some, none_left, failed };

// Hands the next batch of frames (or, after the last, the end marker) to the
// codec.
Converted convert_more(Mp3Decoder* d) {
  if (d->flushed) return Converted::none_left;
  const size_t count = d->layout.frame_offsets.size();
  DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN;
  DWORD used = 0;
  if (d->next_frame == 0) flags |= ACM_STREAMCONVERTF_START;
  // A batch is limited in frames, not only in bytes: the output buffer holds
  // what frames_per_convert frames give, and small frames would overrun it.
  const size_t batch_end = std::min(count, d->next_frame + frames_per_convert);
  while (d->next_frame < batch_end) {
    const int bytes = d->layout.frame_bytes[d->next_frame];
    std::memcpy(d->source.data() + used, d->data + d->layout.frame_offsets[d->next_frame], bytes);
    used += bytes;
    ++d->next_frame;
  }
  if (used == 0) {
    flags = ACM_STREAMCONVERTF_END;
    d->flushed = true;
  }
  // Within the prepared sizes only, as the codec requires.
  d->header.cbSrcLength = used;
  d->header.cbSrcLengthUsed = 0;
  d->header.cbDstLength = static_cast<DWORD>(d->decoded.size());
  d->header.cbDstLengthUsed = 0;
  if (acmStreamConvert(d->stream, &d->header, flags) != 0) {
    // A codec that takes no end marker has simply given everything already.
    return d->flushed ? Converted::none_left : Converted::failed;
  }
  d->decoded_bytes = d->header.cbDstLengthUsed;
  d->decoded_read = 0;
  return Converted::some;
}

Mp3Decoder* open_bytes(Mp3Decoder* d, Mp3Format* format) {
  if (!scan_mp3(d->data, d->size, &d->layout) || !open_codec(d)) {
    delete d;
    return nullptr;
  }
  d->channels = d->layout.first.channels;
  d->length = d->layout.has_gapless_tag ? mp3_gapless_frames(d->layout) : -1;
  reset_position(d);
  if (format != nullptr) {
    format->rate = d->layout.first.rate;
    format->channels = d->channels;
    format->frames = d->length;
  }
  return d;
}

}  // namespace

Mp3Decoder* mp3_decoder_open_file(const char* path, uint64_t offset, uint64_t length, Mp3Format* format) {
  std::vector<uint8_t> bytes;
  if (!read_mp3_file_bytes(path, offset, length, &bytes)) return nullptr;
  Mp3Decoder* d = new Mp3Decoder;
  d->file_bytes = std::move(bytes);
  d->data = d->file_bytes.data();
  d->size = d->file_bytes.size();
  return open_bytes(d, format);
}

Mp3Decoder* mp3_decoder_open_memory(const void* data, size_t size, Mp3Format* format) {
  if (data == nullptr || size == 0 || size > mp3_max_input_bytes) return nullptr;
  // Only read: the codec is handed private copies of each batch.
  Mp3Decoder* d = new Mp3Decoder;
  d->data = static_cast<const uint8_t*>(data);
  d->size = size;
  return open_bytes(d, format);
}

long mp3_decoder_read(Mp3Decoder* decoder, int16_t* out, long max_frames) {
  if (decoder == nullptr || out == nullptr || max_frames <= 0) return 0;
  Mp3Decoder* d = decoder;
  const size_t frame_bytes = static_cast<size_t>(d->channels) * bytes_per_sample;
  long written = 0;
  while (written < max_frames) {
    if (d->length >= 0 && d->handed >= d->length) break;
    if (d->decoded_read >= d->decoded_bytes) {
      const Converted c = convert_more(d);
      if (c == Converted::some) continue;
      if (c == Converted::failed) return written > 0 ? written : -1;
      // The codec has nothing more: a file cut short ends early, with what
      // its whole frames hold, as libmpg123 gives it.
      break;
    }
    const int64_t available = static_cast<int64_t>((d->decoded_bytes - d->decoded_read) / frame_bytes);
    if (available == 0) {
      d->decoded_read = d->decoded_bytes;  // a partial frame: never produced by the codec
      continue;
    }
    if (d->skip > 0) {
      const int64_t dropped = std::min(available, d->skip);
      d->skip -= dropped;
      d->decoded_read += static_cast<size_t>(dropped) * frame_bytes;
      continue;
    }
    int64_t take = std::min<int64_t>(available, max_frames - written);
    if (d->length >= 0) take = std::min(take, d->length - d->handed);
    std::memcpy(out + written * d->channels, d->decoded.data() + d->decoded_read,
                static_cast<size_t>(take) * frame_bytes);
    d->decoded_read += static_cast<size_t>(take) * frame_bytes;
    written += static_cast<long>(take);
    d->handed += take;
  }
  return written;
}

bool mp3_decoder_rewind(Mp3Decoder* decoder) {
  if (decoder == nullptr) return false;
  // A fresh codec forgets the filterbank and bit reservoir of the old pass,
  // so the second pass decodes exactly like the first.
  close_codec(decoder);
  if (!open_codec(decoder)) return false;
  reset_position(decoder);
  return true;
}

void mp3_decoder_close(Mp3Decoder* decoder) {
  if (decoder == nullptr) return;
  close_codec(decoder);
  delete decoder;
}
