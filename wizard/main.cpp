// Program entry of the setup wizard.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "platform/Handles.h"
#include "wizard/EventLoop.h"
#include "wizard/Instalador_NEW.h"
#include "wizard/StartupFailure.h"
#include "wizard/udmInstaladorQel.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // 1. The user-interface framework: COM for ADO and the shell, the common controls.
    qel::ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&icc);
    try {
        // 2. The wizard window (FormCreate runs while it is created), not shown yet.
        qel::TfrmInstala frmInstala(instance);
        // 3. The data module, after the window.
        qel::TdmInstalaQel dmInstalaQel;
        frmInstala.SetDataModule(&dmInstalaQel);
        // 4. The event loop, until the window closes.
        frmInstala.Show();
        return qel::RunEventLoop(&frmInstala);
    } catch (const std::exception& e) {
        qel::ReportStartupFailure(e.what());
        return 1;
    }
}
