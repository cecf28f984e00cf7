// Where the wizard's start-up time goes: runs the program entry's steps one at a time,
// in a fresh process each run, and prints the median time of each step in milliseconds.
//   qel_startup_steps <runs> [<reference program> ...]
// The steps are those of the program entry, in its order, with parts of the window
// (fonts, banner decoding) timed on their own first:
//   loading      process creation to the entry point: the loader maps the program and
//                the system DLLs it imports and runs their start-up
//   COM          the apartment that ADO and the shell need
//   controls     registering the common controls
//   fonts        the layout's four fonts
//   banner       decoding the banner picture
//   window       the wizard window with its controls (FormCreate included)
//   ADO object   the data module and its ADO connection object
//   shown        showing and painting the window
// Reference programs (qel_bare_window, qel_bare_window_ado) take turns with it and
// report their own steps; the ratios of the totals end the report. A developer tool
// built with the wizard's resources, like the program itself.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/CommonControls.h"
#include "platform/Handles.h"
#include "tools/bench/StepClock.h"
#include "tools/uidriver/Timing.h"
#include "wizard/Banner.h"
#include "wizard/Instalador_NEW.h"
#include "wizard/WizardFonts.h"
#include "engine/udmInstaladorQel.h"

namespace {

using qel::bench::SinceCreation;
using qel::uidriver::Median;

const std::vector<std::string> kWizardSteps = {"loading", "COM",    "controls",   "fonts",
                                               "banner",  "window", "ADO object", "shown"};
const std::vector<std::string> kReferenceSteps = {"loading", "COM and ADO object", "window", "shown"};

// One run of the wizard's steps; writes their times to the file.
int Child(const char* stepsFile) {
    std::vector<double> ends{SinceCreation()};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    qel::ComApartment com;
    ends.push_back(SinceCreation());
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    qel::comctl::InitCommonControlsEx(icc);  // as the wizard loads it
    ends.push_back(SinceCreation());
    { qel::WizardFonts fonts{qel::LayoutScale(qel::LayoutScale::SystemDpi())}; }
    ends.push_back(SinceCreation());
    { qel::Picture banner = qel::LoadBanner(instance); }
    ends.push_back(SinceCreation());
    qel::TfrmInstala frmInstala(instance);
    ends.push_back(SinceCreation());
    qel::TdmInstalaQel dmInstalaQel;
    frmInstala.SetDataModule(&dmInstalaQel);
    ends.push_back(SinceCreation());
    frmInstala.Show();
    ends.push_back(SinceCreation());
    return qel::bench::WriteSteps(stepsFile, ends) ? 0 : 1;
}

struct Program {
    std::string commandLine;  // without the steps file
    std::string name;
    std::vector<std::string> steps;
    std::vector<std::vector<double>> times;
};

bool RunOnce(Program& p, const std::string& stepsFile) {
    DeleteFileA(stepsFile.c_str());
    std::string commandLine = p.commandLine + " \"" + stepsFile + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    FILE* in = std::fopen(stepsFile.c_str(), "r");
    if (!in) return false;
    for (auto& step : p.times) {
        double ms = 0;
        if (std::fscanf(in, "%lf", &ms) == 1) step.push_back(ms);
    }
    std::fclose(in);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "child") return Child(argv[2]);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    char self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetTempPathA(MAX_PATH, temp);
    const std::string stepsFile = std::string(temp) + "qel-startup-steps.txt";

    std::vector<Program> programs{{"\"" + std::string(self) + "\" child", "wizard", kWizardSteps, {}}};
    for (int i = 2; i < argc; ++i) {
        std::string path = argv[i];
        programs.push_back({"\"" + path + "\"", path.substr(path.find_last_of("\\/") + 1), kReferenceSteps, {}});
    }
    for (Program& p : programs) p.times.resize(p.steps.size());
    // The programs take turns, so that each sees the machine as the others do.
    for (int r = 0; r < runs; ++r) {
        for (Program& p : programs) {
            if (!RunOnce(p, stepsFile)) {
                std::printf("%s did not report its steps\n", p.commandLine.c_str());
                return 1;
            }
        }
    }
    DeleteFileA(stepsFile.c_str());
    std::vector<double> totals;
    for (const Program& p : programs) {
        std::printf("%s, median of %d runs:\n", p.name.c_str(), runs);
        double total = 0;
        for (size_t i = 0; i < p.steps.size(); ++i) {
            const double m = Median(p.times[i]);
            total += m;
            std::printf("  %-20s %7.1f ms\n", p.steps[i].c_str(), m);
        }
        std::printf("  %-20s %7.1f ms\n", "total", total);
        totals.push_back(total);
    }
    for (size_t i = 1; i < programs.size(); ++i)
        std::printf("ratio of totals, wizard / %s: %.2f\n", programs[i].name.c_str(), totals[0] / totals[i]);
    return 0;
}
