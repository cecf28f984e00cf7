#pragma once
// File operations whose result is on the disk when they report success, for replacing a
// file that must never be lost: a copy flushed before it is used, and a rename that
// completes on the disk before it returns. Paths are 8-bit Windows-1252 text.
//
// Each attempt passes the file operation seam (FileOpSeam.h); opening, creating and
// renaming are tried again while another program holds the file for a moment (Retry.h).
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Handles.h"

namespace qel::fs {

// Opens an existing file for reading with the given sharing; an empty handle when it
// cannot be opened (the last error says why).
UniqueHandle OpenForReading(const std::string& name, DWORD share);

// Copies everything an open file holds (it needs read access) into a new file of the
// given name, replacing a writable file of that name, with the source's last-write time,
// and flushes the copy to the disk. On failure nothing of the copy is left and false is
// returned.
bool CopyFlushed(HANDLE source, const std::string& target);

// MoveFileEx with write-through: returns once the new name is on the disk. With replace,
// an existing file of the new name is replaced in the same step (never absent meanwhile);
// without, an existing new name makes it fail.
bool MoveWriteThrough(const std::string& from, const std::string& to, bool replace);

// Whether two files hold the same bytes, read while sharing them with everyone; nothing
// when either cannot be read.
std::optional<bool> SameContents(const std::string& a, const std::string& b);

}  // namespace qel::fs
