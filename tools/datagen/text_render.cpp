#include "tools/datagen/text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <string>

namespace {

FT_Library as_library(void* p) { return static_cast<FT_Library>(p); }
FT_Face as_face(void* p) { return static_cast<FT_Face>(p); }

// The kerning between two glyphs in 26.6 fixed point; 0 at the start of a
// line, for a glyph the font lacks, or in a font without kerning.
long kerning(FT_Face face, FT_UInt previous, FT_UInt glyph) {
  if (!previous || !glyph || !FT_HAS_KERNING(face)) return 0;
  FT_Vector kern;
  FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
  return kern.x;
}

}  // namespace

TextRender::TextRender(const char* font_file) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return;
  library_ = library;
  const std::string path = std::string(ZARNIC_DATAGEN_FONT_DIR) + "/" + font_file;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) == 0) face_ = face;
}

TextRender::~TextRender() {
  if (face_) FT_Done_Face(as_face(face_));
  if (library_) FT_Done_FreeType(as_library(library_));
}

int TextRender::measure(const std::u32string& text, int pixel_size, int letter_spacing) {
  if (!face_) return 0;
  FT_Face face = as_face(face_);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  long pen = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  for (char32_t c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    pen += kerning(face, previous, glyph);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) pen += face->glyph->advance.x;
    pen += letter_spacing * 64;
    previous = glyph;
  }
  if (!text.empty()) pen -= letter_spacing * 64;
  return static_cast<int>((pen + 32) / 64);
}

void TextRender::draw_centred(Mask& mask, const std::u32string& text, int pixel_size, int centre_x, int baseline_y,
                              int letter_spacing) {
  if (!face_) return;
  FT_Face face = as_face(face_);
  const int width = measure(text, pixel_size, letter_spacing);
  long pen = static_cast<long>(centre_x - width / 2) * 64;
  FT_UInt previous = 0;
  for (char32_t c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    pen += kerning(face, previous, glyph);
    previous = glyph;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = static_cast<int>(pen / 64) + slot->bitmap_left;
    const int top = baseline_y - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const int y = top + static_cast<int>(row);
      if (y < 0 || y >= mask.height) continue;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col);
        if (x < 0 || x >= mask.width) continue;
        float& v = mask.value[static_cast<size_t>(y) * mask.width + x];
        v = std::min(1.0f, v + bitmap.buffer[row * bitmap.pitch + col] / 255.0f);
      }
    }
    pen += slot->advance.x + letter_spacing * 64;
  }
}
