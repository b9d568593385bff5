// Configuration, the clock, the fault seam and the per-thread last error.
#include "brevant/platform.h"
#include "brevant/text.h"
#include "FaultSeam.h"
#include "win/types.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <set>

namespace brevant::platform {

namespace {

std::mutex g_reportMutex;
std::set<std::string> g_reported;

const char* programName() {
    return program_invocation_short_name != nullptr && *program_invocation_short_name != 0
               ? program_invocation_short_name
               : "brevant";
}

// Why a configuration file cannot be read, in the words of the other messages.
std::string unreadableReason(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "the file cannot be found";
        case EACCES:
        case EPERM:
            return "access is denied";
        case EISDIR:
            return "it is a folder";
        default:
            return brevant::text::lower(strerror(error));
    }
}

// The value of NAME in the configuration file, read afresh each time so that a
// test or a person may change the file while a process runs; *pFile (when
// given) receives the file's path when the name is found there.
bool fileSetting(const std::string& name, std::string& value, std::string* pFile = nullptr) {
    const char* path = getenv("BREVANT_CONFIG");
    if (path == nullptr || *path == 0) {
        return false;
    }
    FILE* file = fopen(path, "r");
    if (file == nullptr) {
        reportUnusableSetting(
            "CONFIG", "\"" + std::string(path) + "\" cannot be read: " + unreadableReason(errno),
            "the defaults apply");
        return false;
    }
    bool found = false;
    std::string line;
    for (int c = fgetc(file);; c = fgetc(file)) {
        if (c != '\n' && c != EOF) {
            line += (char)c;
            continue;
        }
        const std::string text(brevant::text::trimmed(line));
        line.clear();
        const size_t eq = text.find('=');
        if (!text.empty() && text[0] != '#' && eq != std::string::npos &&
            brevant::text::trimmed(text.substr(0, eq)) == name) {
            value = std::string(brevant::text::trimmed(text.substr(eq + 1)));
            found = true;  // the last line for a name wins
        }
        if (c == EOF) {
            break;
        }
    }
    if (ferror(file)) {
        reportUnusableSetting("CONFIG", "\"" + std::string(path) + "\" cannot be read to its end",
                              "what was read applies");
    }
    fclose(file);
    if (found && pFile != nullptr) {
        *pFile = path;
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
    const std::string given = setting(name, "");
    const std::string value = brevant::text::lower(brevant::text::trimmed(given));
    if (value.empty()) {
        return defaultValue;
    }
    if (value == "1" || value == "true" || value == "yes" || value == "on") {
        return true;
    }
    if (value == "0" || value == "false" || value == "no" || value == "off") {
        return false;
    }
    reportUnusableSetting(name, "\"" + given + "\" is none of 1, true, yes, on, 0, false, no, off",
                          std::string("it counts as ") + (defaultValue ? "true" : "false"));
    return defaultValue;
}

std::string settingChoice(const std::string& name, const std::vector<std::string>& choices) {
    const std::string given = setting(name, "");
    const std::string value(brevant::text::trimmed(given));
    if (value.empty() || choices.empty()) {
        return choices.empty() ? "" : choices[0];
    }
    std::string words;
    for (const std::string& choice : choices) {
        if (brevant::text::sameText(choice, value)) {
            return choice;
        }
        words += (words.empty() ? "" : " or ") + choice;
    }
    reportUnusableSetting(name, "\"" + given + "\" is not " + words, choices[0] + " applies");
    return choices[0];
}

void reportUnusableSetting(const std::string& name, const std::string& problem,
                           const std::string& instead) {
    const std::string variable = "BREVANT_" + name;
    std::string where = variable;
    std::string fileValue;
    std::string file;
    if (getenv(variable.c_str()) == nullptr && name != "CONFIG" &&
        fileSetting(name, fileValue, &file)) {
        where = name + " in " + file;
    }
    std::lock_guard<std::mutex> lock(g_reportMutex);
    if (!g_reported.insert(where + ": " + problem).second) {
        return;
    }
    fprintf(stderr, "%s: the setting %s: %s; %s.\n", programName(), where.c_str(), problem.c_str(),
            instead.c_str());
    fflush(stderr);
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
        reportUnusableSetting(
            "CLOCK", "\"" + text + "\" is not a local time YYYY-MM-DD HH:MM[:SS] that exists",
            "the clock runs");
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

void checkSettings() {
    DriveInfo drive;
    driveInfo("C", drive);
    now();
    settingIsTrue("DEBUGGER");
    settingIsTrue("MESSAGEBOX_WAIT");
    settingIsTrue("NETWORK", true);
    settingChoice("WINDOWS", {"NT", "9x"});
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
