// The demo walk-through: runs the setup wizard from the demo medium twice, the way a person
// would, through its real window: a fresh install, then an update of an installed older QEL.
// Prints what happened and saves a picture of every page and dialog it passed.
//   walkthrough <medium> <installed-3.1.9> <payload> <pictures-folder> <work-folder>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "dbupgrade/CarryOver.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "tools/uidriver/DatabaseReader.h"
#include "tools/uidriver/WizardSession.h"

namespace {

using namespace qel;
using uidriver::RemoveTree;
using uidriver::WizardSession;

void Say(const std::string& line) {
    std::string utf8 = text::ToUtf8(line) + "\n";
    fwrite(utf8.data(), 1, utf8.size(), stdout);
    fflush(stdout);
}

class Pictures {
public:
    explicit Pictures(std::string folder) : folder_(std::move(folder)) {}
    void Take(HWND window, const std::string& name) {
        Sleep(300);  // let it finish painting
        const std::string path = folder_ + "\\" + std::to_string(++count_) + "-" + name + ".bmp";
        if (!uidriver::SaveScreenshot(window, path)) Say("  (could not save picture " + name + ")");
    }

private:
    std::string folder_;
    int count_ = 0;
};

std::string Versions(const std::string& db) {
    auto rows = uidriver::Rows(db, "SELECT DE_VERSAO_BANCO, DE_VERSAO_SISTEMA FROM TA_SISTEMA");
    if (rows.empty()) return "(no TA_SISTEMA row)";
    return "schema " + rows[0][0] + ", application " + rows[0][1];
}

// Answers a dialog after taking its picture; returns its message.
std::string AnswerDialog(WizardSession& s, Pictures& pictures, const std::string& title, const std::string& button,
                         const std::string& picture, DWORD timeoutMs = 30000) {
    HWND dialog = s.WaitDialog(title, timeoutMs);
    pictures.Take(dialog, picture);
    std::string message = WizardSession::Message(dialog);
    std::string shown = message;
    for (char& c : shown)
        if (c == '\r') c = '|';
    Say("  dialog \"" + title + "\": " + shown + "  -> " + button);
    WizardSession::Answer(dialog, button);
    return message;
}

void WaitPage(WizardSession& s, int page) {
    if (!s.WaitPage(page, 10000)) throw uidriver::DriverError("page " + std::to_string(page + 1) + " did not show");
}

void Walk(WizardSession& s, Pictures& pictures, int type, const std::string& folder, const std::string& prefix) {
    s.ChooseType(type);
    pictures.Take(s.Window(), prefix + "-page1");
    s.Press("Continuar");
    WaitPage(s, 1);
    s.SetFolder(folder);
    pictures.Take(s.Window(), prefix + "-page2");
    s.Press("Continuar");
    WaitPage(s, 2);
    pictures.Take(s.Window(), prefix + "-page3");
    s.Press("Instalar");
    AnswerDialog(s, pictures, "Confirm", "&Yes", prefix + "-confirm");
    AnswerDialog(s, pictures, "Information", "OK", prefix + "-finished", 300000);
    DWORD code = s.WaitExit(30000);
    Say("  the wizard ended (exit code " + std::to_string(code) + ")");
}

void ListFolder(const std::string& folder) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        Say("    " + std::string(d.cFileName) + "  (" + std::to_string(d.nFileSizeLow) + " bytes)");
    } while (FindNextFileA(h, &d));
    FindClose(h);
}

int Run(const std::vector<std::string>& a) {
    const std::string medium = a[1], installed = a[2], payload = a[3];
    Pictures pictures(a[4]);
    const std::string work = a[5];
    RemoveTree(work);
    fs::ForceDirectories(work);

    Say("1. Fresh install (\"1- Instala QEL\") from the medium " + medium);
    const std::string fresh = work + "\\nova\\QEL";
    {
        WizardSession s(medium);
        Walk(s, pictures, 0, fresh, "fresh");
    }
    Say("  installed in " + fresh + ":");
    ListFolder(fresh);
    Say("  database: " + Versions(fresh + "\\QEL.mdb"));
    Say("  support library in the system folder: " +
        std::string(fs::FileExists(fs::SystemPath() + "\\midas.dll") ? "present" : "missing"));

    Say("");
    Say("2. Update (\"2- Atualização\") of an installed QEL 3.1.9");
    const std::string old = work + "\\antiga\\QEL";
    fs::ForceDirectories(old);
    uidriver::CopyFolderFiles(installed, old);
    Say("  before: " + Versions(old + "\\QEL.mdb"));
    std::vector<long long> before;
    for (const char* t : kTabelasMigradas) before.push_back(uidriver::CountRows(old + "\\QEL.mdb", t));
    {
        WizardSession s(medium);
        Walk(s, pictures, 1, old, "update");
    }
    const std::string db = old + "\\QEL.mdb";
    Say("  after:  " + Versions(db));
    Say("  rows carried per table (installed rows -> carried, next to the rows the new database brings):");
    long long carried = 0;
    for (size_t i = 0; i < std::size(kTabelasMigradas); ++i) {
        long long shipped = uidriver::CountRows(payload + "\\QEL.mdb", kTabelasMigradas[i]);
        long long now = uidriver::CountRows(db, kTabelasMigradas[i]);
        carried += now - shipped;
        Say("    " + std::string(kTabelasMigradas[i]) + ": " + std::to_string(before[i]) + " -> " +
            std::to_string(now - shipped));
    }
    Say("    in all: " + std::to_string(carried) + " rows");
    Say("  files now in " + old + ":");
    ListFolder(old);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        Say("usage: walkthrough <medium> <installed-3.1.9> <payload> <pictures-folder> <work-folder>");
        return 2;
    }
    qel::ComApartment com;
    try {
        return Run(std::vector<std::string>(argv, argv + argc));
    } catch (const std::exception& e) {
        Say(std::string("walk-through failed: ") + e.what());
        return 1;
    }
}
