#include "dbupgrade/CarryOver.h"

#include <exception>
#include <memory>

#include "core/Cronometro.h"
#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Messages.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace qel {

namespace {

// The two databases of a carry-over and a query on each, released together. The queries
// are declared last so that they go before their connections.
struct BancosDaMigracao {
    db::Connection instalado;
    db::Connection novo;
    db::Query origem{instalado};
    db::Query destino{novo};
};

void Configura(db::Connection& conexao, const std::string& banco) {
    conexao.SetLoginPrompt(false);
    conexao.SetConnectionString(text::Widen(db::FullConnectionText(banco)));
}

}  // namespace

bool MigraDados(const WizardState& estado, UiPort& ui, bool* emUso, std::vector<TextosEncurtados>* encurtados,
                const AvancoDaMigracao& avanco) {
    auto bancos = std::make_unique<BancosDaMigracao>();
    Configura(bancos->instalado, estado.TargetDir + "\\" + "QEL.mdb");
    bancos->instalado.SetShareMode(db::ShareMode::Exclusive);
    Configura(bancos->novo, estado.TempDir + "InstQEL" + "\\" + "QEL.mdb");
    // The staged copy is a scratch file until the replacement copies it into the install
    // folder and flushes it there; each row is still written to it at once.
    bancos->novo.SetCommitMode(db::CommitMode::Scratch);

    try {
        bancos->instalado.Connect();
    } catch (const std::exception& falha) {
        // Looked at before the message, which may stay open while the other program lets go.
        if (emUso) *emUso = fs::HeldByAnother(estado.TargetDir + "\\" + "QEL.mdb");
        ui.MostraMensagem(falha.what(), TipoMensagem::Simples, BotoesMensagem::Ok);
        bancos->instalado.Disconnect();
        bancos.reset();
        ui.MostraAnimacao(false);
        return false;
    }
    bancos->novo.Connect();

    for (std::size_t i = 0; i < kTabelasMigradas.size(); ++i) {
        const char* tabela = kTabelasMigradas[i];
        const Cronometro cronometro;
        AvancoDaTabela aCadaLinha;
        long lidas = 0, total = -1;
        if (avanco)
            aCadaLinha = [&](long l, long t) {
                lidas = l;
                total = t;
                avanco(i, l, t);
            };
        std::vector<TextosEncurtados> cortes;
        const long linhas = CopiaTabela(bancos->origem, bancos->destino, tabela, aCadaLinha, &cortes);
        // Read to its end, the table's size is known even where the engine could not say
        // it before (a forward-only read).
        if (avanco && lidas > 0 && total < 0) avanco(i, lidas, lidas);
        ui.RelataEtapa(std::string("Migração de ") + tabela,
                       std::to_string(linhas) + (linhas == 1 ? " linha" : " linhas"), cronometro.Decorrido());
        for (const TextosEncurtados& t : cortes)
            ui.Relata("Textos encurtados em " + t.tabela, RelatoDeTextosEncurtados(t));
        if (encurtados) encurtados->insert(encurtados->end(), cortes.begin(), cortes.end());
    }

    bancos->origem.Close();
    bancos->destino.Close();
    bancos->instalado.Disconnect();
    bancos->novo.Disconnect();
    return true;
}

long CopiaTabela(db::Query& origem, db::Query& destino, const std::string& tabela,
                 const AvancoDaTabela& aCadaLinha, std::vector<TextosEncurtados>* encurtados) {
    origem.SetSql("SELECT * FROM " + tabela);
    destino.SetSql("SELECT * FROM " + tabela);
    // The installed table is only read, once through, a row at a time: however large it
    // is, it is never held whole. The new table's query holds only the rows the new
    // database brought, not those it adds.
    origem.SetForwardOnly(true);
    origem.Open();
    destino.Open();
    const long total = origem.RecordCount();
    const bool comCorte = text::Upper(tabela) != kTabelaSemCorte;
    long linha = 0;  // of the source, counting the rows not carried
    long levadas = 0;
    ContagemDeCortes cortes(tabela);
    origem.First();
    while (!origem.Eof()) {
        ++linha;
        if (aCadaLinha) aCadaLinha(linha, total);
        if (comCorte && !(origem.AsDateTime("DT_INIC_VIGN") < kInicioDe2007)) {
            origem.Next();
            continue;
        }
        destino.Append();
        for (int i = 0; i < origem.FieldCount(); ++i) {
            const std::string coluna = origem.FieldName(i);
            // Exactly, not through the 8-bit text form: every character, every byte,
            // every fraction of a second arrives as it was, and nothing stays nothing.
            db::Value valor;
            try {
                valor = origem.AsValue(coluna);
                destino.SetValue(coluna, valor);
            } catch (const db::InexactValue& falha) {
                throw Failure(db::msg::NotCarried(tabela, linha, falha.Field(), falha.Detail()));
            } catch (const db::RefusedValue& falha) {
                throw Failure(db::msg::NotAccepted(tabela, linha, falha.Field(), falha.Detail()));
            }
            cortes.Conta(i, destino, coluna, valor);
        }
        // The provider tells some of its columns' rules only now (ADO): say where the row
        // came from.
        try {
            destino.Post();
        } catch (const Failure& falha) {
            throw Failure(db::msg::RowNotCarried(tabela, linha, falha.what()));
        }
        ++levadas;
        origem.Next();
    }
    origem.Close();
    destino.Close();
    if (encurtados) *encurtados = cortes.Cortes();
    return levadas;
}

}  // namespace qel
