// Inside the host: the values of the LISP interpreter, how they are printed,
// and how they travel to and from a module as result-buffer chains.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct resbuf;

namespace brevant::host::lisp {

// Deepest nesting of lists that the reader, the printer and the conversions
// accept; deeper input is refused, so that no input can exhaust the stack.
constexpr int kMaxDepth = 200;

struct Value {
    enum Kind {
        Void,  // a function that set no result: nothing is printed
        Nil,
        True,     // T
        Integer,  // 32 bits, as the interpreter's integers
        Real,
        String,
        Symbol,  // only in what the reader reads; evaluation turns it into a value
        List,    // items; with dotted, the last item is the cdr of a dotted pair
        Point2D,
        Point3D,
        EntityName,
        SelectionSet,
    };

    Kind kind = Nil;
    int32_t integer = 0;
    double real = 0.0;
    std::string text;  // String: the text; Symbol: the name as read
    std::vector<Value> items;
    bool dotted = false;
    int nesting = 0;       // a list: 1 + the deepest nesting among its items; 0 for other values
    size_t itemBytes = 0;  // a list: the memory its items hold (footprint of each)
    double point[3] = {0.0, 0.0, 0.0};
    intptr_t name[2] = {0, 0};

    static Value makeVoid() { return withKind(Void); }
    static Value nil() { return withKind(Nil); }
    static Value t() { return withKind(True); }
    static Value makeInteger(int32_t i);
    static Value makeReal(double r);
    static Value makeString(std::string s);
    static Value makeSymbol(std::string s);
    static Value makeList(std::vector<Value> items, bool dotted = false);

private:
    static Value withKind(Kind kind) {
        Value v;
        v.kind = kind;
        return v;
    }
};

// The memory a value holds, roughly: itself, its text, its items.
inline size_t footprint(const Value& value) {
    return sizeof(Value) + value.text.size() + value.itemBytes;
}

// The value as the interpreter prints it: nil, T, 42, 2.5, "a\"b", (1 "x"),
// (1 . 2), <Entity name: 7ef8a>. Void prints as nothing. Unescaped (as princ
// prints), texts at every depth show as they are, without quotes.
std::string printValue(const Value& value, bool escaped = true);
// A real as the interpreter prints it: six significant digits, always with a
// decimal point (2.0, 0.333333, 1.0e+20).
std::string printReal(double value);
// A text in double quotes with \" \\ \n \t \r \e and \nnn for other control characters.
std::string printString(const std::string& text);

// The argument chain a module reads with acedGetArgs: integers of 16 bits as
// RTSHORT, wider ones as RTLONG, reals RTREAL, texts RTSTR, nil RTNIL, T RTT,
// lists between RTLB and RTLE (a dotted pair with RTDOTE before its cdr).
// Released with acutRelRb; NULL for no values.
resbuf* toChain(const std::vector<Value>& values);

// The value of a chain that a module hands back. A chain that begins with
// RTLB is one list; entity-list nodes (group codes) become dotted pairs such
// as (8 . "0"). False for a malformed chain (unbalanced RTLB/RTLE, too deep,
// a type the interpreter has no value for).
bool fromChain(const resbuf* chain, Value& value, bool wholeChainIsList);

}  // namespace brevant::host::lisp
