#include "dbupgrade/SqliteExclusiveVfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace qel::db {

namespace {

struct ExclusiveFile {
    sqlite3_file base;  // first, as the engine expects
    HANDLE handle;
    int lock;
};

sqlite3_vfs* g_default = nullptr;
sqlite3_vfs g_vfs;
thread_local DWORD g_lastOpenError = 0;

HANDLE HandleOf(sqlite3_file* f) { return reinterpret_cast<ExclusiveFile*>(f)->handle; }

// Moves the handle's file pointer, for the read or write that follows. The handle is
// this connection's own and the engine never uses a connection from two threads at
// once. An offset in an OVERLAPPED block would save the call, but Wine then posts the
// result to the (absent) completion port of the file through its server on every call.
bool Seek(sqlite3_file* f, sqlite3_int64 offset) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(HandleOf(f), to, nullptr, FILE_BEGIN) != 0;
}

int Close(sqlite3_file* f) {
    auto* file = reinterpret_cast<ExclusiveFile*>(f);
    BOOL ok = CloseHandle(file->handle);
    file->handle = INVALID_HANDLE_VALUE;
    return ok ? SQLITE_OK : SQLITE_IOERR_CLOSE;
}

int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    auto* out = static_cast<char*>(buffer);
    if (!Seek(f, offset)) return SQLITE_IOERR_READ;
    int done = 0;
    while (done < amount) {
        DWORD got = 0;
        if (!ReadFile(HandleOf(f), out + done, static_cast<DWORD>(amount - done), &got, nullptr))
            return SQLITE_IOERR_READ;
        if (got == 0) break;  // the end of the file
        done += static_cast<int>(got);
    }
    if (done < amount) {
        // The engine relies on the unread part being zeros.
        std::memset(out + done, 0, static_cast<size_t>(amount - done));
        return SQLITE_IOERR_SHORT_READ;
    }
    return SQLITE_OK;
}

int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    const auto* in = static_cast<const char*>(buffer);
    if (!Seek(f, offset)) return SQLITE_IOERR_WRITE;
    int done = 0;
    while (done < amount) {
        DWORD written = 0;
        if (!WriteFile(HandleOf(f), in + done, static_cast<DWORD>(amount - done), &written, nullptr) || written == 0) {
            DWORD error = GetLastError();
            return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? SQLITE_FULL : SQLITE_IOERR_WRITE;
        }
        done += static_cast<int>(written);
    }
    return SQLITE_OK;
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    LARGE_INTEGER to;
    to.QuadPart = size;
    if (!SetFilePointerEx(HandleOf(f), to, nullptr, FILE_BEGIN) || !SetEndOfFile(HandleOf(f)))
        return SQLITE_IOERR_TRUNCATE;
    return SQLITE_OK;
}

int Sync(sqlite3_file* f, int) { return FlushFileBuffers(HandleOf(f)) ? SQLITE_OK : SQLITE_IOERR_FSYNC; }

int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    LARGE_INTEGER n;
    if (!GetFileSizeEx(HandleOf(f), &n)) return SQLITE_IOERR_FSTAT;
    *size = n.QuadPart;
    return SQLITE_OK;
}

// Nobody else can open the file, so a lock is always granted at once.
int Lock(sqlite3_file* f, int level) {
    reinterpret_cast<ExclusiveFile*>(f)->lock = level;
    return SQLITE_OK;
}
int Unlock(sqlite3_file* f, int level) {
    reinterpret_cast<ExclusiveFile*>(f)->lock = level;
    return SQLITE_OK;
}
int CheckReservedLock(sqlite3_file*, int* reserved) {
    *reserved = 0;
    return SQLITE_OK;
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    if (op == SQLITE_FCNTL_LOCKSTATE) {
        *static_cast<int*>(arg) = reinterpret_cast<ExclusiveFile*>(f)->lock;
        return SQLITE_OK;
    }
    return SQLITE_NOTFOUND;
}
int SectorSize(sqlite3_file*) { return 4096; }
int DeviceCharacteristics(sqlite3_file*) { return 0; }

const sqlite3_io_methods kMethods = {
    .iVersion = 1,
    .xClose = Close,
    .xRead = Read,
    .xWrite = Write,
    .xTruncate = Truncate,
    .xSync = Sync,
    .xFileSize = FileSize,
    .xLock = Lock,
    .xUnlock = Unlock,
    .xCheckReservedLock = CheckReservedLock,
    .xFileControl = FileControl,
    .xSectorSize = SectorSize,
    .xDeviceCharacteristics = DeviceCharacteristics,
    .xShmMap = nullptr,
    .xShmLock = nullptr,
    .xShmBarrier = nullptr,
    .xShmUnmap = nullptr,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

std::wstring Wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    if (!(flags & SQLITE_OPEN_MAIN_DB) || !name) return g_default->xOpen(g_default, name, f, flags, outFlags);

    f->pMethods = nullptr;  // the engine closes nothing when the open fails
    std::wstring path = Wide(name);
    bool write = (flags & SQLITE_OPEN_READWRITE) != 0;
    DWORD creation = (flags & SQLITE_OPEN_CREATE) ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0), 0, nullptr, creation,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h == INVALID_HANDLE_VALUE && write && error == ERROR_ACCESS_DENIED) {
        // A read-only file is still held exclusively, for reading.
        h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
            error = 0;
        } else if (GetLastError() != ERROR_ACCESS_DENIED) {
            error = GetLastError();
        }
    }
    g_lastOpenError = error;
    if (h == INVALID_HANDLE_VALUE) return SQLITE_CANTOPEN;

    auto* file = reinterpret_cast<ExclusiveFile*>(f);
    file->handle = h;
    file->lock = SQLITE_LOCK_NONE;
    f->pMethods = &kMethods;
    if (outFlags) *outFlags = flags;
    return SQLITE_OK;
}

void Register() {
    g_default = sqlite3_vfs_find(nullptr);
    // Everything but opening the main database is the default layer's own work; its
    // functions read only the path length and application data copied here.
    g_vfs = *g_default;
    g_vfs.zName = "qel-exclusive";
    g_vfs.pNext = nullptr;
    g_vfs.szOsFile = std::max(g_default->szOsFile, static_cast<int>(sizeof(ExclusiveFile)));
    g_vfs.xOpen = Open;
    sqlite3_vfs_register(&g_vfs, 0);
}

}  // namespace

const char* ExclusiveVfsName() {
    static std::once_flag once;
    std::call_once(once, Register);
    return g_vfs.zName;
}

DWORD LastExclusiveOpenError() { return g_lastOpenError; }

void NoteExclusiveOpenError(DWORD error) { g_lastOpenError = error; }

}  // namespace qel::db
