// The contract test's fixture for the scripted stand-in: any readable file
// makes its stream; "heard" is the script's position.
#include "tests/audio/music_contract_fixture.h"

#include "audio/scripted/scripted_music.h"
#include "tests/support/lame_encode.h"

#include <cstdio>
#include <string>

namespace music_contract {

namespace {

std::string known_file;

}  // namespace

void set_up() {
  scripted_music::reset();
  BASS_Init(1, known_rate, 0, nullptr, nullptr);
}

void tear_down() {
  scripted_music::reset();
  if (!known_file.empty()) std::remove(known_file.c_str());
  known_file.clear();
}

HSTREAM make_stream() {
  if (known_file.empty()) {
    known_file = temp_path("contract.mp3");
    if (!write_file(known_file, {0xff, 0xfb, 0x90, 0x00})) return 0;
  }
  return BASS_StreamCreateFile(0, known_file.c_str(), 0, 0, BASS_SAMPLE_LOOP);
}

bool play_until_heard(HSTREAM handle) {
  scripted_music::set_position_seconds(0.5);
  scripted_music::set_bass(0.25f);
  return BASS_StreamPlay(handle, 0, BASS_SAMPLE_LOOP) != 0 && BASS_ChannelGetPosition(handle) != 0;
}

const char* missing_file() { return "/nonexistent/zarnic/orvu.mp3"; }

}  // namespace music_contract
