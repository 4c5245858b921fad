// The contract of the six music calls, the same cases for every
// implementation: linked once with the real layer, once with the scripted
// stand-in (and built for the Windows layer too). Each build brings its own
// fixture (music_contract_fixture.h) for making a stream of a known file.
#include "tests/audio/music_contract_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace music_contract;

constexpr DWORD request_failed = static_cast<DWORD>(-1);
constexpr int spectrum_floats = 512;
constexpr float canary = -7.0f;
constexpr DWORD bytes_per_frame = known_channels * 2;

class MusicContract : public ::testing::Test {
 protected:
  void SetUp() override { set_up(); }
  void TearDown() override { tear_down(); }
};

// A spectrum buffer twice the size the demo passes, every float a canary.
std::vector<float> canary_buffer() { return std::vector<float>(2048, canary); }

int canaries(const std::vector<float>& v, size_t from, size_t to) {
  return static_cast<int>(std::count(v.begin() + from, v.begin() + to, canary));
}

TEST_F(MusicContract, SpectrumOfAPlayingStreamWrites512FloatsAndReturnsTheBytesItCovers) {
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(play_until_heard(h));
  std::vector<float> bins = canary_buffer();
  EXPECT_EQ(BASS_ChannelGetData(h, bins.data(), BASS_DATA_FFT2048), 1024 * bytes_per_frame);
  EXPECT_EQ(canaries(bins, 0, spectrum_floats), 0) << "every one of the 512 bands written";
  EXPECT_EQ(canaries(bins, spectrum_floats, bins.size()), int(bins.size()) - spectrum_floats)
      << "nothing written past element 511";
  for (int i = 0; i < spectrum_floats; ++i) ASSERT_GE(bins[i], 0.0f) << "band " << i;
}

TEST_F(MusicContract, SpectrumOfAStreamNotHeardIsZeroAndReturns0) {
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  std::vector<float> bins = canary_buffer();
  EXPECT_EQ(BASS_ChannelGetData(h, bins.data(), BASS_DATA_FFT2048), 0u);
  EXPECT_EQ(std::count(bins.begin(), bins.begin() + spectrum_floats, 0.0f), spectrum_floats);
  EXPECT_EQ(canaries(bins, spectrum_floats, bins.size()), int(bins.size()) - spectrum_floats);
  EXPECT_EQ(BASS_ChannelGetPosition(h), 0u) << "nothing heard, position 0";
}

TEST_F(MusicContract, RequestsThatFailWriteNothing) {
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(play_until_heard(h));
  struct Row {
    const char* what;
    DWORD handle;
    DWORD request;
  };
  const Row rows[] = {
      {"handle 0", 0, BASS_DATA_FFT2048},
      {"the handle after the stream's", h + 1, BASS_DATA_FFT2048},
      {"the stream's handle with its top bit flipped", h ^ 0x80000000u, BASS_DATA_FFT2048},
      {"all bits set", 0xffffffffu, BASS_DATA_FFT2048},
      {"another request: 1024 bytes of samples", h, 1024},
      {"another request: the 1024-sample spectrum flag", h, 0x80000001u},
      {"another request: the 4096-sample spectrum flag", h, 0x80000003u},
  };
  for (const Row& r : rows) {
    std::vector<float> bins = canary_buffer();
    EXPECT_EQ(BASS_ChannelGetData(r.handle, bins.data(), r.request), request_failed) << r.what;
    EXPECT_EQ(canaries(bins, 0, bins.size()), int(bins.size())) << r.what;
  }
  EXPECT_EQ(BASS_ChannelGetData(h, nullptr, BASS_DATA_FFT2048), request_failed) << "null buffer";
}

TEST_F(MusicContract, HandlesThatAreNotStreamsReportNothingAndDoNotPlay) {
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(play_until_heard(h));
  for (DWORD handle : {0u, h + 1, h ^ 0x80000000u, 0xffffffffu}) {
    EXPECT_EQ(BASS_ChannelGetPosition(handle), 0u) << handle;
    EXPECT_EQ(BASS_ChannelBytes2Seconds(handle, 176400), 0.0f) << handle;
    EXPECT_EQ(BASS_StreamPlay(handle, 0, BASS_SAMPLE_LOOP), 0) << handle;
    EXPECT_EQ(BASS_StreamPlay(handle, 1, 0), 0) << handle;
  }
}

TEST_F(MusicContract, PositionIsInWholeFramesAndConvertsWithTheStreamsFormat) {
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(play_until_heard(h));
  const QWORD position = BASS_ChannelGetPosition(h);
  EXPECT_GT(position, 0u);
  EXPECT_EQ(position % bytes_per_frame, 0u);
  const QWORD one_second = QWORD(known_rate) * bytes_per_frame;
  struct Row {
    QWORD bytes;
    float seconds;
  };
  for (const Row& r : {Row{0, 0.0f}, Row{one_second, 1.0f}, Row{one_second / 4, 0.25f}, Row{one_second * 17, 17.0f},
                       Row{bytes_per_frame, 1.0f / known_rate}})
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, r.bytes), r.seconds) << r.bytes << " bytes";
  const float seconds = BASS_ChannelBytes2Seconds(h, position);
  EXPECT_FLOAT_EQ(seconds, float(double(position) / one_second));
}

TEST_F(MusicContract, FilesThatCannotBeOpenedGiveNoStream) {
  EXPECT_EQ(BASS_StreamCreateFile(0, missing_file(), 0, 0, BASS_SAMPLE_LOOP), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
  const unsigned char block[16] = {};
  EXPECT_EQ(BASS_StreamCreateFile(1, block, 0, 0, 0), 0u) << "a memory block without a length";
  // The refusals leave the calls working for a stream made afterwards.
  const HSTREAM h = make_stream();
  ASSERT_NE(h, 0u);
  EXPECT_TRUE(play_until_heard(h));
}

}  // namespace
