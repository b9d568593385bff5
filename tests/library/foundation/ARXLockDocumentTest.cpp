// The document lock taken by the module: the three plain operations on the
// current document, and the scoped lock inside a command, in the application
// context with the document unlocked or already locked, and with no document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ARXLockDocument.h"
#include "AcadARXUtil.h"
#include "CommandLineRecorder.h"
#include "Maintenance.h"
#include "Messages.h"
#include "acdocman.h"
#include "aced.h"
#include "adslib.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

using brevant::test::commandLineCalls;
using brevant::test::commandLineText;

namespace {

class ARXLockDocument : public ::testing::Test {
protected:
    void SetUp() override {
        if (!G_bLibraryInitialised) {
            Pellam::initialiseLibrary("Brevant", NULL);
        }
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(2, iPrevious);
        commandLineCalls().clear();
    }
    void TearDown() override {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::platform::captureMessageBoxes(nullptr);
    }
    // The failed checks reported, by their condition text.
    std::vector<std::string> failedChecks() const {
        std::vector<std::string> vectorChecks;
        for (const auto& box : m_vectorBoxes) {
            const size_t iEnd = box.text.find(">\nFile : <");
            vectorChecks.push_back(box.text.substr(13, iEnd - 13));
        }
        return vectorChecks;
    }

    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

std::string traces(const std::vector<std::string>& vectorLines) {
    std::string sText;
    for (const std::string& sLine : vectorLines) {
        sText += "Brevant (high) : " + sLine + "\n";
    }
    return sText;
}

// What a LISP function sees while its scoped lock lives.
AcAp::DocLockMode G_myLockInside = AcAp::kNone;
int lockInsideCommand() {
    CARXLockDocument lock;
    G_myLockInside = acDocManager->curDocument()->myLockMode();
    acedRetVoid();
    return RSRSLT;
}

}  // namespace

TEST_F(ARXLockDocument, InsideACommandNothingIsLockedOrUnlocked) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    ASSERT_EQ(acedDefun("LOCKME", 1), RTNORM);
    ASSERT_EQ(acedRegFunc(lockInsideCommand, 1), RTNORM);
    commandLineCalls().clear();
    EXPECT_TRUE(brevant::host::runCommand("(lockme)"));
    // The editor holds the command's lock; the object takes none of its own.
    EXPECT_EQ(G_myLockInside, AcAp::kNone);
    EXPECT_EQ(commandLineText(), traces({"CAutoCADUtil::isLocked()", "\tcurrent lock mode (4)"}));
    EXPECT_TRUE(failedChecks().empty());
    brevant::host::closeDocument(pDoc);
}

TEST_F(ARXLockDocument, ApplicationContextLocksAnUnlockedDocumentForItsSpan) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    ASSERT_TRUE(acDocManager->isApplicationContext());
    commandLineCalls().clear();
    {
        CARXLockDocument lock;
        EXPECT_EQ(pDoc->myLockMode(), AcAp::kWrite);
        EXPECT_EQ(commandLineText(),
                  traces({"CAutoCADUtil::isLocked()", "\tcurrent lock mode (2)",
                          "CAutoCADUtil::isLocked()", "\tcurrent lock mode (2)",
                          "CAutoCADUtil::lockDocument()", "CAutoCADUtil::isLocked()",
                          "\tcurrent lock mode (4)"}));
        commandLineCalls().clear();
    }
    EXPECT_EQ(pDoc->myLockMode(), AcAp::kNone);
    EXPECT_EQ(commandLineText(), traces({"CAutoCADUtil::isLocked()", "\tcurrent lock mode (4)",
                                         "CAutoCADUtil::unlockDocument()",
                                         "CAutoCADUtil::isLocked()", "\tcurrent lock mode (2)"}));
    EXPECT_TRUE(failedChecks().empty());
    brevant::host::closeDocument(pDoc);
}

TEST_F(ARXLockDocument, ApplicationContextLeavesALockedDocumentAlone) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    // A read lock counts as locked as much as a write lock.
    for (AcAp::DocLockMode mode : {AcAp::kWrite, AcAp::kRead}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(acDocManager->lockDocument(pDoc, mode), Acad::eOk);
        commandLineCalls().clear();
        { CARXLockDocument lock; }
        EXPECT_EQ(pDoc->myLockMode(), mode);
        EXPECT_EQ(commandLineText(),
                  traces({"CAutoCADUtil::isLocked()",
                          "\tcurrent lock mode (" + std::to_string((int)mode) + ")"}));
        EXPECT_EQ(acDocManager->unlockDocument(pDoc), Acad::eOk);
    }
    EXPECT_TRUE(failedChecks().empty());
    brevant::host::closeDocument(pDoc);
}

TEST_F(ARXLockDocument, NoDocumentCountsAsUnlockedAndLockingAsDone) {
    ASSERT_EQ(acDocManager->curDocument(), nullptr);
    EXPECT_FALSE(CAutoCADUtil::isLocked());
    EXPECT_TRUE(CAutoCADUtil::lockDocument());
    CAutoCADUtil::unlockDocument();
    EXPECT_EQ(commandLineText(),
              traces({"CAutoCADUtil::isLocked()", "\tno default document present",
                      "CAutoCADUtil::lockDocument()", "\tno default document present",
                      "CAutoCADUtil::unlockDocument()", "\tno default document present"}));
    EXPECT_TRUE(failedChecks().empty());

    // The scoped lock "takes" the lock, and the document still counts as
    // unlocked on both sides.
    { CARXLockDocument lock; }
    EXPECT_EQ(failedChecks(), (std::vector<std::string>{"isLocked()", "isLocked()"}));
}

TEST_F(ARXLockDocument, UnlockingWithoutALockIsAFailedCheck) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    commandLineCalls().clear();
    CAutoCADUtil::unlockDocument();
    // The trace, then the assertion report.
    EXPECT_EQ(commandLineText().find(
                  traces({"CAutoCADUtil::unlockDocument()",
                          "\tunlock failure (" + std::to_string((int)Acad::eNotApplicable) + ")",
                          "Assertion : <bSuccess>"})),
              0u);
    EXPECT_EQ(failedChecks(), (std::vector<std::string>{"bSuccess"}));
    brevant::host::closeDocument(pDoc);
}
