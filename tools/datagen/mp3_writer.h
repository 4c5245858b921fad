// MP3 encoding through LAME with every setting fixed, and the LAME/Xing tag
// frame filled in after encoding, so decoders drop the encoder's delay and
// padding and the decoded stream is exactly as long as the source (needed
// for a seamless loop).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/synth.h"

// 44.1 kHz joint stereo, constant 160 kbit/s, no ID3 tag. Empty on failure.
std::vector<uint8_t> encode_mp3(const LoopBuffer& music);
