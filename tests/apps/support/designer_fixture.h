#pragma once
// What the designer's tests share: a scratch folder with a sample database, a registry
// store of their own (the fields editor keeps its window size there) and a clean
// application and scripted user for every test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <vantor/platform/core/registry.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/scripted_user.h>

namespace vantor::testing_support {

class DesignerFixture : public ::testing::Test {
 protected:
  // Called by each suite's SetUpTestSuite: a folder named after `stem` with a sample
  // database of `customers` customers.
  static void MakeFolder(const std::string& stem, int customers) {
    dir_ = std::filesystem::path(::testing::TempDir()) / (stem + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    CreateSampleDatabase(Path("sample.db"), customers, 10);
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
  void SetUp() override {
    TRegistry::SetStorePath(Path("registry.reg"));
    Application->Reset();
    ScriptedUser().Clear();
  }
  void TearDown() override {
    TRegistry::SetStorePath("");
    ScriptedUser().Clear();
  }

  static std::string Path(const std::string& name) { return (dir_ / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  inline static std::filesystem::path dir_;
};

}  // namespace vantor::testing_support
