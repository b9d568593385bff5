// An image in the PNG format, made with Debian's libpng, in memory.
#pragma once

#include "BitmapImage.h"

#include <string>

namespace brevant::tools {

// The PNG file of the image (8-bit red, green, blue); false with libpng's
// reason when it cannot be made.
bool encodePng(const RgbImage& image, std::string& sPng, std::string& sError);

}  // namespace brevant::tools
