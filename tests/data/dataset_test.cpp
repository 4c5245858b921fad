// The generator, run as a program into a fresh directory, writes exactly
// the committed data set: same files, same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "tests/data/data_files.h"

namespace fs = std::filesystem;

namespace {

const char* const data_file_names[] = {"obj.b3df", "texture.jpg", "serce.jpg", "ip.jpg",  "cover.jpg",
                                       "c.jpg",    "credits.jpg", "part.jpg",  "env.jpg", "orvu.mp3"};

class GeneratedDataSet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new TempFolder("datagen");
    out_dir = folder->path();
    ASSERT_FALSE(out_dir.empty());
    const std::string command = std::string(ZARNIC_DATAGEN_EXE) + " " + out_dir + " > " + out_dir + "/log 2>&1";
    exit_code = std::system(command.c_str());
  }
  static void TearDownTestSuite() { delete folder; }

  static TempFolder* folder;
  static std::string out_dir;
  static int exit_code;
};

TempFolder* GeneratedDataSet::folder = nullptr;
std::string GeneratedDataSet::out_dir;
int GeneratedDataSet::exit_code = -1;

TEST_F(GeneratedDataSet, ReproducesEveryCommittedFileByteForByte) {
  ASSERT_EQ(exit_code, 0) << "see " << out_dir << "/log";
  for (const char* name : data_file_names) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> committed = read_file(data_path(name));
    const std::vector<uint8_t> generated = read_file(out_dir + "/" + name);
    ASSERT_FALSE(committed.empty());
    ASSERT_EQ(generated.size(), committed.size());
    EXPECT_TRUE(generated == committed);
  }
}

TEST_F(GeneratedDataSet, WritesNothingElseAndDataHoldsNothingElse) {
  ASSERT_EQ(exit_code, 0);
  const std::set<std::string> expected(std::begin(data_file_names), std::end(data_file_names));
  std::set<std::string> generated, committed;
  for (const auto& entry : fs::directory_iterator(out_dir))
    if (entry.path().filename() != "log") generated.insert(entry.path().filename().string());
  for (const auto& entry : fs::directory_iterator(ZARNIC_DATA_DIR)) committed.insert(entry.path().filename().string());
  EXPECT_EQ(generated, expected);
  EXPECT_EQ(committed, expected);
}

TEST(DataSetGenerator, FailsCleanlyOnAnUnwritableDirectory) {
  const std::string command = std::string(ZARNIC_DATAGEN_EXE) + " /nonexistent/zarnic-datagen > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(DataSetGenerator, KeepsTheDataSetSmall) {
  uintmax_t total = 0;
  for (const char* name : data_file_names) total += fs::file_size(data_path(name));
  EXPECT_LT(total, 1200u * 1024u);
}

}  // namespace
