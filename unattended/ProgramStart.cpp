#include "unattended/ProgramStart.h"

#include <algorithm>
#include <exception>

#include "core/WizardState.h"
#include "engine/LoggedUi.h"
#include "platform/FileSystem.h"

namespace qel {
namespace {

void Mostra(const MostraNaPartida& mostra, InstallLog* log, const std::string& texto, TipoMensagem tipo) {
    if (log) log->Registra(LoggedUi::EtapaDaMensagem(tipo), texto);
    if (mostra) mostra(texto, tipo);
}

}  // namespace

std::optional<int> Preliminares(const Opcoes& linha, const std::string& argumentos,
                                std::unique_ptr<InstallLog>& log, const MostraNaPartida& mostra) {
    if (linha.log) {
        try {
            log = std::make_unique<InstallLog>(*linha.log);
        } catch (const std::exception& falha) {
            Mostra(mostra, nullptr, falha.what(), TipoMensagem::Erro);
            return CodigoDeSaida(Desfecho::LinhaDeComandoInvalida);
        }
        log->Registra("Início", std::string("InstalaQEL ") + kVersaoSistema + ", " +
                                    (linha.silenciosa ? "sem janela" : "assistente") + ", " + fs::ModuleFileName());
        log->Registra("Linha de comando", argumentos.substr(std::min(argumentos.find_first_not_of(" \t"), argumentos.size())));
    }
    std::optional<Desfecho> fim;
    if (!linha.Entendida()) {
        Mostra(mostra, log.get(), "Linha de comando não entendida: " + linha.erro + "\r\r" + TextoDeUso(),
               TipoMensagem::Erro);
        fim = Desfecho::LinhaDeComandoInvalida;
    } else if (linha.ajuda) {
        Mostra(mostra, log.get(), TextoDeUso(), TipoMensagem::Informacao);
        fim = Desfecho::Concluida;
    }
    if (!fim) return std::nullopt;
    RegistraFim(log.get(), *fim);
    return CodigoDeSaida(*fim);
}

void RegistraFim(InstallLog* log, Desfecho desfecho) {
    if (log)
        log->Registra("Fim", "código de saída " + std::to_string(CodigoDeSaida(desfecho)) + " - " +
                                 SignificadoDoCodigo(desfecho));
}

}  // namespace qel
