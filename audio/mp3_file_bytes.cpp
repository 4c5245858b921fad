#include "audio/mp3_file_bytes.h"

#include <cstdio>

#include "audio/mp3_decoder.h"

namespace {

// 64-bit file positions: long is 32 bits on Windows and in WebAssembly.
bool seek_to(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(file, offset, origin) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t position_of(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

}  // namespace

bool read_mp3_file_bytes(const char* path, uint64_t offset, uint64_t length, std::vector<uint8_t>* out) {
  out->clear();
  if (path == nullptr) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  bool ok = seek_to(file, 0, SEEK_END);
  const int64_t size = ok ? position_of(file) : -1;
  ok = ok && size >= 0 && offset < static_cast<uint64_t>(size);
  if (ok) {
    const uint64_t available = static_cast<uint64_t>(size) - offset;
    const uint64_t wanted = length == 0 || length > available ? available : length;
    ok = wanted <= mp3_max_input_bytes;
    if (ok) out->resize(static_cast<size_t>(wanted));
    ok = ok && seek_to(file, static_cast<int64_t>(offset), SEEK_SET) &&
         std::fread(out->data(), 1, out->size(), file) == out->size();
  }
  std::fclose(file);
  if (!ok) {
    out->clear();
    out->shrink_to_fit();
  }
  return ok;
}
