// The qbe program's printing.
#include "qbe/qbe_output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using qbe::CsvField;
using qbe::ResultTable;

ResultTable People() {
  ResultTable t;
  t.headers = {"Id", "Name", "City"};
  t.right_aligned = {true, false, false};
  t.rows = {{"1", "Smith", "Berlin"}, {"12", "Goldsmith", "Bern"}};
  return t;
}

TEST(QbeCsv, PlainFieldsAreWrittenAsTheyAre) {
  EXPECT_EQ(CsvField("Smith"), "Smith");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("12.5"), "12.5");
}

TEST(QbeCsv, SpecialCharactersAreQuotedAndQuotesDoubled) {
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "two\\nlines") << "escaped, never a raw line break";
  EXPECT_EQ(CsvField("cr\r"), "cr\\r");
  EXPECT_EQ(CsvField(" padded"), "\" padded\"");
}

TEST(QbeCsv, HeaderThenOneLinePerRowInOrder) {
  std::ostringstream out;
  auto t = People();
  t.rows.push_back({"3", "O'Neil, Jr.", ""});
  qbe::WriteCsv(out, t);
  EXPECT_EQ(out.str(), "Id,Name,City\n1,Smith,Berlin\n12,Goldsmith,Bern\n3,\"O'Neil, Jr.\",\n");
}

TEST(QbeAligned, ColumnsArePaddedToTheWidestValue) {
  std::ostringstream out;
  qbe::WriteAligned(out, People(), 2);
  EXPECT_EQ(out.str(),
            "Id  Name       City\n"
            "--  ---------  ------\n"
            " 1  Smith      Berlin\n"
            "12  Goldsmith  Bern\n");
}

TEST(QbeAligned, LongAndMultiLineValuesAreCutAndFlattened) {
  ResultTable t;
  t.headers = {"Note"};
  t.rows = {{"first line\nsecond line and much more text"}};
  std::ostringstream out;
  qbe::WriteAligned(out, t, 1, 12);
  EXPECT_EQ(out.str(), "Note\n------------\nfirst lin...\n");
}

TEST(QbeAligned, WidthCountsColumnsNotBytes) {
  ResultTable t;
  t.headers = {"Name", "N"};
  t.right_aligned = {false, true};
  t.rows = {{"Müller", "1"}, {"Li", "22"}};
  std::ostringstream out;
  qbe::WriteAligned(out, t, 2);
  EXPECT_EQ(out.str(), "Name     N\n------  --\nMüller   1\nLi      22\n");
  // Wide characters take two columns each, so the column stays aligned on a terminal.
  t.rows = {{"東京", "1"}, {"Li", "22"}};
  std::ostringstream wide;
  qbe::WriteAligned(wide, t, 2);
  EXPECT_EQ(wide.str(), "Name   N\n----  --\n東京   1\nLi    22\n");
}

TEST(QbeAligned, SaysHowManyRecordsAreNotShown) {
  std::ostringstream out;
  auto t = People();
  t.rows.resize(1);
  qbe::WriteAligned(out, t, 5);
  EXPECT_NE(out.str().find("... 4 more not shown"), std::string::npos);

  std::ostringstream none;
  t.rows.clear();
  qbe::WriteAligned(none, t, 0);
  EXPECT_EQ(none.str(), "");
}

}  // namespace

namespace {

TEST(QbeEscapes, ControlCharactersAndInvalidUtf8AreShownEscaped) {
  EXPECT_EQ(qbe::Escaped("tab\tand\nline\r"), "tab\\tand\\nline\\r");
  EXPECT_EQ(qbe::Escaped(std::string("nul\0bell\a", 9)), "nul\\x00bell\\x07");
  EXPECT_EQ(qbe::Escaped("A\xC3"), "A\\xc3") << "a cut-off sequence";
  EXPECT_EQ(qbe::Escaped("\xFF\xFE"), "\\xff\\xfe");
  EXPECT_EQ(qbe::Escaped("\x7F"), "\\x7f");
  EXPECT_EQ(qbe::Escaped("\xC2\x85"), "\\u0085") << "a C1 control";
  EXPECT_EQ(qbe::Escaped("Müller €"), "Müller €") << "printable text stays as it is";
  std::ostringstream out;
  ResultTable t;
  t.headers = {"Note"};
  t.rows = {{"a\tb"}};
  qbe::WriteCsv(out, t);
  EXPECT_EQ(out.str(), "Note\na\\tb\n");
}

TEST(QbeEscapes, BlobsShowAsHexOrTheirSize) {
  EXPECT_EQ(qbe::BlobText(std::string("\0\xFF\x10", 3)), "x'00ff10'");
  EXPECT_EQ(qbe::BlobText(""), "x''");
  EXPECT_EQ(qbe::BlobText(std::string(17, 'a')), "(BLOB, 17 bytes)");
}

}  // namespace
