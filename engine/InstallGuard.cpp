#include "engine/InstallGuard.h"

#include "platform/ErrorText.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace qel {
namespace {

// The folder as the file system names it: full, long names, no trailing backslash (a
// drive's root keeps its own), upper case as the file system compares names.
std::wstring FormaCanonica(const std::string& pasta) {
    std::wstring cheio = fs::FullPath(text::Widen(pasta));
    if (DWORD n = GetLongPathNameW(cheio.c_str(), nullptr, 0)) {
        std::wstring longo(n, L'\0');
        n = GetLongPathNameW(cheio.c_str(), longo.data(), n);
        if (n && n < longo.size()) cheio.assign(longo.data(), n);
    }
    while (cheio.size() > 3 && cheio.back() == L'\\') cheio.pop_back();
    if (!cheio.empty()) {
        std::wstring alto(cheio.size(), L'\0');
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, cheio.data(), static_cast<int>(cheio.size()),
                          alto.data(), static_cast<int>(alto.size()), nullptr, nullptr, 0))
            cheio = alto;
    }
    return cheio;
}

// Mutex names cannot hold a backslash and are limited in length, so the path goes in as
// a 64-bit FNV-1a hash of its UTF-16 form.
std::wstring Resumo(const std::wstring& s) {
    unsigned long long h = 14695981039346656037ull;
    for (wchar_t c : s) {
        h = (h ^ (static_cast<unsigned>(c) & 0xFF)) * 1099511628211ull;
        h = (h ^ (static_cast<unsigned>(c) >> 8)) * 1099511628211ull;
    }
    std::wstring texto(16, L'0');
    for (int i = 15; i >= 0; --i, h >>= 4) texto[i] = L"0123456789abcdef"[h & 0xF];
    return texto;
}

// The mutex's name for a folder, without its namespace.
std::wstring NomeDaTrava(const std::string& pasta) { return L"InstalaQEL-" + Resumo(FormaCanonica(pasta)); }

// Creates or opens the mutex of that name. The global namespace reaches every session
// (a deployment tool's service and a user's wizard); a process that may not create
// global objects uses its own session's.
UniqueHandle AbreMutex(const std::wstring& nome) {
    UniqueHandle h(CreateMutexW(nullptr, FALSE, (L"Global\\" + nome).c_str()));
    if (!h) h.reset(CreateMutexW(nullptr, FALSE, (L"Local\\" + nome).c_str()));
    return h;
}

}  // namespace

std::wstring GuardName(const std::string& pasta) { return L"Global\\" + NomeDaTrava(pasta); }

std::string MensagemOutraInstalacao(const std::string& pasta) {
    return "Outra instalação do QEL está em andamento para a pasta " + pasta +
           ".\rAguarde o fim dela e execute esta instalação novamente.";
}

std::optional<InstallGuard> InstallGuard::Take(const std::vector<std::string>& pastas, std::string& ocupada) {
    InstallGuard guarda;
    for (const std::string& pasta : pastas) {
        UniqueHandle h = AbreMutex(NomeDaTrava(pasta));
        if (!h) throw Failure("A trava da instalação não pode ser criada: " + text::SystemErrorText(GetLastError(), pasta));
        const DWORD espera = WaitForSingleObject(h.get(), 0);
        if (espera != WAIT_OBJECT_0 && espera != WAIT_ABANDONED) {
            ocupada = pasta;
            return std::nullopt;  // the guards taken so far go with `guarda`
        }
        guarda.mutexes_.push_back(std::move(h));
    }
    return guarda;
}

InstallGuard::~InstallGuard() {
    for (UniqueHandle& h : mutexes_)
        if (h) ReleaseMutex(h.get());
}

}  // namespace qel
