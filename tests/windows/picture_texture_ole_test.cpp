// The OLE picture loader on real wine GL (a hidden window with a WGL context
// on Xvfb): texture sizes at the size rule's boundaries, orientation, the
// working-directory path rule and its limit, failures that leave no texture
// behind, and the refusal of every format but JPEG. The JPEGs are made on the
// build machine (picture_set.h), so every size and colour is known; the
// demo's own pictures are loaded too.
#include <windows.h>
// windows.h first: the GL header relies on its types.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/picture_rules.h"
#include "assets/picture_texture.h"
#include "tests/support/non_jpeg_pictures.h"
#include "tests/windows/picture_set.h"

namespace {

constexpr uint32_t untouched = 0xDEADBEEF;

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// One of the pictures picture_maker wrote; empty when it is missing.
std::vector<uint8_t> made_picture(const std::string& name) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen((std::string(PICTURE_DIR) + "\\" + name).c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(f);
  return bytes;
}

// Copies a made picture to path (relative to the scratch folder).
bool place(const std::string& name, const std::string& path) {
  const std::vector<uint8_t> bytes = made_picture(name);
  return !bytes.empty() && write_bytes(path, bytes);
}

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
    const std::string name = "pics/" + picture_name("grey", {c.width, c.height});
    ASSERT_TRUE(place(picture_name("grey", {c.width, c.height}), name));
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
  ASSERT_TRUE(place(quadrant_picture, "pics/quadrants.jpg"));
  uint32_t texture = untouched;
  ASSERT_EQ(load_picture_texture("pics/quadrants.jpg", &texture), 1);
  Texture t = read_bound_texture();
  constexpr int last = quadrant_picture_side - 1;
  ASSERT_EQ(t.width, quadrant_picture_side);
  ASSERT_EQ(t.height, quadrant_picture_side);
  struct Probe {
    int s, t;
    uint8_t r, g, b;
  };
  // Bottom-left red, bottom-right green, top-left blue, top-right white;
  // flat JPEG blocks come back within a few steps.
  const Probe probes[] = {{0, 0, 255, 0, 0}, {last, 0, 0, 255, 0}, {0, last, 0, 0, 255}, {last, last, 255, 255, 255}};
  constexpr int tolerance = 8;
  for (const Probe& p : probes) {
    const uint8_t* texel = t.at(p.s, p.t);
    EXPECT_NEAR(texel[0], p.r, tolerance) << "s " << p.s << " t " << p.t;
    EXPECT_NEAR(texel[1], p.g, tolerance) << "s " << p.s << " t " << p.t;
    EXPECT_NEAR(texel[2], p.b, tolerance) << "s " << p.s << " t " << p.t;
    EXPECT_EQ(texel[3], 255) << "no alpha of its own: sampled alpha is 1";
  }
  glDeleteTextures(1, &texture);
}

TEST(OlePictureLoader, StretchedPicturesCoverEveryTexel) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  // Shrunk, grown and kept: a white picture must give a white texture, with
  // no edge row or column left undrawn.
  for (const PictureSize& c : white_pictures) {
    const std::string name = "pics/" + picture_name("white", c);
    ASSERT_TRUE(place(picture_name("white", c), name));
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
  const std::vector<uint8_t> small = made_picture(picture_name("grey", {2, 2}));
  ASSERT_FALSE(small.empty());
  char directory[MAX_PATH];
  const size_t used = GetCurrentDirectoryA(MAX_PATH, directory);
  // The composed path with its terminator: 260 fits, 261 does not.
  for (size_t total : {size_t{259}, size_t{260}, size_t{261}}) {
    const size_t name_length = total - used - 1 - 1 - std::strlen("pics/") - std::strlen(".jpg");
    const std::string name = "pics/" + std::string(name_length, 'n') + ".jpg";
    ASSERT_EQ(used + 1 + name.size() + 1, total);
    // Written through the short form of the folder, so the file exists even
    // where its full name is longer than the loader accepts.
    ASSERT_TRUE(write_bytes("\\\\?\\" + std::string(directory) + "\\" + name, small) || write_bytes(name, small));
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
  ASSERT_TRUE(place(picture_name("grey", {max_picture_side + 1, 1}), "pics/too_wide.jpg"));
  ASSERT_TRUE(place(picture_name("grey", {max_picture_side, 1}), "pics/widest.jpg"));
  std::FILE* f = std::fopen("pics/not_a_picture.jpg", "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("this is text, not a picture\n", f);
  std::fclose(f);

  const char* failing[] = {
      "pics/missing.jpg",
      "pics/not_a_picture.jpg",
      "pics/too_wide.jpg",
      "http://localhost/pics/quadrants.jpg",  // never fetched
      "pics/http://quadrants.jpg",            // the marker anywhere refuses
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
  EXPECT_EQ(load_picture_texture("pics/widest.jpg", &texture), 1);
  if (texture != untouched) glDeleteTextures(1, &texture);
}

// An enhanced metafile with one filled rectangle, drawn by GDI.
std::vector<uint8_t> make_emf() {
  const RECT frame = {0, 0, 1000, 1000};  // hundredths of a millimetre
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  if (dc == nullptr) return {};
  Rectangle(dc, 0, 0, 30, 30);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(metafile);
  return bytes;
}

// A Windows metafile with one filled rectangle, drawn by GDI, behind the
// placeable header that picture files of this kind carry.
std::vector<uint8_t> make_placeable_wmf() {
  HDC dc = CreateMetaFileA(nullptr);
  if (dc == nullptr) return {};
  Rectangle(dc, 0, 0, 30, 30);
  HMETAFILE metafile = CloseMetaFile(dc);
  std::vector<uint8_t> records(GetMetaFileBitsEx(metafile, 0, nullptr));
  GetMetaFileBitsEx(metafile, static_cast<UINT>(records.size()), records.data());
  DeleteMetaFile(metafile);
  // Key, handle, bounding box (0, 0, 30, 30), units per inch, reserved, then
  // the XOR of the ten 16-bit words before it.
  const uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 30, 30, 96, 0, 0};
  std::vector<uint8_t> file;
  uint16_t checksum = 0;
  for (uint16_t word : words) {
    checksum ^= word;
    file.push_back(static_cast<uint8_t>(word));
    file.push_back(static_cast<uint8_t>(word >> 8));
  }
  file.push_back(static_cast<uint8_t>(checksum));
  file.push_back(static_cast<uint8_t>(checksum >> 8));
  file.insert(file.end(), records.begin(), records.end());
  return file;
}

TEST(OlePictureLoader, OnlyJpegsAreTakenWhateverTheFilesAreCalled) {
  ASSERT_TRUE(environment->ready) << "no window, GL context or scratch folder";
  // Formats the picture service decodes, each under a JPEG's name.
  std::vector<non_jpeg::Named> others = non_jpeg::all_as_jpg();
  others.push_back({"metafile.jpg", make_placeable_wmf()});
  others.push_back({"enhanced_metafile.jpg", make_emf()});
  for (const non_jpeg::Named& other : others) {
    ASSERT_FALSE(other.bytes.empty()) << other.name;
    const std::string path = "pics/" + other.name;
    ASSERT_TRUE(write_bytes(path, other.bytes)) << path;
    uint32_t texture = untouched;
    const GLuint before = next_texture_name();
    EXPECT_EQ(load_picture_texture(path.c_str(), &texture), 0) << path;
    EXPECT_EQ(texture, untouched) << path;
    EXPECT_EQ(next_texture_name(), before + 1) << path << ": a texture name was generated";
  }
  // The contents decide, not the name.
  ASSERT_TRUE(place(picture_name("grey", {2, 2}), "pics/jpeg.bmp"));
  uint32_t texture = untouched;
  EXPECT_EQ(load_picture_texture("pics/jpeg.bmp", &texture), 1);
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
