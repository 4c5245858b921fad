// What reaches the sound device: the decoded track played through waveOut
// into wine's ALSA output, which this test's ALSA configuration turns into a
// file (HOME points at a folder whose .asoundrc says so). That sink is not
// paced in real time, so only the content is checked, never the timing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/mp3_decoder.h"
#include "platform/audio_output.h"
#include "tests/windows/reference_files.h"

namespace {

constexpr int channels = platform::audio_output_channels;

std::vector<int16_t> track;  // the ACM decode of the test tone
std::atomic<size_t> frames_handed{0};

void play_track(int16_t* out, int frames, int64_t) {
  const size_t first = frames_handed.fetch_add(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const size_t f = first + i;
    for (int c = 0; c < channels; ++c)
      out[i * channels + c] = f * channels < track.size() ? track[f * channels + c] : 0;
  }
}

// Where in `captured` the track begins, searching the first second; -1 if
// it is nowhere there.
long find_track(const std::vector<int16_t>& captured) {
  // The first loud frame of the track, matched with a few frames after it.
  size_t loud = 0;
  while (loud < track.size() && std::abs(track[loud]) < 2000) ++loud;
  const long lead = static_cast<long>(loud / channels);
  for (long offset = 0; offset < 44100; ++offset) {
    bool match = true;
    for (long f = lead; f < lead + 64 && match; ++f) {
      const size_t at = static_cast<size_t>(offset + f) * channels;
      if (at + 1 >= captured.size()) return -1;
      match = std::abs(captured[at] - track[f * channels]) <= 2 &&
              std::abs(captured[at + 1] - track[f * channels + 1]) <= 2;
    }
    if (match) return offset;
  }
  return -1;
}

TEST(WinmmDevice, ReceivesTheDecodedTrack) {
  Mp3Format format;
  Mp3Decoder* d = mp3_decoder_open_file(reference_path("tone.mp3").c_str(), 0, 0, &format);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(format.channels, channels);
  track.resize(static_cast<size_t>(format.frames) * channels);
  ASSERT_EQ(mp3_decoder_read(d, track.data(), static_cast<long>(format.frames)), format.frames);
  mp3_decoder_close(d);

  const std::string capture = std::string("Z:") + CAPTURE_FILE;
  std::remove(capture.c_str());
  platform::AudioOutputInfo info;
  ASSERT_TRUE(platform::audio_output_open(1, format.rate, play_track, &info));
  EXPECT_TRUE(info.audible) << "the ALSA file sink should give wine a device";
  // The whole track and a second of silence after it handed over.
  const size_t wanted = track.size() / channels + static_cast<size_t>(format.rate);
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (frames_handed.load() < wanted && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // Let the device play what is queued before closing.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  platform::audio_output_close();
  ASSERT_GE(frames_handed.load(), wanted);

  const std::vector<int16_t> captured = read_binary_file<int16_t>(capture);
  ASSERT_GT(captured.size(), track.size()) << "the device received less than the track";
  const long offset = find_track(captured);
  ASSERT_GE(offset, 0) << "the track's start is not in what the device received";
  size_t differing = 0;
  int worst = 0;
  for (size_t i = 0; i < track.size(); ++i) {
    const int diff = std::abs(captured[static_cast<size_t>(offset) * channels + i] - track[i]);
    worst = std::max(worst, diff);
    if (diff > 2) ++differing;
  }
  std::printf("track found %ld frames into the capture; largest difference %d\n", offset, worst);
  EXPECT_EQ(differing, 0u) << "of " << track.size() << " samples";
}

}  // namespace
