#pragma once
// The installation log asked for on the command line: a UTF-8 text file with one line per
// step of a run (local time, step, result), every message shown or that would be shown,
// and the exit code at the end. Deployment tools and IT staff read it after the fact.
#include <windows.h>

#include <string>

#include "platform/Handles.h"

namespace qel {

class InstallLog {
public:
    // Opens the file for appending (several runs may share one log), creating it and its
    // missing folders; a new file starts with the UTF-8 byte order mark, so that editors
    // and shells of any locale read it as UTF-8. Others may read it and append to it
    // meanwhile. Throws a Failure saying why when the file cannot be written.
    explicit InstallLog(const std::string& arquivo);

    // Appends "<yyyy-mm-dd hh:mm:ss>  <etapa>: <resultado>" (8-bit text, written as UTF-8).
    // A carriage return in the result (a two-line message) continues it on the next line,
    // indented under the first. A line that cannot be written is lost, never fatal.
    void Registra(const std::string& etapa, const std::string& resultado);

    // The file as a full path.
    const std::string& Arquivo() const { return arquivo_; }

private:
    std::string arquivo_;
    UniqueHandle handle_;
};

// One entry of the log as it is written (8-bit text, lines ended by CR LF).
std::string EntradaDoRegistro(const SYSTEMTIME& quando, const std::string& etapa, const std::string& resultado);

// "O arquivo de registro <arquivo> não pode ser gravado: <motivo>".
std::string MensagemRegistroInvalido(const std::string& arquivo, const std::string& motivo);

}  // namespace qel
