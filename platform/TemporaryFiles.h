#pragma once
// The names under which the run writes its files beside their places before they take
// their own, "~InstalaQEL-<process id in hex>-<name>.tmp", and the removal of those an
// interrupted run left behind. No other program uses such names, so a run removes them
// without looking inside. Paths are 8-bit Windows-1252 text.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qel::fs {

// The temporary name for a file of the folder, made by this process: folder + "\" + it.
std::string TemporaryName(const std::string& folder, const std::string& name);

// The process that made a file of that bare name, when the name is one of ours.
std::optional<DWORD> TemporaryOwner(const std::string& fileName);

// Removes from the folder the files under our temporary names except those of another
// process that is still running (a run for another install folder shares the system
// folder), and the files of the given bare names; nothing else is touched. Returns the
// names removed. A file that cannot be removed stays, for the next run.
std::vector<std::string> RemoveLeftovers(const std::string& folder, const std::vector<std::string>& alsoNamed = {});

}  // namespace qel::fs
