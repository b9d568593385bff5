// Documents: the order of notifications and module messages for open, new,
// save, save-as, close and quit; failures that leave the editor usable; the
// document manager's locks and contexts.
#include "HostFixture.h"
#include "acdocman.h"
#include "aced.h"
#include "adslib.h"
#include "dbmain.h"
#include "rxregsvc.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>

namespace brevant::test {
namespace {

using brevant::host::closeDocument;
using brevant::host::newDocument;
using brevant::host::openDocument;
using brevant::host::runCommand;
using brevant::host::saveDocument;

std::vector<std::string> g_events;

std::string titleOf(AcDbDatabase* pDb) {
    AcApDocument* pDoc = acDocManager->document(pDb);
    return pDoc != nullptr ? pDoc->docTitle() : "(no document)";
}

// Where each notification finds the editor: the current drawing and the context.
std::string state() {
    AcApDocument* pDoc = acDocManager->curDocument();
    return std::string(" [current ") + (pDoc != nullptr ? pDoc->docTitle() : "none") +
           (acDocManager->isApplicationContext() ? ", application]" : ", document]");
}

class Recorder : public AcEditorReactor {
public:
    void beginDwgOpen(char* name) override {
        g_events.push_back(std::string("beginDwgOpen ") + name);
    }
    void dwgFileOpened(AcDbDatabase* pDb, char* name) override {
        g_events.push_back(std::string("dwgFileOpened ") + name);
    }
    void endDwgOpen(const char* name) override {
        g_events.push_back(std::string("endDwgOpen ") + name);
    }
    void initialDwgFileOpenComplete(AcDbDatabase* pDb) override {
        g_events.push_back("initialDwgFileOpenComplete " + titleOf(pDb) + state());
    }
    void beginSave(AcDbDatabase* pDb, const char* name) override {
        g_events.push_back(std::string("beginSave ") + name + (fileThere(name) ? " (exists)" : "") +
                           state());
    }
    void saveComplete(AcDbDatabase* pDb, const char* name) override {
        g_events.push_back(std::string("saveComplete ") + name +
                           (fileThere(name) ? " (exists)" : ""));
    }
    void abortSave(AcDbDatabase* pDb) override { g_events.push_back("abortSave " + titleOf(pDb)); }
    void beginClose(AcDbDatabase* pDb) override {
        g_events.push_back("beginClose " + titleOf(pDb));
    }
    void databaseToBeDestroyed(AcDbDatabase* pDb) override {
        g_events.push_back("databaseToBeDestroyed " + titleOf(pDb) + state());
    }
    void beginQuit() override { g_events.push_back("beginQuit"); }
    void quitWillStart() override { g_events.push_back("quitWillStart"); }

private:
    static bool fileThere(const char* windowsName) {
        std::string native;
        return brevant::platform::toNativePath(windowsName, native) &&
               std::filesystem::exists(native);
    }
};

// A module linked into the test that notes its messages in the same list.
AcRx::AppRetCode recordingModule(AcRx::AppMsgCode msg, void* pkt) {
    const char* names[] = {"", "kInitAppMsg", "kUnloadAppMsg", "kLoadDwgMsg", "kUnloadDwgMsg"};
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(pkt);
    }
    if (msg >= AcRx::kInitAppMsg && msg <= AcRx::kUnloadDwgMsg) {
        g_events.push_back(names[msg] + state());
    }
    return AcRx::kRetOK;
}

class Documents : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g_events.clear();
        acedEditor->addReactor(&m_recorder);
        std::filesystem::create_directories(m_temp.file("Jobs/A100"));
        brevant::platform::mapDrive("C", m_temp.path());
    }
    void TearDown() override {
        HostTest::TearDown();
        acedEditor->removeReactor(&m_recorder);
    }
    std::vector<std::string> events() {
        std::vector<std::string> list;
        list.swap(g_events);
        return list;
    }
    // A drawing file written by the editor itself.
    void makeDrawing(const std::string& windowsName) {
        AcApDocument* pDoc = newDocument();
        ASSERT_TRUE(saveDocument(pDoc, windowsName));
        ASSERT_TRUE(closeDocument(pDoc));
        events();
        printed();
    }

    Recorder m_recorder;
};

using Events = std::vector<std::string>;

TEST_F(Documents, NewSaveAsSaveCloseInTheEditorsOrder) {
    ASSERT_TRUE(brevant::host::loadLinkedModule("recorder.arx", recordingModule, false));
    EXPECT_EQ(events(), Events{"kInitAppMsg [current none, application]"});

    AcApDocument* pDoc = newDocument();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_STREQ(pDoc->fileName(), "Drawing1.dwg");
    const char* pName = nullptr;
    EXPECT_NE(pDoc->database()->getFilename(pName), Acad::eOk);  // never saved
    EXPECT_EQ(events(), (Events{"initialDwgFileOpenComplete Drawing1.dwg [current Drawing1.dwg, "
                                "application]",
                                "kLoadDwgMsg [current Drawing1.dwg, application]"}));

    EXPECT_FALSE(runCommand("SAVE"));
    EXPECT_EQ(printed(), "Drawing1.dwg has not been saved yet: use SAVEAS <file>.\n");
    EXPECT_TRUE(events().empty());

    ASSERT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\plan01"));  // the extension is added
    const std::string name = "C:\\Jobs\\A100\\plan01.dwg";
    EXPECT_EQ(events(), (Events{"beginSave " + name + " [current Drawing1.dwg, application]",
                                "saveComplete " + name + " (exists)"}));
    EXPECT_EQ(pDoc->fileName(), name);
    EXPECT_STREQ(pDoc->docTitle(), "plan01.dwg");
    EXPECT_EQ(printed(), "");

    ASSERT_TRUE(runCommand("SAVE"));
    EXPECT_EQ(events(), (Events{"beginSave " + name + " (exists) [current plan01.dwg, application]",
                                "saveComplete " + name + " (exists)"}));

    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(events(),
              (Events{"beginClose plan01.dwg", "kUnloadDwgMsg [current plan01.dwg, application]",
                      "databaseToBeDestroyed plan01.dwg [current plan01.dwg, application]"}));
    EXPECT_EQ(acDocManager->curDocument(), nullptr);
    EXPECT_FALSE(runCommand("CLOSE"));
    EXPECT_EQ(printed(), "No drawing is open.\n");
}

TEST_F(Documents, OpenAndQuitInTheEditorsOrder) {
    const std::string name = "C:\\Jobs\\A100\\plan01.dwg";
    makeDrawing(name);
    ASSERT_TRUE(brevant::host::loadLinkedModule("recorder.arx", recordingModule, false));
    events();

    AcApDocument* pDrawing2 = newDocument();  // Drawing1 was saved as plan01
    ASSERT_NE(pDrawing2, nullptr);
    events();
    AcApDocument* pDoc = openDocument("C:\\Jobs\\A100\\..\\A100\\plan01.dwg");
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->fileName(), name);
    EXPECT_EQ(events(),
              (Events{"beginDwgOpen " + name, "dwgFileOpened " + name, "endDwgOpen " + name,
                      "initialDwgFileOpenComplete plan01.dwg [current plan01.dwg, application]",
                      "kLoadDwgMsg [current plan01.dwg, application]"}));
    EXPECT_EQ(printed(), "");

    // Opening it again, under any letter case, makes it current; nothing is read.
    ASSERT_EQ(acDocManager->setCurDocument(pDrawing2), Acad::eOk);
    EXPECT_TRUE(runCommand("OPEN c:\\JOBS\\a100\\PLAN01.DWG"));
    EXPECT_EQ(printed(), name + " is already open.\n");
    EXPECT_EQ(acDocManager->curDocument(), pDoc);
    EXPECT_TRUE(events().empty());

    ASSERT_TRUE(runCommand("QUIT"));
    EXPECT_EQ(
        events(),
        (Events{"beginQuit", "quitWillStart", "beginClose plan01.dwg",
                "kUnloadDwgMsg [current plan01.dwg, application]",
                "databaseToBeDestroyed plan01.dwg [current plan01.dwg, application]",
                "beginClose Drawing2.dwg", "kUnloadDwgMsg [current Drawing2.dwg, application]",
                "databaseToBeDestroyed Drawing2.dwg [current Drawing2.dwg, application]",
                "kUnloadAppMsg [current none, application]"}));
    EXPECT_TRUE(brevant::host::hasQuit());
    EXPECT_FALSE(runCommand("NEW"));
    EXPECT_EQ(printed(), "The session has ended.\n");
}

TEST_F(Documents, FailuresLeaveTheEditorUsable) {
    writeFile(m_temp.file("Jobs/A100/broken.dwg"), "this is no drawing\n");
    struct Case {
        const char* line;
        const char* start;  // of what the editor says
    };
    const Case cases[] = {
        {"OPEN C:\\Jobs\\A100\\missing.dwg",
         "Cannot open C:\\Jobs\\A100\\missing.dwg: the file does not exist.\n"},
        {"OPEN C:\\Jobs\\A100", "Cannot open C:\\Jobs\\A100: it is not a file.\n"},
        {"OPEN Q:\\plan01.dwg", "Cannot open Q:\\plan01.dwg: its drive is not mapped.\n"},
        {"OPEN", "Requires a file name: OPEN <file>.\n"},
        {"OPEN C:\\Jobs\\A100\\broken.dwg", "Cannot open C:\\Jobs\\A100\\broken.dwg: "},
        {"SAVE", "No drawing is open.\n"},
        {"SAVEAS C:\\x.dwg", "No drawing is open.\n"},
        {"FROB", "Unknown command \"FROB\".  Type HELP for a list of commands.\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].line);
        EXPECT_FALSE(runCommand(cases[i].line));
        const std::string said = printed();
        EXPECT_EQ(said.substr(0, strlen(cases[i].start)), cases[i].start);
        EXPECT_EQ(acDocManager->documentCount(), 0);
    }

    // A save into a folder that does not exist is refused before it starts;
    // the name stays.
    AcApDocument* pDoc = newDocument();
    events();
    EXPECT_FALSE(runCommand("SAVEAS C:\\Nowhere\\plan02.dwg"));
    EXPECT_EQ(printed(), "Cannot save C:\\Nowhere\\plan02.dwg: the folder does not exist.\n");
    EXPECT_TRUE(events().empty());
    EXPECT_STREQ(pDoc->fileName(), "Drawing1.dwg");
    EXPECT_FALSE(std::filesystem::exists(m_temp.file("Nowhere")));
    EXPECT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\plan02.dwg"));
}

// An external reference is read into a side database that belongs to no
// document: the reactors hear that it was read and that it goes, while the
// drawing that refers to it stays current; reopening that drawing reads the
// reference before the drawing's own opening is complete.
TEST_F(Documents, AnExternalReferenceIsASideDatabaseOfNoDocument) {
    std::filesystem::create_directories(m_temp.file("Jobs/A100/xrefs"));
    makeDrawing("C:\\Jobs\\A100\\xrefs\\grid.dwg");
    makeDrawing("C:\\Jobs\\A100\\plan01.dwg");
    ASSERT_NE(openDocument("C:\\Jobs\\A100\\plan01.dwg"), nullptr);
    events();

    EXPECT_TRUE(runCommand("XATTACH GRID xrefs\\grid.dwg"));
    EXPECT_EQ(printed(), "");
    EXPECT_EQ(events(), (Events{"initialDwgFileOpenComplete (no document) [current plan01.dwg, "
                                "application]",
                                "databaseToBeDestroyed (no document) [current plan01.dwg, "
                                "application]"}));
    ASSERT_TRUE(runCommand("SAVE"));
    ASSERT_TRUE(runCommand("CLOSE"));
    events();

    ASSERT_NE(openDocument("C:\\Jobs\\A100\\plan01.dwg"), nullptr);
    EXPECT_EQ(
        events(),
        (Events{"beginDwgOpen C:\\Jobs\\A100\\plan01.dwg",
                "initialDwgFileOpenComplete (no document) [current none, application]",
                "databaseToBeDestroyed (no document) [current none, application]",
                "dwgFileOpened C:\\Jobs\\A100\\plan01.dwg", "endDwgOpen C:\\Jobs\\A100\\plan01.dwg",
                "initialDwgFileOpenComplete plan01.dwg [current plan01.dwg, application]"}));

    const struct {
        const char* line;
        const char* said;
    } cases[] = {
        {"XATTACH", "Requires a name and a file: XATTACH <name> <file>.\n"},
        {"XATTACH GRID", "Requires a name and a file: XATTACH <name> <file>.\n"},
        {"XATTACH GRID xrefs\\grid.dwg",
         "Cannot attach xrefs\\grid.dwg as GRID: eDuplicateRecord.\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].line);
        EXPECT_FALSE(runCommand(cases[i].line));
        EXPECT_EQ(printed(), cases[i].said);
    }
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_FALSE(runCommand("XATTACH GRID xrefs\\grid.dwg"));
    EXPECT_EQ(printed(), "No drawing is open.\n");
}

TEST_F(Documents, AReadOnlyDrawingIsSavedOnlyUnderAnotherName) {
    const std::string name = "C:\\Jobs\\A100\\plan01.dwg";
    makeDrawing(name);
    chmod(m_temp.file("Jobs/A100/plan01.dwg").c_str(), 0444);
    AcApDocument* pDoc = openDocument(name);
    ASSERT_NE(pDoc, nullptr);
    EXPECT_TRUE(pDoc->isReadOnly());
    events();
    EXPECT_FALSE(runCommand("SAVE"));
    EXPECT_EQ(printed(), "Cannot save " + name + ": the file is read-only.\n");
    EXPECT_TRUE(events().empty());
    // Another drawing holding the target name refuses it too.
    ASSERT_NE(newDocument(), nullptr);
    EXPECT_FALSE(runCommand("SAVEAS " + name));
    EXPECT_EQ(printed(), "Cannot save to " + name + ": that drawing is open.\n");
    ASSERT_EQ(acDocManager->setCurDocument(pDoc), Acad::eOk);
    EXPECT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\plan01-copy.dwg"));
    EXPECT_FALSE(pDoc->isReadOnly());

    // A drive the map marks read-only opens read-only as well.
    brevant::platform::mapDrive("R", m_temp.path(), "", true);
    chmod(m_temp.file("Jobs/A100/plan01.dwg").c_str(), 0644);
    AcApDocument* pShared = openDocument("R:\\Jobs\\A100\\plan01.dwg");
    ASSERT_NE(pShared, nullptr);
    EXPECT_TRUE(pShared->isReadOnly());
}

// Every file under a folder by its path, with its bytes; a folder as "/".
std::map<std::string, std::string> filesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string().substr(folder.size());
        files[path] = entry.is_directory() ? "/" : readFile(entry.path().string());
    }
    return files;
}

// The kind of each event: "beginSave", "abortSave", ...
Events kindsOf(const Events& events) {
    Events kinds;
    for (const std::string& event : events) {
        kinds.push_back(event.substr(0, event.find(' ')));
    }
    return kinds;
}

// SAVE and SAVEAS onto a target that cannot take the drawing give the same
// message. What the platform refuses up front is refused before any reactor
// hears of the save; a failure while writing sends abortSave. Either way every
// file is byte for byte as it was and no temporary file is left.
TEST_F(Documents, SaveAndSaveAsRefuseAndFailAlike) {
    makeDrawing("C:\\Jobs\\A100\\plan.dwg");
    makeDrawing("C:\\Jobs\\A100\\readonly.dwg");
    chmod(m_temp.file("Jobs/A100/readonly.dwg").c_str(), 0444);
    std::filesystem::create_directories(m_temp.file("Jobs/A100/gone"));
    makeDrawing("C:\\Jobs\\A100\\gone\\plan.dwg");
    makeDrawing("C:\\Jobs\\A100\\held.dwg");
    std::filesystem::create_directories(m_temp.file("share"));
    std::filesystem::copy_file(m_temp.file("Jobs/A100/plan.dwg"), m_temp.file("share/plan.dwg"));
    brevant::platform::mapDrive("R", m_temp.file("share"), "", true);  // a read-only share

    // What happens to the target once the drawing is open.
    const auto removeFolder = [this] {
        std::filesystem::remove_all(m_temp.file("Jobs/A100/gone"));
    };
    const auto folderInstead = [this] {
        if (std::filesystem::is_regular_file(m_temp.file("Jobs/A100/held.dwg"))) {
            std::filesystem::remove(m_temp.file("Jobs/A100/held.dwg"));
            std::filesystem::create_directories(m_temp.file("Jobs/A100/held.dwg/inside"));
        }
    };
    using brevant::platform::Operation;
    const Events refused;
    const Events aborted{"beginSave", "abortSave"};
    const struct {
        const char* target;
        std::function<void()> afterOpening;
        Operation fault;
        DWORD faultError;  // 0: no fault armed
        const char* reason;
        const Events& heard;
    } rows[] = {
        /* 0 */ {"R:\\plan.dwg", {}, {}, 0, "access is denied", refused},
        /* 1 */ {"C:\\Jobs\\A100\\readonly.dwg", {}, {}, 0, "the file is read-only", refused},
        /* 2 */
        {"C:\\Jobs\\A100\\gone\\plan.dwg",
         removeFolder,
         {},
         0,
         "the folder does not exist",
         refused},
        /* 3 */ {"C:\\Jobs\\A100\\held.dwg", folderInstead, {}, 0, "it is a folder", refused},
        /* 4 */
        {"C:\\Jobs\\A100\\plan.dwg",
         {},
         Operation::FileWrite,
         ERROR_DISK_FULL,
         "there is not enough space on the disk",
         aborted},
        /* 5 */
        {"C:\\Jobs\\A100\\plan.dwg",
         {},
         Operation::FileCreate,
         ERROR_ACCESS_DENIED,
         "access is denied",
         aborted},
        /* 6 */
        {"C:\\Jobs\\A100\\plan.dwg",
         {},
         Operation::Rename,
         ERROR_SHARING_VIOLATION,
         "the file is in use by another process",
         aborted},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        for (const bool saveAs : {false, true}) {
            SCOPED_TRACE(std::to_string(i) + (saveAs ? " SAVEAS" : " SAVE"));
            const std::string target = rows[i].target;
            AcApDocument* pDoc = saveAs ? newDocument() : openDocument(target);
            ASSERT_NE(pDoc, nullptr) << printed();
            if (rows[i].afterOpening) {
                rows[i].afterOpening();
            }
            events();
            const auto before = filesUnder(m_temp.path());
            if (rows[i].faultError != 0) {
                brevant::platform::failAfter(rows[i].fault, 1, rows[i].faultError);
            }
            EXPECT_FALSE(runCommand(saveAs ? "SAVEAS " + target : "SAVE"));
            disarmFaults();
            EXPECT_EQ(printed(), "Cannot save " + target + ": " + rows[i].reason + ".\n");
            EXPECT_EQ(kindsOf(events()), rows[i].heard);
            EXPECT_EQ(filesUnder(m_temp.path()), before);
            EXPECT_STREQ(pDoc->fileName(), saveAs ? "Drawing1.dwg" : target.c_str());
            ASSERT_TRUE(closeDocument(pDoc));
            brevant::host::restartSession();  // the next new drawing is Drawing1.dwg again
            acedEditor->addReactor(&m_recorder);
        }
    }
}

TEST_F(Documents, TheManagerKnowsItsDocumentsAndLocks) {
    AcApDocManager* pManager = acDocManager;
    EXPECT_EQ(pManager->curDocument(), nullptr);
    EXPECT_TRUE(pManager->isApplicationContext());
    AcApDocument* pFirst = newDocument();
    AcApDocument* pSecond = newDocument();
    EXPECT_EQ(pManager->curDocument(), pSecond);
    EXPECT_EQ(pManager->mdiActiveDocument(), pSecond);
    EXPECT_EQ(pManager->documentCount(), 2);
    EXPECT_EQ(pManager->document(pFirst->database()), pFirst);
    AcDbDatabase side(true, true);
    EXPECT_EQ(pManager->document(&side), nullptr);
    EXPECT_EQ(pManager->document(nullptr), nullptr);

    AcApDocumentIterator* pIterator = pManager->newAcApDocumentIterator();
    std::vector<AcApDocument*> seen;
    for (; !pIterator->done(); pIterator->step()) {
        seen.push_back(pIterator->document());
    }
    delete pIterator;
    EXPECT_EQ(seen, (std::vector<AcApDocument*>{pFirst, pSecond}));

    // Locks taken through the manager stack up and count as "my" locks.
    EXPECT_EQ(pFirst->lockMode(true), AcAp::kNotLocked);
    EXPECT_EQ(pFirst->myLockMode(), AcAp::kNone);
    EXPECT_EQ(pManager->lockDocument(pFirst, AcAp::kWrite), Acad::eOk);
    EXPECT_EQ(pManager->lockDocument(pFirst, AcAp::kRead), Acad::eOk);
    EXPECT_EQ(pFirst->lockMode(true), AcAp::kRead);
    EXPECT_EQ(pFirst->lockMode(false), AcAp::kNotLocked);
    EXPECT_EQ(pFirst->myLockMode(), AcAp::kRead);
    EXPECT_EQ(pManager->unlockDocument(pFirst), Acad::eOk);
    EXPECT_EQ(pFirst->lockMode(true), AcAp::kWrite);
    EXPECT_EQ(pManager->unlockDocument(pFirst), Acad::eOk);
    EXPECT_EQ(pManager->unlockDocument(pFirst), Acad::eNotApplicable);
    EXPECT_EQ(pFirst->lockMode(true), AcAp::kNotLocked);
    EXPECT_EQ(pManager->lockDocument(pFirst, AcAp::kNone), Acad::eInvalidInput);
    EXPECT_EQ(pManager->lockDocument(nullptr), Acad::eNoDocument);
    EXPECT_EQ(pManager->unlockDocument(nullptr), Acad::eNoDocument);

    EXPECT_EQ(pManager->setCurDocument(pFirst, AcAp::kWrite), Acad::eOk);
    EXPECT_EQ(pManager->curDocument(), pFirst);
    EXPECT_EQ(pFirst->myLockMode(), AcAp::kWrite);
    EXPECT_EQ(pManager->unlockDocument(pFirst), Acad::eOk);
    EXPECT_EQ(pManager->setCurDocument(nullptr), Acad::eNoDocument);
    EXPECT_EQ(pManager->curDocument(), pFirst);

    // Closing the current drawing makes the latest other one current.
    EXPECT_TRUE(closeDocument(pFirst));
    EXPECT_EQ(pManager->curDocument(), pSecond);
}

// A LISP function runs as a command of the current drawing: the document
// context, the drawing locked for writing by the editor.
int g_iContext = -1;
AcAp::DocLockMode g_lockMode = AcAp::kNone;
int whereAmI() {
    g_iContext = acDocManager->isApplicationContext() ? 1 : 0;
    g_lockMode = acDocManager->curDocument()->lockMode();
    acedRetVoid();
    return RSRSLT;
}

TEST_F(Documents, LispRunsInTheDocumentContextWithTheDrawingLocked) {
    AcApDocument* pDoc = newDocument();
    ASSERT_EQ(acedDefun("WHEREAMI", 1), RTNORM);
    ASSERT_EQ(acedRegFunc(whereAmI, 1), RTNORM);
    EXPECT_TRUE(runCommand("(whereami)"));
    EXPECT_EQ(g_iContext, 0);
    EXPECT_EQ(g_lockMode, AcAp::kWrite);
    EXPECT_EQ(pDoc->lockMode(true), AcAp::kNotLocked);
    EXPECT_TRUE(acDocManager->isApplicationContext());
}

}  // namespace
}  // namespace brevant::test
