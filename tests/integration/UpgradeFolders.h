#pragma once
// The folders of an update as the installation run sets them, under a temporary folder:
// the install folder with its QEL.mdb and the staging folder with the new one.
#include <string>
#include <vector>

#include "core/WizardState.h"
#include "platform/Failure.h"
#include "tests/support/TempFolder.h"
#include "tests/support/FailureOf.h"

namespace qel::test {

class UpgradeFolders {
public:
    UpgradeFolders();

    TempFolder raiz{"qelupgrade"};
    WizardState estado;
    std::string instalado;  // TargetDir\QEL.mdb
    std::string novo;       // StagingDir\QEL.mdb
    std::string outros;     // a folder for everything else (results of helper programs)

    // A fresh file name in the folder for everything else.
    std::string Outro(const std::string& hint);
    // The names in a folder, sorted ("." and ".." left out).
    static std::vector<std::string> Listing(const std::string& folder);
    // Whether an exclusive connection to the file is granted now, that is whether nobody,
    // this process included, has it open.
    static bool Livre(const std::string& database);
    // The engine's message for a database held by someone else.
    static std::string EmUso(const std::string& database);

private:
    int outrosFeitos_ = 0;
};

// Rows of a query whose one column is text, as stored (Windows-1252), in order.
std::vector<std::string> Linhas(const std::string& database, const std::string& sql);

}  // namespace qel::test
