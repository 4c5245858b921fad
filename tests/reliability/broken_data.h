// Broken copies of the demo's data, one per kind of bad input the demo must
// survive. Shared by the whole-program runs (through make_broken_data) and
// the in-process reader tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Every case, in the order the tests run them. "no-data" leaves no data
// directory at all; every other case copies the source data and breaks part
// of it.
const std::vector<std::string>& broken_data_cases();

// Makes work_dir/data for case_name from the files in source_data. False for
// an unknown case or when a file cannot be read or written.
bool make_broken_data(const std::string& case_name, const std::filesystem::path& source_data,
                      const std::filesystem::path& work_dir);
