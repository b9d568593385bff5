// A Windows bitmap file (the preview a drawing information file carries)
// turned into rows of red, green and blue bytes, top row first. Only what
// drawing previews use is read: uncompressed bitmaps of 1, 4, 8, 16, 24 or 32
// bits per pixel. Every size is checked against the file before it is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevant::tools {

struct RgbImage {
    uint32_t iWidth = 0;
    uint32_t iHeight = 0;
    int iBitCount = 0;               // of the bitmap it came from
    std::vector<unsigned char> rgb;  // iWidth * iHeight * 3 bytes
};

// The largest width or height accepted; previews are a few hundred pixels.
const uint32_t kMaxBitmapSide = 16384;

// False, with the reason, when the bytes are no bitmap file that can be read.
bool decodeBitmapFile(const std::vector<unsigned char>& bytes, RgbImage& image,
                      std::string& sError);

}  // namespace brevant::tools
