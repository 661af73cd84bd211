// Build step: converts the form descriptions kept as text into the binary form stream and
// writes them, as byte arrays, into one C++ source that the resources layer compiles.
//
//     form_compiler <output.cpp> <description.txt>...
//
// A description that does not parse stops the build with the parser's message (which
// names the line) and the file's name. The output is written only when it changed, so an
// unchanged form rebuilds nothing.

#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Compile(const std::string& path) {
  const std::string text = ReadFile(path);
  vantor::TMemoryStream source(text);
  vantor::TMemoryStream binary;
  vantor::ObjectTextToBinary(source, binary);
  return binary.ToString();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: form_compiler <output.cpp> <description.txt>...\n";
    return 2;
  }
  std::ostringstream out;
  out << "// Written by the form compiler from src/vantor/resources/forms; do not edit.\n"
         "#include <vantor/resources/form_resources.h>\n\nnamespace vantor {\n\nnamespace {\n\n";
  std::vector<std::string> classes;
  for (int i = 2; i < argc; ++i) {
    std::string stream;
    try {
      stream = Compile(argv[i]);
      vantor::TMemoryStream compiled(stream);
      classes.push_back(vantor::TReader(compiled).ReadRootClassName());
    } catch (const std::exception& e) {
      std::cerr << argv[i] << ": " << e.what() << "\n";
      return 1;
    }
    out << "constexpr std::uint8_t kForm" << (i - 2) << "[] = {";
    for (std::size_t b = 0; b < stream.size(); ++b) {
      out << (b % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(static_cast<unsigned char>(stream[b])) << ',';
    }
    out << "\n};\n\n";
  }
  out << "constexpr TFormResource kForms[] = {\n";
  for (std::size_t i = 0; i < classes.size(); ++i) {
    out << "    {\"" << classes[i] << "\", kForm" << i << "},\n";
  }
  if (classes.empty()) out << "    {},\n";
  out << "};\n\n}  // namespace\n\nstd::span<const TFormResource> CompiledFormResources() {\n"
      << "  return std::span<const TFormResource>(kForms, " << classes.size() << ");\n}\n\n"
      << "}  // namespace vantor\n";

  const std::string output = argv[1];
  std::string previous;
  try {
    previous = ReadFile(output);
  } catch (const std::exception&) {
  }
  if (previous == out.str()) return 0;
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file << out.str();
  if (!file) {
    std::cerr << "cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
