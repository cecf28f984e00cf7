// Measures how quickly the wizard's window answers while an update carries many rows.
//   answer-time <medium> <installed> <work-folder> [rows]
// Copies the medium and the installed QEL into a new folder inside the work folder, adds the rows (500,000
// when not given) to the installed database, runs the update through the real window, and
// from this process asks the window to answer WM_NULL every 50 ms (SendMessageTimeout)
// from the confirmation to the completion message, clicking the copy animation and
// turning the wheel over it once the carry-over shows. Prints the answers' worst, 99th
// percentile and median in milliseconds, how many took longer than 100 ms, and what
// page 3 showed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/Handles.h"
#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/MeasuredUpdate.h"

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::printf("usage: answer-time <medium> <installed> <work-folder> [rows]\n");
        return 2;
    }
    const int rows = argc == 5 ? std::atoi(argv[4]) : 500000;
    qel::ComApartment com;
    try {
        const std::string work = std::string(argv[3]) + "\\atualizacao-" + std::to_string(GetTickCount64());
        CreateDirectoryA(argv[3], nullptr);
        const qel::uidriver::UpdateMeasure m = qel::uidriver::MeasureUpdate(argv[1], argv[2], work, rows);
        const qel::uidriver::AnswerFigures f = qel::uidriver::Figures(m.answersMs);
        std::printf("update carrying %lld rows: %.1f s from the confirmation to the completion message\n", m.carried,
                    m.runMs / 1000);
        std::printf("answers to WM_NULL every 50 ms: %zu, worst %.0f ms, 99th percentile %.0f ms, median %.0f ms\n",
                    f.count, f.worst, f.p99, f.median);
        std::size_t worst = 0;
        for (std::size_t i = 1; i < m.answersMs.size(); ++i)
            if (m.answersMs[i] > m.answersMs[worst]) worst = i;
        if (!m.answersMs.empty())
            std::printf("the worst was asked %.1f s after the confirmation\n", m.askedAtMs[worst] / 1000);
        std::size_t slow = 0;
        for (double a : m.answersMs) slow += a > 100;
        std::printf("answers over 100 ms: %zu\n", slow);
        std::printf("copy animation: %zu different pictures (watched every 250 ms)%s\n", m.pictures,
                    m.clicked ? ", clicked and wheeled at during the carry-over" : "");
        std::printf("page 3 showed %zu steps, %zu different table lines, the bar from %d to %d\n", m.etapas.size(),
                    m.detalhes.size(), m.barra.empty() ? -1 : m.barra.front(), m.barra.empty() ? -1 : m.barra.back());
        return 0;
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", e.what());
        return 1;
    }
}
