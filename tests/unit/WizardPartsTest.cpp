// The pieces of the wizard window that are plain logic or plain data: the application
// title, the glyph placement in a button, the layout's scale and fonts, and the program's
// own artwork as it sits in its resources (the banner decoded by libjpeg, the glyphs).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "platform/Failure.h"
#include "resources/resource.h"
#include "wizard/ApplicationTitle.h"
#include "wizard/Banner.h"
#include "wizard/BitBtn.h"
#include "wizard/JpegImage.h"
#include "wizard/LayoutScale.h"
#include "wizard/WizardFonts.h"

namespace qel {
namespace {

TEST(ApplicationTitle, ProgramNameCutAtTheFirstDotAndLowerCasedAfterTheFirstLetter) {
    EXPECT_EQ(ApplicationTitle("C:\\Medium\\InstalaQEL.exe"), "Instalaqel");
    EXPECT_EQ(ApplicationTitle("D:\\INSTALA.QEL.EXE"), "Instala");
    EXPECT_EQ(ApplicationTitle("instalaQEL.exe"), "instalaqel") << "the first letter stays as it is";
    EXPECT_EQ(ApplicationTitle("C:\\Pasta.com.ponto\\SETUP"), "Setup") << "only the file's name counts";
    EXPECT_EQ(ApplicationTitle("C:\\M\\INSTALAÇÃO.exe"), "Instalação") << "8-bit letters too";
    EXPECT_EQ(ApplicationTitle("X"), "X");
}

TEST(PlaceBitBtn, GlyphLeftOfTheCaptionFourPixelsApartThePairCentred) {
    // An 89-pixel button, a 16-pixel glyph and a 50-pixel caption: 70 pixels in all.
    BitBtnPlacement p = PlaceBitBtn(89, 16, 50, 4);
    EXPECT_EQ(p.glyphLeft, 9);
    EXPECT_EQ(p.textLeft, 9 + 16 + 4);
    EXPECT_NEAR(89 - (p.textLeft + 50), p.glyphLeft, 1) << "as much room on either side";
    p = PlaceBitBtn(89, 18, 44, 4);
    EXPECT_EQ(p.glyphLeft, 11);
    EXPECT_EQ(p.textLeft, 33);
    p = PlaceBitBtn(89, 0, 44, 4);
    EXPECT_EQ(p.textLeft, 22) << "no glyph: the caption alone is centred";
}

TEST(LayoutScale, KeepsThe96DpiLayoutAndScalesAboveIt) {
    LayoutScale at96(96), at120(120), at144(144);
    EXPECT_EQ(at96(600), 600);
    EXPECT_EQ(at96(89), 89);
    EXPECT_EQ(at144(600), 900);
    EXPECT_EQ(at144(89), 134);
    EXPECT_EQ(at120(386), 483);
    // 8, 18, 36 and 10 points are 11, 24, 48 and 13 pixels at 96 DPI.
    EXPECT_EQ(WizardFonts::Describe(FontRole::Window, at96).lfHeight, -11);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Title, at96).lfHeight, -24);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Acronym, at96).lfHeight, -48);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Box, at96).lfHeight, -13);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Window, at144).lfHeight, -16);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Acronym, at144).lfHeight, -72);
    EXPECT_STREQ(WizardFonts::Describe(FontRole::Acronym, at96).lfFaceName, "Times New Roman");
    EXPECT_EQ(WizardFonts::Describe(FontRole::Acronym, at96).lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(WizardFonts::Describe(FontRole::Title, at96).lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(WizardFonts::TextColour(FontRole::Title), RGB(0, 100, 100));
    EXPECT_EQ(WizardFonts::TextColour(FontRole::Acronym), RGB(0, 100, 100));
    EXPECT_EQ(WizardFonts::TextColour(FontRole::Box), GetSysColor(COLOR_WINDOWTEXT));
}

TEST(Banner, IsAProgressiveJfifJpegOf238By60DecodedByLibjpeg) {
    auto [data, size] = ResourceBytes(GetModuleHandleA(nullptr), IDR_BANNER);
    const JpegFacts facts = ReadJpegFacts(data, size);
    EXPECT_TRUE(facts.progressive);
    EXPECT_TRUE(facts.jfif);
    EXPECT_EQ(facts.jfifMajor, 1);
    EXPECT_EQ(facts.jfifMinor, 1);
    EXPECT_EQ(facts.precision, 8);
    EXPECT_EQ(facts.components, 3);
    EXPECT_TRUE(facts.ycbcr);
    EXPECT_EQ(facts.horizontalSampling[0], 2);
    EXPECT_EQ(facts.verticalSampling[0], 2);
    EXPECT_EQ(facts.horizontalSampling[1], 1);
    EXPECT_EQ(facts.verticalSampling[2], 1);

    const RgbImage image = DecodeJpeg(data, size);
    EXPECT_EQ(image.width, 238);
    EXPECT_EQ(image.height, 60);
    ASSERT_EQ(image.rgb.size(), 238u * 60u * 3u);
    // A picture, not a flat colour: the top-left corner is the dark teal sky, and the
    // bright name is somewhere in the middle.
    EXPECT_LT(image.rgb[0] + image.rgb[1] + image.rgb[2], 3 * 160);
    int brightest = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        brightest = std::max(brightest, image.rgb[i] + image.rgb[i + 1] + image.rgb[i + 2]);
    EXPECT_GT(brightest, 3 * 230);
}

TEST(Banner, DamagedDataIsAFailureWithLibjpegsWords) {
    auto [data, size] = ResourceBytes(GetModuleHandleA(nullptr), IDR_BANNER);
    std::vector<unsigned char> cut(static_cast<const unsigned char*>(data),
                                   static_cast<const unsigned char*>(data) + 100);
    try {
        DecodeJpeg(cut.data(), 0);
        ADD_FAILURE() << "empty data decoded";
    } catch (const Failure& f) {
        EXPECT_NE(std::string(f.what()).find("Cannot decode the picture"), std::string::npos) << f.what();
    }
    const char text[] = "not a picture at all";
    EXPECT_THROW(DecodeJpeg(text, sizeof text), Failure);
    (void)size;
}

// A bitmap resource's header, palette and bottom-left pixel.
struct Glyph {
    BITMAPINFOHEADER header;
    COLORREF bottomLeft;
};

Glyph ReadGlyph(int id) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    EXPECT_NE(r, nullptr);
    Glyph g{};
    if (!r) return g;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(self, r)));
    g.header = *reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
    const auto* palette = reinterpret_cast<const RGBQUAD*>(bytes + g.header.biSize);
    const unsigned char* pixels = bytes + g.header.biSize + 16 * sizeof(RGBQUAD);
    const int index = pixels[0] >> 4;  // rows are stored bottom-up: the first pixel is bottom-left
    g.bottomLeft = RGB(palette[index].rgbRed, palette[index].rgbGreen, palette[index].rgbBlue);
    return g;
}

TEST(Glyphs, AreUncompressed16ColourBitmapsOfTwoImagesWithTheirTransparentColour) {
    struct Wanted {
        int id;
        int width, height;
        COLORREF transparent;
    } wanted[] = {
        {IDB_GLYPH_FORWARD, 32, 16, RGB(128, 128, 0)},
        {IDB_GLYPH_BACK, 32, 16, RGB(128, 128, 0)},
        {IDB_GLYPH_CHECK, 32, 16, RGB(128, 0, 128)},
        {IDB_GLYPH_CROSS, 36, 18, RGB(128, 128, 0)},
    };
    for (const Wanted& w : wanted) {
        SCOPED_TRACE(w.id);
        const Glyph g = ReadGlyph(w.id);
        EXPECT_EQ(g.header.biBitCount, 4);
        EXPECT_EQ(g.header.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(g.header.biWidth, w.width);
        EXPECT_EQ(g.header.biHeight, w.height);
        EXPECT_EQ(g.bottomLeft, w.transparent);
    }
}

}  // namespace
}  // namespace qel
