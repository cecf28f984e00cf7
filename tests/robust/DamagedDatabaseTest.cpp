// Updates of many damaged installed databases, in process through the installation run:
// damage of the file (cut, bytes flipped in each kind of page, pages swapped, files of other
// formats, zero length, a folder in its place) and of the content (tables and columns
// missing or of another kind, odd version texts, values at and beyond their limits, texts
// that are very long or no text, NULLs, names that need quoting, views, triggers). Each
// case must end complete or with a message, leave the installed database as it was (or as
// the backup of a completed replacement), nothing else in the install folder and no lock.
//
// The cases are the tables below, then seeded random damage: QEL_ROBUST_CASES cases
// (default 240, the fixed slice CI runs) with seed QEL_ROBUST_SEED (scripts/robust.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "dbupgrade/CarryOver.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/robust/QelDatabases.h"
#include "tests/robust/UpdateHarness.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using test::Classe;
using test::Termino;

enum class Espera { Completa, Falha, Qualquer };

// A change of the content: statements run in the installed database once it is built
// (`antes`: one run before it is built), and in the medium's new database.
struct Conteudo {
    std::string nome;
    std::vector<std::string> instalado;
    std::vector<std::string> novo;
    Espera espera;
    const char* antes = nullptr;
    bool cortado = false;  // a text longer than its column is cut on purpose
};

std::string Recria(const std::string& tabela, const std::string& colunas) {
    return "DROP TABLE " + tabela + "; CREATE TABLE " + tabela + " " + colunas;
}

// Statements that put the values into rows 1, 2, ... of a table's column.
std::vector<std::string> Valores(const std::string& tabela, const std::string& coluna,
                                 std::initializer_list<const char*> valores) {
    std::vector<std::string> sql;
    for (const char* v : valores)
        sql.push_back("UPDATE " + tabela + " SET " + coluna + " = " + v +
                      " WHERE rowid = " + std::to_string(sql.size() + 1));
    return sql;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const char* const kColunasQueAspas =
    "ALTER TABLE TB_QEL_ANEXO_III ADD COLUMN \"DE OBSERVA\xC7\xC3O\" TEXT(20); "
    "ALTER TABLE TB_QEL_ANEXO_III ADD COLUMN \"select\" LONG; "
    "ALTER TABLE TB_QEL_ANEXO_III ADD COLUMN [a\"b'c;] TEXT(5)";

const std::vector<Conteudo>& Conteudos() {
    using enum Espera;
    // clang-format off
    static const std::vector<Conteudo> casos = [] {
        std::vector<Conteudo> c = {
            {"healthy", {}, {}, Completa},
            // The version table.
            {"version table missing", {"DROP TABLE TA_SISTEMA"}, {}, Falha},
            {"version table empty", {"DELETE FROM TA_SISTEMA"}, {}, Falha},
            {"two version rows, the first older", {"INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.2.0')"}, {}, Completa},
            {"version column missing", {"ALTER TABLE TA_SISTEMA DROP COLUMN DE_VERSAO_BANCO"}, {}, Falha},
            {"version table a view", {"DROP TABLE TA_SISTEMA", "CREATE VIEW TA_SISTEMA AS SELECT '3.1.9' AS "
                                      "DE_VERSAO_BANCO, '3.1.9' AS DE_VERSAO_SISTEMA"}, {}, Completa},
            {"version table a view of the same version (no stamp possible)",
             {"DROP TABLE TA_SISTEMA", "CREATE VIEW TA_SISTEMA AS SELECT '3.2.0' AS DE_VERSAO_BANCO, '3.2.0' AS "
                                       "DE_VERSAO_SISTEMA"}, {}, Falha},
            {"trigger refusing the stamp", {"UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.2.0'", "CREATE TRIGGER TR_NAO "
              "BEFORE UPDATE ON TA_SISTEMA BEGIN SELECT RAISE(ABORT, 'altera\xE7\xE3o proibida'); END"}, {}, Falha},
            // Tables and columns.
            {"trigger on a carried table", {"CREATE TRIGGER TR_X AFTER INSERT ON TB_OPERADORA BEGIN DELETE FROM "
                                            "TB_ACOMPANHAMENTO; END"}, {}, Completa},
            {"trigger in the new database refusing rows", {}, {"CREATE TRIGGER TR_N BEFORE INSERT ON "
              "RL_CARTEIRA_ASSISTENCIAL BEGIN SELECT RAISE(FAIL, 'recusada'); END"}, Falha},
            {"a carried table missing in the new database", {}, {"DROP TABLE TB_QEL_ANEXO_IV"}, Falha},
            {"DT_INIC_VIGN missing in a table with rows", {"DROP INDEX IX_RL_ITEM_DESP_ASSISTENCIAL",
              "ALTER TABLE RL_ITEM_DESP_ASSISTENCIAL DROP COLUMN DT_INIC_VIGN"}, {}, Falha},
            {"DT_INIC_VIGN missing in an empty table", {"DROP INDEX IX_RL_ITEM_DESP_ASSISTENCIAL",
              "ALTER TABLE RL_ITEM_DESP_ASSISTENCIAL DROP COLUMN DT_INIC_VIGN",
              "DELETE FROM RL_ITEM_DESP_ASSISTENCIAL"},
             {}, Completa},
            {"a column the new database lacks", {"ALTER TABLE TB_QEL_ANEXO_II_A ADD COLUMN DE_SOBRA TEXT(10)"}, {},
             Falha},
            {"a column only the new database has", {"ALTER TABLE TB_QEL_ANEXO_III DROP COLUMN DE_OBS"}, {}, Completa},
            {"a column named in another case", {"ALTER TABLE TB_QEL_ANEXO_IV RENAME COLUMN DE_TEXTO TO de_Texto"}, {},
             Completa},
            {"text in a whole-number column", Valores("TB_OPERADORA", "CD_OPERADORA", {"'A1'"}), {}, Falha},
            {"a fraction in a whole-number column", Valores("TB_OPERADORA", "CD_OPERADORA", {"2.5"}), {}, Falha},
            {"words in DT_INIC_VIGN", Valores("TB_ACOMPANHAMENTO", "DT_INIC_VIGN", {"'ontem'"}), {}, Falha},
            // The engine stores date-times as text: a number there is a value of another kind.
            {"numbers in DT_INIC_VIGN", {"UPDATE TB_QEL_ANEXO_III SET DT_INIC_VIGN = 38000.5 + rowid * 40"}, {}, Falha},
            {"columns declared of other kinds", {Recria("TB_QEL_ANEXO_IV", "(CD_OPERADORA TEXT(10), DT_INIC_VIGN "
              "DATETIME, NR_VALOR TEXT(20), DE_TEXTO MEMO, ID_FLAG TEXT(5), DE_OBS TEXT(255))"), "INSERT INTO "
              "TB_QEL_ANEXO_IV VALUES ('0001', '2005-01-01', '12,50', 'x', 'Sim', 'y')"}, {}, Qualquer},
            {"a counter in both databases", {"ALTER TABLE TB_QEL_ANEXO_II_A ADD COLUMN NR_SEQ COUNTER"},
             {"ALTER TABLE TB_QEL_ANEXO_II_A ADD COLUMN NR_SEQ COUNTER"}, Falha},
            {"a counter only in the new database", {}, {"ALTER TABLE TB_OPERADORA ADD COLUMN NR_SEQ COUNTER"},
             Completa},
            {"a view in a carried table's place", {"ALTER TABLE TB_ACOMPANHAMENTO RENAME TO TB_ACOMP_ANTIGA",
              "CREATE VIEW TB_ACOMPANHAMENTO AS SELECT * FROM TB_ACOMP_ANTIGA"}, {}, Completa},
            {"a view in the new database's table place", {}, {"DROP TABLE TB_QEL_ANEXO_II_A",
              "CREATE VIEW TB_QEL_ANEXO_II_A AS SELECT * FROM TB_QEL_ANEXO_III"}, Falha},
            {"carried tables without rows", {"DELETE FROM RL_CARTEIRA_ASSISTENCIAL", "DELETE FROM TB_OPERADORA"}, {},
             Completa},
            {"a unique key of the new database meets repeated values", {},
             {"CREATE UNIQUE INDEX UX_III ON TB_QEL_ANEXO_III (CD_OPERADORA)"}, Falha},
            {"a required column of the new database meets NULLs", {}, {Recria("TB_QEL_ANEXO_IV", "(CD_OPERADORA LONG, "
              "DT_INIC_VIGN DATETIME, NR_VALOR CURRENCY, DE_TEXTO TEXT(80), ID_FLAG YESNO, DE_OBS MEMO NOT NULL)")},
             Falha},
            {"rows without row numbers", {"ALTER TABLE RL_CARTEIRA_ASSISTENCIAL RENAME TO R_ANTIGA", "CREATE TABLE "
              "RL_CARTEIRA_ASSISTENCIAL (CD_OPERADORA LONG, DT_INIC_VIGN DATETIME, NR_VALOR CURRENCY, "
              "DE_TEXTO TEXT(80), ID_FLAG YESNO, DE_OBS MEMO, PRIMARY KEY (DT_INIC_VIGN, DE_TEXTO)) WITHOUT ROWID",
              "INSERT INTO RL_CARTEIRA_ASSISTENCIAL SELECT * FROM R_ANTIGA", "DROP TABLE R_ANTIGA"}, {}, Completa},
            {"names that need quoting", {kColunasQueAspas, "UPDATE TB_QEL_ANEXO_III SET \"DE OBSERVA\xC7\xC3O\" = "
              "'sim', \"select\" = rowid, [a\"b'c;] = 'q'"}, {kColunasQueAspas}, Completa},
            {"names that need quoting, missing in the new database", {kColunasQueAspas}, {}, Falha},
            // Values.
            {"whole numbers at their limits", Valores("TB_OPERADORA", "CD_OPERADORA", {"9223372036854775807",
              "-9223372036854775808", "2147483647", "-2147483648", "0"}), {}, Completa},
            {"numbers at their limits", Valores("TB_OPERADORA", "NR_REGISTRO", {"1.7976931348623157e308",
              "-1.7976931348623157e308", "4.9406564584124654e-324", "2.2250738585072014e-308", "-0.0", "0.1",
              "9007199254740993"}) + Valores("TB_ACOMPANHAMENTO", "NR_VALOR", {"922337203685477.5807",
              "-922337203685477"}), {}, Completa},
            {"date-times at their limits", Valores("TB_ACOMPANHAMENTO", "DT_INIC_VIGN", {"'0100-01-01 00:00:00'",
              "'1899-12-30 00:00:00'", "'1899-12-29 23:59:59'", "'2006-12-31 23:59:59'", "'2006-12-31 23:59:59.999'",
              "'9999-12-31 23:59:59'"}) + Valores("TB_OPERADORA", "DT_CADASTRO", {"'9999-12-31 23:59:59'",
              "'0100-01-01 00:00:00'"}), {}, Completa},
            {"whole numbers beyond 64 bits", Valores("TB_OPERADORA", "CD_OPERADORA", {"9223372036854775808", "-1e300"}),
             {}, Qualquer},
            {"numbers beyond: infinities", Valores("TB_OPERADORA", "NR_REGISTRO", {"9e999", "-9e999"}), {}, Qualquer},
            {"date-times beyond", Valores("TB_ACOMPANHAMENTO", "DT_INIC_VIGN", {"'10000-01-01 00:00:00'",
              "'2006-02-30 00:00:00'", "'2006-01-01 25:00:00'", "-1e308"}), {}, Qualquer},
            {"yes/no beyond", Valores("TB_OPERADORA", "ID_ATIVA", {"2", "-1", "'talvez'"}), {}, Qualquer},
            {"very long texts", Valores("TB_QEL_ANEXO_III", "DE_TEXTO", {"printf('%.*c', 200000, 'x')"}) +
              Valores("TB_QEL_ANEXO_IV", "DE_OBS", {"printf('%.*c', 3000000, 'y')"}) +
              Valores("TB_OPERADORA", "DE_NOME", {"printf('%.*c', 60, 'n')"}), {}, Completa, nullptr, true},
            {"characters beyond Windows-1252", Valores("TB_QEL_ANEXO_III", "DE_TEXTO", {"'a\xE7\xE3o ' || "
              "CAST(x'E29883F09F9880E4B8AD' AS TEXT)", "CAST(x'D7A9D79CD795D79D' AS TEXT)"}), {}, Completa},
            {"bytes in text columns", Valores("TB_QEL_ANEXO_III", "DE_TEXTO", {"x'00FF10'"}) +
              Valores("TB_OPERADORA", "DE_OBS", {"x'C0FFEE'"}), {}, Qualquer},
            {"text that is not UTF-8", Valores("TB_QEL_ANEXO_III", "DE_TEXTO", {"CAST(x'C328FF41' AS TEXT)"}), {},
             Qualquer},
            {"text with a NUL inside", Valores("TB_QEL_ANEXO_III", "DE_TEXTO", {"CAST(x'61006200' AS TEXT)"}), {},
             Qualquer},
            // The file's own settings.
            {"text stored as UTF-16", {}, {}, Completa, "PRAGMA encoding = 'UTF-16le'"},
            {"write-ahead log journal", {"PRAGMA journal_mode = WAL"}, {}, Completa},
            {"pages of 64 KB", {"PRAGMA page_size = 65536", "VACUUM"}, {}, Completa},
            {"pages of 512 bytes", {"PRAGMA page_size = 512", "VACUUM"}, {}, Completa},
            {"auto-vacuum pointer pages", {"PRAGMA auto_vacuum = FULL", "VACUUM"}, {}, Completa},
            {"schema text damaged", {"PRAGMA writable_schema = ON", "UPDATE sqlite_master SET sql = "
              "'CREATE TABLE TB_QEL_ANEXO_IV (' WHERE name = 'TB_QEL_ANEXO_IV'"}, {}, Falha},
            {"schema names a root page that is no table", {"PRAGMA writable_schema = ON",
              "UPDATE sqlite_master SET rootpage = 1 WHERE name = 'TB_QEL_ANEXO_III'"}, {}, Qualquer},
        };
        // Texts of the installed schema version, as stored.
        const struct { const char* nome; const char* valor; Espera espera; } versoes[] = {
            {"empty", "''", Falha}, {"NULL", "NULL", Falha}, {"with leading blanks", "'  3.1.9'", Completa},
            {"with a sign", "'+3.1.9'", Completa}, {"negative", "'-1'", Completa}, {"with a letter", "'3.1.9a'", Falha},
            {"with a trailing blank", "'3.1.9 '", Falha}, {"in words", "'tr\xEAs'", Falha},
            {"beyond 32 bits", "'21474836.48'", Falha}, {"at 32 bits (newer)", "'2147483647'", Completa},
            {"3.10.0 (newer)", "'3.10.0'", Completa}, {"3.2.0 (the same)", "'3.2.0'", Completa},
            {"of 100,000 digits", "printf('%.*c', 100000, '9')", Falha}, {"stored as a number", "319", Completa},
            {"stored as bytes", "x'332E312E39'", Qualquer}, {"not UTF-8", "CAST(x'33FF2E39' AS TEXT)", Qualquer},
        };
        // clang-format on
        for (const auto& v : versoes)
            c.push_back(
                {std::string("version ") + v.nome, Valores("TA_SISTEMA", "DE_VERSAO_BANCO", {v.valor}), {}, v.espera});
        const std::vector<std::string> operadora = {"CD_OPERADORA", "DE_NOME",     "NR_REGISTRO",
                                                    "ID_ATIVA",     "DT_CADASTRO", "DE_OBS"};
        const std::vector<std::string> datada = {"CD_OPERADORA", "DT_INIC_VIGN", "NR_VALOR",
                                                 "DE_TEXTO",     "ID_FLAG",      "DE_OBS"};
        std::vector<std::string> nulos;
        for (const std::string t : kTabelasMigradas) {
            c.push_back({"carried table missing: " + t, {"DROP TABLE " + t}, {}, Falha});
            for (const std::string& coluna : t == kTabelaSemCorte ? operadora : datada)
                nulos.push_back("UPDATE " + t + " SET " + coluna + " = NULL");
        }
        c.push_back({"NULLs everywhere", nulos, {}, Completa});
        return c;
    }();
    return casos;
}

// Damage of the file.
enum class Dano { Nenhum, Corte, Fracao, Inverte, InverteEm, Troca, Formato, Vazio, Pasta };

struct DanoDeArquivo {
    const char* nome;
    Dano dano;
    long parametro = 0;  // bytes kept, per-mille kept, bytes flipped, offset or format
    Classe classe = Classe::Tabela, outra = Classe::Tabela;
    Espera espera = Espera::Qualquer;
};

const std::vector<std::pair<const char*, std::string>> kFormatos = {
    {"a Jet database", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(4076, '\0')},
    {"a ZIP archive", std::string("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + std::string(300, 'z')},
    {"plain text", "Isto n\xE3o \xE9 um banco de dados.\r\n"},
    {"a program", std::string("MZ\x90\x00\x03\x00\x00\x00", 8) + std::string(2040, '\x90')},
    {"the engine's signature and zeros", std::string("SQLite format 3\0", 16) + std::string(4080, '\0')},
    {"the engine's signature and ones", std::string("SQLite format 3\0", 16) + std::string(4080, '\xFF')},
};

const std::vector<DanoDeArquivo>& DanosNomeados() {
    static const std::vector<DanoDeArquivo> danos = [] {
        std::vector<DanoDeArquivo> d = {
            {"zero length", Dano::Vazio, 0, {}, {}, Espera::Falha},
            {"a folder in its place", Dano::Pasta, 0, {}, {}, Espera::Falha},
        };
        for (long n : {1L, 15L, 16L, 17L, 99L, 100L, 101L, 511L, 1023L, 1024L, 1025L, 2048L, 3000L, 4096L, 8191L})
            d.push_back({"cut", Dano::Corte, n});
        for (long n : {100L, 250L, 500L, 750L, 900L, 990L, 999L})
            d.push_back({"cut (per mille kept)", Dano::Fracao, n});
        // Every field of the header: its last byte inverted (the signature too).
        for (long at : {0L,  15L, 16L, 17L, 18L, 19L, 20L, 21L, 22L, 23L, 27L, 31L, 35L,
                        39L, 43L, 47L, 51L, 55L, 59L, 63L, 67L, 71L, 80L, 95L, 99L})
            d.push_back({"header byte inverted", Dano::InverteEm, at});
        for (Classe c : {Classe::Esquema, Classe::Tabela, Classe::Indice, Classe::Transbordo})
            for (long n : {1L, 4L, 32L}) d.push_back({"bytes flipped", Dano::Inverte, n, c});
        // Free pages hold nothing an update reads.
        for (long n : {1L, 8L, 200L})
            d.push_back({"bytes flipped", Dano::Inverte, n, Classe::Livre, {}, Espera::Completa});
        for (auto [a, b] : std::vector<std::pair<Classe, Classe>>{{Classe::Tabela, Classe::Tabela},
                                                                  {Classe::Tabela, Classe::Indice},
                                                                  {Classe::Esquema, Classe::Tabela},
                                                                  {Classe::Indice, Classe::Livre},
                                                                  {Classe::Transbordo, Classe::Tabela},
                                                                  {Classe::Livre, Classe::Livre}})
            d.push_back({"pages swapped", Dano::Troca, 0, a, b});
        for (long f = 0; f < static_cast<long>(kFormatos.size()); ++f)
            d.push_back({"another format", Dano::Formato, f, {}, {}, Espera::Falha});
        return d;
    }();
    return danos;
}

// The file damaged; its description says where. Nothing for a folder in its place. A
// file without a page of the class asked for is damaged in any page, and then whatever
// was expected of the class is not.
std::optional<std::string> Danifica(std::string bytes, const DanoDeArquivo& d, std::mt19937& sorte, std::string& onde,
                                    Espera& espera) {
    auto entre = [&](std::size_t de, std::size_t ate) {  // [de, ate]
        return std::uniform_int_distribution<std::size_t>(de, ate)(sorte);
    };
    const std::optional<test::Paginas> paginas = test::Classifica(bytes);
    // A page of the class, or any page when the file has none of it.
    auto pagina = [&](Classe c) -> std::size_t {
        if (!paginas || paginas->classes.empty()) return 0;
        std::vector<std::size_t> de = paginas->Da(c);
        if (!de.empty()) return de[entre(0, de.size() - 1)];
        onde += std::string("no ") + test::NomeDaClasse(c) + ": ";
        espera = Espera::Qualquer;
        return entre(1, paginas->classes.size());
    };
    switch (d.dano) {
        case Dano::Nenhum: return bytes;
        case Dano::Vazio: return std::string();
        case Dano::Pasta: return std::nullopt;
        case Dano::Formato:
            onde = kFormatos[static_cast<size_t>(d.parametro)].first;
            return kFormatos[static_cast<size_t>(d.parametro)].second;
        case Dano::Corte:
        case Dano::Fracao: {
            const std::size_t fica = d.dano == Dano::Corte
                                         ? static_cast<std::size_t>(d.parametro)
                                         : bytes.size() * static_cast<std::size_t>(d.parametro) / 1000;
            onde = std::to_string(fica) + " of " + std::to_string(bytes.size()) + " bytes kept";
            bytes.resize(std::min(fica, bytes.size()));
            return bytes;
        }
        case Dano::InverteEm:
            bytes[static_cast<size_t>(d.parametro)] = static_cast<char>(~bytes[static_cast<size_t>(d.parametro)]);
            onde = "at " + std::to_string(d.parametro);
            return bytes;
        case Dano::Inverte: {
            const std::size_t p = pagina(d.classe);
            if (!p) return bytes;
            const std::size_t tamanho = paginas->tamanho, inicio = (p - 1) * tamanho;
            onde += std::string(test::NomeDaClasse(paginas->classes[p - 1])) + " " + std::to_string(p) + " at";
            for (long i = 0; i < d.parametro; ++i) {
                // The header keeps its first 100 bytes: their damage has cases of its own.
                const std::size_t at = inicio + entre(p == 1 ? 100 : 0, tamanho - 1);
                bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(entre(1, 255)));
                if (i < 4) onde += " " + std::to_string(at);
            }
            return bytes;
        }
        case Dano::Troca: {
            const std::size_t a = pagina(d.classe), b = pagina(d.outra);
            if (!a || !b) return bytes;
            const std::size_t t = paginas->tamanho;
            std::swap_ranges(bytes.begin() + static_cast<long>((a - 1) * t), bytes.begin() + static_cast<long>(a * t),
                             bytes.begin() + static_cast<long>((b - 1) * t));
            onde += "pages " + std::to_string(a) + " and " + std::to_string(b);
            return bytes;
        }
    }
    return bytes;
}

struct Caso {
    std::string nome;
    std::size_t conteudo;  // index into Conteudos()
    DanoDeArquivo dano;
    Espera espera;
};

// The named cases, then random damage of random healthy-ish contents.
std::vector<Caso> Casos(std::size_t quantos, unsigned semente) {
    std::vector<Caso> casos;
    const auto& conteudos = Conteudos();
    for (std::size_t i = 0; i < conteudos.size(); ++i)
        casos.push_back({std::string("content: ") + conteudos[i].nome, i, {"", Dano::Nenhum}, conteudos[i].espera});
    for (const DanoDeArquivo& d : DanosNomeados()) casos.push_back({std::string("file: ") + d.nome, 0, d, d.espera});
    std::vector<std::size_t> completas;
    for (std::size_t i = 0; i < conteudos.size(); ++i)
        if (conteudos[i].espera == Espera::Completa && !conteudos[i].antes) completas.push_back(i);
    std::mt19937 sorte(semente);
    auto entre = [&](long de, long ate) { return std::uniform_int_distribution<long>(de, ate)(sorte); };
    while (casos.size() < quantos) {
        const std::size_t c =
            entre(0, 1) ? 0 : completas[static_cast<size_t>(entre(0, static_cast<long>(completas.size()) - 1))];
        const Classe classes[] = {Classe::Esquema, Classe::Tabela, Classe::Indice, Classe::Livre, Classe::Transbordo};
        const Classe a = classes[entre(0, 4)], b = classes[entre(0, 4)];
        DanoDeArquivo d{"", Dano::Nenhum};
        switch (entre(0, 5)) {
            case 0: d = {"random cut (per mille kept)", Dano::Fracao, entre(1, 999)}; break;
            case 1: d = {"random header byte inverted", Dano::InverteEm, entre(16, 99)}; break;
            case 2: d = {"pages swapped", Dano::Troca, 0, a, b}; break;
            default:
                d = {"bytes flipped",
                     Dano::Inverte,
                     entre(1, 16),
                     a,
                     {},
                     a == Classe::Livre ? Espera::Completa : Espera::Qualquer};
        }
        casos.push_back({"random: " + std::string(d.nome) + " in '" + conteudos[c].nome + "'", c, d, d.espera});
    }
    casos.resize(std::min(casos.size(), quantos));
    return casos;
}

std::vector<std::int64_t> LinhasPorTabela(const std::string& banco) {
    std::vector<std::int64_t> n;
    for (const char* t : kTabelasMigradas) {
        const std::string v = test::StoredValue(banco, std::string("SELECT count(*) FROM ") + t);
        n.push_back(std::stoll(v.substr(v.find(':') + 1)));
    }
    return n;
}

// The carried tables whose rows in the new database are not, value for value, the
// installed rows dated before 2007.
std::vector<std::string> ValoresMudados(const std::string& rascunho, const std::string& instalado,
                                        const std::string& novo) {
    std::vector<std::string> mudadas;
    test::WriteFile(rascunho, instalado);
    {
        test::Leitura antigo(rascunho), atual(novo);
        for (const char* t : kTabelasMigradas) {
            try {
                const std::vector<std::string> colunas = antigo.Colunas(t);
                const auto antes = antigo.Linhas(t, colunas, test::OndeCarregadas(t));
                const auto depois = atual.Linhas(t, colunas);
                if (antes != depois) {
                    auto [a, d] = std::mismatch(antes.begin(), antes.end(), depois.begin(), depois.end());
                    mudadas.push_back(std::string(t) + ": " + (a == antes.end() ? "-" : a->substr(0, 300)) +
                                      " became " + (d == depois.end() ? "-" : d->substr(0, 300)));
                }
            } catch (const std::exception& e) {
                mudadas.push_back(std::string(t) + ": cannot be compared (" + e.what() + ")");
            }
        }
    }
    DeleteFileA(rascunho.c_str());
    return mudadas;
}

std::string Lista(const std::vector<std::string>& nomes) {
    std::string s;
    for (const std::string& n : nomes) s += (s.empty() ? "" : ", ") + n;
    return s;
}

long DoAmbiente(const char* nome, long padrao) {
    const char* v = std::getenv(nome);
    return v && *v ? std::strtol(v, nullptr, 10) : padrao;
}

TEST(DamagedDatabases, EveryUpdateEndsCompleteOrWithAMessageAndLosesNothing) {
    const std::size_t quantos = static_cast<std::size_t>(DoAmbiente("QEL_ROBUST_CASES", 240));
    const unsigned semente = static_cast<unsigned>(DoAmbiente("QEL_ROBUST_SEED", 16));
    const bool lista = DoAmbiente("QEL_ROBUST_LIST", 0) != 0;  // one line per case
    test::TempFolder raiz("qelrobust");
    const std::string sistema = raiz / "system32";
    CreateDirectoryA(sistema.c_str(), nullptr);
    TdmInstalaQel dm;
    const std::string bancoNovo = test::BytesDoBanco(raiz / "novo.mdb", test::BancoNovo());
    test::Midia midiaPadrao(raiz / "midia", bancoNovo);
    std::map<std::size_t, std::string> instalados;
    std::map<std::size_t, std::unique_ptr<test::Midia>> midias;
    auto instalado = [&](std::size_t c) -> const std::string& {
        auto& bytes = instalados[c];
        if (bytes.empty()) {
            const Conteudo& conteudo = Conteudos()[c];
            std::vector<std::string> sql = test::BancoInstalado(30, true);
            if (conteudo.antes) sql.insert(sql.begin(), conteudo.antes);
            sql.insert(sql.end(), conteudo.instalado.begin(), conteudo.instalado.end());
            bytes = test::BytesDoBanco(raiz / "rascunho.mdb", sql);
        }
        return bytes;
    };
    auto midia = [&](std::size_t c) -> const test::Midia& {
        const Conteudo& conteudo = Conteudos()[c];
        if (conteudo.novo.empty()) return midiaPadrao;
        auto& m = midias[c];
        if (!m) {
            std::vector<std::string> sql = test::BancoNovo();
            sql.insert(sql.end(), conteudo.novo.begin(), conteudo.novo.end());
            m = std::make_unique<test::Midia>(raiz / ("midia" + std::to_string(c)),
                                              test::BytesDoBanco(raiz / "rascunho.mdb", sql));
        }
        return *m;
    };

    test::Vigia vigia(10000);
    test::Contagem contagem;
    std::vector<std::string> defeitos;
    double maisLongo = 0;
    const auto inicio = std::chrono::steady_clock::now();
    const std::vector<Caso> casos = Casos(quantos, semente);
    for (std::size_t i = 0; i < casos.size(); ++i) {
        const Caso& caso = casos[i];
        std::seed_seq semeia{semente, static_cast<unsigned>(i)};
        std::mt19937 sorte(semeia);
        std::string onde;
        Espera espera = caso.espera;
        const std::optional<std::string> bytes = Danifica(instalado(caso.conteudo), caso.dano, sorte, onde, espera);
        const std::string nome = "#" + std::to_string(i) + " " + caso.nome + (onde.empty() ? "" : " (" + onde + ")");
        std::optional<std::vector<std::int64_t>> aCarregar;
        if (bytes) {
            test::WriteFile(raiz / "esperado.mdb", *bytes);
            try {
                aCarregar = test::Leitura(raiz / "esperado.mdb").LinhasACarregar();
            } catch (const std::exception&) {
            }
            DeleteFileA((raiz / "esperado.mdb").c_str());
        }
        test::Instalacao inst(raiz / ("c" + std::to_string(i)), sistema);
        inst.Instala(bytes ? &*bytes : nullptr);

        vigia.Caso(nome);
        const auto antes = std::chrono::steady_clock::now();
        const test::Atualizacao a = inst.Atualiza(midia(caso.conteudo), dm);
        maisLongo =
            std::max(maisLongo, std::chrono::duration<double>(std::chrono::steady_clock::now() - antes).count());
        vigia.Fim();
        contagem.Conta(a, inst.raiz);
        if (lista)
            std::printf("%s -> %s %s\n", text::ToUtf8(nome).c_str(), test::NomeDoDesfecho(a.desfecho),
                        text::ToUtf8(a.mensagem).c_str());

        std::vector<std::string> problemas;
        auto problema = [&](const std::string& p) { problemas.push_back(p); };
        if (a.desfecho == Termino::Silencio) problema("it ended without completing and without a message");
        if (espera == Espera::Completa && !test::Completa(a.desfecho)) problema("it did not complete: " + a.mensagem);
        if (espera == Espera::Falha && test::Completa(a.desfecho)) problema("it completed, but cannot have");
        if (test::Completa(a.desfecho) != (a.codigo == 0))
            problema("its exit code " + std::to_string(a.codigo) + " does not say how it ended");
        // The installed database: as it was, or kept whole as the backup of a replacement.
        std::vector<std::string> esperados = test::kArquivosDoPrograma;
        esperados.push_back("QEL.mdb");
        const std::vector<std::string> backups = inst.Backups();
        if (a.desfecho == Termino::Substituido) {
            if (backups.size() != 1 || test::ReadFile(inst.pasta + "\\" + backups[0]) != *bytes)
                problema("the backup is not the installed database");
            if (a.textosEncurtados && !Conteudos()[caso.conteudo].cortado)
                problema("it told of texts cut where none is longer than its column");
            esperados.insert(esperados.end(), backups.begin(), backups.end());
            if (test::StoredValue(inst.banco, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA") != "text:3.2.0")
                problema("the database put in place is not the new one");
            else if (aCarregar && LinhasPorTabela(inst.banco) != *aCarregar)
                problema("the rows carried are not the rows dated before 2007");
            else if (aCarregar && !Conteudos()[caso.conteudo].cortado)
                for (const std::string& t : ValoresMudados(raiz / "esperado.mdb", *bytes, inst.banco))
                    problema("values changed in " + t);
        } else if (a.desfecho == Termino::Carimbado) {
            try {
                for (const std::string& v : test::Leitura(inst.banco).Linhas("TA_SISTEMA", {"DE_VERSAO_SISTEMA"}))
                    if (v != "x332E322E33") problema("stamped with " + v);  // 3.2.3
            } catch (const std::exception& e) {
                problema(std::string("the stamped database cannot be read: ") + e.what());
            }
        } else if (!bytes) {
            if (!fs::DirectoryExists(inst.banco) || !fs::FileExists(inst.banco + "\\dentro.txt"))
                problema("the folder in the database's place was changed");
        } else if (!fs::FileExists(inst.banco) || test::ReadFile(inst.banco) != *bytes) {
            problema("the installed database changed");
        }
        std::sort(esperados.begin(), esperados.end());
        if (inst.Nomes() != esperados) problema("the install folder holds " + Lista(inst.Nomes()));
        for (const std::string& arquivo : inst.Nomes())
            if (!test::Instalacao::Livre(inst.pasta + "\\" + arquivo)) problema(arquivo + " is still held");
        for (const std::string& p : problemas) {
            ADD_FAILURE() << nome << ": " << p << " [" << test::NomeDoDesfecho(a.desfecho) << "]";
            defeitos.push_back(nome + ": " + p);
        }
    }
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    char titulo[200];
    std::snprintf(titulo, sizeof titulo,
                  "Damaged databases: %zu cases, seed %u, %.1f s (longest case %.2f s), %zu faults", casos.size(),
                  semente, segundos, maisLongo, defeitos.size());
    contagem.Imprime(titulo);
    for (const std::string& d : defeitos) std::printf("  FAULT %s\n", d.c_str());
}

}  // namespace
}  // namespace qel
