// The debugger calls and message boxes: the debugger's output is the error
// output, and a message box is its caption and text there.
#include "brevant/platform.h"
#include "win/messages.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

std::mutex g_captureMutex;
std::vector<std::string>* g_debugSink = nullptr;
std::vector<brevant::platform::MessageBoxCall>* g_boxSink = nullptr;

// Linux names the process that traces this one in /proc/self/status. The
// answer is kept for a tenth of a second: the module asks before every trace
// line, and reading the status is the dearest part of a trace line, while a
// debugger attached is still noticed at once for a person.
bool tracerAttached() {
    static std::mutex mutex;
    static std::chrono::steady_clock::time_point checked;
    static bool attached = false;
    std::lock_guard<std::mutex> lock(mutex);
    const auto now = std::chrono::steady_clock::now();
    if (checked.time_since_epoch().count() != 0 && now - checked < std::chrono::milliseconds(100)) {
        return attached;
    }
    checked = now;
    attached = false;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 10, "TracerPid:") == 0) {
            attached = atol(line.c_str() + 10) != 0;
            break;
        }
    }
    return attached;
}

}  // namespace

namespace brevant::platform {

void captureDebugOutput(std::vector<std::string>* sink) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    g_debugSink = sink;
}

void captureMessageBoxes(std::vector<MessageBoxCall>* sink) {
    std::lock_guard<std::mutex> lock(g_captureMutex);
    g_boxSink = sink;
}

}  // namespace brevant::platform

// True when a debugger traces the process or the setting DEBUGGER is true.
extern "C" BOOL WINAPI IsDebuggerPresent(void) {
    return (brevant::platform::settingIsTrue("DEBUGGER") || tracerAttached()) ? TRUE : FALSE;
}

// The text goes to the error output, as it stands, when a debugger is present.
extern "C" void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    const char* text = lpOutputString != nullptr ? lpOutputString : "";
    {
        std::lock_guard<std::mutex> lock(g_captureMutex);
        if (g_debugSink != nullptr) {
            g_debugSink->push_back(text);
            return;
        }
    }
    if (IsDebuggerPresent()) {
        fputs(text, stderr);
        fflush(stderr);
    }
}

// Caption and text on the error output; waits for Enter only when the setting
// MESSAGEBOX_WAIT is true and the input is a terminal. The answer is the
// box's affirmative button: IDOK, or IDYES for a yes/no box.
extern "C" int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    const std::string text = lpText != nullptr ? lpText : "";
    const std::string caption = lpCaption != nullptr ? lpCaption : "Error";
    const UINT buttons = uType & 0x0F;
    const int answer = (buttons == MB_YESNO || buttons == 3 /* yes, no, cancel */) ? IDYES : IDOK;
    {
        std::lock_guard<std::mutex> lock(g_captureMutex);
        if (g_boxSink != nullptr) {
            g_boxSink->push_back({caption, text, uType});
            return answer;
        }
    }
    fprintf(stderr, "\n[%s]\n%s\n", caption.c_str(), text.c_str());
    if (brevant::platform::settingIsTrue("MESSAGEBOX_WAIT") && isatty(STDIN_FILENO)) {
        fputs("(press Enter to continue)", stderr);
        fflush(stderr);
        int ch;
        while ((ch = getchar()) != EOF && ch != '\n') {
        }
    }
    fflush(stderr);
    return answer;
}
