#include "wizard/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/Failure.h"

namespace qel {
namespace {

// libjpeg reports errors by calling error_exit, which must not return; it jumps back to
// the decoding call, which turns the library's message into a Failure.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

// Warnings about damaged data are left to the decoded result; nothing goes to stderr.
void OnMessage(j_common_ptr) {}

// Reads the headers, and the pixels too when image is given. No object with a
// destructor lives in this frame, so the jump out of libjpeg skips nothing.
bool Decode(const unsigned char* data, std::size_t size, JpegFacts* facts, RgbImage* image,
            char* message) {
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);

    facts->progressive = info.progressive_mode != 0;
    facts->jfif = info.saw_JFIF_marker != 0;
    facts->jfifMajor = info.JFIF_major_version;
    facts->jfifMinor = info.JFIF_minor_version;
    facts->precision = info.data_precision;
    facts->components = info.num_components;
    facts->ycbcr = info.jpeg_color_space == JCS_YCbCr;
    for (int i = 0; i < info.num_components && i < 4; ++i) {
        facts->horizontalSampling[i] = info.comp_info[i].h_samp_factor;
        facts->verticalSampling[i] = info.comp_info[i].v_samp_factor;
    }
    facts->width = static_cast<int>(info.image_width);
    facts->height = static_cast<int>(info.image_height);

    if (image) {
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        image->width = static_cast<int>(info.output_width);
        image->height = static_cast<int>(info.output_height);
        const std::size_t stride = static_cast<std::size_t>(image->width) * 3;
        image->rgb.assign(stride * static_cast<std::size_t>(image->height), 0);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = image->rgb.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

RgbImage DecodeJpeg(const void* data, std::size_t size) {
    RgbImage image;
    JpegFacts facts;
    char message[JMSG_LENGTH_MAX] = {};
    if (!Decode(static_cast<const unsigned char*>(data), size, &facts, &image, message))
        throw Failure(std::string("Cannot decode the picture: ") + message);
    return image;
}

JpegFacts ReadJpegFacts(const void* data, std::size_t size) {
    JpegFacts facts;
    char message[JMSG_LENGTH_MAX] = {};
    if (!Decode(static_cast<const unsigned char*>(data), size, &facts, nullptr, message))
        throw Failure(std::string("Cannot read the picture: ") + message);
    return facts;
}

}  // namespace qel
