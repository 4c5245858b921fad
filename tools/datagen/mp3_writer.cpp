#include "tools/datagen/mp3_writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int bitrate = 160;
constexpr int quality = 2;  // LAME's slow, careful search
constexpr int chunk_frames = 4096;

short to_pcm16(float v) { return static_cast<short>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)); }

bool configure(lame_global_flags* lame) {
  lame_set_in_samplerate(lame, sample_rate);
  lame_set_out_samplerate(lame, sample_rate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, bitrate);
  lame_set_quality(lame, quality);
  lame_set_bWriteVbrTag(lame, 1);
  lame_set_write_id3tag_automatic(lame, 0);
  lame_set_highpassfreq(lame, -1);  // keep the kick's low end
  return lame_init_params(lame) >= 0;
}

}  // namespace

std::vector<uint8_t> encode_mp3(const LoopBuffer& music) {
  lame_global_flags* lame = lame_init();
  if (!lame) return {};
  if (!configure(lame)) {
    lame_close(lame);
    return {};
  }

  std::vector<uint8_t> out;
  std::vector<short> pcm(2 * chunk_frames);
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * chunk_frames + 7200));
  bool ok = true;
  for (size_t start = 0; ok && start < music.frames(); start += chunk_frames) {
    const size_t count = std::min<size_t>(chunk_frames, music.frames() - start);
    for (size_t i = 0; i < count; ++i) {
      pcm[2 * i] = to_pcm16(music.left[start + i]);
      pcm[2 * i + 1] = to_pcm16(music.right[start + i]);
    }
    const int written = lame_encode_buffer_interleaved(lame, pcm.data(), static_cast<int>(count), buffer.data(),
                                                       static_cast<int>(buffer.size()));
    if (written < 0)
      ok = false;
    else
      out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  if (ok) {
    const int written = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0)
      ok = false;
    else
      out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  }
  if (ok) {
    // The tag frame was reserved as the stream's first frame; now that the
    // totals are known, write it in place.
    const size_t tag_size = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
    if (tag_size == 0 || tag_size > buffer.size() || tag_size > out.size())
      ok = false;
    else
      std::copy(buffer.begin(), buffer.begin() + tag_size, out.begin());
  }
  lame_close(lame);
  if (!ok) out.clear();
  return out;
}
