// MPEG audio frame headers and the LAME/Xing tag, read byte by byte.
#include "audio/mp3_frames.h"

#include <cstring>
#include <utility>

namespace {

// Layer III bitrates in kbit/s by index; 0 is free format, 15 is invalid.
constexpr int mpeg1_bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int mpeg2_bitrates[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int mpeg1_rates[3] = {44100, 48000, 32000};

constexpr size_t id3v2_header_bytes = 10;
constexpr size_t frame_header_bytes = 4;

uint32_t read_be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// An ID3v2 tag's whole size (header, body, footer), or 0 when there is none.
size_t id3v2_size(const uint8_t* p, size_t available) {
  if (available < id3v2_header_bytes || std::memcmp(p, "ID3", 3) != 0) return 0;
  // The body size is stored in four 7-bit bytes.
  if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return 0;
  const size_t body = (size_t{p[6]} << 21) | (size_t{p[7]} << 14) | (size_t{p[8]} << 7) | size_t{p[9]};
  const bool footer = (p[5] & 0x10) != 0;
  return id3v2_header_bytes + body + (footer ? id3v2_header_bytes : 0);
}

bool same_stream(const Mp3FrameHeader& a, const Mp3FrameHeader& b) {
  return a.rate == b.rate && a.channels == b.channels && a.mpeg1 == b.mpeg1;
}

bool header_at(const uint8_t* data, size_t size, size_t offset, Mp3FrameHeader* out) {
  return offset + frame_header_bytes <= size && parse_mp3_frame_header(data + offset, out);
}

// A frame is believed to start at offset when its header is valid and it
// either ends the data exactly or is followed by a matching header.
bool frame_starts_at(const uint8_t* data, size_t size, size_t offset, Mp3FrameHeader* out) {
  if (!header_at(data, size, offset, out)) return false;
  const size_t next = offset + out->bytes;
  if (next > size) return false;
  if (next == size) return true;
  Mp3FrameHeader following;
  return header_at(data, size, next, &following) && same_stream(*out, following);
}

// Reads the "Xing"/"Info" frame's LAME extension into layout. False when the
// frame is not such a tag (it is audio then).
bool read_gapless_tag(const uint8_t* frame, const Mp3FrameHeader& h, Mp3Layout* layout) {
  const int side_info = h.mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
  size_t at = frame_header_bytes + (h.crc ? 2 : 0) + side_info;
  const size_t end = static_cast<size_t>(h.bytes);
  if (at + 8 > end) return false;
  if (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0) return false;
  const uint32_t flags = read_be32(frame + at + 4);
  at += 8;
  if (flags & 1) {
    if (at + 4 > end) return true;
    layout->tagged_frames = read_be32(frame + at);
    at += 4;
  }
  if (flags & 2) at += 4;    // byte count
  if (flags & 4) at += 100;  // seek table
  if (flags & 8) at += 4;    // quality
  // The LAME extension: a 9-byte encoder name, then at byte 21 the delay and
  // padding as two 12-bit numbers.
  if (at + 24 > end) return true;
  for (int i = 0; i < 4; ++i) {
    const uint8_t c = frame[at + i];
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
    if (!alnum) return true;
  }
  const uint8_t* trim = frame + at + 21;
  layout->encoder_delay = (trim[0] << 4) | (trim[1] >> 4);
  layout->encoder_padding = ((trim[1] & 0x0F) << 8) | trim[2];
  layout->has_gapless_tag = true;
  return true;
}

}  // namespace

bool parse_mp3_frame_header(const uint8_t* p, Mp3FrameHeader* out) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3;  // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
  const int layer = (p[1] >> 1) & 3;    // 1: Layer III
  const int bitrate_index = p[2] >> 4;
  const int rate_index = (p[2] >> 2) & 3;
  if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3) return false;

  Mp3FrameHeader h;
  h.mpeg1 = version == 3;
  h.crc = (p[1] & 1) == 0;
  h.rate = mpeg1_rates[rate_index] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  h.channels = (p[3] >> 6) == 3 ? 1 : 2;
  h.samples_per_frame = h.mpeg1 ? 1152 : 576;
  h.bitrate_kbps = (h.mpeg1 ? mpeg1_bitrates : mpeg2_bitrates)[bitrate_index];
  const int padding = (p[2] >> 1) & 1;
  // Bytes per frame: samples / 8 bits * bitrate / rate, plus the padding byte.
  h.bytes = h.samples_per_frame / 8 * h.bitrate_kbps * 1000 / h.rate + padding;
  *out = h;
  return true;
}

bool scan_mp3(const uint8_t* data, size_t size, Mp3Layout* out) {
  Mp3Layout layout;
  if (data == nullptr) return false;
  size_t at = 0;
  while (size_t tag = id3v2_size(data + at, size - at)) {
    if (tag > size - at) return false;
    at += tag;
  }
  Mp3FrameHeader h;
  while (at + frame_header_bytes <= size && !frame_starts_at(data, size, at, &h)) ++at;
  if (at + frame_header_bytes > size) return false;

  if (read_gapless_tag(data + at, h, &layout)) at += h.bytes;
  bool first = true;
  while (header_at(data, size, at, &h) && at + h.bytes <= size) {
    if (first) {
      layout.first = h;
      first = false;
    } else if (!same_stream(layout.first, h)) {
      break;
    }
    layout.frame_offsets.push_back(at);
    layout.frame_bytes.push_back(h.bytes);
    at += h.bytes;
  }
  if (layout.frame_offsets.empty()) return false;
  *out = std::move(layout);
  return true;
}

int64_t mp3_gapless_frames(const Mp3Layout& layout) {
  const int64_t frames =
      layout.tagged_frames >= 0 ? layout.tagged_frames : static_cast<int64_t>(layout.frame_offsets.size());
  const int64_t whole = frames * layout.first.samples_per_frame;
  if (!layout.has_gapless_tag) return whole;
  const int64_t trimmed = whole - layout.encoder_delay - layout.encoder_padding;
  return trimmed > 0 ? trimmed : 0;
}
