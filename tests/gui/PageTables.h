#pragma once
// The page tables of the wizard window, written out here once more so that the window
// is checked against them and not against its own layout data.
#include <windows.h>

#include <string>
#include <vector>

namespace qel::test::tables {

struct FontWanted {
    const char* face;
    int height;  // character height at 96 DPI
    BYTE charset;
    int points;
    // Character height at a DPI: the point size holds.
    int HeightAt(int dpi) const { return MulDiv(points, dpi, 72); }
};
constexpr FontWanted kWindowFont{"MS Sans Serif", 11, DEFAULT_CHARSET, 8};
constexpr FontWanted kTitleFont{"MS Sans Serif", 24, DEFAULT_CHARSET, 18};
constexpr FontWanted kAcronymFont{"Times New Roman", 48, ANSI_CHARSET, 36};
constexpr FontWanted kBoxFont{"MS Sans Serif", 13, DEFAULT_CHARSET, 10};

constexpr int kOwnWidth = -1;  // a label as wide as its text

struct Wanted {
    const char* name;
    const char* cls;
    int page;
    int left, top, width, height;
    const char* text;
    FontWanted font;
    bool visible;
    bool tabStop;
    int id;  // IDOK for the Default button, IDCANCEL for the Cancel button, 0 for others
};

inline std::vector<Wanted> PageTables() {
    std::vector<Wanted> all;
    const char* headers[3][4] = {{"Label6", "Label5", "Label4", "Image3"},
                                 {"Label3", "Label2", "Label1", "Image2"},
                                 {"Label9", "Label8", "Label7", "Image1"}};
    for (int p = 0; p < 3; ++p) {
        all.push_back({headers[p][0], "TLabel", p, 16, 56, kOwnWidth, 55, "QEL", kAcronymFont, true, false, 0});
        all.push_back({headers[p][1], "TLabel", p, 16, 105, kOwnWidth, 29, "Quelvara", kTitleFont, true, false, 0});
        all.push_back({headers[p][2], "TLabel", p, 16, 144, 254, 29, "Programa de Instalação", kTitleFont,
                       true, false, 0});
        all.push_back({headers[p][3], "TImage", p, 345, 11, 238, 60, "", kWindowFont, true, false, 0});
    }
    all.push_back({"tpinstal", "TRadioGroup", 0, 16, 232, 381, 71, "Tipo de Instalação", kWindowFont, true, false, 0});
    all.push_back({"BitBtn3", "TBitBtn", 0, 384, 320, 89, 29, "Continuar", kWindowFont, true, true, IDOK});
    all.push_back({"BitBtn1", "TBitBtn", 0, 488, 320, 89, 29, "Cancelar", kWindowFont, true, true, IDCANCEL});
    all.push_back({"GroupBox1", "TGroupBox", 1, 16, 232, 381, 57, "Diretório de Instalação", kBoxFont, true, false, 0});
    all.push_back({"BitBtn8", "TBitBtn", 1, 280, 320, 89, 29, "Voltar", kWindowFont, true, true, 0});
    all.push_back({"BitBtn4", "TBitBtn", 1, 384, 320, 89, 29, "Continuar", kWindowFont, true, true, IDOK});
    all.push_back({"BitBtn2", "TBitBtn", 1, 488, 320, 89, 29, "Cancelar", kWindowFont, true, true, IDCANCEL});
    all.push_back({"anmIntala", "TAnimate", 2, 160, 184, 272, 60, "", kWindowFont, false, false, 0});
    all.push_back({"lblMsgInstala", "TLabel", 2, 160, 248, 192, 16, "Instalando o sistema, aguarde ...", kBoxFont,
                   false, false, 0});
    // Under the busy label while a run works: the step, the table and its rows, the bar.
    all.push_back({"lblEtapa", "TLabel", 2, 160, 268, 424, 13, "", kWindowFont, false, false, 0});
    all.push_back({"lblDetalhe", "TLabel", 2, 160, 283, 424, 13, "", kWindowFont, false, false, 0});
    all.push_back({"pbrInstala", "msctls_progress32", 2, 160, 300, 272, 12, "", kWindowFont, false, false, 0});
    all.push_back({"BitBtn5", "TBitBtn", 2, 488, 320, 89, 29, "Cancelar", kWindowFont, true, true, IDCANCEL});
    all.push_back({"BitBtn6", "TBitBtn", 2, 384, 320, 89, 29, "Instalar", kWindowFont, true, true, IDOK});
    all.push_back({"BitBtn7", "TBitBtn", 2, 280, 320, 89, 29, "Voltar", kWindowFont, true, true, 0});
    return all;
}

// The face of one of the fonts at a DPI: away from 96 the bitmap "MS Sans Serif", drawn in
// fixed sizes only, gives way to its TrueType successor.
inline const char* FaceAt(const FontWanted& f, int dpi) {
    return dpi != 96 && lstrcmpA(f.face, "MS Sans Serif") == 0 ? "Microsoft Sans Serif" : f.face;
}

// Width of a text in one of the fonts, and the font's height, at a DPI.
inline SIZE TextExtent(const FontWanted& f, const char* text, int dpi = 96) {
    HFONT font = CreateFontA(-f.HeightAt(dpi), 0, 0, 0, FW_NORMAL, 0, 0, 0, f.charset, 0, 0, 0, 0,
                             FaceAt(f, dpi));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE s{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    s.cy = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return s;
}

}  // namespace qel::test::tables
