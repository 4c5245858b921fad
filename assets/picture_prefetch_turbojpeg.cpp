#include "assets/picture_prefetch.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "assets/file_bytes.h"

namespace {

// The worker's decoding overlaps the opening of the window, which on a
// two-core machine also keeps the X server busy; at normal priority the
// worker took CPU from both and the window opened 2-3 ms later. At nice 10 it
// gives way while both cores are busy and still runs at full speed on a free
// core (opening the window waits on the X server much of the time).
constexpr int worker_nice = 10;

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
    stopping = false;
    outstanding = 0;
    returned_count = 0;
    picture_count = 0;
    for (int i = 0; i < count && picture_count < max_prefetched_pictures; ++i) {
      Prefetched& p = pictures[picture_count];
      p = Prefetched();
      // Composed now, so a later change of directory cannot mix the files
      // up; paths that do not compose are left to the caller.
      if (!compose_picture_path(paths[i], p.full_path)) continue;
      ++picture_count;
    }
    worker = std::thread([this] {
      // This thread only: on Linux the nice value belongs to a thread.
      setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), worker_nice);
      run();
    });
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
    // Whatever the answer, the entry's memory is the worker's to free now.
    changed.notify_all();
    // The prefetch decoded without a cap; a texture that fits
    // max_texture_size is also the one a capped decode gives.
    if (!p->decoded || p->image.width > max_texture_size || p->image.height > max_texture_size) return false;
    std::vector<uint8_t> bytes;
    if (!read_file_bytes(full_path, &bytes) || bytes != p->bytes) return false;
    *out = std::move(p->image);
    ++outstanding;
    return true;
  }

  void give_back(PictureImage* image) {
    std::unique_lock<std::mutex> lock(mutex);
    if (outstanding == 0 || returned_count == max_prefetched_pictures || !worker.joinable()) {
      lock.unlock();
      *image = PictureImage();
      return;
    }
    --outstanding;
    returned[returned_count++] = std::move(*image);
    *image = PictureImage();
    changed.notify_all();
  }

 private:
  void run() {
    decode_all();
    free_what_comes_back();
  }

  void decode_all() {
    for (int i = 0;; ++i) {
      Prefetched* p = nullptr;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (i >= picture_count || stopping) return;
        p = &pictures[i];
      }
      // Only this thread touches an entry until it is marked done.
      std::vector<uint8_t> bytes;
      PictureImage image;
      const bool decoded = !picture_path_is_url(p->full_path) && read_file_bytes(p->full_path, &bytes) &&
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

  // Freeing a decoded picture gives its pages back to the kernel, which
  // takes a while for a large one; done here, it stays off the thread that
  // opens the window and uploads. The worker ends when every picture has been
  // taken and every one handed over has come back, or when it is stopped.
  void free_what_comes_back() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      bool all_taken = true;
      for (int i = 0; i < picture_count; ++i) {
        Prefetched& p = pictures[i];
        all_taken = all_taken && p.taken;
        if (p.taken && (!p.bytes.empty() || !p.image.rgba.empty())) free_outside_lock(lock, &p.bytes, &p.image);
      }
      while (returned_count > 0) free_outside_lock(lock, nullptr, &returned[--returned_count]);
      if (stopping || (all_taken && outstanding == 0)) return;
      changed.wait(lock);
    }
  }

  static void free_outside_lock(std::unique_lock<std::mutex>& lock, std::vector<uint8_t>* bytes, PictureImage* image) {
    std::vector<uint8_t> dead_bytes;
    if (bytes != nullptr) dead_bytes.swap(*bytes);
    PictureImage dead_image = std::move(*image);
    *image = PictureImage();
    lock.unlock();
    dead_bytes = std::vector<uint8_t>();
    dead_image = PictureImage();
    lock.lock();
  }

  void join() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    changed.notify_all();
    if (worker.joinable()) worker.join();
  }

  std::mutex mutex;
  std::condition_variable changed;
  Prefetched pictures[max_prefetched_pictures];
  int picture_count = 0;
  // Pictures handed over and not yet given back, and those given back for
  // the worker to free.
  int outstanding = 0;
  PictureImage returned[max_prefetched_pictures];
  int returned_count = 0;
  bool stopping = false;
  std::thread worker;
};

PicturePrefetch prefetch;

}  // namespace

void prefetch_pictures(const char* const* paths, int count) { prefetch.start(paths, count); }

bool take_prefetched_picture(const char* path, int max_texture_size, PictureImage* out) {
  return prefetch.take(path, max_texture_size, out);
}

void give_back_prefetched_picture(PictureImage* image) { prefetch.give_back(image); }
