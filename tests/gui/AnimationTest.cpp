// The copy animation of page 3 and MostraAnimacao: hidden and stopped at start, the
// frames the first and later starts play, the clip's own size, stopping, which clip is
// taken, the failure when none can be opened, the program's own clip, and the clip moving
// on the screen while a run works, whatever the user does on it, and while one call of
// the database engine keeps the run waiting for ten seconds; the run's calls answered
// while the window is dragged by its title bar.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/Desfecho.h"
#include "engine/RunProgress.h"
#include "platform/Failure.h"
#include "platform/FileOpSeam.h"
#include "resources/resource.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/Gui.h"
#include "tests/support/Windows.h"
#include "tools/uidriver/AnswerProbe.h"
#include "tools/uidriver/UiDriver.h"
#include "wizard/ApplicationTitle.h"
#include "wizard/ControlClasses.h"
#include "wizard/CopyAnimation.h"
#include "wizard/FailureBox.h"
#include "wizard/Instalador_NEW.h"

namespace qel {
namespace {

// The frames of the platform's copy-files clip, read from shell32's resources.
AviFrames ShellClip() {
    AviFrames frames;
    HMODULE shell = GetModuleHandleA("shell32.dll");
    HRSRC r = FindResourceA(shell, MAKEINTRESOURCEA(160), "AVI");
    if (r) {
        EXPECT_TRUE(ReadAviFrames(LockResource(LoadResource(shell, r)), SizeofResource(shell, r), frames));
    }
    return frames;
}

std::string_view OwnClip() {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(self, MAKEINTRESOURCEA(IDR_COPY_CLIP), "AVI");
    if (!r) return {};
    return {static_cast<const char*>(LockResource(LoadResource(self, r))), SizeofResource(self, r)};
}

// A hash of what the screen shows in a rectangle.
std::size_t ScreenPicture(const RECT& r) {
    const std::vector<char> pixels = uidriver::ScreenPixels(r);
    return std::hash<std::string_view>{}(std::string_view(pixels.data(), pixels.size()));
}

class Animation : public test::ShownWizard {
protected:
    void SetUp() override {
        ShownWizard::SetUp();
        frm->MostraPagina(Pagina::Instala);
        control = C("anmIntala");
    }
    bool Visible() const { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }
    HWND Page() const { return frm->JanelaDaPagina(2); }

    HWND control = nullptr;
};

TEST_F(Animation, IsHiddenAndStoppedAtStartAndStoppingItThenOnlyHidesIt) {
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(frm->anmIntala().Open());
    EXPECT_EQ(frm->anmIntala().StopFrame(), 31) << "the layout's stop frame";
    HWND player = frm->anmIntala().Player();
    EXPECT_EQ(GetParent(player), control);
    EXPECT_TRUE(GetWindowLongA(player, GWL_STYLE) & ACS_TRANSPARENT);
    EXPECT_TRUE(GetWindowLongA(player, GWL_STYLE) & ACS_CENTER);
    frm->MostraAnimacao(false);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(frm->anmIntala().Open()) << "a stop opens nothing";
}

TEST_F(Animation, FirstStartPlaysUpToFrame31LaterStartsTheWholeClip) {
    const bool platformClipFits = ShellClip().count >= 31;
    frm->MostraAnimacao(true);
    EXPECT_TRUE(frm->anmIntala().Running());
    EXPECT_TRUE(Visible());
    EXPECT_EQ(frm->anmIntala().ClipInUse(), platformClipFits ? 0 : 1)
        << "the platform's clip when it has 31 frames, the program's own otherwise";
    EXPECT_EQ(frm->anmIntala().PlayedFrom(), 1);
    EXPECT_EQ(frm->anmIntala().PlayedTo(), 31);
    EXPECT_EQ(frm->anmIntala().StopFrame(), platformClipFits ? ShellClip().count : 31);
    RECT r = test::RectIn(control, Page());
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 184);
    if (!platformClipFits) {
        EXPECT_EQ(r.right - r.left, 272) << "the control takes the size of the clip's frames";
        EXPECT_EQ(r.bottom - r.top, 60);
    }

    frm->MostraAnimacao(true);  // already running: only the visibility is set
    EXPECT_TRUE(frm->anmIntala().Running());

    frm->MostraAnimacao(false);
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(Visible());

    frm->MostraAnimacao(true);
    EXPECT_EQ(frm->anmIntala().PlayedTo(), frm->anmIntala().StopFrame());
    EXPECT_TRUE(Visible());
}

TEST_F(Animation, TakesThePlatformsClipOnlyWhenItOpensWithEnoughFramesAndOursOtherwise) {
    HMODULE shell = GetModuleHandleA("shell32.dll"), self = GetModuleHandleA(nullptr);
    const int shellFrames = ShellClip().count;
    ASSERT_LT(shellFrames, 31) << "this platform carries a full copy clip; the cases below assume it does not";
    using Clip = CopyAnimation::Clip;
    struct Case {
        const char* what;
        std::vector<Clip> clips;
        int taken;
        int size;
    } cases[] = {
        {"a platform clip shorter than the layout's", {{shell, 160, 31}, {self, IDR_COPY_CLIP, 1}}, 1, 31},
        {"no platform clip", {{shell, 9999, 31}, {self, IDR_COPY_CLIP, 1}}, 1, 31},
        {"a platform clip of 31 frames", {{self, IDR_COPY_CLIP, 31}, {shell, 160, 1}}, 0, 31},
        {"a short clip where any length goes", {{shell, 160, 1}, {self, IDR_COPY_CLIP, 1}}, 0, shellFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CopyAnimation a(Page(), {10, 10, 282, 70}, 999, c.clips);
        a.Show(true);
        EXPECT_EQ(a.ClipInUse(), c.taken);
        EXPECT_EQ(a.StopFrame(), c.size);
        EXPECT_TRUE(IsWindowVisible(a.Window()));
        a.Show(false);
    }
}

TEST_F(Animation, WhenNoClipOpensItFailsWithCannotOpenAviAndStaysHidden) {
    CopyAnimation missing(Page(), {10, 10, 282, 70}, 999,
                          {{GetModuleHandleA("shell32.dll"), 9999, 1}, {nullptr, IDR_COPY_CLIP, 1}});
    try {
        missing.Show(true);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
        EXPECT_STREQ(f.what(), "Cannot open AVI");
    }
    EXPECT_FALSE(missing.Running());
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(IsWindowVisible(missing.Window()));

    // Escaping a handler, it reaches the failure box with its full stop.
    std::string shown;
    {
        test::ModalWatcher watcher(ApplicationTitle(), [&](HWND d) {
            for (HWND h : test::Descendants(d))
                if (test::ClassOf(h) == "Static" && !test::WindowText(h).empty()) shown = test::WindowText(h);
            test::TypeKeyInto(d, VK_RETURN);
        });
        RunHandler(frm->Handle(), [&] { missing.Show(true); });
    }
    EXPECT_EQ(shown, "Cannot open AVI.");
}

// A turn of the mouse wheel over whatever is under the cursor.
void Wheel() {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(1, &in, sizeof in);
}

TEST_F(Animation, KeepsMovingWhileARunWorksWhateverTheUserDoesOnIt) {
    const HANDLE solta = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXECUTION_STATE duranteARun = 0;
    frm->ExecutaManipulador([&] {
        frm->ExecutaEmLinhaPropria([&](UiPort& porta) {
            porta.MostraAguarde();
            porta.MostraAnimacao(true);
            duranteARun = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
            WaitForSingleObject(solta, 10000);  // a long step: the run makes no call meanwhile
        });
    });
    ASSERT_TRUE(test::PumpUntil([&] { return frm->anmIntala().Running(); }, 3000, frm.get()));
    // An ordinary child of page 3, played by a timer of the window's thread.
    EXPECT_EQ(GetWindowThreadProcessId(control, nullptr), GetCurrentThreadId());
    EXPECT_EQ(GetParent(control), Page());
    RECT onScreen;
    GetWindowRect(control, &onScreen);
    std::set<std::size_t> pictures;
    std::thread watcher([&] {
        for (int i = 0; i < 16; ++i, Sleep(100)) pictures.insert(ScreenPicture(onScreen));
    });
    // Clicks, wheel turns and keys on the clip while it plays.
    for (int i = 0; i < 4; ++i) {
        test::ClickOn(control);
        Wheel();
        test::TypeKey(VK_SPACE);
        test::PumpFor(400, frm.get());
    }
    watcher.join();
    EXPECT_GE(pictures.size(), 8u) << "the displayed frame advanced only " << pictures.size() - 1 << " times in 1.6 s";
    EXPECT_TRUE(frm->anmIntala().Running());
    EXPECT_TRUE(frm->ExecucaoEmCurso()) << "the run goes on";
    EXPECT_EQ(frm->PaginaVisivel(), 2);
    SetEvent(solta);
    EXPECT_TRUE(test::PumpUntil([&] { return !frm->ExecucaoEmCurso(); }, 5000, frm.get()));
    CloseHandle(solta);
    // The system was kept from sleeping while the run worked, and is not afterwards.
    EXPECT_EQ(duranteARun & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS) & ES_SYSTEM_REQUIRED, 0u);
}

// A mouse button pressed or let go at a place of the screen.
void MouseAt(POINT p, DWORD button) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | button;
    SendInput(1, &in, sizeof in);
}

TEST_F(Animation, DraggingTheWindowByItsTitleBarDoesNotHoldUpTheRunsCalls) {
    // A run that asks the window something every few milliseconds for two seconds.
    std::vector<DWORD> chamadas;
    frm->ExecutaManipulador([&] {
        frm->ExecutaEmLinhaPropria([&](UiPort& porta) {
            for (const DWORD inicio = GetTickCount(); GetTickCount() - inicio < 2000; Sleep(5)) {
                porta.PaginaAtual();
                chamadas.push_back(GetTickCount());
            }
        });
    });
    RECT janela;
    GetWindowRect(frm->Handle(), &janela);
    const POINT titulo{janela.left + 150, janela.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2};
    // A person holds the title bar and drags, from the mouse, while the window's thread
    // is in the system's move loop.
    std::thread pessoa([titulo] {
        Sleep(300);
        MouseAt(titulo, MOUSEEVENTF_LEFTDOWN);
        for (int i = 1; i <= 10; ++i, Sleep(80)) MouseAt({titulo.x + 4 * i, titulo.y + 2 * i}, 0);
        MouseAt({titulo.x + 40, titulo.y + 20}, MOUSEEVENTF_LEFTUP);
    });
    const bool terminou = test::PumpUntil([&] { return !frm->ExecucaoEmCurso(); }, 5000, frm.get());
    pessoa.join();
    ASSERT_TRUE(terminou);
    RECT depois;
    GetWindowRect(frm->Handle(), &depois);
    EXPECT_NE(depois.left, janela.left) << "the window was dragged";
    DWORD maior = 0;
    for (std::size_t i = 1; i < chamadas.size(); ++i) maior = std::max(maior, chamadas[i] - chamadas[i - 1]);
    EXPECT_LT(maior, 200u) << "a call of the run waited that long while the window moved";
    EXPECT_GT(chamadas.size(), 100u);
}

// Keeps the run waiting in the embedded engine's first lock on the staged database (the
// data-access probe's open) for ten seconds.
class MotorParado : public fs::FileOpSeam {
public:
    DWORD Before(const fs::FileOpCall& call) override {
        std::string path = call.path;
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (call.op == fs::FileOp::Lock && !parado && path.size() > 15 &&
            path.compare(path.size() - 15, 15, "instqel\\qel.mdb") == 0) {
            parado = true;
            inicio = GetTickCount();
            Sleep(10000);
            fim = GetTickCount();
        }
        return 0;
    }
    DWORD After(const fs::FileOpCall&, DWORD error) override { return error; }

    std::atomic<bool> parado{false};
    std::atomic<DWORD> inicio{0}, fim{0};
};

TEST_F(Animation, AnEngineCallThatBlocksTenSecondsLeavesTheWindowAnsweringAndTheClipMoving) {
    // A fresh install from a medium whose database the embedded engine opens, into
    // folders of the test's own.
    test::TempFolder pastas("guibloqueio");
    ASSERT_TRUE(DeleteFileA((medium / "QEL.md_").c_str()));
    test::CreateDatabase(medium / "QEL.md_", {"CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(10))"});
    for (const char* f : {"midas.dl_", "zav2003.chm", "zav2005.chm"}) test::WriteFile(medium / f, f);
    for (const char* d : {"temp", "system"}) ASSERT_TRUE(CreateDirectoryA((pastas / d).c_str(), nullptr));
    frm->Estado().TempDir = pastas / "temp\\";
    frm->Estado().SystemDir = pastas / "system";
    frm->DefinePastaInstalacao(pastas / "QEL");
    frm->DefineTipoInstalacao(0);
    ASSERT_TRUE(CreateDirectoryA((pastas / "QEL").c_str(), nullptr));
    RECT clip;
    GetWindowRect(control, &clip);

    MotorParado motor;
    fs::ScopedFileOpSeam sob(motor);
    std::string etapaMostrada;
    {
        test::ModalWatcher confirma("Confirm", [](HWND d) { test::TypeKeyInto(d, 'Y'); });
        test::ModalWatcher concluida("Information", [](HWND d) { test::TypeKeyInto(d, VK_RETURN); }, 40000);
        uidriver::AnswerProbe probe(frm->Handle(), &clip);
        SendMessageA(C("BitBtn6"), BM_CLICK, 0, 0);
        test::PumpUntil(
            [&] {
                if (motor.parado && !motor.fim && etapaMostrada.empty() && IsWindowVisible(C("pbrInstala")))
                    etapaMostrada = test::WindowText(C("lblEtapa"));
                return !frm->Alive();
            },
            40000, frm.get());
        const std::vector<double> answers = probe.Stop();
        ASSERT_TRUE(motor.parado && motor.fim) << "the run never met the engine's call";
        const DWORD parado = motor.fim - motor.inicio;
        EXPECT_GE(parado, 9900u);
        // Asked every 50 ms from before Instalar to the window's close, the engine's wait
        // included: each question answered within 100 ms.
        const uidriver::AnswerFigures f = uidriver::Figures(answers);
        std::printf("[ medida   ] engine held %lu ms: %zu answers, worst %.0f ms, median %.0f ms, %zu pictures\n",
                    static_cast<unsigned long>(parado), f.count, f.worst, f.median, probe.Pictures());
        EXPECT_LE(f.worst, 100.0) << "worst " << f.worst << " ms, 99th percentile " << f.p99 << " ms";
        EXPECT_GE(static_cast<double>(f.count), parado / 50.0 / 2) << "asked every 50 ms";
        EXPECT_GE(probe.Pictures(), 10u) << "the clip stood still";
    }
    EXPECT_EQ(etapaMostrada, TextoDaEtapa(Etapa::AcessoADados));
    EXPECT_EQ(frm->DesfechoFinal(), Desfecho::Concluida);
    EXPECT_TRUE(GetFileAttributesA((pastas / "QEL\\QEL.exe").c_str()) != INVALID_FILE_ATTRIBUTES);
}

// Frames of a clip as its stream holds them, decoded by the platform into 8-bit indexes.
struct DecodedClip {
    int streams = 0, width = 0, height = 0, bitCount = 0;
    std::uint32_t compression = 0, microseconds = 0;
    std::vector<std::string> chunks;  // ids of the chunks in 'movi'
    std::vector<std::vector<std::uint8_t>> frames;
};

std::uint32_t Le32(const char* p) {
    return static_cast<std::uint8_t>(p[0]) | static_cast<std::uint8_t>(p[1]) << 8 |
           static_cast<std::uint8_t>(p[2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(p[3])) << 24;
}

DecodedClip Decode(std::string_view avi) {
    DecodedClip clip;
    const std::size_t avih = avi.find("avih"), strf = avi.find("strf"), movi = avi.find("movi");
    if (avih == avi.npos || strf == avi.npos || movi == avi.npos) return clip;
    clip.microseconds = Le32(&avi[avih + 8]);
    clip.streams = static_cast<int>(Le32(&avi[avih + 8 + 24]));
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(&avi[strf + 8]);
    clip.width = info->biWidth;
    clip.height = info->biHeight;
    clip.bitCount = info->biBitCount;
    clip.compression = info->biCompression;
    // Each frame decoded by the platform into a bottom-up 8-bit bitmap with the clip's own
    // palette, as the control hands it over.
    std::vector<char> rle(avi.begin() + strf + 8, avi.begin() + strf + 8 + Le32(&avi[strf + 4]));
    std::vector<char> plain = rle;
    auto* rleInfo = reinterpret_cast<BITMAPINFO*>(rle.data());
    auto* plainInfo = reinterpret_cast<BITMAPINFO*>(plain.data());
    plainInfo->bmiHeader.biCompression = BI_RGB;
    plainInfo->bmiHeader.biSizeImage = 0;
    HDC dc = GetDC(nullptr);
    for (std::size_t at = movi + 4; at + 8 <= avi.size() && avi.compare(at, 4, "idx1") != 0;) {
        const std::uint32_t size = Le32(&avi[at + 4]);
        clip.chunks.emplace_back(avi.substr(at, 4));
        void* bits = nullptr;
        HBITMAP frame = CreateDIBSection(dc, plainInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
        rleInfo->bmiHeader.biSizeImage = size;
        if (SetDIBits(dc, frame, 0, clip.height, &avi[at + 8], rleInfo, DIB_RGB_COLORS) == clip.height) {
            GdiFlush();
            const auto* p = static_cast<const std::uint8_t*>(bits);
            clip.frames.emplace_back(p, p + ((clip.width + 3) & ~3) * clip.height);
        }
        DeleteObject(frame);
        at += 8 + size + (size & 1);
    }
    ReleaseDC(nullptr, dc);
    return clip;
}

int Differing(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

TEST(CopyClip, IsOneLoopingRle8StreamOf31FramesThatFitsTheBox) {
    const std::string_view avi = OwnClip();
    ASSERT_FALSE(avi.empty()) << "the program carries no copy clip";
    AviFrames header;
    ASSERT_TRUE(ReadAviFrames(avi.data(), avi.size(), header));
    EXPECT_EQ(header.count, 31);
    EXPECT_LE(header.width, 272);
    EXPECT_LE(header.height, 60);

    const DecodedClip clip = Decode(avi);
    EXPECT_EQ(clip.streams, 1);
    EXPECT_EQ(avi.find("strl"), avi.rfind("strl")) << "one stream list";
    EXPECT_EQ(avi.find("auds"), avi.npos) << "no sound";
    EXPECT_EQ(clip.bitCount, 8);
    EXPECT_EQ(clip.compression, static_cast<std::uint32_t>(BI_RLE8));
    EXPECT_EQ(clip.chunks, std::vector<std::string>(31, "00dc")) << "frames only: no palette change";
    ASSERT_EQ(clip.frames.size(), 31u) << "every frame decodes";
    EXPECT_GE(clip.microseconds, 40000u) << "no faster than the platform's own clip";

    // It moves from every frame to the next, and from the last back into the first no
    // more than between any two others: a loop without a jump.
    int most = 0;
    for (int i = 0; i + 1 < 31; ++i) {
        const int d = Differing(clip.frames[i], clip.frames[i + 1]);
        EXPECT_GT(d, 0) << "frames " << i + 1 << " and " << i + 2 << " are the same";
        most = std::max(most, d);
    }
    const int wrap = Differing(clip.frames[30], clip.frames[0]);
    EXPECT_GT(wrap, 0);
    EXPECT_LE(wrap, most);
}

// A clip header as the AVI file format lays it out: RIFF 'AVI ', LIST 'hdrl', 'avih'.
std::vector<unsigned char> ClipHeader(unsigned frames, unsigned width, unsigned height, bool withJunk) {
    std::vector<unsigned char> d;
    auto put = [&](const char* four) {
        for (int i = 0; i < 4; ++i) d.push_back(static_cast<unsigned char>(four[i]));
    };
    auto dword = [&](unsigned v) {
        for (int i = 0; i < 4; ++i) d.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    put("RIFF");
    dword(0);  // patched below
    put("AVI ");
    if (withJunk) {
        put("JUNK");
        dword(3);
        for (unsigned char b : {1, 2, 3, 0}) d.push_back(b);  // odd size, padded
    }
    put("LIST");
    dword(4 + 8 + 56);
    put("hdrl");
    put("avih");
    dword(56);
    const unsigned header[14] = {66666, 0, 0, 0, frames, 0, 1, 0, width, height, 0, 0, 0, 0};
    for (unsigned v : header) dword(v);
    const unsigned riff = static_cast<unsigned>(d.size() - 8);
    for (int i = 0; i < 4; ++i) d[4 + i] = static_cast<unsigned char>(riff >> (8 * i));
    return d;
}

TEST(ReadAviFrames, FindsTheMainHeaderAndRefusesWhatIsNoClip) {
    AviFrames f;
    auto clip = ClipHeader(31, 272, 60, false);
    ASSERT_TRUE(ReadAviFrames(clip.data(), clip.size(), f));
    EXPECT_EQ(f.count, 31);
    EXPECT_EQ(f.width, 272);
    EXPECT_EQ(f.height, 60);
    auto padded = ClipHeader(12, 80, 50, true);
    ASSERT_TRUE(ReadAviFrames(padded.data(), padded.size(), f));
    EXPECT_EQ(f.count, 12);
    EXPECT_FALSE(ReadAviFrames(clip.data(), clip.size() - 30, f)) << "cut inside the frame fields";
    const char notAClip[] = "RIFF\x10\0\0\0WAVEfmt ";
    EXPECT_FALSE(ReadAviFrames(notAClip, sizeof notAClip, f));
    auto none = ClipHeader(0, 272, 60, false);
    EXPECT_FALSE(ReadAviFrames(none.data(), none.size(), f)) << "a clip without frames";
}

}  // namespace
}  // namespace qel
