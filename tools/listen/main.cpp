// brevant-listen: prints every window message that programs of this user
// broadcast, as a document manager on Linux would receive the module's
// refresh broadcast. The help below says what it prints and what its exit
// statuses mean; brevant-listen.1 is its man page and README.md beside this
// file shows a document manager's use of it.
#include "Program.h"
#include "brevant/platform.h"

#include <cerrno>
#include <cmath>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = strtod(text, &end);
    return errno == 0 && end != text && *end == 0 && value >= 0;
}

const char* const kName = "brevant-listen";

const char* const kUsage =
    "usage: brevant-listen [--count N] [--timeout SECONDS]\n"
    "       brevant-listen --help | --version\n";

const char* const kHelp =
    "Listens for the window messages that programs of this user broadcast\n"
    "(PostMessageA to HWND_BROADCAST) and prints one line for each, flushed at\n"
    "once:\n"
    "\n"
    "  \"Pellam-Brevant\" 0xC000 wParam=2116 lParam=0\n"
    "\n"
    "the name the message was registered with, in quotes (or (unregistered)),\n"
    "its number, and its two parameters in decimal. The Brevant module sends\n"
    "this very line after every change of a drawing's lock, history or drawing\n"
    "information file in a docinfo folder: wParam 2116 means \"refresh\", lParam\n"
    "is always 0, and the message names no drawing, so a document manager reads\n"
    "again the docinfo files of the drawings it shows.\n"
    "\n"
    "  --count N          stop after N messages\n"
    "  --timeout SECONDS  stop after SECONDS seconds\n"
    "  --help             show this help and end\n"
    "  --version          show the version and end\n"
    "\n"
    "It also stops on SIGINT, SIGTERM or SIGHUP. \"listening on <socket>\" goes to\n"
    "the error output once it listens, so that a caller knows when to start.\n"
    "\n"
    "Exit status: 0 it listened until it stopped; 1 it cannot listen (the\n"
    "socket in the runtime folder cannot be made); 2 a wrong argument.\n";

int usage(const std::string& problem) {
    return brevant::program::usageError(kName, problem, kUsage);
}

// Names are printed as they are, with control characters and quotes made
// harmless so that each message stays on one line.
std::string printable(const std::string& name) {
    std::string out;
    for (char ch : name) {
        out += ((unsigned char)ch < ' ' || ch == '"' || ch == 0x7F) ? '?' : ch;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    long count = 0;      // 0: no limit
    double timeout = 0;  // 0: no limit
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        double value = 0;
        if ((arg == "--count" || arg == "-n" || arg == "--timeout" || arg == "-t") &&
            i + 1 >= argc) {
            return usage(arg + " needs a value");
        }
        if (arg == "--count" || arg == "-n") {
            if (!parseNumber(argv[++i], value) || value < 1 || value > 1e15 ||
                value != std::floor(value)) {
                return usage("the count must be a whole number of 1 or more");
            }
            count = (long)value;
        } else if (arg == "--timeout" || arg == "-t") {
            if (!parseNumber(argv[++i], value) || value <= 0 || value > 86400 * 365.0) {
                return usage("the timeout must be a number of seconds above 0");
            }
            timeout = value;
        } else if (arg == "--help" || arg == "-h") {
            printf("%s\n%s", kUsage, kHelp);
            return brevant::program::kExitSuccess;
        } else if (arg == "--version") {
            return brevant::program::printVersion(kName);
        } else {
            return usage("unknown argument \"" + arg + "\"");
        }
    }

    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a signal ends the wait at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    brevant::platform::BroadcastReceiver receiver;
    std::string error;
    if (!receiver.open(error)) {
        fprintf(stderr, "%s: cannot listen: %s\n", kName, error.c_str());
        return brevant::program::kExitFailure;
    }
    fprintf(stderr, "listening on %s\n", receiver.socketPath().c_str());
    fflush(stderr);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds((long long)(timeout * 1000));
    long received = 0;
    while (!g_stop && (count == 0 || received < count)) {
        int wait = -1;
        if (timeout > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                break;
            }
            wait = (int)std::min<long long>(left.count(), 1000 * 60);
        }
        brevant::platform::BroadcastMessage message;
        if (!receiver.receive(message, wait)) {
            continue;
        }
        const std::string name =
            message.name.empty() ? "(unregistered)" : "\"" + printable(message.name) + "\"";
        printf("%s 0x%04X wParam=%llu lParam=%lld\n", name.c_str(), message.message,
               (unsigned long long)message.wParam, (long long)message.lParam);
        fflush(stdout);
        ++received;
    }
    receiver.close();
    return brevant::program::kExitSuccess;
}
