#include "tests/capture/video_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

namespace {

int16_t to_s16(float value) {
  const float scaled = std::round(value * 32768.0f);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

void append_audio(const AVFrame* frame, std::vector<int16_t>* audio) {
  const int channels = frame->ch_layout.nb_channels;
  for (int i = 0; i < frame->nb_samples; ++i) {
    for (int c = 0; c < 2; ++c) {
      const int source = c < channels ? c : 0;
      int16_t value = 0;
      switch (frame->format) {
        case AV_SAMPLE_FMT_S16P:
          value = reinterpret_cast<const int16_t*>(frame->data[source])[i];
          break;
        case AV_SAMPLE_FMT_S16:
          value = reinterpret_cast<const int16_t*>(frame->data[0])[i * channels + source];
          break;
        case AV_SAMPLE_FMT_FLTP:
          value = to_s16(reinterpret_cast<const float*>(frame->data[source])[i]);
          break;
        case AV_SAMPLE_FMT_FLT:
          value = to_s16(reinterpret_cast<const float*>(frame->data[0])[i * channels + source]);
          break;
        default:
          break;
      }
      audio->push_back(value);
    }
  }
}

struct Decoder {
  AVCodecContext* codec = nullptr;
  int stream = -1;
};

bool open_decoder(AVFormatContext* format, AVMediaType type, Decoder* decoder) {
  const AVCodec* codec = nullptr;
  decoder->stream = av_find_best_stream(format, type, -1, -1, &codec, 0);
  if (decoder->stream < 0 || codec == nullptr) return false;
  decoder->codec = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder->codec, format->streams[decoder->stream]->codecpar);
  decoder->codec->thread_count = 1;  // frames in order, the same every run
  return avcodec_open2(decoder->codec, codec, nullptr) >= 0;
}

}  // namespace

bool read_video(const std::string& path, DecodedVideo* out, std::string* error) {
  *out = DecodedVideo{};
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(format, nullptr) < 0) {
    *error = "cannot open " + path;
    if (format != nullptr) avformat_close_input(&format);
    return false;
  }
  Decoder video, audio;
  if (!open_decoder(format, AVMEDIA_TYPE_VIDEO, &video) || !open_decoder(format, AVMEDIA_TYPE_AUDIO, &audio)) {
    *error = "no video or no audio stream in " + path;
    avcodec_free_context(&video.codec);
    avcodec_free_context(&audio.codec);
    avformat_close_input(&format);
    return false;
  }
  out->width = video.codec->width;
  out->height = video.codec->height;
  out->fps = av_q2d(format->streams[video.stream]->avg_frame_rate);
  out->video_codec = video.codec->codec->name;
  out->audio_codec = audio.codec->codec->name;
  out->audio_rate = audio.codec->sample_rate;

  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* converter = nullptr;
  auto drain = [&](Decoder& d) {
    while (avcodec_receive_frame(d.codec, frame) >= 0) {
      if (&d == &audio) {
        append_audio(frame, &out->audio);
        continue;
      }
      converter =
          sws_getCachedContext(converter, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                               frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
      std::vector<uint8_t> rgb(static_cast<size_t>(frame->width) * frame->height * 3);
      uint8_t* planes[1] = {rgb.data()};
      const int strides[1] = {frame->width * 3};
      sws_scale(converter, frame->data, frame->linesize, 0, frame->height, planes, strides);
      out->frames.push_back(std::move(rgb));
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    Decoder* d = packet->stream_index == video.stream   ? &video
                 : packet->stream_index == audio.stream ? &audio
                                                        : nullptr;
    if (d != nullptr && avcodec_send_packet(d->codec, packet) >= 0) drain(*d);
    av_packet_unref(packet);
  }
  for (Decoder* d : {&video, &audio}) {
    avcodec_send_packet(d->codec, nullptr);
    drain(*d);
  }
  sws_freeContext(converter);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&video.codec);
  avcodec_free_context(&audio.codec);
  avformat_close_input(&format);
  return true;
}
