// A whole update of an installed QEL through the ADO engine, in this process, with the
// fake ADO standing for ADO and the Jet provider (which Wine lacks): the installation run
// from the confirmation on, through the version check, the carry-over and the
// replacement. The installed TB_ACOMPANHAMENTO holds <rows> rows of the older schema with
// 2 KB texts, made as they are fetched, and the new database counts the rows it takes
// without keeping them, so that what this process holds is the run's and the ADO
// engine's own, and what the fake recordsets keep, which models ADO's two cursors
// (FakeAdoCursor.h). Its peak memory is measured from outside (qel_peak_memory).
//
//   qel_ado_update_benchmark <work-folder> <rows>
//
// Prints the rows carried, the time of the run and the most rows the recordsets held at
// once. A developer tool, not part of the suite.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/WizardState.h"
#include "engine/InstallationRun.h"
#include "engine/udmInstaladorQel.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "tests/integration/FakeAdo.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace qel;
using namespace qel::test::ado;

// The beginning of a Jet database file: not the embedded engine's, so ADO gets it.
std::string JetLikeFile() { return std::string("\0\x01\0\0Standard Jet DB\0", 19) + std::string(2029, '\0'); }

Var Whole(VARTYPE type, long value) {
    return test::Of(type, [&](VARIANT& v) {
        if (type == VT_I2) v.iVal = static_cast<SHORT>(value);
        else v.lVal = value;
    });
}

// The older schema's carried tables (ADO's column types); TB_ACOMPANHAMENTO's rows made
// from their number: keys from 1000 on, a start of validity in 2000 to 2006 (carried), a
// 2 KB observation.
Database Installed(size_t rows) {
    Database d;
    d[L"TA_SISTEMA"] = {{{L"DE_VERSAO_BANCO", 202, 10}, {L"DE_VERSAO_SISTEMA", 202, 10}},
                        {{test::Text(L"3.1.9"), test::Text(L"3.1.9")}}};
    for (const char* name : {"TB_OPERADORA", "RL_CARTEIRA_ASSISTENCIAL", "RL_ITEM_DESP_ASSISTENCIAL",
                             "TB_QEL_ANEXO_II_A", "TB_QEL_ANEXO_III", "TB_QEL_ANEXO_IV"})
        d[text::Widen(name)] = {{{L"CD_OPERADORA", 3}, {L"DT_INIC_VIGN", 7}}, {}};
    Table& t = d[L"TB_ACOMPANHAMENTO"];
    t.columns = {{L"CD_OPERADORA", 3}, {L"DT_INIC_VIGN", 7}, {L"DT_FIM_VIGN", 7}, {L"NR_TRIMESTRE", 2},
                 {L"DE_OBSERVACAO", 203}};
    std::wstring filler;
    while (filler.size() < 2000) filler += L"Observa\u00E7\u00E3o do envio ";
    t.madeRows = rows;
    t.made = [filler](size_t i) {
        std::wstring text = std::to_wstring(i) + L": " + filler;
        text.resize(2000);
        return std::vector<Var>{Whole(VT_I4, static_cast<long>(1000 + i)), test::Date(36526.0 + static_cast<double>(i % 2500)),
                                test::Null(), Whole(VT_I2, static_cast<long>(1 + i % 4)), test::Text(text)};
    };
    return d;
}

// The new schema's tables: the carried rows only counted.
Database Fresh(const Database& installed) {
    Database d;
    for (const auto& [name, table] : installed) d[name] = {table.columns, {}};
    d[L"TA_SISTEMA"].rows = {{test::Text(L"3.2.0"), test::Text(L"3.2.3")}};
    d[L"TB_ACOMPANHAMENTO"].keepsAdded = false;
    return d;
}

int Run(const std::string& work, size_t rows) {
    const std::string medium = work + "\\midia", folder = work + "\\QEL", temp = work + "\\temp\\";
    for (const std::string& f : {medium, folder, temp, work + "\\system"}) fs::ForceDirectories(f);
    test::WriteFile(medium + "\\QEL.ex_", "programa 3.2.3");
    test::WriteFile(medium + "\\QEL.md_", JetLikeFile());
    test::WriteFile(medium + "\\midas.dl_", "biblioteca");
    for (const char* help : {"zav2003.chm", "zav2005.chm"}) {
        test::WriteFile(medium + "\\" + help, "ajuda nova");
        test::WriteFile(folder + "\\" + help, "ajuda 3.1.9");
    }
    test::WriteFile(folder + "\\QEL.exe", "programa 3.1.9");
    test::WriteFile(folder + "\\QEL.mdb", JetLikeFile());

    FakeAdo ado;
    ado.world.recordsCalls = false;
    ado.world.files[text::Widen(folder + "\\QEL.mdb")] = Installed(rows);
    ado.world.files[text::Widen(temp + "InstQEL\\QEL.mdb")] = Fresh(ado.world.files[text::Widen(folder + "\\QEL.mdb")]);

    WizardState estado;
    estado.SourceDir = medium + "\\";
    estado.TempDir = temp;
    estado.SystemDir = work + "\\system";
    estado.VersaoSistema = kVersaoSistema;
    estado.VersaoBanco = kVersaoBanco;
    test::ScriptedUi ui;
    ui.pasta = folder;
    ui.tipoInstalacao = 1;
    ui.Responde(RespostaMensagem::Sim);
    for (int i = 0; i < 6; ++i) ui.Responde(RespostaMensagem::Ok);
    TdmInstalaQel dm;

    const auto start = std::chrono::steady_clock::now();
    ExecutaInstalacao(estado, dm, ui);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fs::ChangeDir(work);

    const size_t carried = ado.world.files[text::Widen(temp + "InstQEL\\QEL.mdb")][L"TB_ACOMPANHAMENTO"].added;
    const bool complete = !ui.dialogos.empty() && ui.dialogos.back().texto == mensagens::kConcluida;
    std::printf("%s: %zu rows carried of %zu, %.2f s (%.1f us a row), at most %lld rows held by the recordsets\n",
                complete ? "complete" : "NOT COMPLETE", carried, rows, seconds,
                seconds * 1e6 / static_cast<double>(rows ? rows : 1), ado.world.mostRowsHeld);
    for (const std::string& e : ui.eventos)
        if (e.rfind("falha:", 0) == 0) std::printf("  %s\n", e.c_str());
    return complete && carried == rows ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: qel_ado_update_benchmark <work-folder> <rows>\n");
        return 2;
    }
    ComApartment com;
    const std::string work = argv[1];
    const int code = Run(work, static_cast<size_t>(std::stoull(argv[2])));
    test::RemoveTree(work);
    return code;
}
