// The whole program ended at every file operation of a fresh install and of an update that
// carries data (qel_killed_run, KilledRun.h), and a power cut at every write into the install
// and system folders: afterwards the install folder holds the installation as it was (for a
// fresh install: no QEL.mdb) or the new one, every file byte for byte one or the other and
// never the new program with the old database, and a second run of the same kind completes.
// QEL_ROBUST_KILLS=all (scripts/robust.sh) tries every N; otherwise a fixed slice of
// QEL_ROBUST_KILLS (default 5) points spread over the run, first and last included.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "dbupgrade/DatabaseReplacement.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFiles.h"
#include "tests/robust/KilledRun.h"
#include "tests/robust/QelDatabases.h"
#include "tests/robust/UpdateHarness.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"

namespace qel {
namespace {

using test::Instalacao;

std::vector<long> Pontos(long total) {
    const char* v = std::getenv("QEL_ROBUST_KILLS");
    const bool todos = v && std::string(v) == "all";
    const long fatia = todos ? total : std::max(2L, v ? std::atol(v) : 5L);
    std::vector<long> pontos;
    for (long i = 0; i < fatia && i < total; ++i) {
        const long n = fatia >= total ? i + 1 : 1 + i * (total - 1) / (fatia - 1);
        if (pontos.empty() || pontos.back() != n) pontos.push_back(n);
    }
    return pontos;
}

std::vector<std::string> Lista(const std::string& pasta) {
    std::vector<std::string> nomes;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((pasta + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return nomes;
    do
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) nomes.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return nomes;
}

bool Provisorio(const std::string& nome) {
    return fs::TemporaryOwner(nome) || nome == kNovoProvisorio || nome == kBackupProvisorio;
}

// What a power cut loses, as the report names it: what each file got after its last flush
// reads as zeros.
void Perde(const std::string& relatorio) {
    std::ifstream r(relatorio, std::ios::binary);
    std::string linha;
    while (std::getline(r, linha)) {
        const std::size_t tab = linha.find('\t');
        if (linha.rfind("#", 0) == 0 || tab == std::string::npos) continue;
        const std::string arquivo = linha.substr(tab + 1);
        if (!fs::FileExists(arquivo)) continue;
        std::string bytes = test::ReadFile(arquivo);
        const std::size_t gravado = std::stoull(linha.substr(0, tab));
        if (gravado < bytes.size()) bytes.replace(gravado, std::string::npos, bytes.size() - gravado, '\0');
        test::WriteFile(arquivo, bytes);
    }
}

std::string OperacaoDoFim(const std::string& relatorio) {
    std::ifstream r(relatorio, std::ios::binary);
    std::string linha;
    std::getline(r, linha);
    return linha.rfind("# ", 0) == 0 ? linha.substr(2, linha.find(' ', 2) - 2) : "?";
}

// A program of several portions to copy, no two alike, so that a part is never the whole.
std::string Programa() {
    std::string p(600 << 10, '\0');
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<char>(i * 7 % 251);
    return p;
}

class KillSweep : public testing::Test {
protected:
    // The run of the given type for a case, in qel_killed_run: its exit code.
    DWORD Filho(const Instalacao& inst, int tipo, const char* modo, long n, const std::string& relatorio) {
        std::string temp = inst.estado.TempDir;
        temp.pop_back();  // a backslash before a closing quote would escape it
        const std::string argumentos = std::to_string(tipo) + " \"" + inst.pasta + "\" \"" + temp + "\" \"" +
                                       inst.estado.SystemDir + "\" \"" + midia.Pasta() + "\" " + modo + " " +
                                       std::to_string(n) + " \"" + relatorio + "\"";
        test::Launched filho = test::Launch(test::TestProgramDir() + "qel_killed_run.exe", argumentos, inst.raiz);
        DWORD codigo = 0;
        EXPECT_TRUE(test::WaitForExit(filho.process.get(), 60000, &codigo)) << "qel_killed_run " << argumentos;
        return codigo;
    }

    // The names besides the installed files: only temporary files, and none once a run
    // completed. The system folder holds the support library, whole, or nothing of it.
    void SoProvisorios(const Instalacao& inst, const std::string& caso, bool completa) {
        const std::vector<std::string> backups = inst.Backups();
        for (const std::string& nome : inst.Nomes()) {
            const bool instalado = nome == "QEL.mdb" ||
                                   std::count(test::kArquivosDoPrograma.begin(), test::kArquivosDoPrograma.end(), nome) ||
                                   std::count(backups.begin(), backups.end(), nome);
            EXPECT_TRUE(instalado || (!completa && Provisorio(nome))) << caso << ": " << nome << " in the install folder";
        }
        for (const std::string& nome : Lista(inst.estado.SystemDir)) {
            if (nome == "midas.dll") {
                EXPECT_EQ(test::ReadFile(inst.estado.SystemDir + "\\midas.dll"), midia.Novo(nome)) << caso;
            } else {
                EXPECT_TRUE(!completa && fs::TemporaryOwner(nome)) << caso << ": " << nome << " in the system folder";
            }
        }
        if (completa) {
            EXPECT_TRUE(fs::FileExists(inst.estado.SystemDir + "\\midas.dll")) << caso;
        }
    }

    // What an update left: the earlier installation whole, or the new database (with the
    // installed one as its backup) and the program's files each the new or, while they are
    // renamed right after it, the earlier one; never the new program with the old database.
    std::string VistoNaAtualizacao(const Instalacao& inst, const std::string& caso, bool completa) {
        const bool bancoNovo = test::ReadFile(inst.banco) != bancoInstalado;
        if (bancoNovo) {
            try {
                const test::Conteudo visto = test::LeConteudo(inst.banco, colunas, false);
                EXPECT_EQ(visto.linhas, carregado.linhas) << caso << ": QEL.mdb does not hold the carried rows";
                EXPECT_TRUE(visto.versoes == test::kVersoesNovas || visto.versoes == test::kVersoesCarimbadas) << caso;
            } catch (const std::exception& e) {
                ADD_FAILURE() << caso << ": QEL.mdb is neither database: " << e.what();
            }
            EXPECT_FALSE(inst.Backups().empty()) << caso << ": the new database without a backup";
        }
        for (const std::string& b : inst.Backups())
            EXPECT_EQ(test::ReadFile(inst.pasta + "\\" + b), bancoInstalado) << caso << ": backup " << b;
        int antigos = 0;
        for (const std::string& nome : test::kArquivosDoPrograma) {
            const std::string bytes = test::ReadFile(inst.pasta + "\\" + nome);
            if (bytes == test::Antigo(nome))
                ++antigos;
            else
                EXPECT_TRUE(bytes == midia.Novo(nome)) << caso << ": " << nome << " is neither file (" << bytes.size()
                                                       << " bytes)";
        }
        if (!bancoNovo) {
            EXPECT_EQ(antigos, 3) << caso << ": the new program with the old database";
        }
        SoProvisorios(inst, caso, completa);
        if (!bancoNovo) return "the earlier installation";
        if (antigos == 0) return "the new installation";
        return "the new database, " + std::to_string(antigos) + " program file(s) still the earlier (renames under way)";
    }

    // What a fresh install left: no QEL.mdb (an installation that did not happen, with some
    // of the program's files whole in place), or everything in place.
    std::string VistoNaInstalacao(const Instalacao& inst, const std::string& caso, bool completa) {
        int colocados = 0;
        for (const std::string& nome : test::kArquivosDoPrograma)
            if (fs::FileExists(inst.pasta + "\\" + nome)) {
                ++colocados;
                EXPECT_TRUE(test::ReadFile(inst.pasta + "\\" + nome) == midia.Novo(nome)) << caso << ": " << nome;
            }
        const bool banco = fs::FileExists(inst.banco);
        if (banco) {
            EXPECT_TRUE(test::ReadFile(inst.banco) == bancoNovo) << caso << ": QEL.mdb is not the medium's";
            EXPECT_EQ(colocados, 3) << caso << ": QEL.mdb in place before the program's files";
        }
        SoProvisorios(inst, caso, completa || banco);
        if (banco) return "installed";
        return "no QEL.mdb: not installed, " + std::to_string(colocados) + " program file(s) in place";
    }

    void Varre(int tipo, const char* modo);

    test::TempFolder raiz{"qelkill"};
    const std::string bancoInstalado = test::BytesDoBanco(raiz / "r.mdb", test::BancoInstalado(8, false));
    const std::string bancoNovo = test::BytesDoBanco(raiz / "n.mdb", test::BancoNovo());
    test::Midia midia{raiz / "midia", bancoNovo, Programa()};
    const std::string copiaInstalada = [this] {
        test::WriteFile(raiz / "instalado.mdb", bancoInstalado);
        return raiz / "instalado.mdb";
    }();
    std::vector<std::vector<std::string>> colunas = test::ColunasLevadas(copiaInstalada);
    test::Conteudo carregado = test::LeConteudo(copiaInstalada, colunas, true);
    TdmInstalaQel dm;
};

void KillSweep::Varre(int tipo, const char* modo) {
    const bool atualiza = tipo == 1, corta = std::string(modo) == test::kCorta;
    const char* nome = atualiza ? "update carrying data" : "fresh install";
    auto caso = [&](const std::string& pasta) {
        auto inst = std::make_unique<Instalacao>(raiz / pasta, raiz / pasta + "\\system32");
        CreateDirectoryA(inst->estado.SystemDir.c_str(), nullptr);
        if (atualiza) inst->Instala(&bancoInstalado);
        return inst;
    };
    auto visto = [&](const Instalacao& inst, const std::string& c, bool completa) {
        return atualiza ? VistoNaAtualizacao(inst, c, completa) : VistoNaInstalacao(inst, c, completa);
    };

    long operacoes = 0, escritas = 0;
    {
        auto inst = caso("contagem");
        const std::string relatorio = inst->raiz + "\\relatorio.txt";
        ASSERT_EQ(Filho(*inst, tipo, test::kMata, 0, relatorio), 0u);
        std::ifstream(relatorio) >> operacoes >> escritas;
        EXPECT_EQ(visto(*inst, std::string(nome) + " without an end", true),
                  atualiza ? "the new installation" : "installed");
    }
    // A power cut also right as the run ends: what it wrote must all be on the disk then.
    const long total = corta ? escritas + 1 : operacoes;
    ASSERT_GT(total, corta ? 6 : 40) << nome;

    std::map<std::string, int> estados, porOperacao;
    const auto inicio = std::chrono::steady_clock::now();
    const std::vector<long> pontos = Pontos(total);
    for (long n : pontos) {
        const std::string c = std::string(nome) + (corta ? ", power cut at write " : ", ended at operation ") +
                              std::to_string(n) + " of " + std::to_string(total);
        auto inst = caso("n" + std::to_string(n));
        const std::string relatorio = inst->raiz + "\\relatorio.txt";
        ASSERT_EQ(Filho(*inst, tipo, modo, n, relatorio), test::kEncerrado) << c << ": the run ended before it";
        if (corta) Perde(relatorio);
        const std::string estado = visto(*inst, c, corta && n == total);
        ++estados[estado];
        ++porOperacao[OperacaoDoFim(relatorio) + ": " + estado];

        // The second run of the same kind completes it, or finds a fresh install done.
        const std::vector<std::string> antes = inst->Nomes();
        inst->OutroSegundo();
        const test::Atualizacao b = inst->Atualiza(midia, dm, tipo);
        if (estado == "installed") {
            EXPECT_EQ(b.desfecho, test::Termino::FalhaAviso) << c << ", then again: a fresh install over QEL.mdb";
            EXPECT_EQ(inst->Nomes(), antes) << c << ", then again";
        } else {
            EXPECT_TRUE(test::Completa(b.desfecho)) << c << ", then again: " << b.mensagem;
            EXPECT_EQ(visto(*inst, c + ", then again", true), atualiza ? "the new installation" : "installed");
        }
        if (testing::Test::HasFailure()) return;
    }
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    std::printf("%s: %ld file operations, %ld writes into the install and system folders\n", nome, operacoes, escritas);
    std::printf("%s, %s N = %s (%zu cases, %.1f s):\n", nome,
                corta ? "power cut (writes after the last flush lost) before write" : "whole program ended before operation",
                pontos.size() == static_cast<std::size_t>(total) ? ("1.." + std::to_string(total)).c_str() : "a slice",
                pontos.size(), segundos);
    for (const auto& [estado, k] : estados) std::printf("  %6d  %s\n", k, estado.c_str());
    std::printf("  by the operation it ended at:\n");
    for (const auto& [chave, k] : porOperacao) std::printf("  %6d  %s\n", k, chave.c_str());
    std::fflush(stdout);
}

TEST_F(KillSweep, AFreshInstallEndedAtAnyFileOperationLeavesNoQelMdbOrEverythingWhole) { Varre(0, test::kMata); }
TEST_F(KillSweep, AnUpdateEndedAtAnyFileOperationLeavesTheEarlierInstallationOrTheNewOne) { Varre(1, test::kMata); }
TEST_F(KillSweep, APowerCutAtAnyWriteOfAFreshInstallLosesNothingInPlace) { Varre(0, test::kCorta); }
TEST_F(KillSweep, APowerCutAtAnyWriteOfAnUpdateLeavesTheDatabaseWhole) { Varre(1, test::kCorta); }

}  // namespace
}  // namespace qel
