// brevant-index: writes the drawing information file (.din) of every drawing
// under the given folders, exactly as saving the drawing in the editor with
// the module loaded writes it, without an editor session and without touching
// the drawing, its history or its lock. The help below says what it takes and
// what its exit statuses mean; brevant-index.1 is its man page.
#include "DrawingFinder.h"
#include "DrawingIndexer.h"
#include "RunReport.h"
#include "Staleness.h"
#include "ToolSupport.h"
#include "WorkerPool.h"

#include "DocumentData.h"
#include "Program.h"

#include <windows.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>

using namespace brevant::tools;
using brevant::program::kExitFailure;
using brevant::program::kExitSuccess;

namespace {

const char kTool[] = "brevant-index";
const char kModuleName[] = "Brevant15.arx";

volatile sig_atomic_t g_iStopRequests = 0;

void onStop(int) {
    g_iStopRequests = g_iStopRequests + 1;
}

const char* const kUsage =
    "usage: brevant-index [options] PATH...\n"
    "       brevant-index --help | --version\n";

const char* const kHelp =
    "Writes the drawing information file (docinfo\\<title>-<ext>.din) of every\n"
    "drawing under the folders given, as saving it in the editor with the module\n"
    "loaded writes it, without an editor session: the drawing, its history and its\n"
    "lock are never touched.\n"
    "\n"
    "  PATH               a folder (every drawing under it), a drawing, or - (a list\n"
    "                     of paths on the standard input, one per line)\n"
    "  --files-from FILE  a list of paths, one per line (- for the standard input)\n"
    "  --module FILE      the module file whose install folder's settings apply\n"
    "                     (default: Brevant15.arx beside this program, or in\n"
    "                     ../lib/brevant/bin/)\n"
    "  -j, --jobs N       worker processes, 1 to 256 (default: the number of cores)\n"
    "  --only-stale       skip drawings whose .din is at least as new as the drawing\n"
    "                     and the settings files that apply to it\n"
    "  --dry-run          show what would be indexed, write nothing\n"
    "  -k, --keep-going   index what can be found even when a PATH or a folder\n"
    "                     cannot be read (otherwise such a problem stops the run\n"
    "                     before anything is written)\n"
    "  -h, --help         show this help and end\n"
    "  --version          show the version and end\n"
    "\n"
    "On a terminal a progress bar shows the count, rate and time left; otherwise\n"
    "one line per drawing (written, unchanged, skipped, failed). A summary table\n"
    "ends the run. The first Ctrl-C lets the workers finish the drawings at hand;\n"
    "running again with --only-stale does only what is left.\n"
    "\n"
    "Exit status: 0 every drawing found was indexed, skipped as up to date or, with\n"
    "--dry-run, listed; 1 a drawing, a PATH or a folder failed (each is named on\n"
    "the error output), or the run was interrupted; 2 a wrong argument, or no\n"
    "module file.\n"
    "\n"
    "Paths are Windows paths through the drive map (BREVANT_DRIVES) or Linux\n"
    "paths (see the man page).\n";

int usage(const std::string& sProblem) {
    return brevant::program::usageError(kTool, sProblem, kUsage);
}

// This program's own file, which the workers run.
std::string programFile() {
    char szPath[4096];
    const ssize_t n = readlink("/proc/self/exe", szPath, sizeof szPath - 1);
    if (n <= 0) {
        return std::string();
    }
    szPath[n] = 0;
    return szPath;
}

// The module installed beside this program: in the same folder (a build
// folder, a workstation's install folder), or in ..\lib\brevant\bin\ (an
// installed package).
std::string defaultModuleFile() {
    char szProgram[MAX_PATH + 1] = {0};
    const DWORD dwLength = ::GetModuleFileNameA(NULL, szProgram, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH) {
        return std::string();
    }
    std::string sFolder(szProgram, dwLength);
    sFolder = sFolder.substr(0, sFolder.find_last_of("\\/") + 1);
    for (const std::string& sCandidate :
         {sFolder + kModuleName, sFolder + "..\\lib\\brevant\\bin\\" + kModuleName}) {
        const std::string sFull = fullWindowsPath(sCandidate);
        const DWORD dwAttributes = ::GetFileAttributesA(sFull.c_str());
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return sFull;
        }
    }
    return std::string();
}

struct Options {
    std::vector<std::string> vectorPaths;
    std::vector<std::string> vectorLists;
    std::string sModule;
    long iJobs = 0;
    bool bOnlyStale = false;
    bool bDryRun = false;
    bool bKeepGoing = false;
    bool bWorker = false;
};

// 0: go on; otherwise the exit status.
int parseOptions(int argc, char** argv, Options& options, bool& bDone) {
    bDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string sArgument = argv[i];
        auto value = [&](std::string& sValue) -> bool {
            if (i + 1 >= argc) {
                return false;
            }
            sValue = argv[++i];
            return true;
        };
        std::string sValue;
        if (sArgument == "-h" || sArgument == "--help") {
            printf("%s\n%s", kUsage, kHelp);
            bDone = true;
            return kExitSuccess;
        } else if (sArgument == "--version") {
            bDone = true;
            return brevant::program::printVersion(kTool);
        } else if (sArgument == "--worker") {
            options.bWorker = true;
        } else if (sArgument == "--module") {
            if (!value(options.sModule) || options.sModule.empty()) {
                return usage("--module needs a module file");
            }
        } else if (sArgument == "--files-from") {
            if (!value(sValue) || sValue.empty()) {
                return usage("--files-from needs a file (- for the standard input)");
            }
            options.vectorLists.push_back(sValue);
        } else if (sArgument == "-j" || sArgument == "--jobs" || sArgument.rfind("-j", 0) == 0) {
            if (sArgument.size() > 2 && sArgument.rfind("--", 0) != 0) {
                sValue = sArgument.substr(2);
            } else if (!value(sValue)) {
                return usage(sArgument + " needs a number of workers");
            }
            if (!parseCount(sValue, options.iJobs) || options.iJobs < 1 || options.iJobs > 256) {
                return usage("the number of workers must be 1 to 256, not \"" + sValue + "\"");
            }
        } else if (sArgument == "--only-stale") {
            options.bOnlyStale = true;
        } else if (sArgument == "--dry-run") {
            options.bDryRun = true;
        } else if (sArgument == "--keep-going" || sArgument == "-k") {
            options.bKeepGoing = true;
        } else if (sArgument == "-") {
            options.vectorLists.push_back("-");
        } else if (sArgument.size() > 1 && sArgument[0] == '-') {
            return usage("unknown option \"" + sArgument + "\"");
        } else {
            options.vectorPaths.push_back(sArgument);
        }
    }
    return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool bDone = false;
    const int iParsed = parseOptions(argc, argv, options, bDone);
    if (bDone || iParsed != kExitSuccess) {
        return iParsed;
    }
    if (!options.bWorker && options.vectorPaths.empty() && options.vectorLists.empty()) {
        return usage("no PATH given");
    }

    std::string sModule =
        options.sModule.empty() ? defaultModuleFile() : fullWindowsPath(options.sModule);
    if (sModule.empty()) {
        return usage(options.sModule.empty()
                         ? std::string("no ") + kModuleName +
                               " beside this program or in ../lib/brevant/bin/; name the "
                               "module with --module FILE"
                         : "--module " + options.sModule + ": not a valid path");
    }
    const DWORD dwModule = ::GetFileAttributesA(sModule.c_str());
    if (dwModule == INVALID_FILE_ATTRIBUTES || (dwModule & FILE_ATTRIBUTE_DIRECTORY)) {
        return usage("--module " + (options.sModule.empty() ? sModule : options.sModule) +
                     ": no such module file");
    }
    startHeadlessLibrary(sModule);
    if (options.bWorker) {
        return runWorker();
    }

    DrawingFinder finder;
    for (const std::string& sPath : options.vectorPaths) {
        finder.addPath(sPath);
    }
    for (const std::string& sList : options.vectorLists) {
        finder.addListFile(sList);
    }
    const std::vector<FoundDrawing>& vectorFound = finder.drawings();
    RunReport report(isatty(STDERR_FILENO) != 0, vectorFound.size());
    const std::vector<std::string> vectorProblems = finder.problems();
    for (const std::string& sProblem : vectorProblems) {
        report.problem(sProblem);
    }
    for (const std::string& sNote : finder.notes()) {
        report.note(sNote);
    }
    if (!vectorProblems.empty() && !options.bKeepGoing) {
        fprintf(stderr, "%s: nothing was indexed; fix the paths above or give --keep-going\n",
                kTool);
        return kExitFailure;
    }

    // What to do: every drawing found, less the ones that are up to date.
    std::vector<std::string> vectorWork;
    std::map<std::string, uint64_t> mapBytes;
    StalenessCheck staleness;
    for (const FoundDrawing& drawing : vectorFound) {
        if (options.bOnlyStale && staleness.isUpToDate(drawing.sPath, drawing.iWriteTime)) {
            report.skipped(drawing.sPath, "up to date");
            continue;
        }
        if (options.bDryRun) {
            report.wouldIndex(drawing.sPath);
            continue;
        }
        vectorWork.push_back(drawing.sPath);
        mapBytes[drawing.sPath] = drawing.iSize;
    }

    const long iCores = sysconf(_SC_NPROCESSORS_ONLN);
    const int iWorkers = (int)(options.iJobs > 0 ? options.iJobs : (iCores > 0 ? iCores : 1));
    std::vector<std::string> vectorLeft;
    WorkerPool pool(programFile(), {"--worker", "--module", sModule}, iWorkers);
    if (!vectorWork.empty()) {
        struct sigaction action = {};
        action.sa_handler = onStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        vectorLeft = pool.run(
            vectorWork,
            [&](const WorkResult& answer) {
                const uint64_t iBytes = mapBytes[answer.sPath];
                switch (answer.result.outcome) {
                    case IndexOutcome::Written:
                        report.written(answer.sPath, iBytes);
                        break;
                    case IndexOutcome::Unchanged:
                        report.unchanged(answer.sPath, iBytes);
                        break;
                    case IndexOutcome::Failed:
                        report.failed(answer.sPath, answer.result.sReason);
                        break;
                }
            },
            [&] { report.tick(); }, g_iStopRequests);
    }
    // The document manager hears of the new files once, as it hears of every
    // file the module writes.
    if (report.changedFiles() > 0) {
        Pellam::registerRefreshMessage();
        Pellam::refreshDocumentManager();
        Pellam::unregisterRefreshMessage();
    }
    report.summary(options.bDryRun,
                   std::min<int>(iWorkers, (int)std::max<size_t>(vectorWork.size(), 1)),
                   pool.peakWorkerMemoryKb(), vectorLeft.size());
    if (report.failures() > 0 || !vectorLeft.empty()) {
        return kExitFailure;
    }
    return kExitSuccess;
}
