#include "assets/picture_prefetch.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "assets/file_bytes.h"

namespace {

struct Prefetched {
  char full_path[picture_path_capacity] = {};
  std::vector<uint8_t> bytes;
  PictureImage image;
  bool decoded = false;
  bool done = false;
  bool taken = false;
};

class PicturePrefetch {
 public:
  ~PicturePrefetch() { join(); }

  void start(const char* const* paths, int count) {
    join();
    std::lock_guard<std::mutex> lock(mutex);
    picture_count = 0;
    for (int i = 0; i < count && picture_count < max_prefetched_pictures; ++i) {
      Prefetched& p = pictures[picture_count];
      p = Prefetched();
      // Composed now, so a later change of directory cannot mix the files
      // up; paths that do not compose are left to the caller.
      if (!compose_picture_path(paths[i], p.full_path)) continue;
      ++picture_count;
    }
    worker = std::thread([this] { run(); });
  }

  bool take(const char* path, int max_texture_size, PictureImage* out) {
    char full_path[picture_path_capacity];
    if (!compose_picture_path(path, full_path)) return false;
    std::unique_lock<std::mutex> lock(mutex);
    Prefetched* p = nullptr;
    for (int i = 0; i < picture_count && p == nullptr; ++i) {
      if (!pictures[i].taken && std::strcmp(pictures[i].full_path, full_path) == 0) p = &pictures[i];
    }
    if (p == nullptr) return false;
    changed.wait(lock, [p] { return p->done; });
    p->taken = true;
    // The prefetch decoded without a cap; a texture that fits
    // max_texture_size is also the one a capped decode gives.
    if (!p->decoded || p->image.width > max_texture_size || p->image.height > max_texture_size) return false;
    std::vector<uint8_t> bytes;
    if (!read_file_bytes(full_path, &bytes) || bytes != p->bytes) return false;
    *out = std::move(p->image);
    p->bytes = std::vector<uint8_t>();
    return true;
  }

 private:
  void run() {
    for (int i = 0;; ++i) {
      Prefetched* p = nullptr;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (i >= picture_count) return;
        p = &pictures[i];
      }
      // Only this thread touches an entry until it is marked done.
      std::vector<uint8_t> bytes;
      PictureImage image;
      const bool decoded = std::strstr(p->full_path, "http://") == nullptr && read_file_bytes(p->full_path, &bytes) &&
                           decode_picture(bytes.data(), bytes.size(), max_picture_side, &image);
      {
        std::lock_guard<std::mutex> lock(mutex);
        p->bytes = std::move(bytes);
        p->image = std::move(image);
        p->decoded = decoded;
        p->done = true;
      }
      changed.notify_all();
    }
  }

  void join() {
    if (worker.joinable()) worker.join();
  }

  std::mutex mutex;
  std::condition_variable changed;
  Prefetched pictures[max_prefetched_pictures];
  int picture_count = 0;
  std::thread worker;
};

PicturePrefetch prefetch;

}  // namespace

void prefetch_pictures(const char* const* paths, int count) { prefetch.start(paths, count); }

bool take_prefetched_picture(const char* path, int max_texture_size, PictureImage* out) {
  return prefetch.take(path, max_texture_size, out);
}
