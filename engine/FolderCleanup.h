#pragma once
// Emptying and removing a staging folder at the end of an installation.
#include <windows.h>

#include <string>

namespace qel {

// Every entry is listed: read-only 1, hidden 2, system 4, volume label 8, folder 16,
// archive 32.
inline constexpr DWORD kMascaraLimpeza = 63;

// Empties the folder `pasta` (a full path or a name relative to the current folder),
// its sub-folders depth first, and removes it. Hidden, system and archive files go with
// the rest; what cannot be deleted (in use, read-only) stays, and so does every folder
// above it, without a message.
//
// Entries another program holds for a moment are tried again, and so is a folder whose
// entries all went but whose deleted files others still have open; the whole cleanup
// waits at most about 5 s for them. Files are deleted with POSIX semantics where the
// system offers them, so their names go at once.
//
// A junction or symbolic link inside is never entered: only the link itself is removed,
// and nothing is removed whose real place is not inside `pasta`. The same holds when
// `pasta` itself is a link. Nesting of any depth and paths longer than MAX_PATH are
// cleaned.
//
// A folder that cannot be entered (missing, not a folder, access denied) stops the work
// with an InOutFailure. Once `pasta` has been entered, the current folder is left at its
// parent however the work ends (a drive root stays current itself); a folder that could
// not be entered leaves the current folder as it was.
void LimpaPasta(const std::string& pasta);

// Removes whatever a full path names, as LimpaPasta removes a folder: a folder is emptied
// depth first and removed, a file or a link is removed itself and never what it leads to
// (on Windows a link goes; Wine's links to Unix places cannot be removed by any Windows
// call and stay). Within the same 5 s for held entries, which it simply waits for: the run
// is on a thread of its own and the window keeps answering meanwhile. The current folder
// is not changed. Yes when nothing is left under that name (also when nothing was there).
bool RemoveEntrada(const std::string& caminho);

}  // namespace qel
