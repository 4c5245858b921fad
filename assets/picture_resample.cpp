#include "assets/picture_resample.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale.h>

#include <vector>

void resample_picture(const uint8_t* rgb, int width, int height, int texture_width, int texture_height,
                      uint8_t fourth_byte, uint8_t* rgba) {
  // libyuv scales single 8-bit planes exactly (its packed 32-bit scaler
  // darkens a flat colour by a step or two), so the channels are split,
  // scaled one by one and merged again.
  const size_t source_plane = static_cast<size_t>(width) * height;
  const size_t texture_plane = static_cast<size_t>(texture_width) * texture_height;
  std::vector<uint8_t> source(source_plane * 3);
  std::vector<uint8_t> scaled(texture_plane * 3);
  uint8_t* source_planes[3] = {source.data(), source.data() + source_plane, source.data() + 2 * source_plane};
  uint8_t* scaled_planes[3] = {scaled.data(), scaled.data() + texture_plane, scaled.data() + 2 * texture_plane};

  libyuv::SplitRGBPlane(rgb, width * 3, source_planes[0], width, source_planes[1], width, source_planes[2], width,
                        width, height);
  for (int c = 0; c < 3; ++c) {
    libyuv::ScalePlane(source_planes[c], width, width, height, scaled_planes[c], texture_width, texture_width,
                       texture_height, libyuv::kFilterBox);
  }
  // One row of the fourth byte, read again for every row (stride 0).
  const std::vector<uint8_t> fourth_row(static_cast<size_t>(texture_width), fourth_byte);
  // libyuv's ARGB is B, G, R, A in memory: red goes in its blue slot so the
  // bytes read red, green, blue, fourth.
  libyuv::MergeARGBPlane(scaled_planes[2], texture_width, scaled_planes[1], texture_width, scaled_planes[0],
                         texture_width, fourth_row.data(), 0, rgba, texture_width * 4, texture_width, texture_height);
}
