// Playing real MP3 files through the SDL output: where no device opens
// (SDL's dummy driver counts as none) the silent output, in real time; and
// SDL's disk driver, which writes what the device was given.
#include "audio/bass.h"
#include "audio/mp3_file.h"
#include "audio/output.h"
#include "audio/stream.h"

#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

class Playback : public ::testing::Test {
 protected:
  void TearDown() override {
    close_output();
    forget_streams();
    unsetenv("SDL_AUDIODRIVER");
    for (const std::string& p : files) std::remove(p.c_str());
  }

  // An MP3 file of `frames` frames of the test signal; its path.
  std::string make_mp3(int frames, int rate, int channels) {
    const std::string path = temp_path("play.mp3");
    EXPECT_TRUE(write_file(path, encode_mp3(make_test_signal(frames, rate, channels), rate, channels)));
    files.push_back(path);
    return path;
  }

  std::string scratch(const char* stem) {
    files.push_back(temp_path(stem));
    return files.back();
  }

  // Waits until the stream is heard; false after two seconds.
  static bool wait_until_heard(HSTREAM h) {
    const Clock::time_point t0 = Clock::now();
    while (BASS_ChannelGetPosition(h) == 0) {
      if (seconds_since(t0) > 2.0) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }

  std::vector<std::string> files;
};

struct PositionSample {
  double t;
  double frame;
  double handed;
};

// Reads the position every 0.3 ms for `seconds`, with the frames the device
// had been given at each read.
std::vector<PositionSample> sample_positions(HSTREAM h, double seconds) {
  const Stream* s = stream_for_handle(h);
  std::vector<PositionSample> samples;
  samples.reserve(static_cast<size_t>(seconds * 4000));
  const Clock::time_point t0 = Clock::now();
  while (seconds_since(t0) < seconds) {
    const double t = seconds_since(t0);
    const double frame = static_cast<double>(BASS_ChannelGetPosition(h) / 4);
    const double handed = static_cast<double>(s->frames_handed.load());
    samples.push_back({t, frame, handed});
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  return samples;
}

// Least-squares slope of y against t.
template <typename Y>
double slope(const std::vector<PositionSample>& v, Y y) {
  double st = 0, sy = 0, stt = 0, sty = 0;
  for (const PositionSample& x : v) {
    st += x.t;
    sy += y(x);
    stt += x.t * x.t;
    sty += x.t * y(x);
  }
  const double n = static_cast<double>(v.size());
  return (n * sty - st * sy) / (n * stt - st * st);
}

TEST_F(Playback, PositionTracksRealTimeAndIsTheAudibleNotTheHandedFrame) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 0);  // silent, so no real sound
  const HSTREAM h = BASS_StreamCreateFile(0, make_mp3(44100 * 12, 44100, 2).c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP));
  ASSERT_TRUE(wait_until_heard(h));

  // Within 1 % of real time over 3 s. A window spoilt by the machine being
  // too busy to run the device thread at all is measured again, up to three
  // times.
  std::string misses;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::vector<PositionSample> samples = sample_positions(h, 3.0);
    ASSERT_GT(samples.size(), 100u);

    // Heard, not handed over: never beyond what the device got, on average
    // half a device buffer behind it, and smooth rather than buffer steps.
    double lag_sum = 0;
    int ahead = 0, backwards = 0, jumps = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
      ahead += samples[i].frame > samples[i].handed;
      lag_sum += samples[i].handed - samples[i].frame;
      if (i == 0) continue;
      const double step = samples[i].frame - samples[i - 1].frame;
      backwards += step < 0;
      // A step of half a device buffer between two reads; a late callback
      // can cause one now and then, a position counted in buffers every time.
      jumps += step > (samples[i].t - samples[i - 1].t) * 44100.0 + 512;
    }
    EXPECT_EQ(ahead, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_LE(jumps, 13) << "position moves in steps (3 s is 130 device buffers)";
    EXPECT_GT(lag_sum / samples.size(), 256.0) << "position runs with what was handed to the device";

    const double position_rate = slope(samples, [](const PositionSample& x) { return x.frame; }) / 44100.0;
    const double span_s = samples.back().t - samples.front().t;
    const double advanced_s = (samples.back().frame - samples.front().frame) / 44100.0;
    if (std::abs(position_rate - 1.0) < 0.01 && std::abs(advanced_s - span_s) < 0.01 * span_s) {
      misses.clear();
      break;
    }
    const double device_rate = slope(samples, [](const PositionSample& x) { return x.handed; }) / 44100.0;
    misses += "position at " + std::to_string(position_rate) + " x real time, " + std::to_string(advanced_s) +
              " s in " + std::to_string(span_s) + " s; device fed at " + std::to_string(device_rate) + " x\n";
  }
  EXPECT_TRUE(misses.empty()) << misses;
  EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, 176400 * 3), 3.0f);
}

TEST_F(Playback, PositionGoesBackToZeroAtEachLoop) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  const int length = 44100 * 4 / 10 + 17;
  const HSTREAM h = BASS_StreamCreateFile(0, make_mp3(length, 44100, 2).c_str(), 0, 0, 0);
  ASSERT_TRUE(BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP));
  ASSERT_TRUE(wait_until_heard(h));
  int wraps = 0;
  QWORD previous = BASS_ChannelGetPosition(h);
  const Clock::time_point t0 = Clock::now();
  while (seconds_since(t0) < 1.3) {
    const QWORD now = BASS_ChannelGetPosition(h);
    EXPECT_LT(now, QWORD(length) * 4);
    if (now < previous) {
      ++wraps;
      // Across the wrap: from near the end to near the start.
      EXPECT_GT(previous, QWORD(length - 4410) * 4);
      EXPECT_LT(now, QWORD(4410) * 4);
    }
    previous = now;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  EXPECT_GE(wraps, 2);
}

TEST_F(Playback, WithoutADeviceTheSilentOutputStillAdvances) {
  // A driver that does not exist, and the machine's default, which on a
  // machine without a sound card finds no device.
  for (const char* driver : {"no-such-driver", static_cast<const char*>(nullptr)}) {
    const std::string name = driver ? driver : "default";
    if (driver)
      setenv("SDL_AUDIODRIVER", driver, 1);
    else
      unsetenv("SDL_AUDIODRIVER");
    const bool real_sound = BASS_Init(1, 44100, 0, nullptr, nullptr) != 0;
    if (driver) {
      EXPECT_FALSE(real_sound);
    }
    EXPECT_TRUE(output_running()) << name;
    // Mono at 48 kHz: converted for the output, positions in its own bytes.
    const HSTREAM h = BASS_StreamCreateFile(0, make_mp3(48000 * 2, 48000, 1).c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(BASS_StreamPlay(h, 0, 0));
    ASSERT_TRUE(wait_until_heard(h)) << name;
    const Clock::time_point t0 = Clock::now();
    const float start = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const QWORD position = BASS_ChannelGetPosition(h);
    // Against the time that really passed: a busy machine oversleeps.
    const double elapsed = seconds_since(t0);
    EXPECT_EQ(position % 2, 0u);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, position) - start, elapsed, 0.1) << name;

    // The 440 Hz tone is heard in the band around it.
    float bins[1024] = {};
    EXPECT_EQ(BASS_ChannelGetData(h, bins, BASS_DATA_FFT2048), 1024u * 2);
    EXPECT_GT(bins[9], 0.05f) << name;  // 430.7 Hz
    EXPECT_LT(bins[0], 0.01f) << name;
    close_output();
    forget_streams();
  }
}

TEST_F(Playback, LoopIsSampleExactOnTheDevice) {
  const std::string capture = scratch("disk.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);  // about 20 times real time
  const int length = 44100 / 3 + 5;
  const std::string mp3 = make_mp3(length, 44100, 2);
  // The disk driver counts as silent (nobody hears it), so its output waits
  // for the decoder: the file has every sample even on a busy machine.
  EXPECT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 0);
  const HSTREAM h = BASS_StreamCreateFile(0, mp3.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP));
  const Clock::time_point t0 = Clock::now();
  while (stream_for_handle(h)->frames_handed.load() < uint64_t(length) * 7 / 2 && seconds_since(t0) < 10.0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  close_output();
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");

  DecodedPcm decoded;
  ASSERT_TRUE(decode_mp3_file(mp3.c_str(), &decoded));
  ASSERT_EQ(decoded.frames(), size_t(length));
  std::vector<int16_t> got;
  std::FILE* f = std::fopen(capture.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  int16_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, sizeof(int16_t), 4096, f)) > 0) got.insert(got.end(), buf, buf + n);
  std::fclose(f);

  // Silence until the stream starts, then the file over and over.
  auto first_sound = [](const std::vector<int16_t>& v) {
    size_t i = 0;
    while (i < v.size() && v[i] == 0) ++i;
    return i / 2 * 2;
  };
  const size_t lead = first_sound(got);
  const size_t own_lead = first_sound(decoded.samples);
  ASSERT_GE(lead, own_lead);
  const size_t start = lead - own_lead;
  ASSERT_EQ(start % 2048, 0u) << "the stream starts at a device buffer";
  ASSERT_GT(got.size(), start + decoded.samples.size() * 3);
  size_t mismatches = 0, first_mismatch = 0;
  for (size_t i = start; i < got.size(); ++i) {
    if (got[i] != decoded.samples[(i - start) % decoded.samples.size()] && mismatches++ == 0) first_mismatch = i;
  }
  EXPECT_EQ(mismatches, 0u) << "first at frame " << (first_mismatch - start) / 2 << " of the stream";
}

TEST_F(Playback, BadFilesGiveNoStreamAndNonStreamsAreRefused) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  const std::string empty = scratch("empty.mp3");
  ASSERT_TRUE(write_file(empty, {}));
  const std::string noise = scratch("noise.mp3");
  std::vector<unsigned char> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
  ASSERT_TRUE(write_file(noise, bytes));
  const std::string good = make_mp3(44100, 44100, 2);

  for (const std::string& path : {std::string("/nonexistent/orvu.mp3"), empty, noise, std::string("/tmp")})
    EXPECT_EQ(BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0), 0u) << path;
  EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(0, good.c_str(), 1u << 30, 0, 0), 0u) << "offset past the end";
  EXPECT_EQ(BASS_StreamCreateFile(1, bytes.data(), 0, 0, 0), 0u) << "memory block without a length";
  EXPECT_EQ(BASS_StreamCreateFile(1, bytes.data(), 0, bytes.size(), 0), 0u);
  for (int slot = 0; slot < max_streams; ++slot) EXPECT_EQ(stream_in_slot(slot), nullptr);

  const HSTREAM real = BASS_StreamCreateFile(0, good.c_str(), 0, 0, 0);
  ASSERT_NE(real, 0u);
  for (DWORD handle : {0u, real + 1, 17u, 0x80000001u, 0xffffffffu}) {
    float bins[1024];
    std::fill(std::begin(bins), std::end(bins), 7.0f);
    EXPECT_EQ(BASS_ChannelGetData(handle, bins, BASS_DATA_FFT2048), DWORD(-1)) << handle;
    EXPECT_EQ(std::count(std::begin(bins), std::end(bins), 7.0f), 1024) << handle;
    EXPECT_EQ(BASS_ChannelGetPosition(handle), 0u) << handle;
    EXPECT_EQ(BASS_ChannelBytes2Seconds(handle, 176400), 0.0f) << handle;
    EXPECT_EQ(BASS_StreamPlay(handle, 0, BASS_SAMPLE_LOOP), 0) << handle;
  }
}

TEST_F(Playback, ATruncatedFilePlaysWhatDecodesAndLoops) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  // One second of music, cut to its first 40 %: the file's tag still
  // promises a second, and the audio breaks off well before.
  std::vector<unsigned char> mp3 = encode_mp3(make_test_signal(44100, 44100, 2), 44100, 2);
  mp3.resize(mp3.size() * 4 / 10);
  const std::string truncated = scratch("truncated.mp3");
  ASSERT_TRUE(write_file(truncated, mp3));
  const HSTREAM h = BASS_StreamCreateFile(0, truncated.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP));
  ASSERT_TRUE(wait_until_heard(h));
  int wraps = 0;
  QWORD previous = 0, highest = 0;
  float bins[1024];
  DWORD heard_bytes = 0;
  const Clock::time_point t0 = Clock::now();
  while (seconds_since(t0) < 1.5) {
    const QWORD now = BASS_ChannelGetPosition(h);
    wraps += now < previous;
    highest = std::max(highest, now);
    previous = now;
    heard_bytes = std::max(heard_bytes, BASS_ChannelGetData(h, bins, BASS_DATA_FFT2048));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_GE(wraps, 2) << "it loops over what decodes";
  EXPECT_LT(highest, QWORD(44100) * 4 * 6 / 10) << "the position stays inside what decodes";
  EXPECT_GT(highest, QWORD(44100) * 4 / 10);
  EXPECT_EQ(heard_bytes, 1024u * 4);
}

TEST_F(Playback, GetDataWritesOnly512BandsOfTheBuffer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  const HSTREAM h = BASS_StreamCreateFile(0, make_mp3(44100, 44100, 2).c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  std::vector<float> bins(1024 + 64, -1.0f);
  // Not started: nothing heard, zeros.
  EXPECT_EQ(BASS_ChannelGetData(h, bins.data(), BASS_DATA_FFT2048), 0u);
  EXPECT_EQ(std::count(bins.begin(), bins.begin() + 512, 0.0f), 512);
  EXPECT_EQ(BASS_ChannelGetData(h, bins.data(), 1024), DWORD(-1)) << "only the spectrum request";
  ASSERT_TRUE(BASS_StreamPlay(h, 0, 0));
  ASSERT_TRUE(wait_until_heard(h));
  EXPECT_EQ(BASS_ChannelGetData(h, bins.data(), BASS_DATA_FFT2048), 1024u * 4);
  EXPECT_EQ(std::count(bins.begin(), bins.begin() + 512, -1.0f), 0);
  EXPECT_EQ(std::count(bins.begin() + 512, bins.end(), -1.0f), 512 + 64);
}

}  // namespace
