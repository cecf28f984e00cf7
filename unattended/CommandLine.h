#pragma once
// The program's command line: what the unattended installation is told, and the usage.
//   InstalaQEL.exe [/silent] [/type=install|update|auto] [/dir=FOLDER] [/log=FILE]
//   InstalaQEL.exe /?
// Switches are case-insensitive and begin with "/" or "-"; double quotes group blanks
// anywhere in an argument ("/dir=C:\A B" or /dir="C:\A B") and are removed.
#include <optional>
#include <string>
#include <vector>

#include "engine/RunChecks.h"

namespace qel {

struct Opcoes {
    bool silenciosa = false;  // /silent, taken even when something else was not understood
    bool ajuda = false;
    std::optional<TipoPedido> tipo;
    std::optional<std::string> pasta;  // made a full path, without a trailing backslash
    std::optional<std::string> log;    // as given
    std::string erro;                  // what was not understood; empty when everything was
    bool Entendida() const { return erro.empty(); }
    // No argument at all: the wizard exactly as it always was.
    bool Vazia() const { return !silenciosa && !ajuda && !tipo && !pasta && !log && erro.empty(); }
};

// The arguments after the program's own name in the process's command line (the name
// may be quoted).
std::string ArgumentosDoPrograma(const std::string& linhaCompleta);

// Splits at blanks outside double quotes and removes the quotes, by the platform's rules
// for command lines (backslashes before a quote: each pair one backslash, an odd one
// escapes the quote), so that what a program escaped arrives as meant. No name holds a
// quote, so escaped quotes are left out too; and a quoted folder that ends in a
// backslash ("C:\A B\" before a blank or the end) keeps it and ends there, as typed.
std::vector<std::string> SeparaArgumentos(const std::string& argumentos);

// Reads every argument. The first thing not understood is kept in `erro`; /silent and
// /log are taken wherever they stand, so that even then nothing is shown and the log
// gets what was wrong. A relative /dir is made full against the current folder now.
Opcoes InterpretaLinhaDeComando(const std::string& argumentos);

// Why a text cannot name a folder (a character Windows refuses in names, a colon that is
// no drive's, a device name such as NUL, a path too long for every file the run places in
// it); "" when it can.
std::string PorQueNaoEPasta(const std::string& pasta);

// The usage in Portuguese, exit codes included; lines joined by a carriage return.
std::string TextoDeUso();

}  // namespace qel
