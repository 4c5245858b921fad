// The whole-file read of the decoders that hold their input whole: the range
// asked for, clipped at the end of the file, and refusals before anything is
// read.
#include "audio/mp3_file_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"
#include "tests/support/files.h"

namespace {

TEST(Mp3FileBytes, ReadsTheRangeAskedForAndRefusesOneOutsideTheFileOrOverTheLimit) {
  TempFolder folder("mp3-file-bytes");
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const std::string path = folder / "ten.bin";
  ASSERT_TRUE(write_file(path, bytes));
  // Past the limit only by its length: the rest of the file is a hole.
  const std::string huge = folder / "huge.bin";
  ASSERT_TRUE(write_file(huge, bytes));
  std::filesystem::resize_file(huge, mp3_max_input_bytes + 1);
  const std::string missing = folder / "none.bin";
  struct Case {
    const char* what;
    const char* path;
    uint64_t offset, length;
    std::vector<uint8_t> read;  // empty: refused
  };
  const Case cases[] = {
      {"the whole file", path.c_str(), 0, 0, bytes},
      {"a range inside it", path.c_str(), 2, 3, {3, 4, 5}},
      {"a length past the end", path.c_str(), 7, 100, {8, 9, 10}},
      {"an offset at the end", path.c_str(), 10, 0, {}},
      {"an offset past the end", path.c_str(), 11, 1, {}},
      {"a file over the limit", huge.c_str(), 0, 0, {}},
      {"a range within the limit", huge.c_str(), 0, 4, {1, 2, 3, 4}},
      {"a missing file", missing.c_str(), 0, 0, {}},
      {"a folder", folder.path().c_str(), 0, 0, {}},
      {"no path", nullptr, 0, 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out = {42};
    EXPECT_EQ(read_mp3_file_bytes(c.path, c.offset, c.length, &out), !c.read.empty()) << c.what;
    EXPECT_EQ(out, c.read) << c.what;
  }
}

}  // namespace
