#include "tests/integration/FileCallCounter.h"

#include <windows.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace qel::bench {

namespace {

enum Call { kOpen, kDelete, kAccess, kRead, kWrite, kTruncate, kSync, kSize, kLock, kUnlock, kReserved, kControl, kShm, kCalls };
constexpr std::array<const char*, kCalls> kNames = {"open",   "delete", "exists", "read",    "write",
                                                    "truncate", "sync", "size",   "lock",    "unlock",
                                                    "reserved?", "control", "shared memory"};

struct Tally {
    long long calls = 0;
    long long ticks = 0;
};
std::array<Tally, kCalls> g_tally;

long long Ticks() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

// Runs one call of the layer beneath, adding its count and time.
template <class F>
int Counted(Call call, F&& real) {
    const long long start = Ticks();
    int rc = real();
    g_tally[call].calls++;
    g_tally[call].ticks += Ticks() - start;
    return rc;
}

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_counting;

// The counting file, followed in the same allocation by the layer beneath's own.
struct CountedFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<CountedFile*>(f)->real; }
const sqlite3_io_methods* M(sqlite3_file* f) { return Real(f)->pMethods; }

int Close(sqlite3_file* f) { return M(f)->xClose(Real(f)); }
int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 at) {
    return Counted(kRead, [&] { return M(f)->xRead(Real(f), b, n, at); });
}
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 at) {
    return Counted(kWrite, [&] { return M(f)->xWrite(Real(f), b, n, at); });
}
int Truncate(sqlite3_file* f, sqlite3_int64 n) {
    return Counted(kTruncate, [&] { return M(f)->xTruncate(Real(f), n); });
}
int Sync(sqlite3_file* f, int flags) { return Counted(kSync, [&] { return M(f)->xSync(Real(f), flags); }); }
int Size(sqlite3_file* f, sqlite3_int64* n) { return Counted(kSize, [&] { return M(f)->xFileSize(Real(f), n); }); }
int Lock(sqlite3_file* f, int level) { return Counted(kLock, [&] { return M(f)->xLock(Real(f), level); }); }
int Unlock(sqlite3_file* f, int level) { return Counted(kUnlock, [&] { return M(f)->xUnlock(Real(f), level); }); }
int Reserved(sqlite3_file* f, int* out) {
    return Counted(kReserved, [&] { return M(f)->xCheckReservedLock(Real(f), out); });
}
int Control(sqlite3_file* f, int op, void* arg) {
    return Counted(kControl, [&] { return M(f)->xFileControl(Real(f), op, arg); });
}
int SectorSize(sqlite3_file* f) { return M(f)->xSectorSize(Real(f)); }
int Characteristics(sqlite3_file* f) { return M(f)->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Counted(kShm, [&] { return M(f)->xShmMap(Real(f), page, size, extend, out); });
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Counted(kShm, [&] { return M(f)->xShmLock(Real(f), offset, n, flags); });
}
void ShmBarrier(sqlite3_file* f) { M(f)->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int remove) { return M(f)->xShmUnmap(Real(f), remove); }
int Fetch(sqlite3_file* f, sqlite3_int64 at, int n, void** out) { return M(f)->xFetch(Real(f), at, n, out); }
int Unfetch(sqlite3_file* f, sqlite3_int64 at, void* p) { return M(f)->xUnfetch(Real(f), at, p); }

// The default layer's files all offer the third version of the methods.
const sqlite3_io_methods kMethods = {
    .iVersion = 3,
    .xClose = Close,
    .xRead = Read,
    .xWrite = Write,
    .xTruncate = Truncate,
    .xSync = Sync,
    .xFileSize = Size,
    .xLock = Lock,
    .xUnlock = Unlock,
    .xCheckReservedLock = Reserved,
    .xFileControl = Control,
    .xSectorSize = SectorSize,
    .xDeviceCharacteristics = Characteristics,
    .xShmMap = ShmMap,
    .xShmLock = ShmLock,
    .xShmBarrier = ShmBarrier,
    .xShmUnmap = ShmUnmap,
    .xFetch = Fetch,
    .xUnfetch = Unfetch,
};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<CountedFile*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    f->pMethods = nullptr;
    int rc = Counted(kOpen, [&] { return g_real->xOpen(g_real, name, file->real, flags, outFlags); });
    if (rc == SQLITE_OK && file->real->pMethods) f->pMethods = &kMethods;
    return rc;
}
int Delete(sqlite3_vfs*, const char* name, int sync) {
    return Counted(kDelete, [&] { return g_real->xDelete(g_real, name, sync); });
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return Counted(kAccess, [&] { return g_real->xAccess(g_real, name, flags, out); });
}

}  // namespace

void InstallFileCallCounter() {
    g_real = sqlite3_vfs_find(nullptr);
    g_counting = *g_real;
    g_counting.zName = "qel-counting";
    g_counting.pNext = nullptr;
    g_counting.szOsFile = static_cast<int>(sizeof(CountedFile)) + g_real->szOsFile;
    g_counting.xOpen = Open;
    g_counting.xDelete = Delete;
    g_counting.xAccess = Access;
    sqlite3_vfs_register(&g_counting, 1);
}

void ResetFileCalls() { g_tally = {}; }

std::string FileCallReport(long long rows) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    std::string out;
    for (int i = 0; i < kCalls; ++i) {
        const Tally& t = g_tally[static_cast<size_t>(i)];
        if (!t.calls) continue;
        const double us = 1e6 * static_cast<double>(t.ticks) / static_cast<double>(f.QuadPart);
        char line[160];
        std::snprintf(line, sizeof line, "    %-14s %8.3f calls/row %8.1f us/call %8.1f us/row\n",
                      kNames[static_cast<size_t>(i)], static_cast<double>(t.calls) / static_cast<double>(rows),
                      us / static_cast<double>(t.calls), us / static_cast<double>(rows));
        out += line;
    }
    return out;
}

}  // namespace qel::bench
