// Helper of the share-mode tests: another process that holds a database file open, or
// tries to open one, and writes what happened into a result file.
//
//   qel_hold_database <action> <database> <result file> [<ready event> <release event>]
//
// hold-handle                  a plain file handle, reading and writing, shared both ways
// hold-reader                  a plain file handle, reading only, shared both ways
// hold-default|hold-denynone|hold-exclusive
//                              a connection of the database engine in that share mode
// probe-handle                 tries a plain file handle (reading, sharing everything)
// probe-default|probe-denynone|probe-exclusive
//                              tries a connection and reads TA_SISTEMA
// append-denynone              adds a row to TA_SISTEMA through a deny-none connection
//
// A hold writes "held" (or "refused: <message>"), signals the ready event and keeps the
// file until the release event is signalled. A probe writes "opened" or "refused: ...".
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

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
    UniqueHandle plain;
    std::unique_ptr<db::Connection> connection;
    int rc = 0;
    if (action == "hold-handle" || action == "hold-reader") {
        DWORD access = action == "hold-reader" ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        plain = OpenPlain(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE);
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
    if (rc == 0) WaitForSingleObject(release.get(), 60000);
    return rc;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
