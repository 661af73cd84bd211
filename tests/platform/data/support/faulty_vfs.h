#pragma once
// A SQLite VFS over the platform's own that fails one chosen file call: the Nth read,
// write, sync, lock or file-size call after Arm, with the error a failing disk gives.
// While it lives it is the default VFS, so every connection opened meanwhile (the data
// sets' own included) goes through it. One at a time.

#include <array>
#include <atomic>

struct sqlite3_vfs;

namespace vantor::testing_support {

enum class IoFault { kRead, kShortRead, kWrite, kDiskFull, kSync, kLock, kFileSize };
inline constexpr std::array kIoFaults{IoFault::kRead, IoFault::kShortRead, IoFault::kWrite, IoFault::kDiskFull,
                                      IoFault::kSync, IoFault::kLock, IoFault::kFileSize};
const char* IoFaultName(IoFault fault);

class FaultyVfs {
 public:
  FaultyVfs();
  ~FaultyVfs();
  FaultyVfs(const FaultyVfs&) = delete;
  FaultyVfs& operator=(const FaultyVfs&) = delete;

  // Counts the calls `fault` stands for from now on and fails the `nth` (1-based); 0
  // only counts.
  void Arm(IoFault fault, int nth);
  // Calls counted since Arm.
  int Calls() const { return calls_; }
  // Whether the armed call came and failed.
  bool Fired() const { return fired_; }

  // Called by the wrapped files: the error to answer the call with, or 0 to pass it on.
  int Intercept(IoFault kind);

 private:
  sqlite3_vfs* base_ = nullptr;
  IoFault fault_ = IoFault::kRead;
  int nth_ = 0;
  std::atomic<int> calls_{0};
  std::atomic<bool> fired_{false};
};

}  // namespace vantor::testing_support
