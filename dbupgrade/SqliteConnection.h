#pragma once
// The embedded engine's connection to one database file.
#include <memory>
#include <string>

#include "dbupgrade/Database.h"

namespace qel::db {

class ConnectionEngine;

// The engine's settings for a connection whose commits are those of a scratch copy that
// nobody else works on meanwhile: the connection keeps the engine's locks on the file
// from its first use until it closes, the rollback journal is kept in memory, and
// commits are written to the file without being flushed. Each commit is still in the
// file when it returns (a plain copy of the file holds it); other connections of the
// engine wait for the locks until this one closes. Without these settings every commit
// takes and gives back the engine's locks, several calls of the platform's file locking
// each, which under Wine cost a server round trip apiece.
inline constexpr const char* kScratchCommitSettings =
    "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF";

// Opens an existing database file (never creates one) in the share mode: exclusive
// keeps the file from every other opener and is refused while anyone has it open;
// share-deny-none and the default share it with other connections and programs.
std::unique_ptr<ConnectionEngine> ConnectEmbedded(const std::wstring& path, ShareMode mode,
                                                  CommitMode commits = CommitMode::Durable);

}  // namespace qel::db
