// Built-in functions on texts and printing: strcat substr strlen strcase, itoa
// atoi rtos atof, princ prin1 print terpri. Printing goes to the command line.
#include "lisp/LispBuiltins.h"

#include "adslib.h"
#include "brevant/editor.h"
#include "brevant/text.h"
#include "lisp/LispEvaluator.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace brevant::host::lisp {

namespace {

using Args = std::vector<Value>;

Value strcatFunction(const Args& args) {
    std::string text;
    for (const Value& arg : args) {
        const std::string& part = textOf(arg);
        if (text.size() + part.size() > kMaxTextLength) {
            fail("string too long");
        }
        text += part;
    }
    return Value::makeString(std::move(text));
}

// (substr text start [length]): start counts from 1.
Value substrFunction(const Args& args) {
    const std::string& text = textOf(args[0]);
    const int32_t start = integerOf(args[1]);
    if (start < 1) {
        fail("bad argument value: positive " + std::to_string(start));
    }
    int32_t length = (int32_t)text.size();
    if (args.size() == 3) {
        length = integerOf(args[2]);
        if (length < 0) {
            fail("bad argument value: non-negative " + std::to_string(length));
        }
    }
    if ((size_t)start > text.size()) {
        return Value::makeString("");
    }
    return Value::makeString(text.substr((size_t)start - 1, (size_t)length));
}

Value strlenFunction(const Args& args) {
    size_t length = 0;
    for (const Value& arg : args) {
        length += textOf(arg).size();
    }
    return Value::makeInteger((int32_t)length);
}

// (strcase text [lower]): upper case, or lower case when the second argument is not nil.
Value strcaseFunction(const Args& args) {
    const std::string& text = textOf(args[0]);
    const bool toLower = args.size() == 2 && isTrue(args[1]);
    return Value::makeString(toLower ? brevant::text::lower(text) : brevant::text::upper(text));
}

Value itoaFunction(const Args& args) {
    return Value::makeString(std::to_string(integerOf(args[0])));
}

// The integer the text begins with (after blanks); 0 when it begins with none.
Value atoiFunction(const Args& args) {
    errno = 0;
    long long value = strtoll(textOf(args[0]).c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        value = INT32_MAX;
    } else if (value < INT32_MIN) {
        value = INT32_MIN;
    }
    return Value::makeInteger((int32_t)value);
}

Value atofFunction(const Args& args) {
    return Value::makeReal(strtod(textOf(args[0]).c_str(), nullptr));
}

// (rtos number [mode [precision]]): mode 1 scientific, 2 decimal (the
// default); the precision defaults to the LUPREC variable.
Value rtosFunction(const Args& args) {
    const double value = numberOf(args[0]);
    const int32_t mode = args.size() > 1 ? integerOf(args[1]) : 2;
    int32_t precision = 4;
    if (args.size() > 2) {
        precision = integerOf(args[2]);
    } else {
        resbuf luprec;
        if (acedGetVar("LUPREC", &luprec) == RTNORM) {
            precision = luprec.resval.rint;
        }
    }
    if (mode != 1 && mode != 2) {
        fail("bad argument value: " + std::to_string(mode));
    }
    if (precision < 0 || precision > 8) {
        fail("bad argument value: " + std::to_string(precision));
    }
    char buffer[512];
    snprintf(buffer, sizeof buffer, mode == 1 ? "%.*E" : "%.*f", (int)precision, value);
    return Value::makeString(buffer);
}

// (princ x), (prin1 x): the value printed without and with escapes; no
// argument prints nothing and gives no value (the quiet end of a function).
Value princFunction(const Args& args) {
    if (args.empty()) {
        return Value::makeVoid();
    }
    host::print(printValue(args[0], false));
    return args[0];
}

Value prin1Function(const Args& args) {
    if (args.empty()) {
        return Value::makeVoid();
    }
    host::print(printValue(args[0]));
    return args[0];
}

// (print x): a new line, the value with escapes, a blank.
Value printFunction(const Args& args) {
    host::print("\n");
    if (args.empty()) {
        return Value::makeVoid();
    }
    host::print(printValue(args[0]) + " ");
    return args[0];
}

Value terpriFunction(const Args&) {
    host::print("\n");
    return Value::nil();
}

}  // namespace

const std::vector<Builtin>& textFunctions() {
    static const std::vector<Builtin> s_functions = {
        {"strcat", 0, -1, strcatFunction}, {"substr", 2, 3, substrFunction},
        {"strlen", 0, -1, strlenFunction}, {"strcase", 1, 2, strcaseFunction},
        {"itoa", 1, 1, itoaFunction},      {"atoi", 1, 1, atoiFunction},
        {"rtos", 1, 3, rtosFunction},      {"atof", 1, 1, atofFunction},
        {"princ", 0, 1, princFunction},    {"prin1", 0, 1, prin1Function},
        {"print", 0, 1, printFunction},    {"terpri", 0, 0, terpriFunction},
    };
    return s_functions;
}

}  // namespace brevant::host::lisp
