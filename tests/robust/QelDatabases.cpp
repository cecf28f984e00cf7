#include "tests/robust/QelDatabases.h"

#include <sqlite3.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "dbupgrade/CarryOver.h"
#include "platform/Text.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/TempFolder.h"

namespace qel::test {

namespace {

const char* const kColunasDatadas =
    " (CD_OPERADORA LONG, DT_INIC_VIGN DATETIME, NR_VALOR CURRENCY, DE_TEXTO TEXT(80), ID_FLAG YESNO, DE_OBS MEMO";

std::string Serie(int n) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(n) + ") ";
}

// The tables of both databases; the new one's TB_ACOMPANHAMENTO has a column more.
std::vector<std::string> Tabelas(bool nova) {
    std::vector<std::string> sql = {
        "PRAGMA page_size = 1024",
        "PRAGMA journal_mode = MEMORY",
        "PRAGMA synchronous = OFF",
        "BEGIN",
        "CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(10), DE_VERSAO_SISTEMA TEXT(10))",
        "CREATE TABLE TB_OPERADORA (CD_OPERADORA LONG PRIMARY KEY, DE_NOME TEXT(60), NR_REGISTRO DOUBLE, "
        "ID_ATIVA YESNO, DT_CADASTRO DATETIME, DE_OBS MEMO)"};
    for (const char* t : kTabelasMigradas) {
        const std::string tabela = t;
        if (tabela == "TB_OPERADORA") continue;
        const bool maisUma = nova && tabela == "TB_ACOMPANHAMENTO";
        sql.push_back("CREATE TABLE " + tabela + kColunasDatadas +
                      (maisUma ? ", DE_NOVA TEXT(20) DEFAULT 'nova')" : ")"));
        sql.push_back("CREATE INDEX IX_" + tabela + " ON " + tabela + " (CD_OPERADORA, DT_INIC_VIGN)");
    }
    return sql;
}

}  // namespace

std::vector<std::string> BancoInstalado(int linhas, bool comPaginasLivres) {
    std::vector<std::string> sql = Tabelas(false);
    sql.push_back("INSERT INTO TA_SISTEMA VALUES ('3.1.9', '3.1.9')");
    sql.push_back(Serie(linhas) +
                  "INSERT INTO TB_OPERADORA SELECT i, 'Operadora ' || i || ' Sa\xFA"
                  "de', i * 1000.25, i % 2, "
                  "strftime('%Y-%m-%d %H:%M:%S', '1998-05-04 10:30:00', '+' || (i * 37) || ' days'), "
                  "CASE WHEN i % 5 = 0 THEN 'obs ' || i END FROM n");
    for (const char* t : kTabelasMigradas) {
        if (std::string(t) == "TB_OPERADORA") continue;
        // Dates from March 2004 to early 2010: about half of the rows come before 2007.
        sql.push_back(Serie(linhas) + "INSERT INTO " + t +
                      " SELECT i % 7 + 1, strftime('%Y-%m-%d %H:%M:%S', '2004-03-01 08:00:00', '+' || "
                      "(i * 797 % 2150) || ' days'), round(i * 12.34, 2), 'lan\xE7"
                      "amento ' || i || ' de ' || '" +
                      t + "', i % 2, CASE WHEN i = 3 THEN printf('%.*c', 3000, 'm') END FROM n");
    }
    if (comPaginasLivres) {
        sql.push_back("CREATE TABLE LIXO (X MEMO)");
        sql.push_back(Serie(12) + "INSERT INTO LIXO SELECT printf('%.*c', 900, 'z') FROM n");
        sql.push_back("DROP TABLE LIXO");
    }
    sql.push_back("COMMIT");
    return sql;
}

std::vector<std::string> BancoNovo() {
    std::vector<std::string> sql = Tabelas(true);
    sql.push_back("INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.2.0')");
    sql.push_back("COMMIT");
    return sql;
}

std::string BytesDoBanco(const std::string& rascunho, const std::vector<std::string>& sql) {
    DeleteFileA(rascunho.c_str());
    CreateDatabase(rascunho, sql);
    std::string bytes = ReadFile(rascunho);
    DeleteFileA(rascunho.c_str());
    return bytes;
}

const char* NomeDaClasse(Classe c) {
    switch (c) {
        case Classe::Cabecalho: return "header";
        case Classe::Esquema: return "schema page";
        case Classe::Tabela: return "table page";
        case Classe::Indice: return "index page";
        case Classe::Livre: return "free page";
        case Classe::Transbordo: return "overflow page";
    }
    return "?";
}

std::vector<std::size_t> Paginas::Da(Classe c) const {
    std::vector<std::size_t> numeros;
    for (std::size_t i = 0; i < classes.size(); ++i)
        if (classes[i] == c) numeros.push_back(i + 1);
    return numeros;
}

std::optional<Paginas> Classifica(const std::string& bytes) {
    auto u8 = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    auto u32 = [&](std::size_t at) {
        return std::size_t{u8(at)} << 24 | std::size_t{u8(at + 1)} << 16 | std::size_t{u8(at + 2)} << 8 | u8(at + 3);
    };
    if (bytes.size() < 100 || bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) != 0) return std::nullopt;
    Paginas p;
    p.tamanho = (std::size_t{u8(16)} << 8 | u8(17)) == 1 ? 65536 : (std::size_t{u8(16)} << 8 | u8(17));
    if (p.tamanho < 512) return std::nullopt;
    const std::size_t total = bytes.size() / p.tamanho;
    p.classes.assign(total, Classe::Transbordo);
    for (std::size_t n = 2; n <= total; ++n) {
        switch (u8((n - 1) * p.tamanho)) {
            case 0x0D:
            case 0x05: p.classes[n - 1] = Classe::Tabela; break;
            case 0x0A:
            case 0x02: p.classes[n - 1] = Classe::Indice; break;
            default: break;
        }
    }
    if (total > 0) p.classes[0] = Classe::Esquema;
    // The free list: trunk pages, each listing leaf pages; whatever they held before.
    for (std::size_t trunk = u32(32), vistas = 0; trunk >= 2 && trunk <= total && vistas < total; ++vistas) {
        const std::size_t at = (trunk - 1) * p.tamanho;
        p.classes[trunk - 1] = Classe::Livre;
        const std::size_t folhas = std::min(u32(at + 4), (p.tamanho - 8) / 4);
        for (std::size_t i = 0; i < folhas; ++i) {
            const std::size_t folha = u32(at + 8 + 4 * i);
            if (folha >= 2 && folha <= total) p.classes[folha - 1] = Classe::Livre;
        }
        trunk = u32(at);
    }
    return p;
}

namespace {

// A value as the carry-over keeps it, not as the engine happens to store it: text and
// bytes by their bytes (the engine keeps some text as bytes; text is read as UTF-8 whatever
// the file's encoding), a whole number stored as a number as a whole number; NULL is not an
// empty text.
std::string Valor(sqlite3_stmt* s, int i) {
    char numero[40];
    switch (sqlite3_column_type(s, i)) {
        case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(s, i));
        case SQLITE_FLOAT: {
            const double d = sqlite3_column_double(s, i);
            if (d == static_cast<double>(static_cast<std::int64_t>(d)) && std::fabs(d) < 1e15)
                return std::to_string(static_cast<std::int64_t>(d));
            std::snprintf(numero, sizeof numero, "%.17g", d);
            return numero;
        }
        case SQLITE_NULL: return "NULL";
        default: break;
    }
    const auto* p = static_cast<const unsigned char*>(
        sqlite3_column_type(s, i) == SQLITE_TEXT ? sqlite3_column_text(s, i) : sqlite3_column_blob(s, i));
    const int n = sqlite3_column_bytes(s, i);
    std::string hex = "x";
    for (int k = 0; k < n; ++k) {
        std::snprintf(numero, sizeof numero, "%02X", p[k]);
        hex += numero;
    }
    return hex;
}

// A text value given by Valor back as program text.
std::string Texto(const std::string& valor) {
    std::string bytes;
    for (std::size_t i = 1; i + 1 < valor.size(); i += 2)
        bytes += static_cast<char>(std::stoi(valor.substr(i, 2), nullptr, 16));
    return text::FromUtf8(bytes);
}

}  // namespace

Leitura::Leitura(const std::string& arquivo) {
    if (sqlite3_open_v2(text::ToUtf8(arquivo).c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + arquivo);
    }
}

Leitura::~Leitura() { sqlite3_close(db_); }

// The table is read as the carry-over reads it, row by row from the table itself, never
// from one of its indexes (which a damaged file may contradict); a view as it is.
std::vector<std::string> Leitura::Consulta(const std::string& colunas, const std::string& tabela,
                                           const std::string& onde) {
    std::vector<std::string> linhas;
    std::string erro;
    for (const char* indices : {" NOT INDEXED", ""}) {
        const std::string sql = text::ToUtf8("SELECT " + colunas + " FROM " + tabela + indices + " WHERE " + onde);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            erro = sqlite3_errmsg(db_);
            sqlite3_finalize(s);
            continue;
        }
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            std::string linha;
            for (int i = 0; i < sqlite3_column_count(s); ++i) linha += (i ? "|" : "") + Valor(s, i);
            linhas.push_back(std::move(linha));
        }
        sqlite3_finalize(s);
        erro = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
        break;
    }
    if (!erro.empty()) throw std::runtime_error(tabela + ": " + erro);
    return linhas;
}

std::string OndeCarregadas(const std::string& tabela) {
    if (tabela == kTabelaSemCorte) return "1";
    return "CASE WHEN DT_INIC_VIGN IS NULL THEN 1 WHEN typeof(DT_INIC_VIGN) IN ('integer', 'real') "
           "THEN DT_INIC_VIGN < 39083 ELSE DT_INIC_VIGN < '2007-01-01' END";
}

std::optional<std::vector<std::int64_t>> Leitura::LinhasACarregar() {
    std::vector<std::int64_t> linhas;
    try {
        // Counted over the whole rows, so that no index stands in for the table.
        for (const char* t : kTabelasMigradas)
            linhas.push_back(static_cast<std::int64_t>(Consulta("*", t, OndeCarregadas(t)).size()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return linhas;
}

std::vector<std::string> Leitura::Colunas(const std::string& tabela) {
    std::vector<std::string> nomes;
    for (const std::string& v : Consulta("name", "pragma_table_info('" + tabela + "')", "1")) nomes.push_back(Texto(v));
    return nomes;
}

std::vector<std::string> Leitura::Linhas(const std::string& tabela, const std::vector<std::string>& colunas,
                                         const std::string& onde) {
    std::string juntas;
    for (const std::string& nome : colunas) {
        juntas += juntas.empty() ? "\"" : ", \"";
        for (char ch : nome) juntas += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        juntas += "\"";
    }
    std::vector<std::string> linhas = Consulta(juntas, tabela, onde);
    std::sort(linhas.begin(), linhas.end());
    return linhas;
}

Conteudo LeConteudo(const std::string& banco, const std::vector<std::vector<std::string>>& colunas, bool soCarregadas) {
    Leitura leitura(banco);
    Conteudo c;
    for (std::size_t i = 0; i < kTabelasMigradas.size(); ++i)
        c.linhas.push_back(leitura.Linhas(kTabelasMigradas[i], colunas[i],
                                          soCarregadas ? OndeCarregadas(kTabelasMigradas[i]) : "1"));
    c.versoes = leitura.Linhas("TA_SISTEMA", {"DE_VERSAO_BANCO", "DE_VERSAO_SISTEMA"});
    return c;
}

std::vector<std::vector<std::string>> ColunasLevadas(const std::string& banco) {
    Leitura leitura(banco);
    std::vector<std::vector<std::string>> colunas;
    for (const char* t : kTabelasMigradas) colunas.push_back(leitura.Colunas(t));
    return colunas;
}

}  // namespace qel::test
