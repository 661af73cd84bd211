#include "support/pg_environment.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

namespace vantor::testing_support {

namespace {

struct ServerState {
  std::unique_ptr<PgServer> server;
  std::string reason;
  bool tried = false;
};

ServerState& State() {
  static ServerState state;
  return state;
}

// Stops the server after the last test.
class PgEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { State().server.reset(); }
};

[[maybe_unused]] const ::testing::Environment* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new PgEnvironment);

}  // namespace

const PgServer* SharedPgServer() {
  ServerState& state = State();
  if (!state.tried) {
    state.tried = true;
    if (!PgServer::BinariesPresent()) {
      state.reason = std::string("PostgreSQL 15 is not installed (no initdb in ") + PgServer::kBinDir +
                     "); run scripts/deps.sh";
    } else {
      try {
        state.server = PgServer::Start();
      } catch (const std::exception& e) {
        state.reason = std::string("the test server could not start: ") + e.what();
      }
    }
  }
  return state.server.get();
}

const std::string& PgUnavailableReason() { return State().reason; }

void PgTest::SetUp() {
  server_ = SharedPgServer();
  if (server_ == nullptr) GTEST_SKIP() << PgUnavailableReason();
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '_'; });
  // Database names are at most 63 bytes.
  if (name.size() > 60) name = name.substr(0, 60);
  conninfo_ = server_->CreateDatabase(name);
}

void WaitUntilRunning(const std::string& conninfo, const std::string& marker) {
  for (int i = 0; i < 600; ++i) {
    const std::string running = PgValue(conninfo,
                                        "SELECT count(*) FROM pg_stat_activity WHERE state = 'active' AND "
                                        "query LIKE '%' || $1 || '%' AND pid <> pg_backend_pid()",
                                        {marker});
    if (running != "0") return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace vantor::testing_support
