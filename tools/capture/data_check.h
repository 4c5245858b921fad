// The show's data after start-up: each element of data/ that did not load
// (missing or broken), named, since the show runs on without it as the live
// demo does and the video would otherwise lack it without a word.
#pragma once

#include <string>
#include <vector>

namespace capture {

// One line per element that did not load; empty when all did.
std::vector<std::string> missing_data();

}  // namespace capture
