#pragma once
// The texts a carry-over cut to the size of the new database's text columns: counted per
// table and column, and told in the log and in the completion message.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "dbupgrade/Database.h"

namespace qel {

// The texts of one column that were longer than the new column holds.
struct TextosEncurtados {
    std::string tabela, coluna;
    int tamanho = 0;            // characters the new column holds
    long quantidade = 0;        // texts cut to that size
    std::size_t maisLongo = 0;  // characters of the longest of them, before it was cut
};

// Counts, column by column of one table, the values the new table's text columns cut.
class ContagemDeCortes {
public:
    explicit ContagemDeCortes(std::string tabela) : tabela_(std::move(tabela)) {}
    // The value just assigned to the column of the new table (the indice-th carried);
    // the column's size is asked for once.
    void Conta(int indice, const db::Query& destino, const std::string& coluna, const db::Value& valor);
    // The columns with at least one text cut, in the order they were carried.
    std::vector<TextosEncurtados> Cortes() const;

private:
    std::string tabela_;
    std::vector<int> tamanhos_;  // per column: its size, 0 without one, -1 not asked yet
    std::vector<TextosEncurtados> colunas_;
};

// Characters of UTF-8 text as Jet counts a column's size: UTF-16 code units.
std::size_t CaracteresJet(const std::string& utf8);

// What the log says of one column: "<coluna>: 2 textos cortados para 100 caracteres; o
// mais longo tinha 130".
std::string RelatoDeTextosEncurtados(const TextosEncurtados& t);
// The line the completion message gains when texts were cut, naming the backup that
// keeps them whole.
std::string AvisoDeTextosEncurtados(const std::string& backup);

}  // namespace qel
