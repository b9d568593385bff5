// Fault walks over every side file the module writes, with the module loaded
// in the editor: the lock (first open, and over another user's lock), the
// drawing information file (save), the history (close after a save and after
// viewing only), the registry hive (the project's search path at open) and
// all of them at once (save under a new name). For every operation of the
// fault seam (create, write, flush, rename, folder creation, registry write)
// and every N, the N-th such call fails during the command; afterwards every
// file under the drive and in the registry folder is byte for byte what it
// was before the command or what a command without a failure leaves, nothing
// else stands beside them, the message the failure calls for was shown, and
// the editor goes on. The walk of an operation ends at the first N that the
// command does not reach. Each walk prints its counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "EditorSandbox.h"
#include "PlatformSeams.h"
#include "TempDir.h"
#include "acdocman.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "rxregsvc.h"
#include "windows.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);

namespace {

using brevant::host::runCommand;
using brevant::platform::Operation;
using brevant::test::readFile;
using brevant::test::writeFile;

const char kPlan01[] = "C:\\Jobs\\A100\\plan01.dwg";
const char kPlan02[] = "C:\\Jobs\\A100\\plan02.dwg";
const char kProjectKey[] =
    "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409\\Profiles\\<<Unnamed Profile>>\\Project "
    "Settings\\A100";

// Every file under a folder by its path below it; a file that is not there
// has no entry.
using Snapshot = std::map<std::string, std::string>;

const char* operationName(Operation op) {
    switch (op) {
        case Operation::FileCreate:
            return "create";
        case Operation::FileWrite:
            return "write";
        case Operation::FileFlush:
            return "flush";
        case Operation::Rename:
            return "rename";
        case Operation::CreateFolder:
            return "folder creation";
        case Operation::RegistryWrite:
            return "registry write";
    }
    return "?";
}

// One walk: what stands before the command, the command, and the messages a
// failure of each side file calls for. The side files are named by their
// paths below the test folder.
struct Walk {
    const char* sName;
    std::function<void()> prepare;  // the state before the command; no faults armed
    std::string sCommand;
    bool bCountRegistryFileCalls = false;
    // A side file left as it was (not as the command leaves it), and the
    // texts one of which must then have been shown on the command line (none
    // for a failure that is silent) or, for the registry, on the error output.
    struct Expectation {
        std::string sFile;
        std::vector<std::string> anyOf;
        bool bErrorOutput = false;
    };
    std::vector<Expectation> expectations;
    // Whole forms a file may take besides the old and the new one.
    std::map<std::string, std::vector<std::string>> otherWholeForms;
};

struct Counts {
    int iRuns = 0;
    int iInjected = 0;
    int iFilesChecked = 0;
};

const char kEarlierRecord[] =
    "\r\n2/Dec/2026 17:00> VIEW \"ann\" \"PC001\" \"2 Dec 2026 16:00 ->2 Dec 2026 17:00\"";

class SideFileFaultWalk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(brevant::test::enterEditorSandbox(m_dir, &m_vectorBoxes));
        writeFile(m_dir.file("C/Jobs/A100/ProjectSettings.txt"),
                  "PROJECTLABEL\n{\nA100\n}\nPROJECTPATH\n{\n.\nxrefs\n}\n");
        // Written before the module is loaded, so not tracked.
        AcApDocument* pDoc = brevant::host::newDocument();
        ASSERT_NE(pDoc, nullptr);
        ASSERT_TRUE(brevant::host::saveDocument(pDoc, kPlan01));
        ASSERT_TRUE(brevant::host::closeDocument(pDoc));
        ASSERT_TRUE(brevant::host::loadLinkedModule("app_tests", acrxEntryPoint, false));
    }
    void TearDown() override { brevant::test::leaveEditorSandbox(); }

    static void clockAt(const char* sTime) {
        brevant::test::fixClock(std::string("2026-12-03 ") + sTime);
    }

    // Closes every drawing the walk left open, which must work whatever
    // failed before.
    static void closeAll() {
        while (acDocManager->curDocument() != nullptr) {
            ASSERT_TRUE(runCommand("CLOSE"));
        }
    }
    // The project's search path set to a value the next open replaces, so
    // that the hive before and after the open differ.
    static void staleSearchPath() {
        HKEY hKey = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProjectKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &hKey, nullptr),
                  ERROR_SUCCESS);
        const char szStale[] = ";stale";
        ASSERT_EQ(RegSetValueExA(hKey, "RefSearchPath", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(szStale), sizeof szStale),
                  ERROR_SUCCESS);
        RegCloseKey(hKey);
    }
    // The histories as every run starts: one earlier record for the drawing,
    // none under the new name.
    void resetHistory() {
        writeFile(m_dir.file("C/Jobs/A100/docinfo/plan01-dwg.his"), kEarlierRecord);
        removeFile("C/Jobs/A100/docinfo/plan02-dwg.his");
    }
    void removeFile(const std::string& sRelative) {
        std::filesystem::remove_all(m_dir.file(sRelative));
    }

    Snapshot snapshot() const {
        Snapshot files;
        for (const char* sFolder : {"C", "registry"}) {
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(m_dir.file(sFolder))) {
                if (entry.is_regular_file()) {
                    files[std::filesystem::relative(entry.path(), m_dir.path()).string()] =
                        readFile(entry.path().string());
                }
            }
        }
        return files;
    }

    // Runs the walk and checks every run; the counts are printed.
    void walk(const Walk& walk) {
        // What the command leaves when nothing fails.
        resetHistory();
        walk.prepare();
        const Snapshot before = snapshot();
        ASSERT_TRUE(runCommand(walk.sCommand));
        const Snapshot after = snapshot();
        closeAll();
        ASSERT_NE(before, after);
        for (const Walk::Expectation& expected : walk.expectations) {
            EXPECT_NE(before.count(expected.sFile) ? before.at(expected.sFile) : "(none)",
                      after.count(expected.sFile) ? after.at(expected.sFile) : "(none)")
                << expected.sFile << " is not changed by " << walk.sCommand;
        }

        Counts counts;
        for (Operation op : brevant::platform::kEveryOperation) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(testing::Message()
                             << walk.sName << ": " << operationName(op) << " " << n);
                resetHistory();
                walk.prepare();
                EXPECT_EQ(snapshot(), before);
                brevant::host::clearTranscript();
                brevant::platform::countRegistryFileCalls(walk.bCountRegistryFileCalls);
                brevant::platform::failAfter(op, n);
                testing::internal::CaptureStderr();
                runCommand(walk.sCommand);
                const std::string sErrors = testing::internal::GetCapturedStderr();
                const bool bInjected = brevant::platform::pendingFault(op) == 0;
                brevant::test::disarmFaults();
                const std::string sShown = brevant::host::transcript();
                const Snapshot result = snapshot();
                ++counts.iRuns;
                if (!bInjected) {
                    // The command made fewer such calls than n: it went
                    // through as it does without a failure.
                    EXPECT_EQ(result, after);
                    closeAll();
                    break;
                }
                ++counts.iInjected;
                checkWhole(before, after, result, walk.otherWholeForms, counts);
                for (const Walk::Expectation& expected : walk.expectations) {
                    const auto itResult = result.find(expected.sFile);
                    const auto itAfter = after.find(expected.sFile);
                    const bool bAsAfter =
                        (itResult == result.end())
                            ? itAfter == after.end()
                            : itAfter != after.end() && itAfter->second == itResult->second;
                    if (bAsAfter || expected.anyOf.empty()) {
                        continue;
                    }
                    const std::string& sWhere = expected.bErrorOutput ? sErrors : sShown;
                    bool bShown = false;
                    for (const std::string& sMessage : expected.anyOf) {
                        bShown = bShown || sWhere.find(sMessage) != std::string::npos;
                    }
                    EXPECT_TRUE(bShown) << expected.sFile << " was not written, yet \""
                                        << expected.anyOf.front() << "\" was not shown:\n"
                                        << sWhere;
                }
                // The editor goes on: the drawing closes, and the next run
                // starts from the same state.
                closeAll();
                ASSERT_LT(n, 100);
            }
        }
        printf(
            "fault walk, %s: %d runs (operation, N), %d failures injected, %d files checked, "
            "%s\n",
            walk.sName, counts.iRuns, counts.iInjected, counts.iFilesChecked,
            HasFailure() ? "NOT ALL WHOLE" : "all whole");
        RecordProperty("runs", counts.iRuns);
        RecordProperty("failures_injected", counts.iInjected);
        RecordProperty("files_checked", counts.iFilesChecked);
    }

    // Every file is as it was before the command or as the command leaves
    // it; no other file stands anywhere.
    void checkWhole(const Snapshot& before, const Snapshot& after, const Snapshot& result,
                    const std::map<std::string, std::vector<std::string>>& otherWholeForms,
                    Counts& counts) {
        std::map<std::string, bool> names;
        for (const Snapshot* pFiles : {&before, &after, &result}) {
            for (const auto& file : *pFiles) {
                names[file.first] = true;
            }
        }
        for (const auto& name : names) {
            const std::string& sFile = name.first;
            ++counts.iFilesChecked;
            const auto itResult = result.find(sFile);
            const auto itBefore = before.find(sFile);
            const auto itAfter = after.find(sFile);
            if (itResult == result.end()) {
                EXPECT_TRUE(itBefore == before.end() || itAfter == after.end())
                    << sFile << " is gone";
                continue;
            }
            const bool bOld = itBefore != before.end() && itBefore->second == itResult->second;
            const bool bNew = itAfter != after.end() && itAfter->second == itResult->second;
            bool bOther = false;
            const auto itOther = otherWholeForms.find(sFile);
            if (itOther != otherWholeForms.end()) {
                for (const std::string& sForm : itOther->second) {
                    bOther = bOther || sForm == itResult->second;
                }
            }
            EXPECT_TRUE(bOld || bNew || bOther)
                << sFile << " is neither the whole old file nor the whole "
                << "new one:\n"
                << itResult->second;
        }
    }

    brevant::test::TempDir m_dir;
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

const char kOtherLock[] = "Locked At: 1 Dec 2026 08:00\r\nBy: ann\r\nFrom: PC001\r\n";

std::string lockError(const char* sDrawing) {
    return "Error creating lock for \"" + std::string(sDrawing) + "\".";
}
std::string dinError(const char* sDrawing) {
    return "Error writing DIN file for \"" + std::string(sDrawing) + "\".";
}
const char kNoDocinfo[] = "Failed to create \"C:\\Jobs\\A100\\docinfo\\\", check permissions.";
const char kNoSave[] = "Cannot save ";
const char kNoHistory[] = "Error writing history.";
const char kNoRegistry[] = "The registry is left as it was.";

}  // namespace

TEST_F(SideFileFaultWalk, LockAtFirstOpen) {
    walk({"lock, first open (docinfo folder made)",
          [this] {
              removeFile("C/Jobs/A100/docinfo");
              staleSearchPath();
              clockAt("09:00");
          },
          std::string("OPEN ") + kPlan01,
          false,
          {{"C/Jobs/A100/docinfo/plan01-dwg.lok", {lockError(kPlan01), kNoDocinfo}}}});
}

TEST_F(SideFileFaultWalk, LockOverAnotherUsersLock) {
    walk({"lock over another user's",
          [this] {
              writeFile(m_dir.file("C/Jobs/A100/docinfo/plan01-dwg.lok"), kOtherLock);
              staleSearchPath();
              clockAt("09:00");
          },
          std::string("OPEN ") + kPlan01,
          false,
          {{"C/Jobs/A100/docinfo/plan01-dwg.lok", {lockError(kPlan01)}}}});
}

TEST_F(SideFileFaultWalk, DrawingInformationAtSave) {
    walk({"drawing information, save",
          [] {
              clockAt("09:00");
              ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
              ASSERT_TRUE(runCommand("SAVE"));  // the previous file
              clockAt("10:00");
          },
          "SAVE",
          false,
          {{"C/Jobs/A100/docinfo/plan01-dwg.din", {dinError(kPlan01), kNoSave}}}});
}

TEST_F(SideFileFaultWalk, HistoryAtCloseAfterASave) {
    walk({"history, close after a save",
          [] {
              clockAt("09:00");
              ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
              ASSERT_TRUE(runCommand("SAVE"));
              clockAt("10:00");
          },
          "CLOSE",
          false,
          {{"C/Jobs/A100/docinfo/plan01-dwg.his", {kNoHistory}}}});
}

TEST_F(SideFileFaultWalk, HistoryAtCloseAfterViewing) {
    walk({"history, close after viewing",
          [] {
              clockAt("09:00");
              ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
              clockAt("10:00");
          },
          "CLOSE",
          false,
          {{"C/Jobs/A100/docinfo/plan01-dwg.his", {}}}});  // a lost VIEW record is silent
}

TEST_F(SideFileFaultWalk, RegistryHiveAtOpen) {
    walk({"registry hive, open",
          [] {
              staleSearchPath();
              clockAt("09:00");
          },
          std::string("OPEN ") + kPlan01,
          true,
          {{"registry/user.reg", {kNoRegistry}, true},
           {"C/Jobs/A100/docinfo/plan01-dwg.lok", {lockError(kPlan01)}}}});
}

// The period under the old name was only viewed: its lost record is silent.
// The lock under the new name is made before the drawing is written there.
TEST_F(SideFileFaultWalk, EverySideFileAtSaveAs) {
    walk({"every side file, save under a new name",
          [this] {
              removeFile("C/Jobs/A100/plan02.dwg");
              removeFile("C/Jobs/A100/docinfo/plan02-dwg.lok");
              removeFile("C/Jobs/A100/docinfo/plan02-dwg.din");
              clockAt("09:00");
              ASSERT_TRUE(runCommand(std::string("OPEN ") + kPlan01));
              staleSearchPath();
              clockAt("10:00");
          },
          std::string("SAVEAS ") + kPlan02,
          true,
          {{"C/Jobs/A100/plan02.dwg", {kNoSave}},
           {"C/Jobs/A100/docinfo/plan01-dwg.his", {}},
           {"C/Jobs/A100/docinfo/plan02-dwg.lok", {lockError(kPlan02), kNoSave}},
           {"C/Jobs/A100/docinfo/plan02-dwg.din", {dinError(kPlan02), kNoSave}},
           {"registry/user.reg", {kNoRegistry}, true}},
          // A save that fails puts the drawing's lock back, made anew.
          {{"C/Jobs/A100/docinfo/plan01-dwg.lok",
            {"Locked At: 3 Dec 2026 10:00\r\nBy: jsmith\r\nFrom: PC042\r\n"}}}});
}
