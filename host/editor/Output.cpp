// The command line's output: acutPrintf, the editor's own messages, the
// transcript kept in memory and the TRANSCRIPT file.
#include "adslib.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "editor/Output.h"
#include "win/files.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace brevant::host {

namespace {

// The in-memory transcript keeps at most this much; beyond it the oldest
// half goes, so that a long session cannot use up memory.
constexpr size_t kMaxTranscript = 16u << 20;

struct Output {
    std::string transcript;
    bool console = true;
    bool atLineStart = true;
    bool fileChecked = false;
    HANDLE file = nullptr;  // the TRANSCRIPT file, appended to
};

Output& output() {
    static Output* s_pOutput = new Output;
    return *s_pOutput;
}

void transcriptProblem(const std::string& path, const std::string& reason) {
    fprintf(stderr, "brevant-editor: cannot write the transcript %s: %s\n", path.c_str(),
            reason.c_str());
    fflush(stderr);
}

// The TRANSCRIPT file, opened for appending when first needed: every write
// lands whole at its end, as another editor may append to it too.
HANDLE transcriptFile() {
    Output& out = output();
    if (out.fileChecked) {
        return out.file;
    }
    out.fileChecked = true;
    const std::string path = brevant::platform::setting("TRANSCRIPT");
    if (path.empty()) {
        return nullptr;
    }
    std::string native;
    if (!brevant::platform::toNativePath(path, native)) {
        transcriptProblem(path, "its drive is not mapped");
        return nullptr;
    }
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        transcriptProblem(path, brevant::platform::errorText(GetLastError()));
        return nullptr;
    }
    out.file = file;
    return out.file;
}

}  // namespace

namespace {

void write(const std::string& text, bool toConsole) {
    if (text.empty()) {
        return;
    }
    Output& out = output();
    if (toConsole && out.console) {
        fwrite(text.data(), 1, text.size(), stdout);
        fflush(stdout);
    }
    if (HANDLE file = transcriptFile()) {
        DWORD written = 0;
        if (!WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr)) {
            // Said once; the command line goes on without the file.
            transcriptProblem(brevant::platform::setting("TRANSCRIPT"),
                              brevant::platform::errorText(GetLastError()));
            CloseHandle(file);
            out.file = nullptr;
        }
    }
    out.transcript += text;
    if (out.transcript.size() > kMaxTranscript) {
        out.transcript.erase(0, out.transcript.size() - kMaxTranscript / 2);
    }
    out.atLineStart = text.back() == '\n';
}

}  // namespace

void print(const std::string& text) {
    write(text, true);
}

void recordInput(const std::string& text) {
    write(text, false);
}

void endLine() {
    if (!output().atLineStart) {
        print("\n");
    }
}

void say(const std::string& text) {
    endLine();
    print(text + "\n");
}

const std::string& transcript() {
    return output().transcript;
}

void clearTranscript() {
    Output& out = output();
    out.transcript.clear();
    out.atLineStart = true;
    if (out.file != nullptr) {
        CloseHandle(out.file);
        out.file = nullptr;
    }
    out.fileChecked = false;
}

void setConsoleOutput(bool on) {
    output().console = on;
}

}  // namespace brevant::host

// Prints on the command line. Output longer than the longest command line is
// cut there.
int acutPrintf(const char* format, ...) {
    if (format == nullptr) {
        return RTERROR;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int length = vsnprintf(small, sizeof(small), format, args);
    va_end(args);
    if (length < 0) {
        va_end(copy);
        return RTERROR;
    }
    if ((size_t)length < sizeof(small)) {
        va_end(copy);
        brevant::host::print(std::string(small, (size_t)length));
        return RTNORM;
    }
    const size_t size = std::min((size_t)length, brevant::host::kMaxLineLength);
    std::string text(size + 1, '\0');
    vsnprintf(&text[0], text.size(), format, copy);
    va_end(copy);
    text.resize(size);
    brevant::host::print(text);
    return RTNORM;
}
