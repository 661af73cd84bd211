#include "support/pg_server.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace vantor::testing_support {

namespace {

std::string Bin(const char* program) { return std::string(PgServer::kBinDir) + "/" + program; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The command line that runs `argv` as the postgres user (directly when not root).
std::vector<std::string> AsPostgres(std::vector<std::string> argv) {
  if (geteuid() != 0) return argv;
  std::vector<std::string> wrapped{"runuser", "-u", "postgres", "--"};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  return wrapped;
}

// Starts `argv` (looked up on PATH) with its output appended to `log` and stdin from
// `stdin_fd` (or /dev/null when -1); the process id.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log, int stdin_fd = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdin_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdin_fd, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

// Runs `argv` to its end; true when it exited with 0.
bool Run(const std::vector<std::string>& argv, const std::string& log) {
  const pid_t pid = Spawn(argv, log);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Single quotes for a shell word.
std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

bool PgServer::BinariesPresent() {
  return access(Bin("initdb").c_str(), X_OK) == 0 && access(Bin("pg_ctl").c_str(), X_OK) == 0;
}

std::unique_ptr<PgServer> PgServer::Start() {
  if (!BinariesPresent()) throw std::runtime_error(std::string("no PostgreSQL server binaries in ") + kBinDir);
  std::string pattern = (std::filesystem::temp_directory_path() / "vantor-pg-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
  std::unique_ptr<PgServer> server(new PgServer(pattern));
  const std::string& dir = server->dir_;
  if (geteuid() == 0) {
    // The server refuses to run as root; its directory belongs to the postgres user.
    const passwd* pw = getpwnam("postgres");
    if (pw == nullptr) throw std::runtime_error("there is no postgres user to run the server as");
    if (chown(dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) throw std::runtime_error("cannot hand " + dir + " to postgres");
  }
  const std::string data = dir + "/data";
  const std::string log = dir + "/log";
  auto fail = [&log](const std::string& what) -> std::runtime_error {
    return std::runtime_error(what + ":\n" + ReadFile(log));
  };
  if (!Run(AsPostgres({Bin("initdb"), "-D", data, "-E", "UTF8", "--locale=C.UTF-8", "-A", "trust", "-U", "postgres",
                       "--no-sync"}),
           log)) {
    throw fail("initdb failed");
  }
  {
    std::ofstream conf(data + "/postgresql.conf", std::ios::app);
    conf << "listen_addresses = ''\n"
         << "unix_socket_directories = '" << dir << "'\n"
         << "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
         << "max_connections = 40\nshared_buffers = 64MB\n";
  }
  // The watchdog: stops the server and removes the directory unless told "done".
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make the watchdog's pipe");
  const std::string cleanup = "read word; [ \"$word\" = done ] || { " +
                              (geteuid() == 0 ? std::string("runuser -u postgres -- ") : std::string()) +
                              ShellQuote(Bin("pg_ctl")) + " -D " + ShellQuote(data) + " -m immediate -w stop; rm -rf " +
                              ShellQuote(dir) + "; }";
  Spawn({"sh", "-c", cleanup}, "/dev/null", fds[0]);
  close(fds[0]);
  server->watchdog_fd_ = fds[1];
  // The server's own log is written by the postgres user, so it must not exist before.
  const std::string server_log = dir + "/server.log";
  if (!Run(AsPostgres({Bin("pg_ctl"), "-D", data, "-w", "-t", "60", "-l", server_log, "start"}), log)) {
    throw std::runtime_error("the server did not start:\n" + ReadFile(log) + ReadFile(server_log));
  }
  server->running_ = true;
  return server;
}

PgServer::~PgServer() { Stop(); }

void PgServer::Stop() {
  if (running_) {
    Run(AsPostgres({Bin("pg_ctl"), "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"}), "/dev/null");
    running_ = false;
  }
  if (watchdog_fd_ >= 0) {
    [[maybe_unused]] const ssize_t written = write(watchdog_fd_, "done\n", 5);
    close(watchdog_fd_);
    watchdog_fd_ = -1;
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string PgServer::ConnInfo(const std::string& database) const {
  return "host=" + dir_ + " port=5432 user=postgres dbname=" + database;
}

std::string PgServer::CreateDatabase(const std::string& name) const {
  const std::string quoted = "\"" + name + "\"";
  PgExec(ConnInfo(), "DROP DATABASE IF EXISTS " + quoted);
  PgExec(ConnInfo(), "CREATE DATABASE " + quoted + " TEMPLATE template0 ENCODING 'UTF8'");
  return ConnInfo(name);
}

void PgServer::Exec(const std::string& conninfo, const std::string& sql) const { PgExec(conninfo, sql); }

void PgExec(const std::string& conninfo, const std::string& sql) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  const auto finish = [conn] { PQfinish(conn); };
  if (PQstatus(conn) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(conn);
    finish();
    throw std::runtime_error("cannot connect: " + message);
  }
  // Notices ("does not exist, skipping") are no news to a test.
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  PGresult* result = PQexec(conn, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  const std::string message = PQresultErrorMessage(result);
  PQclear(result);
  finish();
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw std::runtime_error(message + "in: " + sql);
}

std::string PgValue(const std::string& conninfo, const std::string& sql,
                    const std::vector<std::optional<std::string>>& params) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  std::vector<const char*> values;
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  PGresult* result = PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                  nullptr, 0);
  const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
  const std::string value = ok ? PQgetvalue(result, 0, 0) : std::string(PQerrorMessage(conn));
  PQclear(result);
  PQfinish(conn);
  if (!ok) throw std::runtime_error("no value from " + sql + ": " + value);
  return value;
}

}  // namespace vantor::testing_support
