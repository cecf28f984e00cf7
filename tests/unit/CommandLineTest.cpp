// The command line of the unattended installation, the log's entries and the guard's
// names: pure text work, checked against the platform's own path resolution.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/Desfecho.h"
#include "engine/InstallGuard.h"
#include "engine/InstallLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "unattended/CommandLine.h"

namespace qel {
namespace {

struct Caso {
    std::string argumentos;
    bool silenciosa, ajuda;
    std::optional<TipoPedido> tipo;
    std::optional<std::string> pasta, log;
    const char* erro;  // a part of what was not understood; "" when everything was
};

TEST(CommandLine, EveryFormOfEverySwitchAndEveryMistake) {
    const std::string aqui = fs::CurrentDir();
    const auto I = TipoPedido::Instalacao, U = TipoPedido::Atualizacao, A = TipoPedido::Automatico;
    const std::string longa = "C:\\" + std::string(240, 'a');
    const Caso casos[] = {
        {"", false, false, {}, {}, {}, ""},
        {"  /silent ", true, false, {}, {}, {}, ""},
        {"-SILENT /Type=UPDATE", true, false, U, {}, {}, ""},
        {"/type=install -TYPE=auto", false, false, I, {}, {}, "-TYPE foi dada mais de uma vez"},
        {"/type=Auto", false, false, A, {}, {}, ""},
        {"/? -Help", false, true, {}, {}, {}, ""},
        {"\"/dir=C:\\Arquivos de Programas\\ZAV\\QEL\"", false, false, {}, "C:\\Arquivos de Programas\\ZAV\\QEL", {}, ""},
        {"/dir=\"C:\\Arquivos de Programas\\ZAV\\QEL\" /silent", true, false, {}, "C:\\Arquivos de Programas\\ZAV\\QEL", {}, ""},
        // The last backslash of a quoted folder, as typed; and quotes a program escaped.
        {"\"/dir=C:\\A B\\\"  /silent", true, false, {}, "C:\\A B", {}, ""},
        {"\"/dir=\\\"C:\\A B\\\"\" /silent", true, false, {}, "C:\\A B", {}, ""},
        {"\"/dir=C:\\A B\\\\\"", false, false, {}, "C:\\A B", {}, ""},
        {"/dir=C:\\ /log=registro.txt", false, false, {}, "C:\\", "registro.txt", ""},
        {"/dir=QEL\\..\\Sistema", false, false, {}, aqui + "\\Sistema", {}, ""},
        {"/bogus /silent /log=x.log", true, false, {}, {}, "x.log", "op\xE7\xE3o desconhecida: /bogus"},
        {"/dir", false, false, {}, {}, {}, "falta o valor de /dir (/dir=PASTA)"},
        {"/silent -log=", true, false, {}, {}, {}, "falta o valor de -log (-log=ARQUIVO)"},
        {"/type=xyz", false, false, A, {}, {}, "desconhecido: xyz (use install, update ou auto)"},
        {"/silent=yes", true, false, {}, {}, {}, "a op\xE7\xE3o /silent n\xE3o aceita valor"},
        {"instalar", false, false, {}, {}, {}, "argumento n\xE3o reconhecido: instalar"},
        {"/dir=C:\\a<b", false, false, {}, {}, {}, "o caractere \"<\" n\xE3o \xE9 aceito"},
        {"/dir=C:\\x:y", false, false, {}, {}, {}, "\":\" s\xF3 pode seguir a letra da unidade"},
        {"/dir=C:\\QEL\\Com1.txt", false, false, {}, {}, {}, "\"Com1.txt\" \xE9 o nome de um dispositivo"},
        {"/dir=" + longa, false, false, {}, {}, {}, "mais de 236 caracteres"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.argumentos);
        const Opcoes o = InterpretaLinhaDeComando(c.argumentos);
        EXPECT_EQ(o.silenciosa, c.silenciosa);
        EXPECT_EQ(o.ajuda, c.ajuda);
        EXPECT_EQ(o.tipo, c.tipo);
        EXPECT_EQ(o.pasta, c.pasta);
        EXPECT_EQ(o.log, c.log);
        if (*c.erro) EXPECT_NE(o.erro.find(c.erro), std::string::npos) << o.erro;
        else EXPECT_EQ(o.erro, "");
        EXPECT_EQ(o.Vazia(), c.argumentos.empty());
    }
    EXPECT_EQ(ArgumentosDoPrograma("\"C:\\Arquivos de Programas\\InstalaQEL.exe\" /silent"), " /silent");
    EXPECT_EQ(ArgumentosDoPrograma("InstalaQEL.exe"), "");
}

TEST(CommandLine, TheUsageListsEveryExitCodeWithItsMeaning) {
    const std::string uso = TextoDeUso();
    for (Desfecho d : kDesfechos)
        EXPECT_NE(uso.find("\r" + std::to_string(CodigoDeSaida(d)) + " - " + SignificadoDoCodigo(d)),
                  std::string::npos);
    EXPECT_EQ(uso.find('\n'), std::string::npos) << "lines are joined by a carriage return";
}

TEST(InstallLog, AnEntryIsTimeStepAndResultWithFurtherLinesIndentedUnderIt) {
    const SYSTEMTIME t{2024, 3, 5, 15, 4, 30, 5, 0};
    EXPECT_EQ(EntradaDoRegistro(t, "Mensagem (erro)", "Linha 1\rLinha 2"),
              "2024-03-15 04:30:05  Mensagem (erro): Linha 1\r\n                     Linha 2\r\n");
}

TEST(InstallGuard, OneNameForEverySpellingOfAFolderAcrossTheMachine) {
    const std::string nome = text::Narrow(GuardName("C:\\Arquivos de Programas\\QEL"));
    EXPECT_EQ(nome.rfind("Global\\InstalaQEL-", 0), 0u) << nome;
    EXPECT_EQ(nome.find('\\', 7), std::string::npos) << "no backslash after the namespace";
    EXPECT_EQ(GuardName("c:\\ARQUIVOS DE PROGRAMAS\\qel\\\\"), GuardName("C:\\Arquivos de Programas\\QEL"));
    const std::string aqui = fs::CurrentDir();
    EXPECT_EQ(GuardName("."), GuardName(aqui));
    EXPECT_NE(GuardName("C:\\Arquivos de Programas\\QEL2"), GuardName("C:\\Arquivos de Programas\\QEL"));
}

}  // namespace
}  // namespace qel
