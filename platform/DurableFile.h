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

// Opens an existing file for writing while sharing it with nobody, as a file that is to be
// replaced must be: this fails while another program has it open or runs it, and when it
// is read-only; while the handle is held, nobody else can open, start or change it.
// Nothing of the file changes. An empty handle when it cannot be had (the last error says
// why).
UniqueHandle OpenToReplace(const std::string& name);

// MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT: the rename is recorded, and the system makes
// it at its next start, before any program can hold the new name. It does not replace an
// existing file then. Recording needs administrator rights; the source must stay where it
// is until the restart.
bool MoveAtRestart(const std::string& from, const std::string& to);

// Whether two files hold the same bytes, read while sharing them with everyone; nothing
// when either cannot be read.
std::optional<bool> SameContents(const std::string& a, const std::string& b);

}  // namespace qel::fs
