#pragma once
// Driving a window of the test program itself: pumping its messages for a while, keys
// through the platform's input queue (as typed), and a helper thread that answers the
// modal dialog the test thread is about to open. Every wait has a time limit.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <memory>
#include <vector>

#include "tests/support/TempFolder.h"
#include "wizard/Instalador_NEW.h"
#include "engine/udmInstaladorQel.h"

namespace qel::test {

// Handles this thread's messages (through the wizard's key handling when a wizard is
// given) for the given time.
void PumpFor(DWORD ms, TfrmInstala* wizard = nullptr);
// Pumps until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, TfrmInstala* wizard = nullptr);
// Pumps until this thread's queue holds no input and no messages, then a little more.
void PumpInput(TfrmInstala* wizard = nullptr);
// Removes an end-of-loop message a closed wizard window left in this thread's queue.
void DropQuit();

enum Modifier { kNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };
// Types a key with modifiers held into whatever window has the focus.
void TypeKey(WORD vk, int modifiers = kNone);
// Brings a window to the front and types a key into it.
void TypeKeyInto(HWND window, WORD vk, int modifiers = kNone);

// Clicks the middle of a window with the left mouse button, as a person does.
void ClickOn(HWND window);

// A rectangle of a window in the client coordinates of another one.
RECT RectIn(HWND window, HWND reference);

// The visible top-level windows of a thread with the given caption (any when empty) and
// class "#32770", the platform's dialogs.
std::vector<HWND> DialogsOf(DWORD threadId, const std::string& caption = "");
// Texts of a window's child windows of a class, in window order.
std::vector<std::string> ChildTexts(HWND parent, const char* className);

// Waits on a thread of its own for a dialog of the test thread with the given caption,
// then runs the action with it (inspect it, press its keys). When the action does not
// close the dialog within the limit, the dialog is closed from its title bar and the
// test fails, so the test thread never stays blocked.
class ModalWatcher {
public:
    ModalWatcher(std::string caption, std::function<void(HWND)> action, DWORD timeoutMs = 15000);
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;
    bool Ran() const { return ran_; }

private:
    std::atomic<bool> ran_{false};
    std::thread thread_;
};

// A test with the wizard window built at 96 DPI and shown, closed again afterwards. The
// wizard runs from a complete medium of its own (markers and payload files, current
// folder) with its data module, as the program has them, so page 1's Continuar passes
// its check and Instalar can run.
class ShownWizard : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    HWND C(const char* name) const { return frm->Controle(name); }

    TempFolder medium{"guimedium"};
    std::string savedFolder;
    std::unique_ptr<TfrmInstala> frm;
    std::unique_ptr<TdmInstalaQel> dm;
};

}  // namespace qel::test
