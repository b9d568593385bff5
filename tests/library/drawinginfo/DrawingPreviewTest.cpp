// The preview section of the drawing information file: the bitmap stored in
// a release-15 drawing file, given a bitmap file header, black and white
// swapped in its colour table, Base64-encoded. Real drawings of other
// writers, and drawing files whose preview directory lies.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../configuration/CommandLine.h"
#include "Base64.h"
#include "DocumentData.h"
#include "TempDir.h"

using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

const std::string kSentinel("\x1F\x25\x6D\x07\xD4\x36\x28\x28\x9D\x57\xCA\x3F\x9D\x44\x10\x2B", 16);

std::string le(uint32_t iValue, int iBytes) {
    std::string sBytes;
    for (int i = 0; i < iBytes; ++i) {
        sBytes += (char)((iValue >> (8 * i)) & 0xFF);
    }
    return sBytes;
}

uint32_t readLe(const std::string& sBytes, size_t iAt, int iBytes) {
    uint32_t iValue = 0;
    for (int i = iBytes - 1; i >= 0; --i) {
        iValue = (iValue << 8) | (unsigned char)sBytes[iAt + i];
    }
    return iValue;
}

// A bitmap without file header: the 40-byte information header, then the rest.
std::string bitmap(uint16_t iBitCount, uint32_t iColoursUsed, const std::string& sRest) {
    return le(40, 4) + le(2, 4) + le(2, 4) + le(1, 2) + le(iBitCount, 2) + le(0, 4) +
           le((uint32_t)sRest.size(), 4) + le(0, 4) + le(0, 4) + le(iColoursUsed, 4) + le(0, 4) +
           sRest;
}

struct Entry {
    unsigned char iCode;
    uint32_t iStart;
    uint32_t iSize;
};

// A drawing file: "AC1015", the image seeker at offset 13 pointing at the
// preview directory at offset 64, the directory, and the bitmap at 512.
// The entry count is that of the entries unless iCount gives another.
std::string drawingFile(const std::vector<Entry>& entries, const std::string& sBitmap,
                        int iCount = -1) {
    std::string sFile = "AC1015" + std::string(7, '\0') + le(64, 4);
    sFile.resize(64, '\0');
    sFile += kSentinel + le(1, 4) + (char)(iCount < 0 ? (int)entries.size() : iCount);
    for (const Entry& entry : entries) {
        sFile += (char)entry.iCode + le(entry.iStart, 4) + le(entry.iSize, 4);
    }
    sFile.resize(512, '\0');
    return sFile + sBitmap;
}

class DrawingPreview : public ::testing::Test {
protected:
    void SetUp() override { brevant::test::initialiseLibrary(0); }

    // What dumpDrawingPreview writes for the drawing file (text mode, as the
    // drawing information file is written), and its result.
    bool dump(const std::string& sDrawing, std::string& sWritten) {
        CStdioFile file;
        const std::string sOut = m_dir.file("out.din");
        EXPECT_TRUE(
            file.Open(sOut.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        const bool bWritten = Pellam::dumpDrawingPreview(sDrawing.c_str(), file);
        file.Close();
        sWritten = readFile(sOut);
        return bWritten;
    }
    // The bitmap file that the section encodes, checked for its framing; the
    // size that ".SIZE" gives in iSize.
    static std::string decodeSection(const std::string& sSection, uint32_t& iSize) {
        const std::string sHead = "\r\n\r\nSTART DWGTHUMBNAIL\r\n.SIZE ";
        EXPECT_EQ(sSection.rfind(sHead, 0), 0u);
        const size_t iSizeEnd = sSection.find("\r\n", sHead.size());
        iSize = (uint32_t)std::stoul(sSection.substr(sHead.size(), iSizeEnd - sHead.size()));
        const std::string sEncoding = "\r\n.ENCODING BASE64\r\n";
        EXPECT_EQ(sSection.compare(iSizeEnd, sEncoding.size(), sEncoding), 0);
        const std::string sTail = "\r\nEND DWGTHUMBNAIL\r\n";
        EXPECT_EQ(sSection.substr(sSection.size() - sTail.size()), sTail);
        const std::string sBody =
            sSection.substr(iSizeEnd + sEncoding.size(),
                            sSection.size() - sTail.size() - iSizeEnd - sEncoding.size());
        // Lines of 72 characters, each ended on disk by CR CR LF.
        std::string sText;
        size_t iAt = 0;
        while (iAt < sBody.size()) {
            const size_t iEnd = sBody.find("\r\r\n", iAt);
            const std::string sLine =
                sBody.substr(iAt, iEnd == std::string::npos ? std::string::npos : iEnd - iAt);
            if (iEnd != std::string::npos) {
                EXPECT_EQ(sLine.size(), 72u);
            } else {
                EXPECT_LT(sLine.size(), 72u);
                EXPECT_EQ(sLine.find('\r'), std::string::npos);
            }
            sText += sLine;
            iAt = iEnd == std::string::npos ? sBody.size() : iEnd + 3;
        }
        Pellam::CBase64 base64;
        std::vector<unsigned char> bytes(sText.size() + 1);
        const int iBytes = base64.decode(sText.c_str(), bytes.data());
        return std::string(bytes.begin(), bytes.begin() + iBytes);
    }

    TempDir m_dir;
};

}  // namespace

TEST_F(DrawingPreview, RealDrawings) {
    struct Case {
        const char* sFile;
        uint32_t iSize;  // 0: no preview
        uint32_t iPixelsAt;
        int iWhite, iBlack;  // colour-table entries swapped
    } cases[] = {
        {"libredwg_example_2000.dwg", 24248, 1078, 0, 0},
        {"libredwg_2000_TS1.dwg", 17264, 1078, 21, 3},
        {"libredwg_2000_entities-2d.dwg", 17624, 1078, 21, 3},
        {"libredwg_2000_PolyLine2D.dwg", 0, 0, 0, 0},
        {"ezdxf_807_1.dwg", 407080, 54, 0, 0},
        {"acadsharp_sample_AC1015.dwg", 13208, 1078, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sFile);
        const std::string sDrawing = std::string(BREVANT_SOURCE_DIR) + "/tests/data/dwg/" + c.sFile;
        std::string sSection;
        ASSERT_EQ(dump(sDrawing, sSection), c.iSize != 0);
        if (c.iSize == 0) {
            EXPECT_EQ(sSection, "");
            continue;
        }
        uint32_t iSize = 0;
        const std::string sBmp = decodeSection(sSection, iSize);
        EXPECT_EQ(iSize, c.iSize);
        ASSERT_EQ(sBmp.size(), c.iSize + 14);
        EXPECT_EQ(sBmp.substr(0, 2), "BM");
        EXPECT_EQ(readLe(sBmp, 2, 4), c.iSize + 14);
        EXPECT_EQ(readLe(sBmp, 6, 4), 0u);
        EXPECT_EQ(readLe(sBmp, 10, 4), c.iPixelsAt);

        // The stored bitmap, with black and white swapped in its colour table
        // and nothing else changed.
        const std::string sFile = readFile(sDrawing);
        const std::string sStored = sFile.substr(339, c.iSize);
        int iWhite = 0, iBlack = 0;
        for (size_t i = 0; i < sStored.size(); ++i) {
            const bool bInTable = i >= 40 && i < c.iPixelsAt - 14;
            if (bInTable && (i - 40) % 4 == 0) {
                const uint32_t iBefore = readLe(sStored, i, 4);
                const uint32_t iAfter = readLe(sBmp, 14 + i, 4);
                iWhite += iBefore == 0x00FFFFFF && iAfter == 0;
                iBlack += iBefore == 0 && iAfter == 0x00FFFFFF;
                if (iBefore != 0 && iBefore != 0x00FFFFFF) {
                    EXPECT_EQ(iAfter, iBefore) << i;
                }
                i += 3;
            } else if (sStored[i] != sBmp[14 + i]) {
                ADD_FAILURE() << "byte " << i << " changed";
                break;
            }
        }
        EXPECT_EQ(iWhite, c.iWhite);
        EXPECT_EQ(iBlack, c.iBlack);
    }
}

TEST_F(DrawingPreview, PreviewDirectoriesThatLie) {
    const std::string sEight = bitmap(8, 0, le(0, 4) + le(0x00FFFFFF, 4) + std::string(8, 'p'));
    const uint32_t iEight = (uint32_t)sEight.size();
    struct Case {
        const char* sWhat;
        std::string sFile;
        bool bPreview;
    } cases[] = {
        {"a sound file", drawingFile({{2, 512, iEight}}, sEight), true},
        {"no bitmap entry", drawingFile({{1, 512, iEight}, {3, 512, 4}}, sEight), false},
        {"no entries", drawingFile({}, sEight), false},
        {"a bitmap entry at offset 0", drawingFile({{2, 0, iEight}}, sEight), false},
        {"the bitmap reaches past the end", drawingFile({{2, 512, iEight + 1}}, sEight), false},
        {"a size of 4 GB", drawingFile({{2, 512, 0xFFFFFFFFu}}, sEight), false},
        {"an offset beyond the file", drawingFile({{2, 0x7FFFFFF0u, 16}}, sEight), false},
        {"a bitmap shorter than its header", drawingFile({{2, 512, 39}}, sEight), false},
        {"255 entries in a short file", drawingFile({{2, 512, iEight}}, sEight, 255), false},
        {"a later bitmap entry wins", drawingFile({{2, 512, 4}, {2, 512, iEight}}, sEight), true},
        {"a wrong sentinel", "AC1015" + std::string(7, '\0') + le(17, 4) + std::string(40, 'x'),
         false},
        {"a seeker beyond the file", "AC1015" + std::string(7, '\0') + le(1000000, 4), false},
        {"a file shorter than the seeker", "AC1015", false},
        {"an empty file", "", false},
        {"a drawing kept as DXF text", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  0\r\nENDSEC\r\n",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        writeFile(m_dir.file("drawing.dwg"), c.sFile);
        std::string sSection;
        EXPECT_EQ(dump(m_dir.file("drawing.dwg"), sSection), c.bPreview);
        EXPECT_EQ(sSection.empty(), !c.bPreview);
    }
    std::string sSection;
    EXPECT_FALSE(dump(m_dir.file("missing.dwg"), sSection));
    EXPECT_EQ(sSection, "");
}

TEST_F(DrawingPreview, ColourTableAsFarAsTheBitmapHoldsIt) {
    struct Case {
        const char* sWhat;
        std::string sBitmap;
        uint32_t iPixelsAt;
        std::string sTableAfter;  // the colour-table bytes as written
    } cases[] = {
        // 8 bits and no colours-used value: 256 entries announced, two held.
        {"a table cut short", bitmap(8, 0, le(0, 4) + le(0x00FFFFFF, 4)), 54 + 1024,
         le(0x00FFFFFF, 4) + le(0, 4)},
        {"one bit", bitmap(1, 0, le(0x00FFFFFF, 4) + le(0x00123456, 4) + "px"), 54 + 8,
         le(0, 4) + le(0x00123456, 4) + "px"},
        {"four bits and three colours used",
         bitmap(4, 3, le(0, 4) + le(0, 4) + le(0x00FFFFFF, 4) + le(0, 4)), 54 + 12,
         le(0x00FFFFFF, 4) + le(0x00FFFFFF, 4) + le(0, 4) + le(0, 4)},
        {"24 bits: no table", bitmap(24, 0, le(0, 4) + le(0x00FFFFFF, 4)), 54,
         le(0, 4) + le(0x00FFFFFF, 4)},
        {"a part entry at the end", bitmap(8, 0, le(0, 4) + "ab"), 54 + 1024,
         le(0x00FFFFFF, 4) + "ab"},
        // An offset past 32 bits is the largest one, not one wrapped round to 50.
        {"colours used 0xFFFFFFFF", bitmap(8, 0xFFFFFFFFu, le(0, 4)), 0xFFFFFFFFu,
         le(0x00FFFFFF, 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sWhat);
        writeFile(m_dir.file("drawing.dwg"),
                  drawingFile({{2, 512, (uint32_t)c.sBitmap.size()}}, c.sBitmap));
        std::string sSection;
        ASSERT_TRUE(dump(m_dir.file("drawing.dwg"), sSection));
        uint32_t iSize = 0;
        const std::string sBmp = decodeSection(sSection, iSize);
        EXPECT_EQ(iSize, c.sBitmap.size());
        EXPECT_EQ(readLe(sBmp, 10, 4), c.iPixelsAt);
        EXPECT_EQ(sBmp.substr(14 + 40), c.sTableAfter);
        EXPECT_EQ(sBmp.substr(14, 40), c.sBitmap.substr(0, 40));
    }
}
