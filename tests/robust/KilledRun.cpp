// See KilledRun.h.
#include "tests/robust/KilledRun.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/InstallationRun.h"
#include "engine/udmInstaladorQel.h"
#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "tests/support/FileOpNames.h"
#include "tests/support/ScriptedUi.h"

namespace qel::test {
namespace {

std::string Maiusculas(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// Counts the operations, ends the process at the chosen one, and keeps track of what a
// power cut would lose: for each file with writes not flushed yet, the length that is on
// the disk.
class Fim : public fs::FileOpSeam {
public:
    Fim(bool corta, long alvo, std::string relatorio, std::vector<std::string> pastas)
        : corta_(corta), alvo_(alvo), relatorio_(std::move(relatorio)), pastas_(std::move(pastas)) {}

    DWORD Before(const fs::FileOpCall& c) override {
        ++operacoes;
        const bool escrita = c.op == fs::FileOp::Write && NasPastas(c.path);
        if (escrita) ++escritas;
        // What the file held before its first write since the last flush is on the disk.
        if (c.op == fs::FileOp::Write && !naoGravados_.count(Maiusculas(fs::FullPath(c.path))))
            naoGravados_[Maiusculas(fs::FullPath(c.path))] = fs::FileSize(c.path).value_or(0);
        if (alvo_ && (corta_ ? escrita && escritas == alvo_ : operacoes == alvo_))
            Encerra(std::string(NomeDaOperacao(c.op)) + ' ' + fs::ExtractFileName(c.target.empty() ? c.path : c.target));
        return 0;
    }

    DWORD After(const fs::FileOpCall& c, DWORD erro) override {
        if (erro) return erro;
        const std::string nome = Maiusculas(fs::FullPath(c.path));
        switch (c.op) {
            case fs::FileOp::Create: naoGravados_[nome] = 0; break;
            case fs::FileOp::Copy: naoGravados_[Maiusculas(fs::FullPath(c.target))] = 0; break;
            case fs::FileOp::Flush: naoGravados_.erase(nome); break;
            case fs::FileOp::Move: {
                const std::string novo = Maiusculas(fs::FullPath(c.target));
                const auto antes = naoGravados_.find(nome);
                if (antes == naoGravados_.end()) {
                    naoGravados_.erase(novo);
                } else {
                    naoGravados_[novo] = antes->second;
                    naoGravados_.erase(antes);
                }
                break;
            }
            case fs::FileOp::Delete: naoGravados_.erase(nome); break;
            default: break;
        }
        return 0;
    }

    // A power cut asked for after the last write comes as the run ends.
    void AoFim() const {
        if (corta_ && alvo_) Encerra("end");
    }

    long operacoes = 0, escritas = 0;

private:
    bool NasPastas(const std::string& caminho) const {
        const std::string nome = Maiusculas(fs::FullPath(caminho));
        for (const std::string& p : pastas_)
            if (nome.rfind(p, 0) == 0) return true;
        return false;
    }
    // Ends the process where it is, after the report.
    [[noreturn]] void Encerra(const std::string& onde) const {
        {
            std::ofstream r(relatorio_, std::ios::binary);
            r << "# " << onde << '\n';
            if (corta_)
                for (const auto& [nome, tamanho] : naoGravados_) r << tamanho << '\t' << nome << '\n';
        }
        TerminateProcess(GetCurrentProcess(), kEncerrado);
        ExitProcess(kEncerrado);
    }

    bool corta_;
    long alvo_;
    std::string relatorio_;
    std::vector<std::string> pastas_;
    std::map<std::string, std::uint64_t> naoGravados_;
};

int Principal(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr, "uso: qel_killed_run <tipo> <pasta> <TempDir> <sistema> <midia> <modo> <N> <relatorio>\n");
        return 2;
    }
    ComApartment com;
    WizardState estado;
    const std::string pasta = argv[2];
    estado.TempDir = std::string(argv[3]) + "\\";
    estado.SystemDir = argv[4];
    estado.SourceDir = std::string(argv[5]) + "\\";
    estado.VersaoSistema = kVersaoSistema;
    estado.VersaoBanco = kVersaoBanco;
    TdmInstalaQel dm;
    ScriptedUi ui;
    ui.pasta = pasta;
    ui.tipoInstalacao = std::atoi(argv[1]);
    ui.Responde(RespostaMensagem::Sim);
    for (int i = 0; i < 8; ++i) ui.Responde(RespostaMensagem::Ok);

    Fim encerra(std::string(argv[6]) == kCorta, std::atol(argv[7]), argv[8],
                    {Maiusculas(fs::FullPath(pasta)) + "\\", Maiusculas(fs::FullPath(estado.SystemDir)) + "\\"});
    Desfecho d;
    {
        fs::ScopedFileOpSeam sob(encerra);
        d = ExecutaInstalacao(estado, dm, ui);
    }
    encerra.AoFim();
    std::ofstream(argv[8]) << encerra.operacoes << ' ' << encerra.escritas << '\n';
    return CodigoDeSaida(d);
}

}  // namespace
}  // namespace qel::test

int main(int argc, char** argv) { return qel::test::Principal(argc, argv); }
