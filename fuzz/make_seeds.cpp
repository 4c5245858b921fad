// Writes the seed corpora of the fuzz targets, small valid inputs of every
// kind the readers meet, made with the project's own mesh and JPEG writers
// and LAME:
//   fuzz_make_seeds OUT_DIR
// creates OUT_DIR/mesh, OUT_DIR/picture (one leading byte that picks the
// largest texture size, then a JPEG) and OUT_DIR/mp3. Deterministic.
#include <lame/lame.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/datagen/image.h"
#include "tools/datagen/jpeg_writer.h"
#include "tools/datagen/mesh_heart.h"
#include "tools/datagen/mesh_writer.h"
#include "tests/support/mesh_samples.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

bool write_file(const fs::path& path, const Bytes& bytes) {
  if (bytes.empty()) {
    std::fprintf(stderr, "empty seed %s\n", path.c_str());
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool write_meshes(const fs::path& dir) {
  bool ok = true;
  MeshData empty;
  ok &= write_file(dir / "empty.b3df", encode_mesh(empty));

  const MeshData triangle = one_triangle();
  ok &= write_file(dir / "triangle.b3df", encode_mesh(triangle));

  Bytes trailing = encode_mesh(triangle);
  trailing.insert(trailing.end(), {'B', 'C', 'L', 0, 0, 0, 0});
  ok &= write_file(dir / "trailing.b3df", trailing);

  ok &= write_file(dir / "heart_small.b3df", encode_mesh(make_heart_mesh(6, 4)));
  ok &= write_file(dir / "heart_medium.b3df", encode_mesh(make_heart_mesh(12, 8)));
  return ok;
}

Image gradient(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.at(x, y) = Rgb{static_cast<float>(x) / width, static_cast<float>(y) / height, 0.5f};
    }
  }
  return image;
}

// JPEG variants the project's writer does not make: subsampled, grey,
// progressive.
Bytes turbo_jpeg(int width, int height, int subsampling, int flags) {
  const Bytes rgb = gradient(width, height).to_rgb8();
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  Bytes bytes;
  if (tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, 75, flags) == 0) {
    bytes.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  tjDestroy(handle);
  return bytes;
}

bool write_picture(const fs::path& path, uint8_t size_selector, const Bytes& jpeg) {
  if (jpeg.empty()) return write_file(path, {});
  Bytes seed{size_selector};
  seed.insert(seed.end(), jpeg.begin(), jpeg.end());
  return write_file(path, seed);
}

bool write_pictures(const fs::path& dir) {
  bool ok = true;
  ok &= write_picture(dir / "1x1.bin", 3, encode_jpeg(gradient(1, 1)));
  ok &= write_picture(dir / "3x5.bin", 4, encode_jpeg(gradient(3, 5)));
  ok &= write_picture(dir / "40x30.bin", 2, encode_jpeg(gradient(40, 30)));
  ok &= write_picture(dir / "70x20_cap1.bin", 0, encode_jpeg(gradient(70, 20)));
  ok &= write_picture(dir / "33x17_420.bin", 3, turbo_jpeg(33, 17, TJSAMP_420, 0));
  ok &= write_picture(dir / "24x24_grey.bin", 3, turbo_jpeg(24, 24, TJSAMP_GRAY, 0));
  ok &= write_picture(dir / "48x32_progressive.bin", 3, turbo_jpeg(48, 32, TJSAMP_422, TJFLAG_PROGRESSIVE));
  return ok;
}

// A short stereo or mono tone, encoded with its LAME tag (the encoder delay
// and padding the decoder removes).
Bytes tone_mp3(int rate, int channels, double seconds, bool vbr) {
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, channels);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  if (vbr) {
    lame_set_VBR(lame, vbr_default);
    lame_set_VBR_quality(lame, 6);
  } else {
    lame_set_brate(lame, 64);
  }
  lame_set_bWriteVbrTag(lame, 1);
  Bytes out;
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return out;
  }
  const int frames = static_cast<int>(rate * seconds);
  std::vector<short> pcm(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const short v = static_cast<short>(8000 * std::sin(2 * M_PI * 55.0 * t) * (1.0 - std::fmod(t * 2, 1.0)));
    for (int c = 0; c < channels; ++c) pcm[static_cast<size_t>(i) * channels + c] = v;
  }
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * frames + 7200));
  int written =
      channels == 1
          ? lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, buffer.data(), static_cast<int>(buffer.size()))
          : lame_encode_buffer_interleaved(lame, pcm.data(), frames, buffer.data(), static_cast<int>(buffer.size()));
  if (written >= 0) out.assign(buffer.begin(), buffer.begin() + written);
  written = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (written >= 0) out.insert(out.end(), buffer.begin(), buffer.begin() + written);
  // The tag frame replaces the placeholder LAME wrote first.
  const size_t tag_size = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
  if (tag_size > 0 && tag_size <= out.size()) std::copy_n(buffer.begin(), tag_size, out.begin());
  lame_close(lame);
  return out;
}

bool write_mp3s(const fs::path& dir) {
  bool ok = true;
  ok &= write_file(dir / "stereo_44k_cbr.mp3", tone_mp3(44100, 2, 0.25, false));
  ok &= write_file(dir / "mono_22k_cbr.mp3", tone_mp3(22050, 1, 0.3, false));
  ok &= write_file(dir / "stereo_48k_vbr.mp3", tone_mp3(48000, 2, 0.2, true));
  ok &= write_file(dir / "mono_8k_vbr.mp3", tone_mp3(8000, 1, 0.5, true));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  for (const char* sub : {"mesh", "picture", "mp3"}) fs::create_directories(out / sub);
  const bool ok = write_meshes(out / "mesh") && write_pictures(out / "picture") && write_mp3s(out / "mp3");
  return ok ? 0 : 1;
}
