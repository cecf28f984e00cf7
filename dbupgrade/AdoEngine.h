#pragma once
// The ADO engine: ADO's connection and recordset objects through their vtables, which is
// how a Windows machine opens a Jet database.
#include <memory>
#include <string>

#include "dbupgrade/Database.h"

namespace qel::db {

class ConnectionEngine;

// Opens the ADO connection object with the connection text as given and the share mode.
// A failure without error information of its own gets a message built from its code.
std::unique_ptr<ConnectionEngine> ConnectAdo(IUnknown* adoConnection, const std::wstring& connectionText,
                                             ShareMode mode);

// What the ADO connection object itself reports about its settings.
struct AdoSettings {
    long mode = 0;  // ADO's connect mode: 0 unknown, 12 share-exclusive, 16 share-deny-none
    std::wstring connectionString;
    long state = 0;  // 0 closed, 1 open
};
AdoSettings ReadAdoSettings(IUnknown* adoConnection);

}  // namespace qel::db
