// The real program during an update that carries many rows, asked from outside to answer
// its window's messages as the system asks a window before calling it "not responding".
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/DemoMedium.h"
#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/MeasuredUpdate.h"

namespace qel::e2e {
namespace {

TEST(Answers, ALargeUpdateKeepsTheWindowAnsweringAndTheCopyAnimationMoving) {
    test::TempFolder work("e2eanswer");
    // Enough rows that the run lasts seconds even with a fast carry-over: the animation is
    // looked at every 250 ms.
    const int rows = 150000;
    const uidriver::UpdateMeasure m =
        uidriver::MeasureUpdate(DemoFolder("medium"), DemoFolder("installed-3.1.9"), work / "atualizacao", rows);
    EXPECT_EQ(m.carried, rows + 3) << "the added rows and the three of the installed database dated before 2007";

    const uidriver::AnswerFigures f = uidriver::Figures(m.answersMs);
    // A loose bound, far below the 5 s after which the system ghosts a window, and below a
    // quarter of the run, so that a window that handles no message during the carry-over
    // still fails it when carrying gets faster.
    const double bound = std::min(2000.0, m.runMs / 4);
    EXPECT_LT(f.worst, bound) << "worst " << f.worst << " ms, 99th percentile " << f.p99 << " ms in a run of "
                              << m.runMs << " ms";
    EXPECT_GE(static_cast<double>(f.count), m.runMs / 50 / 2) << "the window was asked at the pace of 50 ms";
    EXPECT_GE(m.pictures, 5u) << "the copy animation stood still";
}

}  // namespace
}  // namespace qel::e2e
