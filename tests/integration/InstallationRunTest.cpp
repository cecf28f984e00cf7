// The installation run against real files and databases under Wine, through the scripted
// UI port: every branch with its dialogs, words, pages, closing, and what is on disk after.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <algorithm>
#include <map>
#include <thread>

#include "dbupgrade/DatabaseReplacement.h"
#include "engine/InstallGuard.h"
#include "engine/InstallationRun.h"
#include "engine/RunProgress.h"
#include "engine/StagingFolder.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/RunThread.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/integration/OtherProcess.h"
#include "platform/FileOpSeam.h"
#include "platform/TemporaryFiles.h"
#include "tests/support/FileOpNames.h"
#include "tests/support/FailingSeam.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WineVolumes.h"
#include "tests/support/Windows.h"
#include "engine/RunChecks.h"
#include "engine/udmInstaladorQel.h"

namespace qel {
namespace {

using test::ReadFile;
using test::ScriptedUi;
using test::TempFolder;
using test::WriteFile;

const char* const kTabelas[] = {"TB_OPERADORA",      "TB_ACOMPANHAMENTO", "RL_CARTEIRA_ASSISTENCIAL",
                                "RL_ITEM_DESP_ASSISTENCIAL", "TB_QEL_ANEXO_II_A", "TB_QEL_ANEXO_III",
                                "TB_QEL_ANEXO_IV"};

// A database of the given schema version with the seven carried tables, and rows dated
// on both sides of the 2007 cut-off when asked.
void MakeQelDatabase(const std::string& path, const std::string& versao, bool comLinhas) {
    std::vector<std::string> sql = {
        "CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(10), DE_VERSAO_SISTEMA TEXT(10))",
        "INSERT INTO TA_SISTEMA VALUES ('" + versao + "', '" + versao + "')",
        "CREATE TABLE TB_OPERADORA (CD_OPERADORA LONG PRIMARY KEY, DE_NOME TEXT(40))"};
    for (const char* t : kTabelas)
        if (std::string(t) != "TB_OPERADORA")
            sql.push_back(std::string("CREATE TABLE ") + t +
                          " (CD_OPERADORA LONG, DT_INIC_VIGN DATETIME, DE_TEXTO TEXT(40))");
    if (comLinhas) {
        sql.push_back("INSERT INTO TB_OPERADORA VALUES (7, 'Operadora Sa\xFA" "de')");
        for (const char* t : kTabelas)
            if (std::string(t) != "TB_OPERADORA") {
                sql.push_back(std::string("INSERT INTO ") + t + " VALUES (7, '2006-12-31 23:59:59', 'antes')");
                sql.push_back(std::string("INSERT INTO ") + t + " VALUES (7, '2007-01-01 00:00:00', 'depois')");
            }
    }
    test::CreateDatabase(path, sql);
}

long long Count(const std::string& db, const std::string& table) {
    return std::stoll(test::StoredValue(db, "SELECT COUNT(*) FROM " + table).substr(8));  // "integer:"
}

class Run : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::MakeDir(medium) && fs::MakeDir(temp) && fs::MakeDir(system) && fs::MakeDir(target));
        WriteFile(medium + "\\QEL.ex_", "programa novo");
        MakeQelDatabase(medium + "\\QEL.md_", "3.2.0", false);
        WriteFile(medium + "\\midas.dl_", "biblioteca nova");
        WriteFile(medium + "\\zav2003.chm", "ajuda 2003");
        WriteFile(medium + "\\zav2005.chm", "ajuda 2005");
        for (const char* n : {"disk.1", "disk.2", "disk.3", "disk.4", "setup.exe"}) WriteFile(medium + "\\" + n, n);
        estado.SourceDir = medium + "\\";
        estado.TempDir = temp + "\\";
        estado.SystemDir = system;
        estado.VersaoSistema = kVersaoSistema;
        estado.VersaoBanco = kVersaoBanco;
        ui.pasta = target;
    }
    void TearDown() override { fs::ChangeDir(saved); }

    // A fresh install (type 0) or an update (type 1), confirmed, with OK as the answer to
    // the dialogs that follow.
    Desfecho Executa(int tipo, int oks = 0) {
        ui.tipoInstalacao = tipo;
        ui.Responde(RespostaMensagem::Sim);
        for (int i = 0; i < oks; ++i) ui.Responde(RespostaMensagem::Ok);
        return ExecutaInstalacao(estado, dm, ui);
    }
    // The same through another UI port, as a second press of Instalar would.
    Desfecho ExecutaCom(ScriptedUi& outra, int tipo, const std::string& pasta) {
        outra.pasta = pasta;
        outra.tipoInstalacao = tipo;
        outra.Responde(RespostaMensagem::Sim);
        outra.Responde(RespostaMensagem::Ok);
        return ExecutaInstalacao(estado, dm, outra);
    }
    std::vector<std::string> Textos() const {
        std::vector<std::string> t;
        for (const auto& d : ui.dialogos) t.push_back(d.texto);
        return t;
    }
    // The steps page 3 showed, each once, in order; the bar never went back.
    std::vector<std::string> Etapas() const {
        std::vector<std::string> etapas;
        int antes = 0;
        for (const Andamento& a : ui.andamentos) {
            if (etapas.empty() || etapas.back() != a.etapa) etapas.push_back(a.etapa);
            EXPECT_GE(a.milesimos, antes) << a.etapa << " " << a.detalhe;
            EXPECT_LE(a.milesimos, 1000);
            antes = a.milesimos;
        }
        return etapas;
    }
    void ExpectFinishedAndClosed() {
        ASSERT_FALSE(ui.dialogos.empty());
        EXPECT_EQ(ui.dialogos.back().texto, mensagens::kConcluida);
        EXPECT_EQ(ui.dialogos.back().tipo, TipoMensagem::Informacao);
        EXPECT_TRUE(ui.fechada);
        EXPECT_FALSE(ui.animacaoLigada);
        EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstQEL")) << "staging folder left behind";
        EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstADO")) << "data-access staging left behind";
        EXPECT_EQ(fs::CurrentDir(), temp) << "the cleanup leaves the temporary folder current";
    }

    std::string saved = fs::CurrentDir();
    TempFolder root{"qelrun"};
    std::string medium = root / "midia", temp = root / "temp", system = root / "system32";
    std::string target = root / "QEL";
    WizardState estado;
    TdmInstalaQel dm;
    ScriptedUi ui;
};

TEST_F(Run, AnythingButYesToTheConfirmationChangesNothing) {
    for (auto r : {RespostaMensagem::Nao, RespostaMensagem::Cancelar}) {
        ScriptedUi one;
        one.pasta = target;
        one.Responde(r);
        EXPECT_EQ(ExecutaInstalacao(estado, dm, one), Desfecho::Cancelada);
        ASSERT_EQ(one.dialogos.size(), 1u);
        EXPECT_EQ(one.dialogos[0].texto, "Confirma a instala\xE7\xE3o do QEL ?");
        EXPECT_EQ(one.dialogos[0].tipo, TipoMensagem::Confirmacao);
        EXPECT_EQ(one.dialogos[0].botoes, BotoesMensagem::SimNao);
        EXPECT_EQ(one.eventos.size(), 1u);
        EXPECT_FALSE(one.fechada);
    }
    EXPECT_EQ(estado.TargetDir, target) << "the folder is taken as typed";
    EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstQEL"));
}

TEST_F(Run, TheDatabaseMustMatchTheInstallationTypeOrPageTwoComesBack) {
    EXPECT_EQ(Executa(1, 1), Desfecho::PastaInadequada);  // update, but no database in the folder
    ASSERT_EQ(ui.dialogos.size(), 2u);
    EXPECT_EQ(ui.dialogos[1].texto, "Banco de dados n\xE3o foi localizado.\rVerifique pasta de instala\xE7\xE3o correta.");
    EXPECT_EQ(ui.dialogos[1].tipo, TipoMensagem::Aviso);
    EXPECT_EQ(ui.eventos.back(), "pagina:1");
    EXPECT_FALSE(ui.fechada);
    EXPECT_FALSE(ui.aguardeVisivel);

    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", false);
    ScriptedUi fresh;
    fresh.pasta = target;
    fresh.tipoInstalacao = 0;
    fresh.Responde(RespostaMensagem::Sim);
    fresh.Responde(RespostaMensagem::Ok);
    EXPECT_EQ(ExecutaInstalacao(estado, dm, fresh), Desfecho::PastaInadequada);
    ASSERT_EQ(fresh.dialogos.size(), 2u);
    EXPECT_EQ(fresh.dialogos[1].texto,
              "Existe um arquivo se dados na pasta de instala\xE7\xE3o.\rUtilize a op\xE7\xE3o de instala\xE7\xE3o "
              "\"Atualiza\xE7\xE3o\".");
    EXPECT_EQ(fresh.eventos.back(), "pagina:1");
    EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstQEL")) << "nothing staged";
}

TEST_F(Run, AFreshInstallPlacesEveryFileAndCleansUp) {
    // The faces hold off the end of the session from right before the first change.
    bool nadaMudouAinda = false;
    ui.aoAlterar = [&] { nadaMudouAinda = !fs::FileExists(target + "\\QEL.exe") && !fs::FileExists(system + "\\midas.dll"); };
    EXPECT_EQ(Executa(0, 1), Desfecho::Concluida);
    EXPECT_TRUE(nadaMudouAinda);
    ExpectFinishedAndClosed();
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo");
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), ReadFile(medium + "\\QEL.md_"));
    EXPECT_EQ(ReadFile(target + "\\zav2003.chm"), "ajuda 2003");
    EXPECT_EQ(ReadFile(target + "\\zav2005.chm"), "ajuda 2005");
    EXPECT_EQ(ReadFile(system + "\\midas.dll"), "biblioteca nova");
    // The busy display comes up once, before the work: label, repaint, then the animation.
    auto first = std::find(ui.eventos.begin(), ui.eventos.end(), "aguarde");
    ASSERT_NE(first, ui.eventos.end());
    EXPECT_EQ(std::vector<std::string>(first, first + 3), (std::vector<std::string>{"aguarde", "repinta", "animacao:on"}));
    EXPECT_EQ(std::count(first, ui.eventos.end(), "alteracoes"), 1);
    // The database goes in last.
    EXPECT_EQ(Etapas(), (std::vector<std::string>{TextoDaEtapa(Etapa::Preparacao), TextoDaEtapa(Etapa::AcessoADados),
                                                  TextoDaEtapa(Etapa::Programa), TextoDaEtapa(Etapa::Biblioteca),
                                                  TextoDaEtapa(Etapa::Ajuda), TextoDaEtapa(Etapa::Banco),
                                                  TextoDaEtapa(Etapa::Limpeza)}));
    EXPECT_EQ(Textos(), (std::vector<std::string>{mensagens::kConfirma, mensagens::kConcluida}));
}

// Watches the file operations of a run: what each one is and names, in order, and lets a
// test answer one before it runs.
class Registro : public fs::FileOpSeam {
public:
    DWORD Before(const fs::FileOpCall& c) override {
        // The name an operation makes or changes: a rename's new name, a copy's target.
        ops.push_back(std::string(test::NomeDaOperacao(c.op)) + " " + fs::ExtractFileName(c.target.empty() ? c.path : c.target));
        return antes ? antes(c) : 0;
    }
    DWORD After(const fs::FileOpCall&, DWORD erro) override { return erro; }
    // The names files took, in order ("backup" for the database's dated backup).
    std::vector<std::string> Colocados() const {
        std::vector<std::string> nomes;
        for (const std::string& op : ops)
            if (op.rfind("move ", 0) == 0) {
                const std::string nome = op.substr(5);
                nomes.push_back(nome.rfind("QEL_", 0) == 0 && nome.ends_with(".md_") ? "backup" : nome);
            }
        return nomes;
    }
    std::ptrdiff_t Onde(const std::string& op) const {
        return std::find(ops.begin(), ops.end(), op) - ops.begin();
    }
    std::vector<std::string> ops;
    std::function<DWORD(const fs::FileOpCall&)> antes;
};

// The files of a folder under the run's temporary names.
std::vector<std::string> Provisorios(const std::string& pasta) {
    std::vector<std::string> nomes;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((pasta + "\\~InstalaQEL-*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return nomes;
    do nomes.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return nomes;
}

// The renames recorded for the next restart in the machine's registry, pairs of the
// platform's names ("\??\<from>", "\??\<to>"); taken out of it as they are read (the
// test prefix's own, which would make them at its next start).
std::vector<std::string> RenomeacoesNoReinicio() {
    std::vector<std::string> nomes;
    HKEY chave;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ | KEY_SET_VALUE, &chave) != ERROR_SUCCESS)
        return nomes;
    std::string dados(64 << 10, '\0');
    DWORD tamanho = static_cast<DWORD>(dados.size());
    if (RegQueryValueExA(chave, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(dados.data()),
                         &tamanho) == ERROR_SUCCESS)
        for (std::size_t at = 0; at < tamanho && dados[at]; at = dados.find('\0', at) + 1)
            nomes.push_back(dados.c_str() + at);
    RegDeleteValueA(chave, "PendingFileRenameOperations");
    RegCloseKey(chave);
    return nomes;
}

// The support library goes into the system folder only when it has none, and is never
// replaced. When its name is taken all the same by one that cannot be seen (Windows
// answers "already exists" for a library deleted while a running program has it loaded;
// Wine shows such a file, so the answer is given here), the new one waits beside it for
// the next restart and the run asks for it.
TEST_F(Run, TheSupportLibraryIsPlacedOnlyWhenMissingAndAtTheNextRestartWhenItsNameIsTaken) {
    struct Caso {
        const char* nome;
        const char* antes;  // midas.dll in the system folder before the run
        std::function<DWORD()> aoRenomear;
        Desfecho desfecho;
        const char* depois;  // midas.dll after the run (nullptr: none)
        std::string relato;
    };
    const std::string midas = system + "\\midas.dll";
    const Caso casos[] = {
        {"there already", "biblioteca do sistema", [] { return 0ul; }, Desfecho::Concluida, "biblioteca do sistema",
         "C\xF3pia de midas.dll: mantida a de " + system},
        {"put there by another setup meanwhile", nullptr, [&] { WriteFile(midas, "biblioteca de outro"); return 0ul; },
         Desfecho::Concluida, "biblioteca de outro",
         "C\xF3pia de midas.dll: mantida a de " + system + " (colocada por outro programa durante a instala\xE7\xE3o)"},
        {"name taken by one still loaded", nullptr, [] { return static_cast<unsigned long>(ERROR_ALREADY_EXISTS); },
         Desfecho::ConcluidaReiniciar, nullptr, "C\xF3pia de midas.dll: em uso em " + system},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        fs::Remove(midas);
        if (caso.antes) WriteFile(midas, caso.antes);
        fs::Remove(target + "\\QEL.mdb");
        Registro registro;
        registro.antes = [&](const fs::FileOpCall& c) -> DWORD {
            return c.op == fs::FileOp::Move && c.target == midas ? caso.aoRenomear() : 0;
        };
        ScriptedUi uma;
        {
            fs::ScopedFileOpSeam sob(registro);
            EXPECT_EQ(ExecutaCom(uma, 0, target), caso.desfecho);
        }
        EXPECT_EQ(uma.dialogos.back().texto, mensagens::kConcluida);
        if (caso.depois) {
            EXPECT_EQ(ReadFile(midas), caso.depois);
        } else {
            EXPECT_FALSE(fs::FileExists(midas));
        }
        const auto relato = std::find_if(uma.relatos.begin(), uma.relatos.end(), [](const std::string& r) {
            return r.rfind("C\xF3pia de midas.dll", 0) == 0;
        });
        ASSERT_NE(relato, uma.relatos.end());
        EXPECT_EQ(relato->substr(0, caso.relato.size()), caso.relato);
        const std::vector<std::string> esperando = Provisorios(system);
        if (caso.desfecho != Desfecho::ConcluidaReiniciar) {
            EXPECT_TRUE(esperando.empty()) << esperando[0];
            continue;
        }
        // The new library waits whole beside its name, and the restart is to rename it.
        ASSERT_EQ(esperando.size(), 1u);
        const std::string provisorio = system + "\\" + esperando[0];
        EXPECT_EQ(ReadFile(provisorio), "biblioteca nova");
        EXPECT_NE(relato->find(provisorio + " e ser\xE1 colocada no lugar ao reiniciar o computador"), std::string::npos)
            << *relato;
        const std::vector<std::string> pendentes = RenomeacoesNoReinicio();
        const auto de = std::find(pendentes.begin(), pendentes.end(), "\\??\\" + provisorio);
        ASSERT_NE(de, pendentes.end()) << "no rename recorded for the restart";
        ASSERT_NE(de + 1, pendentes.end());
        EXPECT_EQ(*(de + 1), "\\??\\" + midas) << "recorded without replacing: a library there by then is kept";
        fs::Remove(provisorio);
    }
}

// Every file is written whole under a temporary name and flushed before it takes its own.
// The database takes its name last in a fresh install; in an update the program and the
// help files take theirs right after the database's, with nothing but renames between.
TEST_F(Run, TheDatabaseGoesInLastAndTheProgramOnlyWithItsDatabase) {
    Registro nova;
    {
        fs::ScopedFileOpSeam sob(nova);
        EXPECT_EQ(Executa(0, 1), Desfecho::Concluida);
    }
    ExpectFinishedAndClosed();
    EXPECT_EQ(nova.Colocados(),
              (std::vector<std::string>{"QEL.exe", "midas.dll", "zav2003.chm", "zav2005.chm", "QEL.mdb"}));
    for (const char* nome : {"QEL.exe", "midas.dll", "zav2003.chm", "zav2005.chm", "QEL.mdb"}) {
        const std::string provisorio = fs::ExtractFileName(fs::TemporaryName(target, nome));
        EXPECT_LT(nova.Onde("create " + provisorio), nova.Onde("flush " + provisorio)) << nome;
        EXPECT_LT(nova.Onde("flush " + provisorio), nova.Onde(std::string("move ") + nome)) << nome;
    }
    EXPECT_TRUE(Provisorios(target).empty());

    test::RunStatements(target + "\\QEL.mdb", {"UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.1.9'"});
    WriteFile(target + "\\QEL.exe", "programa antigo");
    Registro atualizacao;
    ScriptedUi outra;
    {
        fs::ScopedFileOpSeam sob(atualizacao);
        EXPECT_EQ(ExecutaCom(outra, 1, target), Desfecho::Concluida);
    }
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo");
    EXPECT_EQ(atualizacao.Colocados(),
              (std::vector<std::string>{"backup", "QEL.mdb", "QEL.exe", "zav2003.chm", "zav2005.chm"}));
    EXPECT_LT(atualizacao.Onde("flush " + fs::ExtractFileName(fs::TemporaryName(target, "zav2005.chm"))),
              atualizacao.Onde("create QEL_novo.tmp"))
        << "the program and the help files are written before the database step";
    const auto ate = atualizacao.Onde("move zav2005.chm");
    for (auto i = atualizacao.Onde("move QEL.mdb"); i < ate; ++i) {
        const std::string& op = atualizacao.ops[i];
        EXPECT_TRUE(op.rfind("move ", 0) == 0 || op.rfind("mark ", 0) == 0) << op;
    }
    EXPECT_TRUE(Provisorios(target).empty());
}

// What an interrupted run left under the run's temporary names (and the database
// replacement's) goes; nothing else in the folders does, nor what a run of another install
// folder is writing into the system folder now.
TEST_F(Run, WhatAnInterruptedRunLeftIsRemovedAndNothingElse) {
    test::Holder outraInstalacao("hold-reader", medium + "\\disk.1", root / "holder.txt");
    ASSERT_EQ(outraInstalacao.result, "held");
    char deOutra[64];
    std::snprintf(deOutra, sizeof deOutra, "~InstalaQEL-%lx-midas.dll.tmp", outraInstalacao.Pid());
    const std::vector<std::string> deixados = {"~InstalaQEL-fffffff0-QEL.exe.tmp", "~instalaqel-FFFFFFF0-zav2003.chm.TMP",
                                               "QEL_novo.tmp", "QEL_backup.tmp"};
    const std::vector<std::string> alheios = {"~InstalaQEL-notas.txt", "~InstalaQEL--QEL.exe.tmp", "outro.tmp",
                                              "QEL_novo.tmp.txt"};
    for (const auto& n : deixados) WriteFile(target + "\\" + n, "parte de um arquivo");
    for (const auto& n : alheios) WriteFile(target + "\\" + n, "de outro");
    WriteFile(system + "\\~InstalaQEL-fffffff0-midas.dll.tmp", "parte");
    WriteFile(system + "\\" + deOutra, "sendo gravada");
    EXPECT_EQ(Executa(0, 1), Desfecho::Concluida);
    ExpectFinishedAndClosed();
    for (const auto& n : deixados) EXPECT_FALSE(fs::FileExists(target + "\\" + n)) << n;
    for (const auto& n : alheios) EXPECT_EQ(ReadFile(target + "\\" + n), "de outro") << n;
    EXPECT_FALSE(fs::FileExists(system + "\\~InstalaQEL-fffffff0-midas.dll.tmp"));
    EXPECT_EQ(ReadFile(system + "\\" + deOutra), "sendo gravada");
    EXPECT_NE(std::find(ui.relatos.begin(), ui.relatos.end(),
                        "Arquivos tempor\xE1rios de uma instala\xE7\xE3o interrompida: removidos de " + target + ": " +
                            "QEL_backup.tmp, QEL_novo.tmp, ~InstalaQEL-fffffff0-QEL.exe.tmp, "
                            "~instalaqel-FFFFFFF0-zav2003.chm.TMP"),
              ui.relatos.end());
}

// Every operation of a run that changes something in the install folder or the system
// folder (reads, opens and locks change nothing), with its full names.
class Mudancas : public fs::FileOpSeam {
public:
    explicit Mudancas(std::vector<std::string> pastas) : pastas_(std::move(pastas)) {}
    DWORD Before(const fs::FileOpCall& c) override {
        if (c.op == fs::FileOp::Open || c.op == fs::FileOp::Read || c.op == fs::FileOp::Lock) return 0;
        for (const std::string* nome : {&c.path, &c.target})
            if (!nome->empty() && Dentro(fs::FullPath(*nome))) {
                feitas.push_back(std::string(test::NomeDaOperacao(c.op)) + " " + *nome);
                break;
            }
        return 0;
    }
    DWORD After(const fs::FileOpCall&, DWORD erro) override { return erro; }
    std::vector<std::string> feitas;

private:
    bool Dentro(const std::string& caminho) const {
        for (const std::string& pasta : pastas_)
            if (caminho.size() > pasta.size() && _strnicmp(caminho.c_str(), pasta.c_str(), pasta.size()) == 0 &&
                caminho[pasta.size()] == '\\')
                return true;
        return false;
    }
    std::vector<std::string> pastas_;
};

// The faces hold off the end of the session from right before the run's first change in
// the install folder or the system folder, and are told so once a run: before what an
// interrupted run left is removed (the first change of a fresh install and of an update
// alike), and, in a fresh install whose data-access setup runs, before the setup, which
// changes the system folder.
TEST_F(Run, TheEndOfTheSessionIsHeldOffOnceFromRightBeforeTheFirstChange) {
    struct Caso {
        const char* nome;
        int tipo;
        bool setup;  // the staged database does not open: the data-access setup runs
        Desfecho desfecho;
    };
    for (const Caso& caso : {Caso{"fresh install", 0, false, Desfecho::Concluida},
                             Caso{"update", 1, false, Desfecho::Concluida},
                             Caso{"fresh install with the data-access setup", 0, true, Desfecho::ConcluidaReiniciar}}) {
        SCOPED_TRACE(caso.nome);
        for (const char* n : {"QEL.exe", "QEL.mdb", "zav2003.chm", "zav2005.chm"}) fs::Remove(target + "\\" + n);
        fs::Remove(system + "\\midas.dll");
        if (caso.tipo == 1) {
            MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
            WriteFile(target + "\\QEL.exe", "programa antigo");
        }
        if (caso.setup) {
            WriteFile(medium + "\\QEL.md_", "nenhum banco");
            ASSERT_TRUE(CopyFileA((test::TestProgramDir() + "qel_registra_inicio.exe").c_str(),
                                  (medium + "\\setup.exe").c_str(), FALSE));
        }
        // What an interrupted run left: the first thing each folder sees go.
        WriteFile(target + "\\~InstalaQEL-fffffff0-QEL.exe.tmp", "parte");
        WriteFile(system + "\\~InstalaQEL-fffffff0-midas.dll.tmp", "parte");

        Mudancas mudancas({target, system});
        ScriptedUi uma;
        long antes = -1;
        bool setupAntes = true;
        uma.aoAlterar = [&] {
            if (antes < 0) antes = static_cast<long>(mudancas.feitas.size());
            setupAntes = fs::FileExists(temp + "\\InstADO\\registro-inicio.txt");
        };
        {
            fs::ScopedFileOpSeam sob(mudancas);
            EXPECT_EQ(ExecutaCom(uma, caso.tipo, target), caso.desfecho);
        }
        EXPECT_EQ(uma.dialogos.back().texto, mensagens::kConcluida);
        EXPECT_EQ(std::count(uma.eventos.begin(), uma.eventos.end(), "alteracoes"), 1);
        EXPECT_EQ(antes, 0) << (antes > 0 ? mudancas.feitas[0] : "never told");
        EXPECT_FALSE(setupAntes) << "told before the setup started";
        ASSERT_FALSE(mudancas.feitas.empty());
        EXPECT_EQ(mudancas.feitas[0].rfind("delete ", 0), 0u) << mudancas.feitas[0];
        EXPECT_FALSE(fs::FileExists(target + "\\~InstalaQEL-fffffff0-QEL.exe.tmp"));
        EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo");
    }
}

TEST_F(Run, ATrailingBackslashInTheFolderGivesDoubledSeparatorsThePlatformTakes) {
    ui.pasta = target + "\\";
    Executa(0, 1);
    ExpectFinishedAndClosed();
    EXPECT_EQ(estado.TargetDir, target + "\\");
    EXPECT_TRUE(fs::FileExists(target + "\\QEL.exe"));
}

TEST_F(Run, AnUpdateOfAnOlderSchemaCarriesTheDataAndKeepsTheOldDatabaseAsBackup) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
    WriteFile(target + "\\QEL.exe", "programa antigo");
    const std::string antigo = ReadFile(target + "\\QEL.mdb");
    EXPECT_EQ(Executa(1, 1), Desfecho::Concluida);
    ExpectFinishedAndClosed();
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo");
    const std::string db = target + "\\QEL.mdb";
    EXPECT_EQ(test::StoredValue(db, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.2.0");
    EXPECT_EQ(Count(db, "TB_OPERADORA"), 1);
    for (const char* t : kTabelas) {
        if (std::string(t) != "TB_OPERADORA") {
            EXPECT_EQ(Count(db, t), 1) << t << ": only the row before 2007";
        }
    }
    std::vector<std::string> backups;
    for (const auto& n : {std::string("QEL_*.md_"), std::string("QEL_*.mdb"), std::string("*.tmp")}) {
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((target + "\\" + n).c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) continue;
        do backups.push_back(d.cFileName);
        while (FindNextFileA(h, &d));
        FindClose(h);
    }
    ASSERT_EQ(backups.size(), 1u) << "one backup, no dated .mdb, no temporary file";
    EXPECT_EQ(backups[0].size(), 22u) << backups[0];
    // The log is told the rows of each table and the backup's name.
    auto relatado = [&](const std::string& r) {
        return std::find(ui.relatos.begin(), ui.relatos.end(), r) != ui.relatos.end();
    };
    EXPECT_TRUE(relatado("Migra\xE7\xE3o de TB_OPERADORA: 1 linha"));
    EXPECT_TRUE(relatado("Migra\xE7\xE3o de TB_QEL_ANEXO_IV: 1 linha"));
    EXPECT_TRUE(relatado("C\xF3pia de seguran\xE7" "a do banco: " + backups[0]));
    EXPECT_EQ(ReadFile(target + "\\" + backups[0]), antigo);
    EXPECT_EQ(ReadFile(system + "\\midas.dll"), "biblioteca nova");
}

TEST_F(Run, AnUpdateOfTheSameSchemaStampsTheVersionAndOfANewerOneTouchesNothing) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.2.0", true);
    Executa(1, 1);
    ExpectFinishedAndClosed();
    const std::string db = target + "\\QEL.mdb";
    EXPECT_EQ(test::StoredValue(db, "SELECT DE_VERSAO_SISTEMA FROM TA_SISTEMA"), "text:3.2.3");
    EXPECT_EQ(test::StoredValue(db, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.2.0");
    EXPECT_EQ(Count(db, "TB_ACOMPANHAMENTO"), 2) << "nothing carried";

    test::RunStatements(db, {"UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.2.1', DE_VERSAO_SISTEMA = '3.2.1'"});
    const std::string antes = ReadFile(db);
    ScriptedUi again;
    again.pasta = target;
    again.Responde(RespostaMensagem::Sim);
    again.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, again);
    EXPECT_TRUE(again.fechada);
    EXPECT_EQ(again.dialogos.back().texto, mensagens::kConcluida);
    EXPECT_EQ(ReadFile(db), antes) << "a newer database is left alone";
}

TEST_F(Run, AnInstalledDatabaseHeldByAnotherProgramStopsTheUpdateWithTheWindowOpen) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
    WriteFile(target + "\\QEL.exe", "programa antigo");
    const std::string antes = ReadFile(target + "\\QEL.mdb");
    test::Holder other("hold-handle", target + "\\QEL.mdb", root / "holder.txt");
    ASSERT_EQ(other.result, "held");
    EXPECT_EQ(Executa(1, 1), Desfecho::BancoEmUso);
    ASSERT_EQ(ui.dialogos.size(), 2u);
    EXPECT_EQ(ui.dialogos[1].tipo, TipoMensagem::Simples);
    EXPECT_FALSE(ui.dialogos[1].texto.empty());
    EXPECT_FALSE(ui.fechada);
    EXPECT_EQ(ui.pagina, Pagina::Inicio) << "no page switch: the window stays where it was";
    EXPECT_TRUE(ui.aguardeVisivel);
    EXPECT_FALSE(ui.animacaoLigada);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), antes);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa antigo") << "the new program goes only with its database";
    EXPECT_FALSE(fs::FileExists(target + "\\zav2003.chm"));
    EXPECT_TRUE(Provisorios(target).empty()) << "the new files written beside their places are removed";
    EXPECT_TRUE(fs::DirectoryExists(temp + "\\InstQEL")) << "no cleanup after a failed carry-over";
}

TEST_F(Run, ANewDatabaseThatCannotBePutInPlaceIsReportedAndNeverCalledComplete) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
    const std::string antes = ReadFile(target + "\\QEL.mdb");
    // The replacement's own temporary name is taken by a folder: the new file cannot go there.
    ASSERT_TRUE(fs::MakeDir(target + "\\QEL_novo.tmp"));
    EXPECT_EQ(Executa(1, 1), Desfecho::BancoNaoSubstituido);
    ASSERT_EQ(ui.dialogos.size(), 2u);
    EXPECT_EQ(ui.dialogos[1].texto, MensagemSubstituicao(ResultadoSubstituicao::NovoNaoColocado));
    EXPECT_EQ(ui.dialogos[1].tipo, TipoMensagem::Erro);
    EXPECT_FALSE(ui.fechada);
    EXPECT_FALSE(ui.animacaoLigada);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), antes) << "the installed database is intact";
}

TEST_F(Run, AProgramInUseEndsTheRunWithItsMessage) {
    WriteFile(target + "\\QEL.exe", "em uso");
    HANDLE inUse = CreateFileA((target + "\\QEL.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    MakeQelDatabase(target + "\\QEL.mdb", "3.2.0", false);
    const std::string banco = ReadFile(target + "\\QEL.mdb");
    EXPECT_EQ(Executa(1, 1), Desfecho::ArquivoNaoInstalado);
    CloseHandle(inUse);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), banco) << "found before the database step: not even stamped";
    EXPECT_TRUE(Provisorios(target).empty());
    ASSERT_EQ(ui.dialogos.size(), 2u);
    EXPECT_EQ(ui.dialogos[1].texto, "Arquivo QEL.exe n\xE3o pode ser instalado.\rVerifique se o arquivo est\xE1 em uso.");
    EXPECT_TRUE(ui.fechada);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "em uso");
}

TEST_F(Run, AHelpFileThatCannotBeCopiedIsReportedAndTheRunStillFinishes) {
    ASSERT_TRUE(fs::MakeDir(target + "\\zav2003.chm"));
    EXPECT_EQ(Executa(0, 2), Desfecho::ArquivoNaoInstalado) << "finished, but without everything";
    EXPECT_EQ(Textos(), (std::vector<std::string>{
                            mensagens::kConfirma,
                            "Arquivo zav2003.chm n\xE3o pode ser instalado.\rVerifique se o arquivo est\xE1 em uso.",
                            mensagens::kConcluida}));
    EXPECT_EQ(ReadFile(target + "\\zav2005.chm"), "ajuda 2005");
    EXPECT_TRUE(ui.fechada);
}

TEST_F(Run, FoldersThatCannotBeUsedEndTheRunAndCloseTheWindow) {
    WriteFile(root / "arquivo", "no caminho");
    estado.TempDir = root / "arquivo" + "\\";
    EXPECT_EQ(Executa(0, 1), Desfecho::OutraFalha);
    EXPECT_EQ(ui.dialogos.back().texto, "Diret\xF3rio tempor\xE1rio de instala\xE7\xE3o n\xE3o p\xF5" "de ser criado!");
    EXPECT_TRUE(ui.fechada);

    estado.TempDir = temp + "\\";
    estado.SourceDir = root / "sem-midia" + "\\";
    ScriptedUi missing;
    EXPECT_EQ(ExecutaCom(missing, 0, target), Desfecho::MidiaIncompleta);
    EXPECT_EQ(missing.dialogos.back().texto, "Diret\xF3rio de instala\xE7\xE3o n\xE3o encontrado!");
    EXPECT_TRUE(missing.fechada);
}

// The staging folders are made anew for every run and everything installed comes from
// them as copied: folders left by someone else are replaced, and a staging copy that
// fails stops the run before anything is installed, the window open on page 3.
TEST_F(Run, TheStagingFolderIsMadeAnewAndAStagingThatFailsInstallsNothing) {
    const std::string pasta = temp + "\\InstQEL";
    ASSERT_TRUE(fs::MakeDir(pasta));
    WriteFile(pasta + "\\QEL.exe", "programa de outro");
    WriteFile(temp + "\\InstADO", "arquivo de outro");
    {
        test::FailingSeam falha(fs::FileOp::Copy, "midas.dl_");
        fs::ScopedFileOpSeam sob(falha);
        EXPECT_EQ(Executa(0, 1), Desfecho::ArquivoNaoInstalado);
    }
    EXPECT_EQ(Textos(), (std::vector<std::string>{mensagens::kConfirma, MensagemArquivoNaoPreparado("midas.dll", pasta)}));
    EXPECT_FALSE(ui.fechada);
    EXPECT_FALSE(ui.animacaoLigada);
    EXPECT_FALSE(fs::FileExists(target + "\\QEL.exe")) << "nothing installed";

    ScriptedUi again;
    EXPECT_EQ(ExecutaCom(again, 0, target), Desfecho::Concluida);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo") << "the medium's program, never another's";
}

TEST_F(Run, AFreshInstallWhoseProbeFailsWithoutTheDataAccessPartsStopsBeforeInstalling) {
    WriteFile(medium + "\\QEL.md_", "nenhum banco");  // the probe's open fails
    fs::Remove(medium + "\\disk.3");
    EXPECT_EQ(Executa(0, 1), Desfecho::MidiaIncompleta);
    EXPECT_EQ(ui.dialogos.back().texto, "Disco n\xBA 1 do ADO n\xE3o foi descompactado corretamente");
    EXPECT_TRUE(ui.fechada);
    EXPECT_FALSE(fs::FileExists(target + "\\QEL.exe"));

    // With both parts there, a setup that is no program: the components are not installed.
    WriteFile(medium + "\\disk.3", "disk.3");
    ScriptedUi semSetup;
    EXPECT_EQ(ExecutaCom(semSetup, 0, target), Desfecho::AcessoADadosNaoInstalado);
    EXPECT_TRUE(semSetup.fechada);
}

// Another run holds the guard of the install folder, or of the staging folder every run
// of this user shares: the second ends at once, before it changes anything.
TEST_F(Run, ASecondRunForTheSameFolderEndsAtOnce) {
    for (const std::string& pasta : {target, temp + "\\InstQEL"}) {
        HANDLE pronto = CreateEventA(nullptr, TRUE, FALSE, nullptr), solta = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread outra([&] {
            std::string ocupada;
            auto trava = InstallGuard::Take({pasta}, ocupada);
            SetEvent(pronto);
            WaitForSingleObject(solta, 10000);
        });
        WaitForSingleObject(pronto, 10000);
        ScriptedUi segunda;  // another spelling of the same folder
        EXPECT_EQ(ExecutaCom(segunda, 0, target + "\\"), Desfecho::OutraInstalacao);
        SetEvent(solta);
        outra.join();
        CloseHandle(pronto);
        CloseHandle(solta);
        EXPECT_EQ(segunda.dialogos.back().texto,
                  MensagemOutraInstalacao(pasta == target ? target + "\\" : pasta));
        EXPECT_TRUE(segunda.fechada);
        EXPECT_FALSE(segunda.aguardeVisivel);
        EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstQEL")) << "nothing staged";
    }
    EXPECT_EQ(Executa(0, 1), Desfecho::Concluida) << "free again once the other run let go";
}

// Page 3 follows an update step by step, and the carry-over table by table and row by row.
TEST_F(Run, AnUpdateShowsEveryStepAndTheRowsOfEachTableAsItGoes) {
    const std::string db = target + "\\QEL.mdb";
    MakeQelDatabase(db, "3.1.9", true);
    std::vector<std::string> sql = {"BEGIN"};
    for (int i = 0; i < 300; ++i)
        sql.push_back("INSERT INTO TB_ACOMPANHAMENTO VALUES (" + std::to_string(100 + i) + ", '2005-06-01', 'linha')");
    sql.push_back("COMMIT");
    test::RunStatements(db, sql);
    WriteFile(target + "\\QEL.exe", "programa antigo");
    std::string programaNaPrimeiraAlteracao;
    ui.aoAlterar = [&] { programaNaPrimeiraAlteracao = ReadFile(target + "\\QEL.exe"); };

    Executa(1, 1);
    ExpectFinishedAndClosed();
    EXPECT_EQ(Count(db, "TB_ACOMPANHAMENTO"), 301);
    EXPECT_EQ(programaNaPrimeiraAlteracao, "programa antigo") << "told before the first change";
    EXPECT_EQ(std::count(ui.eventos.begin(), ui.eventos.end(), "alteracoes"), 1);
    // The program is written before the database step and takes its name after it.
    EXPECT_EQ(Etapas(), (std::vector<std::string>{TextoDaEtapa(Etapa::Preparacao), TextoDaEtapa(Etapa::Programa),
                                                  TextoDaEtapa(Etapa::Biblioteca), TextoDaEtapa(Etapa::VersaoDoBanco),
                                                  TextoDaEtapa(Etapa::Migracao), TextoDaEtapa(Etapa::Substituicao),
                                                  TextoDaEtapa(Etapa::Programa), TextoDaEtapa(Etapa::Ajuda),
                                                  TextoDaEtapa(Etapa::Limpeza)}));
    // Every table's first row, and its last of how many it has once read to its end (the
    // installed table is read forward only: its size is not known before); the carry-over
    // spans most of the bar.
    std::vector<std::string> detalhes;
    int inicioDaMigracao = -1, fimDaMigracao = 0;
    for (const Andamento& a : ui.andamentos) {
        if (!a.detalhe.empty()) detalhes.push_back(a.detalhe);
        if (a.etapa != TextoDaEtapa(Etapa::Migracao)) continue;
        if (inicioDaMigracao < 0) inicioDaMigracao = a.milesimos;
        fimDaMigracao = a.milesimos;
    }
    for (const std::string& d : {TextoDaTabela("TB_OPERADORA", 1, -1), TextoDaTabela("TB_OPERADORA", 1, 1),
                                 TextoDaTabela("TB_QEL_ANEXO_IV", 1, -1), TextoDaTabela("TB_QEL_ANEXO_IV", 2, 2)})
        EXPECT_NE(std::find(detalhes.begin(), detalhes.end(), d), detalhes.end()) << d;
    EXPECT_NE(std::find(detalhes.begin(), detalhes.end(), "Tabela TB_ACOMPANHAMENTO: linha 1"), detalhes.end());
    EXPECT_NE(std::find(detalhes.begin(), detalhes.end(), "Tabela TB_ACOMPANHAMENTO: linha 302 de 302"), detalhes.end());
    EXPECT_LT(detalhes.size(), 302u) << "not every row is shown";
    EXPECT_GE(fimDaMigracao - inicioDaMigracao, 500);
    EXPECT_EQ(ui.andamentos.back().milesimos, 970) << "the cleanup's share begins";
}

TEST_F(Run, ADatabaseFailureTheUpgradeDoesNotHandleLeavesTheWindowOpen) {
    WriteFile(target + "\\QEL.mdb", "isto nao e um banco");
    EXPECT_EQ(Executa(1), Desfecho::FalhaNoBanco);
    EXPECT_EQ(ui.eventos.back().rfind("falha:", 0), 0u) << "shown in the failure box";
    EXPECT_FALSE(ui.fechada);
    EXPECT_TRUE(ui.animacaoLigada) << "the busy display stays";
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), "isto nao e um banco");
}

bool Marked(const std::string& file) {
    return GetFileAttributesA((file + ":Zone.Identifier").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The failure box of a run on a thread of its own, as the faces run it, and what the
// install and staging folders held at that moment.
class CaixaDeFalhaNaLinha : public ScriptedUi {
public:
    CaixaDeFalhaNaLinha(std::string pasta, std::string pastaTemporaria)
        : pasta_(std::move(pasta)), programa_(pasta_ + "\\QEL.exe"), pastaTemporaria_(std::move(pastaTemporaria)) {}
    void MostraFalha(const std::string& mensagem) override {
        linha = GetCurrentThreadId();
        // Nobody else may have the installed program, nor hold the staging folder.
        UniqueHandle arquivo(CreateFileA(programa_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        programaLivre = static_cast<bool>(arquivo);
        arquivo.reset();
        // The run left the staging folder current, which holds it too: looked at from the
        // folder above.
        const std::string atual = fs::CurrentDir();
        fs::ChangeDir(pasta_);
        pastaLivre = MoveFileA(pastaTemporaria_.c_str(), (pastaTemporaria_ + "-movida").c_str()) &&
                     MoveFileA((pastaTemporaria_ + "-movida").c_str(), pastaTemporaria_.c_str());
        fs::ChangeDir(atual);
        provisorios = Provisorios(pasta_);
        ScriptedUi::MostraFalha(mensagem);
    }
    DWORD linha = 0;
    bool programaLivre = false, pastaLivre = false;
    std::vector<std::string> provisorios{"not asked"};

private:
    std::string pasta_, programa_, pastaTemporaria_;
};

// A failure the database step does not handle ends an update by an exception on the run's
// own thread, while the installed program is held and the new one waits beside it, and
// the staging folder is held: all of it is let go on that thread as the run unwinds,
// before the failure box, and nothing stays behind when the thread has ended.
TEST_F(Run, AFailureOnTheRunsThreadLetsGoOfWhatTheRunHeldBeforeTheFailureBox) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
    WriteFile(target + "\\QEL.exe", "programa antigo");
    CaixaDeFalhaNaLinha caixa(target, temp + "\\InstQEL");
    caixa.pasta = target;
    caixa.tipoInstalacao = 1;
    caixa.Responde(RespostaMensagem::Sim);
    Desfecho desfecho = Desfecho::Concluida;
    {
        // The carry-over's first write into the staged database fails.
        test::FailingSeam falha(fs::FileOp::Write, "QEL.mdb");
        fs::ScopedFileOpSeam sob(falha);
        RunThread linha(
            [&] {
                TdmInstalaQel modulo;  // the run's own, on its thread
                desfecho = ExecutaInstalacao(estado, modulo, caixa);
            },
            nullptr, WM_APP);
    }
    EXPECT_EQ(desfecho, Desfecho::FalhaNoBanco);
    ASSERT_NE(caixa.linha, 0u) << "no failure box";
    EXPECT_NE(caixa.linha, GetCurrentThreadId()) << "shown from the run's thread";
    EXPECT_TRUE(caixa.programaLivre) << "the installed program is still held";
    EXPECT_TRUE(caixa.pastaLivre) << "the staging folder is still held";
    EXPECT_TRUE(caixa.provisorios.empty()) << caixa.provisorios[0];
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa antigo");
    UniqueHandle depois(CreateFileA((target + "\\QEL.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(depois);
    EXPECT_TRUE(fs::DirectoryExists(temp + "\\InstQEL")) << "no cleanup after a failed carry-over";
}

TEST_F(Run, ARelativeFolderIsTheFullPathPageTwoShowedWhateverTheRunMakesCurrent) {
    // Typed relative to the folder the wizard started in (the medium): "..\QEL" is the
    // install folder next to it, ".." the folder above it, not the temporary folder the
    // run makes current before it copies.
    ASSERT_TRUE(fs::ChangeDir(medium));
    ui.pasta = "..\\QEL";
    VerificaPastaInstalacao(ui);
    EXPECT_EQ(ui.pasta, target);
    EXPECT_EQ(ui.eventos.back(), "pasta:" + target) << "the field shows the full path";
    Executa(0, 1);
    ExpectFinishedAndClosed();
    EXPECT_EQ(estado.TargetDir, target);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa novo");

    ASSERT_TRUE(fs::ChangeDir(medium));
    ScriptedUi acima;
    acima.pasta = "..";
    acima.tipoInstalacao = 0;
    VerificaPastaInstalacao(acima);
    EXPECT_EQ(acima.pasta, root.Path());
    acima.Responde(RespostaMensagem::Sim);
    acima.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, acima);
    EXPECT_EQ(acima.dialogos.back().texto, mensagens::kConcluida);
    EXPECT_TRUE(fs::FileExists(root / "QEL.exe"));
    EXPECT_FALSE(fs::FileExists(temp + "\\QEL.exe")) << "never into the temporary folder";
}

TEST_F(Run, NothingTheRunPlacesKeepsADownloadMark) {
    for (const std::string& f : {target + "\\QEL.exe", target + "\\QEL.mdb", target + "\\zav2003.chm",
                                 target + "\\zav2005.chm", system + "\\midas.dll", target + "\\outro.txt"})
        WriteFile(f + ":Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    Executa(0, 1);
    ExpectFinishedAndClosed();
    for (const char* f : {"QEL.exe", "QEL.mdb", "zav2003.chm", "zav2005.chm"}) EXPECT_FALSE(Marked(target + "\\" + f)) << f;
    EXPECT_FALSE(Marked(system + "\\midas.dll"));
    EXPECT_TRUE(Marked(target + "\\outro.txt")) << "a file the run did not place is left alone";

    // An update: the replaced database and its backup carry none either.
    test::RunStatements(target + "\\QEL.mdb", {"UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.1.9'"});
    WriteFile(target + "\\QEL.mdb:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    ScriptedUi update;
    update.pasta = target;
    update.Responde(RespostaMensagem::Sim);
    update.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, update);
    EXPECT_EQ(update.dialogos.back().texto, mensagens::kConcluida);
    EXPECT_FALSE(Marked(target + "\\QEL.mdb"));
}

TEST_F(Run, ACopyOfTheDatabaseThatWindowsKeptForTheUserStopsTheUpdateBeforeAnythingChanges) {
    MakeQelDatabase(target + "\\QEL.mdb", "3.1.9", true);
    WriteFile(target + "\\QEL.exe", "programa antigo");
    const std::string antes = ReadFile(target + "\\QEL.mdb");
    estado.VirtualStoreDir = root / "VirtualStore";
    // Windows keeps it under the install folder's path without its drive.
    const std::string copia = estado.VirtualStoreDir + target.substr(2) + "\\QEL.mdb";
    ASSERT_TRUE(fs::ForceDirectories(fs::ExtractFilePath(copia)));
    MakeQelDatabase(copia, "3.1.9", true);
    EXPECT_EQ(CopiaVirtualDoBanco(estado), "");  // TargetDir is set by the run
    estado.TargetDir = target;
    EXPECT_EQ(CopiaVirtualDoBanco(estado), copia);

    EXPECT_EQ(Executa(1, 1), Desfecho::PastaInadequada);
    ASSERT_EQ(ui.dialogos.size(), 2u);
    EXPECT_EQ(ui.dialogos[1].texto, MensagemCopiaVirtual(target + "\\QEL.mdb", copia));
    EXPECT_EQ(ui.dialogos[1].tipo, TipoMensagem::Aviso);
    EXPECT_FALSE(ui.fechada);
    EXPECT_FALSE(ui.aguardeVisivel);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), antes);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), "programa antigo");
    EXPECT_FALSE(fs::DirectoryExists(temp + "\\InstQEL")) << "nothing staged";

    // A copy kept for another folder, or for none, is no reason to stop.
    ASSERT_TRUE(fs::Remove(copia));
    WriteFile(estado.VirtualStoreDir + target.substr(2) + "\\QEL.mdb.bak", "outro");
    ScriptedUi again;
    again.pasta = target;
    again.Responde(RespostaMensagem::Sim);
    again.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, again);
    EXPECT_EQ(again.dialogos.back().texto, mensagens::kConcluida);
}

TEST_F(Run, AnInstallFolderOnANetworkShareIsInstalledAndUpdated) {
    test::TempFolder servidor("servidor");
    test::WineShare share(servidor.Path());
    if (!share.Made()) GTEST_SKIP() << share.Why();
    const std::string unc = share.Path() + "\\Sistemas\\QEL";
    ui.pasta = unc;
    VerificaPastaInstalacao(ui);
    EXPECT_EQ(ui.pasta, unc) << "a network path is full already";
    Executa(0, 1);
    ExpectFinishedAndClosed();
    EXPECT_EQ(ReadFile(servidor / "Sistemas\\QEL\\QEL.exe"), "programa novo");

    test::RunStatements(unc + "\\QEL.mdb", {"UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.1.9'"});
    ScriptedUi update;
    update.pasta = unc;
    update.Responde(RespostaMensagem::Sim);
    update.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, update);
    EXPECT_EQ(update.dialogos.back().texto, mensagens::kConcluida);
    EXPECT_EQ(test::StoredValue(unc + "\\QEL.mdb", "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.2.0");
}

TEST_F(Run, AnUpdateWithoutRoomForTheBackupStopsWithHowMuchIsNeededAndWhere) {
    test::SmallVolume volume(1024);
    if (!volume.Made()) GTEST_SKIP() << volume.Why();
    const std::string pasta = volume / "QEL";
    ASSERT_TRUE(fs::MakeDir(pasta));
    // An installed database with many rows, every one carried over.
    std::vector<std::string> sql;
    MakeQelDatabase(pasta + "\\QEL.mdb", "3.1.9", false);
    for (int i = 0; i < 3000; ++i)
        sql.push_back("INSERT INTO TB_OPERADORA VALUES (" + std::to_string(i) + ", '" + std::string(60, 'x') + "')");
    test::RunStatements(pasta + "\\QEL.mdb", sql);
    WriteFile(pasta + "\\QEL.exe", "programa antigo");
    const std::string antes = ReadFile(pasta + "\\QEL.mdb");
    const std::uint64_t instalado = antes.size(), medio = *fs::FileSize(medium + "\\QEL.md_");
    auto encheAte = [&](std::uint64_t livre) {
        fs::Remove(volume / "enchimento");
        const std::uint64_t agora = *fs::FreeSpace(pasta);
        ASSERT_GT(agora, livre + 8192);
        WriteFile(volume / "enchimento", std::string(agora - livre, '\0'));
    };
    auto confereIntacto = [&] {
        EXPECT_EQ(ReadFile(pasta + "\\QEL.mdb"), antes);
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((pasta + "\\QEL_*").c_str(), &d);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "no backup, no temporary file: " << d.cFileName;
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    };

    // Not even room for a backup and the medium's database: nothing changes.
    encheAte(instalado + medio - 4096);
    ScriptedUi cheio;
    cheio.pasta = pasta;
    cheio.Responde(RespostaMensagem::Sim);
    cheio.Responde(RespostaMensagem::Ok);
    EXPECT_EQ(ExecutaInstalacao(estado, dm, cheio), Desfecho::BancoNaoSubstituido);
    ASSERT_EQ(cheio.dialogos.size(), 2u);
    const std::string& texto = cheio.dialogos[1].texto;
    EXPECT_EQ(texto.rfind(MensagemEspaco(instalado + medio, 0, pasta).substr(0, 80), 0), 0u) << texto;
    EXPECT_NE(texto.find(TextoDeTamanho(instalado + medio, true) + " livres em " + pasta), std::string::npos) << texto;
    EXPECT_EQ(cheio.dialogos[1].tipo, TipoMensagem::Erro);
    EXPECT_FALSE(cheio.fechada);
    EXPECT_FALSE(cheio.animacaoLigada);
    EXPECT_EQ(ReadFile(pasta + "\\QEL.exe"), "programa antigo") << "not even the program replaced";
    confereIntacto();

    // Room for that, but not for the rows carried into the new database: measured again
    // before the replacement, which then does not start.
    encheAte(instalado + medio + 8192);
    ScriptedUi apertado;
    apertado.pasta = pasta;
    apertado.Responde(RespostaMensagem::Sim);
    apertado.Responde(RespostaMensagem::Ok);
    ExecutaInstalacao(estado, dm, apertado);
    ASSERT_EQ(apertado.dialogos.size(), 2u);
    EXPECT_NE(apertado.dialogos[1].texto.find("Espa\xE7o em disco insuficiente"), std::string::npos);
    EXPECT_FALSE(apertado.fechada);
    EXPECT_EQ(ReadFile(pasta + "\\QEL.exe"), "programa antigo") << "the new program goes only with its database";
    confereIntacto();
    fs::Remove(volume / "enchimento");
}

}  // namespace
}  // namespace qel
