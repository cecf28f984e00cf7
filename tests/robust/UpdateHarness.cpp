#include "tests/robust/UpdateHarness.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "dbupgrade/DatabaseReplacement.h"
#include "engine/InstallationRun.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace qel::test {

Midia::Midia(const std::string& pasta, const std::string& bancoNovo, const std::string& programa)
    : pasta_(pasta), bancoNovo_(bancoNovo) {
    CreateDirectoryA(pasta.c_str(), nullptr);
    WriteFile(pasta + "\\QEL.ex_", programa);
    WriteFile(pasta + "\\QEL.md_", bancoNovo);
    WriteFile(pasta + "\\midas.dl_", "biblioteca");
    WriteFile(pasta + "\\zav2003.chm", "ajuda 2003 nova");
    WriteFile(pasta + "\\zav2005.chm", "ajuda 2005 nova");
}

std::string Midia::Novo(const std::string& nome) const {
    return ReadFile(pasta_ + "\\" + (nome == "QEL.exe" ? "QEL.ex_" : nome == "midas.dll" ? "midas.dl_" : nome));
}

const char* NomeDoDesfecho(Termino d) {
    switch (d) {
        case Termino::Substituido: return "complete, database replaced, backup kept";
        case Termino::Carimbado: return "complete, same schema, version stamped";
        case Termino::Intocado: return "complete, newer schema, database left alone";
        case Termino::FalhaCaixa: return "failure shown in the failure box";
        case Termino::FalhaSimples: return "failure: installed database not opened (simple dialog)";
        case Termino::FalhaErro: return "failure shown in an error dialog";
        case Termino::FalhaAviso: return "failure shown in a warning dialog";
        case Termino::Silencio: return "FAULT: ended without completing and without a message";
    }
    return "?";
}

Instalacao::Instalacao(const std::string& r, const std::string& systemDir) : raiz(r) {
    CreateDirectoryA(raiz.c_str(), nullptr);
    pasta = raiz + "\\QEL";
    banco = pasta + "\\QEL.mdb";
    CreateDirectoryA(pasta.c_str(), nullptr);
    CreateDirectoryA((raiz + "\\temp").c_str(), nullptr);
    estado.TempDir = raiz + "\\temp\\";
    estado.SystemDir = systemDir;
    estado.VersaoSistema = kVersaoSistema;
    estado.VersaoBanco = kVersaoBanco;
}

Instalacao::~Instalacao() {
    fs::ChangeDir(fs::ExtractFilePath(raiz));
    RemoveTree(raiz);
}

void Instalacao::Instala(const std::string* bytes) {
    for (const std::string& nome : kArquivosDoPrograma) WriteFile(pasta + "\\" + nome, Antigo(nome));
    if (bytes) {
        WriteFile(banco, *bytes);
    } else {
        CreateDirectoryA(banco.c_str(), nullptr);
        WriteFile(banco + "\\dentro.txt", "uma pasta no lugar do banco");
    }
}

Atualizacao Instalacao::Atualiza(const Midia& midia, TdmInstalaQel& dm, int tipo) {
    estado.SourceDir = midia.Pasta() + "\\";
    const std::optional<std::string> antes = fs::FileExists(banco) ? std::optional(ReadFile(banco)) : std::nullopt;
    const std::size_t backupsAntes = Backups().size();
    ScriptedUi ui;
    ui.pasta = pasta;
    ui.tipoInstalacao = tipo;
    ui.Responde(RespostaMensagem::Sim);
    for (int i = 0; i < 6; ++i) ui.Responde(RespostaMensagem::Ok);

    Atualizacao a;
    a.codigo = CodigoDeSaida(ExecutaInstalacao(estado, dm, ui));
    fs::ChangeDir(raiz);
    a.janelaFechada = ui.fechada;
    // A failure the run does not handle itself goes to the failure box, and the run ends.
    static const std::string kFalha = "falha:";
    for (const std::string& e : ui.eventos)
        if (e.rfind(kFalha, 0) == 0) {
            a.desfecho = Termino::FalhaCaixa;
            a.mensagem = e.substr(kFalha.size());
        }
    if (a.desfecho == Termino::FalhaCaixa) {
        if (a.mensagem.empty()) a.desfecho = Termino::Silencio;
        return a;
    }
    // The completion message, with a further line when texts were cut to their new columns.
    if (!ui.dialogos.empty() && ui.dialogos.back().texto.rfind(mensagens::kConcluida, 0) == 0) {
        a.textosEncurtados = ui.dialogos.back().texto != mensagens::kConcluida;
        if (Backups().size() > backupsAntes)
            a.desfecho = Termino::Substituido;
        else if (antes && fs::FileExists(banco) && ReadFile(banco) == *antes)
            a.desfecho = Termino::Intocado;
        else
            a.desfecho = Termino::Carimbado;
        return a;
    }
    // Otherwise the last dialog after the confirmation said why the run stopped.
    if (ui.dialogos.size() < 2 || ui.dialogos.back().texto.empty()) return a;
    a.mensagem = ui.dialogos.back().texto;
    switch (ui.dialogos.back().tipo) {
        case TipoMensagem::Simples: a.desfecho = Termino::FalhaSimples; break;
        case TipoMensagem::Erro: a.desfecho = Termino::FalhaErro; break;
        case TipoMensagem::Aviso: a.desfecho = Termino::FalhaAviso; break;
        default: break;
    }
    return a;
}

void Instalacao::OutroSegundo() const {
    for (;;) {
        SYSTEMTIME agora;
        GetLocalTime(&agora);
        const std::vector<std::string> b = Backups();
        if (std::find(b.begin(), b.end(), NomeBackup("QEL.mdb", agora)) == b.end()) return;
        Sleep(50);
    }
}

std::vector<std::string> Instalacao::Nomes() const {
    std::vector<std::string> nomes;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((pasta + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return nomes;
    do {
        const std::string nome = d.cFileName;
        if (nome != "." && nome != "..") nomes.push_back(nome);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

std::vector<std::string> Instalacao::Backups() const {
    std::vector<std::string> backups;
    for (const std::string& nome : Nomes())
        if (nome.size() == 22 && nome.rfind("QEL_", 0) == 0 && nome.substr(18) == ".md_") backups.push_back(nome);
    return backups;
}

bool Instalacao::Livre(const std::string& arquivo) {
    HANDLE h = CreateFileA(arquivo.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// The case under way, where a crash can read it without taking a lock.
namespace {
char g_caso[512];

LONG WINAPI AoQuebrar(EXCEPTION_POINTERS* e) {
    std::fprintf(stderr, "\nCRASH (exception 0x%08lx) in case: %s\n",
                 static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode), g_caso);
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

struct Vigia::Estado {
    unsigned limite;
    std::mutex m;
    std::condition_variable cv;
    bool fim = false;
    DWORD inicio = 0;
    bool emCurso = false;
    std::thread vigia;
};

Vigia::Vigia(unsigned limiteMs) : estado_(std::make_unique<Estado>()) {
    estado_->limite = limiteMs;
    SetUnhandledExceptionFilter(AoQuebrar);
    estado_->vigia = std::thread([e = estado_.get()] {
        std::unique_lock<std::mutex> lock(e->m);
        while (!e->fim) {
            e->cv.wait_for(lock, std::chrono::milliseconds(100));
            if (e->emCurso && GetTickCount() - e->inicio > e->limite) {
                std::fprintf(stderr, "\nHANG: case took more than %u ms: %s\n", e->limite, g_caso);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    });
}

Vigia::~Vigia() {
    {
        std::lock_guard<std::mutex> lock(estado_->m);
        estado_->fim = true;
    }
    estado_->cv.notify_all();
    estado_->vigia.join();
    SetUnhandledExceptionFilter(nullptr);
}

void Vigia::Caso(const std::string& nome) {
    std::lock_guard<std::mutex> lock(estado_->m);
    std::snprintf(g_caso, sizeof g_caso, "%s", nome.c_str());
    estado_->inicio = GetTickCount();
    estado_->emCurso = true;
}

void Vigia::Fim() {
    std::lock_guard<std::mutex> lock(estado_->m);
    estado_->emCurso = false;
}

void Contagem::Conta(const Atualizacao& a, const std::string& pasta) {
    ++desfechos_[NomeDoDesfecho(a.desfecho)];
    if (Completa(a.desfecho)) return;
    // The message's shape: the case's folder and numbers left out, lines joined.
    std::string forma, m = a.mensagem;
    for (std::size_t at; (at = m.find(pasta)) != std::string::npos;) m.replace(at, pasta.size(), "<case>");
    for (char c : m) {
        if (c >= '0' && c <= '9') {
            if (forma.empty() || forma.back() != '#') forma += '#';
        } else {
            forma += c == '\r' ? '|' : c;
        }
    }
    if (forma.size() > 160) forma = forma.substr(0, 157) + "...";  // values read from swapped pages
    ++mensagens_[forma];
}

void Contagem::Imprime(const char* titulo) const {
    std::printf("%s\n  outcomes:\n", titulo);
    for (const auto& [nome, n] : desfechos_) std::printf("  %6d  %s\n", n, nome.c_str());
    std::printf("  failure messages:\n");
    for (const auto& [forma, n] : mensagens_) std::printf("  %6d  %s\n", n, text::ToUtf8(forma).c_str());
    std::fflush(stdout);
}

}  // namespace qel::test
