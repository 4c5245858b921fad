// The capture's output file: H.264 video and the music in an MP4, written
// with FFmpeg's libraries. Everything goes to a temporary file beside the
// destination, which takes the destination's name only once the file is
// complete; a capture that fails or is abandoned leaves nothing behind.
#pragma once

#include <cstdint>
#include <string>

#include "platform/demo_screen.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace capture {

struct VideoSettings {
  int width = demo_screen_width;
  int height = demo_screen_height;
  int fps = 60;
  int audio_rate = 44100;  // 16-bit stereo
  // Lossless H.264 in RGB and ALAC audio: every pixel and sample exact.
  // Otherwise H.264 in YUV 4:2:0 and AAC, which every player plays.
  bool lossless = false;
};

class VideoFile {
 public:
  VideoFile() = default;
  VideoFile(const VideoFile&) = delete;
  VideoFile& operator=(const VideoFile&) = delete;
  ~VideoFile() { abandon(); }

  // Creates the temporary file beside `path` and sets up both encoders.
  bool open(const std::string& path, const VideoSettings& settings, std::string* error);

  // One video frame: width x height RGBA pixels, bottom row first (as GL
  // reads them).
  bool add_frame(const uint8_t* rgba_bottom_up, std::string* error) {
    return convert_frame(rgba_bottom_up, error) && encode_frame(error);
  }
  // add_frame in its two halves, for measuring: the pixels into the
  // encoder's format, then the encoding and writing.
  bool convert_frame(const uint8_t* rgba_bottom_up, std::string* error);
  bool encode_frame(std::string* error);

  // The music that plays during the frames added so far: interleaved 16-bit
  // stereo at the audio rate, any number of frames per call.
  bool add_audio(const int16_t* stereo, int frames, std::string* error);

  // Flushes the encoders, completes the file and gives it its name.
  bool finish(std::string* error);

  // Closes and deletes the temporary file; nothing happens after finish.
  void abandon();

  const std::string& temporary_path() const { return temp_path; }

 private:
  bool open_video(std::string* error);
  bool open_audio(std::string* error);
  bool encode_audio_block(int frames, std::string* error);
  bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error);
  void release();

  VideoSettings settings;
  std::string final_path;
  std::string temp_path;
  AVFormatContext* format = nullptr;
  AVCodecContext* video_codec = nullptr;
  AVCodecContext* audio_codec = nullptr;
  AVStream* video_stream = nullptr;
  AVStream* audio_stream = nullptr;
  AVFrame* video_frame = nullptr;
  AVFrame* audio_frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* converter = nullptr;
  int64_t video_frames_added = 0;
  int64_t audio_frames_encoded = 0;
  int audio_fill = 0;  // frames waiting in audio_frame for a whole block
  bool header_written = false;
};

}  // namespace capture
