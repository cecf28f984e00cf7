#pragma once
// The banner picture shown at the top right of every page: a JPEG kept in the
// program's resources, decoded once with libjpeg and painted by the picture boxes
// (kind TImage) of the three pages.
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "wizard/JpegImage.h"

namespace qel {

// A decoded picture ready for painting: a bottom-up 24-bit device-independent bitmap.
class Picture {
public:
    explicit Picture(const RgbImage& image);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Paints the whole picture stretched over the rectangle, opaque.
    void Paint(HDC dc, const RECT& into) const;
    // The colour of one pixel, counted from the top-left corner.
    COLORREF Pixel(int x, int y) const;

private:
    int width_, height_;
    BITMAPINFO info_{};
    std::vector<std::uint8_t> bits_;
};

// The JPEG bytes of a resource of the program (type RCDATA).
std::pair<const void*, std::size_t> ResourceBytes(HINSTANCE instance, int id);
// The banner picture, decoded from the program's resources.
Picture LoadBanner(HINSTANCE instance);

// Registers the picture box window class: it paints the Picture whose address is held
// in its GWLP_USERDATA, stretched to fill the box.
void RegisterPictureBoxClass(HINSTANCE instance, const char* className);

}  // namespace qel
