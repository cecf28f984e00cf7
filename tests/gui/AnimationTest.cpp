// The copy animation of page 3 and MostraAnimacao: hidden and stopped at start, the
// frames the first and later starts play, the clip's own size, stopping, and the
// failure when the clip cannot be opened.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "tests/support/Gui.h"
#include "tests/support/Windows.h"
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
    EXPECT_NE(r, nullptr) << "the platform has no copy-files clip";
    if (r) {
        EXPECT_TRUE(ReadAviFrames(LockResource(LoadResource(shell, r)), SizeofResource(shell, r), frames));
    }
    return frames;
}

class Animation : public test::ShownWizard {
protected:
    void SetUp() override {
        ShownWizard::SetUp();
        frm->MostraPagina(Pagina::Instala);
        control = C("anmIntala");
    }
    bool Visible() const { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

    HWND control = nullptr;
};

TEST_F(Animation, IsHiddenAndStoppedAtStartAndStoppingItThenOnlyHidesIt) {
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(frm->anmIntala().Open());
    EXPECT_EQ(frm->anmIntala().StopFrame(), 31) << "the layout's stop frame";
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & ACS_TRANSPARENT);
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & ACS_CENTER);
    frm->MostraAnimacao(false);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(frm->anmIntala().Open()) << "a stop opens nothing";
}

TEST_F(Animation, FirstStartPlaysUpToFrame31LaterStartsTheWholeClip) {
    const AviFrames clip = ShellClip();
    ASSERT_GT(clip.count, 0);
    frm->MostraAnimacao(true);
    EXPECT_TRUE(frm->anmIntala().Running());
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(frm->anmIntala().Open());
    EXPECT_EQ(frm->anmIntala().PlayedFrom(), 1);
    EXPECT_EQ(frm->anmIntala().PlayedTo(), std::min(31, clip.count))
        << "frames 1 to 31, or the whole clip when it is shorter";
    EXPECT_EQ(frm->anmIntala().StopFrame(), clip.count) << "opening takes the clip's own frame count";
    RECT r = test::RectIn(control, frm->JanelaDaPagina(2));
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 184);
    EXPECT_EQ(r.right - r.left, clip.width) << "the control takes the size of the clip's frames";
    EXPECT_EQ(r.bottom - r.top, clip.height);

    frm->MostraAnimacao(true);  // already running: only the visibility is set
    EXPECT_TRUE(frm->anmIntala().Running());

    frm->MostraAnimacao(false);
    EXPECT_FALSE(frm->anmIntala().Running());
    EXPECT_FALSE(Visible());

    frm->MostraAnimacao(true);
    EXPECT_EQ(frm->anmIntala().PlayedTo(), clip.count);
    EXPECT_TRUE(Visible());
}

TEST_F(Animation, AClipThatCannotBeOpenedFailsWithCannotOpenAviAndStaysHidden) {
    CopyAnimation missing(control, GetModuleHandleA("shell32.dll"), 9999);
    try {
        missing.Show(true);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
        EXPECT_STREQ(f.what(), "Cannot open AVI");
    }
    EXPECT_FALSE(missing.Running());
    EXPECT_FALSE(Visible());

    CopyAnimation noModule(control, nullptr, 160);
    EXPECT_THROW(noModule.Show(true), Failure);

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
