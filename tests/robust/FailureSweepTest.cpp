// A failure at every file operation of an update, in turn: the run's own (staging, copies
// into place, the replacement, the cleanup) and the embedded engine's on its files. For
// every N from 1 to the number of operations an update performs, the N-th fails (before it
// touches anything, and again after it did its work); afterwards QEL.mdb is the installed
// database byte for byte, or the new one with a backup that is, and a second update
// finishes with every row carried exactly once.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/DatabaseReplacement.h"
#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/robust/QelDatabases.h"
#include "tests/robust/UpdateHarness.h"
#include "tests/support/FileOpNames.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

// An error nothing waits out (not a file held for a moment), as a failing disk gives.
constexpr DWORD kErroInjetado = ERROR_IO_DEVICE;

// Whether an operation changes something: failing one that only reads or flushes after
// it ran is, to the program, the same as failing it before.
bool Muda(fs::FileOp op) { return op != fs::FileOp::Read && op != fs::FileOp::Flush; }

// Makes the N-th operation fail before it runs, or the N-th that changes something
// report failure after it ran; counts them all.
class FalhaNaEnesima : public fs::FileOpSeam {
public:
    FalhaNaEnesima(long alvo, bool depois) : alvo_(alvo), depois_(depois) {}
    DWORD Before(const fs::FileOpCall& c) override {
        ++vistas;
        if (Muda(c.op)) ++mudancas;
        ++porTipo[test::NomeDaOperacao(c.op)];
        if ((depois_ ? mudancas : vistas) != alvo_ || (depois_ && !Muda(c.op))) return 0;
        falhou =
            std::string(test::NomeDaOperacao(c.op)) + " " + fs::ExtractFileName(c.path.empty() ? c.target : c.path);
        if (!depois_) return kErroInjetado;
        pendente_ = &c;
        return 0;
    }
    DWORD After(const fs::FileOpCall& c, DWORD erro) override {
        if (&c != pendente_) return erro;
        pendente_ = nullptr;
        return erro ? erro : kErroInjetado;
    }
    long vistas = 0, mudancas = 0;
    std::string falhou;
    std::map<std::string, long> porTipo;

private:
    long alvo_;
    bool depois_;
    const fs::FileOpCall* pendente_ = nullptr;
};

using test::Conteudo;

class FailureSweep : public testing::Test {
protected:
    void SetUp() override {
        // The support library is there already, as after any earlier install: every update
        // then performs the same operations.
        CreateDirectoryA(sistema.c_str(), nullptr);
        test::WriteFile(sistema + "\\midas.dll", "biblioteca");
    }

    // What an update must leave: checked after the update a failure ended, and after an
    // update without failures that follows it.
    struct Caminho {
        const char* nome;
        std::string instalado;
        test::Termino completo;  // what an update without failures ends with
        std::function<void(const test::Instalacao&, const test::Atualizacao&, const std::string&)> depoisDaFalha;
        std::function<void(const test::Instalacao&, const std::string&)> depoisDeOutra;
    };

    // Every N from 1 to the number of operations an update performs, failing the N-th
    // before it runs and then after it ran.
    void Varre(const Caminho& caminho);

    Conteudo Do(const std::string& bytes, bool soCarregadas) {
        test::WriteFile(raiz / "conteudo.mdb", bytes);
        if (colunas.empty()) colunas = test::ColunasLevadas(raiz / "conteudo.mdb");
        return test::LeConteudo(raiz / "conteudo.mdb", colunas, soCarregadas);
    }

    test::TempFolder raiz{"qelsweep"};
    const std::string sistema = raiz / "system32";
    const std::string bancoNovo = test::BytesDoBanco(raiz / "n.mdb", test::BancoNovo());
    test::Midia midia{raiz / "midia", bancoNovo};
    std::vector<std::vector<std::string>> colunas;
    TdmInstalaQel dm;
};

// Never the new program with a database its update did not finish with.
void ProgramaAntigo(const test::Instalacao& inst, const std::string& caso) {
    for (const std::string& nome : test::kArquivosDoPrograma)
        EXPECT_EQ(test::ReadFile(inst.pasta + "\\" + nome), test::Antigo(nome))
            << caso << ": " << nome << " replaced, but the database step did not finish";
}

void FailureSweep::Varre(const Caminho& caminho) {
    long total = 0, mudancas = 0;
    {
        test::Instalacao inst(raiz / "contagem", sistema);
        inst.Instala(&caminho.instalado);
        FalhaNaEnesima conta(0, false);
        test::Atualizacao a;
        {
            fs::ScopedFileOpSeam sob(conta);
            a = inst.Atualiza(midia, dm);
        }
        ASSERT_EQ(a.desfecho, caminho.completo) << a.mensagem;
        caminho.depoisDeOutra(inst, "without failures");
        total = conta.vistas;
        mudancas = conta.mudancas;
        std::printf("%s: an update performs %ld file operations, %ld of them changing something:", caminho.nome, total,
                    mudancas);
        for (const auto& [tipo, n] : conta.porTipo) std::printf(" %s %ld", tipo.c_str(), n);
        std::printf("\n");
    }
    ASSERT_GT(total, 20);

    test::Vigia vigia(10000);
    double nasAtualizacoes = 0;
    const auto inicio = std::chrono::steady_clock::now();
    for (bool depois : {false, true}) {
        test::Contagem contagem;
        std::map<std::string, std::map<std::string, int>> porOperacao;  // failed operation -> outcomes
        std::map<std::string, int> deixados;                            // left in the install folder
        const long ultima = depois ? mudancas : total;
        for (long n = 1; n <= ultima; ++n) {
            const std::string quando = std::string(depois ? "after" : "before") + " operation " + std::to_string(n);
            test::Instalacao inst(raiz / ("n" + std::to_string(n)), sistema);
            inst.Instala(&caminho.instalado);
            FalhaNaEnesima seam(n, depois);
            vigia.Caso(std::string(caminho.nome) + ", " + quando);
            test::Atualizacao a;
            const auto t0 = std::chrono::steady_clock::now();
            {
                fs::ScopedFileOpSeam sob(seam);
                a = inst.Atualiza(midia, dm);
            }
            nasAtualizacoes += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            vigia.Fim();
            contagem.Conta(a, inst.raiz);
            ++porOperacao[seam.falhou.substr(0, seam.falhou.find(' '))][test::NomeDoDesfecho(a.desfecho)];
            const std::string caso = std::string(caminho.nome) + ", " + quando + " (" + seam.falhou + ")";
            EXPECT_NE(a.desfecho, test::Termino::Silencio) << caso;
            EXPECT_GE(depois ? seam.mudancas : seam.vistas, n) << caso << ": the update performed fewer operations";
            ASSERT_TRUE(fs::FileExists(inst.banco)) << caso << ": no QEL.mdb";
            for (const std::string& nome : inst.Nomes()) {
                EXPECT_TRUE(test::Instalacao::Livre(inst.pasta + "\\" + nome)) << caso << ": " << nome << " held";
                const std::vector<std::string> b = inst.Backups();
                if (nome != "QEL.mdb" && std::find(b.begin(), b.end(), nome) == b.end() &&
                    std::find(test::kArquivosDoPrograma.begin(), test::kArquivosDoPrograma.end(), nome) ==
                        test::kArquivosDoPrograma.end())
                    ++deixados[nome];
            }
            caminho.depoisDaFalha(inst, a, caso);
            if (testing::Test::HasFatalFailure()) return;

            if (!test::Completa(a.desfecho)) inst.OutroSegundo();
            vigia.Caso(caso + ", then an update without failures");
            const auto t1 = std::chrono::steady_clock::now();
            const test::Atualizacao b = inst.Atualiza(midia, dm);
            nasAtualizacoes += std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
            vigia.Fim();
            EXPECT_TRUE(test::Completa(b.desfecho)) << caso << ", then again: " << b.mensagem;
            caminho.depoisDeOutra(inst, caso + ", then again");
            for (const std::string& nome : test::kArquivosDoPrograma)
                EXPECT_EQ(test::ReadFile(inst.pasta + "\\" + nome), midia.Novo(nome)) << caso << ", then again: " << nome;
            std::vector<std::string> esperados = inst.Backups();
            esperados.push_back("QEL.mdb");
            esperados.insert(esperados.end(), test::kArquivosDoPrograma.begin(), test::kArquivosDoPrograma.end());
            for (const std::string& nome : inst.Nomes()) {
                EXPECT_NE(std::find(esperados.begin(), esperados.end(), nome), esperados.end())
                    << caso << ", then again: " << nome << " left in the install folder";
                EXPECT_TRUE(test::Instalacao::Livre(inst.pasta + "\\" + nome)) << caso << ": " << nome << " held";
            }
        }
        const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        char titulo[200];
        std::snprintf(titulo, sizeof titulo, "%s: failure %s, N = 1..%ld (%.1f s so far, %.1f s of it updating)",
                      caminho.nome,
                      depois ? "reported after the N-th operation that changes something" : "before the N-th operation",
                      ultima, segundos, nasAtualizacoes);
        contagem.Imprime(titulo);
        std::printf("  by the operation that failed:\n");
        for (const auto& [op, desfechos] : porOperacao)
            for (const auto& [d, k] : desfechos) std::printf("  %6d  %-10s %s\n", k, op.c_str(), d.c_str());
        for (const auto& [nome, k] : deixados)
            std::printf("  %6d  left %s in the install folder until the next update\n", k, nome.c_str());
    }
}

TEST_F(FailureSweep, AFailureAtEveryFileOperationOfACarryOverLosesNothing) {
    const std::string instalado = test::BytesDoBanco(raiz / "r.mdb", test::BancoInstalado(4, false));
    const Conteudo carregado = Do(instalado, true);
    // QEL.mdb is the new database (schema 3.2.0, stamped or not yet), each row dated
    // before 2007 carried exactly once, and every backup is the installed database.
    auto novo = [&](const test::Instalacao& inst, const std::string& caso) {
        const Conteudo visto = test::LeConteudo(inst.banco, colunas, false);
        EXPECT_EQ(visto.linhas, carregado.linhas) << caso << ": QEL.mdb does not hold the carried rows";
        EXPECT_TRUE(visto.versoes == test::kVersoesNovas || visto.versoes == test::kVersoesCarimbadas)
            << caso << ": QEL.mdb is not the new database";
        EXPECT_FALSE(inst.Backups().empty()) << caso << ": no backup";
        for (const std::string& b : inst.Backups())
            EXPECT_EQ(test::ReadFile(inst.pasta + "\\" + b), instalado) << caso << ": backup " << b;
    };
    Varre({"carry-over", instalado, test::Termino::Substituido,
           [&](const test::Instalacao& inst, const test::Atualizacao& a, const std::string& caso) {
               // The installed database as it was, or the new one with the installed one as backup.
               if (test::ReadFile(inst.banco) != instalado) return novo(inst, caso);
               EXPECT_FALSE(test::Completa(a.desfecho)) << caso << ": complete, but nothing was replaced";
               ProgramaAntigo(inst, caso);
           },
           novo});
}

// The installed database as the next program to open it sees it: the engine first undoes
// a write that was cut short, from the journal left beside it.
std::string ComoOProximoVe(const test::Instalacao& inst) {
    const std::string copia = inst.raiz + "\\visto.mdb";
    CopyFileA(inst.banco.c_str(), copia.c_str(), FALSE);
    DeleteFileA((copia + "-journal").c_str());
    CopyFileA((inst.banco + "-journal").c_str(), (copia + "-journal").c_str(), FALSE);
    test::RunStatements(copia, {"SELECT count(*) FROM sqlite_master"});
    return copia;
}

TEST_F(FailureSweep, AFailureAtEveryFileOperationOfAVersionStampLosesNothing) {
    std::vector<std::string> sql = test::BancoInstalado(4, false);
    sql.push_back("UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.2.0', DE_VERSAO_SISTEMA = '3.2.0'");
    const std::string instalado = test::BytesDoBanco(raiz / "r.mdb", sql);
    const Conteudo antes = Do(instalado, false);
    Conteudo carimbado = antes;
    carimbado.versoes = test::kVersoesCarimbadas;  // 3.2.0, 3.2.3
    Varre({"version stamp", instalado, test::Termino::Carimbado,
           [&](const test::Instalacao& inst, const test::Atualizacao& a, const std::string& caso) {
               // As it was, or stamped and nothing else; never a backup. A stamp that is in
               // place although the update reported a failure is stamped again by the next.
               const Conteudo visto = test::LeConteudo(ComoOProximoVe(inst), colunas, false);
               EXPECT_TRUE(visto == antes || visto == carimbado) << caso << ": the installed database changed";
               if (visto == antes) ProgramaAntigo(inst, caso);
               if (test::Completa(a.desfecho)) {
                   EXPECT_EQ(visto, carimbado) << caso << ": complete, but not stamped";
               }
               EXPECT_TRUE(inst.Backups().empty()) << caso;
           },
           [&](const test::Instalacao& inst, const std::string& caso) {
               EXPECT_EQ(test::LeConteudo(inst.banco, colunas, false), carimbado) << caso;
               EXPECT_TRUE(inst.Backups().empty()) << caso;
           }});
}

}  // namespace
}  // namespace qel
