#include "tools/uidriver/WizardSession.h"

#include <algorithm>
#include <stdexcept>

namespace qel::uidriver {

void CopyFolderFiles(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((from + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("no folder " + from);
    do {
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!CopyFileA((from + "\\" + d.cFileName).c_str(), (to + "\\" + d.cFileName).c_str(), FALSE))
            throw std::runtime_error(std::string("cannot copy ") + d.cFileName);
    } while (FindNextFileA(h, &d));
    FindClose(h);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = d.cFileName, full = path + "\\" + name;
            if (name == "." || name == "..") continue;
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &d));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

WizardSession::WizardSession(const std::string& medium, const std::string& arguments)
    : program_(uidriver::Program::Start(medium + "\\InstalaQEL.exe", medium, arguments)) {
    window_ = program_.WaitWindow(kCaption, kWait, "TfrmInstala");
}

int WizardSession::Page() const {
    if (uidriver::Find(window_, nullptr, "Instalar")) return 2;
    if (uidriver::Find(window_, nullptr, "Diret\xF3rio de Instala\xE7\xE3o")) return 1;
    if (uidriver::Find(window_, nullptr, "Tipo de Instala\xE7\xE3o")) return 0;
    return -1;
}

bool WizardSession::WaitPage(int page, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (Page() != page) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(30);
    }
    return true;
}

void WizardSession::ChooseType(int index) {
    const char* item = index == 0 ? "1- Instala QEL" : "2- Atualiza\xE7\xE3o";
    HWND radio = uidriver::WaitFor(window_, nullptr, item, 5000);
    SendMessageA(radio, BM_CLICK, 0, 0);
    if (SendMessageA(radio, BM_GETCHECK, 0, 0) != BST_CHECKED)
        throw uidriver::DriverError(std::string("could not choose ") + item);
}

void WizardSession::SetFolder(const std::string& folder) {
    for (HWND h : uidriver::Descendants(window_))
        if (uidriver::ClassName(h) == "TDirectoryEdit") return uidriver::SetText(h, folder);
    throw uidriver::DriverError("no folder field");
}

std::string WizardSession::Folder() const {
    for (HWND h : uidriver::Descendants(window_))
        if (uidriver::ClassName(h) == "TDirectoryEdit") return uidriver::Text(h);
    throw uidriver::DriverError("no folder field");
}

void WizardSession::Press(const std::string& caption) { uidriver::PressButton(window_, caption); }

HWND WizardSession::WalkToConfirmation(int type, const std::string& folder, DWORD pageWaitMs) {
    ChooseType(type);
    Press("Continuar");
    if (!WaitPage(1, pageWaitMs)) throw uidriver::DriverError("page 2 did not show");
    SetFolder(folder);
    Press("Continuar");
    if (!WaitPage(2, pageWaitMs)) throw uidriver::DriverError("page 3 did not show");
    Press("Instalar");
    return WaitDialog("Confirm");
}

HWND WizardSession::WaitDialog(const std::string& title, DWORD timeoutMs) const {
    // The platform's dialog class: the taskbar entry's window carries the application
    // title too.
    return program_.WaitWindow(title, timeoutMs, "#32770");
}

std::string WizardSession::Message(HWND dialog) {
    std::vector<std::string> labels = uidriver::Labels(dialog);
    return labels.empty() ? std::string() : labels.back();
}

void WizardSession::Answer(HWND dialog, const std::string& button) {
    uidriver::PressButton(dialog, button);
    uidriver::WaitGone(dialog, kWait);
}

}  // namespace qel::uidriver
