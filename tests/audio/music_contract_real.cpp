// The contract test's fixture for the real music layer: a LAME-encoded
// file of the test signal, played through the silent output.
#include "tests/audio/music_contract_fixture.h"

#include "audio/output.h"
#include "audio/stream.h"
#include "tests/support/lame_encode.h"

#include <cstdio>
#include <string>

namespace music_contract {

namespace {

std::string known_file;

}  // namespace

void set_up() { BASS_Init(0, known_rate, 0, nullptr, nullptr); }

void tear_down() {
  close_output();
  forget_streams();
  if (!known_file.empty()) std::remove(known_file.c_str());
  known_file.clear();
}

HSTREAM make_stream() {
  if (known_file.empty()) {
    known_file = temp_path("contract.mp3");
    const int frames = known_rate * 2;
    if (!write_file(known_file,
                    encode_mp3(make_test_signal(frames, known_rate, known_channels), known_rate, known_channels)))
      return 0;
  }
  return BASS_StreamCreateFile(0, known_file.c_str(), 0, 0, BASS_SAMPLE_LOOP);
}

bool play_until_heard(HSTREAM handle) { return play_until_position_moves(handle); }

const char* missing_file() { return "/nonexistent/zarnic/orvu.mp3"; }

}  // namespace music_contract
