#include <vantor/platform/data/sample_database.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

class EnsureSampleDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("ensure_sample_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The names in `folder`, so that a file left behind shows.
  static std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  std::vector<std::string> notices_;
  SampleDatabaseNotice notice_ = [this](const std::string& path) { notices_.push_back(path); };
};

TEST_F(EnsureSampleDatabaseTest, WritesAMissingFileOnceIntoANewFolderAndLeavesNothingElse) {
  const std::string path = (dir_ / "cache" / "sample.db").string();
  ASSERT_TRUE(EnsureSampleDatabase(path, notice_, 40, 5));
  EXPECT_EQ(notices_, std::vector<std::string>{path});
  EXPECT_EQ(Listing(dir_ / "cache"), std::vector<std::string>{"sample.db"});
  TSQLiteTable customers(nullptr);
  customers.SetDatabaseName(path);
  customers.SetTableName("customers");
  customers.Open();
  EXPECT_EQ(customers.RecordCount(), 40);
  customers.Close();

  // A file already there is the sample, whatever its size: it is neither told about nor
  // written again.
  const auto written = fs::last_write_time(path);
  EXPECT_FALSE(EnsureSampleDatabase(path, notice_, 80, 5));
  EXPECT_EQ(notices_.size(), 1u);
  EXPECT_EQ(fs::last_write_time(path), written);
}

TEST_F(EnsureSampleDatabaseTest, AFolderThatCannotBeMadeIsADatabaseErrorBeforeAnyNotice) {
  fs::create_directories(dir_);
  std::ofstream(dir_ / "plain_file") << "not a folder";
  const std::string path = (dir_ / "plain_file" / "sample.db").string();
  try {
    EnsureSampleDatabase(path, notice_, 10, 1);
    FAIL() << "no error for " << path;
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"plain_file"});
}

}  // namespace
}  // namespace vantor
