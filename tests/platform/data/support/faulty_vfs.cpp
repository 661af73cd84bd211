#include "faulty_vfs.h"

#include <sqlite3.h>

#include <cassert>
#include <cstring>

namespace vantor::testing_support {

namespace {

FaultyVfs* g_active = nullptr;

// The file as SQLite sees it: our methods in front, the real file right behind.
struct WrappedFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<WrappedFile*>(f)->real; }

int Intercept(IoFault kind) { return g_active != nullptr ? g_active->Intercept(kind) : 0; }

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  if (const int error = Intercept(IoFault::kRead)) {
    if (error == SQLITE_IOERR_SHORT_READ) std::memset(buffer, 0, static_cast<std::size_t>(amount));
    return error;
  }
  return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  if (const int error = Intercept(IoFault::kWrite)) return error;
  return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) {
  if (const int error = Intercept(IoFault::kSync)) return error;
  return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  if (const int error = Intercept(IoFault::kFileSize)) return error;
  return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
  if (const int error = Intercept(IoFault::kLock)) return error;
  return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }

// Version 1: no shared memory (so no WAL) and no memory mapping, whose reads would pass
// by xRead unseen.
const sqlite3_io_methods kMethods = {1,        Close,       Read,        Write,       Truncate, Sync, FileSize, Lock,
                                     Unlock,   CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics,
                                     nullptr,  nullptr,     nullptr,     nullptr,     nullptr,  nullptr};

sqlite3_vfs g_vfs;
sqlite3_vfs* g_base = nullptr;

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  auto* wrapped = reinterpret_cast<WrappedFile*>(file);
  wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
  const int rc = g_base->xOpen(g_base, name, wrapped->real, flags, out_flags);
  // A failed open leaves no methods to close with; SQLite knows it by ours being null.
  wrapped->base.pMethods = wrapped->real->pMethods != nullptr ? &kMethods : nullptr;
  return rc;
}

}  // namespace

const char* IoFaultName(IoFault fault) {
  switch (fault) {
    case IoFault::kRead: return "read error";
    case IoFault::kShortRead: return "short read";
    case IoFault::kWrite: return "write error";
    case IoFault::kDiskFull: return "disk full";
    case IoFault::kSync: return "sync error";
    case IoFault::kLock: return "busy lock";
    case IoFault::kFileSize: return "file size error";
  }
  return "?";
}

FaultyVfs::FaultyVfs() {
  assert(g_active == nullptr);  // one at a time: the wrapped files reach it through g_active
  base_ = g_base = sqlite3_vfs_find(nullptr);
  g_vfs = *base_;
  g_vfs.zName = "vantor-faulty";
  g_vfs.szOsFile = static_cast<int>(sizeof(WrappedFile)) + base_->szOsFile;
  g_vfs.xOpen = Open;
  g_vfs.pNext = nullptr;
  sqlite3_vfs_register(&g_vfs, 1);
  g_active = this;
}

FaultyVfs::~FaultyVfs() {
  g_active = nullptr;
  sqlite3_vfs_unregister(&g_vfs);
  sqlite3_vfs_register(base_, 1);
}

void FaultyVfs::Arm(IoFault fault, int nth) {
  fault_ = fault;
  nth_ = nth;
  calls_ = 0;
  fired_ = false;
}

int FaultyVfs::Intercept(IoFault kind) {
  const IoFault counted = fault_ == IoFault::kShortRead ? IoFault::kRead : fault_ == IoFault::kDiskFull ? IoFault::kWrite : fault_;
  if (kind != counted) return 0;
  if (++calls_ != nth_) return 0;
  fired_ = true;
  switch (fault_) {
    case IoFault::kRead: return SQLITE_IOERR_READ;
    case IoFault::kShortRead: return SQLITE_IOERR_SHORT_READ;
    case IoFault::kWrite: return SQLITE_IOERR_WRITE;
    case IoFault::kDiskFull: return SQLITE_FULL;
    case IoFault::kSync: return SQLITE_IOERR_FSYNC;
    case IoFault::kLock: return SQLITE_BUSY;
    case IoFault::kFileSize: return SQLITE_IOERR_FSTAT;
  }
  return 0;
}

}  // namespace vantor::testing_support
