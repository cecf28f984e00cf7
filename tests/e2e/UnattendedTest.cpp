// The real program on the demo medium with its command line: unattended installations and
// updates read back from the installed files, the databases and the log, one case for
// every exit code that can be provoked here, and the wizard with a log and a busy folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <tuple>

#include "engine/InstallGuard.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/e2e/DemoMedium.h"
#include "tests/e2e/InstallSteps.h"
#include "tests/integration/OtherProcess.h"

namespace qel::e2e {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// InstalaQEL.exe /silent from a fresh copy of the demo medium, its log in the medium's
// folder. No window of it may ever show.
class Unattended : private LaidOutMedium {
public:
    explicit Unattended(const std::vector<std::string>& withoutFiles = {}) : LaidOutMedium(withoutFiles) {}
    const std::string& Medium() const { return folder_.Path(); }
    std::string LogFile() const { return folder_ / "registro.txt"; }

    // Runs it with the arguments (/log added unless given) in a folder (the medium when
    // none); its exit code.
    DWORD Run(std::string arguments, const std::string& folder = "", const std::vector<std::string>& env = {}) {
        if (text::Lower(arguments).find("log=") == std::string::npos) arguments += " \"/log=" + LogFile() + "\"";
        auto p = test::Launch(Medium() + "\\InstalaQEL.exe", arguments, folder.empty() ? Medium() : folder, env);
        DWORD code = 0;
        while (!test::WaitForExit(p.process.get(), 20, &code))
            for (HWND w : test::TopWindowsOf(p.pid)) ADD_FAILURE() << "a window showed: " << test::WindowText(w);
        return code;
    }
    // The log as 8-bit text, without its byte order mark.
    std::string Log() const {
        const std::string utf8 = ReadFile(LogFile());
        EXPECT_EQ(utf8.substr(0, 3), "\xEF\xBB\xBF");
        return text::FromUtf8(utf8.substr(3));
    }
};

bool Has(const std::string& log, const std::string& part) { return log.find(part) != std::string::npos; }

// Every line is a step with its time, or a message's further line indented under it; the
// last one gives the exit code.
void ExpectLogShape(const std::string& log, DWORD code) {
    static const std::regex line("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  [^:\r\n]+: [^\r\n]*| {21}[^\r\n]*)\r\n");
    std::string rest = log;
    for (std::smatch m; std::regex_search(rest, m, line, std::regex_constants::match_continuous);) rest = m.suffix();
    EXPECT_EQ(rest, "") << "not a log line";
    EXPECT_TRUE(Has(log, "  Fim: c\xF3" "digo de sa\xED" "da " + std::to_string(code) + " - ")) << log;
}

const std::string kIndent(21, ' ');

TEST(Unattended, AFreshInstallPutsEveryFileInPlaceAndLogsEveryStep) {
    TempFolder base("e2esilentnew");
    const std::string target = base.Path() + "\\Programas\\QEL";
    Unattended u;
    ASSERT_EQ(u.Run("/silent \"/dir=" + target + "\\\""), 0u);
    ExpectProgramAndHelpInstalled(target);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), ReadFile(Payload("QEL.mdb")));
    EXPECT_FALSE(fs::DirectoryExists(TempDir() + "InstQEL")) << "staging folder left behind";
    const std::string log = u.Log();
    ExpectLogShape(log, 0);
    for (const std::string& step :
         {"Pasta de instala\xE7\xE3o: " + target + " (criada)",
          std::string("Tipo de instala\xE7\xE3o: instala\xE7\xE3o nova (auto: a pasta n\xE3o tem QEL.mdb)"),
          std::string("Mensagem (confirma\xE7\xE3o): Confirma a instala\xE7\xE3o do QEL ?\r\n"),
          std::string("Resposta: Sim"), "C\xF3pia de QEL.exe: ok, em " + target + "\\QEL.exe",
          std::string("Componentes de acesso a dados: o banco de dados abre, nada a instalar"),
          "Mensagem (informa\xE7\xE3o): Instala\xE7\xE3o conclu\xED" "da!\r\n" + kIndent +
              "Reinicialize seu computador para executar o sistema.\r\n"})
        EXPECT_TRUE(Has(log, step)) << step << "\n" << log;
}

TEST(Unattended, AnUpdateStartedElsewhereUsesItsOwnMediumCarriesTheRowsAndKeepsABackup) {
    TempFolder base("e2esilentupd");
    const std::string target = InstalledQel(base);
    // Texts as users leave them: none (the second operator's CNPJ), an empty one, and one
    // longer than its column, which the older program stored without a word.
    uidriver::Exec(target + "\\QEL.mdb", "UPDATE TB_OPERADORA SET NR_CNPJ = '' WHERE CD_OPERADORA = 3");
    uidriver::Exec(target + "\\QEL.mdb", "UPDATE TB_OPERADORA SET DE_RAZAO_SOCIAL = DE_RAZAO_SOCIAL || ' - ' || "
                                         "printf('%.*c', 100, 'x') WHERE CD_OPERADORA = 1");
    const std::string before = ReadFile(target + "\\QEL.mdb");
    Unattended u;
    // Started in the folder above the installation, relative names, a medium elsewhere.
    ASSERT_EQ(u.Run("-SILENT -Type=Update /Dir=QEL /LOG=registro.txt", base.Path()), 0u);
    ExpectProgramAndHelpInstalled(target);
    const std::string db = target + "\\QEL.mdb";
    EXPECT_EQ(LinhasDasTabelasLevadas(db), kLinhasDepoisDaAtualizacao);
    const auto backups = Matching(target, "QEL_*.md_");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFile(target + "\\" + backups[0]), before);

    const std::string log = text::FromUtf8(ReadFile(base / "registro.txt").substr(3));
    ExpectLogShape(log, 0);
    EXPECT_TRUE(Has(log, "M\xED" "dia de instala\xE7\xE3o: ok, em " + u.Medium() + "\\")) << log;
    EXPECT_TRUE(Has(log, "C\xF3pia de seguran\xE7" "a do banco: " + backups[0] + " (")) << log;
    // The rows each table's line gives are the rows that arrived, with the time it took.
    long long logged = 0;
    for (const char* t : {"TB_OPERADORA", "TB_ACOMPANHAMENTO", "RL_CARTEIRA_ASSISTENCIAL", "RL_ITEM_DESP_ASSISTENCIAL",
                          "TB_QEL_ANEXO_II_A", "TB_QEL_ANEXO_III", "TB_QEL_ANEXO_IV"}) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(log, m, std::regex(std::string("Migra\xE7\xE3o de ") + t + ": (\\d+) linhas? \\(\\d+,\\d s\\)\r\n")))
            << t;
        logged += std::stoll(m[1]);
    }
    EXPECT_EQ(logged, kLinhasDepoisDaAtualizacao - LinhasDasTabelasLevadas(Payload("QEL.mdb")));

    // Nothing stays nothing, an empty text stays empty, the long one is cut to its column
    // and whole in the backup; the log and the completion message say so.
    const char* const operadoras = "SELECT CD_OPERADORA, quote(NR_CNPJ), length(DE_RAZAO_SOCIAL), "
                                   "substr(DE_RAZAO_SOCIAL, 1, 100) FROM TB_OPERADORA ORDER BY 1";
    const auto novas = uidriver::Rows(db, operadoras), antigas = uidriver::Rows(target + "\\" + backups[0], operadoras);
    ASSERT_EQ(novas.size(), 3u);
    ASSERT_EQ(antigas.size(), 3u);
    EXPECT_EQ(novas[0][1], "'12345678000190'");
    EXPECT_EQ(novas[1][1], "NULL");
    EXPECT_EQ(novas[2][1], "''");
    EXPECT_EQ(antigas[0][2], "132");
    EXPECT_EQ((std::vector<std::string>{novas[0][2], novas[1][2], novas[2][2]}),
              (std::vector<std::string>{"100", "30", "31"}));
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(novas[i][3], antigas[i][3]);
    EXPECT_TRUE(Has(log, "Textos encurtados em TB_OPERADORA: DE_RAZAO_SOCIAL: 1 texto cortado para 100 caracteres; "
                         "o mais longo tinha 132\r\n"))
        << log;
    EXPECT_TRUE(Has(log, "Mensagem (informa\xE7\xE3o): Instala\xE7\xE3o conclu\xED" "da!\r\n" + kIndent +
                             "Reinicialize seu computador para executar o sistema.\r\n" + kIndent +
                             "Alguns textos foram encurtados para caber no novo banco de dados. O banco anterior foi "
                             "mantido na c\xF3pia de seguran\xE7" "a " + backups[0] + ".\r\n"))
        << log;
}

TEST(Unattended, EveryExitCodeThatCanBeProvokedHere) {
    TempFolder base("e2ecodes");
    const std::string fresh = base / "nova";
    // The run's outcome, what its log says, and the install folder left as it was.
    auto expect = [](Unattended& u, DWORD code, const std::string& arguments, const std::string& logged,
                     const std::vector<std::string>& env = {}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(u.Run(arguments, "", env), code);
        const std::string log = u.Log();
        ExpectLogShape(log, code);
        EXPECT_TRUE(Has(log, logged)) << logged << "\n" << log;
    };
    {
        Unattended u;  // the staged database does not open: the data-access setup runs
        WriteFile(u.Medium() + "\\QEL.md_", "nenhum banco");
        const std::string ran = TempDir() + "qel-setup-ran.txt", before = fs::FileExists(ran) ? ReadFile(ran) : "";
        expect(u, 3010, "/silent /dir=" + fresh, "Setup.Exe /qnt executado");
        EXPECT_GT(ReadFile(ran).size(), before.size()) << "the setup did not run";
        EXPECT_TRUE(fs::FileExists(fresh + "\\QEL.exe"));
    }
    const std::string other = base / "outra";
    {
        Unattended u;
        expect(u, 1, "/silent /dir=" + other + " /type=xyz", "tipo de instala\xE7\xE3o desconhecido: xyz");
        EXPECT_EQ(u.Run("/silent /dir=" + other + " /log=" + base.Path()), 1u) << "a log that cannot be written";
        EXPECT_FALSE(fs::DirectoryExists(other)) << "nothing installed";
    }
    {
        Unattended u({"disk.1"});
        expect(u, 2, "/silent /dir=" + other, "Mensagem (erro): Disco n\xBA 1 n\xE3o foi descompactado corretamente");
        EXPECT_FALSE(fs::DirectoryExists(other));
    }
    TempFolder installed("e2ecodesqel");
    const std::string target = InstalledQel(installed), db = target + "\\QEL.mdb", exe = target + "\\QEL.exe";
    const std::string database = ReadFile(db);
    {
        Unattended u;
        expect(u, 3, "/silent /type=install /dir=" + target, "Mensagem (aviso): Existe um arquivo se dados");
        test::Holder held("hold-handle", db, installed / "holder.txt");
        ASSERT_EQ(held.result, "held");
        expect(u, 4, "/silent /dir=" + target, "Mensagem (simples): ");
    }
    {
        Unattended u;
        ASSERT_TRUE(fs::MakeDir(target + "\\QEL_novo.tmp"));  // the new database cannot take its place
        expect(u, 6, "/silent /dir=" + target, "Mensagem (erro): Novo banco de dados n\xE3o pode ser instalado.");
        ASSERT_TRUE(fs::RemoveDir(target + "\\QEL_novo.tmp"));
        test::Holder held("hold-alone", exe, installed / "holder.txt");
        ASSERT_EQ(held.result, "held");
        expect(u, 7, "/silent /dir=" + target, "C\xF3pia de QEL.exe: falhou");
    }
    EXPECT_TRUE(ReadFile(db) == database) << "the installed database is unchanged";
    {
        Unattended u;
        WriteFile(u.Medium() + "\\QEL.md_", "nenhum banco");
        ASSERT_TRUE(fs::Remove(u.Medium() + "\\setup.exe"));
        expect(u, 8, "/silent /dir=" + base / "sem-ado", "Componentes de acesso a dados n\xE3o foram instalados.");
        WriteFile(base / "arquivo", "no lugar da pasta tempor\xE1ria");
        expect(u, 9, "/silent /dir=" + base / "sem-temp", "Mensagem (erro): Diret\xF3rio tempor\xE1rio",
               {"TMP=" + base / "arquivo", "TEMP=" + base / "arquivo"});
        std::string busy;
        auto guard = InstallGuard::Take({target}, busy);
        ASSERT_TRUE(guard.has_value());
        expect(u, 10, "/silent /dir=" + target, "Outra instala\xE7\xE3o do QEL est\xE1 em andamento");
    }
    {
        Unattended u;
        WriteFile(db, "nenhum banco");
        expect(u, 5, "/silent /dir=" + target, "Mensagem (caixa de falha): ");
    }
    test::RemoveTree(TempDir() + "InstQEL");  // runs that stop with the window open leave it
    test::RemoveTree(TempDir() + "InstADO");
}

TEST(Unattended, TheWizardAnswersItsCommandLineInABox) {
    for (const auto& [arguments, title, code] :
         {std::tuple<const char*, const char*, DWORD>{"/?", "Information", 0}, {"-type=xyz", "Error", 1}}) {
        TempFolder medium("e2ehelp");
        uidriver::CopyFolderFiles(DemoFolder("medium"), medium.Path());
        auto p = uidriver::Program::Start(medium / "InstalaQEL.exe", medium.Path(), arguments);
        HWND box = p.WaitWindow(title, uidriver::kWait, "#32770");
        const std::string shown = WizardSession::Message(box);
        EXPECT_TRUE(Has(shown, "InstalaQEL.exe [/silent] [/type=install|update|auto] [/dir=PASTA] [/log=ARQUIVO]"));
        EXPECT_TRUE(Has(shown, "\r3010 - ")) << "the exit codes";
        if (code) {
            EXPECT_EQ(shown.rfind("Linha de comando n\xE3o entendida: tipo de instala\xE7\xE3o desconhecido", 0), 0u);
        }
        WizardSession::Answer(box, "OK");
        EXPECT_EQ(p.WaitExit(uidriver::kWait), code);
    }
    // Without /silent, /type and /dir are the wizard's first choices.
    TempFolder chosen("e2echosen");
    DemoSession s({}, "-TYPE=install \"/dir=" + chosen.Path() + "\"");
    HWND fresh = uidriver::WaitFor(s.Window(), nullptr, "1- Instala QEL", 5000);
    EXPECT_EQ(SendMessageA(fresh, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The folder field is made when page 2 first shows.
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    EXPECT_EQ(s.Folder(), chosen.Path());
}

// The wizard's run holds the folder: an unattended run for it ends at once with 10; the
// wizard's log has its messages as shown and its exit code.
TEST(Unattended, TheWizardLogsItsRunAndKeepsAnUnattendedOneOutOfItsFolder) {
    TempFolder base("e2ewizlog");
    const std::string target = InstalledQel(base), log = base / "assistente.txt";
    DemoSession s({}, "\"/log=" + log + "\" /type=auto \"/dir=" + target + "\"");
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    EXPECT_EQ(s.Folder(), target) << "the folder of /dir";
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    s.Press("Instalar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    HWND info = s.WaitDialog("Information", 120000);
    {
        Unattended u;
        EXPECT_EQ(u.Run("/silent /dir=" + target), 10u);
        EXPECT_TRUE(Has(u.Log(), "Outra instala\xE7\xE3o do QEL est\xE1 em andamento para a pasta " + target + "."));
    }
    WizardSession::Answer(info, "OK");
    EXPECT_EQ(s.WaitExit(), 0u);
    EXPECT_EQ(LinhasDasTabelasLevadas(target + "\\QEL.mdb"), kLinhasDepoisDaAtualizacao) << "auto: an update";
    const std::string written = text::FromUtf8(ReadFile(log).substr(3));
    ExpectLogShape(written, 0);
    EXPECT_TRUE(Has(written, "InstalaQEL 3.2.3, assistente, "));
    EXPECT_TRUE(Has(written, "Resposta: Sim\r\n"));
    EXPECT_TRUE(std::regex_search(written, std::regex("Migra\xE7\xE3o de TB_OPERADORA: 3 linhas \\(\\d+,\\d s\\)\r\n")))
        << written;
    EXPECT_TRUE(Has(written, "Mensagem (informa\xE7\xE3o): Instala\xE7\xE3o conclu\xED" "da!\r\n"));
}

}  // namespace
}  // namespace qel::e2e
