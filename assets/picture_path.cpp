// Where a picture is looked for, and a picture file read and decoded by the
// build's decoder (decode_picture): shared by every build whose loader goes
// through picture_decode.h.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/file_bytes.h"
#include "assets/picture_decode.h"

bool compose_picture_path(const char* path, char (&full)[picture_path_capacity]) {
  if (picture_path_is_url(path)) {
    const size_t length = std::strlen(path);
    if (length >= picture_path_capacity) return false;
    std::memcpy(full, path, length + 1);
    return true;
  }
  char directory[picture_path_capacity];
  if (getcwd(directory, sizeof directory) == nullptr) return false;
  // The file system's root is "/": no second slash after it.
  const char* separator = std::strcmp(directory, "/") == 0 ? "" : "/";
  const int written = std::snprintf(full, picture_path_capacity, "%s%s%s", directory, separator, path);
  return written >= 0 && static_cast<size_t>(written) < picture_path_capacity;
}

bool load_picture_image(const char* path, int max_texture_size, PictureImage* out) {
  char full[picture_path_capacity];
  if (!compose_picture_path(path, full)) return false;
  // A URL keeps its form through the path rule but is never fetched.
  if (picture_path_is_url(path)) return false;
  std::vector<uint8_t> bytes;
  if (!read_file_bytes(full, &bytes)) return false;
  return decode_picture(bytes.data(), bytes.size(), max_texture_size, out);
}
