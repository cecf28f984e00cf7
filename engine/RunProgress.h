#pragma once
// How far an installation run is, as page 3 shows it: the step under way in words, the
// carry-over's table with its rows, and how much of the whole run is done. Each step has
// its share of the bar, by installation type; the carry-over, which takes most of the
// time of an update, has most of the update's.
#include <cstddef>
#include <string>

#include "core/Cronometro.h"
#include "core/UiPort.h"

namespace qel {

enum class Etapa {
    Preparacao,    // the payload staged from the medium
    AcessoADados,  // the data-access prerequisite (fresh install)
    Programa,      // QEL.exe written beside its place (with the help files) and, but in an
                   // update, placed; in an update again when it takes its name
    Biblioteca,    // midas.dll placed in the system folder
    Banco,         // QEL.mdb placed, last (fresh install)
    VersaoDoBanco, // the installed database's version checked (update)
    Migracao,      // the data carried (update)
    Substituicao,  // the new database put in place, the installed one kept (update)
    Ajuda,         // the help files take their names
    Limpeza,       // the staging folders removed
};

// The step in words, as page 3 shows it.
const char* TextoDaEtapa(Etapa etapa);
// "Tabela TB_ACOMPANHAMENTO: linha 12.345 de 150.003"; without " de ..." when the total
// is not known.
std::string TextoDaTabela(const std::string& tabela, long linha, long total);
// A whole number with "." between the thousands.
std::string ComMilhares(long numero);

class AndamentoDaExecucao {
public:
    AndamentoDaExecucao(UiPort& ui, bool atualizacao) : ui_(ui), atualizacao_(atualizacao) {}

    // A step begins: shown at the start of its share, which the bar never goes back from
    // (a step that comes again keeps the bar where it is).
    void Comeca(Etapa etapa);
    // During the carry-over: the table of that index (of `tabelas`) has had `linha` rows
    // read, of `total` (-1 when not known). Called for every row; shown for a table's
    // first and last rows and otherwise at most every few tens of milliseconds.
    void Tabela(std::size_t indice, std::size_t tabelas, const std::string& nome, long linha, long total);
    // The step's line for the log, with the time since it began.
    void Relata(const std::string& etapa, const std::string& resultado);

private:
    void Mostra(const std::string& detalhe, int milesimos);

    UiPort& ui_;
    bool atualizacao_;
    Etapa etapa_ = Etapa::Preparacao;
    int milesimos_ = 0;
    Cronometro desdeAEtapa_, desdeOUltimo_;
};

}  // namespace qel
