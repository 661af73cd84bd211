// The folders under src/ are layers, and dependencies point down: a header or source may
// include its own layer and the layers below it, never one above. A lower layer that needs
// to talk upward declares an interface of its own (the criteria model's owner interface) and
// the upper layer implements it. This test reads every source file and holds each include
// of a library header against the table below, so an upward include fails the suite instead
// of surfacing later as a link cycle.
//
// The library's headers are included as users include them, <vantor/engines/filter_panel.h>,
// everywhere: in the library, its tests, benchmarks, examples and fuzz targets. A file that
// still names one the old way ("engines/filter_panel.h", or beside itself) fails here with
// the line to write instead (scripts/vantor_includes.sh rewrites such files).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
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
    t["platform/data/postgres"] = {"platform/rtl", "platform/core", "platform/data", "platform/data/postgres"};
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
  // The window-system backends and the PostgreSQL data sets sit in folders below the
  // control and data layers but are layers above them.
  for (const std::string backend : {"platform/ui/raster", "platform/ui/x11", "platform/data/postgres"}) {
    if (relative.starts_with(backend + "/")) return backend;
  }
  return relative.substr(0, second);
}

struct Violation {
  std::string file;
  std::string include;
};

// The file an include line names, as written between its quotes or angle brackets.
struct Include {
  std::string path;
  bool quoted = false;
};

// The include on `line`, if it is one.
std::optional<Include> IncludeOn(const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return std::nullopt;
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return std::nullopt;
  const std::size_t open = line.find_first_not_of(" \t", i + 7);
  if (open == std::string::npos || (line[open] != '"' && line[open] != '<')) return std::nullopt;
  const char closing = line[open] == '"' ? '"' : '>';
  const std::size_t close = line.find(closing, open + 1);
  if (close == std::string::npos) return std::nullopt;
  return Include{line.substr(open + 1, close - open - 1), closing == '"'};
}

// The file named by a quoted include on `line` ("" for any other line).
std::string QuotedInclude(const std::string& line) {
  const auto include = IncludeOn(line);
  return include && include->quoted ? include->path : std::string();
}

// The library header below src/ that an include of the user's form, <vantor/x>, names
// ("" for any other line).
std::string LibraryInclude(const std::string& line) {
  const auto include = IncludeOn(line);
  if (!include || include->quoted || include->path.rfind("vantor/", 0) != 0) return {};
  return include->path.substr(7);
}

bool IsSourceFile(const fs::path& path) {
  const auto ext = path.extension();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

std::vector<Violation> UpwardIncludes(const fs::path& src) {
  std::vector<Violation> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file() || !IsSourceFile(entry.path())) continue;
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
      std::string target = LibraryInclude(line);
      if (target.empty()) target = QuotedInclude(line);
      const std::string target_layer = LayerOf(target);
      // An include without a folder names a file beside the includer.
      if (target_layer.empty() || allowed->second.count(target_layer) != 0) continue;
      found.push_back({relative, target});
    }
  }
  return found;
}

// Every quoted include, in the files below `tree`, that names a header of the library under
// `src`: by its path below src/, by <vantor/...> in quotes, or (in the library itself) by its
// name beside the includer. Includes of a tree's own files ("support/people.h") are left be.
std::vector<Violation> OldFormIncludes(const fs::path& src, const fs::path& tree) {
  std::vector<Violation> found;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (!entry.is_regular_file() || !IsSourceFile(entry.path())) continue;
    const bool in_library = tree == src;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      std::string path = QuotedInclude(line);
      if (path.empty()) continue;
      if (path.rfind("vantor/", 0) == 0) path = path.substr(7);
      const bool names_library_header =
          fs::is_regular_file(src / path) ||
          (in_library && path.find('/') == std::string::npos &&
           fs::is_regular_file(entry.path().parent_path() / path));
      if (!names_library_header) continue;
      const std::string header =
          fs::is_regular_file(src / path)
              ? path
              : fs::relative(entry.path().parent_path() / path, src).generic_string();
      found.push_back({fs::relative(entry.path(), tree.parent_path()).generic_string(),
                       "#include <vantor/" + header + ">"});
    }
  }
  return found;
}

TEST(Layers, LibraryHeadersAreIncludedAsUsersIncludeThem) {
  const fs::path root = VANTOR_SOURCE_DIR;
  const fs::path src = root / "src";
  ASSERT_TRUE(fs::is_directory(src)) << src;
  std::size_t count = 0;
  for (const char* tree : {"src", "tests", "bench", "examples", "fuzz"}) {
    if (!fs::is_directory(root / tree)) continue;
    for (const auto& v : OldFormIncludes(src, root / tree)) {
      ADD_FAILURE() << v.file << ": write " << v.include;
      ++count;
    }
  }
  EXPECT_EQ(count, 0u) << "scripts/vantor_includes.sh rewrites these";
}

// A small source tree in the temporary folder, removed when the test ends.
class ScratchTree {
 public:
  ScratchTree() : root_(fs::temp_directory_path() / ("vantor_layers_" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
  }
  ~ScratchTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  void Write(const std::string& path, const std::string& text) const {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << text;
  }
  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
};

std::set<std::string> Listed(const std::vector<Violation>& violations) {
  std::set<std::string> out;
  for (const auto& v : violations) out.insert(v.file + ": " + v.include);
  return out;
}

TEST(Layers, OldFormIncludesOfLibraryHeadersAreFound) {
  ScratchTree tree;
  tree.Write("src/platform/rtl/utf8.h", "#pragma once\n");
  tree.Write("src/engines/find_panel.h", "#pragma once\n#include <vantor/platform/rtl/utf8.h>\n");
  tree.Write("src/engines/filter_panel.h", "#pragma once\n  #  include \"find_panel.h\"  // beside it\n");
  tree.Write("src/engines/filter_panel.cpp", "#include \"vantor/engines/filter_panel.h\"\n#include <vector>\n");
  tree.Write("tests/engines/support/harness.h", "#pragma once\n");
  tree.Write("tests/engines/filter_test.cpp",
             "#include \"engines/support/harness.h\"\n#include \"platform/rtl/utf8.h\"\n"
             "#include <vantor/engines/filter_panel.h>\n// #include \"engines/find_panel.h\"\n");
  const fs::path src = tree.Root() / "src";
  EXPECT_EQ(Listed(OldFormIncludes(src, src)),
            (std::set<std::string>{"src/engines/filter_panel.h: #include <vantor/engines/find_panel.h>",
                                   "src/engines/filter_panel.cpp: #include <vantor/engines/filter_panel.h>"}));
  EXPECT_EQ(Listed(OldFormIncludes(src, tree.Root() / "tests")),
            (std::set<std::string>{"tests/engines/filter_test.cpp: #include <vantor/platform/rtl/utf8.h>"}));
}

TEST(Layers, UpwardIncludesAreFoundInEitherForm) {
  ScratchTree tree;
  tree.Write("src/platform/rtl/utf8.h", "#include <vantor/engines/find_panel.h>\n");
  tree.Write("src/platform/core/stream.h", "#include \"platform/ui/form.h\"\n#include <vantor/platform/rtl/utf8.h>\n");
  tree.Write("src/engines/find_panel.h", "#include <vantor/platform/rtl/utf8.h>\n#include <vantor/version.h>\n");
  EXPECT_EQ(Listed(UpwardIncludes(tree.Root() / "src")),
            (std::set<std::string>{"platform/rtl/utf8.h: engines/find_panel.h",
                                   "platform/core/stream.h: platform/ui/form.h"}));
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
  EXPECT_EQ(LibraryInclude("#include <vantor/panel/x.h>"), "panel/x.h");
  EXPECT_EQ(LibraryInclude("#include <vector>"), "");
  EXPECT_EQ(LibraryInclude("#include \"vantor/panel/x.h\""), "");
  EXPECT_EQ(LayerOf(LibraryInclude("#include <vantor/platform/ui/form.h>")), "platform/ui");
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
