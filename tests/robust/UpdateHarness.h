#pragma once
// Updates of an installed QEL run in process through the installation run, with the
// scripted UI port (confirmation answered Yes, every other dialog OK), each in folders of
// its own, and what they must leave behind checked.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/WizardState.h"
#include "engine/udmInstaladorQel.h"

namespace qel::test {

// A medium with the payload of an update (program, support library, help files) and the
// given new database.
class Midia {
public:
    Midia(const std::string& pasta, const std::string& bancoNovo, const std::string& programa = "programa 3.2.3");
    const std::string& Pasta() const { return pasta_; }
    const std::string& BancoNovo() const { return bancoNovo_; }
    // The bytes an installed file of that name has once the medium's is in place.
    std::string Novo(const std::string& nome) const;

private:
    std::string pasta_, bancoNovo_;
};

// How an update ended.
enum class Termino {
    Substituido,   // complete: the new database in place, the installed one its backup
    Carimbado,     // complete: the same schema, the application version written into it
    Intocado,      // complete: a newer schema, the database left as it was
    FalhaCaixa,    // a failure the run did not handle, shown in the failure box
    FalhaSimples,  // the carry-over could not open the installed database (simple dialog)
    FalhaErro,     // an error dialog ended the run
    FalhaAviso,    // a warning dialog ended the run
    Silencio,      // neither complete nor a message: always a fault
};
const char* NomeDoDesfecho(Termino d);
inline bool Completa(Termino d) { return d <= Termino::Intocado; }

struct Atualizacao {
    Termino desfecho = Termino::Silencio;
    std::string mensagem;  // of the failure; empty when complete
    bool textosEncurtados = false;  // complete, and the completion message told of texts cut
    bool janelaFechada = false;
    int codigo = -1;  // the exit code the run's outcome gives
};

// An installed QEL in a folder of its own under `raiz`: QEL.mdb, the earlier program and
// help files; the temporary folder beside it; the system folder shared.
class Instalacao {
public:
    Instalacao(const std::string& raiz, const std::string& systemDir);
    ~Instalacao();
    Instalacao(const Instalacao&) = delete;
    Instalacao& operator=(const Instalacao&) = delete;

    // QEL.mdb holds these bytes; without bytes a folder (with a file in it) takes its name.
    void Instala(const std::string* banco);
    // One update (or, with tipo 0, a fresh install) from the medium; the case's
    // expectations are checked by the caller.
    Atualizacao Atualiza(const Midia& midia, TdmInstalaQel& dm, int tipo = 1);

    // A backup left by a replacement that did not finish has the clock's second in its
    // name; the next one must not need the same name (a replacement never writes over a
    // file): waits for a second no backup is named after.
    void OutroSegundo() const;

    // The names in the install folder, sorted.
    std::vector<std::string> Nomes() const;
    std::vector<std::string> Backups() const;
    // Whether the file can be opened now with no sharing at all: nobody holds it.
    static bool Livre(const std::string& arquivo);

    WizardState estado;
    std::string raiz, pasta, banco;
};

// The application's files of an installed QEL besides its database, and what each holds in
// the earlier installation Instalacao::Instala makes.
inline const std::vector<std::string> kArquivosDoPrograma = {"QEL.exe", "zav2003.chm", "zav2005.chm"};
inline std::string Antigo(const std::string& nome) { return "3.1.9: " + nome; }

// Stops the whole program when a case takes longer than its limit (a hang), naming the
// case; a crash names it too.
class Vigia {
public:
    explicit Vigia(unsigned limiteMs);
    ~Vigia();
    void Caso(const std::string& nome);
    void Fim();

private:
    struct Estado;
    std::unique_ptr<Estado> estado_;
};

// Counts of outcomes and of the failures' messages (paths and numbers left out), printed.
class Contagem {
public:
    void Conta(const Atualizacao& a, const std::string& pasta);
    void Imprime(const char* titulo) const;
    const std::map<std::string, int>& PorDesfecho() const { return desfechos_; }

private:
    std::map<std::string, int> desfechos_, mensagens_;
};

}  // namespace qel::test
