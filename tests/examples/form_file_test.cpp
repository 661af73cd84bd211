// The form file example as a person runs it: without a display it prints the criteria the
// form made in the designer keeps and the records they let through, which are SQLite's
// own for the same condition; with --png it draws the form at the size the form gives.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/raster/raster_image.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

const std::string kForm = VANTOR_SOURCE_DIR "/examples/form_file/customers.vfm";

struct Outcome {
  int status = -1;
  std::vector<std::string> lines;
};

// Runs the example without a display, its standard output and error read line by line.
Outcome RunExample(const std::string& arguments) {
  const std::string command = "env -u DISPLAY '" VANTOR_FORM_FILE_PROGRAM "' " + arguments + " 2>&1";
  Outcome run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  run.status = ::pclose(pipe);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

class FormFileExample : public ::testing::Test {
 protected:
  // Enough customers that the form's criteria (a city beginning with "Ber", 10 to 20
  // visits) let several through.
  static void SetUpTestSuite() {
    database_ = (fs::path(::testing::TempDir()) / ("form_file_" + std::to_string(::getpid()) + ".db")).string();
    CreateSampleDatabase(database_, 20000, 10);
  }
  static void TearDownTestSuite() { fs::remove(database_); }

  // The rows of SQLite's answer to `sql`, their cells joined as the example prints them.
  static std::vector<std::string> Query(const std::string& sql) {
    SQLiteConnection db(database_);
    SQLiteStatement query(db, sql);
    std::vector<std::string> rows;
    while (query.Step()) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(query.Handle()); ++i) {
        row += (i == 0 ? "" : " | ") + std::string(reinterpret_cast<const char*>(sqlite3_column_text(query.Handle(), i)));
      }
      rows.push_back(row);
    }
    return rows;
  }

  inline static std::string database_;
};

TEST_F(FormFileExample, PrintsTheStoredCriteriaAndTheRecordsTheyLetThrough) {
  const Outcome run = RunExample("'" + kForm + "' '" + database_ + "'");
  ASSERT_EQ(run.status, 0);
  const std::string where = " FROM customers WHERE city LIKE 'Ber%' AND visits BETWEEN 10 AND 20";
  const std::string count = Query("SELECT count(*)" + where).at(0);
  ASSERT_GT(std::stoi(count), 1) << "the sample gives the criteria too little to do";
  std::vector<std::string> expected = {"city = Ber", "visits from 10 to 20", count + " records"};
  for (const std::string& row : Query("SELECT id, name, city, visits" + where + " ORDER BY id LIMIT 10")) {
    expected.push_back(row);
  }
  EXPECT_EQ(run.lines, expected);
}

TEST_F(FormFileExample, DrawsTheFormAtItsSizeIntoAPicture) {
  const fs::path png = fs::path(::testing::TempDir()) / ("form_file_" + std::to_string(::getpid()) + ".png");
  const Outcome run = RunExample("'" + kForm + "' '" + database_ + "' --png '" + png.string() + "'");
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(run.lines.empty());
  const TRasterImage image = TRasterImage::LoadPng(png.string());
  fs::remove(png);
  EXPECT_EQ(image.Width(), 640);
  EXPECT_EQ(image.Height(), 400);
}

TEST_F(FormFileExample, AFormFileThatIsMissingIsSaidAndFails) {
  const Outcome run = RunExample("'" + kForm + ".missing' '" + database_ + "'");
  EXPECT_NE(run.status, 0);
  ASSERT_EQ(run.lines.size(), 1u);
  EXPECT_EQ(run.lines[0], "form_file: Cannot read " + kForm + ".missing");
}

}  // namespace
}  // namespace vantor
