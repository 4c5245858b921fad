#include "tests/support/files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "assets/file_bytes.h"

namespace {

std::string temp_root() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

}  // namespace

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::vector<uint8_t> bytes;
  read_file_bytes(path.c_str(), &bytes);
  return bytes;
}

TempFolder::TempFolder(const std::string& stem) {
  std::string pattern = temp_root() + "/zarnic-" + stem + "-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool TempFolder::enter() const { return !path_.empty() && chdir(path_.c_str()) == 0; }

std::string temp_path(const std::string& stem) {
  static int counter = 0;
  return temp_root() + "/zarnic-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" + stem;
}
