// brevant-locks: every lock file under the folders given, with its drawing,
// user, computer, time and age, oldest first; and the removal of locks left
// behind by editors that crashed. The help below says what it takes and what
// its exit statuses mean; brevant-locks.1 is its man page.
#include "DocumentData.h"
#include "DocumentLock.h"
#include "DocumentLockFile.h"
#include "FolderWalk.h"
#include "Identity.h"
#include "Maintenance.h"
#include "Program.h"
#include "RunningEditors.h"
#include "ToolSupport.h"

#include <brevant/editor.h>
#include <windows.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace brevant::tools;
using brevant::program::kExitFailure;
using brevant::program::kExitSuccess;

namespace {

const char kTool[] = "brevant-locks";

const char* const kUsage =
    "usage: brevant-locks [--older-than DAYS] [--json] PATH...\n"
    "       brevant-locks --clear-stale DAYS [--yes] [--json] PATH...\n"
    "       brevant-locks --help | --version\n";

const char* const kHelp =
    "Lists every lock file (docinfo\\<title>-<ext>.lok) under the folders given: the\n"
    "drawing, who holds it, from which computer, since when and for how long, oldest\n"
    "first. A lock that an editor running on this computer may hold is marked\n"
    "(running).\n"
    "\n"
    "  PATH                a folder (every lock under it) or a lock file\n"
    "  --older-than DAYS   only locks at least DAYS days old (0.5 is half a day)\n"
    "  --json              as one JSON object\n"
    "  --clear-stale DAYS  removes the locks at least DAYS days old, and prints what\n"
    "                      it removed; only with --yes (without, it says what it\n"
    "                      would remove). A lock that an editor running on this\n"
    "                      computer may hold is never removed.\n"
    "  --yes               with --clear-stale: remove them\n"
    "  -h, --help          show this help and end\n"
    "  --version           show the version and end\n"
    "\n"
    "Exit status: 0 every lock file was read (and removed, if asked); 1 a lock file\n"
    "or folder could not be read or a lock could not be removed (each is named on\n"
    "the error output); 2 a wrong argument.\n";

int usage(const std::string& sProblem) {
    return brevant::program::usageError(kTool, sProblem, kUsage);
}

bool parseDays(const std::string& sText, double& dDays) {
    char* pEnd = nullptr;
    errno = 0;
    dDays = strtod(sText.c_str(), &pEnd);
    return !sText.empty() && errno == 0 && pEnd != nullptr && *pEnd == 0 && dDays >= 0 &&
           dDays <= 100000 && std::isfinite(dDays);
}

bool endsWithNoCase(const std::string& sText, const char* sEnd) {
    const size_t iLength = strlen(sEnd);
    return sText.size() >= iLength && strcasecmp(sText.c_str() + sText.size() - iLength, sEnd) == 0;
}

// A lock file of the module: name.lok in a folder named docinfo.
bool isLockFile(const std::string& sPath) {
    if (!endsWithNoCase(sPath, ".lok")) {
        return false;
    }
    const size_t iName = sPath.find_last_of("\\/");
    if (iName == std::string::npos) {
        return false;
    }
    const std::string sFolder = sPath.substr(0, iName);
    return endsWithNoCase(sFolder, "\\docinfo") || endsWithNoCase(sFolder, "/docinfo");
}

struct Lock {
    std::string sLockFile;
    std::string sDrawing;
    CDocumentLockFile file;
    time_t iAge = 0;
    bool bHeld = false;  // an editor running here may hold it
    int iEditor = 0;
};

std::string str(const CString& sText) {
    return std::string((LPCTSTR)sText, (size_t)sText.GetLength());
}

std::string isoTime(const CTime& time) {
    return str(time.Format("%Y-%m-%dT%H:%M:%S"));
}

std::string jsonLock(const Lock& lock, const char* sAction) {
    std::string sOut = "{";
    if (sAction != nullptr) {
        sOut += "\"action\": " + jsonString(sAction) + ", ";
    }
    sOut += "\"lockFile\": " + jsonString(lock.sLockFile) +
            ", \"drawing\": " + jsonString(lock.sDrawing) +
            ", \"user\": " + jsonString(str(lock.file.getUser())) +
            ", \"computer\": " + jsonString(str(lock.file.getComputer())) +
            ", \"lockedAt\": " + jsonString(str(lock.file.getLockedAtText())) +
            ", \"lockedSince\": " + jsonString(isoTime(lock.file.getLockedAt())) +
            ", \"ageSeconds\": " + std::to_string((long long)lock.iAge) +
            ", \"heldByRunningEditor\": " + (lock.bHeld ? "true" : "false");
    if (lock.bHeld) {
        sOut += ", \"editorProcess\": " + std::to_string(lock.iEditor);
    }
    return sOut + "}";
}

std::string jsonProblems(const std::vector<std::string>& vectorProblems) {
    std::string sOut = "[";
    for (size_t i = 0; i < vectorProblems.size(); ++i) {
        sOut += (i ? ", " : "") + jsonString(vectorProblems[i]);
    }
    return sOut + "]";
}

void printTable(const std::vector<Lock>& vectorLocks) {
    if (vectorLocks.empty()) {
        printf("no locks\n");
        return;
    }
    size_t aiWidth[5] = {3, 12, 4, 8, 7};
    std::vector<std::vector<std::string>> rows;
    for (const Lock& lock : vectorLocks) {
        rows.push_back(
            {formatAge(lock.iAge), str(lock.file.getLockedAtText()), str(lock.file.getUser()),
             str(lock.file.getComputer()) + (lock.bHeld ? " (running)" : ""), lock.sDrawing});
        for (size_t i = 0; i < 5; ++i) {
            aiWidth[i] = std::max(aiWidth[i], rows.back()[i].size());
        }
    }
    printf("%-*s  %-*s  %-*s  %-*s  %s\n", (int)aiWidth[0], "AGE", (int)aiWidth[1], "LOCKED SINCE",
           (int)aiWidth[2], "USER", (int)aiWidth[3], "COMPUTER", "DRAWING");
    for (const std::vector<std::string>& row : rows) {
        printf("%-*s  %-*s  %-*s  %-*s  %s\n", (int)aiWidth[0], row[0].c_str(), (int)aiWidth[1],
               row[1].c_str(), (int)aiWidth[2], row[2].c_str(), (int)aiWidth[3], row[3].c_str(),
               row[4].c_str());
    }
}

std::string describe(const Lock& lock) {
    return lock.sLockFile + " (" + lock.sDrawing + ", " + str(lock.file.getUser()) + " on " +
           str(lock.file.getComputer()) + " since " + str(lock.file.getLockedAtText()) + ")";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> vectorPaths;
    double dOlderThan = -1;
    double dClearStale = -1;
    bool bJson = false;
    bool bYes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string sArgument = argv[i];
        if (sArgument == "-h" || sArgument == "--help") {
            printf("%s\n%s", kUsage, kHelp);
            return kExitSuccess;
        } else if (sArgument == "--version") {
            return brevant::program::printVersion(kTool);
        } else if (sArgument == "--json") {
            bJson = true;
        } else if (sArgument == "--yes") {
            bYes = true;
        } else if (sArgument == "--older-than" || sArgument == "--clear-stale") {
            double& dDays = sArgument == "--older-than" ? dOlderThan : dClearStale;
            if (i + 1 >= argc || !parseDays(argv[i + 1], dDays)) {
                return usage(sArgument + " needs a number of days (0 or more)");
            }
            ++i;
        } else if (sArgument.size() > 1 && sArgument[0] == '-') {
            return usage("unknown option \"" + sArgument + "\"");
        } else {
            vectorPaths.push_back(sArgument);
        }
    }
    if (vectorPaths.empty()) {
        return usage("no PATH given");
    }
    if (bYes && dClearStale < 0) {
        return usage("--yes goes with --clear-stale");
    }

    brevant::host::setConsoleOutput(false);
    Pellam::initialiseLibrary("Brevant", NULL);
    const CTime now = CTime::GetCurrentTime();
    const std::string sThisComputer = str(Pellam::Util::getComputerName());
    const std::vector<RunningEditor> vectorEditors = runningEditors();

    std::vector<std::string> vectorProblems;
    std::vector<std::string> vectorFiles;
    FolderWalk walk;
    for (const std::string& sTyped : vectorPaths) {
        const std::string sPath = fullWindowsPath(sTyped);
        const DWORD dwAttributes =
            sPath.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(sPath.c_str());
        if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
            vectorProblems.push_back(sTyped + ": no such file or folder");
        } else if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            walk.walk(sPath, [&](const std::string& sFile, const WIN32_FIND_DATAA&) {
                if (isLockFile(sFile)) {
                    vectorFiles.push_back(sFile);
                }
            });
        } else {
            vectorFiles.push_back(sPath);
        }
    }
    vectorProblems.insert(vectorProblems.end(), walk.problems().begin(), walk.problems().end());

    std::vector<Lock> vectorLocks;
    for (const std::string& sFile : vectorFiles) {
        Lock lock;
        lock.sLockFile = sFile;
        if (!lock.file.read(sFile.c_str())) {
            vectorProblems.push_back(sFile + ": " + str(lock.file.getError()));
            continue;
        }
        lock.sDrawing = str(CDocumentLockFile::drawingOf(sFile.c_str()));
        lock.iAge = now.GetTime() - lock.file.getLockedAt().GetTime();
        lock.bHeld = strcasecmp(str(lock.file.getComputer()).c_str(), sThisComputer.c_str()) == 0 &&
                     mayHoldLock(vectorEditors, lock.file.getLockedAt().GetTime(), lock.iEditor);
        const double dFilter = dClearStale >= 0 ? dClearStale : dOlderThan;
        if (dFilter >= 0 && (double)lock.iAge < dFilter * 86400.0) {
            continue;
        }
        vectorLocks.push_back(lock);
    }
    std::stable_sort(vectorLocks.begin(), vectorLocks.end(), [](const Lock& a, const Lock& b) {
        return a.iAge != b.iAge ? a.iAge > b.iAge : a.sLockFile < b.sLockFile;
    });
    for (const std::string& sProblem : vectorProblems) {
        fprintf(stderr, "%s: %s\n", kTool, sProblem.c_str());
    }

    bool bFailed = !vectorProblems.empty();
    if (dClearStale < 0) {
        if (bJson) {
            std::string sOut = "{\"locks\": [";
            for (size_t i = 0; i < vectorLocks.size(); ++i) {
                sOut += (i ? ", " : "") + jsonLock(vectorLocks[i], nullptr);
            }
            printf("%s], \"problems\": %s}\n", sOut.c_str(), jsonProblems(vectorProblems).c_str());
        } else {
            printTable(vectorLocks);
        }
        return bFailed ? kExitFailure : kExitSuccess;
    }

    // Clearing: every lock old enough goes, unless an editor here may hold it.
    std::string sJson;
    size_t iRemoved = 0;
    size_t iWouldRemove = 0;
    for (const Lock& lock : vectorLocks) {
        const char* sAction = nullptr;
        if (lock.bHeld) {
            sAction = "kept";
            if (!bJson) {
                printf(
                    "kept     %s: an editor running on this computer may hold it (process "
                    "%d)\n",
                    describe(lock).c_str(), lock.iEditor);
            }
        } else if (!bYes) {
            sAction = "would remove";
            ++iWouldRemove;
            if (!bJson) {
                printf("would remove %s\n", describe(lock).c_str());
            }
        } else if (::DeleteFileA(lock.sLockFile.c_str())) {
            sAction = "removed";
            ++iRemoved;
            if (!bJson) {
                printf("removed  %s\n", describe(lock).c_str());
            }
        } else {
            sAction = "not removed";
            bFailed = true;
            const std::string sWhy = osErrorText(::GetLastError(), lock.sLockFile);
            vectorProblems.push_back(sWhy);
            fprintf(stderr, "%s: cannot remove %s\n", kTool, sWhy.c_str());
        }
        sJson += (sJson.empty() ? "" : ", ") + jsonLock(lock, sAction);
    }
    if (iRemoved > 0) {
        // The document manager hears that locks went, as when an editor
        // closes a drawing.
        Pellam::registerRefreshMessage();
        Pellam::refreshDocumentManager();
        Pellam::unregisterRefreshMessage();
    }
    if (bJson) {
        printf("{\"locks\": [%s], \"problems\": %s}\n", sJson.c_str(),
               jsonProblems(vectorProblems).c_str());
    } else if (vectorLocks.empty()) {
        printf("no locks at least %g days old\n", dClearStale);
    } else if (iWouldRemove > 0) {
        printf("%zu lock%s would be removed: give --yes to remove %s\n", iWouldRemove,
               iWouldRemove == 1 ? "" : "s", iWouldRemove == 1 ? "it" : "them");
    }
    return bFailed ? kExitFailure : kExitSuccess;
}
