#pragma once
// Real-window tests: a virtual X server (Xvfb) of the test's own on a free display
// number, child processes ended when they go out of scope, and programs (xdotool) run
// to their end with a time limit.

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantor::testing {

// The program's path found along PATH, or empty.
std::string Which(const std::string& program);

// A child process, ended (SIGTERM, then waited for) when it goes out of scope. Its
// standard output and error go to `output`.
class Process {
 public:
  explicit Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                   const std::string& output = "/dev/null");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // Whether it is still running.
  bool Running() const;

 private:
  pid_t pid_ = -1;
};

// Runs a program (looked up in PATH) to its end, for at most 30 seconds; its exit
// status, -1 when it could not start or did not end in time.
int RunToEnd(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);

// Xvfb on the first free display number from 71 on, 1024 x 768; `Ready()` once it serves
// (up to 20 seconds). Tests run side by side may pick the same number: the one whose
// server lost the race (another server's lock) tries the next number.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& xvfb);
  bool Ready() const { return ready_; }
  // DISPLAY for the programs that use it.
  std::map<std::string, std::string> Environment() const { return {{"DISPLAY", name_}}; }

 private:
  std::string name_;
  std::unique_ptr<Process> server_;
  bool ready_ = false;
};

}  // namespace vantor::testing
