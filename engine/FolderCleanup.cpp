#include "engine/FolderCleanup.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/Retry.h"
#include "platform/SafeRemoval.h"
#include "platform/Text.h"
#include "platform/WidePath.h"

namespace qel {

namespace {

// The walk keeps its own stack of open folders instead of recursing, so no depth of
// nesting can exhaust the thread's stack, and it reaches every entry by its full path in
// long form, so no length of path stops it (the current folder could not follow it past
// MAX_PATH). Each path is paired with where the entry must really live: a name inside a
// folder really lives at that folder's real place plus the name. Whatever resolves
// elsewhere is a link, and is neither entered nor removed through.
struct PastaAberta {
    std::wstring caminho;  // long form
    std::wstring real;     // where it really is
    fs::FolderListing entradas;
    DWORD atributos = 0;
    bool esvaziada = true;  // every entry listed so far was removed
};

[[noreturn]] void NaoPodeEntrar(const std::wstring& pasta, DWORD erro) {
    throw InOutFailure("Erro de entrada/saída: a pasta \"" + text::Narrow(fs::PlainForm(pasta)) +
                           "\" não pôde ser aberta (erro " + std::to_string(erro) + ").",
                       erro);
}

PastaAberta Entra(std::wstring caminho, std::wstring real, DWORD atributos) {
    fs::FolderListing entradas(fs::JoinPath(caminho, L"*.*"), kMascaraLimpeza);
    if (entradas.Error() != 0) NaoPodeEntrar(caminho, entradas.Error());
    return {std::move(caminho), std::move(real), std::move(entradas), atributos};
}

// Removes one entry, waiting within the cleanup's budget while another program holds it
// for a moment. A read-only entry is refused for good. A folder whose entries all went
// may still hold names of files that others have open (deleted, but pending until they
// close them), so its removal also waits while it is "not empty".
bool Remove(const std::wstring& caminho, const std::wstring& real, DWORD atributos, bool esvaziada,
            fs::RetryBudget& espera) {
    for (;;) {
        if (fs::RemoveIfAt(caminho, real)) return true;
        const DWORD erro = GetLastError();
        const bool somenteLeitura = (atributos & FILE_ATTRIBUTE_READONLY) != 0;
        const bool momentaneo = (fs::IsMomentaryHold(erro) && !(erro == ERROR_ACCESS_DENIED && somenteLeitura)) ||
                                (esvaziada && erro == ERROR_DIR_NOT_EMPTY);
        if (!espera.WaitAgain(momentaneo)) return false;
    }
}

// A sub-folder entry that is a real folder where it is listed, not a link in disguise.
bool EhPastaDeVerdade(const std::wstring& caminho, const std::wstring& real) {
    std::optional<std::wstring> onde = fs::PlaceOf(caminho);
    if (!onde) NaoPodeEntrar(caminho, GetLastError());
    return fs::SamePath(*onde, real);
}

// Empties an entered folder, sub-folders depth first. The folder itself stays; whether
// everything in it went is returned.
bool Esvazia(PastaAberta pasta, fs::RetryBudget& espera) {
    std::vector<PastaAberta> abertas;
    abertas.push_back(std::move(pasta));
    for (;;) {
        std::optional<fs::FolderEntry> entrada = abertas.back().entradas.Next();
        if (!entrada) {
            if (abertas.size() == 1) return abertas.back().esvaziada;
            std::wstring caminho = std::move(abertas.back().caminho);
            std::wstring real = std::move(abertas.back().real);
            const DWORD atributos = abertas.back().atributos;
            const bool esvaziada = abertas.back().esvaziada;
            abertas.pop_back();  // closes its listing before it is removed
            if (!Remove(caminho, real, atributos, esvaziada, espera)) abertas.back().esvaziada = false;
            continue;
        }
        if (!entrada->IsDotEntry()) {
            PastaAberta& atual = abertas.back();
            std::wstring caminho = fs::JoinPath(atual.caminho, entrada->name);
            std::wstring real = fs::JoinPath(atual.real, entrada->name);
            if (entrada->IsFolder() && !entrada->IsReparsePoint() &&
                EhPastaDeVerdade(caminho, real)) {
                abertas.push_back(Entra(std::move(caminho), std::move(real), entrada->attributes));
                continue;
            }
            // A file, or a link: only the entry itself goes, never what it points to.
            if (!Remove(caminho, real, entrada->attributes, false, espera)) atual.esvaziada = false;
        }
    }
}

// Where the folder the caller named must really be, and whether it may be walked: a
// folder that is itself a link is not.
struct Alvo {
    std::wstring real;
    bool percorre = false;
    DWORD atributos = 0;
};

Alvo Localiza(const std::wstring& cheia) {
    const std::wstring longa = fs::LongForm(cheia);
    if (fs::IsRoot(cheia)) {
        std::optional<std::wstring> real = fs::ResolvedPlaceOf(longa);
        if (!real) NaoPodeEntrar(longa, GetLastError());
        return {*real, true, 0};
    }
    std::optional<fs::FolderEntry> entrada = fs::EntryOf(longa);
    if (!entrada) NaoPodeEntrar(longa, GetLastError());
    std::optional<std::wstring> onde = fs::PlaceOf(longa);
    if (!onde) NaoPodeEntrar(longa, GetLastError());
    // It must be an entry of the folder above it, under the name it was given or the
    // name that folder lists; the folder above may itself be reached through links.
    std::optional<std::wstring> pai = fs::ResolvedPlaceOf(fs::LongForm(fs::ParentOf(cheia)));
    if (!pai) return {*onde, !entrada->IsReparsePoint(), entrada->attributes};
    const std::wstring dada = cheia.substr(cheia.find_last_of(L'\\') + 1);
    for (const std::wstring& nome : {entrada->name, dada}) {
        std::wstring real = fs::JoinPath(*pai, nome);
        if (fs::SamePath(*onde, real)) return {real, !entrada->IsReparsePoint(), entrada->attributes};
    }
    // Somewhere else: a link the platform does not mark as one.
    return {fs::JoinPath(*pai, entrada->name), false, entrada->attributes};
}

// Leaves the current folder at the parent of the cleaned folder, however the walk ends.
class VoltaParaOPai {
public:
    explicit VoltaParaOPai(const std::wstring& pasta) : pai_(fs::ParentOf(pasta)) {}
    ~VoltaParaOPai() { fs::ChangeDir(pai_); }
    VoltaParaOPai(const VoltaParaOPai&) = delete;
    VoltaParaOPai& operator=(const VoltaParaOPai&) = delete;

private:
    std::wstring pai_;
};

}  // namespace

bool RemoveEntrada(const std::string& caminho) {
    const std::wstring cheia = fs::FullPath(text::Widen(caminho));
    const std::wstring longa = fs::LongForm(cheia);
    if (!fs::EntryOf(longa)) return true;
    fs::RetryBudget espera;
    try {
        const Alvo alvo = Localiza(cheia);
        const bool pasta = (alvo.atributos & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool esvaziada = pasta && alvo.percorre && Esvazia(Entra(longa, alvo.real, alvo.atributos), espera);
        Remove(longa, alvo.real, alvo.atributos, esvaziada, espera);
    } catch (const InOutFailure&) {
        // An entry that cannot even be looked at stays, and says so below.
    }
    return !fs::EntryOf(longa);
}

void LimpaPasta(const std::string& pasta) {
    if (!fs::ChangeDir(pasta)) {
        DWORD erro = GetLastError();
        NaoPodeEntrar(fs::FullPath(text::Widen(pasta)), erro);
    }
    // Entered: from here on the folder is known by its full path, whatever else changes
    // the process's current folder meanwhile.
    const std::wstring cheia = fs::CurrentDirW();
    // The whole cleanup waits at most this long for entries other programs hold.
    fs::RetryBudget espera;
    Alvo alvo{};
    bool esvaziada = false;
    {
        VoltaParaOPai volta(cheia);
        alvo = Localiza(cheia);
        if (alvo.percorre) esvaziada = Esvazia(Entra(fs::LongForm(cheia), alvo.real, alvo.atributos), espera);
    }
    // Not while it is the current folder: that would keep it from being removed.
    Remove(fs::LongForm(cheia), alvo.real, alvo.atributos, esvaziada, espera);
}

}  // namespace qel
