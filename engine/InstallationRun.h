#pragma once
// The installation run behind the Instalar button: a fresh install or an update, from the
// user's confirmation to the closing of the window.
#include <cstdint>
#include <string>

#include "core/Desfecho.h"
#include "core/UiPort.h"
#include "core/WizardState.h"
#include "engine/ProbeConnection.h"

namespace qel {

// Sets TargetDir and StagingDir in the state and carries out the installation type the
// user chose; returns how it ended (Cancelada when the confirmation was not answered
// Yes). Every handled failure is reported in a dialog; a failure it does not handle (a
// database failure the upgrade does not handle itself, a staging folder that cannot be
// entered by the cleanup) ends it as well and is shown in the failure box, the window
// left open. No two runs work on the same install folder, or on the staging folder, at
// once: the second ends at once with OutraInstalacao. Every step and its result is told
// to the UI port's log.
Desfecho ExecutaInstalacao(WizardState& estado, ProbeConnection& dm, UiPort& ui);

// The messages of the run, two lines joined by a single carriage return.
namespace mensagens {
inline constexpr const char* kConfirma = "Confirma a instalação do QEL ?";
inline constexpr const char* kBancoNaoLocalizado =
    "Banco de dados não foi localizado.\rVerifique pasta de instalação correta.";
inline constexpr const char* kExisteBanco =
    "Existe um arquivo se dados na pasta de instalação.\rUtilize a opção de instalação \"Atualização\".";
inline constexpr const char* kPastaNaoEncontrada = "Diretório de instalação não encontrado!";
inline constexpr const char* kTemporarioNaoCriado = "Diretório temporário de instalação não põde ser criado!";
inline constexpr const char* kConcluida =
    "Instalação concluída!\rReinicialize seu computador para executar o sistema.";
}  // namespace mensagens

// "Arquivo <nome> não pode ser instalado." and "Verifique se o arquivo está em uso.".
std::string MensagemArquivoNaoInstalado(const std::string& nome);

// An update found a second copy of the installed database that Windows kept for this
// user (VirtualStore); both files are named.
std::string MensagemCopiaVirtual(const std::string& instalado, const std::string& copia);
// That copy for the install folder, when there is one; "" otherwise.
std::string CopiaVirtualDoBanco(const WizardState& estado);

// Not enough room on the install folder's volume for the replacement's two copies: how
// much is needed (rounded up) and where, and how much there is (rounded down).
std::string MensagemEspaco(std::uint64_t necessario, std::uint64_t livre, const std::string& pasta);
// A size as the messages give it: whole KB below 1 MB, MB with one decimal (",") above.
std::string TextoDeTamanho(std::uint64_t bytes, bool paraCima);

}  // namespace qel
