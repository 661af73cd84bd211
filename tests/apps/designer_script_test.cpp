// The designer's command language on its own: words, quotes, the rest of a line, the
// number of arguments, property paths, key and answer names, and the line numbers of a
// script's errors.
#include "designer/designer_script.h"

#include <vantor/platform/ui/message_dialogs.h>
#include <vantor/platform/ui/messages.h>

#include <gtest/gtest.h>

#include <sstream>

namespace designer {
namespace {

std::string ErrorOf(std::string_view line) {
  try {
    ParseLine(line, 1);
  } catch (const ScriptError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(DesignerScript, WordsQuotesAndTheRestOfALine) {
  auto c = ParseLine("  SET  DBFilterPanel1.Fields[0].FieldName   New York  ", 7);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->name, "set");
  EXPECT_EQ(c->kind, Kind::Design);
  EXPECT_EQ(c->line, 7);
  EXPECT_EQ(c->args, (std::vector<std::string>{"DBFilterPanel1.Fields[0].FieldName", "New York"}));

  // A quoted rest keeps its outer blanks and quotes; '' is an empty text.
  EXPECT_EQ(ParseLine("set Form1.Caption ' it''s '", 1)->args[1], " it's ");
  EXPECT_EQ(ParseLine("set Form1.Caption ''", 1)->args[1], "");
  EXPECT_EQ(ParseLine("save 'my form.txt' binary", 1)->args, (std::vector<std::string>{"my form.txt", "binary"}));

  auto typed = ParseLine("type a  b", 1);
  EXPECT_EQ(typed->kind, Kind::Input);
  EXPECT_EQ(typed->args, (std::vector<std::string>{"a  b"}));

  EXPECT_FALSE(ParseLine("   ", 1));
  EXPECT_FALSE(ParseLine("# drop TDBFilterPanel", 1));
  EXPECT_EQ(ParseLine("echo", 1)->args.size(), 0u);
}

TEST(DesignerScript, MalformedLinesSayWhatIsWrong) {
  EXPECT_NE(ErrorOf("frobnicate X").find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_NE(ErrorOf("set Form1.Caption").find("set needs 2 arguments: set PATH VALUE"), std::string::npos);
  EXPECT_NE(ErrorOf("drop").find("drop needs at least 1 argument"), std::string::npos);
  EXPECT_NE(ErrorOf("palette now").find("too many arguments (now)"), std::string::npos);
  EXPECT_NE(ErrorOf("open 'a.txt").find("a quote is not closed"), std::string::npos);
  EXPECT_NE(ErrorOf("open 'a'b").find("must stand apart"), std::string::npos);
  EXPECT_NE(ErrorOf("set Form1.Caption 'a' b").find("nothing may follow the quoted text: b"), std::string::npos);
  EXPECT_NE(ErrorOf("press Hyper").find("unknown key 'Hyper'"), std::string::npos);
  EXPECT_NE(ErrorOf("press Meta+Tab").find("'Meta' is no modifier key"), std::string::npos);
  EXPECT_NE(ErrorOf("answer maybe").find("unknown answer 'maybe'"), std::string::npos);
}

TEST(DesignerScript, ScriptErrorsNameTheirLine) {
  std::istringstream script("new Form1\n# a comment\n\ndrop TDBFilterPanel\nverb DBFilterPanel1\n");
  try {
    ParseScript(script);
    FAIL() << "a verb without its number was taken";
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("line 5: verb needs 2 arguments", 0), 0u) << e.what();
  }
  std::istringstream good("new Form1\r\n\r\n# note\r\ndrop TDBFilterPanel\r\n");
  const std::vector<Command> commands = ParseScript(good);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].line, 4);
  EXPECT_EQ(commands[1].args, (std::vector<std::string>{"TDBFilterPanel"}));
}

TEST(DesignerScript, PathsNameComponentsPropertiesAndItems) {
  const auto steps = ParsePath("DBFilterPanel1.Fields[12].FieldName");
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].name, "DBFilterPanel1");
  EXPECT_FALSE(steps[0].index);
  EXPECT_EQ(steps[1].name, "Fields");
  EXPECT_EQ(steps[1].index, 12);
  EXPECT_EQ(steps[2].name, "FieldName");
  EXPECT_EQ(ParsePath("Form1").size(), 1u);

  for (const char* bad : {"", "Form1.", ".Caption", "Form1..Caption", "Form1[0]", "P.Fields[]", "P.Fields[-1]",
                          "P.Fields[1", "P.Fields[1]x", "P.Fields[a]", "Form1 Caption"}) {
    EXPECT_THROW(ParsePath(bad), ScriptError) << bad;
  }
}

TEST(DesignerScript, KeysAndAnswersByName) {
  const Key tab = ParseKey("shift+TAB");
  EXPECT_EQ(tab.code, vantor::VK_TAB);
  EXPECT_TRUE(tab.shift);
  EXPECT_FALSE(tab.ctrl);
  const Key del = ParseKey("Ctrl+Alt+Delete");
  EXPECT_EQ(del.code, vantor::VK_DELETE);
  EXPECT_TRUE(del.ctrl && del.alt && !del.shift);
  EXPECT_EQ(ParseKey("F12").code, vantor::VK_F1 + 11);
  EXPECT_EQ(ParseKey("a").code, 'A');
  EXPECT_EQ(ParseKey("PageDown").code, vantor::VK_NEXT);
  EXPECT_THROW(ParseKey("F13"), ScriptError);
  EXPECT_THROW(ParseKey("Ctrl+"), ScriptError);

  EXPECT_EQ(ParseAnswer("Yes"), vantor::mrYes);
  EXPECT_EQ(ParseAnswer("cancel"), vantor::mrCancel);
  EXPECT_EQ(ParseAnswer("NO"), vantor::mrNo);
}

TEST(DesignerScript, HelpListsEveryCommand) {
  const std::string help = UsageText("designer");
  for (const char* usage : {"new NAME [CLASS]", "open FILE", "save FILE [text|binary]", "palette", "components",
                            "drop CLASS [PARENT]", "props PATH", "get PATH", "set PATH VALUE", "values PATH",
                            "edit PATH", "verbs NAME", "verb NAME N", "click CONTROL [LINE]", "type TEXT",
                            "press KEY", "drag CONTROL FROM TO", "answer BUTTON", "close"}) {
    EXPECT_NE(help.find("  " + std::string(usage) + "\n"), std::string::npos) << usage;
  }
}

}  // namespace
}  // namespace designer
