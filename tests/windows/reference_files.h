// Reading the reference files in the Windows tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string reference_path(const std::string& file) { return std::string(REFERENCE_DIR) + "/" + file; }

template <typename T>
std::vector<T> read_binary_file(const std::string& path) {
  std::vector<T> values;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return values;
  T chunk[8192];
  size_t n = 0;
  while ((n = std::fread(chunk, sizeof(T), 8192, f)) > 0) values.insert(values.end(), chunk, chunk + n);
  std::fclose(f);
  return values;
}

template <typename T>
std::vector<T> read_reference_file(const std::string& file) {
  return read_binary_file<T>(reference_path(file));
}
