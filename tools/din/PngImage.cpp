#include "PngImage.h"

#include <png.h>

#include <csetjmp>

namespace brevant::tools {

namespace {

struct Output {
    std::string* pPng;
    std::string sError;
};

void appendData(png_structp pPng, png_bytep pData, png_size_t iLength) {
    auto* pOutput = static_cast<Output*>(png_get_io_ptr(pPng));
    pOutput->pPng->append(reinterpret_cast<const char*>(pData), iLength);
}

void flushData(png_structp) {}

void onError(png_structp pPng, png_const_charp sMessage) {
    auto* pOutput = static_cast<Output*>(png_get_error_ptr(pPng));
    pOutput->sError = sMessage != nullptr ? sMessage : "libpng failed";
    png_longjmp(pPng, 1);
}

void onWarning(png_structp, png_const_charp) {}

}  // namespace

bool encodePng(const RgbImage& image, std::string& sPng, std::string& sError) {
    Output output{&sPng, std::string()};
    sPng.clear();
    png_structp pPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, onError, onWarning);
    if (pPng == nullptr) {
        sError = "libpng cannot start";
        return false;
    }
    png_infop pInfo = png_create_info_struct(pPng);
    if (pInfo == nullptr) {
        png_destroy_write_struct(&pPng, nullptr);
        sError = "libpng cannot start";
        return false;
    }
    // libpng reports its errors by a long jump back here; nothing below
    // holds a resource that the jump would leak.
    if (setjmp(png_jmpbuf(pPng))) {
        png_destroy_write_struct(&pPng, &pInfo);
        sError = "libpng: " + output.sError;
        return false;
    }
    png_set_write_fn(pPng, &output, appendData, flushData);
    png_set_IHDR(pPng, pInfo, image.iWidth, image.iHeight, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(pPng, pInfo);
    for (uint32_t y = 0; y < image.iHeight; ++y) {
        png_write_row(pPng, const_cast<png_bytep>(&image.rgb[(size_t)y * image.iWidth * 3]));
    }
    png_write_end(pPng, pInfo);
    png_destroy_write_struct(&pPng, &pInfo);
    return true;
}

}  // namespace brevant::tools
