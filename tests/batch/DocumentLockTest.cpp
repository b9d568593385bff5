// The lock file of a drawing, by its bytes on disk: three lines, another
// user's lock replaced, deletion, the broadcasts, and what every failure point
// of the write leaves.
#include "BatchFixture.h"

#include "DocumentLock.h"
#include "Messages.h"

namespace brevant::test {
namespace {

using DocumentLock = BatchTest;

const char kLockText[] = "Locked At: 3 Dec 2026 09:00\r\nBy: jsmith\r\nFrom: PC042\r\n";

TEST_F(DocumentLock, CreateReplacesAnotherUsersLockAndReleaseDeletesIt) {
    std::filesystem::create_directories(native("job/docinfo"));
    writeFile(native("job/docinfo/A-101-dwg.lok"),
              "Locked At: 1 Dec 2026 08:00\r\nBy: ann\r\nFrom: PC001\r\n");
    clockAt(2026, 12, 3, 9, 0);
    CDocumentLock lock("P:\\job\\A-101.dwg");
    EXPECT_EQ(lock.getLockFileName(), "");
    lock.create();
    EXPECT_TRUE(lock.isLockCreated());
    EXPECT_EQ(lock.getLockFileName(), "P:\\job\\docinfo\\A-101-dwg.lok");
    EXPECT_EQ(readFile(native("job/docinfo/A-101-dwg.lok")), kLockText);
    EXPECT_EQ(m_iBroadcasts, 1);

    lock.release();
    EXPECT_FALSE(lock.isLockCreated());
    EXPECT_EQ(lock.getLockFileName(), "");
    EXPECT_FALSE(fileExists(native("job/docinfo/A-101-dwg.lok")));
    EXPECT_EQ(m_iBroadcasts, 2);
    EXPECT_TRUE(m_vectorBoxes.empty());
    EXPECT_EQ(takeCommandLine(), "");

    // The letter case of the extension is kept; a drawing without one ends in "-".
    EXPECT_EQ(CDocumentLock::lockFileName("P:\\d\\", "P:\\job\\Plan.DWG"), "P:\\d\\Plan-DWG.lok");
    EXPECT_EQ(CDocumentLock::lockFileName("P:\\d\\", "P:\\job\\plan"), "P:\\d\\plan-.lok");
}

// A release whose file another program removed: a failed check only; the
// object forgets the file and the broadcast is still sent.
TEST_F(DocumentLock, ReleaseOfAFileAlreadyGone) {
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(2, iPrevious);
    clockAt(2026, 12, 3, 9, 0);
    CDocumentLock lock("P:\\plan.dwg");
    lock.create();
    std::filesystem::remove(native("docinfo/plan-dwg.lok"));
    m_iBroadcasts = 0;
    m_vectorBoxes.clear();
    lock.release();
    EXPECT_EQ(m_iBroadcasts, 1);
    ASSERT_EQ(m_vectorBoxes.size(), 1u);
    EXPECT_NE(m_vectorBoxes[0].text.find("<::DeleteFileA(m_sLockFileName)>"), std::string::npos);
    EXPECT_FALSE(lock.isLockCreated());
}

// Every creation, write, flush and rename of the lock made to fail in turn:
// the exception leaves create, no broadcast is sent, and the lock path holds
// the other user's whole lock, with nothing beside it.
TEST_F(DocumentLock, EveryFailurePointLeavesTheOtherLockWhole) {
    using brevant::platform::Operation;
    const std::string sOther = "Locked At: 1 Dec 2026 08:00\r\nBy: ann\r\nFrom: PC001\r\n";
    clockAt(2026, 12, 3, 9, 0);
    for (Operation op :
         {Operation::FileCreate, Operation::FileWrite, Operation::FileFlush, Operation::Rename}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(testing::Message() << "operation " << (int)op << ", call " << n);
            std::filesystem::create_directories(native("docinfo"));
            writeFile(native("docinfo/plan-dwg.lok"), sOther);
            m_iBroadcasts = 0;
            brevant::platform::failAfter(op, n);
            CDocumentLock lock("P:\\plan.dwg");
            bool bThrown = false;
            try {
                lock.create();
            } catch (CFileException* pError) {
                bThrown = true;
                pError->Delete();
            }
            disarmFaults();
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(native("docinfo")),
                                    std::filesystem::directory_iterator()),
                      1);
            const std::string sOnDisk = readFile(native("docinfo/plan-dwg.lok"));
            if (!bThrown) {
                EXPECT_EQ(sOnDisk, kLockText);  // the countdown went past every call
                EXPECT_EQ(m_iBroadcasts, 1);
                break;
            }
            EXPECT_FALSE(lock.isLockCreated());
            EXPECT_EQ(lock.getLockFileName(), "");
            EXPECT_EQ(m_iBroadcasts, 0);
            EXPECT_EQ(sOnDisk, sOther);
            ASSERT_LT(n, 10);
        }
    }
}

TEST_F(DocumentLock, NoDocInfoFolderNoLock) {
    std::filesystem::create_directories(m_dir.file("R/job"));
    brevant::platform::mapDrive("R", m_dir.file("R"), "", true);
    CDocumentLock lock("R:\\job\\plan.dwg");
    lock.create();
    EXPECT_FALSE(lock.isLockCreated());
    EXPECT_EQ(lock.getLockFileName(), "");
    EXPECT_EQ(m_iBroadcasts, 0);
    EXPECT_NE(takeCommandLine().find("Failed to create \"R:\\job\\docinfo\\\", check permissions."),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("R/job/docinfo")));
}

}  // namespace
}  // namespace brevant::test
