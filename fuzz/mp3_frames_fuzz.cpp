// Feeds arbitrary bytes to the Windows build's MP3 layout reader (frame
// headers and the LAME/Xing tag, audio/mp3_frames) and checks it against
// libmpg123, the decoder whose gapless output the Windows decoder must
// match. A refused file has no frames and keeps no memory; an accepted one
// lists frames that lie end to end inside the input, each a header of the
// same stream. Where both accept the file, they agree on rate, channels,
// the count of audio frames and the samples left after the gapless trim,
// except as the rules below allow.
//
// Rules for the differences (each a way libmpg123 reads more than the
// Windows reader is meant to, or trims by its own decoder's lag; none of
// them in a file LAME writes):
//  1. Only a file whose frames the reader lists from its first sync to its
//     end (nothing but an ID3v1 tag, 128 bytes from "TAG", may follow) is
//     compared: past the run the reader stops by design, where libmpg123
//     searches on for more frames and counts them.
//  2. The first audio frame libmpg123 reads must be the reader's (same
//     place, Layer III, same rate and channels): libmpg123 also syncs to
//     Layer I and II and to free-format frames, on a single header where
//     the reader wants two in a row, and past junk the reader takes for a
//     frame; it takes a Xing/Info frame for the tag only when its side
//     information is zero, as encoders write it, where the reader looks
//     for the name alone. From the same first frame on, both list the same
//     frames.
//  3. libmpg123 takes LAME's extension of the tag as present when the
//     encoder name's first byte is not zero, the reader only when its first
//     four bytes are letters, digits or dots: where only libmpg123 sees it,
//     the trims are not compared. Where both see it, delay and padding
//     agree.
//  4. With a tag but without the extension, libmpg123 still drops its
//     decoder's lag (529 samples) at the start; the Windows decoder drops
//     nothing then. Such a length may be 529 short of the reader's.
//  5. A padding shorter than that lag cannot be removed whole by libmpg123,
//     whose output ends with the last decoded sample; the reader subtracts
//     it as written. Such lengths are not compared.
//  6. Where the trims leave nothing of the audio, libmpg123 drops them and
//     gives all of it; the reader gives nothing. Not compared.
//  7. Without the tag's frame count libmpg123 reads LAME's delay and
//     padding but trims neither; the reader trims both. Only delay and
//     padding are compared then.
//  8. A tag that counts 0 frames counts for nothing in libmpg123, which
//     then goes by the frames it finds; the reader takes the count as
//     written. Such lengths are not compared either.

#include <mpg123.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/mp3_frames.h"

namespace {

constexpr size_t id3v1_bytes = 128;

void require(bool condition) {
  if (!condition) std::abort();
}

// The input as libmpg123 reads it, through its reader callbacks.
struct Input {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t offset = 0;
};

mpg123_ssize_t input_read(void* handle, void* buffer, size_t count) {
  Input* in = static_cast<Input*>(handle);
  if (count > in->size - in->offset) count = in->size - in->offset;
  std::memcpy(buffer, in->data + in->offset, count);
  in->offset += count;
  return static_cast<mpg123_ssize_t>(count);
}

off_t input_seek(void* handle, off_t offset, int whence) {
  Input* in = static_cast<Input*>(handle);
  const long long origin = whence == SEEK_CUR   ? static_cast<long long>(in->offset)
                           : whence == SEEK_END ? static_cast<long long>(in->size)
                                                : 0;
  const long long target = origin + offset;
  if (target < 0 || target > static_cast<long long>(in->size)) return -1;
  in->offset = static_cast<size_t>(target);
  return static_cast<off_t>(target);
}

// What libmpg123 makes of the file, with the decoder's own settings.
struct Reading {
  bool opened = false;
  long rate = 0;
  int channels = 0;
  int layer = 0;
  int64_t frames = -1;           // audio frames, after a full scan
  std::vector<int64_t> offsets;  // where each of them starts
  int64_t samples_at_open = -1;  // after the gapless trim: the tag's length, else a guess
  int64_t samples_scanned = -1;  // after the gapless trim, once every frame is counted
  long delay = -1;               // LAME's encoder delay and padding, -1 without
  long padding = -1;
};

// libmpg123's decoder lags this many samples behind its input; its gapless
// trim adds them to the encoder's delay.
constexpr int decoder_lag = 529;

// One handle for the whole run: making one costs more than reading a file.
mpg123_handle* oracle() {
  static mpg123_handle* handle = [] {
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    require(h != nullptr);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Every frame's offset in the index, not every n-th.
    mpg123_param(h, MPG123_INDEX_SIZE, -1000, 0);
    mpg123_replace_reader_handle(h, input_read, input_seek, nullptr);
    return h;
  }();
  return handle;
}

Reading read_with_mpg123(const uint8_t* data, size_t size) {
  Reading r;
  Input input{data, size, 0};
  mpg123_handle* h = oracle();
  int encoding = 0;
  if (mpg123_open_handle(h, &input) == MPG123_OK && mpg123_getformat(h, &r.rate, &r.channels, &encoding) == MPG123_OK) {
    r.opened = true;
    mpg123_frameinfo2 info{};
    mpg123_info2(h, &info);
    r.layer = info.layer;
    r.samples_at_open = mpg123_length(h);
    mpg123_getstate(h, MPG123_ENC_DELAY, &r.delay, nullptr);
    mpg123_getstate(h, MPG123_ENC_PADDING, &r.padding, nullptr);
    if (mpg123_scan(h) == MPG123_OK) {
      r.frames = mpg123_framelength(h);
      off_t* offsets = nullptr;
      off_t step = 0;
      size_t fill = 0;
      if (mpg123_index(h, &offsets, &step, &fill) == MPG123_OK && step == 1) r.offsets.assign(offsets, offsets + fill);
      r.samples_scanned = mpg123_length(h);
    }
  }
  mpg123_close(h);
  return r;
}

// Whether the reader's frames run to the end of the input (rule 1).
bool frames_reach_the_end(const uint8_t* data, size_t size, const Mp3Layout& layout) {
  const size_t end = layout.frame_offsets.back() + static_cast<size_t>(layout.frame_bytes.back());
  return end == size || (size - end == id3v1_bytes && std::memcmp(data + end, "TAG", 3) == 0);
}

void check_layout(const uint8_t* data, size_t size, const Mp3Layout& layout) {
  const size_t count = layout.frame_offsets.size();
  require(count > 0 && layout.frame_bytes.size() == count);
  const Mp3FrameHeader& first = layout.first;
  require(first.channels == 1 || first.channels == 2);
  require(first.rate >= 8000 && first.rate <= 48000);
  require(first.samples_per_frame == (first.mpeg1 ? 1152 : 576));
  for (size_t i = 0; i < count; ++i) {
    const size_t at = layout.frame_offsets[i];
    require(layout.frame_bytes[i] > 4 && at + static_cast<size_t>(layout.frame_bytes[i]) <= size);
    if (i > 0) require(at == layout.frame_offsets[i - 1] + static_cast<size_t>(layout.frame_bytes[i - 1]));
    Mp3FrameHeader h;
    require(parse_mp3_frame_header(data + at, &h) && h.bytes == layout.frame_bytes[i]);
    require(h.rate == first.rate && h.channels == first.channels && h.mpeg1 == first.mpeg1);
  }
  require(layout.encoder_delay >= 0 && layout.encoder_delay < 4096);
  require(layout.encoder_padding >= 0 && layout.encoder_padding < 4096);
  require(mp3_gapless_frames(layout) >= 0);
}

// The file cut right after the first frame header in it, as a download
// that stopped there: the reader must stay inside what is left (a copy of
// exactly that size, so that the sanitizer sees any read past it), most of
// all in a tag frame that now ends the file.
void check_cut_after_first_frame(const uint8_t* data, size_t size) {
  for (size_t at = 0; at + 4 <= size; ++at) {
    Mp3FrameHeader h;
    if (!parse_mp3_frame_header(data + at, &h)) continue;
    const size_t cut = at + static_cast<size_t>(h.bytes);
    if (cut >= size) return;
    const std::vector<uint8_t> head(data, data + cut);
    Mp3Layout layout;
    if (scan_mp3(head.data(), head.size(), &layout)) check_layout(head.data(), head.size(), layout);
    return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_cut_after_first_frame(data, size);
  Mp3Layout layout;
  if (!scan_mp3(data, size, &layout)) {
    require(layout.frame_offsets.empty() && layout.frame_offsets.capacity() == 0);
    require(layout.frame_bytes.empty() && layout.frame_bytes.capacity() == 0);
    return 0;
  }
  check_layout(data, size, layout);

  if (!frames_reach_the_end(data, size, layout)) return 0;  // rule 1
  const Reading mpg123 = read_with_mpg123(data, size);
  if (!mpg123.opened) return 0;
  if (mpg123.offsets.empty() || mpg123.offsets[0] != static_cast<int64_t>(layout.frame_offsets[0]) ||
      mpg123.layer != 3 || mpg123.rate != layout.first.rate || mpg123.channels != layout.first.channels)
    return 0;  // rule 2

  require(mpg123.frames == static_cast<int64_t>(layout.frame_offsets.size()));
  require(mpg123.offsets.size() == layout.frame_offsets.size());
  for (size_t i = 0; i < mpg123.offsets.size(); ++i)
    require(mpg123.offsets[i] == static_cast<int64_t>(layout.frame_offsets[i]));
  // With the tag's frame count the length is the one the file was made
  // with, known straight after opening (what both decoders go by); without
  // it, the frames found.
  if (layout.tagged_frames == 0) return 0;  // rule 8
  const int64_t samples = layout.tagged_frames > 0 ? mpg123.samples_at_open : mpg123.samples_scanned;
  const int64_t expected = mp3_gapless_frames(layout);
  const bool mpg123_trims = mpg123.delay >= 0;
  if (layout.has_gapless_tag) {
    require(mpg123_trims && mpg123.delay == layout.encoder_delay && mpg123.padding == layout.encoder_padding);
    if (layout.encoder_padding >= decoder_lag && expected > 0 && layout.tagged_frames > 0)
      require(samples == expected);  // rules 5, 6, 7
  } else if (!mpg123_trims) {
    require(samples == expected || samples == expected - decoder_lag);  // rule 4
  }
  return 0;
}
