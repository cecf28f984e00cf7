#include "engine/InstallLog.h"

#include <cstdio>

#include "platform/ErrorText.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace qel {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

}  // namespace

std::string MensagemRegistroInvalido(const std::string& arquivo, const std::string& motivo) {
    return "O arquivo de registro " + arquivo + " não pode ser gravado: " + motivo;
}

InstallLog::InstallLog(const std::string& arquivo) : arquivo_(fs::FullPath(arquivo)) {
    const std::string pasta = fs::ExtractFilePath(arquivo_);
    if (!pasta.empty() && !fs::DirectoryExists(pasta) && !fs::ForceDirectories(pasta))
        throw Failure(MensagemRegistroInvalido(arquivo_, text::SystemErrorText(GetLastError(), pasta)));
    // Appending only: every write lands at the end, also when another run writes to the
    // same log at the same time.
    handle_.reset(CreateFileA(arquivo_.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!handle_) throw Failure(MensagemRegistroInvalido(arquivo_, text::SystemErrorText(GetLastError(), arquivo_)));
    LARGE_INTEGER tamanho{};
    DWORD escritos = 0;
    if (GetFileSizeEx(handle_.get(), &tamanho) && tamanho.QuadPart == 0 &&
        !WriteFile(handle_.get(), kBom, 3, &escritos, nullptr))
        throw Failure(MensagemRegistroInvalido(arquivo_, text::SystemErrorText(GetLastError(), arquivo_)));
}

std::string EntradaDoRegistro(const SYSTEMTIME& quando, const std::string& etapa, const std::string& resultado) {
    char hora[32];
    std::snprintf(hora, sizeof hora, "%04u-%02u-%02u %02u:%02u:%02u  ", quando.wYear, quando.wMonth, quando.wDay,
                  quando.wHour, quando.wMinute, quando.wSecond);
    std::string entrada = hora + etapa + ": ";
    const std::string recuo(entrada.size() - etapa.size() - 2, ' ');
    for (char c : resultado) {
        if (c == '\r')
            entrada += "\r\n" + recuo;
        else if (c != '\n')
            entrada += c;
    }
    return entrada + "\r\n";
}

void InstallLog::Registra(const std::string& etapa, const std::string& resultado) {
    SYSTEMTIME agora;
    GetLocalTime(&agora);
    // One write per entry, so that entries of two runs sharing the log never mix.
    const std::string utf8 = text::ToUtf8(EntradaDoRegistro(agora, etapa, resultado));
    DWORD escritos = 0;
    WriteFile(handle_.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &escritos, nullptr);
}

}  // namespace qel
