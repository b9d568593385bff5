// Configuration, the clock, the fault seam and the per-thread last error.
#include "brevant/platform.h"
#include "brevant/text.h"
#include "FaultSeam.h"
#include "win/types.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace brevant::platform {

namespace {

// The value of NAME in the configuration file, read afresh each time so that a
// test or a person may change the file while a process runs.
bool fileSetting(const std::string& name, std::string& value) {
    const char* path = getenv("BREVANT_CONFIG");
    if (path == nullptr || *path == 0) {
        return false;
    }
    std::ifstream in(path);
    std::string line;
    bool found = false;
    while (std::getline(in, line)) {
        const std::string text(brevant::text::trimmed(line));
        if (text.empty() || text[0] == '#') {
            continue;
        }
        const size_t eq = text.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        if (brevant::text::trimmed(text.substr(0, eq)) == name) {
            value = std::string(brevant::text::trimmed(text.substr(eq + 1)));
            found = true;  // the last line for a name wins
        }
    }
    return found;
}

}  // namespace

std::string setting(const std::string& name, const std::string& defaultValue) {
    const std::string variable = "BREVANT_" + name;
    if (const char* env = getenv(variable.c_str())) {
        return env;
    }
    std::string value;
    if (fileSetting(name, value)) {
        return value;
    }
    return defaultValue;
}

bool settingIsTrue(const std::string& name, bool defaultValue) {
    const std::string value = brevant::text::lower(setting(name, ""));
    if (value.empty()) {
        return defaultValue;
    }
    return value == "1" || value == "true" || value == "yes" || value == "on";
}

// ---------------------------------------------------------------------------
// The clock.

namespace {

std::mutex g_clockMutex;
bool g_clockInitialised = false;
time_t g_fixedTime = 0;

// The CLOCK setting's time; 0 (the system clock) when there is none. A
// setting that is no time is reported, so that a person sees why the clock
// runs.
time_t clockSetting() {
    const std::string text = setting("CLOCK");
    time_t fixed = 0;
    if (!text.empty() && !brevant::text::parseLocalTime(text, fixed)) {
        fprintf(stderr,
                "The setting CLOCK=\"%s\" is not a local time YYYY-MM-DD HH:MM[:SS] that exists; "
                "the clock runs.\n",
                text.c_str());
        fflush(stderr);
        return 0;
    }
    return fixed;
}

}  // namespace

time_t now() {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    if (!g_clockInitialised) {
        g_clockInitialised = true;
        g_fixedTime = clockSetting();
    }
    return g_fixedTime != 0 ? g_fixedTime : time(nullptr);
}

void setClock(time_t fixedTime) {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    g_clockInitialised = true;
    g_fixedTime = fixedTime;
}

// ---------------------------------------------------------------------------
// The fault seam.

namespace {

constexpr int kOperations = (int)std::size(kEveryOperation);
std::mutex g_faultMutex;
int g_countdown[kOperations] = {};
unsigned long g_faultError[kOperations] = {};
thread_local int t_fileSeamExemptions = 0;
bool g_countRegistryFileCalls = false;

bool isFileOperation(Operation operation) {
    return operation == Operation::FileWrite || operation == Operation::FileCreate ||
           operation == Operation::FileFlush || operation == Operation::Rename;
}

}  // namespace

detail::FileSeamExemption::FileSeamExemption() {
    ++t_fileSeamExemptions;
}

detail::FileSeamExemption::~FileSeamExemption() {
    --t_fileSeamExemptions;
}

void failAfter(Operation operation, int n, unsigned long windowsError) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    const int i = (int)operation;
    g_countdown[i] = n > 0 ? n : 0;
    g_faultError[i] = windowsError;
}

int pendingFault(Operation operation) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    return g_countdown[(int)operation];
}

void countRegistryFileCalls(bool on) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_countRegistryFileCalls = on;
}

bool shouldFail(Operation operation, unsigned long& windowsError) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    if (t_fileSeamExemptions > 0 && isFileOperation(operation) && !g_countRegistryFileCalls) {
        return false;
    }
    const int i = (int)operation;
    if (g_countdown[i] == 0) {
        return false;
    }
    if (--g_countdown[i] != 0) {
        return false;
    }
    windowsError = g_faultError[i];
    return true;
}

}  // namespace brevant::platform

// ---------------------------------------------------------------------------
// The last error is kept per thread, as Windows keeps it.

namespace {
thread_local DWORD t_lastError = 0;
}

extern "C" DWORD WINAPI GetLastError(void) {
    return t_lastError;
}

extern "C" void WINAPI SetLastError(DWORD dwErrCode) {
    t_lastError = dwErrCode;
}
