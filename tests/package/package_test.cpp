// The library as a program includes it: everything through <vantor/vantor.h> (so every
// header compiles together with every other), the version of the headers and of the
// library, and the umbrella headers that stand for each layer.

#include <vantor/vantor.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The headers an umbrella header includes, as written after "vantor/".
std::set<std::string> IncludedBy(const fs::path& umbrella) {
  std::set<std::string> out;
  std::ifstream in(umbrella);
  std::string line;
  const std::string head = "#include <vantor/";
  while (std::getline(in, line)) {
    if (line.rfind(head, 0) == 0 && line.back() == '>') {
      out.insert(line.substr(head.size(), line.size() - head.size() - 1));
    }
  }
  return out;
}

// The public headers below src/vantor/<folder> (its internal/ folder left out), as paths
// below src/vantor/.
std::set<std::string> HeadersIn(const fs::path& library, const std::string& folder) {
  std::set<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(library / folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".h") {
      const std::string path = fs::relative(entry.path(), library).generic_string();
      if (path.find("/internal/") == std::string::npos) out.insert(path);
    }
  }
  return out;
}

TEST(Package, TheLibraryIsTheVersionOfItsHeaders) {
  EXPECT_STREQ(vantor::Version(), VANTOR_VERSION);
  EXPECT_STREQ(VANTOR_VERSION, VANTOR_PROJECT_VERSION);
  const std::string parts = std::to_string(VANTOR_VERSION_MAJOR) + "." + std::to_string(VANTOR_VERSION_MINOR) +
                            "." + std::to_string(VANTOR_VERSION_PATCH);
  EXPECT_EQ(parts, VANTOR_VERSION);
}

TEST(Package, EachLayerUmbrellaIncludesEveryHeaderOfItsLayer) {
  const fs::path src = fs::path(VANTOR_SOURCE_DIR) / "src" / "vantor";
  const fs::path include = fs::path(VANTOR_GENERATED_INCLUDE_DIR) / "vantor";
  std::vector<std::string> layers;
  for (const auto& entry : fs::directory_iterator(src)) {
    if (!entry.is_directory()) continue;
    const std::string name = entry.path().filename().string();
    if (name != "platform") {
      layers.push_back(name);
      continue;
    }
    for (const auto& sub : fs::directory_iterator(entry.path())) {
      if (sub.is_directory()) layers.push_back("platform/" + sub.path().filename().string());
    }
  }
  ASSERT_FALSE(layers.empty());
  const std::set<std::string> everything = IncludedBy(include / "vantor.h");
  EXPECT_TRUE(everything.count("version.h")) << "vantor.h does not include the version";
  for (const std::string& layer : layers) {
    const std::set<std::string> headers = HeadersIn(src, layer);
    if (headers.empty()) continue;
    const fs::path umbrella = include / (layer + ".h");
    ASSERT_TRUE(fs::is_regular_file(umbrella)) << umbrella;
    EXPECT_EQ(IncludedBy(umbrella), headers) << umbrella;
    EXPECT_TRUE(everything.count(layer + ".h")) << "vantor.h does not include " << layer << ".h";
    if (layer.rfind("platform/", 0) == 0) {
      EXPECT_TRUE(IncludedBy(include / "platform.h").count(layer + ".h")) << "platform.h lacks " << layer;
    }
  }
}

}  // namespace
