#pragma once
// The embedded engine's way of holding a database file for exclusive use.
//
// The engine's default file layer opens a database sharing reading and writing with
// everyone, and coordinates through byte-range locks that a plain opener never sees. For
// exclusive use this layer opens the database file itself without any sharing, the way
// the platform keeps other openers out: the open is refused while anyone (this process
// included) has the file open, and while it is held every other open fails. Nobody else
// can reach the file, so its locks need no coordination. Journals and temporary files
// still go through the default layer.
#include <windows.h>

namespace qel::db {

// Name of the layer to pass to sqlite3_open_v2; registered on first use.
const char* ExclusiveVfsName();

// The platform's error code of this thread's last refused exclusive open (0 when the
// last one succeeded).
DWORD LastExclusiveOpenError();
// Records the error of an exclusive open refused above this layer (the file seam).
void NoteExclusiveOpenError(DWORD error);

}  // namespace qel::db
