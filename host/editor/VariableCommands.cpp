// SETVAR and GETVAR: system variables set and shown at the command line.
#include "editor/Commands.h"

#include "adslib.h"
#include "brevant/text.h"
#include "editor/Documents.h"
#include "editor/Output.h"
#include "editor/SystemVariables.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brevant::host {

namespace {

using brevant::text::upper;

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = strtod(text.c_str(), &end);
    // Decimal numbers only: no hexadecimal, no inf or nan.
    for (char c : text) {
        if (!(isdigit((unsigned char)c) || c == '.' || c == '-' || c == '+' || c == 'e' ||
              c == 'E')) {
            return false;
        }
    }
    return end != nullptr && *end == 0 && errno == 0 && std::isfinite(value);
}

bool parseCoordinates(const std::string& text, double* values, int& count) {
    count = 0;
    size_t start = 0;
    while (count < 4) {
        const size_t comma = text.find(',', start);
        if (!parseNumber(std::string(brevant::text::trimmed(text.substr(start, comma - start))),
                         values[count])) {
            return false;
        }
        ++count;
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    return buffer;
}

// The value as the SETVAR and GETVAR commands show it: lengths with LUPREC
// decimals, angles in degrees.
std::string shownValue(const VariableInfo& info, const resbuf& value) {
    resbuf precision;
    int decimals = 4;
    if (acedGetVar("LUPREC", &precision) == RTNORM) {
        decimals = precision.resval.rint;
    }
    char buffer[64];
    switch (info.type) {
        case RTSTR:
            return std::string("\"") +
                   (value.resval.rstring != nullptr ? value.resval.rstring : "") + "\"";
        case RTSHORT:
            return std::to_string(value.resval.rint);
        case RTREAL:
            return fixed(value.resval.rreal, decimals);
        case RTANG:
            snprintf(buffer, sizeof(buffer), "%g", value.resval.rreal * 180.0 / M_PI);
            return buffer;
        case RTPOINT:
            return fixed(value.resval.rpoint[0], decimals) + "," +
                   fixed(value.resval.rpoint[1], decimals);
        default:
            return fixed(value.resval.rpoint[0], decimals) + "," +
                   fixed(value.resval.rpoint[1], decimals) + "," +
                   fixed(value.resval.rpoint[2], decimals);
    }
}

}  // namespace

bool getvarCommand(const std::string& arguments) {
    const std::string name = upper(arguments);
    if (name.empty()) {
        say("Requires a variable name: GETVAR <name>.");
        return false;
    }
    VariableInfo info;
    resbuf value;
    if (!findVariable(name, info) || acedGetVar(name.c_str(), &value) != RTNORM) {
        say("Unknown variable name \"" + name + "\".");
        return false;
    }
    const std::string shown = shownValue(info, value);
    if (value.restype == RTSTR) {
        free(value.resval.rstring);
    }
    say(info.name + " = " + shown + (info.readOnly ? " (read only)" : ""));
    return true;
}

bool setvarCommand(const std::string& arguments) {
    std::string name;
    std::string text;
    splitWord(arguments, name, text);
    name = upper(name);
    if (name.empty()) {
        say("Requires a variable name and a value: SETVAR <name> <value>.");
        return false;
    }
    VariableInfo info;
    if (!findVariable(name, info)) {
        say("Unknown variable name \"" + name + "\".");
        return false;
    }
    if (info.readOnly) {
        setErrno(kErrnoReadOnly);
        say("Cannot set " + name + ": it is read-only.");
        return false;
    }
    if (text.empty()) {
        say("Requires a value: SETVAR " + name + " <value>.");
        return false;
    }
    resbuf value;
    memset(&value, 0, sizeof(value));
    value.restype = (short)info.type;
    std::string copy;
    double numbers[4] = {0, 0, 0, 0};
    int count = 0;
    bool parsed = true;
    const char* expected = "";
    switch (info.type) {
        case RTSTR:
            copy = unquoted(text);
            value.resval.rstring = &copy[0];
            break;
        case RTSHORT: {
            expected = "Requires an integer value.";
            char* end = nullptr;
            errno = 0;
            const long number = strtol(text.c_str(), &end, 10);
            parsed = end != nullptr && *end == 0 && errno == 0;
            if (parsed && (number < -32768 || number > 32767)) {
                value.restype = RTLONG;  // out of range: the variable refuses it
                value.resval.rlong = (int32_t)std::max(-2147483647L, std::min(2147483647L, number));
            } else {
                value.resval.rint = (short)number;
            }
            break;
        }
        case RTREAL:
        case RTANG:
            expected = info.type == RTANG ? "Requires an angle in degrees." : "Requires a number.";
            parsed = parseNumber(text, numbers[0]);
            value.resval.rreal = info.type == RTANG ? numbers[0] * M_PI / 180.0 : numbers[0];
            break;
        case RTPOINT:
            expected = "Requires a point: x,y.";
            parsed = parseCoordinates(text, numbers, count) && count == 2;
            value.resval.rpoint[0] = numbers[0];
            value.resval.rpoint[1] = numbers[1];
            break;
        default:
            expected = "Requires a point: x,y,z.";
            parsed = parseCoordinates(text, numbers, count) && (count == 2 || count == 3);
            value.resval.rpoint[0] = numbers[0];
            value.resval.rpoint[1] = numbers[1];
            value.resval.rpoint[2] = numbers[2];
            break;
    }
    if (!parsed) {
        say(std::string("Cannot set ") + name + " to " + text + ": " + expected);
        return false;
    }
    if (acedSetVar(name.c_str(), &value) != RTNORM) {
        const char* reason = lastErrno() == kErrnoZero ? "zero is not allowed."
                             : name == "PROJECTNAME" && docManager().current() == nullptr
                                 ? "no drawing is open."
                                 : "value out of range.";
        say("Cannot set " + name + " to " + text + ": " + reason);
        return false;
    }
    return true;
}

}  // namespace brevant::host
