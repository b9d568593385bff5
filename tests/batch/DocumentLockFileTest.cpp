// Lock files read back: what the writer wrote comes back whole, the drawing
// a lock stands for follows from its name, and anything that is no lock file
// (one line, binary data, a time that is no time) is refused with its reason.
#include "BatchFixture.h"

#include "DocumentLock.h"
#include "DocumentLockFile.h"

namespace brevant::test {
namespace {

using DocumentLockFile = BatchTest;

TEST_F(DocumentLockFile, ReadsBackWhatTheLockWrote) {
    clockAt(2026, 12, 3, 9, 5);
    CDocumentLock lock("P:\\job\\A-101.dwg");
    lock.create();
    CDocumentLockFile file;
    ASSERT_TRUE(file.read("P:\\job\\docinfo\\A-101-dwg.lok")) << file.getError();
    EXPECT_EQ(file.getLockedAtText(), "3 Dec 2026 09:05");
    EXPECT_EQ(file.getLockedAt().Format("%Y-%m-%d %H:%M"), "2026-12-03 09:05");
    EXPECT_EQ(file.getUser(), "jsmith");
    EXPECT_EQ(file.getComputer(), "PC042");
    EXPECT_EQ(CDocumentLockFile::drawingOf("P:\\job\\docinfo\\A-101-dwg.lok"),
              "P:\\job\\A-101.dwg");

    CDocumentLockFile missing;
    EXPECT_FALSE(missing.read("P:\\job\\docinfo\\none-dwg.lok"));
    EXPECT_NE(missing.getError().Find("none-dwg.lok"), -1);
}

TEST(DocumentLockFileParse, RefusesWhatIsNoLockFile) {
    const struct {
        std::string sBytes;
        const char* sError;  // part of the reason; "" when the file is good
    } cases[] = {
        {"Locked At: 3 Dec 2026 09:00\r\nBy: ann\r\nFrom: PC001\r\n", ""},
        {"Locked At: 3 Dec 2026 09:00\nBy: ann\nFrom: PC001", ""},  // line feeds only, no last one
        {"Locked At: 3 Dec 2026 09:00\r\nBy: \r\nFrom: \r\n\r\n", ""},  // empty names, a blank line
        {"Locked At: 3 Dec 2026 09:00\r\n", "1 line, where a lock file has 3"},
        {"", "0 lines"},
        {std::string("Locked At: 3 Dec\0 2026\r\nBy: a\r\nFrom: b\r\n", 39), "binary data"},
        {"\x89PNG\r\n\x1a\n", "binary data"},
        {"Locked At: 3 Dec 2026 09:00\r\nBy: a\r\nFrom: b\r\nextra\r\n", "4 lines"},
        {"By: a\r\nLocked At: 3 Dec 2026 09:00\r\nFrom: b\r\n", "line 1 does not begin"},
        {"Locked At: 3 Dec 2026 09:00\r\nUser: a\r\nFrom: b\r\n", "line 2 does not begin"},
        {"Locked At: 30 Feb 2026 09:00\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {"Locked At: 03 Dec 2026 09:00\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {"Locked At: 3 dec 2026 09:00\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {"Locked At: 3 Dec 2026 24:00\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {"Locked At: 3 Dec 2026 9:00\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {"Locked At: yesterday\r\nBy: a\r\nFrom: b\r\n", "is no time"},
        {std::string(5000, 'x'), "too large"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        CDocumentLockFile file;
        const bool bRead = file.parse(cases[i].sBytes.data(), cases[i].sBytes.size());
        EXPECT_EQ(bRead, *cases[i].sError == 0);
        if (!bRead) {
            EXPECT_NE(file.getError().Find(cases[i].sError), -1) << file.getError();
            EXPECT_EQ(file.getUser(), "");
        }
    }
}

TEST(DocumentLockFileParse, DrawingOfALockFile) {
    const struct {
        const char* sLock;
        const char* sDrawing;
    } cases[] = {
        {"P:\\job\\docinfo\\A-101-dwg.lok",
         "P:\\job\\A-101.dwg"},  // the title ends at the last "-"
        {"P:\\job\\docinfo\\a.b-dwg.lok", "P:\\job\\a.b.dwg"},
        {"P:\\job\\docinfo\\plan03-.lok", "P:\\job\\plan03"},  // a drawing without extension
        {"P:\\job\\docinfo\\Plan-DWG.lok", "P:\\job\\Plan.DWG"},
        {"\\\\srv\\jobs\\D400\\docinfo\\unc-dwg.lok", "\\\\srv\\jobs\\D400\\unc.dwg"},
        {"P:\\job\\docinfo\\odd.lok", "P:\\job\\odd"},  // no "-": not the module's name
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CDocumentLockFile::drawingOf(cases[i].sLock), cases[i].sDrawing);
    }
}

}  // namespace
}  // namespace brevant::test
