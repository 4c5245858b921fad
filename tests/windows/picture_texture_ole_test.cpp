// The OLE picture loader on real wine GL (a hidden window with a WGL context
// on Xvfb): texture sizes at the size rule's boundaries, orientation, the
// working-directory path rule and its limit, and failures that leave no
// texture behind. Pictures are BMP files written here, so every pixel and
// size is known; the demo's own JPEGs are loaded too.
#include <windows.h>
// windows.h first: the GL header relies on its types.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "assets/picture_rules.h"
#include "assets/picture_texture.h"

namespace {

constexpr uint32_t untouched = 0xDEADBEEF;

struct Rgb {
  uint8_t r, g, b;
};

// Writes a 24-bit BMP; pixel(x, y) gives the colour with y counted from the
// top row.
bool write_bmp(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& pixel) {
  const int row = (width * 3 + 3) & ~3;
  const uint32_t image = static_cast<uint32_t>(row) * height;
  std::vector<uint8_t> file(54 + image, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));  // positive: bottom row first
  file[26] = 1;
  file[28] = 24;
  put32(34, image);
  for (int y = 0; y < height; ++y) {
    uint8_t* out = file.data() + 54 + static_cast<size_t>(height - 1 - y) * row;
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      out[3 * x] = c.b, out[3 * x + 1] = c.g, out[3 * x + 2] = c.r;
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

Rgb grey(int, int) { return {128, 128, 128}; }

// A hidden window with a current WGL context, and a scratch folder as the
// working directory, for the whole program.
class WglEnvironment : public ::testing::Environment {
 public:
  // Records failures in `ready` instead of asserting: a failed environment
  // makes GoogleTest skip every test, which would read as a pass.
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "picture_test";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "picture_test", "picture test", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, wc.hInstance,
                             nullptr);
    if (window == nullptr) return;
    dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd)) return;
    context = wglCreateContext(dc);
    if (context == nullptr || !wglMakeCurrent(dc, context)) return;

    char base[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, base);
    folder = std::string(base) + "\\picture_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\pics").c_str(), nullptr);
    ready = SetCurrentDirectoryA(folder.c_str()) != 0;
  }
  void TearDown() override {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
  }

  std::string folder;
  bool ready = false;

 private:
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
};

WglEnvironment* environment = static_cast<WglEnvironment*>(::testing::AddGlobalTestEnvironment(new WglEnvironment));

// The name glGenTextures hands out next. Mesa hands names out in order and
// does not reuse deleted ones, so two probes in a row give consecutive
// names, and a gap means something generated a name between them.
GLuint next_texture_name() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glDeleteTextures(1, &name);
  return name;
}

struct Texture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  uint8_t* at(int s, int t) { return &rgba[(static_cast<size_t>(t) * width + s) * 4]; }
};

Texture read_bound_texture() {
  Texture t;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
  t.rgba.resize(static_cast<size_t>(t.width) * t.height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
  return t;
}

TEST(OlePictureLoader, TextureSizesFollowTheSizeRuleAtItsBoundaries) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  struct Case {
    int width, height;
    int texture_width, texture_height;
  };
  const Case cases[] = {
      {1, 1, 1, 1},         {2, 3, 2, 4},          {5, 6, 4, 8},         {11, 12, 8, 16},
      {22, 23, 16, 32},     {181, 182, 128, 256},  {362, 363, 256, 512}, {724, 725, 512, 1024},
      {640, 480, 512, 512}, {800, 600, 1024, 512}, {300, 200, 256, 256},
  };
  for (const Case& c : cases) {
    const std::string name = "pics/size_" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".bmp";
    ASSERT_TRUE(write_bmp(name, c.width, c.height, grey));
    uint32_t texture = untouched;
    ASSERT_EQ(load_picture_texture(name.c_str(), &texture), 1) << name;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), texture) << name << ": the new texture is left bound";
    const Texture t = read_bound_texture();
    EXPECT_EQ(t.width, c.texture_width) << name;
    EXPECT_EQ(t.height, c.texture_height) << name;
    GLint filter = 0, internal = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR) << name;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR) << name;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_TRUE(internal == 3 || internal == GL_RGB) << name << ": three components, got " << internal;
    glDeleteTextures(1, &texture);
  }
}

TEST(OlePictureLoader, BottomLeftOfThePictureIsTexelZeroZero) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  // Quadrants: bottom-left red, bottom-right blue, top-left green, top-right white.
  const auto quadrants = [](int x, int y) -> Rgb {
    const bool left = x < 4, bottom = y >= 4;
    if (bottom) return left ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    return left ? Rgb{0, 255, 0} : Rgb{255, 255, 255};
  };
  ASSERT_TRUE(write_bmp("pics/quadrants.bmp", 8, 8, quadrants));
  uint32_t texture = untouched;
  ASSERT_EQ(load_picture_texture("pics/quadrants.bmp", &texture), 1);
  Texture t = read_bound_texture();
  ASSERT_EQ(t.width, 8);
  ASSERT_EQ(t.height, 8);
  struct Probe {
    int s, t;
    uint8_t r, g, b;
  };
  const Probe probes[] = {{0, 0, 255, 0, 0}, {7, 0, 0, 0, 255}, {0, 7, 0, 255, 0}, {7, 7, 255, 255, 255}};
  for (const Probe& p : probes) {
    const uint8_t* texel = t.at(p.s, p.t);
    EXPECT_EQ(texel[0], p.r) << "s " << p.s << " t " << p.t;
    EXPECT_EQ(texel[1], p.g) << "s " << p.s << " t " << p.t;
    EXPECT_EQ(texel[2], p.b) << "s " << p.s << " t " << p.t;
    EXPECT_EQ(texel[3], 255) << "no alpha of its own: sampled alpha is 1";
  }
  glDeleteTextures(1, &texture);
}

TEST(OlePictureLoader, StretchedPicturesCoverEveryTexel) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  // Shrunk, grown and kept: a white picture must give a white texture, with
  // no edge row or column left undrawn.
  struct Case {
    int width, height;
  };
  const Case cases[] = {{640, 506}, {300, 200}, {100, 60}, {64, 64}, {5, 3}};
  for (const Case& c : cases) {
    const std::string name = "pics/white_" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".bmp";
    ASSERT_TRUE(write_bmp(name, c.width, c.height, [](int, int) { return Rgb{255, 255, 255}; }));
    uint32_t texture = untouched;
    ASSERT_EQ(load_picture_texture(name.c_str(), &texture), 1) << name;
    Texture t = read_bound_texture();
    int dark = 0, first_s = -1, first_t = -1;
    for (int y = 0; y < t.height; ++y) {
      for (int x = 0; x < t.width; ++x) {
        if (t.at(x, y)[0] < 250 && dark++ == 0) first_s = x, first_t = y;
      }
    }
    EXPECT_EQ(dark, 0) << name << ": first dark texel at s " << first_s << " t " << first_t << " of " << t.width << "x"
                       << t.height;
    glDeleteTextures(1, &texture);
  }
}

TEST(OlePictureLoader, PathsAreTheWorkingDirectoryABackslashAndThePathUpTo260Characters) {
  char directory[MAX_PATH];
  const size_t used = GetCurrentDirectoryA(MAX_PATH, directory);
  // The composed path with its terminator: 260 fits, 261 does not.
  for (size_t total : {size_t{259}, size_t{260}, size_t{261}}) {
    const size_t name_length = total - used - 1 - 1 - std::strlen("pics/") - std::strlen(".bmp");
    const std::string name = "pics/" + std::string(name_length, 'n') + ".bmp";
    ASSERT_EQ(used + 1 + name.size() + 1, total);
    // Written through the short form of the folder, so the file exists even
    // where its full name is longer than the loader accepts.
    ASSERT_TRUE(write_bmp("\\\\?\\" + std::string(directory) + "\\" + name, 2, 2, grey) || write_bmp(name, 2, 2, grey));
    uint32_t texture = untouched;
    const GLuint before = next_texture_name();
    const int result = load_picture_texture(name.c_str(), &texture);
    EXPECT_EQ(result, total <= MAX_PATH ? 1 : 0) << total << " characters";
    if (result == 1) {
      glDeleteTextures(1, &texture);
    } else {
      EXPECT_EQ(texture, untouched);
      EXPECT_EQ(next_texture_name(), before + 1);
    }
  }
}

TEST(OlePictureLoader, FailuresLeaveTheNameAndCreateNoTexture) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  // Wider than the loader's bound, though small on disk.
  ASSERT_TRUE(write_bmp("pics/too_wide.bmp", max_picture_side + 1, 1, grey));
  ASSERT_TRUE(write_bmp("pics/widest.bmp", max_picture_side, 1, grey));
  std::FILE* f = std::fopen("pics/not_a_picture.bmp", "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("this is text, not a picture\n", f);
  std::fclose(f);

  const char* failing[] = {
      "pics/missing.bmp",
      "pics/not_a_picture.bmp",
      "pics/too_wide.bmp",
      "http://localhost/pics/quadrants.bmp",  // never fetched
      "pics/http://quadrants.bmp",            // the marker anywhere refuses
      "",
  };
  for (const char* path : failing) {
    uint32_t texture = untouched;
    const GLuint before = next_texture_name();
    EXPECT_EQ(load_picture_texture(path, &texture), 0) << path;
    EXPECT_EQ(texture, untouched) << path;
    EXPECT_EQ(next_texture_name(), before + 1) << path << ": a texture name was generated";
  }
  // The bound itself is allowed.
  uint32_t texture = untouched;
  EXPECT_EQ(load_picture_texture("pics/widest.bmp", &texture), 1);
  if (texture != untouched) glDeleteTextures(1, &texture);
}

TEST(OlePictureLoader, LoadsTheDemosJpegs) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  ASSERT_TRUE(SetCurrentDirectoryA(ZARNIC_SOURCE_DIR));
  const char* pictures[] = {"data/texture.jpg", "data/serce.jpg",   "data/ip.jpg",   "data/cover.jpg",
                            "data/c.jpg",       "data/credits.jpg", "data/part.jpg", "data/env.jpg"};
  for (const char* path : pictures) {
    uint32_t texture = untouched;
    ASSERT_EQ(load_picture_texture(path, &texture), 1) << path;
    const Texture t = read_bound_texture();
    EXPECT_GT(t.width, 1) << path;
    EXPECT_EQ(t.width & (t.width - 1), 0) << path;
    EXPECT_EQ(t.height & (t.height - 1), 0) << path;
    // A real picture: not one flat colour.
    bool varies = false;
    for (size_t i = 4; i < t.rgba.size() && !varies; i += 4) varies = std::memcmp(&t.rgba[i], &t.rgba[0], 3) != 0;
    EXPECT_TRUE(varies) << path;
    glDeleteTextures(1, &texture);
  }
  ASSERT_TRUE(SetCurrentDirectoryA(environment->folder.c_str()));
}

}  // namespace
