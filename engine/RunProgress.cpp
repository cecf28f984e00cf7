#include "engine/RunProgress.h"

#include <algorithm>
#include <chrono>

namespace qel {
namespace {

struct Faixa {
    int inicio, fim;  // thousandths of the bar
};

// Where each step's share of the bar lies, in the order the steps come. A fresh install
// spends its time on the copies and the data-access setup, and places the database last;
// an update spends it on the carry-over and the replacement's copies, and the program it
// wrote at the start takes its name after them, within the share already reached.
Faixa FaixaDa(Etapa etapa, bool atualizacao) {
    switch (etapa) {
        case Etapa::Preparacao: return atualizacao ? Faixa{0, 100} : Faixa{0, 250};
        case Etapa::AcessoADados: return {250, 500};
        case Etapa::Programa: return atualizacao ? Faixa{100, 150} : Faixa{500, 650};
        case Etapa::Biblioteca: return atualizacao ? Faixa{150, 160} : Faixa{650, 700};
        case Etapa::Banco: return {770, 920};
        case Etapa::VersaoDoBanco: return {160, 180};
        case Etapa::Migracao: return {180, 850};
        case Etapa::Substituicao: return {850, 940};
        case Etapa::Ajuda: return atualizacao ? Faixa{940, 970} : Faixa{700, 770};
        case Etapa::Limpeza: return atualizacao ? Faixa{970, 1000} : Faixa{920, 1000};
    }
    return {0, 1000};
}

// Shown no more often than this while rows are carried: the window repaints at its pace,
// and a face that logs nothing of it pays nothing for the rest.
constexpr std::chrono::milliseconds kIntervalo{50};
// Rows between two looks at the clock.
constexpr long kLinhasPorOlhada = 64;

}  // namespace

const char* TextoDaEtapa(Etapa etapa) {
    switch (etapa) {
        case Etapa::Preparacao: return "Copiando os arquivos da mídia para a pasta temporária";
        case Etapa::AcessoADados: return "Verificando os componentes de acesso a dados";
        case Etapa::Programa: return "Instalando o programa QEL.exe";
        case Etapa::Biblioteca: return "Instalando a biblioteca midas.dll";
        case Etapa::Banco: return "Instalando o banco de dados QEL.mdb";
        case Etapa::VersaoDoBanco: return "Verificando a versão do banco de dados";
        case Etapa::Migracao: return "Migrando os dados do banco de dados";
        case Etapa::Substituicao: return "Substituindo o banco de dados e guardando a cópia de segurança";
        case Etapa::Ajuda: return "Instalando os arquivos de ajuda";
        case Etapa::Limpeza: return "Removendo os arquivos temporários";
    }
    return "";
}

std::string ComMilhares(long numero) {
    std::string digitos = std::to_string(numero < 0 ? -static_cast<long long>(numero) : numero);
    for (int i = static_cast<int>(digitos.size()) - 3; i > 0; i -= 3) digitos.insert(static_cast<size_t>(i), ".");
    return numero < 0 ? "-" + digitos : digitos;
}

std::string TextoDaTabela(const std::string& tabela, long linha, long total) {
    return "Tabela " + tabela + ": linha " + ComMilhares(linha) + (total >= 0 ? " de " + ComMilhares(total) : "");
}

void AndamentoDaExecucao::Comeca(Etapa etapa) {
    etapa_ = etapa;
    desdeAEtapa_.Reinicia();
    Mostra("", FaixaDa(etapa, atualizacao_).inicio);
}

void AndamentoDaExecucao::Tabela(std::size_t indice, std::size_t tabelas, const std::string& nome, long linha,
                                 long total) {
    const bool limite = linha == 1 || linha == total;
    if (!limite && linha % kLinhasPorOlhada != 0) return;
    if (!limite && desdeOUltimo_.Decorrido() < kIntervalo) return;
    const Faixa faixa = FaixaDa(Etapa::Migracao, atualizacao_);
    // The tables done, and of this one the part read when its size is known.
    double feito = static_cast<double>(indice);
    if (total > 0) feito += static_cast<double>(std::min(linha, total)) / static_cast<double>(total);
    const int milesimos =
        faixa.inicio + static_cast<int>(feito / static_cast<double>(tabelas) * (faixa.fim - faixa.inicio));
    Mostra(TextoDaTabela(nome, linha, total), milesimos);
}

void AndamentoDaExecucao::Relata(const std::string& etapa, const std::string& resultado) {
    ui_.RelataEtapa(etapa, resultado, desdeAEtapa_.Decorrido());
}

void AndamentoDaExecucao::Mostra(const std::string& detalhe, int milesimos) {
    milesimos_ = std::max(milesimos_, milesimos);
    desdeOUltimo_.Reinicia();
    ui_.MostraAndamento({TextoDaEtapa(etapa_), detalhe, milesimos_});
}

}  // namespace qel
