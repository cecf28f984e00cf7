#pragma once
// The file-system operations the wizard relies on, with their exact Win32 meaning.
// Paths are 8-bit Windows-1252 text; relative names are resolved against the process's
// current folder. Every operation reports success as yes/no unless it says otherwise.
//
// The operations that change files (copy, attributes, delete, removing the download
// mark, making a folder) are the installation run's: each attempt passes the file
// operation seam (FileOpSeam.h). A copy, an attribute change or a delete that fails
// because another program holds the file for a moment is tried again for up to about
// 5 s (Retry.h); making a folder and removing the mark are tried once.
#include <cstdint>
#include <optional>
#include <string>

namespace qel::fs {

// A file exists when the name finds an entry that is not a folder.
bool FileExists(const std::string& name);
// A folder exists when the platform reports attributes with the folder bit.
bool DirectoryExists(const std::string& name);

// Creates a folder together with its missing parents. An empty name is a failure that
// is thrown ("Unable to create directory"); a name of fewer than 3 characters (after one
// trailing backslash is dropped) or one that already exists succeeds without creating.
bool ForceDirectories(const std::string& name);
bool MakeDir(const std::string& name);
bool RemoveDir(const std::string& name);

// CopyFileA with fail-if-exists off: contents and attributes, replacing the target.
bool CopyOver(const std::string& from, const std::string& to);
// MoveFileA: fails when the new name exists.
bool Rename(const std::string& from, const std::string& to);
bool Remove(const std::string& name);
// Removes the mark a download leaves on a file (its "Zone.Identifier" stream, which a
// copy takes along): without it, help files open without "navigation cancelled" and
// programs start without a warning. Yes also when there was no mark, or the file
// system keeps no streams.
bool RemoveZoneMark(const std::string& name);

bool ChangeDir(const std::string& name);
std::string CurrentDir();
// The same in the platform's UTF-16 form, for names the 8-bit text cannot hold.
bool ChangeDir(const std::wstring& name);
std::wstring CurrentDirW();
// A name made full against the current folder, as the platform would resolve it; the
// name itself when it cannot be.
std::wstring FullPath(const std::wstring& name);
std::string FullPath(const std::string& name);

// Whether another program has the file open so that it cannot be had alone now (a sharing
// or lock violation); one look, no waiting.
bool HeldByAnother(const std::string& name);

// The size of a file, or nothing when it cannot be found.
std::optional<std::uint64_t> FileSize(const std::string& name);
// The room this process may still use on the volume that holds the folder (quotas
// count), or nothing when the platform cannot tell.
std::optional<std::uint64_t> FreeSpace(const std::string& folder);

// The attribute word, or 0xFFFFFFFF when the entry cannot be found.
std::uint32_t Attributes(const std::string& name);
bool SetAttributes(const std::string& name, std::uint32_t attributes);
// After a staging copy: when the copy is read-only, write its attribute word back less 1,
// keeping every other bit.
void ClearReadOnly(const std::string& name);

// The temporary folder as the platform gives it (ends with a backslash) and the system
// folder (no trailing backslash). Both are asked for with the length the platform
// reports, so long paths arrive whole.
std::string TempPath();
std::string SystemPath();
// Where Windows keeps, for the user this process runs as, the files that programs
// without rights wrote into protected folders (%LOCALAPPDATA%\VirtualStore); empty when
// the platform cannot tell.
std::string VirtualStorePath();
// Full path of the running executable.
std::string ModuleFileName();

// The part of a path up to and including its last backslash or colon ("" when none).
std::string ExtractFilePath(const std::string& path);
// The part after the last backslash or colon.
std::string ExtractFileName(const std::string& path);

}  // namespace qel::fs
