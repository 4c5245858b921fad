// Incremental MP3 decoding on libmpg123. The decoder reads through its own
// reader callbacks, over a byte range of a file (read as it goes, never
// whole) or over a block in memory.
#include "audio/mp3_decoder.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/mpg123_format.h"

struct Mp3Decoder {
  mpg123_handle* handle = nullptr;
  int fd = -1;                            // the file, when reading one
  const unsigned char* memory = nullptr;  // the block, when reading memory
  uint64_t base = 0;                      // where the range starts in the file
  uint64_t size = 0;                      // bytes in the range
  uint64_t offset = 0;                    // read position within the range
  long rate = 0;
  int channels = 0;
  bool broken = false;  // a read failed; reads return -1 until a rewind
};

namespace {

mpg123_ssize_t reader_read(void* handle, void* buffer, size_t count) {
  Mp3Decoder* d = static_cast<Mp3Decoder*>(handle);
  const uint64_t left = d->size - d->offset;
  if (count > left) count = static_cast<size_t>(left);
  if (count == 0) return 0;
  if (d->memory) {
    std::memcpy(buffer, d->memory + d->offset, count);
  } else {
    ssize_t got;
    do {
      got = pread(d->fd, buffer, count, static_cast<off_t>(d->base + d->offset));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return -1;
    count = static_cast<size_t>(got);
  }
  d->offset += count;
  return static_cast<mpg123_ssize_t>(count);
}

off_t reader_seek(void* handle, off_t offset, int whence) {
  Mp3Decoder* d = static_cast<Mp3Decoder*>(handle);
  long long origin = 0;
  if (whence == SEEK_CUR)
    origin = static_cast<long long>(d->offset);
  else if (whence == SEEK_END)
    origin = static_cast<long long>(d->size);
  else if (whence != SEEK_SET)
    return -1;
  const long long target = origin + static_cast<long long>(offset);
  if (target < 0 || target > static_cast<long long>(d->size)) return -1;
  d->offset = static_cast<uint64_t>(target);
  return static_cast<off_t>(target);
}

// Sets up libmpg123 for signed 16-bit output at the file's own rate and
// channel count, gapless, printing nothing, and reads the first frame to
// learn the format.
bool start_decoding(Mp3Decoder* d, Mp3Format* format) {
  d->handle = mpg123_new(nullptr, nullptr);
  if (!d->handle) return false;
  mpg123_handle* mh = d->handle;
  bool ok = ask_for_16_bit_output(mh) &&
            mpg123_replace_reader_handle(mh, reader_read, reader_seek, nullptr) == MPG123_OK &&
            mpg123_open_handle(mh, d) == MPG123_OK;
  int encoding = 0;
  ok = ok && mpg123_getformat(mh, &d->rate, &d->channels, &encoding) == MPG123_OK;
  if (!ok || encoding != MPG123_ENC_SIGNED_16 || (d->channels != 1 && d->channels != 2) || d->rate <= 0) return false;
  // From here on the format is fixed: a stream that changes rate or
  // channels part-way is not one track.
  mpg123_format_none(mh);
  mpg123_format(mh, d->rate, d->channels, MPG123_ENC_SIGNED_16);

  format->rate = static_cast<int>(d->rate);
  format->channels = d->channels;
  // With the encoder's tag the delay is known and the length exact; without
  // it the length is only an estimate from the file size.
  long tag_delay = -1;
  mpg123_getstate(mh, MPG123_ENC_DELAY, &tag_delay, nullptr);
  const off_t length = mpg123_length(mh);
  format->frames = tag_delay >= 0 && length > 0 ? static_cast<int64_t>(length) : -1;
  return true;
}

Mp3Decoder* finish_open(Mp3Decoder* d, Mp3Format* format) {
  Mp3Format f;
  if (start_decoding(d, &f)) {
    if (format) *format = f;
    return d;
  }
  mp3_decoder_close(d);
  if (format) *format = Mp3Format{};
  return nullptr;
}

}  // namespace

Mp3Decoder* mp3_decoder_open_file(const char* path, uint64_t offset, uint64_t length, Mp3Format* format) {
  if (format) *format = Mp3Format{};
  if (!path) return nullptr;
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) <= offset) {
    close(fd);
    return nullptr;
  }
  const uint64_t available = static_cast<uint64_t>(st.st_size) - offset;
  const uint64_t size = length == 0 || length > available ? available : length;
  if (size > mp3_max_input_bytes) {
    close(fd);
    return nullptr;
  }
  Mp3Decoder* d = new Mp3Decoder;
  d->fd = fd;
  d->base = offset;
  d->size = size;
  return finish_open(d, format);
}

Mp3Decoder* mp3_decoder_open_memory(const void* data, size_t size, Mp3Format* format) {
  if (format) *format = Mp3Format{};
  if (!data || size == 0 || size > mp3_max_input_bytes) return nullptr;
  Mp3Decoder* d = new Mp3Decoder;
  d->memory = static_cast<const unsigned char*>(data);
  d->size = size;
  return finish_open(d, format);
}

long mp3_decoder_read(Mp3Decoder* d, int16_t* out, long max_frames) {
  if (!d || d->broken) return -1;
  if (max_frames <= 0) return 0;
  const size_t frame_bytes = static_cast<size_t>(d->channels) * sizeof(int16_t);
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(d->handle, out, static_cast<size_t>(max_frames) * frame_bytes, &done);
    const long frames = static_cast<long>(done / frame_bytes);
    if (result == MPG123_OK || result == MPG123_DONE) {
      if (frames > 0 || result == MPG123_DONE) return frames;
      continue;
    }
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      if (mpg123_getformat(d->handle, &rate, &channels, &encoding) != MPG123_OK || rate != d->rate ||
          channels != d->channels) {
        d->broken = true;
        return frames > 0 ? frames : -1;
      }
      if (frames > 0) return frames;
      continue;
    }
    // Anything else: what came before stays valid, the rest is lost.
    d->broken = true;
    return frames > 0 ? frames : -1;
  }
}

bool mp3_decoder_rewind(Mp3Decoder* d) {
  if (!d) return false;
  // A new decoder on the same input rather than a seek: libmpg123's seek to
  // 0 primes the bit reservoir differently for some files (22.05 kHz ones
  // here), and reopening a used handle can hang on a nonsense tag; a loop
  // must repeat the first pass sample for sample, as the first open gave it.
  const long rate = d->rate;
  const int channels = d->channels;
  if (d->handle) {
    mpg123_close(d->handle);
    mpg123_delete(d->handle);
    d->handle = nullptr;
  }
  d->offset = 0;
  Mp3Format format;
  d->broken = !start_decoding(d, &format) || d->rate != rate || d->channels != channels;
  return !d->broken;
}

void mp3_decoder_close(Mp3Decoder* d) {
  if (!d) return;
  if (d->handle) {
    mpg123_close(d->handle);
    mpg123_delete(d->handle);
  }
  if (d->fd >= 0) close(d->fd);
  delete d;
}
