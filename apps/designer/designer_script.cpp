#include "designer_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <istream>
#include <sstream>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/messages.h>

namespace designer {
namespace {

struct Spec {
  std::string_view name;
  Kind kind;
  int min_args;
  int max_args;
  bool rest;  // the last argument is the rest of the line
  std::string_view usage;
  std::string_view help;
};

// The whole language. --help prints it in this order.
constexpr std::array kCommands{
    Spec{"new", Kind::Design, 1, 2, false, "new NAME [CLASS]",
         "start a new, empty form NAME of CLASS (a registered form class, TForm by default)"},
    Spec{"open", Kind::Design, 1, 1, false, "open FILE", "read a form file (its text form, or a binary form stream)"},
    Spec{"save", Kind::Design, 1, 2, false, "save FILE [text|binary]", "write the form, as text unless binary is given"},
    Spec{"palette", Kind::Design, 0, 0, false, "palette", "list the palette pages and their classes"},
    Spec{"components", Kind::Design, 0, 0, false, "components", "list the form's components, with class and parent"},
    Spec{"drop", Kind::Design, 1, 2, false, "drop CLASS [PARENT]",
         "put a new component of a palette class on the form (or into the control PARENT);\n"
         "the designer names it (TDBFilterPanel gives DBFilterPanel1)"},
    Spec{"delete", Kind::Design, 1, 1, false, "delete NAME", "remove a component from the form"},
    Spec{"rename", Kind::Design, 2, 2, false, "rename NAME NEWNAME", "give a component another name"},
    Spec{"props", Kind::Design, 1, 1, false, "props PATH",
         "list the published properties of a component, sub-object or field record with\n"
         "their values: [list] offers values, [...] has an editor (edit), [+] has\n"
         "sub-properties, [read-only] cannot be typed; a collection lists its items"},
    Spec{"get", Kind::Design, 1, 1, false, "get PATH", "print a property's value as its editor shows it"},
    Spec{"set", Kind::Design, 2, 2, true, "set PATH VALUE",
         "set a property through its editor: enumerations and Booleans by name, components\n"
         "by name ('' clears a reference), sets as [a,b], numbers in decimal or $hex"},
    Spec{"values", Kind::Design, 1, 1, false, "values PATH", "list the values a property's editor offers"},
    Spec{"edit", Kind::Design, 1, 1, false, "edit PATH",
         "press a property's editor button (Fields opens the fields editor)"},
    Spec{"selection", Kind::Design, 0, 0, false, "selection",
         "print what the designer has selected (the fields editor selects the clicked field)"},
    Spec{"verbs", Kind::Design, 1, 1, false, "verbs NAME", "list the verbs of a component's editor"},
    Spec{"verb", Kind::Design, 2, 2, false, "verb NAME N",
         "run verb N of a component's editor (0 of a panel or dialog: the fields editor)"},
    Spec{"window", Kind::Design, 0, 0, false, "window", "show the window in front: its caption and controls"},
    Spec{"click", Kind::Input, 1, 2, false, "click CONTROL [LINE]",
         "click a control of the window in front (LINE: that line of a list box)"},
    Spec{"focus", Kind::Input, 1, 1, false, "focus CONTROL", "give a control the focus"},
    Spec{"type", Kind::Input, 1, 1, true, "type TEXT", "type the text into the focused control"},
    Spec{"press", Kind::Input, 1, 1, false, "press KEY",
         "press a key: Enter, Escape, Tab, Space, Backspace, Delete, Insert, Home, End,\n"
         "Left, Right, Up, Down, PageUp, PageDown, F1..F12, with Shift+, Ctrl+, Alt+"},
    Spec{"drag", Kind::Input, 3, 3, false, "drag CONTROL FROM TO",
         "drag line FROM of a list box onto line TO (TO past the last line: below it)"},
    Spec{"answer", Kind::Input, 1, 1, false, "answer BUTTON",
         "the answer to the next message box: yes, no, ok, cancel, abort, retry, ignore, all"},
    Spec{"close", Kind::Input, 0, 0, false, "close", "close the window in front with its close box"},
    Spec{"echo", Kind::Design, 0, 1, true, "echo TEXT", "print the text"},
};

const Spec* FindSpec(std::string_view word) {
  for (const Spec& s : kCommands) {
    if (vantor::AnsiSameText(word, s.name)) return &s;
  }
  return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimmedView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Reads a quoted word at the front of `rest` (which starts with the quote) and moves
// past it.
std::string TakeQuoted(std::string_view& rest) {
  std::string word;
  std::size_t i = 1;
  for (;; ++i) {
    if (i >= rest.size()) throw ScriptError("a quote is not closed: " + std::string(rest));
    if (rest[i] != '\'') {
      word += rest[i];
    } else if (i + 1 < rest.size() && rest[i + 1] == '\'') {
      word += '\'';
      ++i;
    } else {
      break;
    }
  }
  rest.remove_prefix(i + 1);
  if (!rest.empty() && !IsBlank(rest.front())) {
    throw ScriptError("a quoted text must stand apart from what follows it: " + std::string(rest));
  }
  return word;
}

// The next word of `rest` (quoted or not), or nullopt at the end of the line.
std::optional<std::string> TakeWord(std::string_view& rest) {
  rest = TrimmedView(rest);
  if (rest.empty()) return std::nullopt;
  if (rest.front() == '\'') return TakeQuoted(rest);
  std::size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  std::string word(rest.substr(0, end));
  rest.remove_prefix(end);
  return word;
}

// The rest of the line as one argument: quoted, or as it stands without its outer blanks.
std::string TakeRest(std::string_view& rest) {
  rest = TrimmedView(rest);
  if (!rest.empty() && rest.front() == '\'') {
    std::string word = TakeQuoted(rest);
    if (!TrimmedView(rest).empty()) {
      throw ScriptError("nothing may follow the quoted text: " + std::string(TrimmedView(rest)));
    }
    rest = {};
    return word;
  }
  std::string word(rest);
  rest = {};
  return word;
}

bool IsIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

struct NamedKey {
  std::string_view name;
  std::uint16_t code;
};
constexpr std::array kKeys{
    NamedKey{"Enter", vantor::VK_RETURN},   NamedKey{"Return", vantor::VK_RETURN},
    NamedKey{"Escape", vantor::VK_ESCAPE},  NamedKey{"Esc", vantor::VK_ESCAPE},
    NamedKey{"Tab", vantor::VK_TAB},        NamedKey{"Space", vantor::VK_SPACE},
    NamedKey{"Backspace", vantor::VK_BACK}, NamedKey{"Delete", vantor::VK_DELETE},
    NamedKey{"Insert", vantor::VK_INSERT},  NamedKey{"Home", vantor::VK_HOME},
    NamedKey{"End", vantor::VK_END},        NamedKey{"Left", vantor::VK_LEFT},
    NamedKey{"Right", vantor::VK_RIGHT},    NamedKey{"Up", vantor::VK_UP},
    NamedKey{"Down", vantor::VK_DOWN},      NamedKey{"PageUp", vantor::VK_PRIOR},
    NamedKey{"PageDown", vantor::VK_NEXT},
};

struct NamedAnswer {
  std::string_view name;
  int result;
};
constexpr std::array kAnswers{
    NamedAnswer{"yes", vantor::mrYes},     NamedAnswer{"no", vantor::mrNo},
    NamedAnswer{"ok", vantor::mrOk},       NamedAnswer{"cancel", vantor::mrCancel},
    NamedAnswer{"abort", vantor::mrAbort}, NamedAnswer{"retry", vantor::mrRetry},
    NamedAnswer{"ignore", vantor::mrIgnore}, NamedAnswer{"all", vantor::mrAll},
};

}  // namespace

Key ParseKey(std::string_view name) {
  Key key;
  std::string_view rest = name;
  for (;;) {
    const std::size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 == rest.size()) break;
    const std::string_view modifier = rest.substr(0, plus);
    if (vantor::AnsiSameText(modifier, "Shift")) key.shift = true;
    else if (vantor::AnsiSameText(modifier, "Ctrl")) key.ctrl = true;
    else if (vantor::AnsiSameText(modifier, "Alt")) key.alt = true;
    else throw ScriptError("'" + std::string(modifier) + "' is no modifier key (Shift, Ctrl, Alt) in " + std::string(name));
    rest.remove_prefix(plus + 1);
  }
  for (const NamedKey& k : kKeys) {
    if (vantor::AnsiSameText(rest, k.name)) {
      key.code = k.code;
      return key;
    }
  }
  if ((rest.size() == 2 || rest.size() == 3) && (rest[0] == 'F' || rest[0] == 'f')) {
    const std::string digits(rest.substr(1));
    if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      const int n = std::stoi(digits);
      if (n >= 1 && n <= 12) {
        key.code = static_cast<std::uint16_t>(vantor::VK_F1 + n - 1);
        return key;
      }
    }
  }
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0])) != 0) {
    // Letter and digit keys have the code of the upper-case character.
    key.code = static_cast<std::uint16_t>(std::toupper(static_cast<unsigned char>(rest[0])));
    return key;
  }
  throw ScriptError("unknown key '" + std::string(name) +
                    "' (keys: Enter, Escape, Tab, Space, Backspace, Delete, Insert, Home, End, Left, Right, Up, "
                    "Down, PageUp, PageDown, F1..F12, a letter or digit; with Shift+, Ctrl+, Alt+)");
}

int ParseAnswer(std::string_view name) {
  for (const NamedAnswer& a : kAnswers) {
    if (vantor::AnsiSameText(name, a.name)) return a.result;
  }
  throw ScriptError("unknown answer '" + std::string(name) + "' (answers: yes, no, ok, cancel, abort, retry, ignore, all)");
}

std::optional<Command> ParseLine(std::string_view text, int line) {
  std::string_view rest = TrimmedView(text);
  if (rest.empty() || rest.front() == '#') return std::nullopt;
  const std::string word = *TakeWord(rest);
  const Spec* spec = FindSpec(word);
  if (spec == nullptr) {
    throw ScriptError("unknown command '" + word + "' (designer --help lists the commands)");
  }
  Command c;
  c.name = std::string(spec->name);
  c.kind = spec->kind;
  c.line = line;
  c.text = std::string(TrimmedView(text));
  while (static_cast<int>(c.args.size()) < spec->max_args) {
    const bool last = static_cast<int>(c.args.size()) + 1 == spec->max_args;
    if (last && spec->rest) {
      if (TrimmedView(rest).empty()) break;
      c.args.push_back(TakeRest(rest));
    } else if (auto arg = TakeWord(rest)) {
      c.args.push_back(std::move(*arg));
    } else {
      break;
    }
  }
  if (static_cast<int>(c.args.size()) < spec->min_args) {
    throw ScriptError(std::string(spec->name) + " needs " +
                      (spec->min_args == spec->max_args ? "" : "at least ") + std::to_string(spec->min_args) +
                      (spec->min_args == 1 ? " argument" : " arguments") + ": " + std::string(spec->usage));
  }
  if (c.name == "press") ParseKey(c.args[0]);
  if (c.name == "answer") ParseAnswer(c.args[0]);
  if (!TrimmedView(rest).empty()) {
    throw ScriptError("too many arguments (" + std::string(TrimmedView(rest)) + "): " + std::string(spec->usage));
  }
  return c;
}

std::vector<Command> ParseScript(std::istream& in) {
  std::vector<Command> commands;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    try {
      if (auto c = ParseLine(text, line)) commands.push_back(std::move(*c));
    } catch (const ScriptError& e) {
      throw ScriptError("line " + std::to_string(line) + ": " + e.what());
    }
  }
  return commands;
}

std::vector<PathStep> ParsePath(std::string_view path) {
  const std::string whole(path);
  auto bad = [&whole](const std::string& why) {
    return ScriptError("'" + whole + "' is no property path (" + why +
                       "); paths read like DBFilterPanel1.Fields[0].FieldName");
  };
  std::vector<PathStep> steps;
  std::size_t i = 0;
  for (;;) {
    PathStep step;
    while (i < path.size() && IsIdentChar(path[i])) step.name += path[i++];
    if (step.name.empty()) throw bad(i < path.size() ? "'" + std::string(1, path[i]) + "' where a name belongs" : "a name is missing");
    if (i < path.size() && path[i] == '[') {
      if (steps.empty()) throw bad("a component is named, not counted");
      std::size_t close = path.find(']', i);
      if (close == std::string_view::npos) throw bad("a [ is not closed");
      const std::string_view digits = path.substr(i + 1, close - i - 1);
      if (digits.empty() || digits.size() > 9 ||
          !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw bad("an item is counted from 0, as in [2]");
      }
      step.index = std::stoi(std::string(digits));
      i = close + 1;
    }
    steps.push_back(std::move(step));
    if (i == path.size()) return steps;
    if (path[i] != '.') throw bad("'" + std::string(1, path[i]) + "' where a dot belongs");
    ++i;
  }
}

std::string UsageText(std::string_view program) {
  std::ostringstream s;
  s << "usage: " << program << " --script FILE\n"
    << "       " << program << " COMMAND...            (each argument one command)\n"
    << "       " << program << " --help\n\n"
    << "Designs a form without a window: drops components from the palette, sets their\n"
       "properties through the property editors, runs the component editors (the fields\n"
       "editor, the value list editor) and saves the form as text. Commands come one per\n"
       "line from FILE ('-' reads them from the standard input), or one per argument.\n\n"
       "Commands (PATH: Component[.Property[N]]... such as DBFilterPanel1.Fields[1].FieldName):\n";
  for (const Spec& spec : kCommands) {
    s << "  " << spec.usage << "\n";
    std::string_view help = spec.help;
    while (!help.empty()) {
      const std::size_t nl = help.find('\n');
      s << "      " << help.substr(0, nl) << "\n";
      help = nl == std::string_view::npos ? std::string_view{} : help.substr(nl + 1);
    }
  }
  s << "\nWords are separated by blanks; 'quoted words' may hold blanks ('' is a quote). The last\n"
       "argument of set, type and echo is the rest of the line. Lines starting with # are comments.\n\n"
       "Input commands (click, focus, type, press, drag, answer, close) go to the window in front,\n"
       "as a user's clicks and keys. They are played after the command before them: a window\n"
       "that command opens modally (click buSetData opens the value list editor) takes them.\n"
       "The value list editor's first value is focused; Tab goes on to the next edit.\n\n"
       "The palette holds the pages of the component packages (Vantor) and the data access\n"
       "components (TSQLiteTable, TDataSource) to bind them to an SQLite file.\n\n"
       "The first failing line stops the run with its number and what is wrong; the exit code\n"
       "is then 2 (0 when every line ran).\n\n"
       "Example:\n"
       "  new Form1\n"
       "  drop TSQLiteTable\n"
       "  set SQLiteTable1.DatabaseName sample.db\n"
       "  set SQLiteTable1.TableName customers\n"
       "  set SQLiteTable1.Active True\n"
       "  drop TDataSource\n"
       "  set DataSource1.DataSet SQLiteTable1\n"
       "  drop TDBFilterPanel\n"
       "  set DBFilterPanel1.DataSource DataSource1\n"
       "  verb DBFilterPanel1 0\n"
       "  click buAdd\n"
       "  set DBFilterPanel1.Fields[0].FieldName city\n"
       "  click lbFields 0\n"
       "  click buSetData\n"
       "  type Berlin\n"
       "  click buOk\n"
       "  close\n"
       "  save form.txt\n";
  return s.str();
}

}  // namespace designer
