// The editor reactor with the module loaded in the editor: the history and
// lock files of drawings that are opened, saved, saved under a new name and
// closed, by their bytes on disk and in the order the editor's notifications
// come; drawings that are not tracked; failures; unloading; and the project
// synchronisation with the editor's current profile.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "BrevantEditorReactor.h"
#include "DocumentData.h"
#include "EditorSandbox.h"
#include "Messages.h"
#include "Registry.h"
#include "PlatformSeams.h"
#include "TempDir.h"
#include "acdocman.h"
#include "aced.h"
#include "acutmem.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "dbmain.h"
#include "rxregsvc.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);

namespace {

using brevant::host::runCommand;
using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::writeFile;

const char* const kModule = "app_tests";
const char kProfileKey[] =
    "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles\\<<Unnamed Profile>>\\Project "
    "Settings\\";

// Notes, at each notification, which side files stand on disk; added after
// the module's reactor, so it sees what the module has just done.
class FileWatcher : public AcEditorReactor {
public:
    explicit FileWatcher(const brevant::test::TempDir& dir) : m_dir(dir) {}
    void beginSave(AcDbDatabase*, const char* pName) override { note("beginSave", pName); }
    void saveComplete(AcDbDatabase*, const char* pName) override { note("saveComplete", pName); }
    std::vector<std::string> m_vectorSeen;

private:
    void note(const std::string& sEvent, const char* pName) {
        std::string sSeen = sEvent;
        for (const char* sFile :
             {"C/Jobs/A100/plan01.dwg", "C/Jobs/A100/plan02.dwg",
              "C/Jobs/A100/docinfo/plan01-dwg.lok", "C/Jobs/A100/docinfo/plan02-dwg.lok",
              "C/Jobs/A100/docinfo/plan01-dwg.his"}) {
            if (fileExists(m_dir.file(sFile))) {
                sSeen += std::string(" ") + std::filesystem::path(sFile).filename().string();
            }
        }
        m_vectorSeen.push_back(sSeen);
    }
    const brevant::test::TempDir& m_dir;
};

class EditorReactor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(brevant::test::enterEditorSandbox(m_dir, &m_vectorBoxes));
        m_iListener = brevant::platform::addMessageListener(
            [this](unsigned int uMessage, uintptr_t, intptr_t) {
                if (uMessage != 0 && uMessage == Pellam::getRefreshMessage()) {
                    ++m_iBroadcasts;
                }
            });
    }
    void TearDown() override {
        if (acedEditor != NULL) {
            acedEditor->removeReactor(&m_watcher);
        }
        brevant::platform::removeMessageListener(m_iListener);
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::test::leaveEditorSandbox();
    }

    // Drawings the editor writes before the module is loaded, so untracked.
    void makeDrawing(const std::string& sName, const std::string& sXref = "") {
        AcApDocument* pDoc = brevant::host::newDocument();
        ASSERT_NE(pDoc, nullptr);
        if (!sXref.empty()) {
            ASSERT_TRUE(runCommand("XATTACH REF " + sXref));
        }
        ASSERT_TRUE(brevant::host::saveDocument(pDoc, sName));
        ASSERT_TRUE(brevant::host::closeDocument(pDoc));
    }
    void startModule() {
        ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
        acedEditor->addReactor(&m_watcher);
        brevant::host::clearTranscript();
        m_iBroadcasts = 0;
    }
    static void clockAt(int iHour, int iMinute, int iDay = 3) {
        char szTime[32];
        snprintf(szTime, sizeof szTime, "2026-12-%02d %02d:%02d", iDay, iHour, iMinute);
        brevant::test::fixClock(szTime);
    }
    static std::string transcript() {
        const std::string sText = brevant::host::transcript();
        brevant::host::clearTranscript();
        return sText;
    }
    std::string onDisk(const std::string& sRelative) const {
        return readFile(m_dir.file("C/Jobs/A100/" + sRelative));
    }
    bool there(const std::string& sRelative) const {
        return fileExists(m_dir.file("C/Jobs/A100/" + sRelative));
    }
    static std::string lockText(const std::string& sTime) {
        return "Locked At: 3 Dec 2026 " + sTime + "\r\nBy: jsmith\r\nFrom: PC042\r\n";
    }
    static std::string projectName() {
        AcApDocument* pDoc = acDocManager->curDocument();
        char* pName = nullptr;
        if (pDoc == nullptr || pDoc->database()->getProjectName(pName) != Acad::eOk) {
            return "(none)";
        }
        const std::string sName = pName != nullptr ? pName : "";
        acutDelString(pName);
        return sName;
    }

    brevant::test::TempDir m_dir;
    FileWatcher m_watcher{m_dir};
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
    int m_iListener = 0;
    int m_iBroadcasts = 0;
};

const char kPlan01[] = "C:\\Jobs\\A100\\plan01.dwg";
const char kPlan02[] = "C:\\Jobs\\A100\\plan02.dwg";

}  // namespace

// Open, save, save under a new name, close; then open and close only: the
// lock and history files at each step, and one broadcast for each change.
TEST_F(EditorReactor, OpenSaveSaveAsCloseFollowTheDrawing) {
    makeDrawing(kPlan01);
    startModule();

    clockAt(9, 0);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.lok"), lockText("09:00"));
    EXPECT_FALSE(there("docinfo/plan01-dwg.his"));
    EXPECT_EQ(m_iBroadcasts, 1);

    clockAt(9, 40);
    ASSERT_TRUE(runCommand("SAVE"));
    clockAt(10, 0);
    ASSERT_TRUE(runCommand("SAVE"));  // the last save counts
    EXPECT_FALSE(there("docinfo/plan01-dwg.his"));
    EXPECT_TRUE(there("docinfo/plan01-dwg.din"));
    EXPECT_EQ(m_iBroadcasts, 3);  // each save's drawing information

    // Save under a new name: the old period is recorded, the old lock goes
    // and the new one stands before the new file is written.
    clockAt(11, 0);
    m_watcher.m_vectorSeen.clear();
    ASSERT_TRUE(runCommand(std::string("SAVEAS ") + kPlan02));
    EXPECT_EQ(m_watcher.m_vectorSeen,
              (std::vector<std::string>{"beginSave plan01.dwg plan02-dwg.lok plan01-dwg.his",
                                        "saveComplete plan01.dwg plan02.dwg plan02-dwg.lok "
                                        "plan01-dwg.his"}));
    const std::string sFirstRecord =
        "\r\n3/Dec/2026 11:00> EDIT \"jsmith\" \"PC042\" "
        "\"3 Dec 2026 09:00 UNTIL 3 Dec 2026 11:00  (Last Save: 10:00)\"";
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"), sFirstRecord);
    EXPECT_EQ(onDisk("docinfo/plan02-dwg.lok"), lockText("11:00"));
    EXPECT_TRUE(there("docinfo/plan02-dwg.din"));
    EXPECT_EQ(m_iBroadcasts, 7);

    // Closing records the period under the new name, which began at the save-as.
    clockAt(12, 0);
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(onDisk("docinfo/plan02-dwg.his"),
              "\r\n3/Dec/2026 12:00> EDIT \"jsmith\" \"PC042\" "
              "\"3 Dec 2026 11:00 UNTIL 3 Dec 2026 12:00  (Last Save: 11:00)\"");
    EXPECT_FALSE(there("docinfo/plan02-dwg.lok"));
    EXPECT_EQ(m_iBroadcasts, 9);

    clockAt(23, 50);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    clockAt(0, 10, 4);
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"),
              sFirstRecord +
                  "\r\n4/Dec/2026 00:10> VIEW \"jsmith\" \"PC042\" "
                  "\"3 Dec 2026 23:50 ->4 Dec 2026 00:10\"");
    EXPECT_FALSE(there("docinfo/plan01-dwg.lok"));
    EXPECT_EQ(m_iBroadcasts, 12);
    EXPECT_EQ(transcript(), "");
    EXPECT_TRUE(m_vectorBoxes.empty());
}

// The trace of one open and close at the highest debug level, in the order of
// the steps.
TEST_F(EditorReactor, TheStepsTraceInOrder) {
    makeDrawing(kPlan01);
    startModule();
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(2, iPrevious);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    ASSERT_TRUE(runCommand("SAVE"));
    ASSERT_TRUE(runCommand("CLOSE"));
    const std::string sText = transcript();
    size_t iAt = 0;
    for (const char* sLine : {"CBrevantEditorReactor::initialDwgFileOpenComplete(...)",
                              "Requires action.",
                              "actionOpened(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "openHIS(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "openLOK(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "CDocumentLock::create() - \"C:\\Jobs\\A100\\plan01.dwg\".",
                              "openProject(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "Current project = \"\"",
                              "CBrevantEditorReactor::beginSave(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "actionPossibleSaveAs(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "actionBeginSave(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "CBrevantEditorReactor::saveComplete(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "actionSaveComplete(\"C:\\Jobs\\A100\\plan01.dwg\")",
                              "saveCompleteHIS(...)",
                              "checkForRefedit(...)",
                              "CBrevantEditorReactor::databaseToBeDestroyed(...)",
                              "actionClosed()",
                              "closeHIS(...)",
                              "<LOGGED @ C:\\Jobs\\A100\\docinfo\\plan01-dwg.his>",
                              "closeLOK(...)",
                              "CDocumentLock::release() - \"C:\\Jobs\\A100\\plan01.dwg\"."}) {
        SCOPED_TRACE(sLine);
        const size_t iFound = sText.find(std::string("Brevant (high) : ") + sLine, iAt);
        ASSERT_NE(iFound, std::string::npos) << sText;
        iAt = iFound;
    }
    // A plain save changes no tracking; no check failed on the way.
    EXPECT_EQ(sText.find("renameHIS"), std::string::npos);
    EXPECT_EQ(sText.find("refedit in progress"), std::string::npos);
    EXPECT_TRUE(m_vectorBoxes.empty());
}

// New drawings with the editor's default names, and drawings read for an
// external reference, are not tracked; a new drawing saved under a name of its
// own is from then on. A reference to the current drawing leaves its lock.
TEST_F(EditorReactor, DefaultNamesAndExternalReferencesAreNotTracked) {
    makeDrawing(kPlan01);
    makeDrawing("C:\\Jobs\\A100\\plan03.dwg", kPlan01);
    startModule();

    ASSERT_TRUE(runCommand("NEW"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("C/Jobs/A100/docinfo")));
    ASSERT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\drawing7.dwg"));  // still a default name
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("C/Jobs/A100/docinfo")));
    clockAt(9, 0);
    ASSERT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\site.dwg"));
    EXPECT_EQ(onDisk("docinfo/site-dwg.lok"), lockText("09:00"));
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_FALSE(there("docinfo/site-dwg.lok"));
    EXPECT_TRUE(there("docinfo/site-dwg.his"));
    EXPECT_FALSE(there("docinfo/drawing7-dwg.his"));

    // plan01 is open; plan03 refers to it, so opening plan03 reads plan01 again
    // into a database of no document, and attaching it reads it once more.
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    ASSERT_TRUE(runCommand("OPEN C:\\Jobs\\A100\\plan03.dwg"));
    ASSERT_TRUE(runCommand(std::string("XATTACH OTHER ") + kPlan01));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.lok"), lockText("09:00"));
    EXPECT_FALSE(there("docinfo/plan01-dwg.his"));
    EXPECT_TRUE(there("docinfo/plan03-dwg.lok"));
    EXPECT_EQ(transcript(), "");
}

// A read-only drawing gets no lock and no message; its record is still
// written where it can be, and a record that cannot be is not reported.
TEST_F(EditorReactor, ReadOnlyDrawingsGetNoLockAndNoMessage) {
    makeDrawing(kPlan01);
    chmod(m_dir.file("C/Jobs/A100/plan01.dwg").c_str(), 0444);
    std::filesystem::create_directories(m_dir.file("R/docinfo"));
    std::filesystem::copy_file(m_dir.file("C/Jobs/A100/plan01.dwg"), m_dir.file("R/plan09.dwg"));
    brevant::platform::mapDrive("R", m_dir.file("R"), "", true);
    startModule();

    clockAt(9, 0);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    EXPECT_FALSE(there("docinfo/plan01-dwg.lok"));
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"),
              "\r\n3/Dec/2026 09:00> VIEW \"jsmith\" \"PC042\" "
              "\"3 Dec 2026 09:00 ->3 Dec 2026 09:00\"");

    ASSERT_TRUE(runCommand("OPEN R:\\plan09.dwg"));
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.file("R/docinfo")));
    EXPECT_EQ(transcript(), "");
    EXPECT_TRUE(m_vectorBoxes.empty());
}

// A save that cannot start is refused before the module hears of it: its
// begin-save work does not make the missing folder, nor move the lock.
TEST_F(EditorReactor, ASaveThatCannotStartIsNotTracked) {
    makeDrawing(kPlan01);
    startModule();
    clockAt(9, 0);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    m_watcher.m_vectorSeen.clear();
    EXPECT_FALSE(runCommand("SAVEAS C:\\Jobs\\Nowhere\\plan02.dwg"));
    EXPECT_EQ(transcript(),
              "Cannot save C:\\Jobs\\Nowhere\\plan02.dwg: the folder does not exist.\n");
    EXPECT_TRUE(m_watcher.m_vectorSeen.empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("C/Jobs/Nowhere")));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.lok"), lockText("09:00"));
    EXPECT_EQ(m_iBroadcasts, 1);  // the open's only
}

// A full disk: a lock that cannot be written is reported, so is an EDIT
// record that cannot be written; a lost VIEW record is not.
TEST_F(EditorReactor, FilesThatCannotBeWrittenAreReported) {
    using brevant::platform::Operation;
    makeDrawing(kPlan01);
    startModule();

    brevant::platform::failAfter(Operation::FileCreate, 1);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    EXPECT_NE(transcript().find(" - Error creating lock for \"C:\\Jobs\\A100\\plan01.dwg\"."),
              std::string::npos);
    EXPECT_FALSE(there("docinfo/plan01-dwg.lok"));
    EXPECT_EQ(m_iBroadcasts, 0);

    ASSERT_TRUE(runCommand("SAVE"));
    brevant::platform::failAfter(Operation::FileWrite, 1);
    ASSERT_TRUE(runCommand("CLOSE"));  // a lock that was never made is not released
    const std::string sText = transcript();
    EXPECT_NE(sText.find(" - Error writing history."), std::string::npos) << sText;
    EXPECT_EQ(sText.find("Error releasing lock."), std::string::npos);
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"), "");  // made, but nothing in it

    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    brevant::platform::failAfter(Operation::FileWrite, 1);
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(transcript(), "");
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"), "");
    EXPECT_FALSE(there("docinfo/plan01-dwg.lok"));
}

// A drawing information file that cannot be written is reported with the
// saved name, the previous file stays whole, and the editor's save stands.
TEST_F(EditorReactor, DrawingInformationThatCannotBeWritten) {
    using brevant::platform::Operation;
    makeDrawing(kPlan01);
    startModule();
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    ASSERT_TRUE(runCommand("SAVE"));
    const std::string sPrevious = onDisk("docinfo/plan01-dwg.din");
    ASSERT_NE(sPrevious, "");
    transcript();
    // The drawing's own file is made and renamed first; then the module's.
    for (Operation op : {Operation::FileCreate, Operation::Rename}) {
        SCOPED_TRACE((int)op);
        brevant::platform::failAfter(op, 2);
        clockAt(11, 0);
        ASSERT_TRUE(runCommand("SAVE"));
        EXPECT_EQ(transcript(),
                  "Brevant AutoCAD error : 0 (eOk) - Error writing DIN file for "
                  "\"C:\\Jobs\\A100\\plan01.dwg\".\n");
        EXPECT_EQ(onDisk("docinfo/plan01-dwg.din"), sPrevious);
        EXPECT_EQ(
            std::distance(std::filesystem::directory_iterator(m_dir.file("C/Jobs/A100/docinfo")),
                          std::filesystem::directory_iterator()),
            2);  // the lock and the drawing information, nothing else
    }
}

// A save under a new name that fails while the drawing is written: the
// target's lock goes, the drawing keeps its lock and goes on under its own
// name, its project is as before, and nothing is written for the target.
TEST_F(EditorReactor, AFailedSaveAsPutsTheSideFilesBack) {
    using brevant::platform::Operation;
    makeDrawing(kPlan01);
    startModule();
    clockAt(9, 0);
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    clockAt(10, 0);
    ASSERT_TRUE(runCommand("SAVE"));
    AcDbDatabase* pDb = acDocManagerPtr()->curDocument()->database();
    ASSERT_EQ(pDb->setProjectName("Before"), Acad::eOk);

    clockAt(11, 0);
    // The new name's lock is moved into place first, then the drawing.
    brevant::platform::failAfter(Operation::Rename, 2);
    EXPECT_FALSE(runCommand(std::string("SAVEAS ") + kPlan02));
    EXPECT_FALSE(there("plan02.dwg"));
    EXPECT_FALSE(there("docinfo/plan02-dwg.lok"));
    EXPECT_FALSE(there("docinfo/plan02-dwg.din"));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.lok"), lockText("11:00"));
    // The period up to the attempt was recorded when the save began.
    const std::string sFirstRecord =
        "\r\n3/Dec/2026 11:00> EDIT \"jsmith\" \"PC042\" "
        "\"3 Dec 2026 09:00 UNTIL 3 Dec 2026 11:00  (Last Save: 10:00)\"";
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"), sFirstRecord);
    char* pProject = nullptr;
    ASSERT_EQ(pDb->getProjectName(pProject), Acad::eOk);
    EXPECT_STREQ(pProject, "Before");
    acutDelString(pProject);

    // The drawing goes on under its own name from the attempt.
    clockAt(12, 0);
    ASSERT_TRUE(runCommand("SAVE"));
    EXPECT_TRUE(there("docinfo/plan01-dwg.din"));
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(onDisk("docinfo/plan01-dwg.his"),
              sFirstRecord +
                  "\r\n3/Dec/2026 12:00> EDIT \"jsmith\" \"PC042\" "
                  "\"3 Dec 2026 11:00 UNTIL 3 Dec 2026 12:00  (Last Save: 12:00)\"");
    EXPECT_FALSE(there("docinfo/plan02-dwg.his"));
    EXPECT_FALSE(there("docinfo/plan01-dwg.lok"));
}

// Unloading the module with two drawings open: both locks stay, no record is
// written, then or when the editor later closes the drawings.
TEST_F(EditorReactor, UnloadingLeavesLocksAndWritesNoHistory) {
    makeDrawing(kPlan01);
    makeDrawing(kPlan02);
    startModule();
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
    ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan02));
    acedEditor->removeReactor(&m_watcher);
    ASSERT_TRUE(acrxDynamicLinker->unloadModule(kModule, false));
    EXPECT_FALSE(CBrevantEditorReactor::isAttached());
    ASSERT_TRUE(runCommand("QUIT"));
    EXPECT_TRUE(there("docinfo/plan01-dwg.lok"));
    EXPECT_TRUE(there("docinfo/plan02-dwg.lok"));
    EXPECT_FALSE(there("docinfo/plan01-dwg.his"));
    EXPECT_FALSE(there("docinfo/plan02-dwg.his"));
    EXPECT_EQ(m_iBroadcasts, 2);
}

// The project settings file above the drawing: its label becomes the
// drawing's project name and its path the project's reference search path
// in the current profile, written at every open; letter case counts.
TEST_F(EditorReactor, TheProjectFollowsTheProjectSettingsFile) {
    std::filesystem::create_directories(m_dir.file("P/job/sub"));
    brevant::platform::mapDrive("P", m_dir.file("P"));
    writeFile(m_dir.file("P/job/ProjectSettings.txt"),
              "PROJECTLABEL\n{\nP\n}\nPROJECTPATH\n{\n.\nxrefs\n}\n");
    makeDrawing("P:\\job\\sub\\plan01.dwg");
    makeDrawing("P:\\job\\sub\\plan02.dwg");
    startModule();
    const std::string sKey = std::string(kProfileKey) + "P";
    CString sValue;

    ASSERT_TRUE(runCommand("OPEN P:\\job\\sub\\plan01.dwg"));
    EXPECT_EQ(projectName(), "P");
    ASSERT_TRUE(
        Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sKey.c_str(), "RefSearchPath", sValue));
    EXPECT_EQ(sValue, ";P:\\job\\;P:\\job\\xrefs");
    EXPECT_EQ(CBrevantEditorReactor::getProjectSearchPath("P"), ";P:\\job\\;P:\\job\\xrefs");
    ASSERT_TRUE(runCommand("SAVE"));
    ASSERT_TRUE(runCommand("CLOSE"));

    // Opened again: the value is written again, the name is left alone.
    ASSERT_TRUE(Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, sKey.c_str(), "RefSearchPath",
                                            CString("changed")));
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(2, iPrevious);
    transcript();
    ASSERT_TRUE(runCommand("OPEN P:\\job\\sub\\plan01.dwg"));  // the name was kept in the file
    std::string sText = transcript();
    EXPECT_NE(sText.find("Current project = \"P\""), std::string::npos) << sText;
    EXPECT_NE(sText.find("Required project = \"P\""), std::string::npos);
    EXPECT_EQ(sText.find("Modifing"), std::string::npos);
    ASSERT_TRUE(
        Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sKey.c_str(), "RefSearchPath", sValue));
    EXPECT_EQ(sValue, ";P:\\job\\;P:\\job\\xrefs");

    // A name that differs only in letter case is replaced.
    ASSERT_TRUE(runCommand("SETVAR PROJECTNAME p"));
    ASSERT_TRUE(runCommand("SAVEAS P:\\job\\sub\\plan03.dwg"));
    sText = transcript();
    EXPECT_NE(sText.find("Current project = \"p\""), std::string::npos) << sText;
    EXPECT_NE(sText.find("Modifing current project to match Project Settings ..."),
              std::string::npos);
    EXPECT_EQ(projectName(), "P");

    // No label: the profile key cannot be made (a failed check) and the
    // project name becomes empty.
    writeFile(m_dir.file("P/job/ProjectSettings.txt"), "PROJECTPATH\n{\n.\n}\n");
    m_vectorBoxes.clear();
    ASSERT_TRUE(runCommand("OPEN P:\\job\\sub\\plan02.dwg"));
    ASSERT_TRUE(runCommand("SETVAR PROJECTNAME Q"));
    ASSERT_TRUE(runCommand("SAVEAS P:\\job\\sub\\plan04.dwg"));
    EXPECT_EQ(projectName(), "");
    ASSERT_FALSE(m_vectorBoxes.empty());
    EXPECT_NE(m_vectorBoxes.back().text.find(
                  "<setProjectPath(sRequiredProjectName, sRequiredProjectPath)>"),
              std::string::npos);

    // No settings file anywhere above: nothing after the current project.
    std::filesystem::remove(m_dir.file("P/job/ProjectSettings.txt"));
    transcript();
    ASSERT_TRUE(runCommand("SETVAR PROJECTNAME Q"));
    ASSERT_TRUE(runCommand("SAVEAS P:\\job\\sub\\plan05.dwg"));
    sText = transcript();
    const size_t iCurrent = sText.find("Current project = \"Q\"");
    ASSERT_NE(iCurrent, std::string::npos) << sText;
    EXPECT_EQ(sText.find("Updating project path", iCurrent), std::string::npos);
    EXPECT_EQ(projectName(), "Q");
}

// Registry values that cannot be read give no profile key.
TEST_F(EditorReactor, NoProfileKeyWithoutTheInstallationValues) {
    EXPECT_EQ(CBrevantEditorReactor::getProjectProfileKey(""), "");
    EXPECT_EQ(std::string(CBrevantEditorReactor::getProjectProfileKey("P")),
              std::string(kProfileKey) + "P");
    std::filesystem::remove(m_dir.file("registry/machine.reg"));
    EXPECT_EQ(CBrevantEditorReactor::getProjectProfileKey("P"), "");
    EXPECT_EQ(CBrevantEditorReactor::getProjectSearchPath("P"), "");
}
