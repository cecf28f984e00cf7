#include "tools/uidriver/MeasuredUpdate.h"

#include <windows.h>

#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/DatabaseReader.h"
#include "tools/uidriver/Timing.h"
#include "tools/uidriver/WizardSession.h"

namespace qel::uidriver {
namespace {

const char* const kTable = "TB_ACOMPANHAMENTO";

// The completion message; any other dialog, or the end of the program, is a failure.
HWND WaitEnd(WizardSession& s) {
    for (;;) {
        for (HWND w : s.Program().Windows()) {
            if (ClassName(w) != "#32770") continue;
            if (Text(w) == "Information") return w;
            throw DriverError("the update ended with \"" + Text(w) + "\": " + WizardSession::Message(w));
        }
        if (!s.Program().Running()) throw DriverError("the wizard ended without the completion message");
        Sleep(100);
    }
}

}  // namespace

UpdateMeasure MeasureUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                            int rows) {
    const std::string ourMedium = work + "\\midia", target = work + "\\QEL";
    if (!CreateDirectoryA(work.c_str(), nullptr)) throw DriverError("cannot make the new folder " + work);
    CreateDirectoryA(ourMedium.c_str(), nullptr);
    CreateDirectoryA(target.c_str(), nullptr);
    CopyFolderFiles(medium, ourMedium);
    CopyFolderFiles(installed, target);
    const std::string db = target + "\\QEL.mdb";
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
                 ") INSERT INTO " + kTable +
                 " SELECT 100000 + i, '2005-06-30 00:00:00', '2005-12-31 00:00:00', 1 + i % 4, "
                 "'Acompanhamento ' || i FROM n");
    const long long shipped = CountRows(ourMedium + "\\QEL.md_", kTable);

    WizardSession s(ourMedium);
    HWND confirm = s.WalkToConfirmation(1, target);
    // Where the copy animation stands; the run starts it (and gives it its clip's size)
    // only after the confirmation.
    HWND animation = nullptr;
    for (HWND h : Descendants(s.Window()))
        if (ClassName(h) == "TAnimate") animation = h;
    RECT area{};
    if (animation) GetWindowRect(animation, &area);

    UpdateMeasure m;
    AnswerProbe probe(s.Window(), animation ? &area : nullptr);
    const double start = NowMs();
    WizardSession::Answer(confirm, "&Yes");
    HWND done = WaitEnd(s);
    m.runMs = NowMs() - start;
    m.answersMs = probe.Stop();
    m.pictures = probe.Pictures();
    m.askedAtMs = probe.AskedAt();
    WizardSession::Answer(done, "OK");
    s.WaitExit();
    m.carried = CountRows(db, kTable) - shipped;
    return m;
}

}  // namespace qel::uidriver
