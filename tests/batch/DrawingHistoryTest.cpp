// The history record of a drawing, by its bytes on disk: the VIEW and EDIT
// forms, the file name beside the drawing, the first record of a new file,
// periods across midnight, and what a failed write or docinfo folder leaves.
#include "BatchFixture.h"

#include "DrawingHistory.h"

namespace brevant::test {
namespace {

using DrawingHistory = BatchTest;

TEST_F(DrawingHistory, ViewAndEditRecordsByTheirBytes) {
    // Opened 09:00, last saved 13:50 after an earlier save, closed 14:05.
    clockAt(2026, 12, 3, 9, 0);
    CDrawingHistory historyEdited("P:\\job\\A-101.dwg");
    CDrawingHistory historyViewed("P:\\job\\A-101.dwg");
    EXPECT_TRUE(historyEdited.isViewOnly());
    clockAt(2026, 12, 3, 11, 15);
    historyEdited.markSaved();
    clockAt(2026, 12, 3, 13, 50);
    historyEdited.markSaved();
    EXPECT_FALSE(historyEdited.isViewOnly());
    clockAt(2026, 12, 3, 14, 5);
    historyEdited.close();
    EXPECT_EQ(m_iBroadcasts, 1);
    // The first record makes a file that begins with a line break.
    EXPECT_EQ(readFile(native("job/docinfo/A-101-dwg.his")),
              "\r\n3/Dec/2026 14:05> EDIT \"jsmith\" \"PC042\" "
              "\"3 Dec 2026 09:00 UNTIL 3 Dec 2026 14:05  (Last Save: 13:50)\"");

    clockAt(2026, 12, 4, 0, 7);  // the next day: the stamp carries the day of closing
    historyViewed.close();
    EXPECT_EQ(m_iBroadcasts, 2);
    EXPECT_EQ(readFile(native("job/docinfo/A-101-dwg.his")),
              "\r\n3/Dec/2026 14:05> EDIT \"jsmith\" \"PC042\" "
              "\"3 Dec 2026 09:00 UNTIL 3 Dec 2026 14:05  (Last Save: 13:50)\""
              "\r\n4/Dec/2026 00:07> VIEW \"jsmith\" \"PC042\" "
              "\"3 Dec 2026 09:00 ->4 Dec 2026 00:07\"");
    EXPECT_TRUE(m_vectorBoxes.empty());
    EXPECT_EQ(takeCommandLine(), "");
}

TEST_F(DrawingHistory, FileNamesBesideTheDrawing) {
    const struct {
        const char* sDrawing;
        const char* sHistory;  // under P:
    } cases[] = {
        {"P:\\job\\Plan.DWG", "job/docinfo/Plan-DWG.his"},
        {"P:\\job\\plan", "job/docinfo/plan-.his"},  // no extension
        {"P:\\job\\plan.v2.final.dwg", "job/docinfo/plan.v2.final-dwg.his"},
        {"P:\\new\\deeper\\plan.dwg", "new/deeper/docinfo/plan-dwg.his"},  // folders made
    };
    clockAt(2026, 12, 3, 9, 0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        CDrawingHistory history(cases[i].sDrawing);
        EXPECT_EQ(history.getFileName(), cases[i].sDrawing);
        history.close();
        EXPECT_EQ(readFile(native(cases[i].sHistory)),
                  "\r\n3/Dec/2026 09:00> VIEW \"jsmith\" \"PC042\" "
                  "\"3 Dec 2026 09:00 ->3 Dec 2026 09:00\"");
    }
    EXPECT_EQ(CDrawingHistory::historyFileName("P:\\job\\docinfo\\", "P:\\job\\Plan.DWG"),
              "P:\\job\\docinfo\\Plan-DWG.his");
    // The default value of a map entry has no names.
    EXPECT_EQ(CDrawingHistory().getHistoryFileName(), "");
}

// A full disk, a file that cannot be made: the exception reaches the caller,
// the file keeps what it had, and the document manager is not told.
TEST_F(DrawingHistory, AFailedWriteThrowsAndLosesNothing) {
    using brevant::platform::Operation;
    clockAt(2026, 12, 3, 9, 0);
    CDrawingHistory first("P:\\job\\plan.dwg");
    first.close();
    const std::string sBefore = readFile(native("job/docinfo/plan-dwg.his"));
    m_iBroadcasts = 0;
    for (Operation op : {Operation::FileCreate, Operation::FileWrite}) {
        SCOPED_TRACE((int)op);
        brevant::platform::failAfter(op, 1);
        CDrawingHistory history("P:\\job\\plan.dwg");
        history.markSaved();
        bool bThrown = false;
        try {
            history.close();
        } catch (CFileException* pError) {
            bThrown = true;
            EXPECT_EQ(pError->m_cause, CFileException::diskFull);
            pError->Delete();
        }
        EXPECT_TRUE(bThrown);
        EXPECT_EQ(readFile(native("job/docinfo/plan-dwg.his")), sBefore);
        EXPECT_EQ(m_iBroadcasts, 0);
        disarmFaults();
    }
}

// When the docinfo folder cannot be made the user is told once, and the
// record is written nowhere: not into the current folder either.
TEST_F(DrawingHistory, NoDocInfoFolderNoRecordAnywhere) {
    std::filesystem::create_directories(m_dir.file("R/job"));
    std::filesystem::create_directories(m_dir.file("cwd"));
    brevant::platform::mapDrive("R", m_dir.file("R"), "", true);
    ASSERT_EQ(chdir(m_dir.file("cwd").c_str()), 0);
    CDrawingHistory history("R:\\job\\plan.dwg");
    EXPECT_EQ(history.getHistoryFileName(), "");
    EXPECT_NE(takeCommandLine().find("Failed to create \"R:\\job\\docinfo\\\", check permissions."),
              std::string::npos);
    history.markSaved();
    history.close();  // nothing thrown, nothing shown
    EXPECT_EQ(takeCommandLine(), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("R/job/docinfo")));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.file("cwd")));
    EXPECT_EQ(m_iBroadcasts, 0);
}

}  // namespace
}  // namespace brevant::test
