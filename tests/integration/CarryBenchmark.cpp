// Measures the carry-over (MigraDados) against two floors made with the embedded engine's
// own means, on the same rows, in the same run:
//   (a) bulk floor: the installed database attached to the new one and one
//       INSERT ... SELECT per table, all inside one transaction;
//   (b) commit-per-row floor: the same rows inserted through one prepared statement per
//       table with bound values, one commit per row, with the settings the carry-over
//       gives the staged database.
//
//   qel_carry_benchmark [rows] [rounds] [durable] [files]   (default 100000 rows, 3 rounds)
//
// The rows are spread over the seven carried tables, ten columns of mixed kinds each,
// with nulls and empty dates among them and one row in ten dated after the cut-off (not
// carried). The measures take turns for the given number of rounds and their medians
// are compared. "durable" also measures floor (b) with the engine's ordinary commits,
// which are flushed to disk one by one; "files" counts and times the engine's calls on
// its files (FileCallCounter.h). Prints seconds, rows per second, the CPU time of this
// process (what is left is the platform's work outside it) and the ratios, and checks
// that the carry-over stored exactly the rows of floor (b). A developer tool, not part
// of the suite.
#include <windows.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dbupgrade/CarryOver.h"
#include "tests/integration/FileCallCounter.h"
#include "dbupgrade/SqliteConnection.h"
#include "core/UiPort.h"
#include "core/WizardState.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace {

using namespace qel;
using Clock = std::chrono::steady_clock;

// Ten columns of every kind the carried tables hold. The new database declares them in
// the opposite order, so that every value finds its column by name.
const std::vector<std::pair<std::string, std::string>> kColumns = {
    {"CD_OPERADORA", "LONG"},     {"DE_NOME", "TEXT(60)"},     {"DT_INIC_VIGN", "DATETIME"},
    {"VL_TOTAL", "DOUBLE"},       {"VL_MOEDA", "CURRENCY"},    {"ID_ATIVO", "YESNO"},
    {"NR_QTD", "INTEGER"},        {"DE_OBS", "MEMO"},          {"DT_FIM_VIGN", "DATETIME"},
    {"DE_SIGLA", "TEXT(10)"},
};

// TB_OPERADORA is carried whole and has no DT_INIC_VIGN.
std::string ColumnName(const std::string& table, size_t i) {
    if (table == "TB_OPERADORA" && kColumns[i].first == "DT_INIC_VIGN") return "DT_CADASTRO";
    return kColumns[i].first;
}

std::string ColumnList(const std::string& table) {
    std::string list;
    for (size_t i = 0; i < kColumns.size(); ++i) list += (i ? ", " : "") + ColumnName(table, i);
    return list;
}

std::string Declaration(const std::string& table, bool reversed) {
    std::string sql = "CREATE TABLE " + table + " (";
    for (size_t k = 0; k < kColumns.size(); ++k) {
        size_t i = reversed ? kColumns.size() - 1 - k : k;
        sql += (k ? ", " : "") + ColumnName(table, i) + " " + kColumns[i].second;
    }
    return sql + ")";
}

// What is carried of a table, in the engine's stored forms.
std::string CarriedRows(const std::string& table) {
    if (table == "TB_OPERADORA") return "";
    return " WHERE DT_INIC_VIGN < '2007-01-01 00:00:00' OR DT_INIC_VIGN IS NULL";
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

class Db {
public:
    Db(const std::string& path, bool create) {
        int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(text::ToUtf8(path).c_str(), &db_, flags, nullptr) != SQLITE_OK) Fail("cannot open " + path);
    }
    ~Db() { sqlite3_close_v2(db_); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* get() const { return db_; }
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
            Fail(sql + ": " + (error ? error : "?"));
    }
    sqlite3_stmt* Prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Fail(sql + ": " + sqlite3_errmsg(db_));
        return s;
    }
    long long Count(const std::string& sql) {
        sqlite3_stmt* s = Prepare(sql);
        long long n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return n;
    }

private:
    sqlite3* db_ = nullptr;
};

// The installed database: carried rows spread over the seven tables, plus one row in
// ten after the cut-off in the six dated ones. Returns the number of rows to carry.
long long MakeInstalled(const std::string& path, int rows) {
    DeleteFileA(path.c_str());
    Db db(path, true);
    db.Exec("BEGIN");
    long long carried = 0;
    const int tables = static_cast<int>(kTabelasMigradas.size());
    for (int t = 0; t < tables; ++t) {
        const std::string table = kTabelasMigradas[static_cast<size_t>(t)];
        db.Exec(Declaration(table, false));
        const int toCarry = rows / tables + (t < rows % tables ? 1 : 0);
        const int extra = table == "TB_OPERADORA" ? 0 : toCarry / 10;
        sqlite3_stmt* s = db.Prepare("INSERT INTO " + table + " (" + ColumnList(table) +
                                     ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        for (int i = 0; i < toCarry + extra; ++i) {
            const bool late = i >= toCarry;
            char date[32], end[32];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", late ? 2007 + i % 3 : 1995 + i % 12,
                          1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60);
            std::snprintf(end, sizeof end, "%04d-%02d-%02d 00:00:00", 2010 + i % 5, 1 + i % 12, 1 + i % 28);
            std::string name = "Operadora de sa\xC3\xBA" "de n\xC2\xBA " + std::to_string(i);
            std::string memo = "Observa\xC3\xA7\xC3\xA3o " + std::to_string(i * 7) + " da tabela " + table;
            char sigla[16];
            std::snprintf(sigla, sizeof sigla, "S%d", i % 1000);
            sqlite3_bind_int64(s, 1, 100000 + i);
            sqlite3_bind_text(s, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            if (i % 50 == 7 && !late) sqlite3_bind_null(s, 3);  // an empty date is carried
            else sqlite3_bind_text(s, 3, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(s, 4, i * 1.25 + 0.1);
            sqlite3_bind_double(s, 5, (i % 100000) / 100.0);
            sqlite3_bind_int(s, 6, i % 2);
            if (i % 10 == 3) sqlite3_bind_null(s, 7);
            else sqlite3_bind_int(s, 7, i % 1000 - 500);
            if (i % 10 == 4) sqlite3_bind_null(s, 8);
            else sqlite3_bind_text(s, 8, memo.c_str(), -1, SQLITE_TRANSIENT);
            if (i % 10 == 5) sqlite3_bind_null(s, 9);
            else sqlite3_bind_text(s, 9, end, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 10, sigla, -1, SQLITE_TRANSIENT);
            if (sqlite3_step(s) != SQLITE_DONE) Fail("cannot fill " + table);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        carried += toCarry;
    }
    db.Exec("COMMIT");
    return carried;
}

// The new database as the medium brings it: the seven tables, empty, columns reversed.
void MakeNew(const std::string& path) {
    DeleteFileA(path.c_str());
    Db db(path, true);
    for (const char* table : kTabelasMigradas) db.Exec(Declaration(table, true));
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}

struct Measure {
    double seconds = 0;
    double cpu = 0;
    std::string files;  // the file calls made, when counted
};

bool g_countFiles = false;

template <class F>
Measure Time(F&& work, long long rows) {
    bench::ResetFileCalls();
    double cpu = ProcessCpuSeconds();
    auto start = Clock::now();
    work();
    Measure m{std::chrono::duration<double>(Clock::now() - start).count(), ProcessCpuSeconds() - cpu, {}};
    if (g_countFiles) m.files = bench::FileCallReport(rows);
    return m;
}

void BulkFloor(const std::string& installed, const std::string& staged) {
    Db db(staged, false);
    db.Exec(db::kScratchCommitSettings);
    db.Exec("ATTACH DATABASE '" + text::ToUtf8(installed) + "' AS instalado");
    db.Exec("BEGIN");
    for (const char* table : kTabelasMigradas) {
        std::string columns = ColumnList(table);
        db.Exec("INSERT INTO main." + std::string(table) + " (" + columns + ") SELECT " + columns +
                " FROM instalado." + table + CarriedRows(table));
    }
    db.Exec("COMMIT");
}

void CommitPerRowFloor(const std::string& installed, const std::string& staged, bool scratch) {
    Db source(installed, false);
    Db target(staged, false);
    if (scratch) target.Exec(db::kScratchCommitSettings);
    for (const char* table : kTabelasMigradas) {
        std::string columns = ColumnList(table);
        sqlite3_stmt* read = source.Prepare("SELECT " + columns + " FROM " + table + CarriedRows(table));
        sqlite3_stmt* insert = target.Prepare("INSERT INTO " + std::string(table) + " (" + columns +
                                              ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        const int n = static_cast<int>(kColumns.size());
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) sqlite3_bind_value(insert, i + 1, sqlite3_column_value(read, i));
            if (sqlite3_step(insert) != SQLITE_DONE) Fail(std::string("floor (b): ") + sqlite3_errmsg(target.get()));
            sqlite3_reset(insert);
        }
        sqlite3_finalize(read);
        sqlite3_finalize(insert);
    }
}

// Nobody answers: the benchmark expects no dialog, and reports one as a failure.
class QuietUi : public UiPort {
public:
    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem, BotoesMensagem) override {
        Fail("dialog: " + texto);
    }
    void MostraFalha(const std::string& mensagem) override { Fail("failure: " + mensagem); }
    void MostraAnimacao(bool) override {}
    void MostraPagina(Pagina) override {}
    Pagina PaginaAtual() const override { return Pagina::Instala; }
    void MostraAguarde() override {}
    void Repinta() override {}
    void Fecha() override {}
    int TipoInstalacao() const override { return 1; }
    std::string PastaInstalacao() const override { return {}; }
    void DefinePastaInstalacao(const std::string&) override {}
};

long long RowsIn(const std::string& path) {
    Db db(path, false);
    long long n = 0;
    for (const char* table : kTabelasMigradas) n += db.Count(std::string("SELECT count(*) FROM ") + table);
    return n;
}

// Rows of one database missing from the other, both ways, over the seven tables.
long long Differences(const std::string& a, const std::string& b) {
    Db db(a, false);
    db.Exec("ATTACH DATABASE '" + text::ToUtf8(b) + "' AS outro");
    long long n = 0;
    for (const char* table : kTabelasMigradas) {
        std::string columns = ColumnList(table), t = table;
        n += db.Count("SELECT count(*) FROM (SELECT " + columns + " FROM main." + t + " EXCEPT SELECT " + columns +
                      " FROM outro." + t + ")");
        n += db.Count("SELECT count(*) FROM (SELECT " + columns + " FROM outro." + t + " EXCEPT SELECT " + columns +
                      " FROM main." + t + ")");
    }
    return n;
}

// The median of each measure over the rounds, with every round's time.
struct Series {
    std::vector<Measure> rounds;
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Seconds() const {
        std::vector<double> v;
        for (const Measure& m : rounds) v.push_back(m.seconds);
        return Median(v);
    }
    double Cpu() const {
        std::vector<double> v;
        for (const Measure& m : rounds) v.push_back(m.cpu);
        return Median(v);
    }
};

void Print(const char* what, const Series& s, long long rows) {
    const double seconds = s.Seconds(), cpu = s.Cpu();
    std::printf("%-40s %8.3f s %9.0f rows/s  CPU %7.3f s (%5.1f us/row)  rounds:", what, seconds, rows / seconds, cpu,
                cpu * 1e6 / static_cast<double>(rows));
    for (const Measure& m : s.rounds) std::printf(" %.3f", m.seconds);
    std::printf("\n");
    std::fputs(s.rounds.back().files.c_str(), stdout);
}

int Run(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int roundCount = argc > 2 ? std::atoi(argv[2]) : 3;
    bool durable = false;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "durable") durable = true;
        else if (option == "files") g_countFiles = true;
        else Fail("unknown option " + option);
    }
    if (rows < 7) Fail("at least 7 rows");
    if (roundCount < 1) Fail("at least one round");
    if (g_countFiles) bench::InstallFileCallCounter();

    WizardState state;
    const std::string folder = fs::TempPath() + "qel-carry-benchmark";
    state.TempDir = folder + "\\";
    state.TargetDir = folder + "\\instalado";
    state.StagingDir = state.TempDir + "InstQEL";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(state.TargetDir.c_str(), nullptr);
    CreateDirectoryA(state.StagingDir.c_str(), nullptr);
    const std::string installed = state.TargetDir + "\\QEL.mdb";
    const std::string staged = state.StagingDir + "\\QEL.mdb";
    const std::string floorCopy = folder + "\\piso-b.mdb";

    const long long carried = MakeInstalled(installed, rows);
    std::printf("rows carried: %lld of %lld, over %zu tables of %zu columns; %d rounds, medians\n", carried,
                RowsIn(installed), kTabelasMigradas.size(), kColumns.size(), roundCount);

    // The measures take turns, so that each sees the machine as the others do.
    Series bulk, durableFloor, perRow, carry;
    QuietUi ui;
    for (int round = 0; round < roundCount; ++round) {
        MakeNew(staged);
        bulk.rounds.push_back(Time([&] { BulkFloor(installed, staged); }, carried));
        if (RowsIn(staged) != carried) Fail("floor (a) carried the wrong number of rows");

        if (durable) {
            MakeNew(staged);
            durableFloor.rounds.push_back(Time([&] { CommitPerRowFloor(installed, staged, false); }, carried));
        }

        MakeNew(staged);
        perRow.rounds.push_back(Time([&] { CommitPerRowFloor(installed, staged, true); }, carried));
        if (RowsIn(staged) != carried) Fail("floor (b) carried the wrong number of rows");
        DeleteFileA(floorCopy.c_str());
        if (!MoveFileA(staged.c_str(), floorCopy.c_str())) Fail("cannot keep the rows of floor (b)");

        MakeNew(staged);
        carry.rounds.push_back(Time([&] {
            if (!MigraDados(state, ui)) Fail("the carry-over did not open the installed database");
        }, carried));
        if (RowsIn(staged) != carried) Fail("the carry-over carried the wrong number of rows");
    }
    const long long differences = Differences(staged, floorCopy);

    Print("(a) bulk floor, INSERT ... SELECT", bulk, carried);
    if (durable) Print("(b) commit per row, durable commits", durableFloor, carried);
    Print("(b) commit per row, staged-copy commits", perRow, carried);
    Print("MigraDados", carry, carried);
    std::printf("ratio MigraDados / (b): %.2f\nratio MigraDados / (a): %.1f\n", carry.Seconds() / perRow.Seconds(),
                carry.Seconds() / bulk.Seconds());
    std::printf("ratio of CPU times, MigraDados / (a): %.1f\n", carry.Cpu() / bulk.Cpu());
    if (durable)
        std::printf("ratio (b) durable / (b) staged-copy: %.2f\n", durableFloor.Seconds() / perRow.Seconds());
    std::printf("rows differing from floor (b): %lld\n", differences);

    for (const std::string& f : {installed, staged, floorCopy}) DeleteFileA(f.c_str());
    RemoveDirectoryA(state.StagingDir.c_str());
    RemoveDirectoryA(state.TargetDir.c_str());
    RemoveDirectoryA(folder.c_str());
    return differences == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    ComApartment com;
    try {
        return Run(argc, argv);
    } catch (const Failure& f) {
        Fail(std::string("failure: ") + f.what());
    }
}
