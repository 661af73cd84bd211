#pragma once
// The designer's command language: one command per line, a word and its arguments.
// Parsing knows nothing of forms or components: it checks the shape of each line (the
// command exists, it has the right number of arguments, quotes are closed, a property
// path is well formed), so that it can be tested on its own; names are checked when the
// command runs (designer_session.cpp).
//
//   # a comment; blank lines are skipped
//   new Form1
//   drop TDBFilterPanel
//   set DBFilterPanel1.Fields[0].FieldName city
//   set Form1.Caption 'Customers by city'
//
// Arguments are words separated by blanks. A word in single quotes may hold blanks or be
// empty ('' inside stands for one quote, as in the text form). The last argument of set,
// type and echo is the rest of the line, blanks inside included; quote it to keep blanks
// at its ends or to give an empty text.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace designer {

// A line that does not follow the language. The message is meant for the user, as is.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Commands that give input to the window that shows (the fields editor, the value list
// editor), as a user at the keyboard and mouse would. They are played after the command
// before them, so that a window which that command opens modally takes them.
enum class Kind : unsigned char { Design, Input };

struct Command {
  std::string name;               // as the table spells it ("set"), whatever case was typed
  std::vector<std::string> args;  // unquoted
  Kind kind = Kind::Design;
  int line = 0;                   // 1-based line (or argument) number
  std::string text;               // the line as written, for messages
};

// Parses one line. nullopt for a blank line or a comment. Throws ScriptError.
std::optional<Command> ParseLine(std::string_view text, int line);

// Parses every line of a script. Throws ScriptError naming the line.
std::vector<Command> ParseScript(std::istream& in);

// One step of a property path: a property name, and the item index when the step
// names an item of a collection ("Fields[2]").
struct PathStep {
  std::string name;
  std::optional<int> index;
};

// A path to a component, one of its sub-objects or collection items, or a property of
// one of them: "DBFilterPanel1", "DBFilterPanel1.Fields[1].FieldName", "Form1.Font.Size".
// The first step is the component's name and carries no index. Throws ScriptError.
std::vector<PathStep> ParsePath(std::string_view path);

// A key of `press`: its virtual-key code and the modifiers held with it.
struct Key {
  std::uint16_t code = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};
// "Enter", "Tab", "Shift+Tab", "Ctrl+Delete", "F2", "A" (case-insensitive). Throws ScriptError.
Key ParseKey(std::string_view name);

// The modal result of an `answer`: "yes" gives mrYes ... Throws ScriptError.
int ParseAnswer(std::string_view name);

// The text that --help prints: the command line and the command language.
std::string UsageText(std::string_view program);

}  // namespace designer
