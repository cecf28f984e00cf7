#include "wizard/Banner.h"

#include "platform/Failure.h"
#include "resources/resource.h"

namespace qel {

Picture::Picture(const RgbImage& image) : width_(image.width), height_(image.height) {
    info_.bmiHeader.biSize = sizeof info_.bmiHeader;
    info_.bmiHeader.biWidth = width_;
    info_.bmiHeader.biHeight = height_;  // bottom-up
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 24;
    info_.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
    bits_.assign(stride * static_cast<std::size_t>(height_), 0);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* from = image.rgb.data() + static_cast<std::size_t>(y) * width_ * 3;
        std::uint8_t* to = bits_.data() + stride * static_cast<std::size_t>(height_ - 1 - y);
        for (int x = 0; x < width_; ++x) {
            to[x * 3 + 0] = from[x * 3 + 2];
            to[x * 3 + 1] = from[x * 3 + 1];
            to[x * 3 + 2] = from[x * 3 + 0];
        }
    }
}

void Picture::Paint(HDC dc, const RECT& into) const {
    const int w = into.right - into.left, h = into.bottom - into.top;
    if (w != width_ || h != height_) SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, into.left, into.top, w, h, 0, 0, width_, height_, bits_.data(), &info_,
                  DIB_RGB_COLORS, SRCCOPY);
}

COLORREF Picture::Pixel(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
    const std::uint8_t* p = bits_.data() + stride * static_cast<std::size_t>(height_ - 1 - y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

std::pair<const void*, std::size_t> ResourceBytes(HINSTANCE instance, int id) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw Failure("The program's banner picture is missing from its resources");
    return {data, SizeofResource(instance, found)};
}

Picture LoadBanner(HINSTANCE instance) {
    auto [data, size] = ResourceBytes(instance, IDR_BANNER);
    return Picture(DecodeJpeg(data, size));
}

namespace {

LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the picture covers the whole box
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        if (auto* picture = reinterpret_cast<const Picture*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            picture->Paint(dc, r);
        else
            FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterPictureBoxClass(HINSTANCE instance, const char* className) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, className, &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PictureBoxProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!RegisterClassExA(&wc)) throw Failure("Cannot register the picture box window class");
}

}  // namespace qel
