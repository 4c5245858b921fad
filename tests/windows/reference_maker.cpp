// Built for the build machine, not for Windows: writes the MP3 files the
// Windows tests decode and libmpg123's gapless decode of each, plus the
// spectrum of the test tone computed by the Linux build's band-level code.
//   reference_maker OUT_DIR DEMO_MP3
#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/band_levels.h"
#include "audio/mpg123_format.h"
#include "tests/support/lame_encode.h"
#include "tests/windows/reference_set.h"

namespace {

constexpr double pi = 3.14159265358979323846;

std::vector<int16_t> make_tone(int frames, int rate, int channels) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double v = tone_bass_amplitude * std::sin(2 * pi * tone_bass_hz * t) +
                     tone_high_amplitude * std::sin(2 * pi * tone_high_hz * t);
    for (int c = 0; c < channels; ++c) pcm[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(32767 * v);
  }
  return pcm;
}

bool decode(const std::string& path, std::vector<int16_t>* out, int* rate, int* channels) {
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  if (mh == nullptr) return false;
  long r = 0;
  int c = 0, encoding = 0;
  // 16-bit at the file's own rate and channels, as the demo decodes.
  bool ok = ask_for_16_bit_output(mh) && mpg123_open(mh, path.c_str()) == MPG123_OK &&
            mpg123_getformat(mh, &r, &c, &encoding) == MPG123_OK;
  unsigned char chunk[16384];
  size_t done = 0;
  int result = MPG123_OK;
  while (ok && (result = mpg123_read(mh, chunk, sizeof chunk, &done)) == MPG123_OK) {
    const int16_t* s = reinterpret_cast<const int16_t*>(chunk);
    out->insert(out->end(), s, s + done / 2);
  }
  if (ok && result == MPG123_DONE) {
    const int16_t* s = reinterpret_cast<const int16_t*>(chunk);
    out->insert(out->end(), s, s + done / 2);
  }
  ok = ok && result == MPG123_DONE;
  mpg123_close(mh);
  mpg123_delete(mh);
  *rate = static_cast<int>(r);
  *channels = c;
  return ok;
}

// Stereo at from_rate to `channels` at to_rate: linear interpolation, and
// the mean of both channels for mono.
std::vector<int16_t> convert(const std::vector<int16_t>& stereo, int from_rate, int to_rate, int channels) {
  const size_t in_frames = stereo.size() / 2;
  const size_t out_frames = static_cast<size_t>(static_cast<double>(in_frames) * to_rate / from_rate);
  std::vector<int16_t> out;
  out.reserve(out_frames * channels);
  for (size_t i = 0; i < out_frames; ++i) {
    const double at = static_cast<double>(i) * from_rate / to_rate;
    const size_t a = static_cast<size_t>(at);
    const size_t b = a + 1 < in_frames ? a + 1 : a;
    const double t = at - static_cast<double>(a);
    double v[2];
    for (int c = 0; c < 2; ++c) v[c] = stereo[a * 2 + c] * (1 - t) + stereo[b * 2 + c] * t;
    if (channels == 1) {
      out.push_back(static_cast<int16_t>(std::lround((v[0] + v[1]) / 2)));
    } else {
      out.push_back(static_cast<int16_t>(std::lround(v[0])));
      out.push_back(static_cast<int16_t>(std::lround(v[1])));
    }
  }
  return out;
}

bool write_bytes(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

bool copy_file(const std::string& from, const std::string& to) {
  std::FILE* f = std::fopen(from.c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return write_file(to, bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: reference_maker OUT_DIR DEMO_MP3\n");
    return 2;
  }
  const std::string dir = argv[1];
#if MPG123_API_VERSION < 46
  mpg123_init();
#endif
  for (const ReferenceTrack& track : reference_tracks) {
    const std::string mp3 = dir + "/" + track.name + ".mp3";
    if (track.seconds > 0) {
      const int frames = static_cast<int>(track.seconds * track.rate);
      const std::string name = track.name;
      const std::vector<int16_t> pcm = name == "tone" ? make_tone(frames, track.rate, track.channels)
                                                      : make_test_signal(frames, track.rate, track.channels);
      if (!write_file(mp3, encode_mp3(pcm, track.rate, track.channels))) return 1;
    } else if (!copy_file(argv[2], mp3)) {
      return 1;
    }
    std::vector<int16_t> decoded;
    int rate = 0, channels = 0;
    if (!decode(mp3, &decoded, &rate, &channels) || rate != track.rate || channels != track.channels) {
      std::fprintf(stderr, "reference_maker: cannot decode %s\n", mp3.c_str());
      return 1;
    }
    if (!write_bytes(dir + "/" + track.name + ".raw", decoded.data(), decoded.size() * sizeof(int16_t))) return 1;
    std::printf("%s: %zu frames at %d Hz, %d channels\n", track.name, decoded.size() / channels, rate, channels);
    if (std::string(track.name) == "orvu") {
      for (const MusicFormat& f : show_music_formats) {
        const std::vector<unsigned char> mp3 =
            encode_mp3(convert(decoded, rate, f.rate, f.channels), f.rate, f.channels);
        if (mp3.empty() || !write_file(dir + "/" + f.name + ".mp3", mp3)) return 1;
      }
    }

    if (std::string(track.name) == "tone") {
      std::vector<float> spectra;
      for (int64_t centre : spectrum_centres) {
        float window[spectrum_input_samples];
        float bands[spectrum_bands];
        mono_window(decoded, channels, centre, window);
        compute_spectrum(window, bands);
        spectra.insert(spectra.end(), bands, bands + spectrum_bands);
      }
      if (!write_bytes(dir + "/tone.spectrum", spectra.data(), spectra.size() * sizeof(float))) return 1;
    }
  }
  // The cut file: whatever its tag promises, what libmpg123 makes of it.
  std::FILE* whole = std::fopen((dir + "/stereo44.mp3").c_str(), "rb");
  if (whole == nullptr) return 1;
  std::vector<unsigned char> cut(cut_bytes);
  const bool read = std::fread(cut.data(), 1, cut.size(), whole) == cut.size();
  std::fclose(whole);
  if (!read || !write_file(dir + "/cut.mp3", cut)) return 1;
  std::vector<int16_t> decoded;
  int rate = 0, channels = 0;
  decode(dir + "/cut.mp3", &decoded, &rate, &channels);
  if (decoded.empty() || !write_bytes(dir + "/cut.raw", decoded.data(), decoded.size() * sizeof(int16_t))) return 1;
  std::printf("cut: %zu frames\n", decoded.size() / 2);
  return 0;
}
