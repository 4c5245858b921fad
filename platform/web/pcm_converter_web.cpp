// PCM conversion in the browser build: the browser's MP3 decoder already
// hands out the output's rate (platform/web/mp3_decoder_web.cpp), so what is
// left is widening to stereo. A change of rate is refused.
#include "audio/pcm_converter.h"

#include <new>

#include "audio/pcm_converter_rules.h"

struct PcmConverter {
  int in_channels;
  long max_in_frames;
};

PcmConverter* pcm_converter_open(int in_rate, int in_channels, int out_rate, long max_in_frames) {
  if (!pcm_converter_takes(in_rate, in_channels, out_rate, max_in_frames) || in_rate != out_rate) return nullptr;
  return new (std::nothrow) PcmConverter{in_channels, max_in_frames};
}

long pcm_converter_max_output(const PcmConverter* converter) { return converter ? converter->max_in_frames : 0; }

long pcm_converter_convert(PcmConverter* converter, const int16_t* in, long in_frames, int16_t* out) {
  if (!converter || in_frames < 0 || in_frames > converter->max_in_frames) return -1;
  pcm_to_stereo(in, in_frames, converter->in_channels, out);
  return in_frames;
}

long pcm_converter_flush(PcmConverter* converter, int16_t*) { return converter ? 0 : -1; }

void pcm_converter_close(PcmConverter* converter) { delete converter; }
