#include "support/virtual_display.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The process's environment with `env` put over it, as posix_spawn takes it.
std::vector<std::string> Environment(const std::map<std::string, std::string>& env) {
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (env.count(entry.substr(0, entry.find('='))) == 0) environment.push_back(entry);
  }
  for (const auto& [k, v] : env) environment.push_back(k + "=" + v);
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

int FreeDisplay() {
  int display = 71;
  while (fs::exists("/tmp/.X" + std::to_string(display) + "-lock") ||
         fs::exists("/tmp/.X11-unix/X" + std::to_string(display))) {
    ++display;
  }
  return display;
}

// Whether the server `server` started for display `number` serves it: its lock file names
// it and its socket is there. False once it has ended (another server holds the number) or
// after 20 seconds.
bool Serving(const std::string& number, const Process& server) {
  for (auto deadline = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < deadline;) {
    if (!server.Running()) return false;
    pid_t owner = 0;
    std::ifstream("/tmp/.X" + number + "-lock") >> owner;
    if (owner == server.Pid() && fs::exists("/tmp/.X11-unix/X" + number)) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

}  // namespace

std::string Which(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = end + 1;
  }
  return {};
}

Process::Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                 const std::string& output) {
  std::vector<std::string> arguments = argv;
  std::vector<std::string> environment = Environment(env);
  std::vector<char*> args = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

Process::~Process() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

bool Process::Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

int RunToEnd(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
  std::vector<std::string> arguments = argv;
  arguments[0] = Which(argv[0]);
  if (arguments[0].empty()) return -1;
  std::vector<std::string> environment = Environment(env);
  std::vector<char*> args = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return -1;
  int status = 0;
  for (auto deadline = std::chrono::steady_clock::now() + 30s; ::waitpid(pid, &status, WNOHANG) == 0;) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(20ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

VirtualDisplay::VirtualDisplay(const std::string& xvfb) {
  for (int attempt = 0; attempt < 10 && !ready_; ++attempt) {
    const std::string number = std::to_string(FreeDisplay());
    name_ = ":" + number;
    server_ = std::make_unique<Process>(
        std::vector<std::string>{xvfb, name_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!server_->Started()) return;
    ready_ = Serving(number, *server_);
  }
}

}  // namespace vantor::testing
