// Compiles the input up to its first zero byte as a pattern and, when it
// compiles, runs it against the rest of the input as text. The matcher's step
// limit is kept tight here: a pattern whose repetitions nest gives up after a
// few milliseconds rather than the second the default allows, so the fuzzer
// goes on to other inputs instead of waiting on each such one.
#include <cstdint>
#include <cstring>
#include <string>

#include "RegExp.h"

namespace {

const long kStepLimit = 20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string sInput(reinterpret_cast<const char*>(data), size);
    const size_t uZero = sInput.find('\0');
    const std::string sPattern = sInput.substr(0, uZero);
    const std::string sText = uZero == std::string::npos ? std::string() : sInput.substr(uZero + 1);

    CRegExp regexp;
    regexp.setStepLimit(kStepLimit);
    if (regexp.compile(sPattern.c_str()) == nullptr) {
        return 0;
    }
    const int iOffset = regexp.regexec(sText.c_str());
    if (iOffset != -1) {
        // The match lies inside the text and its text is the stretch found.
        const size_t uTextLength = strlen(sText.c_str());
        const int iEnd = regexp.getGroupEnd(0);
        if (iOffset < 0 || static_cast<size_t>(iEnd) > uTextLength || iEnd < iOffset ||
            regexp.getMatch() == nullptr ||
            strncmp(regexp.getMatch(), sText.c_str() + iOffset, iEnd - iOffset) != 0 ||
            strlen(regexp.getMatch()) != static_cast<size_t>(iEnd - iOffset)) {
            __builtin_trap();
        }
    }
    return 0;
}
