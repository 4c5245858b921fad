// The picture texture loader on Windows: the OLE picture service decodes the
// picture and GDI stretches it into a 32-bit bottom-up bitmap of the texture
// size, which the shared pixel pass turns into the bytes GL takes.
#include <windows.h>
// windows.h first: the OLE and GL headers rely on its types.
#include <GL/gl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>

#include "assets/picture_rules.h"
#include "assets/picture_texture.h"
#include "assets/picture_upload.h"

namespace {

constexpr int himetric_per_inch = 2540;

// The working directory, a backslash, then path, in a MAX_PATH buffer. False
// when the result and its terminator do not fit.
bool compose_full_path(const char* path, char (&full)[MAX_PATH]) {
  const DWORD directory = GetCurrentDirectoryA(MAX_PATH, full);
  if (directory == 0 || directory >= MAX_PATH) return false;
  const size_t length = std::strlen(path);
  if (directory + 1 + length + 1 > MAX_PATH) return false;
  full[directory] = '\\';
  std::memcpy(full + directory + 1, path, length + 1);
  return true;
}

// Whether the file starts as a JPEG does. The picture service would also
// decode bitmaps, GIFs, icons and metafiles, which the demo does not take
// (the Linux build's decoder reads JPEG alone), so it is handed JPEGs only.
bool starts_as_jpeg(const WCHAR* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint8_t head[jpeg_signature_size] = {};
  DWORD read = 0;
  const bool ok = ReadFile(file, head, sizeof(head), &read, nullptr) != 0;
  CloseHandle(file);
  return ok && has_jpeg_signature(head, read);
}

// Decodes the picture with the OLE picture service, in a COM apartment for
// the length of the call.
class OlePicture {
 public:
  explicit OlePicture(const WCHAR* path) : com_ready(SUCCEEDED(CoInitialize(nullptr))) {
    void* loaded = nullptr;
    if (SUCCEEDED(OleLoadPicturePath(const_cast<LPOLESTR>(path), nullptr, 0, 0, IID_IPicture, &loaded))) {
      picture = static_cast<IPicture*>(loaded);
    }
  }
  ~OlePicture() {
    if (picture != nullptr) picture->Release();
    if (com_ready) CoUninitialize();
  }
  OlePicture(const OlePicture&) = delete;
  OlePicture& operator=(const OlePicture&) = delete;

  IPicture* get() const { return picture; }

 private:
  bool com_ready;
  IPicture* picture = nullptr;
};

// A memory device context compatible with the screen.
class MemoryDc {
 public:
  MemoryDc() {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    if (screen != nullptr) ReleaseDC(nullptr, screen);
  }
  ~MemoryDc() { release(); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC get() const { return dc; }
  void release() {
    if (dc != nullptr) DeleteDC(dc);
    dc = nullptr;
  }

 private:
  HDC dc = nullptr;
};

}  // namespace

int load_picture_texture(const char* path, uint32_t* texture_out) {
  if (path == nullptr || texture_out == nullptr) return 0;
  // Pictures are read from this machine only: a URL is never fetched.
  if (picture_path_is_url(path)) return 0;
  char full[MAX_PATH];
  if (!compose_full_path(path, full)) return 0;
  WCHAR wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, full, -1, wide, MAX_PATH) == 0) return 0;
  if (!starts_as_jpeg(wide)) return 0;

  // Released in reverse order of creation: the drawing context, then the
  // bitmap (below), then the picture.
  OlePicture picture(wide);
  if (picture.get() == nullptr) return 0;
  MemoryDc memory;
  if (memory.get() == nullptr) return 0;

  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);

  OLE_XSIZE_HIMETRIC himetric_width = 0;
  OLE_YSIZE_HIMETRIC himetric_height = 0;
  picture.get()->get_Width(&himetric_width);
  picture.get()->get_Height(&himetric_height);
  const int pixel_width = MulDiv(himetric_width, GetDeviceCaps(memory.get(), LOGPIXELSX), himetric_per_inch);
  const int pixel_height = MulDiv(himetric_height, GetDeviceCaps(memory.get(), LOGPIXELSY), himetric_per_inch);
  // The same bound as the Linux build's decoder, so that both refuse the same
  // pictures. It saves no memory here: the picture service has decoded the
  // whole picture already, and the bitmap below has the texture's size, which
  // GL_MAX_TEXTURE_SIZE bounds.
  if (pixel_width < 1 || pixel_height < 1 || pixel_width > max_picture_side || pixel_height > max_picture_side) {
    return 0;
  }
  const int width = picture_texture_size(pixel_width, max_size);
  const int height = picture_texture_size(pixel_height, max_size);

  // Positive height: rows bottom-up, the first row in memory is the bottom
  // row of the picture.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return 0;
  }
  SelectObject(memory.get(), bitmap);

  // The whole picture into the whole bitmap; the source starts at the
  // picture's top edge and runs down, which draws it upright.
  picture.get()->Render(memory.get(), 0, 0, width, height, 0, himetric_height, himetric_width, -himetric_height,
                        nullptr);
  GdiFlush();

  uint8_t* pixels = static_cast<uint8_t*>(bits);
  picture_pixel_pass(PicturePixels::bgrx, pixels, pixels, static_cast<size_t>(width) * height);

  upload_picture_texture(width, height, pixels, texture_out);

  // The context first, which lets go of the bitmap, then the bitmap; the
  // picture goes last, when `picture` leaves scope.
  memory.release();
  DeleteObject(bitmap);
  return 1;
}
