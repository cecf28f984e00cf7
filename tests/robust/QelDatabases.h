#pragma once
// The databases of an update, as bytes: an installed QEL 3.1.9 database and the medium's
// new 3.2.0 one, made with the embedded engine's own C interface; the pages of a database
// file by what they hold, for damaging them; and what an update must carry.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace qel::test {

// Statements that build an installed database: the version table (3.1.9) and the seven
// carried tables, `linhas` rows in each, dated on both sides of the 2007 cut-off, with
// indexes, one long text that overflows its page and, when asked, free pages left by a
// dropped table. Pages of 1 KB, so that a small database has many of each kind.
std::vector<std::string> BancoInstalado(int linhas, bool comPaginasLivres);
// Statements that build the medium's new database: the same tables without rows (one has
// a column more), version 3.2.0.
std::vector<std::string> BancoNovo();

// The bytes of a database built by the statements in a scratch file (removed again).
std::string BytesDoBanco(const std::string& rascunho, const std::vector<std::string>& sql);

// What a page of a database file holds.
enum class Classe { Cabecalho, Esquema, Tabela, Indice, Livre, Transbordo };
const char* NomeDaClasse(Classe c);

struct Paginas {
    std::size_t tamanho = 0;      // bytes per page
    std::vector<Classe> classes;  // per page, page 1 first
    // Page numbers (from 1) of a class.
    std::vector<std::size_t> Da(Classe c) const;
};
// Pages as the file's header and b-tree pages tell (the free list walked from the
// header); nothing when the header is not the engine's.
std::optional<Paginas> Classifica(const std::string& bytes);

// A database file read as the carry-over reads it, through one read-only connection.
class Leitura {
public:
    explicit Leitura(const std::string& arquivo);  // throws when it cannot be opened
    ~Leitura();
    Leitura(const Leitura&) = delete;
    Leitura& operator=(const Leitura&) = delete;

    // The rows of a table (read from the table, not from an index), each its columns'
    // values joined, sorted; `colunas` (possibly another database's) names the columns to
    // read, `onde` selects. Values are given as the carry-over keeps them (text by its
    // bytes, whole numbers as such, NULL text as the empty text), not as the engine
    // happens to store them. Throws when the table cannot be read.
    std::vector<std::string> Linhas(const std::string& tabela, const std::vector<std::string>& colunas,
                                    const std::string& onde = "1");
    std::vector<std::string> Colunas(const std::string& tabela);
    // Per carried table, in the carried order, how many rows an update must carry: all
    // of TB_OPERADORA, of the others those dated before 2007 or without a date. Nothing
    // when the file cannot be read that far.
    std::optional<std::vector<std::int64_t>> LinhasACarregar();

private:
    std::vector<std::string> Consulta(const std::string& colunas, const std::string& tabela, const std::string& onde);
    sqlite3* db_ = nullptr;
};

// Which rows of a carried table an update carries, as a condition: all of TB_OPERADORA,
// of the others those dated before 2007 or without a date.
std::string OndeCarregadas(const std::string& tabela);

// Rows of the carried tables (all of them, or those an update carries), read with the
// columns given per table, and the two versions of a database file.
struct Conteudo {
    std::vector<std::vector<std::string>> linhas;
    std::vector<std::string> versoes;
    bool operator==(const Conteudo&) const = default;
};
Conteudo LeConteudo(const std::string& banco, const std::vector<std::vector<std::string>>& colunas, bool soCarregadas);
// The columns of the carried tables of a database file, in the carried order.
std::vector<std::vector<std::string>> ColunasLevadas(const std::string& banco);
// The two versions as Conteudo holds them, for a database of the new schema: before the
// application version is written into it, and after.
inline const std::vector<std::string> kVersoesNovas = {"x332E322E30|x332E322E30"};
inline const std::vector<std::string> kVersoesCarimbadas = {"x332E322E30|x332E322E33"};

}  // namespace qel::test
