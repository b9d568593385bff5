// brevant-editor: the drawing editor's command line.
//
//   brevant-editor FILE   runs the session script FILE, one command line per
//                         line, and exits: 0 when every line ran, 1 when a
//                         line failed, 2 when the script cannot be read.
//   brevant-editor        reads command lines at the "Command: " prompt until
//                         QUIT or the end of the input.
#include "brevant/editor.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

void usage(FILE* out) {
    fprintf(out,
            "usage: brevant-editor [SCRIPT]\n"
            "  SCRIPT  a session script: one command line per line, as typed at the\n"
            "          \"Command: \" prompt; blank lines and lines starting with ; or #\n"
            "          are skipped. Without SCRIPT the editor reads command lines from\n"
            "          its input. Type HELP at the prompt for the commands.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0))) {
        usage(argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    std::string error;
    if (!brevant::host::writeInstallationDefaults(error)) {
        fprintf(stderr, "brevant-editor: %s; the editor goes on without it\n", error.c_str());
    }
    if (argc == 2) {
        const brevant::host::ScriptOutcome outcome = brevant::host::runScript(argv[1]);
        if (!outcome.readable) {
            fprintf(stderr, "brevant-editor: cannot read the script %s: %s\n", argv[1],
                    outcome.error.c_str());
            return 2;
        }
        if (!outcome.failedLines.empty()) {
            std::string lines;
            for (int line : outcome.failedLines) {
                lines += (lines.empty() ? "" : ", ") + std::to_string(line);
            }
            fprintf(stderr, "brevant-editor: %s: %zu line(s) failed: %s\n", argv[1],
                    outcome.failedLines.size(), lines.c_str());
            return 1;
        }
        return 0;
    }
    const int failures = brevant::host::runInteractive(std::cin, isatty(STDIN_FILENO) == 0);
    return failures == 0 ? 0 : 1;
}
