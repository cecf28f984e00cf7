#pragma once
// The embedded engine's connection to one database file.
#include <memory>
#include <string>

#include "dbupgrade/Database.h"

namespace qel::db {

class ConnectionEngine;

// Opens an existing database file (never creates one) in the share mode: exclusive
// keeps the file from every other opener and is refused while anyone has it open;
// share-deny-none and the default share it with other connections and programs.
std::unique_ptr<ConnectionEngine> ConnectEmbedded(const std::wstring& path, ShareMode mode);

}  // namespace qel::db
