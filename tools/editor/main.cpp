// brevant-editor: the drawing editor's command line.
//
//   brevant-editor FILE   runs the session script FILE, one command line per
//                         line, and exits: 0 when every line ran, 1 when a
//                         line failed, 2 when the script cannot be read.
//   brevant-editor        reads command lines at the "Command: " prompt until
//                         QUIT or the end of the input.
//   --recover DRAWING     first recovers the damaged drawing, as the RECOVER
//                         command does; a drawing that cannot be read at all
//                         ends the editor with status 1.
#include "brevant/editor.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

void usage(FILE* out) {
    fprintf(out,
            "usage: brevant-editor [--recover DRAWING] [SCRIPT]\n"
            "  SCRIPT  a session script: one command line per line, as typed at the\n"
            "          \"Command: \" prompt; blank lines and lines starting with ; or #\n"
            "          are skipped. Without SCRIPT the editor reads command lines from\n"
            "          its input. Type HELP at the prompt for the commands.\n"
            "  --recover DRAWING  first open the damaged DRAWING as far as it can be\n"
            "          read, listing what was mended (the RECOVER command).\n");
}

}  // namespace

int main(int argc, char** argv) {
    const char* recover = nullptr;
    int first = 1;
    if (argc >= 2 && strcmp(argv[1], "--recover") == 0) {
        if (argc < 3) {
            usage(stderr);
            return 2;
        }
        recover = argv[2];
        first = 3;
    }
    const int rest = argc - first;
    const bool help =
        rest == 1 && (strcmp(argv[first], "-h") == 0 || strcmp(argv[first], "--help") == 0);
    if (rest > 1 || (help && recover != nullptr)) {
        usage(stderr);
        return 2;
    }
    if (help) {
        usage(stdout);
        return 0;
    }
    std::string error;
    if (!brevant::host::writeInstallationDefaults(error)) {
        fprintf(stderr, "brevant-editor: %s; the editor goes on without it\n", error.c_str());
    }
    if (recover != nullptr &&
        !brevant::host::runCommand(std::string("RECOVER \"") + recover + "\"")) {
        brevant::host::quit();
        return 1;
    }
    if (rest == 1) {
        const char* script = argv[first];
        const brevant::host::ScriptOutcome outcome = brevant::host::runScript(script);
        if (!outcome.readable) {
            fprintf(stderr, "brevant-editor: cannot read the script %s: %s\n", script,
                    outcome.error.c_str());
            return 2;
        }
        if (!outcome.failedLines.empty()) {
            std::string lines;
            for (int line : outcome.failedLines) {
                lines += (lines.empty() ? "" : ", ") + std::to_string(line);
            }
            fprintf(stderr, "brevant-editor: %s: %zu line(s) failed: %s\n", script,
                    outcome.failedLines.size(), lines.c_str());
            return 1;
        }
        return 0;
    }
    const int failures = brevant::host::runInteractive(std::cin, isatty(STDIN_FILENO) == 0);
    return failures == 0 ? 0 : 1;
}
