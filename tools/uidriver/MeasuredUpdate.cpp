#include "tools/uidriver/MeasuredUpdate.h"

#include <commctrl.h>

#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/DatabaseReader.h"
#include "tools/uidriver/Timing.h"
#include "tools/uidriver/WizardSession.h"

namespace qel::uidriver {
namespace {

const char* const kTable = "TB_ACOMPANHAMENTO";

// The completion message, watching page 3 meanwhile; any other dialog, or the end of the
// program, is a failure.
HWND WaitEnd(WizardSession& s, HWND animation, UpdateMeasure& m) {
    for (;;) {
        for (HWND w : s.Program().Windows()) {
            if (ClassName(w) != "#32770") continue;
            if (Text(w) == "Information") return w;
            throw DriverError("the update ended with \"" + Text(w) + "\": " + WizardSession::Message(w));
        }
        if (!s.Program().Running()) throw DriverError("the wizard ended without the completion message");
        const ProgressShown p = ReadProgress(s.Window());
        if (!p.etapa.empty() && (m.etapas.empty() || m.etapas.back() != p.etapa)) m.etapas.push_back(p.etapa);
        if (!p.detalhe.empty()) m.detalhes.insert(p.detalhe);
        if (p.barra >= 0) m.barra.push_back(p.barra);
        // A person clicking the clip and turning the wheel over it while the rows go.
        if (!p.detalhe.empty() && animation && !m.clicked) {
            ClickAndTurnWheel(animation);
            m.clicked = true;
        }
        // Often enough to see the short steps after the carry-over (the replacement, the
        // last renames, the cleanup) before the completion message hides page 3's bar.
        Sleep(20);
    }
}

std::string TextOf(HWND h) {
    char text[512] = "";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(h, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &ignored);
    return text;
}

}  // namespace

PreparedUpdate PrepareUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                             int rows) {
    PreparedUpdate u{work + "\\midia", work + "\\QEL", 0};
    if (!CreateDirectoryA(work.c_str(), nullptr)) throw DriverError("cannot make the new folder " + work);
    CreateDirectoryA(u.medium.c_str(), nullptr);
    CreateDirectoryA(u.target.c_str(), nullptr);
    CopyFolderFiles(medium, u.medium);
    CopyFolderFiles(installed, u.target);
    Exec(u.target + "\\QEL.mdb", "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                     std::to_string(rows) + ") INSERT INTO " + kTable +
                                     " SELECT 100000 + i, '2005-06-30 00:00:00', '2005-12-31 00:00:00', 1 + i % 4, "
                                     "'Acompanhamento ' || i FROM n");
    u.shipped = CountRows(u.medium + "\\QEL.md_", kTable);
    return u;
}

long long CarriedRows(const PreparedUpdate& update) {
    return CountRows(update.target + "\\QEL.mdb", kTable) - update.shipped;
}

ProgressShown ReadProgress(HWND wizard) {
    ProgressShown p;
    // The bar follows the step's and the table's labels in the page's window order.
    HWND bar = nullptr;
    for (HWND h : Descendants(wizard))
        if (ClassName(h) == PROGRESS_CLASSA) bar = h;
    if (!bar || !Showing(bar)) return p;
    HWND detalhe = GetWindow(bar, GW_HWNDPREV), etapa = detalhe ? GetWindow(detalhe, GW_HWNDPREV) : nullptr;
    if (etapa) p.etapa = TextOf(etapa);
    if (detalhe) p.detalhe = TextOf(detalhe);
    DWORD_PTR pos = 0;
    if (SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &pos)) p.barra = static_cast<int>(pos);
    return p;
}

UpdateMeasure MeasureUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                            int rows) {
    const PreparedUpdate u = PrepareUpdate(medium, installed, work, rows);
    WizardSession s(u.medium);
    HWND confirm = s.WalkToConfirmation(1, u.target);
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
    HWND done = WaitEnd(s, animation, m);
    m.runMs = NowMs() - start;
    m.answersMs = probe.Stop();
    m.pictures = probe.Pictures();
    m.askedAtMs = probe.AskedAt();
    WizardSession::Answer(done, "OK");
    s.WaitExit();
    m.carried = CarriedRows(u);
    return m;
}

}  // namespace qel::uidriver
