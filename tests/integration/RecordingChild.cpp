// A stand-in for an external setup program: writes how it was started into
// "registro-inicio.txt" in its current folder, waits, notes that it is about to end, and
// ends. Tests start it through the setup runner and read the record afterwards.
//   /espera=<ms>   how long to wait before ending (1500 ms when not given)
//   /janela=<n>    first sends the window of that handle a setting change, as setups
//                  do, and records whether it was answered within 5 s and how long it took
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Number(unsigned long long n) { return std::to_string(n); }

}  // namespace

int main() {
    const char* linha = GetCommandLineA();
    DWORD espera = 1500;
    if (const char* e = std::strstr(linha, "/espera=")) espera = std::strtoul(e + 8, nullptr, 10);

    STARTUPINFOA si;
    GetStartupInfoA(&si);
    char pasta[MAX_PATH + 1] = "", programa[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(sizeof pasta, pasta);
    GetModuleFileNameA(nullptr, programa, sizeof programa);
    char ambiente[256] = "(nenhum)";
    GetEnvironmentVariableA("QEL_TESTE_AMBIENTE", ambiente, sizeof ambiente);
    // A console of its own has this process alone attached to it.
    DWORD anexados[8];
    DWORD naConsole = GetConsoleProcessList(anexados, 8);
    bool consolePropria = naConsole == 1 && anexados[0] == GetCurrentProcessId();

    std::string registro;
    if (const char* j = std::strstr(linha, "/janela=")) {
        HWND janela = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(j + 8, nullptr, 10)));
        const DWORD antes = GetTickCount();
        DWORD_PTR resultado = 0;
        const bool respondeu = SendMessageTimeoutA(janela, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 5000, &resultado) != 0;
        registro += std::string("resposta=") + (respondeu ? "sim" : "nao") + "\n";
        registro += "espera_resposta=" + Number(GetTickCount() - antes) + "\n";
    }
    registro += "linha=" + std::string(linha) + "\n";
    registro += "cb=" + Number(si.cb) + "\n";
    registro += "flags=" + Number(si.dwFlags) + "\n";
    registro += "mostra=" + Number(si.wShowWindow) + "\n";
    registro += "posicao=" + Number(si.dwX) + "," + Number(si.dwY) + "," + Number(si.dwXSize) + "," +
                Number(si.dwYSize) + "," + Number(si.dwXCountChars) + "," +
                Number(si.dwYCountChars) + "," + Number(si.dwFillAttribute) + "," +
                Number(si.cbReserved2) + "\n";
    registro += "prioridade=" + Number(GetPriorityClass(GetCurrentProcess())) + "\n";
    registro += "pasta=" + std::string(pasta) + "\n";
    registro += "programa=" + std::string(programa) + "\n";
    registro += "ambiente=" + std::string(ambiente) + "\n";
    registro += std::string("console=") + (consolePropria ? "propria" : "outra") + "\n";
    registro += "processo=" + Number(GetCurrentProcessId()) + "\n";
    registro += "thread=" + Number(GetCurrentThreadId()) + "\n";

    FILE* f = std::fopen("registro-inicio.txt", "wb");
    if (!f) return 2;
    std::fputs(registro.c_str(), f);
    std::fflush(f);
    Sleep(espera);
    std::fputs("terminou=sim\n", f);
    std::fclose(f);
    return 0;
}
