// The GL-free steps of the picture loader: the size rule, the path rule, and
// decoding into a bottom-up image, including hostile input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "assets/picture_decode.h"
#include "tests/support/non_jpeg_pictures.h"
#include "tests/support/test_pictures.h"

namespace {

constexpr int no_cap = 16384;

TEST(PictureSize, NearestPowerOfTwoOnALogScale) {
  struct Case {
    int pixels;
    int max_size;
    int texture;
  };
  const Case cases[] = {
      {1, no_cap, 1},
      {2, no_cap, 2},
      {3, no_cap, 4},
      {5, no_cap, 4},
      {6, no_cap, 8},
      {11, no_cap, 8},
      {12, no_cap, 16},
      {22, no_cap, 16},
      {23, no_cap, 32},
      {45, no_cap, 32},
      {46, no_cap, 64},
      {90, no_cap, 64},
      {91, no_cap, 128},
      {181, no_cap, 128},
      {182, no_cap, 256},
      {362, no_cap, 256},
      {363, no_cap, 512},
      {724, no_cap, 512},
      {725, no_cap, 1024},
      {1448, no_cap, 1024},
      {1449, no_cap, 2048},
      {480, no_cap, 512},
      {600, no_cap, 512},
      {800, no_cap, 1024},
      // The cap applies to the pixel size before rounding; equal keeps it.
      {2000, 1024, 1024},
      {1024, 1024, 1024},
      {1500, 1024, 1024},
      {1000, 1024, 1024},
      {700, 512, 512},
      {16384, no_cap, 16384},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(picture_texture_size(c.pixels, c.max_size), c.texture) << c.pixels << " pixels, max " << c.max_size;
  }
}

std::string working_directory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

TEST(PicturePath, WorkingDirectorySlashPathAndUrlsUnchanged) {
  char full[picture_path_capacity];
  ASSERT_TRUE(compose_picture_path("data/c.jpg", full));
  EXPECT_EQ(std::string(full), working_directory() + "/data/c.jpg");

  for (const char* url : {"http://example.invalid/a.jpg", "data/x http://host/b.jpg"}) {
    ASSERT_TRUE(compose_picture_path(url, full)) << url;
    EXPECT_STREQ(full, url);
  }
  // "https://" does not contain "http://", so it is treated as a file name.
  ASSERT_TRUE(compose_picture_path("https://host/c.jpg", full));
  EXPECT_EQ(std::string(full), working_directory() + "/https://host/c.jpg");
}

TEST(PicturePath, FullPathMustFitWithItsTerminator) {
  const size_t prefix = working_directory().size() + 1;
  ASSERT_LT(prefix, picture_path_capacity - 1);
  char full[picture_path_capacity];

  const std::string fits(picture_path_capacity - 1 - prefix, 'a');
  ASSERT_TRUE(compose_picture_path(fits.c_str(), full));
  EXPECT_EQ(std::string(full).size(), picture_path_capacity - 1);
  const std::string too_long(picture_path_capacity - prefix, 'a');
  EXPECT_FALSE(compose_picture_path(too_long.c_str(), full));

  const std::string url = "http://" + std::string(picture_path_capacity - 8, 'u');
  EXPECT_TRUE(compose_picture_path(url.c_str(), full));
  EXPECT_FALSE(compose_picture_path((url + "u").c_str(), full));
}

const uint8_t* pixel(const PictureImage& image, int x, int row_from_bottom) {
  return &image.rgba[(static_cast<size_t>(row_from_bottom) * image.width + x) * 4];
}

void expect_colour(const uint8_t* p, Rgb want, const char* where) {
  SCOPED_TRACE(where);
  EXPECT_NEAR(p[0], want.r, 6);
  EXPECT_NEAR(p[1], want.g, 6);
  EXPECT_NEAR(p[2], want.b, 6);
  EXPECT_EQ(p[3], picture_fourth_byte);
}

// Corners of a quadrant picture after decoding: the first row in memory is
// the picture's bottom row, the first column its left edge.
void expect_quadrant_corners(const PictureImage& image) {
  const int right = image.width - 1;
  const int top = image.height - 1;
  expect_colour(pixel(image, 0, 0), red, "bottom left");
  expect_colour(pixel(image, right, 0), green, "bottom right");
  expect_colour(pixel(image, 0, top), blue, "top left");
  expect_colour(pixel(image, right, top), white, "top right");
}

TEST(PictureDecode, BottomRowFirstWithFourthByteSet) {
  const std::vector<uint8_t> jpeg = make_quadrant_jpeg(64, 32);
  PictureImage image;
  ASSERT_TRUE(decode_picture(jpeg.data(), jpeg.size(), no_cap, &image));
  EXPECT_EQ(image.width, 64);
  EXPECT_EQ(image.height, 32);
  ASSERT_EQ(image.rgba.size(), 64u * 32u * 4u);
  expect_quadrant_corners(image);
  for (size_t i = 3; i < image.rgba.size(); i += 4) ASSERT_EQ(image.rgba[i], picture_fourth_byte);
}

TEST(PictureDecode, StretchesTheWholePictureToTheTextureSize) {
  struct Case {
    int width, height, max_size, texture_width, texture_height;
  };
  // Up, down and mixed stretching; the last three decode at a reduced scale,
  // the very last straight to its texture size.
  const Case cases[] = {
      {300, 200, no_cap, 256, 256}, {40, 100, no_cap, 32, 128},  {2000, 1000, 256, 256, 256},
      {1600, 120, 64, 64, 64},      {1024, 1024, 128, 128, 128},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " max " << c.max_size);
    const std::vector<uint8_t> jpeg = make_quadrant_jpeg(c.width, c.height);
    PictureImage image;
    ASSERT_TRUE(decode_picture(jpeg.data(), jpeg.size(), c.max_size, &image));
    EXPECT_EQ(image.width, c.texture_width);
    EXPECT_EQ(image.height, c.texture_height);
    expect_quadrant_corners(image);
    // The quadrant borders land mid-image: the picture is stretched, not cropped.
    expect_colour(pixel(image, c.texture_width / 2 - 2, c.texture_height / 2 - 2), red, "just below-left of centre");
    expect_colour(pixel(image, c.texture_width / 2 + 1, c.texture_height / 2 + 1), white, "just above-right of centre");
  }
}

// Overwrites the height and width in the first baseline frame header.
std::vector<uint8_t> with_frame_size(std::vector<uint8_t> jpeg, int width, int height) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no baseline frame header";
  return jpeg;
}

TEST(PictureDecode, BadInputFailsQuietly) {
  const std::vector<uint8_t> good = make_quadrant_jpeg(256, 128);
  auto cut = [&](size_t size) { return std::vector<uint8_t>(good.begin(), good.begin() + size); };
  std::vector<uint8_t> early_end = good;
  early_end[good.size() / 2] = 0xFF;
  early_end[good.size() / 2 + 1] = 0xD9;
  std::vector<uint8_t> scrambled = good;
  for (size_t i = good.size() / 3; i < good.size() - 2; i += 7) scrambled[i] ^= 0x5A;

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"start marker only", cut(2)},
      {"headers only", cut(good.size() / 8)},
      {"truncated in the middle", cut(good.size() / 2)},
      {"end marker half way", early_end},
      {"scrambled scan", scrambled},
      {"wider than the bound", with_frame_size(good, max_picture_side + 1, 128)},
      {"taller than the bound", with_frame_size(good, 256, 65535)},
      {"zero width", with_frame_size(good, 0, 128)},
  };
  // Pictures of other formats, which a platform's picture service would take.
  const std::vector<non_jpeg::Named> others = non_jpeg::all_as_jpg();
  for (const non_jpeg::Named& picture : others) cases.push_back({picture.name.c_str(), picture.bytes});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureImage image;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const bool ok = decode_picture(c.bytes.data(), c.bytes.size(), no_cap, &image);
    const std::string printed = testing::internal::GetCapturedStderr() + testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ok);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.rgba.empty());
  }
}

TEST(PictureDecode, LoadImageNeverFetchesUrls) {
  PictureImage image;
  EXPECT_FALSE(load_picture_image("http://127.0.0.1/texture.jpg", no_cap, &image));
  EXPECT_FALSE(load_picture_image("no/such/picture.jpg", no_cap, &image));
  EXPECT_EQ(image.width, 0);
}

}  // namespace
