// brevant-listen [--count N] [--timeout SECONDS]
//
// Listens for the window messages that programs of this user broadcast
// (PostMessageA to HWND_BROADCAST) and prints one line for each:
//
//   "Pellam-Brevant" 0xC000 wParam=2116 lParam=0
//
// the registered name in quotes (or (unregistered)), the number, and the two
// parameters in decimal. Each line is flushed at once. It stops on SIGINT,
// SIGTERM or SIGHUP, after N messages, or after SECONDS seconds, whichever
// comes first, and exits with 0; a wrong argument gives 2, a socket that
// cannot be made gives 1. "listening on <socket>" goes to the error output
// once the socket is ready, so that a caller knows when to start posting.
#include "brevant/platform.h"

#include <cerrno>
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

int usage(const char* problem) {
    fprintf(stderr, "brevant-listen: %s\nusage: brevant-listen [--count N] [--timeout SECONDS]\n",
            problem);
    return 2;
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
        if ((arg == "--count" || arg == "-n") && i + 1 < argc) {
            if (!parseNumber(argv[++i], value) || value < 1 || value != (long)value) {
                return usage("the count must be a whole number of 1 or more");
            }
            count = (long)value;
        } else if ((arg == "--timeout" || arg == "-t") && i + 1 < argc) {
            if (!parseNumber(argv[++i], value) || value <= 0 || value > 86400 * 365.0) {
                return usage("the timeout must be a number of seconds above 0");
            }
            timeout = value;
        } else if (arg == "--help" || arg == "-h") {
            printf("usage: brevant-listen [--count N] [--timeout SECONDS]\n");
            return 0;
        } else {
            return usage(("unknown argument \"" + arg + "\"").c_str());
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
        fprintf(stderr, "brevant-listen: cannot listen: %s\n", error.c_str());
        return 1;
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
    return 0;
}
