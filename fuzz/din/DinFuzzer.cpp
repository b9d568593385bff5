// Feeds any bytes to the drawing information file reader, as a whole file
// and as a section on its own, and gives whatever preview it decodes to the
// bitmap decoder. Nothing the reader keeps may outgrow the input.
#include <cstdint>
#include <string>

#include "BitmapImage.h"
#include "DinFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* pText = reinterpret_cast<const char*>(data);
    Pellam::CDinFileReader din;
    for (int iPass = 0; iPass < 2; ++iPass) {
        if (iPass == 0) {
            din.parse(pText, size);
        } else {
            din.parseFragment(pText, size);
        }
        size_t uTotal = din.getThumbnail().vectorBytes.size();
        for (const auto& value : din.getGeneral()) {
            uTotal += value.sValue.GetLength();
        }
        for (const auto& revision : din.getRevisions()) {
            for (const CString& sLine : revision.vectorLines) {
                uTotal += sLine.GetLength();
            }
        }
        if (uTotal > size) {
            __builtin_trap();
        }
        brevant::tools::RgbImage image;
        std::string sError;
        brevant::tools::decodeBitmapFile(din.getThumbnail().vectorBytes, image, sError);
    }
    return 0;
}
