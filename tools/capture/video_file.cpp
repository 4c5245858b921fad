#include "tools/capture/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace capture {

namespace {

// A keyframe every two seconds: short seeks, small file.
constexpr int keyframe_seconds = 2;
// Visually clean for a show of soft gradients and fine particles.
constexpr int h264_quality_crf = 18;
constexpr int64_t aac_bit_rate = 192000;
// Both encoders run with this many threads on the 2-core machines this
// project is built for.
constexpr int encoder_threads = 2;

std::string av_message(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A new stream of the file, an encoder context for codec and a frame to
// fill; false when any of them could not be had (what was made is freed
// with the rest of the file).
bool new_encoder_stream(AVFormatContext* format, const AVCodec* codec, AVStream** stream, AVCodecContext** context,
                        AVFrame** frame) {
  *stream = avformat_new_stream(format, nullptr);
  *context = avcodec_alloc_context3(codec);
  *frame = av_frame_alloc();
  return *stream != nullptr && *context != nullptr && *frame != nullptr;
}

}  // namespace

bool VideoFile::open(const std::string& path, const VideoSettings& wanted, std::string* error) {
  abandon();
  settings = wanted;
  final_path = path;
  struct stat existing;
  if (name_of(path).empty()) {
    *error = "'" + path + "' names a folder, not a file";
    return false;
  }
  if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    *error = "'" + path + "' is a folder";
    return false;
  }
  // The temporary file lives in the destination's folder so that the final
  // rename cannot cross file systems, and starts with a dot so that it does
  // not look like a finished capture.
  std::string pattern = folder_of(path) + "/." + name_of(path) + ".partial-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    const int reason = errno;
    struct stat folder;
    // A folder that exists but whose file system makes no files (/proc)
    // answers "No such file or directory", which names the wrong thing.
    if (reason == ENOENT && stat(folder_of(path).c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)) {
      *error = "cannot write in '" + folder_of(path) + "': its file system takes no new files";
    } else {
      *error = "cannot write in '" + folder_of(path) + "': " + std::strerror(reason);
    }
    return false;
  }
  temp_path = pattern;
  // mkstemp makes the file private (0600) whatever the umask; the finished
  // capture is an ordinary file, with the mode the umask gives any new file
  // (0644 under umask 022), so it can be served or handed to someone else.
  const mode_t mask = umask(0);
  umask(mask);
  const bool mode_set = fchmod(fd, (S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH) & ~mask) == 0;
  close(fd);
  if (!mode_set) {
    *error = "cannot set the mode of '" + temp_path + "': " + std::strerror(errno);
    abandon();
    return false;
  }

  int code = avformat_alloc_output_context2(&format, nullptr, "mp4", temp_path.c_str());
  if (code < 0 || format == nullptr) {
    *error = "no MP4 writer: " + av_message(code);
    abandon();
    return false;
  }
  packet = av_packet_alloc();
  if (packet == nullptr || !open_video(error) || !open_audio(error)) {
    abandon();
    return false;
  }
  code = avio_open(&format->pb, temp_path.c_str(), AVIO_FLAG_WRITE);
  if (code < 0) {
    *error = "cannot write '" + temp_path + "': " + av_message(code);
    abandon();
    return false;
  }
  // The index goes at the front once the file is complete, so players can
  // start before they have the whole file.
  AVDictionary* muxer_options = nullptr;
  av_dict_set(&muxer_options, "movflags", "+faststart", 0);
  code = avformat_write_header(format, &muxer_options);
  av_dict_free(&muxer_options);
  if (code < 0) {
    *error = "cannot start the MP4 file: " + av_message(code);
    abandon();
    return false;
  }
  header_written = true;
  return true;
}

bool VideoFile::open_video(std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(settings.lossless ? "libx264rgb" : "libx264");
  if (codec == nullptr && !settings.lossless) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (codec == nullptr) {
    *error =
        settings.lossless ? "no lossless H.264 encoder (libx264rgb) in this FFmpeg" : "no H.264 encoder in this FFmpeg";
    return false;
  }
  if (!new_encoder_stream(format, codec, &video_stream, &video_codec, &video_frame)) {
    *error = "out of memory setting up the video encoder";
    return false;
  }
  const AVPixelFormat pixel_format = settings.lossless ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_YUV420P;
  video_codec->width = settings.width;
  video_codec->height = settings.height;
  video_codec->pix_fmt = pixel_format;
  video_codec->time_base = AVRational{1, settings.fps};
  video_codec->framerate = AVRational{settings.fps, 1};
  video_codec->gop_size = settings.fps * keyframe_seconds;
  video_codec->thread_count = encoder_threads;
  if (!settings.lossless) {
    // The converter below turns RGB into limited-range BT.601; say so.
    video_codec->color_range = AVCOL_RANGE_MPEG;
    video_codec->colorspace = AVCOL_SPC_SMPTE170M;
    video_codec->color_primaries = AVCOL_PRI_SMPTE170M;
    video_codec->color_trc = AVCOL_TRC_SMPTE170M;
  }
  if (format->oformat->flags & AVFMT_GLOBALHEADER) video_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* codec_options = nullptr;
  av_dict_set(&codec_options, "preset", settings.lossless ? "ultrafast" : "medium", 0);
  if (settings.lossless) {
    av_dict_set(&codec_options, "qp", "0", 0);
  } else {
    av_dict_set_int(&codec_options, "crf", h264_quality_crf, 0);
  }
  const int code = avcodec_open2(video_codec, codec, &codec_options);
  av_dict_free(&codec_options);
  if (code < 0) {
    *error = std::string("cannot open the video encoder ") + codec->name + ": " + av_message(code);
    return false;
  }
  avcodec_parameters_from_context(video_stream->codecpar, video_codec);
  video_stream->time_base = video_codec->time_base;
  video_stream->avg_frame_rate = video_codec->framerate;

  video_frame->format = pixel_format;
  video_frame->width = settings.width;
  video_frame->height = settings.height;
  if (av_frame_get_buffer(video_frame, 0) < 0) {
    *error = "out of memory for a video frame";
    return false;
  }
  converter = sws_getContext(settings.width, settings.height, AV_PIX_FMT_RGBA, settings.width, settings.height,
                             pixel_format, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (converter == nullptr) {
    *error = "no pixel converter from RGBA";
    return false;
  }
  return true;
}

bool VideoFile::open_audio(std::string* error) {
  const AVCodec* codec = avcodec_find_encoder(settings.lossless ? AV_CODEC_ID_ALAC : AV_CODEC_ID_AAC);
  if (codec == nullptr) {
    *error = settings.lossless ? "no ALAC encoder in this FFmpeg" : "no AAC encoder in this FFmpeg";
    return false;
  }
  if (!new_encoder_stream(format, codec, &audio_stream, &audio_codec, &audio_frame)) {
    *error = "out of memory setting up the audio encoder";
    return false;
  }
  // Both encoders take planar samples: 16-bit for ALAC, float for AAC.
  audio_codec->sample_fmt = settings.lossless ? AV_SAMPLE_FMT_S16P : AV_SAMPLE_FMT_FLTP;
  audio_codec->sample_rate = settings.audio_rate;
  av_channel_layout_default(&audio_codec->ch_layout, 2);
  audio_codec->time_base = AVRational{1, settings.audio_rate};
  audio_codec->thread_count = encoder_threads;
  if (!settings.lossless) audio_codec->bit_rate = aac_bit_rate;
  if (format->oformat->flags & AVFMT_GLOBALHEADER) audio_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int code = avcodec_open2(audio_codec, codec, nullptr);
  if (code < 0) {
    *error = std::string("cannot open the audio encoder ") + codec->name + ": " + av_message(code);
    return false;
  }
  avcodec_parameters_from_context(audio_stream->codecpar, audio_codec);
  audio_stream->time_base = audio_codec->time_base;

  audio_frame->format = audio_codec->sample_fmt;
  audio_frame->sample_rate = settings.audio_rate;
  av_channel_layout_copy(&audio_frame->ch_layout, &audio_codec->ch_layout);
  audio_frame->nb_samples = audio_codec->frame_size > 0 ? audio_codec->frame_size : 4096;
  if (av_frame_get_buffer(audio_frame, 0) < 0) {
    *error = "out of memory for an audio block";
    return false;
  }
  return true;
}

bool VideoFile::convert_frame(const uint8_t* rgba_bottom_up, std::string* error) {
  if (!header_written) {
    *error = "the video file is not open";
    return false;
  }
  if (av_frame_make_writable(video_frame) < 0) {
    *error = "out of memory for a video frame";
    return false;
  }
  // A negative stride from the last row turns GL's bottom-up rows into the
  // top-down rows video has.
  const int stride = settings.width * 4;
  const uint8_t* rows[1] = {rgba_bottom_up + static_cast<size_t>(settings.height - 1) * stride};
  const int strides[1] = {-stride};
  sws_scale(converter, rows, strides, 0, settings.height, video_frame->data, video_frame->linesize);
  return true;
}

bool VideoFile::encode_frame(std::string* error) {
  video_frame->pts = video_frames_added++;
  return send(video_codec, video_stream, video_frame, error);
}

bool VideoFile::add_audio(const int16_t* stereo, int frames, std::string* error) {
  if (!header_written) {
    *error = "the video file is not open";
    return false;
  }
  const int block = audio_frame->nb_samples;
  while (frames > 0) {
    if (audio_fill == 0 && av_frame_make_writable(audio_frame) < 0) {
      *error = "out of memory for an audio block";
      return false;
    }
    const int take = frames < block - audio_fill ? frames : block - audio_fill;
    for (int i = 0; i < take; ++i) {
      const int16_t left = stereo[2 * i];
      const int16_t right = stereo[2 * i + 1];
      if (settings.lossless) {
        reinterpret_cast<int16_t*>(audio_frame->data[0])[audio_fill + i] = left;
        reinterpret_cast<int16_t*>(audio_frame->data[1])[audio_fill + i] = right;
      } else {
        reinterpret_cast<float*>(audio_frame->data[0])[audio_fill + i] = left / 32768.0f;
        reinterpret_cast<float*>(audio_frame->data[1])[audio_fill + i] = right / 32768.0f;
      }
    }
    stereo += 2 * take;
    frames -= take;
    audio_fill += take;
    if (audio_fill == block && !encode_audio_block(block, error)) return false;
  }
  return true;
}

bool VideoFile::encode_audio_block(int frames, std::string* error) {
  audio_frame->nb_samples = frames;
  audio_frame->pts = audio_frames_encoded;
  audio_frames_encoded += frames;
  audio_fill = 0;
  return send(audio_codec, audio_stream, audio_frame, error);
}

bool VideoFile::send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error) {
  int code = avcodec_send_frame(codec, frame);
  if (code < 0) {
    *error = std::string("encoding failed (") + codec->codec->name + "): " + av_message(code);
    return false;
  }
  for (;;) {
    code = avcodec_receive_packet(codec, packet);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
    if (code < 0) {
      *error = std::string("encoding failed (") + codec->codec->name + "): " + av_message(code);
      return false;
    }
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    code = av_interleaved_write_frame(format, packet);
    if (code < 0) {
      *error = "cannot write '" + temp_path + "': " + av_message(code);
      return false;
    }
  }
}

bool VideoFile::finish(std::string* error) {
  if (!header_written) {
    *error = "the video file is not open";
    return false;
  }
  // The last, shorter audio block; the encoders take one that size at the end.
  const int full_block = audio_frame->nb_samples;
  if (audio_fill > 0 && !encode_audio_block(audio_fill, error)) return false;
  audio_frame->nb_samples = full_block;
  if (!send(video_codec, video_stream, nullptr, error) || !send(audio_codec, audio_stream, nullptr, error)) {
    return false;
  }
  int code = av_write_trailer(format);
  if (code < 0) {
    *error = "cannot complete '" + temp_path + "': " + av_message(code);
    return false;
  }
  code = avio_closep(&format->pb);
  if (code < 0) {
    *error = "cannot complete '" + temp_path + "': " + av_message(code);
    return false;
  }
  if (std::rename(temp_path.c_str(), final_path.c_str()) != 0) {
    *error = "cannot name the finished file '" + final_path + "': " + std::strerror(errno);
    return false;
  }
  temp_path.clear();
  release();
  return true;
}

void VideoFile::abandon() {
  release();
  if (!temp_path.empty()) std::remove(temp_path.c_str());
  temp_path.clear();
}

void VideoFile::release() {
  if (format != nullptr && format->pb != nullptr) avio_closep(&format->pb);
  avformat_free_context(format);
  format = nullptr;
  avcodec_free_context(&video_codec);
  avcodec_free_context(&audio_codec);
  av_frame_free(&video_frame);
  av_frame_free(&audio_frame);
  av_packet_free(&packet);
  sws_freeContext(converter);
  converter = nullptr;
  video_stream = nullptr;
  audio_stream = nullptr;
  video_frames_added = 0;
  audio_frames_encoded = 0;
  audio_fill = 0;
  header_written = false;
}

}  // namespace capture
