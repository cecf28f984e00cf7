// The real program during an update that carries many rows, asked from outside to answer
// its window's messages as the system asks a window before calling it "not responding",
// watched for what page 3 shows, and its copy animation clicked and wheeled at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/e2e/DemoMedium.h"
#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/MeasuredUpdate.h"

namespace qel::e2e {
namespace {

TEST(Answers, ALargeUpdateKeepsTheWindowAnsweringShowsHowFarItIsAndTheClipMoving) {
    test::TempFolder work("e2eanswer");
    // Enough rows that the run lasts seconds even with a fast carry-over: the animation is
    // looked at every 250 ms.
    const int rows = 150000;
    const uidriver::UpdateMeasure m =
        uidriver::MeasureUpdate(DemoFolder("medium"), DemoFolder("installed-3.1.9"), work / "atualizacao", rows);
    EXPECT_EQ(m.carried, rows + 3) << "the added rows and the three of the installed database dated before 2007";

    const uidriver::AnswerFigures f = uidriver::Figures(m.answersMs);
    std::printf("[ medida   ] %zu answers in %.0f ms: worst %.0f ms, 99th percentile %.0f ms, median %.0f ms\n",
                f.count, m.runMs, f.worst, f.p99, f.median);
    // The run works on a thread of its own: the window's thread only handles messages.
    EXPECT_LE(f.worst, 100.0) << "99th percentile " << f.p99 << " ms in a run of " << m.runMs << " ms";
    EXPECT_GE(static_cast<double>(f.count), m.runMs / 50 / 2) << "the window was asked at the pace of 50 ms";
    EXPECT_GE(m.pictures, 5u) << "the copy animation stood still";
    EXPECT_TRUE(m.clicked) << "the carry-over never showed its table";

    // Page 3 showed the steps in words, the carried table's rows of its total, and a bar
    // that only went forward.
    EXPECT_NE(std::find(m.etapas.begin(), m.etapas.end(), "Migrando os dados do banco de dados"), m.etapas.end());
    int tabela = 0;
    for (const std::string& d : m.detalhes) tabela += d.rfind("Tabela TB_ACOMPANHAMENTO: linha ", 0) == 0;
    EXPECT_GE(tabela, 2) << "the rows went forward on the screen";
    EXPECT_TRUE(std::is_sorted(m.barra.begin(), m.barra.end()));
    EXPECT_GT(m.barra.empty() ? 0 : m.barra.back() - m.barra.front(), 300);
}

}  // namespace
}  // namespace qel::e2e
