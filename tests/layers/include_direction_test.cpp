// The folders under src/ are layers, and dependencies point down: a header or source may
// include its own layer and the layers below it, never one above. A lower layer that needs
// to talk upward declares an interface of its own (the criteria model's owner interface) and
// the upper layer implements it. This test reads every source file and holds each quoted
// include against the table below, so an upward include fails the suite instead of
// surfacing later as a link cycle.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Layer -> the layers it may include (itself included).
const std::map<std::string, std::set<std::string>>& AllowedIncludes() {
  static const std::map<std::string, std::set<std::string>> table = [] {
    std::map<std::string, std::set<std::string>> t;
    t["platform/rtl"] = {"platform/rtl"};
    t["platform/core"] = {"platform/rtl", "platform/core"};
    t["platform/data"] = {"platform/rtl", "platform/core", "platform/data"};
    t["platform/ui"] = {"platform/rtl", "platform/core", "platform/ui"};
    t["platform/design"] = {"platform/rtl", "platform/core", "platform/ui", "platform/design"};
    t["platform/ui/raster"] = {"platform/rtl", "platform/core", "platform/ui", "platform/ui/raster"};
    t["platform/ui/x11"] = {"platform/rtl", "platform/core", "platform/ui", "platform/ui/raster",
                            "platform/ui/x11"};
    t["platform/dbctrls"] = {"platform/rtl", "platform/core", "platform/data", "platform/ui",
                             "platform/dbctrls"};
    t["resources"] = {"platform/rtl", "platform/core", "resources"};
    const std::set<std::string> platform = {"platform/rtl", "platform/core", "platform/data",
                                            "platform/ui", "resources"};
    t["criteria"] = platform;
    t["criteria"].insert("criteria");
    t["panel"] = t["criteria"];
    t["panel"].insert("panel");
    t["engines"] = t["panel"];
    t["engines"].insert("engines");
    t["dialogs"] = t["engines"];
    t["dialogs"].insert("dialogs");
    t["designtime"] = t["dialogs"];
    t["designtime"].insert({"designtime", "platform/design"});
    return t;
  }();
  return table;
}

// The layer a path below src/ belongs to: "platform/<x>" or the first folder; "" for a
// file directly in src/.
std::string LayerOf(const std::string& relative) {
  const auto slash = relative.find('/');
  if (slash == std::string::npos) return {};
  const std::string first = relative.substr(0, slash);
  if (first != "platform") return first;
  const auto second = relative.find('/', slash + 1);
  if (second == std::string::npos) return {};
  // The window-system backends sit in folders below the control layer but are layers
  // above it.
  for (const std::string backend : {"platform/ui/raster", "platform/ui/x11"}) {
    if (relative.starts_with(backend + "/")) return backend;
  }
  return relative.substr(0, second);
}

struct Violation {
  std::string file;
  std::string include;
};

// The file named by a quoted include on `line` ("" for any other line).
std::string QuotedInclude(const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return {};
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return {};
  const std::size_t open = line.find_first_not_of(" \t", i + 7);
  if (open == std::string::npos || line[open] != '"') return {};
  const std::size_t close = line.find('"', open + 1);
  return close == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
}

std::vector<Violation> UpwardIncludes(const fs::path& src) {
  std::vector<Violation> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const auto ext = entry.path().extension();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string relative = fs::relative(entry.path(), src).generic_string();
    const std::string layer = LayerOf(relative);
    const auto allowed = AllowedIncludes().find(layer);
    if (allowed == AllowedIncludes().end()) {
      found.push_back({relative, "(folder missing from the layer table)"});
      continue;
    }
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      const std::string target = QuotedInclude(line);
      const std::string target_layer = LayerOf(target);
      // An include without a folder names a file beside the includer.
      if (target_layer.empty() || allowed->second.count(target_layer) != 0) continue;
      found.push_back({relative, target});
    }
  }
  return found;
}

TEST(Layers, NoLayerIncludesOneAboveIt) {
  const fs::path src = VANTOR_SOURCE_DIR "/src";
  ASSERT_TRUE(fs::is_directory(src)) << src;
  const auto violations = UpwardIncludes(src);
  for (const auto& v : violations) ADD_FAILURE() << v.file << " includes \"" << v.include << '"';
  EXPECT_TRUE(violations.empty());
}

TEST(Layers, IncludesAreReadAsTheCompilerReadsThem) {
  EXPECT_EQ(QuotedInclude("#include \"platform/ui/form.h\""), "platform/ui/form.h");
  EXPECT_EQ(QuotedInclude("  #  include \"panel/x.h\"  // why"), "panel/x.h");
  EXPECT_EQ(QuotedInclude("#include <vector>"), "");
  EXPECT_EQ(QuotedInclude("// #include \"panel/x.h\""), "");
  EXPECT_EQ(LayerOf("platform/ui/form.h"), "platform/ui");
  EXPECT_EQ(LayerOf("criteria/field_record.h"), "criteria");
  EXPECT_EQ(LayerOf("version.h"), "");
  EXPECT_EQ(LayerOf("platform/ui/raster/render.h"), "platform/ui/raster");
  EXPECT_EQ(LayerOf("platform/ui/x11/x11_host.h"), "platform/ui/x11");
}

TEST(Layers, TheTablePointsDown) {
  // The table itself points down: every layer a layer may include may include no more
  // than it (so the relation is a partial order, never a cycle).
  for (const auto& [layer, allowed] : AllowedIncludes()) {
    for (const auto& lower : allowed) {
      if (lower == layer) continue;
      const auto& below = AllowedIncludes().at(lower);
      EXPECT_EQ(below.count(layer), 0u) << lower << " and " << layer << " include each other";
      for (const auto& l : below) EXPECT_EQ(allowed.count(l), 1u) << layer << " lacks " << l << " of " << lower;
    }
  }
}

}  // namespace
