// What every libmpg123 reader of the project asks for (the Linux decoder
// and the Windows tests' reference maker, which must decode as the demo
// does): signed 16-bit output at the file's own rate and channel count,
// gapless, printing nothing.
#pragma once

#include <mpg123.h>

#include <cstddef>

inline bool ask_for_16_bit_output(mpg123_handle* mh) {
  const long* rates = nullptr;
  size_t rate_count = 0;
  mpg123_rates(&rates, &rate_count);
  bool ok = mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) == MPG123_OK &&
            mpg123_format_none(mh) == MPG123_OK;
  for (size_t i = 0; ok && i < rate_count; ++i) {
    ok = mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK;
  }
  return ok;
}
