// The PCM converter on libsamplerate. Rates are converted in float with its
// fastest band-limited sinc filter; a mono input is converted as mono and
// then played in both channels at full level.
#include "audio/pcm_converter.h"
#include "audio/pcm_converter_rules.h"

#include <samplerate.h>

#include <cmath>
#include <vector>

struct PcmConverter {
  SRC_STATE* state = nullptr;  // null when only the channels change
  int in_channels = 0;
  double ratio = 1.0;
  long max_in = 0;
  long max_out = 0;
  std::vector<float> in;
  std::vector<float> out;
  std::vector<int16_t> out_pcm;  // converted, still in the input's channels
};

namespace {

// Frames libsamplerate may hold back before the input's end: far more than
// its filters need, so one call always takes all its input.
constexpr long held_back_frames = 1024;

// Runs the filter over `frames` frames of c->in (0 with end_of_input to
// drain it) and writes the result to out as stereo.
long run(PcmConverter* c, long frames, bool end_of_input, int16_t* out) {
  long written = 0;
  long used = 0;
  for (;;) {
    SRC_DATA data{};
    data.data_in = c->in.data() + used * c->in_channels;
    data.input_frames = frames - used;
    data.data_out = c->out.data() + written * c->in_channels;
    data.output_frames = c->max_out - written;
    data.end_of_input = end_of_input ? 1 : 0;
    data.src_ratio = c->ratio;
    if (src_process(c->state, &data) != 0) return -1;
    used += data.input_frames_used;
    written += data.output_frames_gen;
    const bool drained = end_of_input ? data.output_frames_gen == 0 : used == frames;
    if (drained) break;
    if (written == c->max_out) return -1;  // cannot happen with the sizes chosen at open
  }
  src_float_to_short_array(c->out.data(), c->out_pcm.data(), static_cast<int>(written * c->in_channels));
  pcm_to_stereo(c->out_pcm.data(), written, c->in_channels, out);
  return written;
}

}  // namespace

PcmConverter* pcm_converter_open(int in_rate, int in_channels, int out_rate, long max_in_frames) {
  if (!pcm_converter_takes(in_rate, in_channels, out_rate, max_in_frames)) return nullptr;
  PcmConverter* c = new PcmConverter;
  c->in_channels = in_channels;
  c->ratio = static_cast<double>(out_rate) / in_rate;
  c->max_in = max_in_frames;
  if (in_rate == out_rate) {
    c->max_out = max_in_frames;
    return c;
  }
  int error = 0;
  c->state = src_new(SRC_SINC_FASTEST, in_channels, &error);
  if (!c->state) {
    delete c;
    return nullptr;
  }
  c->max_out = static_cast<long>(std::ceil((max_in_frames + held_back_frames) * c->ratio)) + 16;
  c->in.resize(static_cast<size_t>(max_in_frames) * in_channels);
  c->out.resize(static_cast<size_t>(c->max_out) * in_channels);
  c->out_pcm.resize(static_cast<size_t>(c->max_out) * in_channels);
  return c;
}

long pcm_converter_max_output(const PcmConverter* c) { return c ? c->max_out : 0; }

long pcm_converter_convert(PcmConverter* c, const int16_t* in, long in_frames, int16_t* out) {
  if (!c || in_frames < 0 || in_frames > c->max_in) return -1;
  if (!c->state) {
    pcm_to_stereo(in, in_frames, c->in_channels, out);
    return in_frames;
  }
  src_short_to_float_array(in, c->in.data(), static_cast<int>(in_frames * c->in_channels));
  return run(c, in_frames, false, out);
}

long pcm_converter_flush(PcmConverter* c, int16_t* out) {
  if (!c) return -1;
  if (!c->state) return 0;
  const long written = run(c, 0, true, out);
  src_reset(c->state);
  return written;
}

void pcm_converter_close(PcmConverter* c) {
  if (!c) return;
  if (c->state) src_delete(c->state);
  delete c;
}
