// The PCM converter on the Audio Compression Manager's PCM codec, which
// every Windows has. Rates are converted by the codec; a mono input it
// cannot widen itself is converted as mono and then played in both channels
// at full level. Equal rates need no codec: only the channels change.
//
// The codec rounds each call's output down and (under wine) starts its
// interpolation afresh with every call, so the result would depend on how
// the input is chunked. It is therefore only handed whole blocks: the
// smallest run of input frames that gives a whole number of output frames
// (160 in, 147 out from 48 kHz to 44.1 kHz). What is left over waits for the
// next call, and the flush converts the last part-block.
//
// The codec is opened afresh at every flush. Should that fail, the
// converter has ended: it converts nothing more (-1 from then on), and the
// music stops there rather than play frames at the wrong rate.
#include <windows.h>
// windows.h first: the multimedia headers rely on its types.
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/pcm_converter.h"
#include "audio/pcm_converter_rules.h"

struct PcmConverter {
  HACMSTREAM stream = nullptr;  // null when only the channels change, or ended
  bool channels_only = false;   // equal rates: no codec at all
  // The codec could not be opened again after a flush: every later call
  // fails, so the caller stops instead of taking unconverted frames.
  bool ended = false;
  int in_rate = 0;
  int in_channels = 0;
  int out_rate = 0;
  int codec_channels = 0;  // what the codec writes: 2, or 1 to be widened here
  long max_in = 0;
  long max_out = 0;
  long block_in = 1;  // input frames per whole block
  long pending = 0;   // input frames at the front of `source` not yet converted
  bool started = false;
  ACMSTREAMHEADER header{};
  std::vector<int16_t> source;
  std::vector<int16_t> converted;
};

namespace {

constexpr int bytes_per_sample = 2;
// Frames beyond the exact ratio that one call may give: the codec's
// rounding and anything it held back from the call before.
constexpr long spare_frames = 64;
// Blocks longer than this (rates with no large common divisor) are not
// waited for: the input is converted as it comes.
constexpr long max_block_frames = 8192;

long greatest_common_divisor(long a, long b) {
  while (b != 0) {
    const long r = a % b;
    a = b;
    b = r;
  }
  return a;
}

WAVEFORMATEX pcm_format(int rate, int channels) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = static_cast<WORD>(channels);
  f.nSamplesPerSec = static_cast<DWORD>(rate);
  f.wBitsPerSample = 16;
  f.nBlockAlign = static_cast<WORD>(channels * bytes_per_sample);
  f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
  return f;
}

bool open_codec(PcmConverter* c) {
  WAVEFORMATEX in = pcm_format(c->in_rate, c->in_channels);
  // Stereo straight from the codec where it can; else in the input's
  // channels, widened afterwards.
  for (int channels : {2, c->in_channels}) {
    WAVEFORMATEX out = pcm_format(c->out_rate, channels);
    if (acmStreamOpen(&c->stream, nullptr, &in, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) == 0) {
      c->codec_channels = channels;
      break;
    }
    c->stream = nullptr;
  }
  if (c->stream == nullptr) return false;
  c->header = ACMSTREAMHEADER{};
  c->header.cbStruct = sizeof c->header;
  c->header.pbSrc = reinterpret_cast<LPBYTE>(c->source.data());
  c->header.cbSrcLength = static_cast<DWORD>(c->source.size() * sizeof(int16_t));
  c->header.pbDst = reinterpret_cast<LPBYTE>(c->converted.data());
  c->header.cbDstLength = static_cast<DWORD>(c->converted.size() * sizeof(int16_t));
  if (acmStreamPrepareHeader(c->stream, &c->header, 0) != 0) {
    acmStreamClose(c->stream, 0);
    c->stream = nullptr;
    return false;
  }
  c->started = false;
  c->pending = 0;
  return true;
}

void close_codec(PcmConverter* c) {
  if (c->stream == nullptr) return;
  // The prepared sizes back in place before unpreparing.
  c->header.cbSrcLength = static_cast<DWORD>(c->source.size() * sizeof(int16_t));
  c->header.cbDstLength = static_cast<DWORD>(c->converted.size() * sizeof(int16_t));
  acmStreamUnprepareHeader(c->stream, &c->header, 0);
  acmStreamClose(c->stream, 0);
  c->stream = nullptr;
}

// Runs `frames` frames from c->source through the codec and writes the
// result to out as stereo. -1 when the codec fails.
long run(PcmConverter* c, long frames, DWORD flags, int16_t* out) {
  if (!c->started) flags |= ACM_STREAMCONVERTF_START;
  c->started = true;
  // Within the prepared sizes only, as the codec requires.
  c->header.cbSrcLength = static_cast<DWORD>(frames * c->in_channels * bytes_per_sample);
  c->header.cbSrcLengthUsed = 0;
  c->header.cbDstLength = static_cast<DWORD>(c->converted.size() * sizeof(int16_t));
  c->header.cbDstLengthUsed = 0;
  if (acmStreamConvert(c->stream, &c->header, flags) != 0) return -1;
  if (c->header.cbSrcLengthUsed != c->header.cbSrcLength) return -1;
  const long written =
      std::min<long>(c->max_out, static_cast<long>(c->header.cbDstLengthUsed) / (c->codec_channels * bytes_per_sample));
  pcm_to_stereo(c->converted.data(), written, c->codec_channels, out);
  return written;
}

}  // namespace

PcmConverter* pcm_converter_open(int in_rate, int in_channels, int out_rate, long max_in_frames) {
  if (!pcm_converter_takes(in_rate, in_channels, out_rate, max_in_frames)) return nullptr;
  PcmConverter* c = new PcmConverter;
  c->in_rate = in_rate;
  c->in_channels = in_channels;
  c->out_rate = out_rate;
  c->max_in = max_in_frames;
  if (in_rate == out_rate) {
    c->channels_only = true;
    c->max_out = max_in_frames;
    return c;
  }
  c->block_in = in_rate / greatest_common_divisor(in_rate, out_rate);
  if (c->block_in > max_block_frames) c->block_in = 1;
  const long most_in = max_in_frames + c->block_in;
  c->max_out = static_cast<long>(static_cast<double>(most_in) * out_rate / in_rate) + spare_frames;
  c->source.resize(static_cast<size_t>(most_in) * in_channels);
  c->converted.resize(static_cast<size_t>(c->max_out) * pcm_converter_output_channels);
  if (!open_codec(c)) {
    delete c;
    return nullptr;
  }
  return c;
}

long pcm_converter_max_output(const PcmConverter* c) { return c ? c->max_out : 0; }

long pcm_converter_convert(PcmConverter* c, const int16_t* in, long in_frames, int16_t* out) {
  if (!c || c->ended || in_frames < 0 || in_frames > c->max_in) return -1;
  if (c->channels_only) {
    pcm_to_stereo(in, in_frames, c->in_channels, out);
    return in_frames;
  }
  const size_t channels = static_cast<size_t>(c->in_channels);
  std::memcpy(c->source.data() + c->pending * channels, in,
              static_cast<size_t>(in_frames) * channels * sizeof(int16_t));
  const long available = c->pending + in_frames;
  const long whole = available / c->block_in * c->block_in;
  long written = 0;
  if (whole > 0) {
    written = run(c, whole, ACM_STREAMCONVERTF_BLOCKALIGN, out);
    if (written < 0) return -1;
  }
  c->pending = available - whole;
  std::memmove(c->source.data(), c->source.data() + whole * channels,
               static_cast<size_t>(c->pending) * channels * sizeof(int16_t));
  return written;
}

long pcm_converter_flush(PcmConverter* c, int16_t* out) {
  if (!c || c->ended) return -1;
  if (c->channels_only) return 0;
  long written = 0;
  if (c->pending > 0) written = run(c, c->pending, ACM_STREAMCONVERTF_END, out);
  c->pending = 0;
  // A fresh codec: the same input again gives the same output.
  close_codec(c);
  if (!open_codec(c)) {
    c->ended = true;
    return -1;
  }
  return written;
}

void pcm_converter_close(PcmConverter* c) {
  if (!c) return;
  close_codec(c);
  delete c;
}
