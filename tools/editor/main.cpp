// brevant-editor: the drawing editor's command line. The usage below says
// what it takes and what its exit statuses mean; brevant-editor.1 is its man
// page.
#include "LineEditor.h"
#include "Program.h"
#include "brevant/editor.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

using brevant::program::kExitFailure;
using brevant::program::kExitSuccess;
using brevant::program::kExitUsage;

const char* const kName = "brevant-editor";

const char* const kUsage =
    "usage: brevant-editor [--open DRAWING | --recover DRAWING | --no-drawing] [--] [SCRIPT]\n"
    "       brevant-editor --help | --version\n";

const char* const kHelp =
    "Starts the drawing editor's command line with a new drawing, Drawing1.dwg,\n"
    "as the real editor starts.\n"
    "\n"
    "  SCRIPT          a session script: one command line per line, as typed at\n"
    "                  the \"Command: \" prompt; blank lines and lines starting with\n"
    "                  ; or # are skipped. The editor runs it and ends.\n"
    "  --open DRAWING  start with the drawing file DRAWING open instead\n"
    "  --recover DRAWING\n"
    "                  start with the damaged DRAWING opened as far as it can be\n"
    "                  read, listing what was mended (the RECOVER command)\n"
    "  --no-drawing    start with no drawing open\n"
    "  --              what follows is the script, even if it starts with -\n"
    "  --help          show this help and end\n"
    "  --version       show the version and end\n"
    "\n"
    "Without SCRIPT the editor reads command lines from its input: at a terminal\n"
    "with line editing, the session's lines on the up and down arrows, and Tab\n"
    "completing command and LISP names; Ctrl-C stops a LISP evaluation. Type\n"
    "HELP at the prompt for the commands.\n"
    "\n"
    "Exit status: 0 every command line ran; 1 a command line failed (the lines\n"
    "are named on the error output); 2 a wrong argument, a script that cannot\n"
    "be read, or a drawing that cannot be opened; 1 also when the drawing given\n"
    "to --recover cannot be read at all.\n"
    "\n"
    "Settings come from environment variables BREVANT_<name> (see the man page).\n";

struct Options {
    brevant::host::StartDrawing start = brevant::host::StartDrawing::New;
    std::string drawing;
    bool recover = false;
    std::string script;
    bool help = false;
    bool version = false;
};

// The options; false (with the problem) for a wrong argument.
bool parse(int argc, char** argv, Options& options, std::string& problem) {
    bool startGiven = false;
    bool scriptGiven = false;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            options.help = true;
        } else if (!optionsEnd && arg == "--version") {
            options.version = true;
        } else if (!optionsEnd &&
                   (arg == "--open" || arg == "--recover" || arg == "--no-drawing")) {
            if (startGiven) {
                problem = "give one of --open, --recover and --no-drawing, once";
                return false;
            }
            startGiven = true;
            if (arg == "--no-drawing") {
                options.start = brevant::host::StartDrawing::None;
                continue;
            }
            if (i + 1 >= argc || argv[i + 1][0] == 0) {
                problem = arg + " needs a drawing file";
                return false;
            }
            // A drawing to recover is opened by the RECOVER command once the
            // session has started without one.
            options.recover = arg == "--recover";
            options.start = options.recover ? brevant::host::StartDrawing::None
                                            : brevant::host::StartDrawing::Open;
            options.drawing = argv[++i];
        } else if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option \"" + arg + "\"";
            return false;
        } else if (scriptGiven) {
            problem = "only one script can be run";
            return false;
        } else {
            scriptGiven = true;
            options.script = arg;
        }
    }
    return true;
}

// "3 line(s) failed: 2, 5, 9" for the error output.
std::string failedLines(const std::vector<int>& lines) {
    std::string text;
    for (int line : lines) {
        text += (text.empty() ? "" : ", ") + std::to_string(line);
    }
    return std::to_string(lines.size()) + " line(s) failed: " + text;
}

void onInterrupt(int) {
    brevant::host::cancelEvaluation();
}

// At a terminal Ctrl-C stops a LISP evaluation, as Escape does in the
// editor, instead of ending the editor with its drawings.
void catchInterrupt() {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string problem;
    if (!parse(argc, argv, options, problem)) {
        return brevant::program::usageError(kName, problem, kUsage);
    }
    if (options.help) {
        printf("%s\n%s", kUsage, kHelp);
        return kExitSuccess;
    }
    if (options.version) {
        return brevant::program::printVersion(kName);
    }

    std::string error;
    if (!brevant::host::writeInstallationDefaults(error)) {
        fprintf(stderr, "%s: %s; the editor goes on without it\n", kName, error.c_str());
    }
    if (!brevant::host::startSession(options.start, options.drawing)) {
        fprintf(stderr, "%s: cannot open the drawing %s\n", kName, options.drawing.c_str());
        brevant::host::quit();
        return kExitUsage;
    }
    if (options.recover && !brevant::host::runCommand("RECOVER \"" + options.drawing + "\"")) {
        brevant::host::quit();
        return kExitFailure;
    }

    brevant::host::ScriptOutcome outcome;
    std::string source = "standard input";
    if (!options.script.empty()) {
        source = options.script;
        outcome = brevant::host::runScript(options.script);
        if (!outcome.readable) {
            fprintf(stderr, "%s: cannot read the script %s: %s\n", kName, options.script.c_str(),
                    outcome.error.c_str());
            brevant::host::quit();
            return kExitUsage;
        }
    } else if (isatty(STDIN_FILENO)) {
        catchInterrupt();
        TerminalLineSource terminal;
        outcome = brevant::host::runInteractive(terminal);
    } else {
        outcome = brevant::host::runInteractive(std::cin, true);
    }
    if (!outcome.failedLines.empty()) {
        fprintf(stderr, "%s: %s: %s\n", kName, source.c_str(),
                failedLines(outcome.failedLines).c_str());
        return kExitFailure;
    }
    return kExitSuccess;
}
