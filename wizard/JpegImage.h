#pragma once
// Decoding of JPEG pictures with libjpeg. Kept free of the Windows headers, whose
// "boolean" differs from the library's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qel {

// A decoded picture: rows top to bottom, three bytes per pixel in red, green, blue order.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// What the file says about itself, as libjpeg reads its headers.
struct JpegFacts {
    bool progressive = false;
    bool jfif = false;
    int jfifMajor = 0, jfifMinor = 0;
    int precision = 0;  // bits per sample
    int components = 0;
    bool ycbcr = false;
    int horizontalSampling[4] = {};
    int verticalSampling[4] = {};
    int width = 0, height = 0;
};

// Throws Failure with libjpeg's message when the data is not a picture it can decode.
RgbImage DecodeJpeg(const void* data, std::size_t size);
JpegFacts ReadJpegFacts(const void* data, std::size_t size);

}  // namespace qel
