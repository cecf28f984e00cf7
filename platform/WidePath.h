#pragma once
// Full paths in the platform's UTF-16 form, and their long form ("\\?\"), which lets the
// wide file functions reach paths longer than MAX_PATH. Pure text work: nothing here
// touches the file system.
#include <string>

namespace qel::fs {

// "C:\X" -> "\\?\C:\X"; "\\server\share\X" -> "\\?\UNC\server\share\X"; a path already
// in long form is returned as it is. Takes a normalised full path (no "." or ".." parts).
std::wstring LongForm(const std::wstring& fullPath);
// The other way round, for showing a path to a person: "\\?\C:\X" -> "C:\X".
std::wstring PlainForm(const std::wstring& longPath);
// A folder path and a name with exactly one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// A drive root ("C:\", "C:") or a share root ("\\server\share", with or without the
// final backslash, in plain or long form): a folder that has no parent.
bool IsRoot(const std::wstring& fullPath);
// The folder that holds the last part of a full path, as a path the current folder can
// be set to ("C:\X" -> "C:\"); a root is its own parent.
std::wstring ParentOf(const std::wstring& fullPath);
// The same path as the file system compares names: ordinal, case ignored.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace qel::fs
