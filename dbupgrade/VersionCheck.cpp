#include "dbupgrade/VersionCheck.h"

#include <cstdint>

#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel {

namespace {

std::string SemPontos(const std::string& versao) {
    std::string out;
    for (char c : versao)
        if (c != '.') out += c;
    return out;
}

// Blanks, then an optional sign, then decimal digits up to the end, within 32 bits.
bool LeInteiro(const std::string& texto, int& valor) {
    size_t i = 0;
    while (i < texto.size() && texto[i] == ' ') ++i;
    bool negativo = false;
    if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) negativo = texto[i++] == '-';
    if (i == texto.size()) return false;
    std::int64_t magnitude = 0;
    for (; i < texto.size(); ++i) {
        if (texto[i] < '0' || texto[i] > '9') return false;
        magnitude = magnitude * 10 + (texto[i] - '0');
        if (magnitude > 2147483648LL) return false;
    }
    std::int64_t v = negativo ? -magnitude : magnitude;
    if (v > 2147483647LL) return false;
    valor = static_cast<int>(v);
    return true;
}

std::string BancoInstalado(const WizardState& estado) { return estado.TargetDir + "\\" + "QEL.mdb"; }

void Configura(db::Connection& conexao, const std::string& banco, db::ShareMode modo) {
    conexao.SetLoginPrompt(false);
    conexao.SetShareMode(modo);
    conexao.SetConnectionString(text::Widen(db::FullConnectionText(banco)));
}

// A value put between single quotes in a statement.
std::string Literal(const std::string& valor) {
    std::string out = "'";
    for (char c : valor) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

}  // namespace

int ValorVersao(const std::string& versao) {
    std::string texto = SemPontos(versao);
    int valor = 0;
    if (!LeInteiro(texto, valor)) throw Failure("'" + texto + "' is not a valid integer value");
    return valor;
}

int ComparaVersaoBanco(const WizardState& estado) {
    std::string instalada;
    {
        // No share mode: other programs may have the database open meanwhile. A failure
        // releases both at once, so nothing stays open after it.
        db::Connection conexao;
        db::Query consulta(conexao);
        Configura(conexao, BancoInstalado(estado), db::ShareMode::Default);
        consulta.SetSql("SELECT DE_VERSAO_BANCO FROM TA_SISTEMA");
        conexao.Connect();
        consulta.Open();
        instalada = consulta.AsString("DE_VERSAO_BANCO");
        consulta.Close();
        conexao.Disconnect();
    }
    const int valorInstalado = ValorVersao(instalada);
    const int valorNovo = ValorVersao(estado.VersaoBanco);
    if (valorInstalado < valorNovo) return 1;
    if (valorInstalado == valorNovo) return 0;
    return 2;
}

void AtualizaVersaoSistema(const WizardState& estado) {
    db::Connection conexao;
    Configura(conexao, BancoInstalado(estado), db::ShareMode::Exclusive);
    // Every row: the table is meant to hold one, and DE_VERSAO_BANCO is never touched.
    conexao.Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = " + Literal(estado.VersaoSistema));
    conexao.Disconnect();
}

}  // namespace qel
