#pragma once
// An update of an installed QEL with many rows to carry, made by the real wizard while
// another program keeps asking its window to answer.
#include <string>
#include <vector>

namespace qel::uidriver {

struct UpdateMeasure {
    std::vector<double> answersMs;  // from the confirmation to the completion message
    std::vector<double> askedAtMs;  // when each was asked, from the confirmation
    double runMs = 0;               // how long that took
    long long carried = 0;          // rows of TB_ACOMPANHAMENTO the update carried
    std::size_t pictures = 0;       // different pictures the copy animation showed
};

// Copies the medium folder and the installed QEL into work (a folder it makes), adds `rows` rows dated before
// 2007 to the installed database's TB_ACOMPANHAMENTO, and updates it with the wizard of
// the copied medium, asking its window to answer WM_NULL every 50 ms from the
// confirmation until the completion message. Throws DriverError when the wizard does
// not get there.
UpdateMeasure MeasureUpdate(const std::string& medium, const std::string& installed, const std::string& work,
                            int rows);

}  // namespace qel::uidriver
