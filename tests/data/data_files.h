// Reading the committed data set in tests.
#pragma once

#include <string>

#include "tests/support/files.h"

inline std::string data_path(const std::string& name) { return std::string(ZARNIC_DATA_DIR) + "/" + name; }
