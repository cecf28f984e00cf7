// Helper of the share-mode tests: another process that holds a database file open, or
// tries to open one, and writes what happened into a result file.
//
//   qel_hold_database <action> <database> <result file> [<ready event> <release event> [<ms>]]
//
// hold-handle                  a plain file handle, reading and writing, shared both ways
//                              (an application using the file)
// hold-reader                  a plain file handle, reading only, shared both ways but not
//                              for deletion (an antivirus scanning the file)
// hold-deletable               reading only, shared for everything, deletion included
// hold-alone                   reading only, shared with nobody
// hold-default|hold-denynone|hold-exclusive
//                              a connection of the database engine in that share mode
// scan                         an antivirus: <database> is a list of folders separated by
//                              "|"; every file that appears or changes in them is held as
//                              hold-reader does for <ms> (default 300) right after it is
//                              seen, until the release event; the result file then says
//                              "scanned <n>", the number of holds
// probe-handle                 tries a plain file handle (reading, sharing everything)
// probe-default|probe-denynone|probe-exclusive
//                              tries a connection and reads TA_SISTEMA
// append-denynone              adds a row to TA_SISTEMA through a deny-none connection
//
// A hold writes "held" (or "refused: <message>"), signals the ready event and keeps the
// file until the release event is signalled or <ms> have passed (60 s by default). A probe
// writes "opened" or "refused: ...".
#include <windows.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace {

using namespace qel;

void Report(const std::string& file, const std::string& what) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << what;
}

db::ShareMode ModeOf(const std::string& action) {
    if (action.ends_with("exclusive")) return db::ShareMode::Exclusive;
    if (action.ends_with("denynone")) return db::ShareMode::DenyNone;
    return db::ShareMode::Default;
}

std::unique_ptr<db::Connection> Connect(const std::string& path, db::ShareMode mode) {
    auto c = std::make_unique<db::Connection>();
    c->SetLoginPrompt(false);
    c->SetShareMode(mode);
    c->SetConnectionString(text::Widen(db::FullConnectionText(path)));
    c->Connect();
    db::Query q(*c);
    q.SetSql("SELECT * FROM TA_SISTEMA");
    q.Open();
    return c;
}

UniqueHandle OpenPlain(const std::string& path, DWORD access, DWORD share) {
    return UniqueHandle(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The plain handles, by action: access and sharing.
const std::map<std::string, std::pair<DWORD, DWORD>> kPlainHolds = {
    {"hold-handle", {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE}},
    {"hold-reader", {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE}},
    {"hold-deletable", {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}},
    {"hold-alone", {GENERIC_READ, 0}},
};

// Holds every file that appears or changes in the folders for a moment, as a scanner that
// looks at each file right after it was written. Returns the number of holds.
int Scan(const std::string& folders, DWORD holdMs, HANDLE release) {
    std::map<std::string, std::pair<ULONGLONG, ULONGLONG>> seen;  // path -> size, last write
    auto look = [&](bool hold) {
        int holds = 0;
        std::stringstream list(folders);
        for (std::string folder; std::getline(list, folder, '|');) {
            WIN32_FIND_DATAA d;
            HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
            if (h == INVALID_HANDLE_VALUE) continue;
            do {
                if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                const std::string path = folder + "\\" + d.cFileName;
                const std::pair<ULONGLONG, ULONGLONG> stamp{
                    (ULONGLONG{d.nFileSizeHigh} << 32) | d.nFileSizeLow,
                    (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime};
                auto it = seen.find(path);
                if (it != seen.end() && it->second == stamp) continue;
                if (hold) {
                    UniqueHandle held = OpenPlain(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
                    if (!held) continue;  // looked at again next time
                    ++holds;
                    Sleep(holdMs);
                }
                seen[path] = stamp;
            } while (FindNextFileA(h, &d));
            FindClose(h);
        }
        return holds;
    };
    look(false);  // what is there already was scanned long ago
    int holds = 0;
    while (WaitForSingleObject(release, 10) == WAIT_TIMEOUT) holds += look(true);
    return holds;
}

int Run(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string action = argv[1], path = argv[2], result = argv[3];
    ComApartment com;

    if (action.starts_with("probe-") || action.starts_with("append-")) {
        if (action == "probe-handle") {
            UniqueHandle h = OpenPlain(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
            Report(result, h ? "opened" : "refused " + std::to_string(GetLastError()));
            return 0;
        }
        try {
            auto c = Connect(path, ModeOf(action));
            if (action.starts_with("append-")) {
                db::Query q(*c);
                q.SetSql("SELECT * FROM TA_SISTEMA");
                q.Open();
                q.Append();
                q.SetString("DE_VERSAO_BANCO", "outro processo");
                q.Post();
            }
            Report(result, "opened");
        } catch (const Failure& f) {
            Report(result, std::string("refused: ") + f.what());
        }
        return 0;
    }

    if (argc < 6) return 2;
    UniqueHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]));
    UniqueHandle release(OpenEventA(SYNCHRONIZE, FALSE, argv[5]));
    if (!ready || !release) return 3;
    if (action == "scan") {
        Report(result, "held");
        SetEvent(ready.get());
        const int holds = Scan(path, argc > 6 ? std::stoul(argv[6]) : 300, release.get());
        Report(result, "scanned " + std::to_string(holds));
        return 0;
    }
    const DWORD holdMs = argc > 6 ? std::stoul(argv[6]) : 60000;
    UniqueHandle plain;
    std::unique_ptr<db::Connection> connection;
    int rc = 0;
    if (auto plainHold = kPlainHolds.find(action); plainHold != kPlainHolds.end()) {
        plain = OpenPlain(path, plainHold->second.first, plainHold->second.second);
        Report(result, plain ? "held" : "refused " + std::to_string(GetLastError()));
        rc = plain ? 0 : 1;
    } else {
        try {
            connection = Connect(path, ModeOf(action));
            Report(result, "held");
        } catch (const Failure& f) {
            Report(result, std::string("refused: ") + f.what());
            rc = 1;
        }
    }
    SetEvent(ready.get());
    if (rc == 0) WaitForSingleObject(release.get(), holdMs);
    return rc;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
