// qbe on a table of a PostgreSQL server prints what it prints for the same table in a
// SQLite file: the sample database loaded into both, several filters and finds.
#include "qbe/qbe_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/rtl/format_settings.h>
#include "support/pg_environment.h"
#include "support/pg_loader.h"

namespace {

using vantor::testing_support::PgTest;

// The text with the timings of qbe's summary line ("loaded in 3 ms, filter took 1 ms)")
// taken out.
std::string WithoutTimings(std::string text) {
  for (std::size_t at = text.find("loaded in "); at != std::string::npos; at = text.find("loaded in ", at + 1)) {
    const auto end = text.find(')', at);
    if (end == std::string::npos) break;
    text.replace(at, end - at, "loaded ...");
  }
  return text;
}

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class QbePg : public PgTest {
 protected:
  void SetUp() override {
    PgTest::SetUp();
    if (IsSkipped()) return;
    saved_ = vantor::CurrentFormat();
    path_ = ::testing::TempDir() + "qbe_pg_" + std::to_string(::getpid()) + ".db";
    vantor::CreateSampleDatabase(path_, 400, 1500);
    vantor::testing_support::LoadSampleDatabase(ConnInfo(), 400, 1500);
  }
  void TearDown() override {
    if (path_.empty()) return;
    std::remove(path_.c_str());
    vantor::SetFormatSettings(saved_);
  }

  // Runs qbe with `where` (--db FILE or --pg CONNINFO) before `args`; the timings of the
  // summary line are taken out.
  static Outcome Qbe(std::vector<std::string> where, const std::vector<std::string>& args) {
    where.insert(where.end(), {"--locale", "C.UTF-8"});
    where.insert(where.end(), args.begin(), args.end());
    std::vector<std::string_view> views(where.begin(), where.end());
    std::ostringstream out, err;
    Outcome o;
    o.code = qbe::Main(views, "qbe", out, err);
    o.out = WithoutTimings(out.str());
    o.err = WithoutTimings(err.str());
    return o;
  }
  // Runs `args` on both; the output of the SQLite file.
  std::string ExpectSame(const std::vector<std::string>& args) {
    const Outcome lite = Qbe({"--db", path_}, args);
    const Outcome pg = Qbe({"--pg", ConnInfo()}, args);
    std::string line;
    for (const std::string& a : args) line += a + " ";
    EXPECT_EQ(pg.code, lite.code) << line << pg.err;
    EXPECT_EQ(pg.out, lite.out) << line;
    EXPECT_EQ(pg.err, lite.err) << line;
    // Each case shows records, or says why not, so the comparison means something.
    EXPECT_FALSE(lite.out.empty() && lite.err.empty()) << line;
    return lite.out;
  }

  std::string path_;
  vantor::FormatSettings saved_;
};

TEST_F(QbePg, FiltersPrintTheSameAsOnTheSQLiteFile) {
  EXPECT_NE(ExpectSame({"--table", "customers", "city=Ber"}).find("Berlin"), std::string::npos);
  ExpectSame({"--table", "customers", "credit_limit=1000..2000", "country=Ital", "--csv"});
  ExpectSame({"--table", "customers", "name=müller", "--compare", "internal"});
  ExpectSame({"--table", "customers", "name=Sm", "--case-sensitive", "--limit", "50"});
  ExpectSame({"--table", "customers", "born=..1970-06-30", "active=true", "--csv"});
  ExpectSame({"--table", "customers", "rating=2.5..", "visits=..4", "balance=..0"});
  ExpectSame({"--table", "orders", "order_date=2023-01-01..2023-03-31", "amount=..50", "--csv"});
  ExpectSame({"--table", "orders", "ship_time=..08:30", "shipped=false", "--limit", "30"});
}

TEST_F(QbePg, FindsVisitTheSameRecordsAsOnTheSQLiteFile) {
  EXPECT_NE(ExpectSame({"--table", "customers", "--find", "--index", "customers_name", "name=Weber", "--next", "3"})
                .find("Weber"),
            std::string::npos);
  ExpectSame({"--table", "customers", "--find", "--index", "customers_city_name", "city=Paris", "name=B", "--next", "5"});
  ExpectSame({"--table", "customers", "--find", "--mode", "normal", "email=..b", "--next", "4"});
  ExpectSame({"--table", "orders", "--find", "--index", "orders_customer_date", "customer_id=17", "--next", "10"});
  ExpectSame({"--table", "customers", "--find", "--index", "customers_name", "--mode", "exact", "name=Nobody Here"});
}

TEST_F(QbePg, ServerProblemsAndMisuseAreSaidInSentences) {
  const Outcome missing = Qbe({"--pg", ConnInfo()}, {"--table", "custmers", "city=Ber"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("There is no table or view 'custmers'"), std::string::npos) << missing.err;
  const Outcome both = Qbe({"--pg", ConnInfo(), "--db", "x.db"}, {"--table", "customers"});
  EXPECT_EQ(both.code, 2);
  EXPECT_NE(both.err.find("--pg and --db name two different databases"), std::string::npos) << both.err;
  const Outcome no_table = Qbe({"--pg", ConnInfo()}, {"city=Ber"});
  EXPECT_NE(no_table.err.find("--pg needs the table to query"), std::string::npos) << no_table.err;
}

}  // namespace
