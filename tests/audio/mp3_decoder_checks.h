// Checks that every MP3 decoder's tests make alike, against the decoder the
// test program links (mp3_decoder_mpg123.cpp or mp3_decoder_acm.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"

// The size limit: `track`, a real MP3 file, is written at the front of a
// 300 MB file at `path` whose rest is a hole, so the file costs almost no
// disk and the check no time. The whole file, and a range one byte over the
// limit, are refused at open; the track's own range within it opens. The
// file is removed afterwards.
inline void expect_size_limit_refused_at_open(const std::vector<uint8_t>& track, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  const bool written = std::fwrite(track.data(), 1, track.size(), file) == track.size();
  ASSERT_EQ(std::fclose(file), 0);
  ASSERT_TRUE(written) << path;
  std::filesystem::resize_file(path, uint64_t{300} << 20);
  struct Case {
    const char* what;
    uint64_t offset, length;
    bool opens;
  };
  const Case cases[] = {
      {"the whole 300 MB file", 0, 0, false},
      {"one byte over the limit", 0, mp3_max_input_bytes + 1, false},
      {"the track at its front", 0, track.size(), true},
  };
  for (const Case& c : cases) {
    Mp3Format format;
    Mp3Decoder* d = mp3_decoder_open_file(path.c_str(), c.offset, c.length, &format);
    EXPECT_EQ(d != nullptr, c.opens) << c.what;
    mp3_decoder_close(d);
  }
  std::remove(path.c_str());
}
