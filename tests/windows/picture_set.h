// The JPEG pictures the Windows picture tests load, made with TurboJPEG on
// the build machine by picture_maker at build time (mingw has no JPEG
// encoder). Shared by the maker and the tests, so both agree on names.
#pragma once

#include <string>

struct PictureSize {
  int width, height;
};

// Flat grey pictures, "grey_<width>x<height>.jpg": the size rule's boundaries,
// the path limit's 2 x 2, and the largest side taken and one past it.
constexpr PictureSize grey_pictures[] = {
    {1, 1},     {2, 3},     {5, 6},     {11, 12},   {22, 23}, {181, 182}, {362, 363},
    {724, 725}, {640, 480}, {800, 600}, {300, 200}, {2, 2},   {16384, 1}, {16385, 1},
};
// Flat white pictures, "white_<width>x<height>.jpg": shrunk, grown and kept.
constexpr PictureSize white_pictures[] = {{640, 506}, {300, 200}, {100, 60}, {64, 64}, {5, 3}};
// Four flat quadrants of 8 x 8 pixels each, one JPEG block apiece so that
// their colours survive the encoding: top-left blue, top-right white,
// bottom-left red, bottom-right green.
constexpr const char* quadrant_picture = "quadrants_16x16.jpg";
constexpr int quadrant_picture_side = 16;

inline std::string picture_name(const char* kind, PictureSize size) {
  return std::string(kind) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".jpg";
}
