// Every broken data directory of the whole-program runs, read in-process by
// the demo's own readers: what each reader makes of each bad input, as the
// table in docs/inputs.md states it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>
#include <ostream>
#include <cstring>
#include <filesystem>
#include <string>

#include "assets/mesh.h"
#include "assets/picture_decode.h"
#include "audio/mp3_file.h"
#include "tests/reliability/broken_data.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

const char* const picture_paths[] = {"data/texture.jpg", "data/serce.jpg",   "data/ip.jpg",   "data/cover.jpg",
                                     "data/c.jpg",       "data/credits.jpg", "data/part.jpg", "data/env.jpg"};

struct Expected {
  const char* case_name;
  const char* mesh_refusal;  // "" when the mesh loads
  int pictures_loading;      // of the eight
  bool music_decodes;
};

const Expected expected_outcomes[] = {
    {"no-data", "file cannot be opened or read", 0, false},
    {"mesh-truncated", "file too short for its vertex count", 8, true},
    {"mesh-forged-count", "file too short for its vertex count", 8, true},
    {"mesh-index-past-n", "corner index not below the vertex count", 8, true},
    {"pictures-garbage", "", 0, true},
    {"pictures-empty", "", 0, true},
    {"pictures-truncated-jpeg", "", 0, true},
    {"pictures-png", "", 0, true},
    {"music-garbage", "", 8, false},
    {"music-empty", "", 8, false},
    {"music-truncated-mp3", "", 8, false},
    {"music-oversized", "", 8, false},
    {"all-at-once", "file too short for its vertex count", 0, false},
};

// Names the case in test output instead of dumping the struct's bytes.
void PrintTo(const Expected& expected, std::ostream* out) { *out << expected.case_name; }

class BadInputs : public ::testing::TestWithParam<Expected> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(work.path().empty());
    ASSERT_TRUE(make_broken_data(GetParam().case_name, fs::path(ZARNIC_DATA_ROOT) / "data", work.path()));
    ASSERT_TRUE(work.enter());
  }
  void TearDown() override { ASSERT_EQ(chdir("/"), 0); }

  TempFolder work{"bad-inputs"};
};

TEST_P(BadInputs, EachReaderRefusesExactlyTheBrokenElement) {
  const Expected& expected = GetParam();

  Mesh mesh;
  const MeshLoadResult result = mesh.load("data/obj.b3df");
  if (expected.mesh_refusal[0] == '\0') {
    EXPECT_TRUE(result.ok) << result.reason << " at " << result.offset;
    EXPECT_GT(mesh.triangle_count, 0);
  } else {
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.reason, expected.mesh_refusal);
    EXPECT_EQ(mesh.vertex_count, 0);
    EXPECT_EQ(mesh.triangle_count, 0);
    EXPECT_TRUE(mesh.vertex_array.empty());
  }

  int loading = 0;
  for (const char* picture : picture_paths) {
    PictureImage image;
    if (load_picture_image(picture, 1024, &image)) ++loading;
  }
  EXPECT_EQ(loading, expected.pictures_loading);

  DecodedPcm pcm;
  EXPECT_EQ(decode_mp3_file("data/orvu.mp3", &pcm), expected.music_decodes);
  if (!expected.music_decodes) {
    EXPECT_EQ(pcm.samples.capacity(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBrokenDataDirectory, BadInputs, ::testing::ValuesIn(expected_outcomes),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                           std::string name = info.param.case_name;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

TEST(BadInputs, TableCoversEveryBrokenDataCase) {
  ASSERT_EQ(broken_data_cases().size(), std::size(expected_outcomes));
  for (size_t i = 0; i < std::size(expected_outcomes); ++i) {
    EXPECT_EQ(broken_data_cases()[i], expected_outcomes[i].case_name);
  }
}

}  // namespace
