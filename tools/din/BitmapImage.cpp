#include "BitmapImage.h"

#include "DocumentData.h"

namespace brevant::tools {

namespace {

const size_t kFileHeaderSize = 14;
const size_t kInfoHeaderSize = 40;
const uint32_t kUncompressed = 0;

uint32_t le(const std::vector<unsigned char>& bytes, size_t iAt, int iBytes) {
    uint32_t iValue = 0;
    for (int i = iBytes - 1; i >= 0; --i) {
        iValue = (iValue << 8) | bytes[iAt + (size_t)i];
    }
    return iValue;
}

}  // namespace

bool decodeBitmapFile(const std::vector<unsigned char>& bytes, RgbImage& image,
                      std::string& sError) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        sError = "not a bitmap file";
        return false;
    }
    const uint32_t iPixels = le(bytes, 10, 4);
    const uint32_t iInfoSize = le(bytes, 14, 4);
    const int32_t iWidth = (int32_t)le(bytes, 18, 4);
    const int32_t iHeight = (int32_t)le(bytes, 22, 4);
    const int iBitCount = (int)le(bytes, 28, 2);
    const uint32_t iCompression = le(bytes, 30, 4);
    const uint32_t iColoursUsed = le(bytes, 46, 4);
    if (iInfoSize < kInfoHeaderSize || kFileHeaderSize + iInfoSize > bytes.size()) {
        sError = "the bitmap's information header does not fit in the file";
        return false;
    }
    const uint32_t iRows = iHeight < 0 ? (uint32_t)(-(int64_t)iHeight) : (uint32_t)iHeight;
    if (iWidth <= 0 || iRows == 0 || (uint32_t)iWidth > kMaxBitmapSide || iRows > kMaxBitmapSide) {
        sError = "the bitmap's size " + std::to_string(iWidth) + " x " + std::to_string(iHeight) +
                 " is not one of a preview";
        return false;
    }
    if (iCompression != kUncompressed) {
        sError = "the bitmap is compressed (method " + std::to_string(iCompression) +
                 "), which previews are not";
        return false;
    }
    if (iBitCount != 1 && iBitCount != 4 && iBitCount != 8 && iBitCount != 16 && iBitCount != 24 &&
        iBitCount != 32) {
        sError = "the bitmap has " + std::to_string(iBitCount) + " bits per pixel";
        return false;
    }
    const uint64_t iColours = Pellam::colorTableEntries((WORD)iBitCount, iColoursUsed);
    const uint64_t iPaletteAt = kFileHeaderSize + iInfoSize;
    if (iColours > 256 || iPaletteAt + 4 * iColours > bytes.size()) {
        sError = "the bitmap's colour table does not fit in the file";
        return false;
    }
    const uint64_t iRowBytes = ((uint64_t)iWidth * (uint64_t)iBitCount + 31) / 32 * 4;
    if ((uint64_t)iPixels + iRowBytes * iRows > bytes.size()) {
        sError = "the bitmap's pixels reach past the end of the file";
        return false;
    }

    image.iWidth = (uint32_t)iWidth;
    image.iHeight = iRows;
    image.iBitCount = iBitCount;
    image.rgb.assign((size_t)iWidth * iRows * 3, 0);
    for (uint32_t y = 0; y < iRows; ++y) {
        // Rows are stored bottom up unless the height is negative.
        const uint32_t iStored = iHeight < 0 ? y : iRows - 1 - y;
        const size_t iRowAt = (size_t)iPixels + (size_t)(iRowBytes * iStored);
        unsigned char* pOut = &image.rgb[(size_t)y * (uint32_t)iWidth * 3];
        for (uint32_t x = 0; x < (uint32_t)iWidth; ++x, pOut += 3) {
            uint32_t iIndex = 0;
            switch (iBitCount) {
                case 1:
                    iIndex = (bytes[iRowAt + x / 8] >> (7 - x % 8)) & 1;
                    break;
                case 4:
                    iIndex = (bytes[iRowAt + x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
                    break;
                case 8:
                    iIndex = bytes[iRowAt + x];
                    break;
                case 16: {
                    const uint32_t iValue = le(bytes, iRowAt + 2 * (size_t)x, 2);
                    pOut[0] = (unsigned char)(((iValue >> 10) & 31) * 255 / 31);
                    pOut[1] = (unsigned char)(((iValue >> 5) & 31) * 255 / 31);
                    pOut[2] = (unsigned char)((iValue & 31) * 255 / 31);
                    continue;
                }
                default: {
                    const size_t iAt = iRowAt + (size_t)x * (size_t)(iBitCount / 8);
                    pOut[0] = bytes[iAt + 2];
                    pOut[1] = bytes[iAt + 1];
                    pOut[2] = bytes[iAt];
                    continue;
                }
            }
            // An index past the colour table shows black.
            if (iIndex < iColours) {
                const size_t iAt = (size_t)(iPaletteAt + 4 * (uint64_t)iIndex);
                pOut[0] = bytes[iAt + 2];
                pOut[1] = bytes[iAt + 1];
                pOut[2] = bytes[iAt];
            }
        }
    }
    return true;
}

}  // namespace brevant::tools
