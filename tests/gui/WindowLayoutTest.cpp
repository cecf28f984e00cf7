// The wizard window as built: every control of the three pages with its class, text,
// place, size, font, visibility, tab stop and role, the window's frame, the banner's
// pixels, the page switches, and the layout at a DPI above 96.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/gui/PageTables.h"
#include "tests/support/Gui.h"
#include "tests/support/Windows.h"
#include "wizard/ApplicationTitle.h"
#include "wizard/Banner.h"
#include "wizard/Instalador_NEW.h"

namespace qel {
namespace {

using test::RectIn;
using test::WindowText;
using namespace test::tables;

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA lf{};
    HFONT f = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    EXPECT_NE(f, nullptr) << WindowText(hwnd);
    if (f) GetObjectA(f, sizeof lf, &lf);
    return lf;
}

int Scaled(int v, int dpi) { return MulDiv(v, dpi, 96); }

TEST(Program, DeclaresWindows7To11AsTheSystemsItIsMadeFor) {
    // What the platform read from the program's manifest (the test program carries it),
    // in the layout Windows 10 and Wine give it: a count, then elements of 32 bytes (the
    // system's id, its kind, the highest version tested) from offset 8.
    struct Element {
        GUID id;
        DWORD type;
        ULONGLONG maxVersionTested;
    };
    static_assert(sizeof(Element) == 32);
    std::vector<ULONGLONG> buffer(512);
    SIZE_T needed = 0;
    ASSERT_TRUE(QueryActCtxW(0, nullptr, nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                             buffer.size() * sizeof(ULONGLONG), &needed));
    const DWORD count = *reinterpret_cast<const DWORD*>(buffer.data());
    ASSERT_EQ(needed, 8 + count * sizeof(Element));
    const auto* elements = reinterpret_cast<const Element*>(buffer.data() + 1);
    std::set<std::string> systems;
    for (DWORD i = 0; i < count; ++i) {
        if (elements[i].type != ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) continue;
        wchar_t text[40];
        StringFromGUID2(elements[i].id, text, 40);
        systems.insert(text::Narrow(text));
    }
    EXPECT_EQ(systems, (std::set<std::string>{
                           "{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",  // Windows 7
                           "{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",  // Windows 8
                           "{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",  // Windows 8.1
                           "{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",  // Windows 10 and 11
                       }));
}

TEST(WizardWindow, FrameIsFixedCaptionedWithoutButtonsAndCentred) {
    TfrmInstala frm(Self(), 96);
    HWND w = frm.Handle();
    EXPECT_EQ(test::ClassOf(w), "TfrmInstala");
    EXPECT_EQ(WindowText(w), "Quelvara - Instalação");
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 386);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) << "a single frame, not a double one";
    EXPECT_EQ(GetMenu(w), nullptr);
    EXPECT_EQ(GetClassLongPtrA(w, GCLP_HBRBACKGROUND),
              reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_WINDOW)));

    frm.Show();
    test::PumpFor(200, &frm);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(GetFocus(), frm.Controle("pgcInstala")) << "the page control holds the focus at start";
}

TEST(WizardWindow, PageControlFillsTheClientAreaWithThreeTablessPages) {
    TfrmInstala frm(Self(), 96);
    HWND pgc = GetWindow(frm.Handle(), GW_CHILD);
    ASSERT_NE(pgc, nullptr);
    EXPECT_EQ(test::ClassOf(pgc), "TPageControl");
    EXPECT_EQ(GetWindow(pgc, GW_HWNDNEXT), nullptr) << "the page control is the window's only child";
    RECT r = RectIn(pgc, frm.Handle());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 386);
    EXPECT_TRUE(GetWindowLongA(pgc, GWL_STYLE) & WS_TABSTOP);

    std::vector<HWND> pages;
    for (HWND h = GetWindow(pgc, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) pages.push_back(h);
    ASSERT_EQ(pages.size(), 3u);
    const char* names[] = {"tbsInicio", "tbsDiretorio", "tbsInstala"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i], frm.Controle(names[i])) << names[i] << " in its place";
        EXPECT_EQ(test::ClassOf(pages[i]), "TTabSheet");
        RECT p = RectIn(pages[i], pgc);
        EXPECT_EQ(p.left, 0);
        EXPECT_EQ(p.top, 0);
        EXPECT_EQ(p.right, 600) << "no tab strip takes room";
        EXPECT_EQ(p.bottom, 386);
        EXPECT_EQ((GetWindowLongA(pages[i], GWL_STYLE) & WS_VISIBLE) != 0, i == 0) << "page 1 shown at start";
    }
    EXPECT_EQ(frm.PaginaAtual(), Pagina::Inicio);
}

TEST(WizardWindow, EveryControlOfThePageTablesIsWhereTheTablesPutIt) {
    TfrmInstala frm(Self(), 96);
    for (const Wanted& c : PageTables()) {
        SCOPED_TRACE(c.name);
        HWND h = frm.Controle(c.name);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(test::ClassOf(h), c.cls);
        EXPECT_EQ(WindowText(h), c.text) << "the control holds its text";
        HWND page = frm.JanelaDaPagina(c.page);
        EXPECT_EQ(GetParent(h), page);
        RECT r = RectIn(h, page);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        const int width = c.width == kOwnWidth ? TextExtent(c.font, c.text, 96).cx : c.width;
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        const LONG style = GetWindowLongA(h, GWL_STYLE);
        EXPECT_EQ((style & WS_VISIBLE) != 0, c.visible);
        EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabStop);
        if (c.id) {
            EXPECT_EQ(GetDlgCtrlID(h), c.id);
        } else {
            EXPECT_NE(GetDlgCtrlID(h), IDOK);
            EXPECT_NE(GetDlgCtrlID(h), IDCANCEL);
        }
        if (std::strcmp(c.cls, "TImage") != 0 && std::strcmp(c.cls, "TAnimate") != 0) {
            LOGFONTA lf = FontOf(h);
            EXPECT_STREQ(lf.lfFaceName, c.font.face);
            EXPECT_EQ(lf.lfHeight, -c.font.height) << "character height";
            EXPECT_EQ(c.font.HeightAt(96), c.font.height);
            EXPECT_EQ(lf.lfCharSet, c.font.charset);
        }
    }
}

TEST(WizardWindow, TheFolderFieldStandsInItsBoxWithItsBrowseButton) {
    TfrmInstala frm(Self(), 96);
    HWND box = frm.Controle("GroupBox1");
    HWND field = frm.Controle("diredInstala");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(test::ClassOf(field), "TDirectoryEdit");
    EXPECT_EQ(GetParent(field), box);
    RECT r = RectIn(field, box);
    EXPECT_EQ(r.left, 8);
    EXPECT_EQ(r.top, 24);
    EXPECT_EQ(r.right - r.left, 361);
    EXPECT_EQ(r.bottom - r.top, 21);
    EXPECT_EQ(WindowText(field), "C:\\Arquivos de Programas\\ZAV\\QEL");
    EXPECT_FALSE(GetWindowLongA(field, GWL_STYLE) & WS_TABSTOP) << "Tab passes over the field";
    LOGFONTA lf = FontOf(field);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(lf.lfHeight, -13) << "the box's font";

    // The browse button at the field's right end, inside it, no tab stop.
    HWND button = frm.diredInstala().Button();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(GetParent(button), field);
    RECT client, b;
    GetClientRect(field, &client);
    b = RectIn(button, field);
    EXPECT_EQ(b.right, client.right);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.bottom, client.bottom);
    EXPECT_FALSE(GetWindowLongA(button, GWL_STYLE) & WS_TABSTOP);
    // Typed text stops short of the button.
    const DWORD margins = static_cast<DWORD>(SendMessageA(field, EM_GETMARGINS, 0, 0));
    EXPECT_GE(HIWORD(margins), b.right - b.left);
}

TEST(WizardWindow, RadioGroupHoldsItsTwoItemsEvenlyWithTheUpdateSelected) {
    TfrmInstala frm(Self(), 96);
    HWND group = frm.Controle("tpinstal");
    EXPECT_EQ(test::ChildTexts(group, "Button"),
              (std::vector<std::string>{"1- Instala QEL", "2- Atualização"}));
    const auto& items = frm.ItensTipoInstalacao();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(frm.TipoInstalacao(), 1);
    EXPECT_EQ(SendMessageA(items[1], BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(items[0], BM_GETCHECK, 0, 0), BST_UNCHECKED);
    RECT a = RectIn(items[0], group), b = RectIn(items[1], group), box;
    GetClientRect(group, &box);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.bottom - a.top, b.bottom - b.top) << "evenly spaced";
    EXPECT_EQ(b.top, a.bottom);
    EXPECT_GT(a.top, 10) << "below the caption";
    EXPECT_LE(b.bottom, box.bottom);
    // Only the selected item is a tab stop: Tab reaches the group at its selection.
    EXPECT_FALSE(GetWindowLongA(items[0], GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongA(items[1], GWL_STYLE) & WS_TABSTOP);
}

TEST(WizardWindow, WindowsOfEachPageFollowTheTabOrder) {
    TfrmInstala frm(Self(), 96);
    const std::vector<std::vector<std::string>> wanted = {
        {"BitBtn3", "BitBtn1", "tpinstal"}, {"GroupBox1", "BitBtn8", "BitBtn4", "BitBtn2"},
        {"BitBtn5", "BitBtn6", "BitBtn7"}};
    for (int p = 0; p < 3; ++p) {
        std::vector<HWND> order;
        for (HWND h = GetWindow(frm.JanelaDaPagina(p), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            for (const auto& name : wanted[p])
                if (frm.Controle(name) == h) order.push_back(h);
        }
        std::vector<HWND> expected;
        for (const auto& name : wanted[p]) expected.push_back(frm.Controle(name));
        EXPECT_EQ(order, expected) << "page " << p + 1;
    }
}

TEST(WizardWindow, BannerIsDrawnOpaqueAtItsOwnSizeOnAllThreePages) {
    TfrmInstala frm(Self(), 96);
    frm.Show();
    const Picture picture = LoadBanner(Self());
    ASSERT_EQ(picture.Width(), 238);
    ASSERT_EQ(picture.Height(), 60);
    const Pagina pages[] = {Pagina::Inicio, Pagina::Diretorio, Pagina::Instala};
    const char* boxes[] = {"Image3", "Image2", "Image1"};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(boxes[p]);
        frm.MostraPagina(pages[p]);
        HWND image = frm.Controle(boxes[p]);
        UpdateWindow(frm.Handle());
        test::PumpFor(100, &frm);
        HDC dc = GetDC(image);
        int same = 0, checked = 0;
        for (int y = 0; y < 60; y += 7)
            for (int x = 0; x < 238; x += 13) {
                ++checked;
                if (GetPixel(dc, x, y) == picture.Pixel(x, y)) ++same;
            }
        ReleaseDC(image, dc);
        EXPECT_EQ(same, checked) << "every sampled pixel is the picture's own";
    }
}

TEST(WizardWindow, PagesChangeOnlyAsAsked) {
    TfrmInstala frm(Self(), 96);
    frm.MostraPagina(Pagina::Instala);
    EXPECT_EQ(frm.PaginaVisivel(), 2);
    EXPECT_EQ(frm.PaginaAtual(), Pagina::Instala);
    EXPECT_FALSE(IsWindowVisible(frm.Controle("anmIntala")));
    EXPECT_FALSE(IsWindowVisible(frm.Controle("lblMsgInstala")));
    frm.MostraAguarde();
    EXPECT_TRUE(GetWindowLongA(frm.Controle("lblMsgInstala"), GWL_STYLE) & WS_VISIBLE);
    frm.MostraPagina(Pagina::Diretorio);
    EXPECT_EQ(frm.PaginaVisivel(), 1);
    EXPECT_FALSE(GetWindowLongA(frm.JanelaDaPagina(2), GWL_STYLE) & WS_VISIBLE);
    frm.MostraPagina(Pagina::Instala);
    EXPECT_TRUE(GetWindowLongA(frm.Controle("lblMsgInstala"), GWL_STYLE) & WS_VISIBLE)
        << "the busy label is never hidden again";
}

TEST(WizardWindow, PagesNotShownYetAreMadeWhenFirstShownOrAskedFor) {
    const std::string padrao = "C:\\Arquivos de Programas\\ZAV\\QEL";
    TfrmInstala frm(Self(), 96);
    HWND pages[3] = {frm.Controle("tbsInicio"), frm.Controle("tbsDiretorio"), frm.Controle("tbsInstala")};
    EXPECT_NE(GetWindow(pages[0], GW_CHILD), nullptr) << "page 1 is made with the window";
    EXPECT_EQ(GetWindow(pages[1], GW_CHILD), nullptr);
    EXPECT_EQ(GetWindow(pages[2], GW_CHILD), nullptr) << "the copy animation too waits for its page";
    EXPECT_EQ(frm.PastaInstalacao(), padrao);

    // What is set before the folder field exists is what it shows once made.
    frm.DefinePastaInstalacao("D:\\Outra");
    frm.MostraPagina(Pagina::Diretorio);
    EXPECT_NE(GetWindow(pages[1], GW_CHILD), nullptr);
    EXPECT_EQ(WindowText(frm.Controle("diredInstala")), "D:\\Outra");
    EXPECT_EQ(frm.PastaInicialDiredInstala(), padrao);
    frm.MostraAnimacao(false);
    EXPECT_EQ(GetWindow(pages[2], GW_CHILD), nullptr) << "stopping an animation never made makes nothing";

    // A control asked for by name is made at once, with its page, which stays hidden.
    HWND instalar = frm.Controle("BitBtn6");
    ASSERT_NE(instalar, nullptr);
    EXPECT_EQ(GetParent(instalar), pages[2]);
    EXPECT_FALSE(IsWindowVisible(pages[2]));
    EXPECT_NE(frm.Controle("anmIntala"), nullptr);
    EXPECT_EQ(frm.PaginaVisivel(), 1);
}

TEST(WizardWindow, ControlIdentifiersDoNotDependOnTheOrderPagesAreMade) {
    TfrmInstala inOrder(Self(), 96), page3First(Self(), 96);
    inOrder.JanelaDaPagina(1);
    inOrder.JanelaDaPagina(2);
    page3First.JanelaDaPagina(2);
    page3First.JanelaDaPagina(1);
    std::set<int> ids;
    for (const Wanted& c : PageTables()) {
        SCOPED_TRACE(c.name);
        const int id = GetDlgCtrlID(inOrder.Controle(c.name));
        EXPECT_EQ(GetDlgCtrlID(page3First.Controle(c.name)), id);
        // The Default and Cancel identifiers repeat from page to page; no other does.
        if (id != IDOK && id != IDCANCEL) {
            EXPECT_TRUE(ids.insert(id).second) << id;
        }
    }
    for (HWND item : inOrder.ItensTipoInstalacao()) EXPECT_TRUE(ids.insert(GetDlgCtrlID(item)).second);
}

TEST(TaskbarEntry, CarriesTheApplicationTitleAndIconAndOwnsTheWizard) {
    TfrmInstala frm(Self(), 96);
    frm.Show();
    HWND entry = frm.TaskbarWindow();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(WindowText(entry), ApplicationTitle()) << "the application title, not the caption";
    EXPECT_EQ(GetWindow(frm.Handle(), GW_OWNER), entry) << "the wizard has no entry of its own";
    EXPECT_FALSE(GetWindowLongA(frm.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(entry, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(entry));
    EXPECT_FALSE(GetWindowLongA(entry, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT r;
    GetWindowRect(entry, &r);
    EXPECT_LE(r.right - r.left, 1) << "nothing of it shows on the screen";

    // What the shell shows: the icon set on the window, or else its class's.
    HICON icon = reinterpret_cast<HICON>(SendMessageA(entry, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(entry, GCLP_HICON));
    EXPECT_EQ(icon, LoadIconA(Self(), "MAINICON")) << "the program's icon";

    HMENU menu = GetSystemMenu(entry, FALSE);
    ASSERT_NE(menu, nullptr);
    std::vector<UINT> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) items.push_back(GetMenuItemID(menu, i));
    EXPECT_EQ(items, (std::vector<UINT>{SC_RESTORE, SC_MINIMIZE, SC_CLOSE}));
}

TEST(TaskbarEntry, MinimizeHidesTheWizardRestoreBringsItBackCloseEndsIt) {
    TfrmInstala frm(Self(), 96);
    frm.Show();
    HWND entry = frm.TaskbarWindow();
    SendMessageA(entry, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    test::PumpFor(100, &frm);
    EXPECT_FALSE(IsWindowVisible(frm.Handle()));
    EXPECT_TRUE(IsIconic(entry));
    SendMessageA(entry, WM_SYSCOMMAND, SC_RESTORE, 0);
    test::PumpFor(100, &frm);
    EXPECT_TRUE(IsWindowVisible(frm.Handle()));
    EXPECT_FALSE(IsIconic(entry));
    frm.MostraPagina(Pagina::Diretorio);
    SendMessageA(entry, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(frm.Alive()) << "closed at once, without a question";
    EXPECT_FALSE(IsWindow(entry));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program's loop ends";
}

TEST(WizardWindow, AltF4DoesNotCloseIt) {
    TfrmInstala frm(Self(), 96);
    frm.Show();
    test::PumpFor(100, &frm);
    test::TypeKeyInto(frm.Handle(), VK_F4, test::kAlt);
    test::PumpFor(300, &frm);
    EXPECT_TRUE(frm.Alive());
    EXPECT_TRUE(test::DialogsOf(GetCurrentThreadId()).empty());
}

// Every control's box, in its page's client coordinates.
std::map<std::string, RECT> Boxes(TfrmInstala& frm) {
    std::map<std::string, RECT> boxes;
    for (const Wanted& c : PageTables()) boxes[c.name] = RectIn(frm.Controle(c.name), frm.JanelaDaPagina(c.page));
    return boxes;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT i;
    return IntersectRect(&i, &a, &b) != 0;
}

TEST(WizardWindowAtHigherDpi, ScalesEverythingWithoutCuttingText) {
    TfrmInstala at96(Self(), 96);
    const auto base = Boxes(at96);
    // (A larger DPI would make the window larger than the test's 1024 x 768 screen.)
    for (int dpi : {120, 144}) {
        SCOPED_TRACE("DPI " + std::to_string(dpi));
        TfrmInstala frm(Self(), dpi);
        RECT client;
        GetClientRect(frm.Handle(), &client);
        EXPECT_EQ(client.right, Scaled(600, dpi));
        EXPECT_EQ(client.bottom, Scaled(386, dpi));
        const auto boxes = Boxes(frm);
        for (const Wanted& c : PageTables()) {
            SCOPED_TRACE(c.name);
            HWND h = frm.Controle(c.name);
            const RECT& r = boxes.at(c.name);
            EXPECT_EQ(r.left, Scaled(c.left, dpi));
            EXPECT_EQ(r.top, Scaled(c.top, dpi));
            EXPECT_LE(r.right, client.right);
            EXPECT_LE(r.bottom, client.bottom);
            if (std::strcmp(c.cls, "TLabel") == 0) {
                // The text fits its label.
                const SIZE text = TextExtent(c.font, c.text, dpi);
                EXPECT_GE(r.right - r.left, text.cx);
                EXPECT_GE(r.bottom - r.top, text.cy);
                EXPECT_EQ(FontOf(h).lfHeight, -c.font.HeightAt(dpi));
                EXPECT_STREQ(FontOf(h).lfFaceName, FaceAt(c.font, dpi));
            } else if (std::strcmp(c.cls, "TImage") != 0 && std::strcmp(c.cls, "TAnimate") != 0) {
                EXPECT_EQ(r.right - r.left, Scaled(c.width, dpi));
                EXPECT_EQ(r.bottom - r.top, Scaled(c.height, dpi));
                EXPECT_EQ(FontOf(h).lfHeight, -c.font.HeightAt(dpi));
                EXPECT_STREQ(FontOf(h).lfFaceName, FaceAt(c.font, dpi));
            }
            // Nothing overlaps that did not already touch at 96 DPI.
            for (const Wanted& other : PageTables()) {
                if (other.page != c.page || std::strcmp(other.name, c.name) >= 0) continue;
                if (Overlap(base.at(c.name), base.at(other.name))) continue;
                EXPECT_FALSE(Overlap(r, boxes.at(other.name))) << "overlaps " << other.name;
            }
        }
        // Button captions fit beside their glyphs.
        for (const char* name : {"BitBtn1", "BitBtn3", "BitBtn6", "BitBtn7"}) {
            const SIZE text = TextExtent(kWindowFont, WindowText(frm.Controle(name)).c_str(), dpi);
            EXPECT_LE(18 + Scaled(4, dpi) + text.cx, boxes.at(name).right - boxes.at(name).left - 8) << name;
        }
    }
}

}  // namespace
}  // namespace qel
