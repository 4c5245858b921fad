// The picture loader's resampling against the one it replaced: the earlier
// loader stretched the decoded picture with stb_image_resize (Catmull-Rom up,
// Mitchell down), kept as the reference in reference_picture.h. Every default picture and a set
// of synthetic ones must come out within the stated quality measure of it:
// PSNR at least 40 dB and a mean absolute difference of at most 1.0 per
// channel, with the same size, orientation and fourth byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/file_bytes.h"
#include "assets/picture_decode.h"
#include "assets/picture_resample.h"
#include "tests/support/reference_picture.h"
#include "tests/support/test_pictures.h"

namespace {

constexpr int no_cap = 16384;
constexpr double min_psnr_db = 40.0;
constexpr double min_psnr_db_small_hard_edges = 35.0;
constexpr double max_mean_difference = 1.0;

struct Difference {
  double psnr_db = 0.0;
  double mean = 0.0;
};

// Over red, green and blue; the fourth byte is checked on its own.
Difference difference(const PictureImage& a, const PictureImage& b) {
  double squares = 0.0, absolute = 0.0;
  size_t samples = 0;
  for (size_t i = 0; i < a.rgba.size(); ++i) {
    if (i % 4 == 3) continue;
    const int d = a.rgba[i] - b.rgba[i];
    squares += d * d;
    absolute += std::abs(d);
    ++samples;
  }
  const double mse = squares / static_cast<double>(samples);
  return {mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse), absolute / static_cast<double>(samples)};
}

void expect_close_to_reference(const std::vector<uint8_t>& jpeg, int max_size, const std::string& name,
                               double min_psnr = min_psnr_db) {
  SCOPED_TRACE(name);
  PictureImage reference, image;
  ASSERT_TRUE(reference_picture(jpeg, max_size, &reference));
  ASSERT_TRUE(decode_picture(jpeg.data(), jpeg.size(), max_size, &image));
  ASSERT_EQ(image.width, reference.width);
  ASSERT_EQ(image.height, reference.height);
  ASSERT_EQ(image.rgba.size(), reference.rgba.size());
  for (size_t i = 3; i < image.rgba.size(); i += 4) ASSERT_EQ(image.rgba[i], picture_fourth_byte) << "texel " << i / 4;
  const Difference d = difference(image, reference);
  EXPECT_GE(d.psnr_db, min_psnr);
  EXPECT_LE(d.mean, max_mean_difference);
  std::printf("  %-28s %4dx%-4d PSNR %5.1f dB, mean difference %.2f\n", name.c_str(), image.width, image.height,
              d.psnr_db, d.mean);
}

TEST(PictureQuality, DefaultPicturesStayWithinTheMeasureOfTheEarlierResampler) {
  const char* const pictures[] = {"texture.jpg", "serce.jpg",   "ip.jpg",   "cover.jpg",
                                  "c.jpg",       "credits.jpg", "part.jpg", "env.jpg"};
  for (const char* picture : pictures) {
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(read_file_bytes((std::string(ZARNIC_SOURCE_DIR) + "/data/" + picture).c_str(), &jpeg)) << picture;
    expect_close_to_reference(jpeg, no_cap, picture);
  }
}

TEST(PictureQuality, SyntheticPicturesStayWithinTheMeasureOfTheEarlierResampler) {
  struct Case {
    const char* name;
    std::vector<uint8_t> jpeg;
    int max_size;
    double min_psnr;
  };
  // Growing, shrinking and both at once; a reduced-scale decode before the
  // stretch; a cap on the texture size; hard edges (the quadrants) and
  // smooth shading with fine texture.
  const Case cases[] = {
      {"quadrants 640x480", make_quadrant_jpeg(640, 480), no_cap, min_psnr_db},
      {"quadrants 300x200", make_quadrant_jpeg(300, 200), no_cap, min_psnr_db},
      {"quadrants 40x100", make_quadrant_jpeg(40, 100), no_cap, min_psnr_db_small_hard_edges},
      {"photo-like 800x600", make_photo_like_jpeg(800, 600), no_cap, min_psnr_db},
      {"photo-like 400x316", make_photo_like_jpeg(400, 316), no_cap, min_psnr_db},
      {"photo-like 2000x1500", make_photo_like_jpeg(2000, 1500), no_cap, min_psnr_db},
      {"photo-like 2000x1000 max 256", make_photo_like_jpeg(2000, 1000), 256, min_psnr_db},
      {"grey 300x200", make_grey_jpeg(300, 200), no_cap, min_psnr_db},
  };
  for (const Case& c : cases) expect_close_to_reference(c.jpeg, c.max_size, c.name, c.min_psnr);
}

TEST(PictureResample, FlatColourStaysExactlyThatColour) {
  struct Case {
    int width, height, texture_width, texture_height;
  };
  // Growing, shrinking by less and by more than half, and mixed.
  const Case cases[] = {{300, 200, 256, 256}, {800, 678, 1024, 512}, {640, 506, 512, 512},
                        {1000, 90, 256, 64},  {17, 3, 16, 4},        {5, 5, 64, 64}};
  const Rgb colours[] = {{200, 37, 128}, {255, 255, 255}, {0, 0, 0}, {1, 254, 99}};
  for (const Case& c : cases) {
    for (const Rgb& colour : colours) {
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.texture_width << "x"
                                      << c.texture_height << " colour " << int(colour.r) << "," << int(colour.g) << ","
                                      << int(colour.b));
      std::vector<uint8_t> rgb(static_cast<size_t>(c.width) * c.height * 3);
      for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = colour.r;
        rgb[i + 1] = colour.g;
        rgb[i + 2] = colour.b;
      }
      std::vector<uint8_t> rgba(static_cast<size_t>(c.texture_width) * c.texture_height * 4, 0);
      resample_picture(rgb.data(), c.width, c.height, c.texture_width, c.texture_height, picture_fourth_byte,
                       rgba.data());
      const uint8_t want[4] = {colour.r, colour.g, colour.b, picture_fourth_byte};
      size_t wrong = 0;
      for (size_t i = 0; i < rgba.size(); ++i) wrong += rgba[i] != want[i % 4];
      EXPECT_EQ(wrong, 0u);
    }
  }
}

TEST(PictureResample, RowsAndColumnsKeepTheirPlaceAndEdgesStaySharp) {
  // A picture whose left third is red and right two thirds blue, bottom row
  // in memory first with a green bottom band: after stretching, each texel
  // is pure where the source is flat around it.
  const int width = 90, height = 60, texture_width = 128, texture_height = 32;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      const Rgb c = y < height / 6 ? green : (x < width / 3 ? red : blue);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  std::vector<uint8_t> rgba(static_cast<size_t>(texture_width) * texture_height * 4);
  resample_picture(rgb.data(), width, height, texture_width, texture_height, picture_fourth_byte, rgba.data());
  auto at = [&](int x, int row) { return &rgba[(static_cast<size_t>(row) * texture_width + x) * 4]; };
  struct Probe {
    int x, row;
    Rgb colour;
  };
  const Probe probes[] = {{0, 0, green}, {127, 0, green}, {10, 2, green}, {0, 31, red},
                          {30, 20, red}, {127, 31, blue}, {60, 20, blue}, {100, 10, blue}};
  for (const Probe& p : probes) {
    SCOPED_TRACE(testing::Message() << "texel " << p.x << ", row " << p.row);
    EXPECT_EQ(at(p.x, p.row)[0], p.colour.r);
    EXPECT_EQ(at(p.x, p.row)[1], p.colour.g);
    EXPECT_EQ(at(p.x, p.row)[2], p.colour.b);
    EXPECT_EQ(at(p.x, p.row)[3], picture_fourth_byte);
  }
}

}  // namespace
