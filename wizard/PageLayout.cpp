#include "wizard/PageLayout.h"

#include <algorithm>

namespace qel {
namespace {

constexpr int kNoTab = -1;

// The four controls every page begins with, under names of its own.
struct HeaderNames {
    const char* acronym;
    const char* fullName;
    const char* subtitle;
    const char* banner;
};
constexpr HeaderNames kHeaders[3] = {
    {"Label6", "Label5", "Label4", "Image3"},
    {"Label3", "Label2", "Label1", "Image2"},
    {"Label9", "Label8", "Label7", "Image1"},
};

void AddHeader(std::vector<ControlEntry>& out, int page) {
    const HeaderNames& n = kHeaders[page];
    out.push_back({n.acronym, ControlKind::Label, page, nullptr, 16, 56, kTextWidth, 55, "QEL",
                   FontRole::Acronym, kNoTab, ButtonRole::None, Glyph::None, true, {}, 0});
    out.push_back({n.fullName, ControlKind::Label, page, nullptr, 16, 105, kTextWidth, 29, "Quelvara",
                   FontRole::Title, kNoTab, ButtonRole::None, Glyph::None, true, {}, 0});
    out.push_back({n.subtitle, ControlKind::Label, page, nullptr, 16, 144, 254, 29,
                   "Programa de Instalação", FontRole::Title, kNoTab, ButtonRole::None, Glyph::None,
                   true, {}, 0});
    out.push_back({n.banner, ControlKind::Image, page, nullptr, 345, 11, 238, 60, "", FontRole::Window,
                   kNoTab, ButtonRole::None, Glyph::None, true, {}, 0});
}

ControlEntry Button(const char* name, int page, int left, const char* text, int tabOrder,
                   ButtonRole role, Glyph glyph) {
    return {name, ControlKind::BitBtn, page, nullptr, left, 320, 89, 29, text, FontRole::Window,
            tabOrder, role, glyph, true, {}, 0};
}

std::vector<ControlEntry> Build() {
    std::vector<ControlEntry> pages[3];
    for (int p = 0; p < 3; ++p) AddHeader(pages[p], p);

    // Page 1: the installation type.
    pages[0].push_back({"tpinstal", ControlKind::RadioGroup, 0, nullptr, 16, 232, 381, 71,
                        "Tipo de Instalação", FontRole::Window, 2, ButtonRole::None, Glyph::None,
                        true, {"1- Instala QEL", "2- Atualização"}, 1});
    pages[0].push_back(Button("BitBtn3", 0, 384, "Continuar", 0, ButtonRole::Default, Glyph::Forward));
    pages[0].push_back(Button("BitBtn1", 0, 488, "Cancelar", 1, ButtonRole::Cancel, Glyph::Cross));

    // Page 2: the install folder.
    pages[1].push_back({"GroupBox1", ControlKind::GroupBox, 1, nullptr, 16, 232, 381, 57,
                        "Diretório de Instalação", FontRole::Box, 0, ButtonRole::None, Glyph::None,
                        true, {}, 0});
    pages[1].push_back({"diredInstala", ControlKind::DirectoryEdit, 1, "GroupBox1", 8, 24, 361, 21, "",
                        FontRole::Box, kNoTab, ButtonRole::None, Glyph::None, true, {}, 0});
    pages[1].push_back(Button("BitBtn8", 1, 280, "Voltar", 1, ButtonRole::None, Glyph::Back));
    pages[1].push_back(Button("BitBtn4", 1, 384, "Continuar", 2, ButtonRole::Default, Glyph::Forward));
    pages[1].push_back(Button("BitBtn2", 1, 488, "Cancelar", 3, ButtonRole::Cancel, Glyph::Cross));

    // Page 3: the installation, with its busy display hidden until a run shows it.
    pages[2].push_back({"anmIntala", ControlKind::Animate, 2, nullptr, 160, 184, 272, 60, "",
                        FontRole::Window, kNoTab, ButtonRole::None, Glyph::None, false, {}, 0});
    pages[2].push_back({"lblMsgInstala", ControlKind::Label, 2, nullptr, 160, 248, 192, 16,
                        "Instalando o sistema, aguarde ...", FontRole::Box, kNoTab, ButtonRole::None,
                        Glyph::None, false, {}, 0});
    // Under the busy label, while a run works: the step, the carry-over's table and rows,
    // and how much of the run is done.
    pages[2].push_back({"lblEtapa", ControlKind::Label, 2, nullptr, 160, 268, 424, 13, "", FontRole::Window,
                        kNoTab, ButtonRole::None, Glyph::None, false, {}, 0});
    pages[2].push_back({"lblDetalhe", ControlKind::Label, 2, nullptr, 160, 283, 424, 13, "", FontRole::Window,
                        kNoTab, ButtonRole::None, Glyph::None, false, {}, 0});
    pages[2].push_back({"pbrInstala", ControlKind::Progress, 2, nullptr, 160, 300, 272, 12, "", FontRole::Window,
                        kNoTab, ButtonRole::None, Glyph::None, false, {}, 0});
    pages[2].push_back(Button("BitBtn5", 2, 488, "Cancelar", 0, ButtonRole::Cancel, Glyph::Cross));
    pages[2].push_back(Button("BitBtn6", 2, 384, "Instalar", 1, ButtonRole::Default, Glyph::Check));
    pages[2].push_back(Button("BitBtn7", 2, 280, "Voltar", 2, ButtonRole::None, Glyph::Back));

    std::vector<ControlEntry> all;
    for (auto& page : pages) {
        // Controls without a tab order keep their place; those with one follow, in tab
        // order, so the order of the windows is the order of the Tab key. A box's
        // controls follow the box.
        std::stable_sort(page.begin(), page.end(), [](const ControlEntry& a, const ControlEntry& b) {
            auto key = [](const ControlEntry& c) { return c.box ? 1000 : c.tabOrder; };
            return key(a) < key(b);
        });
        all.insert(all.end(), page.begin(), page.end());
    }
    return all;
}

}  // namespace

const std::vector<ControlEntry>& WizardLayout() {
    static const std::vector<ControlEntry> layout = Build();
    return layout;
}

}  // namespace qel
