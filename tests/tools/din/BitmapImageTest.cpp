// The preview's bitmap file turned into a picture: every bit depth a preview
// uses, rows stored bottom up or top down, and bitmaps that lie about their
// sizes refused before anything is read; the PNG picture made of it is read
// back by libpng with the same size and pixels.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BitmapImage.h"
#include "PngImage.h"

using namespace brevant::tools;

namespace {

void put(std::vector<unsigned char>& bytes, uint32_t iValue, int iBytes) {
    for (int i = 0; i < iBytes; ++i) {
        bytes.push_back((unsigned char)(iValue >> (8 * i)));
    }
}

// A bitmap file: the two headers, the colour table (blue, green, red, 0 per
// entry) and the rows as given (each already padded to 4 bytes).
std::vector<unsigned char> bitmapFile(int iBitCount, int32_t iWidth, int32_t iHeight,
                                      const std::vector<uint32_t>& palette,
                                      const std::vector<unsigned char>& pixels,
                                      uint32_t iCompression = 0, uint32_t iColoursUsed = 0) {
    std::vector<unsigned char> bytes = {'B', 'M'};
    const uint32_t iPixelsAt = 14 + 40 + 4 * (uint32_t)palette.size();
    put(bytes, iPixelsAt + (uint32_t)pixels.size(), 4);
    put(bytes, 0, 4);
    put(bytes, iPixelsAt, 4);
    put(bytes, 40, 4);
    put(bytes, (uint32_t)iWidth, 4);
    put(bytes, (uint32_t)iHeight, 4);
    put(bytes, 1, 2);
    put(bytes, (uint32_t)iBitCount, 2);
    put(bytes, iCompression, 4);
    put(bytes, (uint32_t)pixels.size(), 4);
    put(bytes, 0, 4);
    put(bytes, 0, 4);
    put(bytes, iColoursUsed != 0 ? iColoursUsed : (uint32_t)palette.size(), 4);
    put(bytes, 0, 4);
    for (uint32_t iColour : palette) {
        put(bytes, iColour, 4);
    }
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

const uint32_t kRed = 0x00FF0000;
const uint32_t kGreen = 0x0000FF00;
const uint32_t kBlue = 0x000000FF;

std::vector<unsigned char> rgb(std::initializer_list<uint32_t> colours) {
    std::vector<unsigned char> out;
    for (uint32_t c : colours) {
        out.push_back((unsigned char)(c >> 16));
        out.push_back((unsigned char)(c >> 8));
        out.push_back((unsigned char)c);
    }
    return out;
}

}  // namespace

TEST(BitmapImage, EveryDepthOfAPreview) {
    const struct {
        const char* sName;
        std::vector<unsigned char> bytes;
        std::vector<unsigned char> expected;  // top row first
    } cases[] = {
        // 2 x 2, stored bottom up: the file's first row is the picture's last.
        {"1 bit", bitmapFile(1, 2, 2, {0, 0xFFFFFF}, {0x40, 0, 0, 0, 0x80, 0, 0, 0}),
         rgb({0xFFFFFF, 0, 0, 0xFFFFFF})},
        {"4 bits", bitmapFile(4, 2, 1, {kRed, kGreen, kBlue}, {0x12, 0, 0, 0}),
         rgb({kGreen, kBlue})},
        {"8 bits", bitmapFile(8, 3, 1, {kRed, kGreen, kBlue}, {2, 1, 0, 0}),
         rgb({kBlue, kGreen, kRed})},
        {"8 bits, an index past the table", bitmapFile(8, 1, 1, {kRed}, {7, 0, 0, 0}), rgb({0})},
        {"16 bits", bitmapFile(16, 1, 1, {}, {0x00, 0x7C, 0, 0}), rgb({kRed})},
        {"24 bits, top down", bitmapFile(24, 1, -2, {}, {0xFF, 0, 0, 0, 0, 0xFF, 0, 0}),
         rgb({kBlue, kGreen})},
        {"32 bits", bitmapFile(32, 1, 1, {}, {0, 0xFF, 0, 0}), rgb({kGreen})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sName);
        RgbImage image;
        std::string sError;
        ASSERT_TRUE(decodeBitmapFile(c.bytes, image, sError)) << sError;
        EXPECT_EQ(image.rgb, c.expected);
        EXPECT_EQ((size_t)image.iWidth * image.iHeight * 3, c.expected.size());
    }
}

TEST(BitmapImage, RefusesBitmapsThatLie) {
    std::vector<unsigned char> truncated = bitmapFile(24, 4, 4, {}, std::vector<unsigned char>(48));
    truncated.resize(truncated.size() - 1);
    const struct {
        const char* sName;
        std::vector<unsigned char> bytes;
        const char* sError;
    } cases[] = {
        {"empty", {}, "not a bitmap file"},
        {"no BM", {'P', 'N', 'G', 0, 0, 0}, "not a bitmap file"},
        {"pixels cut short", truncated, "reach past the end"},
        {"no width", bitmapFile(24, 0, 1, {}, {0, 0, 0, 0}), "is not one of a preview"},
        {"huge", bitmapFile(24, 1, 2000000, {}, {0, 0, 0, 0}), "is not one of a preview"},
        {"run-length encoded", bitmapFile(8, 1, 1, {0}, {0, 0, 0, 0}, 1), "compressed"},
        {"2 bits", bitmapFile(2, 1, 1, {0, 0, 0, 0}, {0, 0, 0, 0}), "2 bits per pixel"},
        {"colour table past the end", bitmapFile(8, 1, 1, {0}, {0, 0, 0, 0}, 0, 200),
         "colour table does not fit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sName);
        RgbImage image;
        std::string sError;
        EXPECT_FALSE(decodeBitmapFile(c.bytes, image, sError));
        EXPECT_NE(sError.find(c.sError), std::string::npos) << sError;
    }
}

TEST(PngImage, ReadBackByLibpng) {
    RgbImage image;
    image.iWidth = 3;
    image.iHeight = 2;
    image.rgb = rgb({kRed, kGreen, kBlue, 0, 0x808080, 0xFFFFFF});
    std::string sPng;
    std::string sError;
    ASSERT_TRUE(encodePng(image, sPng, sError)) << sError;

    png_image read = {};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&read, sPng.data(), sPng.size())) << read.message;
    EXPECT_EQ(read.width, 3u);
    EXPECT_EQ(read.height, 2u);
    read.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr)) << read.message;
    EXPECT_EQ(pixels, image.rgb);
}
