// Decoding (and converting) the file into the ring, a step at a time.
#include "audio/music_feed.h"

#include <algorithm>

namespace {

// Steps beyond this (24 s at 44.1 kHz) are refused: the buffers of one would
// be tens of megabytes, and the loop offsets count in 32 bits.
constexpr long largest_step_frames = long(1) << 20;

// Writes n output frames into the ring, keeping them while the loop so far
// fits in the short-loop buffer.
void emit(MusicFeed& f, MusicRing& ring, const int16_t* frames, uint64_t n) {
  ring_write(ring, frames, n, f.loop_offset);
  if (f.loop_offset + n <= f.short_loop_capacity)
    std::copy(frames, frames + n * ring_channels, f.short_loop.get() + f.loop_offset * ring_channels);
  f.loop_offset += static_cast<uint32_t>(n);
}

// The converter's held-back tail, then a rewind (or, for a short loop, its
// replay from memory). Returns the frames written; stalls the feed when a
// whole loop gave nothing.
uint64_t end_loop(MusicFeed& f, MusicRing& ring) {
  uint64_t written = 0;
  if (f.converter) {
    const long n = pcm_converter_flush(f.converter, f.converted.get());
    if (n < 0) {
      f.stalled = true;  // the converter has ended: the music stops here
      return 0;
    }
    if (n > 0) {
      emit(f, ring, f.converted.get(), static_cast<uint64_t>(n));
      written = static_cast<uint64_t>(n);
    }
  }
  if (f.loop_offset == 0) {
    f.stalled = true;  // nothing to loop
    return written;
  }
  if (f.loop_offset <= f.short_loop_capacity) {
    f.short_loop_frames = f.loop_offset;
    f.replaying = true;
    f.loop_offset = 0;
    return written;
  }
  feed_rewind(f);
  return written;
}

}  // namespace

bool feed_open(MusicFeed& f, Mp3Decoder* decoder, const Mp3Format& format, int output_rate, long step_frames) {
  f = MusicFeed{};
  if (!decoder || format.rate <= 0 || output_rate <= 0 || step_frames <= 0 || step_frames > largest_step_frames) {
    mp3_decoder_close(decoder);
    return false;
  }
  f.decoder = decoder;
  f.format = format;
  const bool as_is = format.rate == output_rate && format.channels == ring_channels;
  f.chunk_frames = std::max<long>(256, static_cast<long>(int64_t(step_frames) * format.rate / output_rate));
  if (!as_is) {
    f.converter = pcm_converter_open(format.rate, format.channels, output_rate, f.chunk_frames);
    if (!f.converter) {
      feed_close(f);
      return false;
    }
  }
  f.max_step_output = as_is ? f.chunk_frames : pcm_converter_max_output(f.converter);
  f.decoded.reset(new int16_t[static_cast<size_t>(f.chunk_frames) * format.channels]);
  f.converted.reset(new int16_t[static_cast<size_t>(f.max_step_output) * ring_channels]);
  f.short_loop_capacity = static_cast<uint32_t>(step_frames);
  f.short_loop.reset(new int16_t[static_cast<size_t>(step_frames) * ring_channels]);
  return true;
}

uint64_t feed_fill(MusicFeed& f, MusicRing& ring, uint64_t max_frames) {
  uint64_t total = 0;
  while (!f.stalled && total < max_frames && ring_space(ring) >= static_cast<uint64_t>(f.max_step_output)) {
    if (f.replaying) {
      ring_write(ring, f.short_loop.get(), f.short_loop_frames, 0);
      total += f.short_loop_frames;
      continue;
    }
    const long n = mp3_decoder_read(f.decoder, f.decoded.get(), f.chunk_frames);
    if (n <= 0) {
      // The end of the audio, or a file broken from here on: what decoded
      // is the loop.
      total += end_loop(f, ring);
      continue;
    }
    const int16_t* out = f.decoded.get();
    long frames = n;
    if (f.converter) {
      frames = pcm_converter_convert(f.converter, f.decoded.get(), n, f.converted.get());
      if (frames < 0) {
        f.stalled = true;
        break;
      }
      out = f.converted.get();
    }
    emit(f, ring, out, static_cast<uint64_t>(frames));
    total += static_cast<uint64_t>(frames);
  }
  return total;
}

bool feed_rewind(MusicFeed& f) {
  f.loop_offset = 0;
  if (f.replaying) return true;
  // Drops whatever the converter still holds from where the loop was; a
  // converter that cannot start afresh has ended, and so has the music.
  if (f.converter && pcm_converter_flush(f.converter, f.converted.get()) < 0) {
    f.stalled = true;
    return false;
  }
  if (!mp3_decoder_rewind(f.decoder)) {
    f.stalled = true;
    return false;
  }
  f.stalled = false;
  return true;
}

uint64_t feed_file_frame(const MusicFeed& f, uint64_t loop_offset, int output_rate) {
  if (f.format.rate == output_rate || output_rate <= 0) return loop_offset;
  return loop_offset * static_cast<uint64_t>(f.format.rate) / static_cast<uint64_t>(output_rate);
}

void feed_close(MusicFeed& f) {
  pcm_converter_close(f.converter);
  mp3_decoder_close(f.decoder);
  f.converter = nullptr;
  f.decoder = nullptr;
}
