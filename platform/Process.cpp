#include "platform/Process.h"

#include <vector>

#include "platform/MessageWait.h"

namespace qel::proc {

bool StartedProcess::WaitUntilEnded() const { return WaitAnswering(process_.get()); }

void StartedProcess::Close() {
    process_.reset();
    thread_.reset();
}

std::optional<StartedProcess> Start(const std::string& program, const std::string& commandLine,
                                    const STARTUPINFOA& startup, DWORD creationFlags, const std::string& folder) {
    // CreateProcessA may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = startup;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        folder.c_str(), &si, &pi)) {
        const DWORD error = GetLastError();
        line.clear();
        line.shrink_to_fit();
        SetLastError(error);  // why, for the caller: freeing the line must not change it
        return std::nullopt;
    }
    return StartedProcess(pi.hProcess, pi.hThread);
}

}  // namespace qel::proc
