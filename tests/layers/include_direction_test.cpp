// The folders under src/vantor/ are layers, and dependencies point down: a header or source
// may include its own layer and the layers below it, never one above. A lower layer that
// needs to talk upward declares an interface of its own (the criteria model's owner
// interface) and the upper layer implements it. The graph is the one the build states
// (the vantor_layer() calls, written to layers.txt); this test reads every source file and
// holds each include of a library header against it, so an upward include fails the suite
// instead of surfacing later as a link cycle.
//
// The library's headers are included as users include them, <vantor/engines/filter_panel.h>,
// which is also their path below src/: everywhere, in the library, its tests, benchmarks,
// examples and fuzz targets. A layer's internal/ headers are never included by a public one.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Graph = std::map<std::string, std::set<std::string>>;

// The graph as the build wrote it: "<folder>: <folder of a layer it links> ...", a line each.
Graph ReadGraph(std::istream& in) {
  Graph direct;
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::set<std::string>& below = direct[line.substr(0, colon)];
    std::istringstream rest(line.substr(colon + 1));
    for (std::string dir; rest >> dir;) below.insert(dir);
  }
  return direct;
}

// Layer -> the layers it may include: itself and everything it reaches through the graph.
Graph Allowed(const Graph& direct) {
  Graph allowed;
  for (const auto& [layer, below] : direct) {
    std::set<std::string>& reach = allowed[layer];
    std::vector<std::string> todo(below.begin(), below.end());
    while (!todo.empty()) {
      const std::string next = todo.back();
      todo.pop_back();
      if (!reach.insert(next).second) continue;
      if (const auto it = direct.find(next); it != direct.end()) todo.insert(todo.end(), it->second.begin(), it->second.end());
    }
    // A layer that reaches itself through others is a cycle: it stays out of its own set
    // here so that TheGraphHasNoCycle can say so.
    if (reach.count(layer) == 0) reach.insert(layer);
    else reach.insert("(cycle)");
  }
  return allowed;
}

const Graph& BuildGraph() {
  static const Graph graph = [] {
    std::ifstream in(VANTOR_LAYER_GRAPH);
    return ReadGraph(in);
  }();
  return graph;
}

const Graph& AllowedIncludes() {
  static const Graph allowed = Allowed(BuildGraph());
  return allowed;
}

// The layer a path below src/vantor/ belongs to: "platform/<x>" or the first folder; "" for
// a file directly in vantor/.
std::string LayerOf(const std::string& relative) {
  const auto slash = relative.find('/');
  if (slash == std::string::npos) return {};
  const std::string first = relative.substr(0, slash);
  if (first != "platform") return first;
  const auto second = relative.find('/', slash + 1);
  if (second == std::string::npos) return {};
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

// The library header below src/vantor/ that an include of the user's form, <vantor/x>,
// names ("" for any other line).
std::string LibraryInclude(const std::string& line) {
  const auto include = IncludeOn(line);
  if (!include || include->quoted || include->path.rfind("vantor/", 0) != 0) return {};
  return include->path.substr(7);
}

bool IsSourceFile(const fs::path& path) {
  const auto ext = path.extension();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

bool IsInternal(const std::string& relative) {
  return relative.find("/internal/") != std::string::npos;
}

// Calls `visit(file path relative to tree, line)` for every line of every source file below
// `tree`.
template <typename Visit>
void ForEachLine(const fs::path& tree, Visit visit) {
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (!entry.is_regular_file() || !IsSourceFile(entry.path())) continue;
    const std::string relative = fs::relative(entry.path(), tree).generic_string();
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) visit(relative, line);
  }
}

// Includes of a layer above the includer's, and includes of internal headers by public ones.
std::vector<Violation> WrongIncludes(const fs::path& library, const Graph& allowed) {
  std::vector<Violation> found;
  std::set<std::string> unknown;
  ForEachLine(library, [&](const std::string& relative, const std::string& line) {
    const std::string layer = LayerOf(relative);
    const auto may = allowed.find(layer);
    if (may == allowed.end()) {
      if (unknown.insert(relative).second) found.push_back({relative, "(folder missing from the layer graph)"});
      return;
    }
    const std::string target = LibraryInclude(line);
    const std::string target_layer = LayerOf(target);
    if (target_layer.empty()) return;
    if (may->second.count(target_layer) == 0) found.push_back({relative, target});
    if (IsInternal(target) && !IsInternal(relative) && relative.ends_with(".h")) {
      found.push_back({relative, target + " (internal, from a public header)"});
    }
  });
  return found;
}

// The headers the build generates rather than src/ holding them: the version, and one
// umbrella per layer beside the layer's folder (vantor/engines.h), platform.h and vantor.h.
bool IsGenerated(const fs::path& library, const std::string& header) {
  if (header == "version.h" || header == "vantor.h" || header == "platform.h") return true;
  if (!header.ends_with(".h")) return false;
  const std::string layer = header.substr(0, header.size() - 2);
  return LayerOf(layer + "/x.h") == layer && fs::is_directory(library / layer);
}

// Every include in the files below `tree` that does not name a library header by its path:
// <vantor/x> where src/vantor/x is missing, and a quoted include of a library header
// (by its path, in quotes, or in the library by its name beside the includer).
std::vector<Violation> MisnamedIncludes(const fs::path& library, const fs::path& tree, bool in_library) {
  std::vector<Violation> found;
  ForEachLine(tree, [&](const std::string& relative, const std::string& line) {
    const auto include = IncludeOn(line);
    if (!include) return;
    if (!include->quoted) {
      const std::string header = LibraryInclude(line);
      if (!header.empty() && !fs::is_regular_file(library / header) && !IsGenerated(library, header)) {
        found.push_back({relative, "<vantor/" + header + "> names no file"});
      }
      return;
    }
    std::string path = include->path;
    if (path.rfind("vantor/", 0) == 0) path = path.substr(7);
    std::string header;
    if (fs::is_regular_file(library / path)) {
      header = path;
    } else if (in_library && path.find('/') == std::string::npos) {
      const fs::path beside = (library / relative).parent_path() / path;
      if (fs::is_regular_file(beside)) header = fs::relative(beside, library).generic_string();
    }
    if (!header.empty()) found.push_back({relative, "write #include <vantor/" + header + ">"});
  });
  return found;
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

const fs::path kRoot = VANTOR_SOURCE_DIR;
const fs::path kLibrary = kRoot / "src" / "vantor";

TEST(Layers, EveryIncludeNamesALibraryHeaderByItsPath) {
  ASSERT_TRUE(fs::is_directory(kLibrary)) << kLibrary;
  std::size_t count = 0;
  for (const char* tree : {"src", "tests", "bench", "examples", "fuzz", "tools"}) {
    if (!fs::is_directory(kRoot / tree)) continue;
    for (const auto& v : MisnamedIncludes(kLibrary, kRoot / tree, tree == std::string("src"))) {
      ADD_FAILURE() << tree << '/' << v.file << ": " << v.include;
      ++count;
    }
  }
  EXPECT_EQ(count, 0u);
}

TEST(Layers, NoLayerIncludesOneAboveItNorAPublicHeaderAnInternalOne) {
  ASSERT_FALSE(BuildGraph().empty()) << "no layer graph at " << VANTOR_LAYER_GRAPH;
  const auto violations = WrongIncludes(kLibrary, AllowedIncludes());
  for (const auto& v : violations) ADD_FAILURE() << v.file << " includes " << v.include;
  EXPECT_TRUE(violations.empty());
}

TEST(Layers, TheGraphHasNoCycleAndEveryLayerHasAFolder) {
  for (const auto& [layer, allowed] : AllowedIncludes()) {
    EXPECT_EQ(allowed.count("(cycle)"), 0u) << layer << " reaches itself";
    EXPECT_TRUE(fs::is_directory(kLibrary / layer)) << layer;
  }
  // A cycle in a small graph is found, and the reach of a chain is its whole tail.
  std::istringstream cyclic("a: b\nb: c\nc: a\nd:\n");
  const Graph allowed = Allowed(ReadGraph(cyclic));
  EXPECT_EQ(allowed.at("a").count("(cycle)"), 1u);
  EXPECT_EQ(allowed.at("d"), (std::set<std::string>{"d"}));
  std::istringstream chain("x: y\ny: z\nz:\n");
  EXPECT_EQ(Allowed(ReadGraph(chain)).at("x"), (std::set<std::string>{"x", "y", "z"}));
}

TEST(Layers, TheReadmeTableIsTheGraph) {
  std::ifstream table_in(VANTOR_LAYER_TABLE);
  const std::string table((std::istreambuf_iterator<char>(table_in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(table.empty());
  std::ifstream readme_in(kRoot / "README.md");
  const std::string readme((std::istreambuf_iterator<char>(readme_in)), std::istreambuf_iterator<char>());
  EXPECT_NE(readme.find(table), std::string::npos)
      << "README.md's layer table differs from the build's layer graph; it should read:\n" << table;
}

TEST(Layers, WrongIncludesAreFoundInAScratchTree) {
  ScratchTree tree;
  const fs::path library = tree.Root() / "src" / "vantor";
  tree.Write("src/vantor/platform/rtl/utf8.h", "#include <vantor/engines/find_panel.h>\n");
  tree.Write("src/vantor/platform/core/stream.h",
             "#include <vantor/platform/ui/form.h>\n#include <vantor/platform/rtl/utf8.h>\n");
  tree.Write("src/vantor/engines/internal/keys.h", "#pragma once\n");
  tree.Write("src/vantor/engines/find_panel.h",
             "#include <vantor/platform/rtl/utf8.h>\n#include <vantor/version.h>\n"
             "#include <vantor/engines/internal/keys.h>\n");
  tree.Write("src/vantor/engines/find_panel.cpp", "#include <vantor/engines/internal/keys.h>\n");
  tree.Write("src/vantor/extra/x.h", "#pragma once\n");
  std::istringstream graph("platform/rtl:\nplatform/core: platform/rtl\nengines: platform/core\n");
  EXPECT_EQ(Listed(WrongIncludes(library, Allowed(ReadGraph(graph)))),
            (std::set<std::string>{"platform/rtl/utf8.h: engines/find_panel.h",
                                   "platform/core/stream.h: platform/ui/form.h",
                                   "engines/find_panel.h: engines/internal/keys.h (internal, from a public header)",
                                   "extra/x.h: (folder missing from the layer graph)"}));
}

TEST(Layers, MisnamedIncludesAreFoundInAScratchTree) {
  ScratchTree tree;
  const fs::path library = tree.Root() / "src" / "vantor";
  tree.Write("src/vantor/platform/rtl/utf8.h", "#pragma once\n");
  tree.Write("src/vantor/engines/find_panel.h", "#pragma once\n#include <vantor/platform/rtl/utf8.h>\n");
  tree.Write("src/vantor/engines/filter_panel.h",
             "#pragma once\n  #  include \"find_panel.h\"  // beside it\n#include <vantor/engines.h>\n");
  tree.Write("src/vantor/engines/filter_panel.cpp",
             "#include \"vantor/engines/filter_panel.h\"\n#include <vector>\n#include <vantor/engines/gone.h>\n");
  tree.Write("tests/engines/support/harness.h", "#pragma once\n");
  tree.Write("tests/engines/filter_test.cpp",
             "#include \"engines/support/harness.h\"\n#include \"platform/rtl/utf8.h\"\n"
             "#include <vantor/engines/filter_panel.h>\n// #include \"engines/find_panel.h\"\n");
  EXPECT_EQ(Listed(MisnamedIncludes(library, library, true)),
            (std::set<std::string>{"engines/filter_panel.h: write #include <vantor/engines/find_panel.h>",
                                   "engines/filter_panel.cpp: write #include <vantor/engines/filter_panel.h>",
                                   "engines/filter_panel.cpp: <vantor/engines/gone.h> names no file"}));
  EXPECT_EQ(Listed(MisnamedIncludes(library, tree.Root() / "tests", false)),
            (std::set<std::string>{"engines/filter_test.cpp: write #include <vantor/platform/rtl/utf8.h>"}));
}

TEST(Layers, IncludesAreReadAsTheCompilerReadsThem) {
  EXPECT_EQ(IncludeOn("  #  include \"panel/x.h\"  // why")->path, "panel/x.h");
  EXPECT_FALSE(IncludeOn("// #include \"panel/x.h\""));
  EXPECT_EQ(LibraryInclude("#include <vantor/panel/x.h>"), "panel/x.h");
  EXPECT_EQ(LibraryInclude("#include <vector>"), "");
  EXPECT_EQ(LibraryInclude("#include \"vantor/panel/x.h\""), "");
  EXPECT_EQ(LayerOf("platform/ui/form.h"), "platform/ui");
  EXPECT_EQ(LayerOf("platform/x11/internal/x11_clipboard.h"), "platform/x11");
  EXPECT_EQ(LayerOf("criteria/field_record.h"), "criteria");
  EXPECT_EQ(LayerOf("version.h"), "");
}

}  // namespace
