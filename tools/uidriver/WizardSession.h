#pragma once
// The setup wizard driven from outside: InstalaQEL.exe started from an installation
// medium, and the steps a person takes through its window.
#include <string>
#include <vector>

#include "tools/uidriver/UiDriver.h"

namespace qel::uidriver {

inline constexpr const char* kCaption = "Quelvara - Instala\xE7\xE3o";
inline constexpr DWORD kWait = 20000;

// Copies every file of a folder into another (no sub-folders); throws when one fails.
void CopyFolderFiles(const std::string& from, const std::string& to);
// Removes a folder with everything below it, as far as it can; reports nothing.
void RemoveTree(const std::string& path);

class WizardSession {
public:
    // Starts the wizard of the medium in that folder, the medium being the current folder,
    // with those command-line arguments, and waits for its window.
    explicit WizardSession(const std::string& medium, const std::string& arguments = "");

    uidriver::Program& Program() { return program_; }
    HWND Window() const { return window_; }

    // Which page shows: 0, 1 or 2 (-1 when none can be told).
    int Page() const;
    // Waits until that page shows; whether it did.
    bool WaitPage(int page, DWORD timeoutMs = 5000) const;
    void ChooseType(int index);
    void SetFolder(const std::string& folder);
    // The text of the install folder field.
    std::string Folder() const;
    // Presses a button of the wizard's showing page.
    void Press(const std::string& caption);
    // Walks the three pages as a person does: the type, Continuar, the folder, Continuar,
    // Instalar. Returns the confirmation dialog, not answered yet; throws DriverError when
    // a page does not show within pageWaitMs.
    HWND WalkToConfirmation(int type, const std::string& folder, DWORD pageWaitMs = 5000);
    // Waits for a dialog with that title; returns it.
    HWND WaitDialog(const std::string& title, DWORD timeoutMs = kWait) const;
    // The dialog's message text.
    static std::string Message(HWND dialog);
    // Presses a button of the dialog and waits until it is gone.
    static void Answer(HWND dialog, const std::string& button);
    // Waits for the program to end; its exit code.
    DWORD WaitExit(DWORD timeoutMs = kWait) { return program_.WaitExit(timeoutMs); }

private:
    uidriver::Program program_;
    HWND window_ = nullptr;
};

}  // namespace qel::uidriver
