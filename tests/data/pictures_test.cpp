// The committed pictures: JPEGs of the intended sizes (so the loader's
// power-of-two rounding is exercised on real files), and black where
// additive drawing needs them to vanish.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include "tests/data/data_files.h"

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  int brightest(int x0, int y0, int x1, int y1) const {
    int best = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) best = std::max<int>(best, rgb[(y * width + x) * 3 + c]);
    return best;
  }
};

bool decode(const std::string& name, Picture* out) {
  const std::vector<uint8_t> jpeg = read_file(data_path(name));
  tjhandle handle = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  bool ok = !jpeg.empty() && tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &out->width, &out->height,
                                                 &subsampling, &colourspace) == 0;
  if (ok) {
    out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
    ok = tjDecompress2(handle, jpeg.data(), jpeg.size(), out->rgb.data(), out->width, 0, out->height, TJPF_RGB, 0) == 0;
  }
  tjDestroy(handle);
  return ok;
}

TEST(DataPictures, HaveTheirSizes) {
  struct Expected {
    const char* name;
    int width, height;
  };
  const Expected table[] = {
      {"texture.jpg", 256, 256}, {"serce.jpg", 300, 300},   {"ip.jpg", 800, 678}, {"cover.jpg", 640, 506},
      {"c.jpg", 400, 316},       {"credits.jpg", 616, 400}, {"part.jpg", 64, 64}, {"env.jpg", 300, 200},
  };
  for (const Expected& e : table) {
    Picture p;
    ASSERT_TRUE(decode(e.name, &p)) << e.name;
    EXPECT_EQ(p.width, e.width) << e.name;
    EXPECT_EQ(p.height, e.height) << e.name;
  }
}

TEST(DataPictures, AdditiveOverlaysAreBlackAtTheirEdgesAndLitInside) {
  // Drawn with additive blending, so their borders must add nothing, while
  // the particle glow, the emblem and the lettering must be there.
  struct Expected {
    const char* name;
    int border;          // width of the frame that must stay black
    int lit_x0, lit_y0;  // a region that must hold bright pixels
    int lit_x1, lit_y1;
  };
  const Expected table[] = {
      {"part.jpg", 2, 24, 24, 40, 40},
      {"c.jpg", 8, 140, 40, 260, 150},        // the heart
      {"credits.jpg", 8, 100, 60, 516, 120},  // the title
  };
  for (const Expected& e : table) {
    Picture p;
    ASSERT_TRUE(decode(e.name, &p)) << e.name;
    const int w = p.width, h = p.height, b = e.border;
    EXPECT_LE(p.brightest(0, 0, w, b), 6) << e.name << " top";
    EXPECT_LE(p.brightest(0, h - b, w, h), 6) << e.name << " bottom";
    EXPECT_LE(p.brightest(0, 0, b, h), 6) << e.name << " left";
    EXPECT_LE(p.brightest(w - b, 0, w, h), 6) << e.name << " right";
    EXPECT_GE(p.brightest(e.lit_x0, e.lit_y0, e.lit_x1, e.lit_y1), 200) << e.name << " inside";
  }
}

TEST(DataPictures, CoverCarriesTheTitle) {
  // The title's letters are near white; without the font the card would
  // hold only the dark sky and the magenta grid there.
  Picture p;
  ASSERT_TRUE(decode("cover.jpg", &p));
  int white = 0;
  for (int y = p.height * 55 / 100; y < p.height * 66 / 100; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* px = &p.rgb[(y * p.width + x) * 3];
      if (px[0] > 220 && px[1] > 220 && px[2] > 220) ++white;
    }
  EXPECT_GT(white, 2000);
}

}  // namespace
