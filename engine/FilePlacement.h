#pragma once
// Putting the run's files in place whole. A file of the staging folder is first written in
// full beside its place, under a temporary name of its own (platform/TemporaryFiles.h), and
// flushed to the disk; only then does it take its name, in one rename that is on the disk
// when it returns. Whatever happens to the machine meanwhile, a name in the install folder
// or the system folder holds the file that was there or the whole new one, never a part.
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/Cronometro.h"
#include "core/UiPort.h"
#include "core/WizardState.h"
#include "platform/Handles.h"

namespace qel {

// The files going into one folder, taken by their bare names from the current folder (the
// staging folder). How each file ended is told to the UI port's log as "Cópia de <nome>",
// with the time the work on that file took (written, held, renamed), not the time between.
class ColocacaoDeArquivos {
public:
    // First removes what an interrupted run left in the folder: files under the temporary
    // names (platform/TemporaryFiles.h) and the files of the names given; the log says
    // which.
    ColocacaoDeArquivos(std::string pasta, UiPort& ui, const std::vector<std::string>& tambem = {});
    // Temporary files that did not take their names are removed, unless left for the
    // next restart.
    ~ColocacaoDeArquivos();
    ColocacaoDeArquivos(const ColocacaoDeArquivos&) = delete;
    ColocacaoDeArquivos& operator=(const ColocacaoDeArquivos&) = delete;

    // Writes the file beside its place under its temporary name and flushes it.
    bool Prepara(const std::string& nome);
    // Holds the file of that name in the folder, when there is one, as a file about to be
    // replaced: false while another program has it open or runs it, or when it cannot be
    // written (read-only, a folder). Until it is replaced nobody can start or change it.
    bool Reserva(const std::string& nome);
    // Gives the prepared file its name (preparing it first when that was not asked for),
    // replacing the file of that name or, without `substitui`, failing when the name is
    // taken. False also when its preparation failed before.
    bool Coloca(const std::string& nome, bool substitui = true);

    // The parts of Coloca, for a caller that decides itself what a failed rename means:
    // the rename alone (0 or the platform's error; the temporary file stays on failure),
    // and the rename recorded for the next restart instead, which leaves the temporary file
    // where it is.
    DWORD Renomeia(const std::string& nome, bool substitui);
    bool RenomeiaNoReinicio(const std::string& nome);
    std::string Destino(const std::string& nome) const { return pasta_ + "\\" + nome; }
    std::string Provisorio(const std::string& nome) const;
    // The file's line for the log, with the time its work took so far.
    void Relata(const std::string& nome, const std::string& resultado);

private:
    enum class Estado { Preparado, Colocado, NoReinicio, Falhou };
    void Falha(const std::string& nome, DWORD erro);
    // Adds the time since `desde` to the file's work.
    void Conta(const std::string& nome, const Cronometro& desde) { gasto_[nome] += desde.Decorrido(); }

    std::string pasta_;
    UiPort& ui_;
    std::map<std::string, Estado> arquivos_;
    std::map<std::string, UniqueHandle> reservas_;
    std::map<std::string, std::chrono::milliseconds> gasto_;
};

// How the support library went.
enum class ResultadoBiblioteca {
    Colocada,    // it was missing and is in place now
    Mantida,     // the system folder has one: never replaced
    NoReinicio,  // its name is taken by one still in use: it goes in at the next restart
    Falhou,      // it could not be placed (the run goes on without it, as always)
};

// Puts "midas.dll" of the staging folder into the system folder when the system folder has
// none, whole. When the name is taken all the same by a library that cannot be seen (one
// deleted while a running program still has it loaded, which keeps its name until that
// program ends) or held, the new one is left beside it under its temporary name and the
// rename recorded for the next restart; a library that appeared meanwhile is kept.
ResultadoBiblioteca ColocaBiblioteca(const WizardState& estado, UiPort& ui);

}  // namespace qel
