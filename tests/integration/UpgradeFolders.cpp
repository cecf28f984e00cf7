#include "tests/integration/UpgradeFolders.h"

#include <windows.h>

#include <algorithm>

#include "dbupgrade/Database.h"
#include "tests/integration/DatabaseFiles.h"

namespace qel::test {

UpgradeFolders::UpgradeFolders() {
    estado.TempDir = raiz.Path() + "\\";
    estado.TargetDir = raiz / "QEL";
    estado.StagingDir = estado.TempDir + "InstQEL";
    estado.VersaoSistema = kVersaoSistema;
    estado.VersaoBanco = kVersaoBanco;
    outros = raiz / "outros";
    for (const std::string& folder : {estado.TargetDir, estado.StagingDir, outros})
        CreateDirectoryA(folder.c_str(), nullptr);
    instalado = estado.TargetDir + "\\QEL.mdb";
    novo = estado.StagingDir + "\\QEL.mdb";
}

std::string UpgradeFolders::Outro(const std::string& hint) {
    return outros + "\\" + hint + std::to_string(outrosFeitos_++);
}

std::vector<std::string> UpgradeFolders::Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = d.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool UpgradeFolders::Livre(const std::string& database) {
    db::Connection c;
    c.SetLoginPrompt(false);
    c.SetShareMode(db::ShareMode::Exclusive);
    c.SetConnectionString(FullText(database));
    try {
        c.Connect();
    } catch (const Failure&) {
        return false;
    }
    return true;
}

std::string UpgradeFolders::EmUso(const std::string& database) {
    return "The database '" + database + "' is already in use and cannot be opened in the requested mode.";
}

std::vector<std::string> Linhas(const std::string& database, const std::string& sql) {
    std::vector<std::string> rows;
    for (const std::string& v : StoredValues(database, sql)) rows.push_back(v.rfind("text:", 0) == 0 ? v.substr(5) : v);
    return rows;
}

}  // namespace qel::test
