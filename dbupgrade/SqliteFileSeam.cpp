#include "dbupgrade/SqliteFileSeam.h"

#include <sqlite3.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <mutex>
#include <string>

#include "dbupgrade/SqliteExclusiveVfs.h"
#include "platform/FileOpSeam.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

// A file of this layer: the layer below's file lies behind it, at kBelow bytes.
struct SeamedFile {
    sqlite3_file base;  // first, as the engine expects
    const char* name;   // the engine keeps it valid until the file is closed; null for temporary files
    sqlite3_file* below;
    bool exclusiveMain;  // the main database opened by the exclusive layer
};
constexpr int kBelow = (sizeof(SeamedFile) + 15) / 16 * 16;

struct Layer {
    sqlite3_vfs vfs;
    sqlite3_vfs* below = nullptr;
    std::string name;
};
std::array<Layer, 2> g_layers;

SeamedFile* Of(sqlite3_file* f) { return reinterpret_cast<SeamedFile*>(f); }
sqlite3_file* Below(sqlite3_file* f) { return Of(f)->below; }
sqlite3_vfs* BelowOf(sqlite3_vfs* vfs) {
    for (Layer& layer : g_layers)
        if (&layer.vfs == vfs) return layer.below;
    return nullptr;  // never: the engine calls a layer's functions with that layer
}

bool Held(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Runs one call of the layer below through the seam. `failed` gives the engine's result
// for a call the seam fails, from the platform's error. The layer below's own results
// are kept; a short read (the end of the file) counts as success.
template <class Failed, class Call>
int Seamed(fs::FileOp op, const char* name, Failed failed, Call call) {
    fs::FileOpSeam* seam = fs::detail::CurrentSeam();
    if (!seam) return call();
    const std::string path = name ? text::FromUtf8(name) : std::string();
    static const std::string kNone;
    const fs::FileOpCall attempt{op, path, kNone};
    if (DWORD refused = seam->Before(attempt)) {
        SetLastError(refused);
        return failed(refused);
    }
    const int rc = call();
    const bool ok = rc == SQLITE_OK || rc == SQLITE_IOERR_SHORT_READ;
    const DWORD error = ok ? 0 : (GetLastError() ? GetLastError() : ERROR_GEN_FAILURE);
    const DWORD reported = seam->After(attempt, error);
    if (ok && reported) {
        SetLastError(reported);
        return failed(reported);
    }
    return rc;
}

auto Always(int code) {
    return [code](DWORD) { return code; };
}

int Close(sqlite3_file* f) { return Below(f)->pMethods->xClose(Below(f)); }

int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return Seamed(fs::FileOp::Read, Of(f)->name, Always(SQLITE_IOERR_READ),
                  [&] { return Below(f)->pMethods->xRead(Below(f), buffer, amount, offset); });
}

int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    auto failed = [](DWORD error) {
        return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    };
    return Seamed(fs::FileOp::Write, Of(f)->name, failed,
                  [&] { return Below(f)->pMethods->xWrite(Below(f), buffer, amount, offset); });
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    return Seamed(fs::FileOp::Truncate, Of(f)->name, Always(SQLITE_IOERR_TRUNCATE),
                  [&] { return Below(f)->pMethods->xTruncate(Below(f), size); });
}

int Sync(sqlite3_file* f, int flags) {
    return Seamed(fs::FileOp::Flush, Of(f)->name, Always(SQLITE_IOERR_FSYNC),
                  [&] { return Below(f)->pMethods->xSync(Below(f), flags); });
}

int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Below(f)->pMethods->xFileSize(Below(f), size); }

// A lock held by someone else is what the engine waits for; anything else is a failure.
int Lock(sqlite3_file* f, int level) {
    auto failed = [](DWORD error) { return Held(error) ? SQLITE_BUSY : SQLITE_IOERR_LOCK; };
    return Seamed(fs::FileOp::Lock, Of(f)->name, failed, [&] { return Below(f)->pMethods->xLock(Below(f), level); });
}

int Unlock(sqlite3_file* f, int level) {
    return Seamed(fs::FileOp::Lock, Of(f)->name, Always(SQLITE_IOERR_UNLOCK),
                  [&] { return Below(f)->pMethods->xUnlock(Below(f), level); });
}

int CheckReservedLock(sqlite3_file* f, int* out) { return Below(f)->pMethods->xCheckReservedLock(Below(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return Below(f)->pMethods->xFileControl(Below(f), op, arg); }
int SectorSize(sqlite3_file* f) { return Below(f)->pMethods->xSectorSize(Below(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Below(f)->pMethods->xDeviceCharacteristics(Below(f)); }
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Below(f)->pMethods->xShmMap(Below(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Below(f)->pMethods->xShmLock(Below(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Below(f)->pMethods->xShmBarrier(Below(f)); }
int ShmUnmap(sqlite3_file* f, int deleteFlag) { return Below(f)->pMethods->xShmUnmap(Below(f), deleteFlag); }
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Below(f)->pMethods->xFetch(Below(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
    return Below(f)->pMethods->xUnfetch(Below(f), offset, p);
}

// One table per version of the layer below's methods: the engine asks for no more than
// the file offers.
constexpr sqlite3_io_methods Methods(int version) {
    return {
        .iVersion = version,
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
        .xShmMap = version >= 2 ? ShmMap : nullptr,
        .xShmLock = version >= 2 ? ShmLock : nullptr,
        .xShmBarrier = version >= 2 ? ShmBarrier : nullptr,
        .xShmUnmap = version >= 2 ? ShmUnmap : nullptr,
        .xFetch = version >= 3 ? Fetch : nullptr,
        .xUnfetch = version >= 3 ? Unfetch : nullptr,
    };
}
constexpr std::array<sqlite3_io_methods, 3> kMethods = {Methods(1), Methods(2), Methods(3)};

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    sqlite3_vfs* below = BelowOf(vfs);
    SeamedFile* file = Of(f);
    f->pMethods = nullptr;  // the engine closes nothing when the open fails
    file->name = name;
    file->below = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + kBelow);
    file->below->pMethods = nullptr;
    file->exclusiveMain = (flags & SQLITE_OPEN_MAIN_DB) && std::strcmp(below->zName, ExclusiveVfsName()) == 0;
    auto failed = [file](DWORD error) {
        // The connection tells a file in use from one it cannot reach by this.
        if (file->exclusiveMain) NoteExclusiveOpenError(error);
        return SQLITE_CANTOPEN;
    };
    const int rc = Seamed(fs::FileOp::Open, name, failed, [&] {
        const int opened = below->xOpen(below, name, file->below, flags, outFlags);
        if (opened != SQLITE_OK && file->below->pMethods) file->below->pMethods->xClose(file->below);
        if (opened != SQLITE_OK) file->below->pMethods = nullptr;
        return opened;
    });
    if (rc != SQLITE_OK) {
        // Opened below, but reported as failed after it: nothing stays open.
        if (file->below->pMethods) file->below->pMethods->xClose(file->below);
        return rc;
    }
    const int version = file->below->pMethods->iVersion;
    f->pMethods = &kMethods[static_cast<size_t>(version < 1 ? 1 : version > 3 ? 3 : version) - 1];
    return SQLITE_OK;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    sqlite3_vfs* below = BelowOf(vfs);
    return Seamed(fs::FileOp::Delete, name, Always(SQLITE_IOERR_DELETE),
                  [&] { return below->xDelete(below, name, syncDir); });
}

}  // namespace

const char* SeamedVfsName(const char* under) {
    static std::mutex guard;
    std::lock_guard<std::mutex> lock(guard);
    sqlite3_vfs* below = sqlite3_vfs_find(under);
    if (!below) return under;
    for (Layer& layer : g_layers)
        if (layer.below == below) return layer.name.c_str();
    for (Layer& layer : g_layers) {
        if (layer.below) continue;
        // Everything but opening and deleting is the layer below's own work; its functions
        // read only the path length and application data copied here.
        layer.below = below;
        layer.name = std::string("qel-seamed-") + below->zName;
        layer.vfs = *below;
        layer.vfs.zName = layer.name.c_str();
        layer.vfs.pNext = nullptr;
        layer.vfs.szOsFile = kBelow + below->szOsFile;
        layer.vfs.xOpen = Open;
        layer.vfs.xDelete = Delete;
        sqlite3_vfs_register(&layer.vfs, 0);
        return layer.name.c_str();
    }
    return under;
}

}  // namespace qel::db
