#pragma once
// One seam under every file operation of an installation run: the staging folder made,
// the staging copies, the attribute changes, the files put into place and the database
// replaced (opens, reads, writes, flushes and renames, and the rename left for the next
// restart), the removal of what an interrupted run left, of the download mark, the
// cleanup's deletions, and every call of the embedded database engine on its files
// (opens, reads, writes, flushes, truncations, locks and deletions of the databases and
// their journals; dbupgrade/SqliteFileSeam.h). Each attempt of such an operation passes
// through here, so a test (or a harness that makes the N-th operation fail) can watch
// the run's file work and make any single attempt fail as the platform would, before it
// touches the disk or after it did.
//
// No seam is installed in the program: each operation then costs one pointer test.
#include <windows.h>

#include <string>

namespace qel::fs {

enum class FileOp {
    Copy,         // a copy that replaces its target (path: the source, target: the copy)
    Attributes,   // an attribute word or the times of a file written
    Open,         // a file opened (by the replacement for reading, by the engine)
    Create,       // a file created to be written (a flushed copy)
    Read,         // a portion of an open file read (for a copy: target names the copy)
    Write,        // a portion of an open file written
    Flush,        // a written file flushed to the disk
    Truncate,     // an open file cut to a length (the engine)
    Lock,         // a lock on an open file taken or given back (the engine)
    Move,         // a rename (path: the old name, target: the new one)
    MoveAtRestart,  // a rename recorded for the next restart of the system (names as Move)
    Delete,       // a file deleted by name
    RemoveMark,   // the download mark (Zone.Identifier stream) removed from a file
    RemoveEntry,  // the cleanup removing a file or an emptied folder
    MakeFolder,   // a folder created
};

struct FileOpCall {
    FileOp op;
    const std::string& path;
    const std::string& target;  // empty unless the operation has two names
};

class FileOpSeam {
public:
    virtual ~FileOpSeam() = default;
    // Before an attempt: 0 lets it run; an error code makes it fail with that code
    // without touching anything.
    virtual DWORD Before(const FileOpCall& call) = 0;
    // After an attempt that ran, with its error (0 for success): what is returned is
    // what the attempt reports.
    virtual DWORD After(const FileOpCall& call, DWORD error) = 0;
};

// Puts a seam under the file operations for its lifetime (the one it replaced comes back
// afterwards). Not for use by more than one thread at a time.
class ScopedFileOpSeam {
public:
    explicit ScopedFileOpSeam(FileOpSeam& seam);
    ~ScopedFileOpSeam();
    ScopedFileOpSeam(const ScopedFileOpSeam&) = delete;
    ScopedFileOpSeam& operator=(const ScopedFileOpSeam&) = delete;

private:
    FileOpSeam* previous_;
};

namespace detail {
FileOpSeam* CurrentSeam();
}

// Runs one attempt of an operation through the seam. The attempt reports success as
// true and failure through the thread's last error, as the platform's own calls do; so
// does this.
template <class Attempt>
bool Attempted(FileOp op, const std::string& path, const std::string& target, Attempt attempt) {
    FileOpSeam* seam = detail::CurrentSeam();
    if (!seam) return attempt();
    const FileOpCall call{op, path, target};
    if (DWORD refused = seam->Before(call)) {
        SetLastError(refused);
        return false;
    }
    const bool ok = attempt();
    const DWORD reported = seam->After(call, ok ? 0 : GetLastError());
    SetLastError(reported);
    return reported == 0;
}

template <class Attempt>
bool Attempted(FileOp op, const std::string& path, Attempt attempt) {
    static const std::string kNone;
    return Attempted(op, path, kNone, attempt);
}

}  // namespace qel::fs
