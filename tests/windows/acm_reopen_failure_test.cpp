// The ACM PCM converter when its codec cannot be opened again after a
// flush (a driver gone, memory short): it must end, writing nothing past its
// output, and the music feed must stop there. acmStreamOpen is wrapped at
// link time (-Wl,--wrap=acmStreamOpen) so that the test decides when it
// fails; until then every call reaches the real codec.
#include <windows.h>
// windows.h first: the multimedia headers rely on its types.
#include <mmreg.h>
#include <msacm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"
#include "audio/music_feed.h"
#include "audio/music_ring.h"
#include "audio/pcm_converter.h"
#include "tests/support/signals.h"
#include "tests/windows/reference_files.h"

namespace {

// While set, the PCM converter's codec does not open; the MP3 decoder's
// (MPEG Layer-3 input) still does.
bool opens_fail = false;

}  // namespace

extern "C" MMRESULT WINAPI __real_acmStreamOpen(LPHACMSTREAM, HACMDRIVER, LPWAVEFORMATEX, LPWAVEFORMATEX, LPWAVEFILTER,
                                                DWORD_PTR, DWORD_PTR, DWORD);

extern "C" MMRESULT WINAPI __wrap_acmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX in,
                                                LPWAVEFORMATEX out, LPWAVEFILTER filter, DWORD_PTR callback,
                                                DWORD_PTR instance, DWORD flags) {
  if (opens_fail && in->wFormatTag == WAVE_FORMAT_PCM) return MMSYSERR_NOMEM;
  return __real_acmStreamOpen(stream, driver, in, out, filter, callback, instance, flags);
}

namespace {

constexpr int out_rate = 44100;
constexpr int16_t guard = 0x5A5A;

TEST(AcmConverterReopenFailure, EndsTheConverterWithoutWritingPastItsOutput) {
  struct Case {
    int in_rate;
    int in_channels;
  };
  // The rates music comes in, where the codec converts; the largest step
  // the music feed asks for at each.
  for (const Case c : {Case{48000, 2}, Case{32000, 2}, Case{22050, 1}}) {
    const long max_in = std::max<long>(256, 4096L * c.in_rate / out_rate);
    PcmConverter* converter = pcm_converter_open(c.in_rate, c.in_channels, out_rate, max_in);
    ASSERT_NE(converter, nullptr) << c.in_rate;
    const long max_out = pcm_converter_max_output(converter);
    // The output buffer as large as the converter says, and a guard behind it.
    std::vector<int16_t> out(static_cast<size_t>(max_out + max_in) * pcm_converter_output_channels, guard);
    const std::vector<int16_t> in = sine_pcm(static_cast<int>(max_in), c.in_rate, c.in_channels, 440.0, 0.5);
    ASSERT_GE(pcm_converter_convert(converter, in.data(), max_in, out.data()), 0) << c.in_rate;

    opens_fail = true;
    EXPECT_EQ(pcm_converter_flush(converter, out.data()), -1) << c.in_rate << ": the codec did not reopen";
    opens_fail = false;
    std::fill(out.begin(), out.end(), guard);
    // Ended for good, although the codec would open now.
    EXPECT_EQ(pcm_converter_convert(converter, in.data(), max_in, out.data()), -1) << c.in_rate;
    EXPECT_EQ(pcm_converter_flush(converter, out.data()), -1) << c.in_rate;
    const size_t touched =
        static_cast<size_t>(std::count_if(out.begin(), out.end(), [](int16_t s) { return s != guard; }));
    EXPECT_EQ(touched, 0u) << c.in_rate << ": an ended converter writes nothing";
    pcm_converter_close(converter);
  }
}

TEST(AcmConverterReopenFailure, TheMusicFeedStopsAtTheEndOfTheLoop) {
  Mp3Format format;
  Mp3Decoder* decoder = mp3_decoder_open_file(reference_path("stereo48.mp3").c_str(), 0, 0, &format);
  ASSERT_NE(decoder, nullptr);
  ASSERT_GT(format.frames, 0);
  MusicFeed feed;
  ASSERT_TRUE(feed_open(feed, decoder, format, out_rate));
  ASSERT_NE(feed.converter, nullptr) << "48 kHz music is converted for a 44.1 kHz output";
  MusicRing ring;
  // Room for the whole loop and more; nothing is read, so nothing is kept.
  ring_allocate(ring, 4 * static_cast<uint64_t>(format.frames), 0);

  opens_fail = true;
  feed_fill(feed, ring, ring.capacity);
  opens_fail = false;
  EXPECT_TRUE(feed.stalled) << "the feed goes on after its converter ended";
  const uint64_t one_loop = static_cast<uint64_t>(format.frames) * out_rate / format.rate;
  const uint64_t written = ring.written.load();
  EXPECT_LE(written, one_loop + 64) << "frames written after the converter ended";
  EXPECT_GE(written + 2 * 4096, one_loop) << "the loop before the failure is there";
  EXPECT_EQ(feed_fill(feed, ring, ring.capacity), 0u);
  // A restart of the stream cannot bring back a converter that has ended.
  EXPECT_FALSE(feed_rewind(feed));
  EXPECT_EQ(feed_fill(feed, ring, ring.capacity), 0u);
  feed_close(feed);
}

}  // namespace
