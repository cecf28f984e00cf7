#pragma once
// Which engine opens a database file: the embedded one for files in its own format,
// ADO (the Jet provider on Windows) for everything else.
#include <string>

namespace qel::db {

enum class EngineKind { Embedded, Ado };

// Looks at the file's first 16 bytes: "SQLite format 3" and a zero byte choose the
// embedded engine; a missing, short or different file goes to ADO. A file that another
// opener holds without sharing cannot be looked at: that is reported at once as a
// database in use.
EngineKind ChooseEngine(const std::wstring& path);

}  // namespace qel::db
