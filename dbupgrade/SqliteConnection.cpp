#include "dbupgrade/SqliteConnection.h"

#include <windows.h>

#include "dbupgrade/Engine.h"
#include "dbupgrade/Messages.h"
#include "dbupgrade/SqliteCursor.h"
#include "dbupgrade/SqliteExclusiveVfs.h"
#include "dbupgrade/SqliteFileSeam.h"
#include "dbupgrade/SqliteSupport.h"
#include "platform/Failure.h"
#include "platform/FileOpSeam.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

// How long a shared connection waits for another one's brief write before giving up.
constexpr int kBusyWaitMs = 3000;

std::string Utf8Path(const std::wstring& path) {
    if (path.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool IsSharingError(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

class SqliteConnection final : public ConnectionEngine {
public:
    SqliteConnection(const std::wstring& path, ShareMode mode, CommitMode commits) : path_(text::Narrow(path)) {
        const bool exclusive = mode == ShareMode::Exclusive;
        sqlite3* db = nullptr;
        const char* layer = exclusive ? ExclusiveVfsName() : nullptr;
        // Under a file operation seam (tests only) the engine's file calls pass it too.
        if (fs::detail::CurrentSeam()) layer = SeamedVfsName(layer);
        // A connection is used by one thread at a time (the wizard's database work all
        // runs on its window's thread), so the engine need not lock it on every call.
        int rc = sqlite3_open_v2(Utf8Path(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, layer);
        db_ = db;
        if (rc != SQLITE_OK) {
            DWORD error = exclusive ? LastExclusiveOpenError() : static_cast<DWORD>(sqlite3_system_errno(db));
            CloseQuietly();
            if (IsSharingError(error)) throw Failure(msg::DatabaseInUse(path_));
            if ((rc & 0xFF) == SQLITE_CANTOPEN) throw Failure(msg::CannotOpen(path_));
            // The header could not be read: the disk's failure, not a damaged file.
            if ((rc & 0xFF) == SQLITE_IOERR) throw Failure(msg::DiskError(path_));
            throw Failure(msg::NotADatabase(path_));
        }
        try {
            if (exclusive) {
                // Nobody else can reach the file: the engine may keep its locks. A database
                // in write-ahead log mode needs that before its first read, since this file
                // layer has no shared memory for the log's index.
                Run("PRAGMA locking_mode=EXCLUSIVE");
            } else {
                sqlite3_busy_timeout(db_, kBusyWaitMs);
            }
            // Reading the schema reads the file's header: a damaged file fails here, at
            // connecting, and not at the first query.
            Run("SELECT count(*) FROM sqlite_master");
            // Any other database goes back to the engine's normal locking, whose locks cost
            // nothing here: only then does a commit end by deleting its journal. Kept to the
            // close instead, a journal whose deletion failed there stayed beside the
            // installed database after a version stamp reported as done.
            if (exclusive && !InWriteAheadLogMode()) Run("PRAGMA locking_mode=NORMAL");
            if (commits == CommitMode::Scratch) Run(kScratchCommitSettings);
        } catch (...) {
            CloseQuietly();
            throw;
        }
    }

    ~SqliteConnection() override { CloseQuietly(); }

    void Close() override {
        sqlite3* db = db_;
        db_ = nullptr;
        // The front closes every query of the connection first, and with them their
        // statements, so the close always completes.
        if (db && sqlite3_close(db) != SQLITE_OK) {
            sqlite3_close_v2(db);
            throw Failure(msg::DiskError(path_));
        }
    }

    void Execute(const std::string& statement) override { Run(text::ToUtf8(statement)); }

    std::unique_ptr<CursorEngine> OpenCursor(const std::string& sql, bool forwardOnly) override {
        return std::make_unique<SqliteCursor>(db_, path_, sql, forwardOnly);
    }

private:
    // Runs every statement of the UTF-8 text to its end.
    void Run(const std::string& utf8) {
        const char* next = utf8.c_str();
        const char* end = next + utf8.size();
        while (next < end) {
            const char* tail = nullptr;
            Statement statement = Prepare(db_, next, static_cast<int>(end - next), path_, &tail);
            next = tail ? tail : end;
            if (!statement) continue;  // blanks or a comment
            int rc;
            while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
        }
    }

    bool InWriteAheadLogMode() {
        Statement mode = Prepare(db_, "PRAGMA journal_mode", path_);
        if (sqlite3_step(mode.get()) != SQLITE_ROW) return false;
        const unsigned char* text = sqlite3_column_text(mode.get(), 0);
        return text && std::string(reinterpret_cast<const char*>(text)) == "wal";
    }

    void CloseQuietly() {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
    }

    std::string path_;
    sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<ConnectionEngine> ConnectEmbedded(const std::wstring& path, ShareMode mode, CommitMode commits) {
    return std::make_unique<SqliteConnection>(path, mode, commits);
}

}  // namespace qel::db
