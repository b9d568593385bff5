// Reads any line as the command line's LISP reader does. What it reads must
// print, and must come back unchanged from the argument chain a module gets.
#include "adslib.h"
#include "lisp/LispReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using brevant::host::lisp::Value;

// Symbols travel as texts and a text holding a zero byte ends there: such
// values do not come back as they were, by design.
bool travelsWhole(const Value& value) {
    if (value.kind == Value::Symbol || value.kind == Value::Void) {
        return false;
    }
    if (value.kind == Value::String && value.text.find('\0') != std::string::npos) {
        return false;
    }
    for (const Value& item : value.items) {
        if (!travelsWhole(item)) {
            return false;
        }
    }
    return true;
}

// Every value that travels whole, at every depth, comes back as it was.
void checkRoundTrip(const Value& value) {
    if (travelsWhole(value)) {
        resbuf* chain = brevant::host::lisp::toChain({value});
        Value back;
        if (!brevant::host::lisp::fromChain(chain, back, false) ||
            brevant::host::lisp::printValue(back) != brevant::host::lisp::printValue(value)) {
            abort();
        }
        acutRelRb(chain);
        return;
    }
    for (const Value& item : value.items) {
        checkRoundTrip(item);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<Value> expressions;
    if (brevant::host::lisp::readLine(line, expressions) != brevant::host::lisp::ReadError::None) {
        return 0;
    }
    for (const Value& expression : expressions) {
        brevant::host::lisp::printValue(expression);
        checkRoundTrip(expression);
    }
    return 0;
}
