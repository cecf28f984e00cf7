#include "wizard/WizardFonts.h"

#include <cstring>

#include "platform/Failure.h"

namespace qel {
namespace {

struct FontFace {
    const char* face;
    int points;
    BYTE charset;
};

// 8, 18, 36 and 10 points are character heights of 11, 24, 48 and 13 pixels at 96 DPI.
constexpr FontFace kFaces[] = {
    {"MS Sans Serif", 8, DEFAULT_CHARSET},
    {"MS Sans Serif", 18, DEFAULT_CHARSET},
    {"Times New Roman", 36, ANSI_CHARSET},  // Windows-1252
    {"MS Sans Serif", 10, DEFAULT_CHARSET},
};

constexpr COLORREF kTeal = RGB(0, 100, 100);

constexpr const char* kBitmapSansSerif = "MS Sans Serif";
constexpr const char* kTrueTypeSansSerif = "Microsoft Sans Serif";

}  // namespace

LOGFONTA WizardFonts::Describe(FontRole role, const LayoutScale& scale) {
    const FontFace& s = kFaces[static_cast<int>(role)];
    LOGFONTA lf{};
    lf.lfHeight = -scale.FontHeight(s.points);  // negative: character height, no leading
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = s.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    // "MS Sans Serif" is a bitmap font drawn in a few fixed sizes: at another DPI its
    // TrueType successor keeps the scaled layout's proportions. At 96 DPI the layout's
    // own face stays.
    const char* face = s.face;
    if (scale.Dpi() != 96 && std::strcmp(face, kBitmapSansSerif) == 0) face = kTrueTypeSansSerif;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

WizardFonts::WizardFonts(const LayoutScale& scale) {
    for (int i = 0; i < 4; ++i) {
        LOGFONTA lf = Describe(static_cast<FontRole>(i), scale);
        fonts_[i].reset(CreateFontIndirectA(&lf));
        if (!fonts_[i]) throw Failure("Cannot create the font " + std::string(lf.lfFaceName));
    }
}

COLORREF WizardFonts::TextColour(FontRole role) {
    switch (role) {
    case FontRole::Title:
    case FontRole::Acronym:
        return kTeal;
    default:
        return GetSysColor(COLOR_WINDOWTEXT);
    }
}

}  // namespace qel
