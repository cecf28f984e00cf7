#pragma once
// Removing an entry only where it really is. A path can lead somewhere else than it
// reads: a junction or symbolic link on the way, or a link the platform does not mark as
// one (a Unix symbolic link to a file, seen through Wine, looks like a plain file, and
// Wine deletes what it points to). Every removal here first asks the platform where the
// opened entry really is and removes it only when that is the expected place.
//
// A place is the platform's own name of an opened entry: its device and its path there
// ("\Device\HarddiskVolume2\Users\..."; Wine says "\??\C:\users\..."), after every link
// on the way was followed. The place of an entry of a folder is the folder's place, a
// backslash and the entry's name (JoinPath); names compare as the file system compares
// them (SamePath).
#include <optional>
#include <string>

namespace qel::fs {

// The place of the entry at a long-form path. A link at the end is opened as itself
// where the platform allows that (Wine follows it). Nothing when it cannot be opened.
std::optional<std::wstring> PlaceOf(const std::wstring& longPath);
// The same, following a link at the end too: where a folder's contents really are.
std::optional<std::wstring> ResolvedPlaceOf(const std::wstring& longPath);

// Removes the file, empty folder or link at `longPath` when the opened entry really is
// at `expectedPlace`, with POSIX semantics where the system offers them (the name goes
// at once, even while another program that shares deletion still has the file open).
// No when it is elsewhere, cannot be opened (in use, missing) or cannot be removed
// (read-only, a folder that is not empty); the last error says why. Each attempt passes
// the file operation seam (FileOpSeam.h).
bool RemoveIfAt(const std::wstring& longPath, const std::wstring& expectedPlace);

}  // namespace qel::fs
