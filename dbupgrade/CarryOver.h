#pragma once
// Carrying the data of the installed database into the new one staged from the medium.
#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "dbupgrade/Database.h"
#include "dbupgrade/ShortenedTexts.h"
#include "core/UiPort.h"
#include "core/WizardState.h"

namespace qel {

// The tables carried, in the order they are carried.
inline constexpr std::array<const char*, 7> kTabelasMigradas = {
    "TB_OPERADORA",
    "TB_ACOMPANHAMENTO",
    "RL_CARTEIRA_ASSISTENCIAL",
    "RL_ITEM_DESP_ASSISTENCIAL",
    "TB_QEL_ANEXO_II_A",
    "TB_QEL_ANEXO_III",
    "TB_QEL_ANEXO_IV",
};

// Rows whose DT_INIC_VIGN is earlier than this are carried (an empty one reads as the zero
// date-time and is carried); the table of this name, upper-cased, is carried whole.
inline constexpr db::DateTime kInicioDe2007{2007, 1, 1, 0, 0, 0};
inline constexpr const char* kTabelaSemCorte = "TB_OPERADORA";

// How far the carry-over of a table is: the source's rows read so far, and how many it
// has (-1 when the engine cannot say without reading the table twice: the installed table
// is read forward only, which the data-access layer's server cursor cannot count).
using AvancoDaTabela = std::function<void(long lidas, long total)>;
// The same with the table's index in kTabelasMigradas; once a table whose size was not
// known has been read to its end, it is told once more with the rows read as its size.
using AvancoDaMigracao = std::function<void(std::size_t tabela, long lidas, long total)>;

// Carries the seven tables from TargetDir\QEL.mdb (held for exclusive use and only read)
// into TempDir\InstQEL\QEL.mdb (shared, rows added), telling the UI port's log how many
// rows of each table were carried and how long each took, and which texts were cut to
// their new columns (also handed to `encurtados`, when given); `avanco` is told how far
// it is as the rows go (often: it should be quick). When the installed database cannot
// be opened, shows the engine's message in the simple dialog while the copy animation
// still runs, then stops and hides the animation and returns false; `emUso`, when given,
// then tells whether another program had it open at that moment. Every other failure
// passes to the caller; either way the connections are released before it returns, so
// the installed database is not left held.
bool MigraDados(const WizardState& estado, UiPort& ui, bool* emUso = nullptr,
                std::vector<TextosEncurtados>* encurtados = nullptr, const AvancoDaMigracao& avanco = {});

// Adds the rows of one table of the installed database (origem) to the same table of the
// new one (destino): every column of the source, in its order, assigned by name through
// its exact value, one posted row at a time. Both queries are left closed. A value that
// cannot be carried without change, or that the new column refuses, stops it with a
// message naming the table, the column and the row (counted from 1 in the source's
// order); a row the new database refuses, with the table, the row and the engine's
// message. Texts longer than their new column are cut by it and counted in `encurtados`,
// when given. aCadaLinha is called for every row of the source, carried or not, before
// it is looked at. Returns the number of rows carried.
long CopiaTabela(db::Query& origem, db::Query& destino, const std::string& tabela,
                 const AvancoDaTabela& aCadaLinha = {}, std::vector<TextosEncurtados>* encurtados = nullptr);

}  // namespace qel
