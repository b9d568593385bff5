// Configuration, the clock, the fault seam and the per-thread last error.
#include "brevant/platform.h"
#include "win/types.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

namespace brevant::platform {

namespace {

std::string trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isspace((unsigned char)text[first])) {
        ++first;
    }
    while (last > first && isspace((unsigned char)text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

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
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        const size_t eq = text.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        if (trimmed(text.substr(0, eq)) == name) {
            value = trimmed(text.substr(eq + 1));
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
    std::string value = setting(name, "");
    if (value.empty()) {
        return defaultValue;
    }
    for (char& ch : value) {
        ch = (char)tolower((unsigned char)ch);
    }
    return value == "1" || value == "true" || value == "yes" || value == "on";
}

// ---------------------------------------------------------------------------
// The clock.

namespace {

std::mutex g_clockMutex;
bool g_clockInitialised = false;
time_t g_fixedTime = 0;

// "YYYY-MM-DD HH:MM[:SS]" in local time; 0 when the text is not such a time.
time_t parseClock(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    const int n = sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &year, &month, &day, &hour, &minute,
                         &second, &tail);
    if (n != 5 && n != 6) {
        return 0;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60) {
        return 0;
    }
    struct tm tmValue = {};
    tmValue.tm_year = year - 1900;
    tmValue.tm_mon = month - 1;
    tmValue.tm_mday = day;
    tmValue.tm_hour = hour;
    tmValue.tm_min = minute;
    tmValue.tm_sec = second;
    tmValue.tm_isdst = -1;
    const time_t t = mktime(&tmValue);
    return t == (time_t)-1 ? 0 : t;
}

}  // namespace

time_t now() {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    if (!g_clockInitialised) {
        g_clockInitialised = true;
        g_fixedTime = parseClock(setting("CLOCK"));
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

constexpr int kOperations = 5;
std::mutex g_faultMutex;
int g_countdown[kOperations] = {};
unsigned long g_faultError[kOperations] = {};

}  // namespace

void failAfter(Operation operation, int n, unsigned long windowsError) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    const int i = (int)operation;
    g_countdown[i] = n > 0 ? n : 0;
    g_faultError[i] = windowsError;
}

bool shouldFail(Operation operation, unsigned long& windowsError) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
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
