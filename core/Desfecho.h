#pragma once
// How an installation run ended, as both faces of the program see it: the wizard keeps
// its dialogs and the unattended installation its log, and both end the process with the
// exit code derived from it. Deployment tools read these codes; they never change meaning.
namespace qel {

enum class Desfecho {
    Concluida,                 // installed or updated, nothing else needed
    ConcluidaReiniciar,        // installed; restart the computer: the data-access setup ran, or the
                               // support library in use goes in at the restart
    LinhaDeComandoInvalida,    // the command line was not understood (or the log cannot be written)
    MidiaIncompleta,           // a part of the installation medium is missing or cannot be reached
    PastaInadequada,           // the folder cannot be created or does not fit the installation type
    BancoEmUso,                // the installed database is in use by another program
    FalhaNoBanco,              // database failure in the version check or the carry-over; unchanged
    BancoNaoSubstituido,       // the database could not be replaced; the installed one is unchanged
    ArquivoNaoInstalado,       // a file could not be installed
    AcessoADadosNaoInstalado,  // the data-access components could not be installed
    OutraFalha,                // any other failure
    OutraInstalacao,           // another installation for the same folder is running
    Cancelada,                 // the user cancelled the wizard before any run ended
};

constexpr int CodigoDeSaida(Desfecho d) {
    switch (d) {
        case Desfecho::Concluida: return 0;
        case Desfecho::ConcluidaReiniciar: return 3010;  // what Windows Installer uses for it
        case Desfecho::LinhaDeComandoInvalida: return 1;
        case Desfecho::MidiaIncompleta: return 2;
        case Desfecho::PastaInadequada: return 3;
        case Desfecho::BancoEmUso: return 4;
        case Desfecho::FalhaNoBanco: return 5;
        case Desfecho::BancoNaoSubstituido: return 6;
        case Desfecho::ArquivoNaoInstalado: return 7;
        case Desfecho::AcessoADadosNaoInstalado: return 8;
        case Desfecho::OutraFalha: return 9;
        case Desfecho::OutraInstalacao: return 10;
        case Desfecho::Cancelada: return 1602;  // Windows Installer's "cancelled by the user"
    }
    return 9;
}

// Every outcome, in the order the usage and the README list their codes.
inline constexpr Desfecho kDesfechos[] = {
    Desfecho::Concluida,           Desfecho::ConcluidaReiniciar,  Desfecho::LinhaDeComandoInvalida,
    Desfecho::MidiaIncompleta,     Desfecho::PastaInadequada,     Desfecho::BancoEmUso,
    Desfecho::FalhaNoBanco,        Desfecho::BancoNaoSubstituido, Desfecho::ArquivoNaoInstalado,
    Desfecho::AcessoADadosNaoInstalado, Desfecho::OutraFalha,     Desfecho::OutraInstalacao,
    Desfecho::Cancelada,
};

// What an exit code means, in the users' language (8-bit text).
constexpr const char* SignificadoDoCodigo(Desfecho d) {
    switch (d) {
        case Desfecho::Concluida: return "instalado ou atualizado, nada mais a fazer";
        case Desfecho::ConcluidaReiniciar:
            return "instalado ou atualizado; reinicie o computador (os componentes de acesso a dados foram "
                   "instalados, ou a biblioteca midas.dll em uso será colocada ao reiniciar)";
        case Desfecho::LinhaDeComandoInvalida:
            return "linha de comando não entendida (ou o arquivo de registro não pode ser gravado)";
        case Desfecho::MidiaIncompleta: return "mídia de instalação incompleta";
        case Desfecho::PastaInadequada:
            return "a pasta de instalação não pode ser criada ou não corresponde ao tipo (atualização sem "
                   "QEL.mdb, instalação nova sobre um QEL.mdb)";
        case Desfecho::BancoEmUso: return "o banco de dados instalado está em uso por outro programa";
        case Desfecho::FalhaNoBanco:
            return "falha do banco de dados na verificação da versão ou na migração; o banco instalado não "
                   "foi alterado";
        case Desfecho::BancoNaoSubstituido:
            return "o banco de dados não pôde ser substituído; o banco instalado não foi alterado";
        case Desfecho::ArquivoNaoInstalado: return "um arquivo não pôde ser instalado";
        case Desfecho::AcessoADadosNaoInstalado:
            return "os componentes de acesso a dados não puderam ser instalados";
        case Desfecho::OutraFalha: return "outra falha";
        case Desfecho::OutraInstalacao: return "outra instalação para a mesma pasta está em andamento";
        case Desfecho::Cancelada: return "instalação cancelada pelo usuário (só com o assistente)";
    }
    return "";
}

}  // namespace qel
