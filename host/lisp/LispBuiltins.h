// Inside the host: the interpreter's built-in functions, which take their
// arguments evaluated, and the checks of argument types they share. The
// tables are kept by subject: lists, numbers and logic (LispLists.cpp),
// texts and printing (LispText.cpp), the editor's variables and files
// (LispSystem.cpp).
#pragma once

#include "lisp/LispValue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brevant::host::lisp {

struct Builtin {
    const char* name;  // lower case, as people write it
    int minimum;       // arguments
    int maximum;       // -1: any number
    Value (*call)(const std::vector<Value>& args);
};

const std::vector<Builtin>& listFunctions();
const std::vector<Builtin>& textFunctions();
const std::vector<Builtin>& systemFunctions();

// The built-in function of a name (any letter case); NULL when there is none.
const Builtin* findBuiltin(const std::string& name);
// Every built-in function's name, lower case.
std::vector<std::string> builtinNames();

// ---- Values and the interpreter's argument errors --------------------------------

// nil (and Void, no value) is false; everything else is true.
inline bool isTrue(const Value& value) {
    return value.kind != Value::Nil && value.kind != Value::Void;
}
inline Value truth(bool value) {
    return value ? Value::t() : Value::nil();
}
inline bool isNumber(const Value& value) {
    return value.kind == Value::Integer || value.kind == Value::Real;
}

// "; error: bad argument type: <predicate> <value>" as the interpreter words
// it: "numberp: 1" and "fixnump: 1.5" with a colon, "stringp 1" and the other
// predicates without.
[[noreturn]] void badType(const char* predicate, const Value& value);

// The argument as a number (numberp), an integer (fixnump) or a text (stringp).
double numberOf(const Value& value);
int32_t integerOf(const Value& value);
const std::string& textOf(const Value& value);

// The items of a list: nil gives none, a point its coordinates. False when the
// value is no list (the items are left empty).
bool listItems(const Value& value, std::vector<Value>& items, bool& dotted);

// Longest text a function makes; longer is "; error: string too long", so that
// no loop can use up the editor's memory one text at a time.
constexpr size_t kMaxTextLength = 16u << 20;
// Most memory one list that list or cons makes may hold; more is
// "; error: insufficient memory".
constexpr size_t kMaxListBytes = 32u << 20;

}  // namespace brevant::host::lisp
