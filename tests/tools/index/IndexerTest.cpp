// Indexing without an editor, in this process: the drawings of the
// drawing-information scenario get the very files the editor wrote for them
// (apart from the time line); the drawing, its history and its lock are left
// alone; every failure point of the write leaves the previous file whole; what
// cannot be read is reported; folders are walked once each; and a .din is up
// to date until its drawing or a settings file that applies to it changes.
#include <gtest/gtest.h>

#include <brevant/editor.h>
#include <brevant/platform.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "DrawingFinder.h"
#include "DrawingIndexer.h"
#include "Staleness.h"
#include "TempDir.h"

namespace fs = std::filesystem;
using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;
using namespace brevant::tools;

namespace {

const std::string kScenario =
    std::string(BREVANT_SOURCE_DIR) + "/tests/scenario/drawing-information/";

// The drawings of the scenario by the names the editor gave them, with the
// file the editor wrote for each (under expected-files/).
const struct {
    const char* sDrawing;
    const char* sExpected;
} kDrawings[] = {
    {"C:\\Jobs\\A100\\plan01.dwg", "C/Jobs/A100/docinfo/plan01-dwg.din"},
    {"C:\\Jobs\\A100\\sheets\\tb-project.dwg", "C/Jobs/A100/sheets/docinfo/tb-project-dwg.din"},
    {"C:\\Jobs\\B200\\tb-domain.dwg", "C/Jobs/B200/docinfo/tb-domain-dwg.din"},
    {"C:\\Jobs\\C300\\tb-standard.dwg", "C/Jobs/C300/docinfo/tb-standard-dwg.din"},
    {"C:\\Jobs\\C300\\summary.dwg", "C/Jobs/C300/docinfo/summary-dwg.din"},
    {"C:\\Jobs\\C300\\old-product.dwg", "C/Jobs/C300/docinfo/old-product-dwg.din"},
    {"P:\\D400\\net.dwg", "P/D400/docinfo/net-dwg.din"},
    {"\\\\srv\\jobs\\D400\\unc.dwg", "S/D400/docinfo/unc-dwg.din"},
    {"C:\\Jobs\\A100\\a.b.dwg", "C/Jobs/A100/docinfo/a.b-dwg.din"},
    {"C:\\Jobs\\A100\\plan03", "C/Jobs/A100/docinfo/plan03-.din"},
};

// The scenario's drives in a temporary folder, with the module's install
// folder on C: (the module file itself is never loaded, only its place counts).
class Indexer : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kScenario + "drives", m_dir.path(), fs::copy_options::recursive);
        fs::create_directories(m_dir.file("C/Tarvex/Brevant/bin"));
        writeFile(m_dir.file("C/Tarvex/Brevant/bin/Brevant15.arx"), "");
        setenv("BREVANT_REGISTRY_DIR", m_dir.file("registry").c_str(), 1);
        brevant::platform::clearDriveMap();
        brevant::platform::mapDrive("C", m_dir.file("C"));
        brevant::platform::mapDrive("P", m_dir.file("P"), "\\\\srv\\jobs");
        brevant::platform::mapDrive("\\\\srv\\jobs", m_dir.file("S"));
        disarm();
        startHeadlessLibrary("C:\\Tarvex\\Brevant\\bin\\Brevant15.arx");
    }
    void TearDown() override {
        disarm();
        brevant::platform::clearDriveMap();
    }
    static void disarm() {
        using brevant::platform::Operation;
        for (Operation op : {Operation::FileWrite, Operation::FileCreate, Operation::Rename,
                             Operation::CreateFolder}) {
            brevant::platform::failAfter(op, 0);
        }
    }
    std::vector<std::string> filesIn(const std::string& sFolder) const {
        std::vector<std::string> vectorNames;
        if (fs::exists(m_dir.file(sFolder))) {
            for (const auto& entry : fs::directory_iterator(m_dir.file(sFolder))) {
                vectorNames.push_back(entry.path().filename().string());
            }
        }
        return vectorNames;
    }
    // Sets a file's write time that many seconds from now.
    void setTime(const std::string& sRelative, int iSeconds) const {
        fs::last_write_time(m_dir.file(sRelative),
                            fs::file_time_type::clock::now() + std::chrono::seconds(iSeconds));
    }

    TempDir m_dir;
};

}  // namespace

TEST_F(Indexer, WritesWhatTheEditorWroteOnSave) {
    for (const auto& drawing : kDrawings) {
        SCOPED_TRACE(drawing.sDrawing);
        const IndexResult result = indexDrawing(drawing.sDrawing);
        ASSERT_EQ(result.outcome, IndexOutcome::Written) << result.sReason;
        const std::string sWritten = readFile(m_dir.file(drawing.sExpected));
        const std::string sExpected = readFile(kScenario + "expected-files/" + drawing.sExpected);
        ASSERT_FALSE(sExpected.empty());
        EXPECT_TRUE(sameApartFromTimeLine(sExpected, sWritten)) << sWritten;
        EXPECT_NE(sWritten, sExpected);  // the time line is this run's
    }
    // Again: the same content, so unchanged; the file is written afresh all the same.
    EXPECT_EQ(indexDrawing("C:\\Jobs\\A100\\plan01.dwg").outcome, IndexOutcome::Unchanged);
    EXPECT_EQ(brevant::host::transcript(), "");
}

TEST_F(Indexer, LeavesTheDrawingItsHistoryAndLockAlone) {
    // The earlier product's drawing: its old title goes into the summary
    // information in memory only.
    const std::string sDrawing = m_dir.file("C/Jobs/C300/old-product.dwg");
    const std::string sBefore = readFile(sDrawing);
    const auto timeBefore = fs::last_write_time(sDrawing);
    ASSERT_EQ(indexDrawing("C:\\Jobs\\C300\\old-product.dwg").outcome, IndexOutcome::Written);
    EXPECT_EQ(readFile(sDrawing), sBefore);
    EXPECT_EQ(fs::last_write_time(sDrawing), timeBefore);
    EXPECT_EQ(filesIn("C/Jobs/C300/docinfo"), std::vector<std::string>{"old-product-dwg.din"});
    EXPECT_NE(readFile(m_dir.file("C/Jobs/C300/docinfo/old-product-dwg.din"))
                  .find("DWGTITLE1   Old  Survey Plan"),
              std::string::npos);
}

// Every creation, write and rename of the file made to fail in turn (a full
// disk): the drawing fails with the reason, the previous file stays as it was
// and nothing half-written is left beside it.
TEST_F(Indexer, EveryFailurePointLeavesThePreviousFileWhole) {
    using brevant::platform::Operation;
    ASSERT_EQ(indexDrawing("C:\\Jobs\\A100\\plan01.dwg").outcome, IndexOutcome::Written);
    const std::string sDin = m_dir.file("C/Jobs/A100/docinfo/plan01-dwg.din");
    writeFile(sDin, readFile(sDin) + "\r\n# the previous file");
    const std::string sPrevious = readFile(sDin);
    for (Operation op : {Operation::FileCreate, Operation::FileWrite, Operation::Rename}) {
        int iFailures = 0;
        for (int n = 1; n < 50; ++n) {
            SCOPED_TRACE(std::to_string((int)op) + "/" + std::to_string(n));
            brevant::platform::failAfter(op, n, 112 /* disk full */);
            const IndexResult result = indexDrawing("C:\\Jobs\\A100\\plan01.dwg");
            disarm();
            if (result.outcome != IndexOutcome::Failed) {
                // The n-th operation was not reached: this drawing needs fewer.
                EXPECT_GT(iFailures, 0);
                writeFile(sDin, sPrevious);
                break;
            }
            ++iFailures;
            EXPECT_NE(result.sReason.find("plan01-dwg.din"), std::string::npos) << result.sReason;
            EXPECT_EQ(readFile(sDin), sPrevious);
            EXPECT_EQ(filesIn("C/Jobs/A100/docinfo"), std::vector<std::string>{"plan01-dwg.din"});
        }
    }
}

TEST_F(Indexer, ReportsWhatItCannotIndex) {
    fs::create_directories(m_dir.file("C/Bad/folder.dwg"));
    writeFile(m_dir.file("C/Bad/notes.dwg"), "These are notes, not a drawing.\n");
    writeFile(m_dir.file("C/Bad/empty.dwg"), "");
    // A release-15 drawing file cut short: the binary reader refuses it.
    writeFile(m_dir.file("C/Bad/binary.dwg"),
              readFile(std::string(BREVANT_SOURCE_DIR) + "/tests/data/dwg/libredwg_2000_TS1.dwg")
                  .substr(0, 2000));
    const struct {
        const char* sDrawing;
        const char* sReason;
    } cases[] = {
        {"C:\\Bad\\missing.dwg", "the file does not exist"},
        {"C:\\Bad\\folder.dwg", "it is a folder"},
        {"C:\\Bad\\notes.dwg", "not a drawing that can be read"},
        {"C:\\Bad\\empty.dwg", "not a drawing that can be read"},
        {"C:\\Bad\\binary.dwg", "not a drawing that can be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sDrawing);
        const IndexResult result = indexDrawing(c.sDrawing);
        EXPECT_EQ(result.outcome, IndexOutcome::Failed);
        EXPECT_NE(result.sReason.find(c.sReason), std::string::npos) << result.sReason;
    }
    EXPECT_FALSE(fs::exists(m_dir.file("C/Bad/docinfo")));

    // A drawing on a read-only share: the module's own message says why.
    brevant::platform::mapDrive("R", m_dir.file("C/Jobs/B200"), "\\\\srv\\archive", true);
    const IndexResult result = indexDrawing("R:\\tb-domain.dwg");
    EXPECT_EQ(result.outcome, IndexOutcome::Failed);
    EXPECT_NE(result.sReason.find("Failed to create \"R:\\docinfo\\\", check permissions."),
              std::string::npos)
        << result.sReason;
    EXPECT_FALSE(fs::exists(m_dir.file("C/Jobs/B200/docinfo")));
}

TEST_F(Indexer, FindsEveryDrawingOnce) {
    fs::create_symlink("..", m_dir.file("C/Jobs/A100/loop"));  // a symbolic link loop
    fs::create_symlink(m_dir.file("C/Jobs/B200"), m_dir.file("C/Jobs/B200-link"));
    writeFile(m_dir.file("C/Jobs/A100/Drawing1.dwg"), "");  // an editor's default name
    writeFile(m_dir.file("C/Jobs/A100/notes.txt"), "");
    fs::create_directories(m_dir.file("C/Jobs/closed"));
    chmod(m_dir.file("C/Jobs/closed").c_str(), 0);

    DrawingFinder finder;
    finder.addPath("C:\\Jobs");
    finder.addPath("C:\\JOBS\\a100\\PLAN01.DWG");  // found already, in another letter case
    finder.addPath("C:\\Jobs\\A100\\plan03");      // named: a drawing whatever its name
    finder.addPath("C:\\Jobs\\none");
    std::istringstream list("\r\n  \r\nP:\\D400\r\n\\\\srv\\jobs\\D400\\unc.dwg\r\n");
    finder.addList(list);
    chmod(m_dir.file("C/Jobs/closed").c_str(), 0755);

    std::vector<std::string> vectorFound;
    for (const FoundDrawing& drawing : finder.drawings()) {
        vectorFound.push_back(drawing.sPath);
        EXPECT_GT(drawing.iWriteTime, 0u);
    }
    EXPECT_EQ(vectorFound,
              (std::vector<std::string>{
                  "C:\\Jobs\\A100\\a.b.dwg", "C:\\Jobs\\A100\\plan01.dwg",
                  "C:\\Jobs\\A100\\sheets\\tb-project.dwg", "C:\\Jobs\\B200\\tb-domain.dwg",
                  "C:\\Jobs\\C300\\old-product.dwg", "C:\\Jobs\\C300\\summary.dwg",
                  "C:\\Jobs\\C300\\tb-standard.dwg", "C:\\Jobs\\A100\\plan03", "P:\\D400\\net.dwg",
                  "\\\\srv\\jobs\\D400\\unc.dwg"}));
    const std::vector<std::string> vectorProblems = finder.problems();
    ASSERT_EQ(vectorProblems.size(), 2u);
    EXPECT_EQ(vectorProblems[0], "C:\\Jobs\\none: no such file or folder");
    EXPECT_NE(
        vectorProblems[1].find("cannot list the folder: Access to C:\\Jobs\\closed was denied"),
        std::string::npos)
        << vectorProblems[1];
    ASSERT_EQ(finder.notes().size(), 2u);  // the loop and the second link to B200
    EXPECT_NE(finder.notes()[0].find("C:\\Jobs\\A100\\loop: walked already"), std::string::npos);
}

TEST_F(Indexer, UpToDateUntilTheDrawingOrItsSettingsChange) {
    // Drawings and settings an hour old; a file "changed" later is given a
    // time to come, after any .din written here.
    for (const auto& entry : fs::recursive_directory_iterator(m_dir.path())) {
        if (entry.is_regular_file()) {
            fs::last_write_time(entry.path(),
                                fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
    }
    DrawingFinder finder;
    finder.addPath("C:\\Jobs");
    auto stale = [&]() {
        // Write times are read afresh, as a new run reads them.
        StalenessCheck staleness;
        DrawingFinder again;
        again.addPath("C:\\Jobs");
        std::vector<std::string> vectorStale;
        for (const FoundDrawing& drawing : again.drawings()) {
            if (!staleness.isUpToDate(drawing.sPath, drawing.iWriteTime)) {
                vectorStale.push_back(drawing.sPath);
            }
        }
        return vectorStale;
    };
    EXPECT_EQ(stale().size(), finder.drawings().size());  // no .din yet
    for (const FoundDrawing& drawing : finder.drawings()) {
        ASSERT_NE(indexDrawing(drawing.sPath).outcome, IndexOutcome::Failed);
    }
    EXPECT_TRUE(stale().empty());
    EXPECT_EQ(StalenessCheck().settingsFilesOf("C:\\Jobs\\B200\\tb-domain.dwg"),
              (std::vector<std::string>{"C:\\Jobs\\B200\\ProjectSettings.txt",
                                        "C:\\Tarvex\\DomainSettings\\DomainSettings.txt",
                                        "C:\\Tarvex\\Brevant\\support\\StandardSettings.txt"}));

    setTime("C/Jobs/B200/ProjectSettings.txt", 60);
    EXPECT_EQ(stale(), std::vector<std::string>{"C:\\Jobs\\B200\\tb-domain.dwg"});
    setTime("C/Jobs/B200/ProjectSettings.txt", -3600);
    setTime("C/Jobs/C300/summary.dwg", 60);
    EXPECT_EQ(stale(), std::vector<std::string>{"C:\\Jobs\\C300\\summary.dwg"});
    setTime("C/Jobs/C300/summary.dwg", -3600);
    EXPECT_TRUE(stale().empty());
    setTime("C/Tarvex/Brevant/support/StandardSettings.txt", 60);  // applies to every drawing
    EXPECT_EQ(stale().size(), finder.drawings().size());
}

TEST(IndexerTimeLine, OnlyTheTimeLineMayDiffer) {
    const std::string sHead = "# This file was automatically generated by Brevant ARX Module";
    const std::string sA = sHead + "\r\n# written at: Monday\r\n# sActualName = x\r\nrest";
    const struct {
        std::string sOther;
        bool bSame;
    } cases[] = {
        {sA, true},
        {sHead + "\r\n# written at: Tuesday, later\r\n# sActualName = x\r\nrest", true},
        {sHead + "\r\n# written at: Monday\r\n# sActualName = y\r\nrest", false},
        {sHead + "\r\n# written at: Monday\r\n# sActualName = x\r\nrest ", false},
        {"", false},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sameApartFromTimeLine(sA, cases[i].sOther), cases[i].bSame);
    }
}
