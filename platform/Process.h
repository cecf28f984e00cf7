#pragma once
// Starting a program from a command line and waiting for it to end.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Handles.h"

namespace qel::proc {

// A program this process started: owns its process and thread handles.
class StartedProcess {
public:
    StartedProcess(HANDLE process, HANDLE thread) : process_(process), thread_(thread) {}
    ~StartedProcess() { Close(); }
    StartedProcess(StartedProcess&&) = default;
    StartedProcess& operator=(StartedProcess&&) = default;

    // Blocks until the program has ended, without a time limit. No when the wait itself
    // failed. Messages sent to this thread meanwhile (a broadcast from the program to
    // every top-level window) are answered at once, so a program that sends one and
    // waits for the answer cannot deadlock with us.
    bool WaitUntilEnded() const;
    // Closes the process handle, then the thread handle.
    void Close();

private:
    UniqueHandle process_;
    UniqueHandle thread_;
};

// CreateProcessA with the program given by its full path, so that nothing is searched
// for (a bare name on the command line would be looked for in this program's own folder
// first), the command line as given, `folder` as the program's current folder, no
// security attributes, no inherited handles, and this process's own environment. Nothing
// when the program could not be started; the thread's last error then says why.
std::optional<StartedProcess> Start(const std::string& program, const std::string& commandLine,
                                    const STARTUPINFOA& startup, DWORD creationFlags, const std::string& folder);

}  // namespace qel::proc
