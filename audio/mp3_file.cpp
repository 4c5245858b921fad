// Whole-file MP3 decoding on libmpg123, always from memory: a file is read
// whole first, then decoded through a reader over that block.
#include "audio/mp3_file.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>

namespace {

// Larger inputs are refused rather than read whole (about 2.5 hours of
// 320 kbit/s audio).
constexpr size_t max_file_bytes = size_t(1) << 28;
constexpr size_t decode_chunk_bytes = 64 * 1024;

struct MemoryReader {
  const unsigned char* data;
  size_t size;
  size_t offset;
};

mpg123_ssize_t memory_read(void* handle, void* buffer, size_t count) {
  MemoryReader* r = static_cast<MemoryReader*>(handle);
  const size_t left = r->size - r->offset;
  if (count > left) count = left;
  std::memcpy(buffer, r->data + r->offset, count);
  r->offset += count;
  return static_cast<mpg123_ssize_t>(count);
}

off_t memory_seek(void* handle, off_t offset, int whence) {
  MemoryReader* r = static_cast<MemoryReader*>(handle);
  long long base = 0;
  if (whence == SEEK_CUR)
    base = static_cast<long long>(r->offset);
  else if (whence == SEEK_END)
    base = static_cast<long long>(r->size);
  else if (whence != SEEK_SET)
    return -1;
  const long long target = base + static_cast<long long>(offset);
  if (target < 0 || target > static_cast<long long>(r->size)) return -1;
  r->offset = static_cast<size_t>(target);
  return static_cast<off_t>(target);
}

void release(DecodedPcm* out) {
  std::vector<int16_t>().swap(out->samples);
  out->rate = 0;
  out->channels = 0;
}

bool fail(DecodedPcm* out) {
  release(out);
  return false;
}

// Sets up a decoder that gives signed 16-bit output at the file's own rate
// and channel count, gapless, printing nothing.
mpg123_handle* open_decoder(MemoryReader* reader) {
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  if (!mh) return nullptr;
  const long* rates = nullptr;
  size_t rate_count = 0;
  mpg123_rates(&rates, &rate_count);
  bool ok = mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) == MPG123_OK &&
            mpg123_format_none(mh) == MPG123_OK;
  for (size_t i = 0; ok && i < rate_count; ++i)
    ok = mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK;
  ok = ok && mpg123_replace_reader_handle(mh, memory_read, memory_seek, nullptr) == MPG123_OK &&
       mpg123_open_handle(mh, reader) == MPG123_OK;
  if (!ok) {
    mpg123_delete(mh);
    return nullptr;
  }
  return mh;
}

bool decode_all(mpg123_handle* mh, DecodedPcm* out) {
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return false;
  if (encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2) || rate <= 0) return false;
  out->rate = static_cast<int>(rate);
  out->channels = channels;

  // With a LAME/Xing tag the length is exact up front, which also tells a
  // truncated file apart from a whole one.
  long tag_delay = -1;
  mpg123_getstate(mh, MPG123_ENC_DELAY, &tag_delay, nullptr);
  const off_t expected_frames = mpg123_length(mh);
  if (expected_frames > 0 && static_cast<size_t>(expected_frames) < max_file_bytes)
    out->samples.reserve(static_cast<size_t>(expected_frames) * channels);

  unsigned char chunk[decode_chunk_bytes];
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(mh, chunk, sizeof chunk, &done);
    const int16_t* pcm = reinterpret_cast<const int16_t*>(chunk);
    out->samples.insert(out->samples.end(), pcm, pcm + done / sizeof(int16_t));
    if (result == MPG123_DONE) break;
    if (result == MPG123_NEW_FORMAT) {
      // A stream that changes rate or channels part-way is not one track.
      if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate != out->rate ||
          channels != out->channels)
        return false;
      continue;
    }
    if (result != MPG123_OK) return false;
  }
  if (out->samples.empty() || out->samples.size() % out->channels != 0) return false;
  if (tag_delay >= 0 && expected_frames > 0 && out->frames() != static_cast<size_t>(expected_frames)) return false;
  out->samples.shrink_to_fit();
  return true;
}

}  // namespace

bool decode_mp3_memory(const void* data, size_t size, DecodedPcm* out) {
  release(out);
  if (!data || size == 0 || size > max_file_bytes) return false;
  MemoryReader reader{static_cast<const unsigned char*>(data), size, 0};
  mpg123_handle* mh = open_decoder(&reader);
  if (!mh) return false;
  const bool ok = decode_all(mh, out);
  mpg123_close(mh);
  mpg123_delete(mh);
  return ok ? true : fail(out);
}

bool decode_mp3_file_range(const char* path, uint64_t offset, uint64_t length, DecodedPcm* out) {
  release(out);
  if (!path) return false;
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> bytes;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  // A directory opens too, and reports a nonsense size: the cap catches it.
  const long size = ok ? std::ftell(f) : -1;
  ok = ok && size > 0 && static_cast<unsigned long>(size) <= max_file_bytes && offset < static_cast<uint64_t>(size);
  if (ok) {
    const uint64_t available = static_cast<uint64_t>(size) - offset;
    bytes.resize(static_cast<size_t>(length == 0 || length > available ? available : length));
    ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  return ok && decode_mp3_memory(bytes.data(), bytes.size(), out);
}

bool decode_mp3_file(const char* path, DecodedPcm* out) { return decode_mp3_file_range(path, 0, 0, out); }
