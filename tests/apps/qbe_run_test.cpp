// The qbe program as a user meets it, run on a database written the way other programs
// write them: what it prints, what it says when something is wrong, and its exit codes.
#include "qbe/qbe_run.h"
#include "platform/data/support/odd_database.h"
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/format_settings.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class QbeRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = ::testing::TempDir() + "qbe_odd_" + std::to_string(::getpid()) + ".db";
    std::remove(path_.c_str());
    vantor::testing_support::WriteOddDatabase(path_);
  }
  static void TearDownTestSuite() { std::remove(path_.c_str()); }
  void SetUp() override { saved_ = vantor::CurrentFormat(); }
  void TearDown() override { vantor::SetFormatSettings(saved_); }

  // Runs qbe on the odd database with `args` (and --locale C.UTF-8 unless given).
  static Outcome Qbe(std::vector<std::string> args, bool own_db = true) {
    std::vector<std::string> all;
    if (own_db) all = {"--db", path_};
    if (std::find(args.begin(), args.end(), "--locale") == args.end()) {
      all.push_back("--locale");
      all.push_back("C.UTF-8");
    }
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string_view> views(all.begin(), all.end());
    std::ostringstream out, err;
    Outcome o;
    o.code = qbe::Main(views, "qbe", out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
  }
  static std::string Bytes() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static std::string path_;
  vantor::FormatSettings saved_;
};

std::string QbeRun::path_;

TEST_F(QbeRun, EveryOddTableOpensFiltersAndFindsAndTheFileStaysAsItWas) {
  const std::string before = Bytes();
  Outcome o = Qbe({"--table", "odd things", "big=4000000000.."});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("5000000000"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("9223372036854775807"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("-9223372036854775808"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("2 records match"), std::string::npos) << o.out;

  o = Qbe({"--table", "odd things", "--find", "--index", "odd_big", "big=42"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("Müller"), std::string::npos) << o.out;

  o = Qbe({"--table", "odd things", "--csv", "stamp=2024-01-05..2024-01-06 23:59", "untyped=..8"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("\n1,5000000000,"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\n2,-9223372036854775808,"), std::string::npos) << o.out;

  o = Qbe({"--table", "odd things", "julian=2024-01-05"});
  EXPECT_NE(o.out.find("1 record matches"), std::string::npos) << o.out << o.err;
  o = Qbe({"--table", "odd things", "unix=1970-01-01..1970-01-02"});
  EXPECT_NE(o.out.find("1 record matches"), std::string::npos) << o.out << o.err;
  o = Qbe({"--table", "odd things", "qty=lo"});
  EXPECT_NE(o.out.find("1 record matches"), std::string::npos) << "text in an INTEGER column: " << o.out << o.err;

  o = Qbe({"--table", "big ones", "note=pl"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("1 record matches (filter on big ones"), std::string::npos) << o.out;
  o = Qbe({"--table", "codes", "full name=United"});
  EXPECT_NE(o.out.find("United States"), std::string::npos) << o.out << o.err;
  o = Qbe({"--table", "customers", "--find", "--index", "PRIMARY", "--mode", "exact", "id=3"});
  EXPECT_NE(o.out.find("Meyer"), std::string::npos) << o.out << o.err;
  EXPECT_EQ(Bytes(), before);
}

TEST_F(QbeRun, OutputEscapesControlCharactersInvalidUtf8AndShowsBlobsInHex) {
  for (bool csv : {false, true}) {
    std::vector<std::string> args = {"--table", "odd things"};
    if (csv) args.push_back("--csv");
    const Outcome o = Qbe(args);
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("tab\\tand\\nline"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("A\\xc3"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("x'00ff10'"), std::string::npos) << o.out;
    for (char c : o.out) {
      const auto b = static_cast<unsigned char>(c);
      EXPECT_TRUE(b >= 0x20 || c == '\n') << "raw control byte " << int(b);
    }
    EXPECT_EQ(o.out.find("\xC3\n"), std::string::npos) << "no stray byte";
  }
}

TEST_F(QbeRun, DatesAreTypedInTheLocalesFormOrIsoAndShownInTheLocalesForm) {
  Outcome o = Qbe({"--table", "codes", "since=10/03/1990"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("Germany"), std::string::npos) << o.out;
  const std::string shown = vantor::DateToStr(vantor::EncodeDate(1990, 10, 3));
  EXPECT_NE(o.out.find(shown), std::string::npos) << "shown as typed: " << o.out;
  o = Qbe({"--table", "codes", "since=1990-10-03"});
  EXPECT_NE(o.out.find("Germany"), std::string::npos) << o.out << o.err;
  o = Qbe({"--table", "codes", "since=3rd of October"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("2024-01-05 for 5 January 2024"), std::string::npos) << o.err;
  o = Qbe({"--help"}, false);
  EXPECT_EQ(o.code, 0);
  EXPECT_NE(o.out.find("Dates are typed as the locale writes them, such as " +
                       vantor::DateToStr(vantor::EncodeDate(2024, 1, 5))),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("2024-01-05"), std::string::npos);
  o = Qbe({"--locale", "xx_NOWHERE", "--help"}, false);
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("the locale 'xx_NOWHERE' is not installed"), std::string::npos) << o.err;
}

TEST_F(QbeRun, IndexModesNeedAKeyValueAndSayWhatTheyDoNotUse) {
  Outcome o = Qbe({"--table", "odd things", "--find", "--mode", "exact", "untyped=7"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("--mode exact seeks along an index; choose one with --index"), std::string::npos) << o.err;
  o = Qbe({"--table", "odd things", "--find", "--mode", "nearest", "--index", "odd_big", "untyped=7"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("give a value for 'big'"), std::string::npos) << o.err;
  EXPECT_EQ(o.out, "") << "nothing is shown as found";
  o = Qbe({"--table", "odd things", "--find", "--mode", "nearest", "--index", "odd_big", "big=43..50", "note=x",
           "--compare", "exact", "--case-sensitive"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.err.find("the range 'big=43..50' is used as its lower bound only"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("'note=x' is not used"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("--compare is not used"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("--case-sensitive is not used"), std::string::npos) << o.err;
}

TEST_F(QbeRun, RangesWithTheirBoundsReversedOrThreeDotsGetAHint) {
  Outcome o = Qbe({"--table", "odd things", "untyped=10..7"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("its lower bound is above its upper bound; did you mean untyped=7..10?"), std::string::npos)
      << o.err;
  o = Qbe({"--table", "odd things", "untyped=5...7"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("more than two dots; a range is written Lo..Hi"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("'.7'"), std::string::npos) << o.err;
}

TEST_F(QbeRun, NotFoundIsSaidAfterTheRecordsWithHowManyWereFound) {
  const Outcome o = Qbe({"--table", "odd things", "--find", "untyped=7..", "--next", "9"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("4 records found"), std::string::npos) << o.out;
  EXPECT_NE(o.err.find("The following record is not found (after 4 records found)"), std::string::npos) << o.err;
}

TEST_F(QbeRun, ErrorsReadAsSentences) {
  Outcome o = Qbe({"--db", "/tmp"}, false);
  EXPECT_EQ(o.code, 2);
  EXPECT_EQ(o.err, "qbe: /tmp is a directory, not a database file\n");
  const std::string text = ::testing::TempDir() + "qbe_not_a_db.txt";
  {
    std::ofstream f(text);
    f << "name,city\n";
  }
  o = Qbe({"--db", text}, false);
  EXPECT_EQ(o.code, 1);
  EXPECT_EQ(o.err, "qbe: " + text + " is not an SQLite database\n");
  std::remove(text.c_str());
  o = Qbe({"--db", text}, false);
  EXPECT_EQ(o.err, "qbe: " + text + " does not exist\n");
  o = Qbe({});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("several tables; choose one with --table. Tables: codes, customers, odd things; views: big ones"),
            std::string::npos)
      << o.err;
  o = Qbe({"--table", "nothing"});
  EXPECT_NE(o.err.find("there is no table or view 'nothing'"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("SELECT"), std::string::npos) << o.err;
}

}  // namespace
