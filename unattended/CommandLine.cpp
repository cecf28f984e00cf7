#include "unattended/CommandLine.h"

#include <cctype>

#include "core/Desfecho.h"
#include "core/WizardState.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace qel {
namespace {

// Every file the run places in the install folder ("\QEL_yyyymmddhhmmss.md_" is the
// longest name) must stay within the platform's MAX_PATH.
constexpr size_t kMaiorPasta = 259 - 23;

std::string Minusculas(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool NomeDeDispositivo(std::string parte) {
    parte = text::Upper(parte.substr(0, parte.find('.')));
    while (!parte.empty() && parte.back() == ' ') parte.pop_back();
    for (const char* nome : {"CON", "PRN", "AUX", "NUL"})
        if (parte == nome) return true;
    return parte.size() == 4 && (parte.rfind("COM", 0) == 0 || parte.rfind("LPT", 0) == 0) && parte[3] >= '1' &&
           parte[3] <= '9';
}

std::optional<TipoPedido> TipoDe(const std::string& valor) {
    const std::string v = Minusculas(valor);
    if (v == "install") return TipoPedido::Instalacao;
    if (v == "update") return TipoPedido::Atualizacao;
    if (v == "auto") return TipoPedido::Automatico;
    return std::nullopt;
}

std::string SemBarraFinal(std::string pasta) {
    while (pasta.size() > 3 && pasta.back() == '\\') pasta.pop_back();
    return pasta;
}

}  // namespace

std::string ArgumentosDoPrograma(const std::string& linhaCompleta) {
    size_t i = 0;
    while (i < linhaCompleta.size() && (linhaCompleta[i] == ' ' || linhaCompleta[i] == '\t')) ++i;
    bool aspas = false;
    for (; i < linhaCompleta.size(); ++i) {
        if (linhaCompleta[i] == '"') aspas = !aspas;
        else if (!aspas && (linhaCompleta[i] == ' ' || linhaCompleta[i] == '\t')) break;
    }
    return linhaCompleta.substr(i);
}

std::vector<std::string> SeparaArgumentos(const std::string& argumentos) {
    auto branco = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> partes;
    std::string atual;
    bool dentro = false, aspas = false;
    for (size_t i = 0; i < argumentos.size(); ++i) {
        const char c = argumentos[i];
        if (branco(c) && !aspas) {
            if (dentro) partes.push_back(atual);
            atual.clear();
            dentro = false;
            continue;
        }
        dentro = true;
        if (c == '"') {
            aspas = !aspas;
        } else if (c != '\\') {
            atual += c;
        } else {
            // The platform's rule: backslashes count only before a quote, where each pair
            // is one backslash and an odd one makes the quote part of the argument.
            size_t n = 0;
            while (i + n < argumentos.size() && argumentos[i + n] == '\\') ++n;
            const size_t depois = i + n;
            const bool antesDeAspas = depois < argumentos.size() && argumentos[depois] == '"';
            // Except "...\QEL\" before a blank or the end: the last backslash of a quoted
            // folder, and the quote closes it, as whoever typed it meant.
            const bool fimDePasta = antesDeAspas && aspas && n % 2 == 1 &&
                                    (depois + 1 == argumentos.size() || branco(argumentos[depois + 1]));
            if (!antesDeAspas || fimDePasta) {
                atual.append(n, '\\');
                aspas = aspas && !fimDePasta;
                i = depois - (fimDePasta ? 0 : 1);
            } else {
                atual.append(n / 2, '\\');
                if (n % 2 == 0) aspas = !aspas;  // an odd one: a quote inside, left out
                i = depois;
            }
        }
    }
    if (dentro) partes.push_back(atual);
    return partes;
}

std::string PorQueNaoEPasta(const std::string& pasta) {
    for (size_t i = 0; i < pasta.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(pasta[i]);
        if (c < 32 || std::string("<>\"|?*").find(static_cast<char>(c)) != std::string::npos)
            return std::string("o caractere ") + (c < 32 ? "de controle" : std::string("\"") + pasta[i] + "\"") +
                   " não é aceito em nomes de pastas";
        if (c == ':' && !(i == 1 && std::isalpha(static_cast<unsigned char>(pasta[0]))))
            return "\":\" só pode seguir a letra da unidade";
    }
    size_t inicio = 0;
    while (inicio <= pasta.size()) {
        const size_t fim = pasta.find_first_of("\\/", inicio);
        const std::string parte = pasta.substr(inicio, fim == std::string::npos ? std::string::npos : fim - inicio);
        if (NomeDeDispositivo(parte)) return "\"" + parte + "\" é o nome de um dispositivo";
        if (fim == std::string::npos) break;
        inicio = fim + 1;
    }
    if (SemBarraFinal(fs::FullPath(pasta)).size() > kMaiorPasta)
        return "o caminho completo tem mais de " + std::to_string(kMaiorPasta) + " caracteres";
    return {};
}

Opcoes InterpretaLinhaDeComando(const std::string& argumentos) {
    Opcoes linha;
    auto falha = [&linha](const std::string& erro) {
        if (linha.erro.empty()) linha.erro = erro;
    };
    for (const std::string& argumento : SeparaArgumentos(argumentos)) {
        if (argumento.empty()) continue;
        if (argumento[0] != '/' && argumento[0] != '-') {
            falha("argumento não reconhecido: " + argumento);
            continue;
        }
        const size_t igual = argumento.find('=');
        const std::string opcao = argumento.substr(0, igual);  // as typed, for the messages
        const std::string nome = Minusculas(opcao.substr(1));
        const bool comValor = igual != std::string::npos;
        const std::string valor = comValor ? argumento.substr(igual + 1) : std::string();

        if (nome == "silent" || nome == "?" || nome == "help") {
            if (comValor) falha("a opção " + opcao + " não aceita valor");
            (nome == "silent" ? linha.silenciosa : linha.ajuda) = true;
            continue;
        }
        if (nome != "type" && nome != "dir" && nome != "log") {
            falha("opção desconhecida: " + opcao);
            continue;
        }
        if (valor.empty()) {
            falha("falta o valor de " + opcao + " (" + opcao + "=" +
                  (nome == "type" ? "install|update|auto" : nome == "dir" ? "PASTA" : "ARQUIVO") + ")");
            continue;
        }
        if ((nome == "type" && linha.tipo) || (nome == "dir" && linha.pasta) || (nome == "log" && linha.log)) {
            falha("a opção " + opcao + " foi dada mais de uma vez");
            continue;
        }
        if (nome == "log") {
            linha.log = valor;
        } else if (nome == "type") {
            linha.tipo = TipoDe(valor);
            if (!linha.tipo) {
                falha("tipo de instalação desconhecido: " + valor + " (use install, update ou auto)");
                linha.tipo = TipoPedido::Automatico;  // taken, so a second /type is still reported as such
            }
        } else {
            const std::string motivo = PorQueNaoEPasta(valor);
            if (motivo.empty())
                linha.pasta = SemBarraFinal(fs::FullPath(valor));
            else
                falha(valor + " não pode ser uma pasta: " + motivo);
        }
    }
    return linha;
}

std::string TextoDeUso() {
    std::string uso =
        "Uso:\r"
        "InstalaQEL.exe [/silent] [/type=install|update|auto] [/dir=PASTA] [/log=ARQUIVO]\r"
        "InstalaQEL.exe /?\r"
        "\r"
        "Sem opções, abre o assistente de instalação.\r"
        "/silent: instala sem janela e sem perguntas; o código de saída diz como terminou.\r"
        "/type: install (instalação nova), update (atualização) ou auto (padrão: atualização quando a "
        "pasta tem QEL.mdb, instalação nova quando não tem).\r"
        "/dir: pasta de instalação (padrão: " +
        std::string(kPastaPadrao) +
        ").\r"
        "/log: arquivo de registro (texto UTF-8), também com o assistente; cada instalação é "
        "acrescentada ao fim.\r"
        "/? ou /help: esta ajuda.\r"
        "As opções podem começar com \"/\" ou \"-\", em maiúsculas ou minúsculas; um valor com espaços vai "
        "entre aspas (\"/dir=C:\\Minha Pasta\" ou /dir=\"C:\\Minha Pasta\").\r"
        "\r"
        "Códigos de saída:\r";
    for (Desfecho d : kDesfechos) uso += std::to_string(CodigoDeSaida(d)) + " - " + SignificadoDoCodigo(d) + "\r";
    uso.pop_back();
    return uso;
}

}  // namespace qel
