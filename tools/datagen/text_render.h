// Renders lines of text from a DejaVu font into coverage masks with
// FreeType's anti-aliased rasteriser.
#pragma once

#include <string>

#include "tools/datagen/image.h"

class TextRender {
 public:
  // font_file is a name inside the DejaVu font directory, e.g.
  // "DejaVuSans-Bold.ttf". ok() tells whether it loaded.
  explicit TextRender(const char* font_file);
  ~TextRender();
  TextRender(const TextRender&) = delete;
  TextRender& operator=(const TextRender&) = delete;

  bool ok() const { return face_ != nullptr; }

  // Width in pixels of text at pixel_size, kerning included.
  int measure(const std::u32string& text, int pixel_size, int letter_spacing = 0);
  // Draws text into mask (adding coverage, clamped to 1) with its baseline
  // at baseline_y and horizontally centred on centre_x.
  void draw_centred(Mask& mask, const std::u32string& text, int pixel_size, int centre_x, int baseline_y,
                    int letter_spacing = 0);

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};
