#include "dbupgrade/ShortenedTexts.h"

#include <algorithm>

namespace qel {

void ContagemDeCortes::Conta(int indice, const db::Query& destino, const std::string& coluna,
                             const db::Value& valor) {
    const size_t i = static_cast<size_t>(indice);
    if (i >= tamanhos_.size()) {
        tamanhos_.resize(i + 1, -1);
        colunas_.resize(i + 1);
    }
    int& tamanho = tamanhos_[i];
    if (tamanho < 0) {
        const db::ColumnType tipo = destino.FieldType(coluna);
        tamanho = tipo.kind == db::ColumnKind::Text ? tipo.size : 0;
    }
    // A text has at least as many bytes as characters: most values need no counting.
    if (tamanho <= 0 || !valor || valor->size() <= static_cast<size_t>(tamanho)) return;
    const size_t caracteres = CaracteresJet(*valor);
    if (caracteres <= static_cast<size_t>(tamanho)) return;
    TextosEncurtados& t = colunas_[i];
    t.tabela = tabela_;
    t.coluna = coluna;
    t.tamanho = tamanho;
    ++t.quantidade;
    t.maisLongo = std::max(t.maisLongo, caracteres);
}

std::vector<TextosEncurtados> ContagemDeCortes::Cortes() const {
    std::vector<TextosEncurtados> cortes;
    for (const TextosEncurtados& t : colunas_)
        if (t.quantidade > 0) cortes.push_back(t);
    return cortes;
}

std::size_t CaracteresJet(const std::string& utf8) {
    std::size_t n = 0;
    for (char c : utf8) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) n += b >= 0xF0 ? 2 : 1;
    }
    return n;
}

std::string RelatoDeTextosEncurtados(const TextosEncurtados& t) {
    return t.coluna + ": " + std::to_string(t.quantidade) +
           (t.quantidade == 1 ? " texto cortado" : " textos cortados") + " para " + std::to_string(t.tamanho) +
           " caracteres; o mais longo tinha " + std::to_string(t.maisLongo);
}

std::string AvisoDeTextosEncurtados(const std::string& backup) {
    return "Alguns textos foram encurtados para caber no novo banco de dados. O banco anterior foi mantido na "
           "cópia de segurança " + backup + ".";
}

}  // namespace qel
