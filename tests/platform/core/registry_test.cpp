#include <vantor/platform/core/registry.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantor {
namespace {

namespace fs = std::filesystem;

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("vantor_registry_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    path_ = (dir_ / "sub" / "registry").string();
    TRegistry::SetStorePath(path_);
  }
  void TearDown() override {
    TRegistry::SetStorePath("");
    if (fs::exists(dir_ / "sub")) fs::permissions(dir_ / "sub", fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string FileText() const {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
  std::string path_;
};

constexpr const char* kEditorKey = "Software\\Corvale\\Collection Editor\\TFieldsList";

TEST_F(Registry, ValuesWrittenUnderAKeyReadBackInAnotherRegistryObject) {
  {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(kEditorKey, false));
    ASSERT_TRUE(reg.OpenKey(kEditorKey, true));
    reg.WriteInteger("Width", 640);
    reg.WriteInteger("Height", -3);
    reg.WriteString("Caption", "tab\there\nline % done");
  }
  TRegistry reg;
  EXPECT_TRUE(reg.KeyExists("\\Software\\Corvale"));
  ASSERT_TRUE(reg.OpenKey(kEditorKey, false));
  EXPECT_TRUE(reg.ValueExists("width"));
  EXPECT_EQ(reg.ReadInteger("Width"), 640);
  EXPECT_EQ(reg.ReadInteger("Height"), -3);
  EXPECT_EQ(reg.ReadString("Caption"), "tab\there\nline % done");
  EXPECT_FALSE(reg.ValueExists("Left"));
}

TEST_F(Registry, MissingOrMistypedValuesRaiseAClearError) {
  TRegistry reg;
  reg.OpenKey(kEditorKey, true);
  reg.WriteString("Name", "x");
  try {
    reg.ReadInteger("Width");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_NE(e.Message().find("Value 'Width' does not exist in HKEY_CURRENT_USER\\Software"), std::string::npos)
        << e.Message();
  }
  EXPECT_THROW(reg.ReadInteger("Name"), ERegistryException);
  EXPECT_THROW(reg.ReadString("Nothing"), ERegistryException);
}

TEST_F(Registry, KeysAreRelativeToTheOpenKeyAndRootsAreSeparate) {
  TRegistry reg;
  reg.OpenKey("Software", true);
  reg.OpenKey("Corvale", true);
  EXPECT_EQ(reg.CurrentPath(), "Software\\Corvale");
  reg.WriteInteger("A", 1);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_FALSE(reg.KeyExists("Software\\Corvale"));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg.KeyExists("SOFTWARE\\corvale"));
  reg.CloseKey();
  EXPECT_FALSE(reg.ValueExists("A"));
}

TEST_F(Registry, DeleteValueAndDeleteKeyRemoveWhatTheyName) {
  TRegistry reg;
  reg.OpenKey("A\\B", true);
  reg.WriteInteger("V", 1);
  EXPECT_TRUE(reg.DeleteValue("V"));
  EXPECT_FALSE(reg.DeleteValue("V"));
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey("A"));
  EXPECT_FALSE(reg.KeyExists("A\\B"));
  EXPECT_FALSE(reg.DeleteKey("A"));
}

TEST_F(Registry, WritesReplaceTheFileAtomicallyAndLeaveNoTemporaryFile) {
  TRegistry reg;
  reg.OpenKey(kEditorKey, true);
  reg.WriteInteger("Width", 1);
  reg.WriteInteger("Width", 2);
  for (const auto& entry : fs::directory_iterator(dir_ / "sub")) {
    EXPECT_EQ(entry.path().filename(), "registry");
  }
  EXPECT_NE(FileText().find("Width\tI\t2"), std::string::npos) << FileText();
  // A directory that refuses the temporary file: the write fails, the old content stays.
  if (::geteuid() != 0) {
    fs::permissions(dir_ / "sub", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(reg.WriteInteger("Width", 3), ERegistryException);
    fs::permissions(dir_ / "sub", fs::perms::owner_write, fs::perm_options::add);
  } else {
    // Root ignores permissions: make the store path a directory so the rename fails.
    TRegistry::SetStorePath((dir_ / "sub").string());
    EXPECT_THROW(reg.WriteInteger("Width", 3), ERegistryException);
    TRegistry::SetStorePath(path_);
  }
  EXPECT_EQ(reg.ReadInteger("Width"), 2);
}

TEST_F(Registry, DamagedLinesInTheStoreAreSkipped) {
  fs::create_directories(dir_ / "sub");
  std::ofstream(path_) << "garbage\nK\tHKEY_CURRENT_USER\\K\nV\tGood\tI\t7\nV\tBad\tI\tx\nV\tOdd\tQ\t1\n";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", false));
  EXPECT_EQ(reg.ReadInteger("Good"), 7);
  EXPECT_FALSE(reg.ValueExists("Bad"));
  EXPECT_FALSE(reg.ValueExists("Odd"));
}

TEST_F(Registry, DefaultLocationFollowsXdgConfigHome) {
  TRegistry::SetStorePath("");
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(TRegistry::StorePath(), "/tmp/xdg-test/vantor/registry");
  if (old != nullptr) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  TRegistry::SetStorePath(path_);
}

}  // namespace
}  // namespace vantor
