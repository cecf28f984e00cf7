#pragma once
// An update of an installed QEL with many rows to carry, made by the real wizard while
// another program keeps asking its window to answer and watches what page 3 shows.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace qel::uidriver {

// The folders of a large update, ready to run.
struct PreparedUpdate {
    std::string medium;      // a copy of the medium
    std::string target;      // a copy of the installed QEL, with the rows added
    long long shipped = 0;   // rows of TB_ACOMPANHAMENTO in the medium's database
};

// Copies the medium folder and the installed QEL into work (a folder it makes) and adds
// `rows` rows dated before 2007 to the installed database's TB_ACOMPANHAMENTO.
PreparedUpdate PrepareUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                             int rows);
// The rows of TB_ACOMPANHAMENTO an update carried into the installed database.
long long CarriedRows(const PreparedUpdate& update);

// What page 3 of the wizard shows under the busy label now: the step, the table and its
// rows, and the bar's position (0 to 1000); all empty and -1 while none shows.
struct ProgressShown {
    std::string etapa, detalhe;
    int barra = -1;
};
ProgressShown ReadProgress(HWND wizard);

struct UpdateMeasure {
    std::vector<double> answersMs;  // from the confirmation to the completion message
    std::vector<double> askedAtMs;  // when each was asked, from the confirmation
    double runMs = 0;               // how long that took
    long long carried = 0;          // rows of TB_ACOMPANHAMENTO the update carried
    std::size_t pictures = 0;       // different pictures the copy animation showed
    // What page 3 showed, looked at every 20 ms: each step once, in order; the tables'
    // rows; and the bar's positions, in order.
    std::vector<std::string> etapas;
    std::set<std::string> detalhes;
    std::vector<int> barra;
    bool clicked = false;           // the clip was clicked and wheeled at during the carry-over
};

// Prepares the update (PrepareUpdate) and runs it with the wizard of the copied medium,
// asking its window to answer WM_NULL every 50 ms from the confirmation until the
// completion message; once the carry-over shows, clicks the copy animation and turns the
// wheel over it. Throws DriverError when the wizard does not get there.
UpdateMeasure MeasureUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                            int rows);

}  // namespace qel::uidriver
