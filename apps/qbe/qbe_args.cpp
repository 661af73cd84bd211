#include "qbe_args.h"

#include <charconv>
#include <set>

namespace qbe {
namespace {

// Case-insensitive ASCII comparison, enough for option words and field names given
// twice (the table decides later whether a name exists).
bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

long ParseCount(std::string_view option, std::string_view text, long min) {
  long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < min) {
    throw UsageError("option " + std::string(option) + " needs a whole number" +
                     (min > 0 ? " of at least " + std::to_string(min) : std::string(" (0 or more)")) +
                     ", not '" + std::string(text) + "'");
  }
  return value;
}

FindMode ParseMode(std::string_view text) {
  if (SameWord(text, "exact")) return FindMode::Exact;
  if (SameWord(text, "nearest")) return FindMode::Nearest;
  if (SameWord(text, "fast")) return FindMode::Fast;
  if (SameWord(text, "normal")) return FindMode::Normal;
  throw UsageError("option --mode takes fast, normal, exact or nearest, not '" + std::string(text) + "'");
}

CompareMode ParseCompare(std::string_view text) {
  if (SameWord(text, "exact")) return CompareMode::Exact;
  if (SameWord(text, "initial")) return CompareMode::Initial;
  if (SameWord(text, "internal")) return CompareMode::Internal;
  throw UsageError("option --compare takes exact, initial or internal, not '" + std::string(text) + "'");
}

// Walks the arguments; options with a value take it either after "=" or as the
// next argument.
class ArgReader {
 public:
  explicit ArgReader(std::span<const std::string_view> args) : args_(args) {}

  bool AtEnd() const { return pos_ >= args_.size(); }
  std::string_view Next() { return args_[pos_++]; }

  std::string_view ValueOf(std::string_view option, std::optional<std::string_view> inline_value) {
    if (inline_value) {
      if (inline_value->empty()) throw UsageError("option " + std::string(option) + " needs a value");
      return *inline_value;
    }
    if (AtEnd()) throw UsageError("option " + std::string(option) + " needs a value");
    return Next();
  }

 private:
  std::span<const std::string_view> args_;
  std::size_t pos_ = 0;
};

}  // namespace

Criterion ParseCriterion(std::string_view arg) {
  Criterion c;
  c.text = std::string(arg);
  const auto eq = arg.find('=');
  if (eq == std::string_view::npos) {
    throw UsageError("'" + c.text + "' is neither an option nor a criterion; write Field=Value");
  }
  c.field = std::string(arg.substr(0, eq));
  if (c.field.empty()) throw UsageError("criterion '" + c.text + "' has no field name before '='");

  // Split at the first unescaped "..", undoing the escapes as we go.
  const std::string_view value = arg.substr(eq + 1);
  std::string parts[2];
  int part = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char ch = value[i];
    if (ch == '\\') {
      if (i + 1 == value.size()) {
        throw UsageError("criterion '" + c.text + "' ends with a lone backslash");
      }
      parts[part] += value[++i];
      continue;
    }
    if (ch == '.' && i + 1 < value.size() && value[i + 1] == '.' && part == 0) {
      if (i + 2 < value.size() && value[i + 2] == '.') {
        throw UsageError("range '" + c.text + "' has more than two dots; a range is written Lo..Hi, "
                         "with two dots between the bounds (a dot of the value itself is written \\.)");
      }
      part = 1;
      ++i;
      continue;
    }
    parts[part] += ch;
  }
  if (part == 0) {
    if (parts[0].empty()) {
      throw UsageError("criterion '" + c.text + "' has no value; leave the field out to not restrict it");
    }
    c.low = std::move(parts[0]);
    return c;
  }
  c.range = true;
  if (!parts[0].empty()) c.low = std::move(parts[0]);
  if (!parts[1].empty()) c.high = std::move(parts[1]);
  if (!c.low && !c.high) throw UsageError("range '" + c.text + "' has neither a lower nor an upper bound");
  return c;
}

Options ParseArguments(std::span<const std::string_view> args) {
  Options o;
  std::optional<Action> action;
  bool mode_given = false;
  bool next_given = false;
  bool only_criteria = false;
  std::set<std::string> seen_fields;
  ArgReader in(args);

  while (!in.AtEnd()) {
    const std::string_view arg = in.Next();
    if (only_criteria || arg.size() < 2 || arg[0] != '-') {
      Criterion c = ParseCriterion(arg);
      if (!seen_fields.insert(Upper(c.field)).second) {
        throw UsageError("field '" + c.field + "' is given more than once");
      }
      o.criteria.push_back(std::move(c));
      continue;
    }
    if (arg == "--") {
      only_criteria = true;
      continue;
    }
    std::string_view name = arg;
    std::optional<std::string_view> inline_value;
    if (const auto eq = arg.find('='); eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      inline_value = arg.substr(eq + 1);
    }
    auto no_value = [&] {
      if (inline_value) throw UsageError("option " + std::string(name) + " takes no value");
    };
    auto set_action = [&](Action a) {
      no_value();
      if (action && *action != a) throw UsageError("give either --find or --filter, not both");
      action = a;
    };

    if (name == "--help" || name == "-h") {
      no_value();
      o.help = true;
    } else if (name == "--find") {
      set_action(Action::Find);
    } else if (name == "--filter") {
      set_action(Action::Filter);
    } else if (name == "--mode") {
      o.mode = ParseMode(in.ValueOf(name, inline_value));
      mode_given = true;
    } else if (name == "--compare") {
      o.compare = ParseCompare(in.ValueOf(name, inline_value));
    } else if (name == "--case-sensitive") {
      no_value();
      o.case_sensitive = true;
    } else if (name == "--index") {
      o.index = std::string(in.ValueOf(name, inline_value));
    } else if (name == "--db") {
      o.db = std::string(in.ValueOf(name, inline_value));
    } else if (name == "--pg") {
      // "" is a value here (the PG* variables decide), so it is taken as it comes.
      if (!inline_value && in.AtEnd()) throw UsageError("option --pg needs a value");
      o.pg = std::string(inline_value ? *inline_value : in.Next());
    } else if (name == "--table") {
      o.table = std::string(in.ValueOf(name, inline_value));
    } else if (name == "--next") {
      o.next = static_cast<int>(ParseCount(name, in.ValueOf(name, inline_value), 0));
      next_given = true;
    } else if (name == "--limit") {
      o.limit = ParseCount(name, in.ValueOf(name, inline_value), 0);
    } else if (name == "--locale") {
      o.locale = std::string(in.ValueOf(name, inline_value));
    } else if (name == "--csv") {
      no_value();
      o.csv = true;
    } else {
      throw UsageError("unknown option '" + std::string(name) + "' (see --help)");
    }
  }
  if (o.help) return o;

  // --mode and --next only mean something to a search; given alone they ask for one.
  if (!action && (mode_given || next_given)) action = Action::Find;
  o.action = action.value_or(Action::Filter);
  if (o.action == Action::Filter && mode_given) throw UsageError("--mode applies to --find only");
  if (o.action == Action::Filter && next_given) throw UsageError("--next applies to --find only");
  if (o.compare == CompareMode::Internal) {
    for (const Criterion& c : o.criteria) {
      if (c.range) {
        throw UsageError("range '" + c.text + "' cannot be matched with --compare=internal; "
                         "use exact or initial");
      }
    }
  }
  if (o.next > 1'000'000) throw UsageError("option --next is limited to 1000000");
  if (o.pg && !o.db.empty()) throw UsageError("--pg and --db name two different databases; give one of them");
  if (o.pg && o.table.empty()) throw UsageError("--pg needs the table to query: --table NAME");
  return o;
}

Options ParseArguments(int argc, char** argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return ParseArguments(std::span<const std::string_view>(args));
}

std::string UsageText(std::string_view program, std::string_view date_form) {
  std::string p(program);
  const std::string dates =
      date_form.empty() ? std::string()
                        : "  Dates are typed as the locale writes them, " + std::string(date_form) +
                              ",\n  or in ISO form, 2024-01-05; they are shown as the locale writes them.\n";
  return "Usage: " + p + " [options] Field=Value ...\n"
         "\n"
         "Finds or filters the records of a table by example. Without --db the program\n"
         "opens the sample database, generating it on first use.\n"
         "\n"
         "Criteria (any number, each field once; names ignore letter case):\n"
         "  Field=Value       one value; text fields match by their default rule\n"
         "                    (begins with), other fields by equality\n"
         "  Field=Lo..Hi      an inclusive range\n"
         "  Field=..Hi        everything up to Hi\n"
         "  Field=Lo..        everything from Lo on\n"
         "  A backslash takes the next character literally: Note=a\\.\\.b finds \"a..b\".\n" +
         dates +
         "  Numbers are typed with the locale's decimal separator.\n"
         "\n"
         "What to do:\n"
         "  --filter          show every matching record (the default)\n"
         "  --find            show the first matching record\n"
         "  --next N          with --find: go on finding N more matches, one after another\n"
         "  --mode=MODE       how --find searches: fast (seek the index when the values\n"
         "                    cover a leading part of its key, then walk; the default),\n"
         "                    normal (walk every record), exact (seek the exact key),\n"
         "                    nearest (seek the nearest key and stop there)\n"
         "\n"
         "How values match:\n"
         "  --compare=HOW     exact, initial (begins with) or internal (contains), for\n"
         "                    every criterion; internal cannot be used with a range\n"
         "  --case-sensitive  letter case must match (the default ignores it)\n"
         "\n"
         "Data:\n"
         "  --db FILE         an SQLite database file instead of the sample\n"
         "  --pg CONNINFO     a table of a PostgreSQL database instead, such as\n"
         "                    \"host=/run/postgresql dbname=shop\" (\"\" takes the PG*\n"
         "                    environment variables); needs --table. Its rows are read\n"
         "                    as the search goes, a thousand at a time: a find along an\n"
         "                    index reads the rows around the match, a filter those the\n"
         "                    server finds for the criteria\n"
         "  --table NAME      the table to query (may be left out when the file has one)\n"
         "  --index NAME      the table's index to search along (see the list that an\n"
         "                    unknown name prints); --mode exact and nearest need one\n"
         "  --locale NAME     the locale for typed and shown numbers and dates, such as\n"
         "                    de_DE.UTF-8 (default: the environment's, LC_ALL or LANG)\n"
         "\n"
         "Output:\n"
         "  --csv             CSV: a header line of field names, then one line per record\n"
         "  --limit N         show at most N records (the count stays complete);\n"
         "                    the table shows 20 by default, CSV shows all\n"
         "  --help            this text\n"
         "\n"
         "Examples:\n"
         "  " + p + " --filter city=Ber\n"
         "  " + p + " --filter credit_limit=1000..2000 country=Ital --csv\n"
         "  " + p + " --find --index customers_name name=Weber --next 3\n";
}

}  // namespace qbe
