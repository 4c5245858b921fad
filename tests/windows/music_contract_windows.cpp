// The music contract test's fixture for the Windows music layer: the ACM
// decoder, the ACM PCM converter and the waveOut output (silent here, with
// no sound card), playing a LAME-encoded test file made at build time.
#include "audio/output.h"
#include "audio/stream.h"
#include "tests/audio/music_contract_fixture.h"
#include "tests/windows/reference_files.h"

#include <string>

namespace music_contract {

void set_up() { BASS_Init(0, known_rate, 0, nullptr, nullptr); }

void tear_down() {
  close_output();
  forget_streams();
}

HSTREAM make_stream() {
  static const std::string known_file = reference_path("stereo44.mp3");
  return BASS_StreamCreateFile(0, known_file.c_str(), 0, 0, BASS_SAMPLE_LOOP);
}

bool play_until_heard(HSTREAM handle) { return play_until_position_moves(handle); }

const char* missing_file() { return "C:\\nonexistent\\zarnic\\orvu.mp3"; }

}  // namespace music_contract
