// This definition of acutPrintf takes the place of the editor's in the test
// program, so that each call of the library is seen on its own.
#include "CommandLineRecorder.h"

#include <cstdarg>
#include <cstdio>

#include "adscodes.h"
#include "brevant/editor.h"

namespace brevant::test {

std::vector<std::string>& commandLineCalls() {
    static std::vector<std::string> s_calls;
    return s_calls;
}

std::string commandLineText() {
    std::string text;
    for (const std::string& call : commandLineCalls()) {
        text += call;
    }
    return text;
}

}  // namespace brevant::test

int acutPrintf(const char* format, ...) {
    if (format == nullptr) {
        return RTERROR;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length < 0) {
        va_end(copy);
        return RTERROR;
    }
    std::string text((size_t)length + 1, '\0');
    vsnprintf(&text[0], text.size(), format, copy);
    va_end(copy);
    text.resize((size_t)length);
    brevant::test::commandLineCalls().push_back(text);
    brevant::host::print(text);
    return RTNORM;
}
