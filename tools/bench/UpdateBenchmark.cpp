// A whole update through the real window: the wizard started from a medium brings an
// installed QEL of the older schema, with a large database, up to date, driven from
// outside as a person would. Prints the time from the confirmation to the closing
// dialog and its split, watched from outside through the files the run leaves behind:
//   staging       confirmation until the program is in the install folder (the payload
//                 staged in the temporary folder, then the program copied)
//   version check until the staged database takes its first carried row
//   carry-over    until the replacement's temporary copy appears in the install folder
//   replacement   until that copy has become QEL.mdb beside the dated backup
//   cleanup       the help files and the staging folder, until the folder is gone
//   closing       until the closing dialog shows
//
//   qel_update_benchmark <medium> <installed-3.1.9> <work-folder> [rows] [rounds]
//
// The installed database is the older QEL's with <rows> more rows (default 100000)
// spread over the seven carried tables, one in ten of the dated ones from 2007 on (not
// carried). The program and its database are laid out anew for every round (default 3);
// the medians are printed. A developer tool, not part of the suite.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "dbupgrade/CarryOver.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "tools/uidriver/DatabaseReader.h"
#include "tools/uidriver/Timing.h"
#include "tools/uidriver/WizardSession.h"

namespace {

using namespace qel;
using uidriver::Median;
using uidriver::NowMs;
using uidriver::RemoveTree;
using uidriver::WizardSession;

const char* const kPhases[] = {"staging", "version check", "carry-over", "replacement", "cleanup", "closing"};
constexpr size_t kPhaseCount = sizeof kPhases / sizeof kPhases[0];

// Adds rows to the older schema's seven tables: keys from 1000 on (clear of the rows the
// database and the new one already hold), text with accents, nulls, one row in ten of the
// dated tables from 2007 on.
void AddRows(const std::string& db, long long rows) {
    const long long perTable = rows / 7;
    const std::string n = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                          std::to_string(perTable) + ") ";
    // The start of validity: before 2007, but from 2008 on for one row in ten.
    const std::string date =
        "printf('%04d-%02d-%02d 00:00:00', CASE WHEN i % 10 = 0 THEN 2008 ELSE 1995 + i % 12 END, 1 + i % 12, "
        "1 + i % 28)";
    uidriver::Exec(db,
                   "BEGIN;" + n +
                       "INSERT INTO TB_OPERADORA SELECT 1000 + i, 'Operadora S\xE3o Jo\xE3o Sa\xFA" "de n\xBA ' || i, "
                       "printf('%06d', i), CASE WHEN i % 7 = 0 THEN NULL ELSE printf('%014d', i) END, "
                       "printf('%04d-%02d-%02d 00:00:00', 1990 + i % 30, 1 + i % 12, 1 + i % 28), i % 2 FROM n;" +
                       n + "INSERT INTO TB_ACOMPANHAMENTO SELECT 1000 + i, " + date +
                       ", NULL, 1 + i % 4, 'Envio do trimestre n\xBA ' || i FROM n;" + n +
                       "INSERT INTO RL_CARTEIRA_ASSISTENCIAL SELECT 1000 + i, " + date +
                       ", 'AMB', i % 50000, (i % 100000) / 100.0 FROM n;" + n +
                       "INSERT INTO RL_ITEM_DESP_ASSISTENCIAL SELECT 1000 + i, 'ITEM' || (i % 97), " + date +
                       ", i * 1.25, i % 1000 FROM n;" + n + "INSERT INTO TB_QEL_ANEXO_II_A SELECT 1000 + i, " +
                       date + ", 1 + i % 9, i * 0.125, CASE WHEN i % 5 = 0 THEN NULL ELSE -i END FROM n;" + n +
                       "INSERT INTO TB_QEL_ANEXO_III SELECT 1000 + i, " + date +
                       ", 1, 'Provis\xE3o t\xE9" "cnica ' || i, i / 4.0 FROM n;" + n +
                       "INSERT INTO TB_QEL_ANEXO_IV SELECT 1000 + i, " + date +
                       ", 1 + i % 9, i * 2.5, i % 3, i % 2 FROM n;" + "COMMIT;");
}

long long CarriedRows(const std::string& installed) {
    long long n = 0;
    for (const char* t : kTabelasMigradas)
        n += std::string(t) == kTabelaSemCorte
                 ? uidriver::CountRows(installed, t)
                 : std::stoll(uidriver::Scalar(installed, std::string("SELECT count(*) FROM ") + t +
                                                              " WHERE DT_INIC_VIGN < '2007-01-01 00:00:00' OR "
                                                              "DT_INIC_VIGN IS NULL"));
    return n;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The last write time of a file (0 when there is none).
unsigned long long WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<unsigned long long>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

bool HasBackup(const std::string& folder) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\QEL_*.md_").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

// One update through the window; the duration of each phase in milliseconds.
std::vector<double> UpdateOnce(const std::string& medium, const std::string& target) {
    const std::string program = target + "\\QEL.exe";
    const std::string staging = fs::TempPath() + "InstQEL";
    const std::string stagedDb = staging + "\\QEL.mdb";
    const std::string newCopy = target + "\\QEL_novo.tmp";
    RemoveTree(staging);

    WizardSession s(medium);
    HWND confirm = s.WalkToConfirmation(1, target, 10000);
    const unsigned long long programBefore = WriteTime(program);

    // From the confirmation on, the files tell which step the run is in.
    std::vector<double> at;
    const double start = NowMs();
    uidriver::PressButton(confirm, "&Yes");
    unsigned long long stagedBefore = 0;
    HWND done = nullptr;
    while (!done) {
        if (NowMs() - start > 600000) throw uidriver::DriverError("the update did not end");
        switch (at.size()) {
            case 0:  // staging: until the program in the install folder is the medium's
                if (WriteTime(program) != programBefore) {
                    at.push_back(NowMs());
                    stagedBefore = WriteTime(stagedDb);
                }
                break;
            case 1:  // version check: until the staged database takes a row
                if (WriteTime(stagedDb) != stagedBefore || Exists(newCopy)) at.push_back(NowMs());
                break;
            case 2:  // carry-over: until the replacement copies the staged database over
                if (Exists(newCopy) || HasBackup(target)) at.push_back(NowMs());
                break;
            case 3:  // replacement: until the copy has taken the installed one's place
                if (!Exists(newCopy) && HasBackup(target)) at.push_back(NowMs());
                break;
            case 4:  // cleanup: until the staging folder is gone
                if (!Exists(staging)) at.push_back(NowMs());
                break;
            default:  // closing: until the closing dialog shows
                done = s.Program().FindWindow("Information", "#32770");
                if (done) at.push_back(NowMs());
                break;
        }
        if (!done) Sleep(1);
    }
    WizardSession::Answer(done, "OK");
    s.WaitExit();
    std::vector<double> phases;
    for (size_t i = 0; i < at.size(); ++i) phases.push_back(at[i] - (i ? at[i - 1] : start));
    return phases;
}

int Run(const std::vector<std::string>& a) {
    const std::string medium = a[1], installed = a[2], work = a[3];
    const long long rows = a.size() > 4 ? std::stoll(a[4]) : 100000;
    const int rounds = a.size() > 5 ? std::stoi(a[5]) : 3;
    RemoveTree(work);
    fs::ForceDirectories(work + "\\modelo");
    uidriver::CopyFolderFiles(installed, work + "\\modelo");
    AddRows(work + "\\modelo\\QEL.mdb", rows);
    const std::string model = work + "\\modelo\\QEL.mdb";
    long long inTables = 0;
    for (const char* t : kTabelasMigradas) inTables += uidriver::CountRows(model, t);
    const long long carried = CarriedRows(model);
    std::printf("installed database: %lld rows in the seven tables, %lld to carry; %d rounds, medians\n", inTables,
                carried, rounds);

    std::vector<std::vector<double>> times(kPhaseCount);
    std::vector<double> totals;
    for (int r = 0; r < rounds; ++r) {
        const std::string target = work + "\\QEL";
        RemoveTree(target);
        fs::ForceDirectories(target);
        uidriver::CopyFolderFiles(work + "\\modelo", target);
        std::vector<double> phases = UpdateOnce(medium, target);
        double total = 0;
        for (size_t i = 0; i < kPhaseCount; ++i) {
            times[i].push_back(phases[i]);
            total += phases[i];
        }
        totals.push_back(total);
        const std::string db = target + "\\QEL.mdb";
        if (uidriver::Scalar(db, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA") != "3.2.0" || !HasBackup(target))
            throw uidriver::DriverError("the update did not put the new database in place");
        long long now = 0;
        for (const char* t : kTabelasMigradas) now += uidriver::CountRows(db, t);
        std::printf("round %d: %.0f ms, %lld rows in the updated database\n", r + 1, total, now);
    }
    for (size_t i = 0; i < kPhaseCount; ++i) std::printf("  %-14s %9.0f ms\n", kPhases[i], Median(times[i]));
    const double total = Median(totals), carry = Median(times[2]);
    std::printf("  %-14s %9.0f ms (%.0f rows/s over the whole update, carry-over %.0f rows/s)\n", "total", total,
                static_cast<double>(carried) / total * 1000.0, static_cast<double>(carried) / carry * 1000.0);
    RemoveTree(work);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: qel_update_benchmark <medium> <installed-3.1.9> <work-folder> [rows] [rounds]\n");
        return 2;
    }
    qel::ComApartment com;
    try {
        return Run(std::vector<std::string>(argv, argv + argc));
    } catch (const std::exception& e) {
        std::printf("update benchmark failed: %s\n", e.what());
        return 1;
    }
}
