// The pixel pass every picture loader shares: whatever layout its decoder
// gives, the texture's bytes read red, green, blue, 100, and the layouts that
// are four bytes wide can be turned over in place.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "assets/picture_rules.h"

namespace {

TEST(PicturePixelPass, GivesRedGreenBlueAndOneHundredFromEveryLayout) {
  struct Case {
    PicturePixels layout;
    std::vector<uint8_t> in;
    bool in_place;
  };
  const std::vector<uint8_t> expected = {10, 20, 30, 100, 200, 150, 0, 100, 255, 255, 255, 100};
  const Case cases[] = {
      {PicturePixels::rgb, {10, 20, 30, 200, 150, 0, 255, 255, 255}, false},
      {PicturePixels::bgrx, {30, 20, 10, 0, 0, 150, 200, 255, 255, 255, 255, 7}, true},
      {PicturePixels::rgbx, {10, 20, 30, 0, 200, 150, 0, 255, 255, 255, 255, 7}, true},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out(12, 0xEE);
    picture_pixel_pass(c.layout, c.in.data(), out.data(), 3);
    EXPECT_EQ(out, expected) << static_cast<int>(c.layout);
    if (c.in_place) {
      std::vector<uint8_t> in_place = c.in;
      picture_pixel_pass(c.layout, in_place.data(), in_place.data(), 3);
      EXPECT_EQ(in_place, expected) << "in place, layout " << static_cast<int>(c.layout);
    }
  }
}

}  // namespace
