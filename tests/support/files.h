// Files for tests and benchmarks: whole files written and read, temporary
// folders that go away with their owner, unique temporary paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to path, replacing what was there; true when all of them
// were written.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// The whole file at path, through the demo's own reader
// (assets/file_bytes.h); empty when it cannot be read.
std::vector<uint8_t> read_file(const std::string& path);

// A new empty folder under the temporary directory ($TMPDIR, else /tmp),
// removed with everything in it when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& stem);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& path() const { return path_; }
  // Makes the folder the working directory; false when it was not made or
  // cannot be entered.
  bool enter() const;
  // The path of `name` inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A path under the temporary directory that no other call in any process
// returns; nothing is created there.
std::string temp_path(const std::string& stem);
