// MP3 decoding in the browser: the page's own decoder (decodeAudioData)
// decodes the whole file at once, gaplessly, at the web audio output's rate
// and as stereo, so the music plays through the shared streaming, looping
// and positions as it is, whatever rate the file was made at. Reads then
// hand out the decoded samples from memory, from any thread.
//
// Unlike the other decoders, this one hands out the audio at the output's
// rate rather than the file's: the browser's decoder resamples as part of
// decoding, with no separate rate converter to follow.
#include "audio/mp3_decoder.h"

#include <emscripten.h>

#include <cstring>
#include <vector>

#include "audio/mp3_file_bytes.h"
#include "audio/mp3_frames.h"
#include "platform/web/audio_output_web.h"

struct Mp3Decoder {
  std::vector<int16_t> samples;  // stereo, interleaved
  int64_t frames = 0;
  int64_t position = 0;
};

namespace {

constexpr int decoded_channels = 2;

// Decodes `size` bytes at `data` with the browser's decoder at `rate`. The
// result waits in the page until copy_decoded_audio takes it. Returns its
// length in frames, 0 when the browser cannot decode it.
// clang-format off
EM_ASYNC_JS(double, decode_in_page, (const uint8_t* data, int size, int rate), {
  // A copy in a plain buffer: the decoder takes no shared memory, and it
  // detaches what it is given.
  var bytes = HEAPU8.slice(data, data + size).buffer;
  Module['zarnic_decoded_audio'] = null;
  try {
    var context = new OfflineAudioContext(2, 1, rate);
    var audio = await context.decodeAudioData(bytes);
    Module['zarnic_decoded_audio'] = audio;
    return audio.length;
  } catch (e) {
    return 0;
  }
});
// clang-format on

// Writes the decoded audio as interleaved 16-bit stereo (a mono file's one
// channel to both) and lets the page drop it.
// clang-format off
EM_JS(void, copy_decoded_audio, (int16_t * out, double frames), {
  var audio = Module['zarnic_decoded_audio'];
  Module['zarnic_decoded_audio'] = null;
  var left = audio.getChannelData(0);
  var right = audio.numberOfChannels > 1 ? audio.getChannelData(1) : left;
  var base = out >> 1;
  var heap = HEAP16;
  for (var i = 0; i < frames; i++) {
    var l = Math.round(left[i] * 32768);
    var r = Math.round(right[i] * 32768);
    heap[base + 2 * i] = l > 32767 ? 32767 : (l < -32768 ? -32768 : l);
    heap[base + 2 * i + 1] = r > 32767 ? 32767 : (r < -32768 ? -32768 : r);
  }
});
// clang-format on

Mp3Decoder* decode(const uint8_t* data, size_t size, Mp3Format* format) {
  // Only what the frame reader accepts as MP3 is handed to the browser,
  // which would take other formats as well.
  Mp3Layout layout;
  if (data == nullptr || size == 0 || size > 0x7FFFFFFF || !scan_mp3(data, size, &layout)) return nullptr;
  const int rate = platform::web_audio_output_rate();
  const double frames = decode_in_page(data, static_cast<int>(size), rate);
  if (frames < 1) return nullptr;
  Mp3Decoder* decoder = new Mp3Decoder;
  decoder->frames = static_cast<int64_t>(frames);
  decoder->samples.resize(static_cast<size_t>(decoder->frames) * decoded_channels);
  copy_decoded_audio(decoder->samples.data(), frames);
  if (format != nullptr) {
    format->rate = rate;
    format->channels = decoded_channels;
    format->frames = decoder->frames;
  }
  return decoder;
}

}  // namespace

Mp3Decoder* mp3_decoder_open_file(const char* path, uint64_t offset, uint64_t length, Mp3Format* format) {
  std::vector<uint8_t> bytes;
  if (!read_mp3_file_bytes(path, offset, length, &bytes)) return nullptr;
  return decode(bytes.data(), bytes.size(), format);
}

Mp3Decoder* mp3_decoder_open_memory(const void* data, size_t size, Mp3Format* format) {
  return decode(static_cast<const uint8_t*>(data), size, format);
}

long mp3_decoder_read(Mp3Decoder* decoder, int16_t* out, long max_frames) {
  if (decoder == nullptr || out == nullptr || max_frames < 0) return -1;
  const int64_t left = decoder->frames - decoder->position;
  const long frames = static_cast<long>(left < max_frames ? left : max_frames);
  std::memcpy(out, decoder->samples.data() + decoder->position * decoded_channels,
              static_cast<size_t>(frames) * decoded_channels * sizeof(int16_t));
  decoder->position += frames;
  return frames;
}

bool mp3_decoder_rewind(Mp3Decoder* decoder) {
  if (decoder == nullptr) return false;
  decoder->position = 0;
  return true;
}

void mp3_decoder_close(Mp3Decoder* decoder) { delete decoder; }
