// Number conversion, initialisation-file values and numbered files.
#include <gtest/gtest.h>

#include <cfloat>

#include "BaseUtil.h"
#include "FileUtil.h"
#include "TempDir.h"

using brevant::test::TempDir;
using brevant::test::writeFile;
using namespace Pellam::Util;

TEST(BaseUtil, NumbersToText) {
    EXPECT_STREQ(toText(0u), "0");
    EXPECT_STREQ(toText(4294967295u), "4294967295");
    EXPECT_STREQ(toText((short)-32768), "-32768");
    EXPECT_STREQ(toText(-7), "-7");
    EXPECT_STREQ(toText(0.1 + 0.2), "0.3");
    EXPECT_STREQ(toText(1.0), "1");
    EXPECT_STREQ(toText(2.5), "2.5");
    EXPECT_STREQ(toText(1e20), "1e+20");
    EXPECT_STREQ(toText(123456789012345.0), "1.2345678901234e+14");
}

TEST(BaseUtil, TextToUnsigned) {
    struct Case {
        const char* sText;
        bool bResult;
        unsigned int uValue;  // the target starts at 77
    } cases[] = {
        {"12", true, 12},
        {"0", true, 0},
        {"4294967295", true, 4294967295u},
        {"", false, 77},
        {"12a", false, 77},
        {" 12", false, 77},
        {"+12", false, 77},
        {"1.5", false, 77},
        {"-", true, 77},  // passes the character test; the scan reads nothing
        {"1-2", true, 1},
        {"--", true, 77},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        unsigned int uValue = 77;
        EXPECT_EQ(toUnsigned(cases[i].sText, uValue), cases[i].bResult);
        EXPECT_EQ(uValue, cases[i].uValue);
    }
}

TEST(BaseUtil, MakerNames) {
    std::vector<CString> vectorMakers = getMakerNames();
    ASSERT_EQ(vectorMakers.size(), 2u);
    EXPECT_STREQ(vectorMakers[0], "Tarvex");
    EXPECT_STREQ(vectorMakers[1], "Pellam");
}

TEST(BaseUtil, ProfileStringOfAnyLength) {
    TempDir dir;
    const std::string sLong(5000, 'v');
    writeFile(dir.file("app.cfg"),
              "[Directories]\r\nShort=abc\r\nLong=" + sLong + "\r\nEmpty=\r\nExact=ab\r\n");
    const CString sFile(dir.file("app.cfg").c_str());
    struct Case {
        const char* sKey;
        const char* sDefault;
        std::string sExpected;
    } cases[] = {
        {"Short", "", "abc"},
        {"Long", "", sLong},
        {"Long", "some default", sLong},
        {"Empty", "", ""},
        {"Missing", "fallback", "fallback"},
        {"Missing", "", ""},
        {"Exact", "", "ab"},  // fills the first buffer of 2 exactly
        {"Exact", "x", "ab"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(
            std::string(getProfileString("Directories", cases[i].sKey, cases[i].sDefault, sFile)),
            cases[i].sExpected);
    }
    EXPECT_STREQ(getProfileString("Directories", "Short", "none", dir.file("missing.cfg").c_str()),
                 "none");
}

TEST(BaseUtil, LatestNumberedFile) {
    // Files present beside the module (names relative to the folder), and the
    // one chosen for TarvexMDITabs15 with the extension arx.
    struct Case {
        std::vector<std::string> vectorFiles;
        std::vector<std::string> vectorFolders;
        std::string sExpected;
    } cases[] = {
        {{"TarvexMDITabs15#2.arx", "TarvexMDITabs15#10.arx"}, {}, "TarvexMDITabs15#10.arx"},
        {{"TarvexMDITabs15.arx"}, {}, "TarvexMDITabs15.arx"},
        {{"TarvexMDITabs15.arx", "TarvexMDITabs15#3.arx"}, {}, "TarvexMDITabs15#3.arx"},
        {{}, {}, ""},
        {{"TarvexMDITabs15.dll", "TarvexMDITabs14.arx"}, {}, ""},
        // The number 0, negative numbers and no number never win.
        {{"TarvexMDITabs15#0.arx"}, {}, ""},
        {{"TarvexMDITabs15#0.arx", "TarvexMDITabs15.arx"}, {}, "TarvexMDITabs15.arx"},
        {{"TarvexMDITabs15#-4.arx", "TarvexMDITabs15#x.arx"}, {}, ""},
        {{"TarvexMDITabs15#7b.arx"}, {}, "TarvexMDITabs15#7b.arx"},
        // On equal numbers the first match found stays; either is a 5.
        {{"TarvexMDITabs15#5.arx", "TarvexMDITabs15#05.arx", "TarvexMDITabs15#4.arx"},
         {},
         "*5.arx"},
        // Folders match as well as files.
        {{}, {"TarvexMDITabs15#4.arx"}, "TarvexMDITabs15#4.arx"},
        {{}, {"TarvexMDITabs15.arx"}, "TarvexMDITabs15.arx"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        for (const std::string& sFile : cases[i].vectorFiles) {
            writeFile(dir.file(sFile), "module");
        }
        for (const std::string& sFolder : cases[i].vectorFolders) {
            writeFile(dir.file(sFolder + "/inside"), "");
        }
        const CString sDirectory((dir.path() + "/").c_str());
        const CString sFound = Pellam::findLatestNumberedFile("TarvexMDITabs15", "arx", sDirectory);
        if (cases[i].sExpected == "*5.arx") {
            EXPECT_STREQ(PellamFile::BaseName(sFound, "").Right(5), "5.arx");
        } else if (cases[i].sExpected.empty()) {
            EXPECT_STREQ(sFound, "");
        } else {
            EXPECT_STREQ(PellamFile::BaseName(sFound, ""), cases[i].sExpected.c_str());
            CString sFoundDirectory = PellamFile::Directory(sFound);
            sFoundDirectory.Replace('\\', '/');
            EXPECT_STREQ(sFoundDirectory, sDirectory);
        }
    }
}
