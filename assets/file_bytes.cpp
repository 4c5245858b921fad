#include "assets/file_bytes.h"

#include <sys/stat.h>

#include <cstdio>

#include "probe/probe_points.h"

namespace {

bool read_whole_file(const char* path, std::vector<uint8_t>* out) {
  out->clear();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  struct stat info;
  bool ok = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    out->resize(static_cast<size_t>(info.st_size));
    ok = out->empty() || std::fread(out->data(), 1, out->size(), file) == out->size();
  }
  std::fclose(file);
  if (!ok) out->clear();
  return ok;
}

}  // namespace

bool read_file_bytes(const char* path, std::vector<uint8_t>* out) {
  probe::at(probe::Point::file_read_begin);
  const bool ok = read_whole_file(path, out);
  probe::at(probe::Point::file_read_end);
  return ok;
}
