// The streamed music against the whole-file decode: real files made with
// LAME (and the default track), decoded into the ring and played buffer by
// buffer as the device would, across three loop wraps; the position heard
// along the way; files that break part-way through.
#include "audio/stream.h"

#include "audio/band_levels.h"
#include "audio/mp3_decoder.h"
#include "audio/mp3_file.h"
#include "audio/pcm_converter.h"
#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int output_rate = 44100;
constexpr int device_frames = 1024;
constexpr int64_t device_buffer_ns = int64_t(device_frames) * 1000000000 / output_rate;

// The whole-file decode in the output's format: as it is when it already
// is, else run through the converter in one pass.
std::vector<int16_t> whole_for_output(const DecodedPcm& pcm) {
  if (pcm.rate == output_rate && pcm.channels == 2) return pcm.samples;
  constexpr long chunk = 10000;
  PcmConverter* c = pcm_converter_open(pcm.rate, pcm.channels, output_rate, chunk);
  EXPECT_NE(c, nullptr);
  if (!c) return {};
  std::vector<int16_t> out, buffer(static_cast<size_t>(pcm_converter_max_output(c)) * 2);
  const long frames = static_cast<long>(pcm.frames());
  for (long at = 0; at < frames; at += chunk) {
    const long n =
        pcm_converter_convert(c, pcm.samples.data() + at * pcm.channels, std::min(chunk, frames - at), buffer.data());
    out.insert(out.end(), buffer.begin(), buffer.begin() + n * 2);
  }
  const long tail = pcm_converter_flush(c, buffer.data());
  out.insert(out.end(), buffer.begin(), buffer.begin() + tail * 2);
  pcm_converter_close(c);
  return out;
}

struct PlayResult {
  size_t mismatches = 0;
  size_t first_mismatch = 0;
  int wraps = 0;         // times the heard position went back to the start
  int backwards = 0;     // times it went back anywhere else
  int beyond_end = 0;    // positions at or past the file's length
  int off_position = 0;  // positions not where the output frames say
};

// Plays `loops` lengths of `expected` (one loop in the output format) from
// the stream, the decoder's work done between device buffers, comparing
// every sample; reads the heard position half-way through each buffer.
PlayResult play_and_compare(Stream& s, const std::vector<int16_t>& expected, uint64_t file_frames, double loops) {
  PlayResult r;
  const uint64_t length = expected.size() / 2;
  const uint64_t total = static_cast<uint64_t>(loops * length);
  start_stream(s, true, true);
  std::vector<int16_t> out(device_frames * 2);
  uint64_t played = 0, previous = 0;
  for (int64_t now = 0; played < total; now += device_buffer_ns) {
    feed_stream(s);
    std::fill(out.begin(), out.end(), 0);
    render_stream(s, out.data(), device_frames, now);
    for (size_t i = 0; i < out.size(); ++i) {
      const size_t at = (played * 2 + i) % expected.size();
      if (out[i] != expected[at] && r.mismatches++ == 0) r.first_mismatch = played + i / 2;
    }
    // Half a buffer after its first frame is heard: the middle of this one.
    const Hearing h = hear_stream(s, now + device_buffer_ns / 2);
    const uint64_t heard = (played + device_frames / 2 - 1) % length;  // whole frames, rounded down
    const double mapped = static_cast<double>(heard) * file_frames / length;
    if (std::abs(static_cast<double>(h.stream_frame) - mapped) > 2.0 + static_cast<double>(file_frames) / length)
      ++r.off_position;
    if (h.stream_frame >= file_frames) ++r.beyond_end;
    if (h.stream_frame < previous) (h.stream_frame < device_frames ? r.wraps : r.backwards)++;
    previous = h.stream_frame;
    played += device_frames;
  }
  return r;
}

struct Track {
  const char* name;
  std::vector<unsigned char> mp3;
};

std::vector<Track> tracks() {
  std::vector<Track> t;
  t.push_back({"data/orvu.mp3", read_file(std::string(ZARNIC_SOURCE_DIR) + "/data/orvu.mp3")});
  t.push_back({"no encoder tag", encode_mp3(make_test_signal(44100 + 555, 44100, 2), 44100, 2, {0, false})});
  t.push_back({"mono 44.1 kHz", encode_mp3(make_test_signal(30011, 44100, 1), 44100, 1)});
  t.push_back({"22.05 kHz mono", encode_mp3(make_test_signal(22050 + 17, 22050, 1), 22050, 1)});
  t.push_back({"48 kHz stereo", encode_mp3(make_test_signal(48000 + 3, 48000, 2), 48000, 2)});
  t.push_back({"8 kHz mono", encode_mp3(make_test_signal(8000 + 5, 8000, 1), 8000, 1)});
  return t;
}

// A track's whole-file decode, the same in the output's format (empty when
// it does not decode), and a stream of the track (null when none opens).
struct OpenedTrack {
  DecodedPcm pcm;
  std::vector<int16_t> expected;
  Stream* stream = nullptr;
};
OpenedTrack open_track(const Track& t, const StreamSize& size = StreamSize{}) {
  OpenedTrack o;
  if (!decode_mp3_memory(t.mp3.data(), t.mp3.size(), &o.pcm)) return o;
  o.expected = whole_for_output(o.pcm);
  Mp3Format format;
  o.stream = make_stream(mp3_decoder_open_memory(t.mp3.data(), t.mp3.size(), &format), format, output_rate, size);
  return o;
}

TEST(StreamedMusic, IdenticalToTheWholeFileDecodeAcrossThreeWraps) {
  for (const Track& t : tracks()) {
    SCOPED_TRACE(t.name);
    OpenedTrack o = open_track(t);
    ASSERT_FALSE(o.expected.empty());
    ASSERT_NE(o.stream, nullptr);
    Stream* s = o.stream;
    const DecodedPcm& pcm = o.pcm;
    const std::vector<int16_t>& expected = o.expected;
    const PlayResult r = play_and_compare(*s, expected, pcm.frames(), 3.5);
    EXPECT_EQ(r.mismatches, 0u) << "first at output frame " << r.first_mismatch << " of a " << expected.size() / 2
                                << "-frame loop";
    EXPECT_EQ(r.wraps, 3);
    EXPECT_EQ(r.backwards, 0);
    EXPECT_EQ(r.beyond_end, 0);
    EXPECT_EQ(r.off_position, 0);
    delete s;
  }
}

TEST(StreamedMusic, AFileBrokenPartWayPlaysWhatDecodesAndLoops) {
  const std::vector<unsigned char> good = encode_mp3(make_test_signal(44100 * 2, 44100, 2), 44100, 2);
  std::vector<unsigned char> garbage_after(good.begin(), good.begin() + good.size() / 4);
  unsigned state = 99;
  for (int i = 0; i < 30000; ++i)
    garbage_after.push_back(static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16));
  const std::vector<Track> broken = {
      {"truncated to 60 %", std::vector<unsigned char>(good.begin(), good.begin() + good.size() * 6 / 10)},
      {"missing its last 1000 bytes", std::vector<unsigned char>(good.begin(), good.end() - 1000)},
      {"garbage after the first quarter", garbage_after},
  };
  for (const Track& t : broken) {
    SCOPED_TRACE(t.name);
    // What decodes before the break, read straight from the decoder.
    Mp3Format format;
    Mp3Decoder* d = mp3_decoder_open_memory(t.mp3.data(), t.mp3.size(), &format);
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> decodable, chunk(4096 * 2);
    for (long n; (n = mp3_decoder_read(d, chunk.data(), 4096)) > 0;)
      decodable.insert(decodable.end(), chunk.begin(), chunk.begin() + n * 2);
    mp3_decoder_close(d);
    ASSERT_GT(decodable.size(), 2u * 10000);
    ASSERT_LT(decodable.size(), 2u * 44100 * 2);
    DecodedPcm refused;
    EXPECT_FALSE(decode_mp3_memory(t.mp3.data(), t.mp3.size(), &refused)) << "the whole-file decode refuses it";

    Stream* s = make_stream(mp3_decoder_open_memory(t.mp3.data(), t.mp3.size(), &format), format, output_rate);
    ASSERT_NE(s, nullptr);
    const PlayResult r = play_and_compare(*s, decodable, decodable.size() / 2, 3.5);
    EXPECT_EQ(r.mismatches, 0u) << "first at frame " << r.first_mismatch;
    EXPECT_EQ(r.wraps, 3);
    EXPECT_EQ(r.backwards, 0);
    delete s;
  }
}

TEST(StreamedMusic, WithoutADecoderThreadAnOutputNobodyHearsDecodesWhatItTakesAndNoMore) {
  // The silent output and the capture clock wait for the decoder; a stream
  // that has no decoder thread is decoded by them on their own thread, as
  // far as each buffer needs (and the spectrum's half window past it),
  // across loop wraps, a short loop and a restart. Each track with the
  // program's sizes, then with small steps in the smallest ring they allow
  // (which at 8 kHz must grow past what the step alone needs: the converter
  // writes five and a half output frames for each file frame).
  const std::vector<Track> tracks = {
      {"44.1 kHz stereo", encode_mp3(make_test_signal(20011, 44100, 2), 44100, 2)},
      {"22.05 kHz mono", encode_mp3(make_test_signal(9001, 22050, 1), 22050, 1)},
      {"8 kHz mono", encode_mp3(make_test_signal(4001, 8000, 1), 8000, 1)},
      {"shorter than a step", encode_mp3(make_test_signal(1500, 44100, 2), 44100, 2)},
  };
  const StreamSize sizes[] = {StreamSize{}, StreamSize{512, 1}};
  for (size_t c = 0; c < 2 * tracks.size(); ++c) {
    const Track& t = tracks[c % tracks.size()];
    const StreamSize& size = sizes[c / tracks.size()];
    SCOPED_TRACE(std::string(t.name) + ", steps of " + std::to_string(size.step_frames) + " frames");
    OpenedTrack o = open_track(t, size);
    ASSERT_FALSE(o.expected.empty());
    ASSERT_NE(o.stream, nullptr);
    Stream* s = o.stream;
    const std::vector<int16_t>& expected = o.expected;
    start_stream(*s, true, true);
    std::vector<int16_t> out(device_frames * 2);
    size_t mismatches = 0;
    uint64_t played = 0;  // output frames since the last (re)start
    for (int buffer = 0; buffer < 60; ++buffer) {
      if (buffer == 40) {
        start_stream(*s, true, true);
        played = 0;
      }
      std::fill(out.begin(), out.end(), 0);
      render_stream(*s, out.data(), device_frames, buffer * device_buffer_ns, true);
      for (size_t i = 0; i < out.size(); ++i) mismatches += out[i] != expected[(played * 2 + i) % expected.size()];
      played += device_frames;
      EXPECT_LE(s->ring.written.load(),
                s->ring.consumed.load() + spectrum_input_samples / 2 + uint64_t(s->feed.max_step_output))
          << "buffer " << buffer << ": decoded further than it needs";
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(s->frames_handed.load(), 20u * device_frames);
    delete s;
  }
}

TEST(StreamedMusic, OpeningDecodesOnlyTheFirstMomentsAndRefusesWhatDoesNotDecode) {
  // A 20 s file: opening writes one step into the ring, not the track.
  const std::vector<unsigned char> mp3 = encode_mp3(make_test_signal(44100 * 20, 44100, 2), 44100, 2);
  Mp3Format format;
  Stream* s = make_stream(mp3_decoder_open_memory(mp3.data(), mp3.size(), &format), format, output_rate);
  ASSERT_NE(s, nullptr);
  EXPECT_GT(s->ring.written.load(), 0u);
  EXPECT_LE(s->ring.written.load(), 8192u);
  feed_stream(*s);
  EXPECT_LE(s->ring.written.load(), s->ring.capacity) << "the ring holds a moment, not the track";
  delete s;

  // Only the tag frame: it opens, but nothing decodes.
  const std::vector<unsigned char> tag_only(mp3.begin(), mp3.begin() + 300);
  Mp3Decoder* d = mp3_decoder_open_memory(tag_only.data(), tag_only.size(), &format);
  if (d) {
    EXPECT_EQ(make_stream(d, format, output_rate), nullptr);
  }
  EXPECT_EQ(make_stream(nullptr, format, output_rate), nullptr);
  for (long step : {0L, -1L}) {
    EXPECT_EQ(make_stream(mp3_decoder_open_memory(mp3.data(), mp3.size(), &format), format, output_rate, {step, 1}),
              nullptr)
        << "a step of " << step << " frames";
  }
}

}  // namespace
