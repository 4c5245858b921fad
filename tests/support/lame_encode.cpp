#include "tests/support/lame_encode.h"

#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::vector<unsigned char> encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels) {
  return encode_mp3(interleaved, rate, channels, LameOptions{});
}

std::vector<unsigned char> encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels,
                                      const LameOptions& options) {
  std::vector<unsigned char> out;
  lame_global_flags* gf = lame_init();
  if (!gf) return out;
  lame_set_in_samplerate(gf, rate);
  lame_set_out_samplerate(gf, rate);
  lame_set_num_channels(gf, channels);
  lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
  if (options.cbr_kbps > 0) {
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, options.cbr_kbps);
  } else {
    lame_set_VBR(gf, vbr_default);
    lame_set_VBR_q(gf, 2);
  }
  lame_set_write_id3tag_automatic(gf, 0);
  lame_set_bWriteVbrTag(gf, options.lame_tag ? 1 : 0);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return out;
  }
  const int frames = static_cast<int>(interleaved.size() / channels);
  out.resize(static_cast<size_t>(1.25 * frames + 7200 + 16384));
  int written = 0;
  if (channels == 2) {
    written = lame_encode_buffer_interleaved(gf, const_cast<short*>(interleaved.data()), frames, out.data(),
                                             static_cast<int>(out.size()));
  } else {
    written = lame_encode_buffer(gf, interleaved.data(), interleaved.data(), frames, out.data(),
                                 static_cast<int>(out.size()));
  }
  if (written < 0) {
    lame_close(gf);
    return {};
  }
  const int tail = lame_encode_flush(gf, out.data() + written, static_cast<int>(out.size()) - written);
  if (tail < 0) {
    lame_close(gf);
    return {};
  }
  out.resize(static_cast<size_t>(written + tail));
  // The first frame was written as a placeholder for the tag, which is
  // only complete now.
  unsigned char tag[4096];
  const size_t tag_size = options.lame_tag ? lame_get_lametag_frame(gf, tag, sizeof tag) : 0;
  if (tag_size > 0 && tag_size <= out.size()) std::copy(tag, tag + tag_size, out.begin());
  lame_close(gf);
  return out;
}

std::vector<int16_t> make_test_signal(int frames, int rate, int channels) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double ramp = 0.2 + 0.6 * i / frames;
    for (int c = 0; c < channels; ++c) {
      const double f = c == 0 ? 440.0 : 660.0;
      pcm[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(32767.0 * ramp * std::sin(2.0 * pi * f * t));
    }
  }
  return pcm;
}
