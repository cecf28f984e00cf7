#pragma once
// The embedded engine's connection to one database file.
#include <memory>
#include <string>

#include "dbupgrade/Database.h"

namespace qel::db {

class ConnectionEngine;

// The engine's settings for a connection whose commits are those of a scratch copy: the
// rollback journal is kept in memory and commits are written to the file without being
// flushed. Locking stays as it is, so other connections see each commit at once.
inline constexpr const char* kScratchCommitSettings = "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF";

// Opens an existing database file (never creates one) in the share mode: exclusive
// keeps the file from every other opener and is refused while anyone has it open;
// share-deny-none and the default share it with other connections and programs.
std::unique_ptr<ConnectionEngine> ConnectEmbedded(const std::wstring& path, ShareMode mode,
                                                  CommitMode commits = CommitMode::Durable);

}  // namespace qel::db
