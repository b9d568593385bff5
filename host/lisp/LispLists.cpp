// Built-in functions on lists, numbers and truth: list car cdr cons nth length,
// + - * /, = /= < > <= >=, not null. Integers are 32 bits and wrap around as
// the interpreter's do; a real among the arguments makes the result real.
#include "lisp/LispBuiltins.h"

#include "brevant/text.h"
#include "lisp/LispEvaluator.h"

#include <cstring>

namespace brevant::host::lisp {

namespace {

using Args = std::vector<Value>;

int32_t wrapped(int64_t value) {
    return (int32_t)(uint32_t)(uint64_t)value;
}

// ---- Lists ----------------------------------------------------------------------

std::vector<Value> itemsOf(const Value& list, const char* predicate, bool& dotted) {
    std::vector<Value> items;
    if (!listItems(list, items, dotted)) {
        badType(predicate, list);
    }
    return items;
}

// A list that list or cons makes: no deeper than the reader reads, so that
// printing it or handing it to a module cannot exhaust the stack, and no
// larger than kMaxListBytes, so that a loop that doubles a list stops early.
Value madeList(std::vector<Value> items, bool dotted = false) {
    Value list = Value::makeList(std::move(items), dotted);
    if (list.nesting > kMaxDepth) {
        fail("too many nested lists");
    }
    if (list.itemBytes > kMaxListBytes) {
        fail("insufficient memory");
    }
    return list;
}

Value listFunction(const Args& args) {
    return madeList(args);
}

Value carFunction(const Args& args) {
    bool dotted = false;
    const std::vector<Value> items = itemsOf(args[0], "consp", dotted);
    return items.empty() ? Value::nil() : items[0];
}

Value cdrFunction(const Args& args) {
    bool dotted = false;
    std::vector<Value> items = itemsOf(args[0], "consp", dotted);
    if (items.empty()) {
        return Value::nil();
    }
    if (dotted && items.size() == 2) {
        return items[1];  // (a . b) gives b
    }
    items.erase(items.begin());
    return Value::makeList(std::move(items), dotted);
}

Value consFunction(const Args& args) {
    bool dotted = false;
    std::vector<Value> items;
    if (!listItems(args[1], items, dotted)) {
        return madeList({args[0], args[1]}, true);  // a dotted pair
    }
    items.insert(items.begin(), args[0]);
    return madeList(std::move(items), dotted);
}

Value nthFunction(const Args& args) {
    const int32_t index = integerOf(args[0]);
    bool dotted = false;
    const std::vector<Value> items = itemsOf(args[1], "listp", dotted);
    const size_t count = dotted ? items.size() - 1 : items.size();
    return index >= 0 && (size_t)index < count ? items[(size_t)index] : Value::nil();
}

Value lengthFunction(const Args& args) {
    bool dotted = false;
    const std::vector<Value> items = itemsOf(args[0], "listp", dotted);
    if (dotted) {
        badType("listp", args[0]);
    }
    return Value::makeInteger((int32_t)items.size());
}

// ---- Arithmetic -----------------------------------------------------------------

bool anyReal(const Args& args) {
    for (const Value& arg : args) {
        numberOf(arg);  // every argument must be a number
    }
    for (const Value& arg : args) {
        if (arg.kind == Value::Real) {
            return true;
        }
    }
    return false;
}

Value plusFunction(const Args& args) {
    if (anyReal(args)) {
        double sum = 0;
        for (const Value& arg : args) {
            sum += numberOf(arg);
        }
        return Value::makeReal(sum);
    }
    int32_t sum = 0;
    for (const Value& arg : args) {
        sum = wrapped((int64_t)sum + arg.integer);
    }
    return Value::makeInteger(sum);
}

Value minusFunction(const Args& args) {
    if (args.empty()) {
        return Value::makeInteger(0);
    }
    if (anyReal(args)) {
        double result = args.size() == 1 ? -numberOf(args[0]) : numberOf(args[0]);
        for (size_t i = 1; i < args.size(); ++i) {
            result -= numberOf(args[i]);
        }
        return Value::makeReal(result);
    }
    int32_t result = args.size() == 1 ? wrapped(-(int64_t)args[0].integer) : args[0].integer;
    for (size_t i = 1; i < args.size(); ++i) {
        result = wrapped((int64_t)result - args[i].integer);
    }
    return Value::makeInteger(result);
}

Value timesFunction(const Args& args) {
    if (args.empty()) {
        return Value::makeInteger(0);
    }
    if (anyReal(args)) {
        double product = 1;
        for (const Value& arg : args) {
            product *= numberOf(arg);
        }
        return Value::makeReal(product);
    }
    int32_t product = 1;
    for (const Value& arg : args) {
        product = wrapped((int64_t)product * arg.integer);
    }
    return Value::makeInteger(product);
}

Value divideFunction(const Args& args) {
    if (args.empty()) {
        return Value::makeInteger(0);
    }
    if (anyReal(args)) {
        double result = numberOf(args[0]);
        for (size_t i = 1; i < args.size(); ++i) {
            const double divisor = numberOf(args[i]);
            if (divisor == 0) {
                fail("divide by zero");
            }
            result /= divisor;
        }
        return Value::makeReal(result);
    }
    int32_t result = args[0].integer;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].integer == 0) {
            fail("divide by zero");
        }
        result = wrapped((int64_t)result / args[i].integer);  // towards zero
    }
    return Value::makeInteger(result);
}

// ---- Comparison -----------------------------------------------------------------

bool same(const Value& a, const Value& b) {
    if (isNumber(a) && isNumber(b)) {
        return numberOf(a) == numberOf(b);
    }
    if (a.kind != b.kind) {
        return false;
    }
    switch (a.kind) {
        case Value::String:
            return a.text == b.text;
        case Value::Symbol:
            return brevant::text::sameText(a.text, b.text);
        case Value::Nil:
        case Value::True:
            return true;
        default:
            return printValue(a) == printValue(b);
    }
}

// Numbers compare with numbers, texts with texts, by their character codes.
int order(const Value& a, const Value& b) {
    if (a.kind == Value::String) {
        const int result = std::strcmp(a.text.c_str(), textOf(b).c_str());
        return result < 0 ? -1 : result > 0 ? 1 : 0;
    }
    const double x = numberOf(a);
    const double y = numberOf(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

template <bool (*holds)(int)>
Value ordered(const Args& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (!holds(order(args[i], args[i + 1]))) {
            // The rest are still checked for their types, as the interpreter does.
            for (size_t j = i + 1; j + 1 < args.size(); ++j) {
                order(args[j], args[j + 1]);
            }
            return Value::nil();
        }
    }
    if (args.size() == 1) {
        order(args[0], args[0]);
    }
    return Value::t();
}

bool less(int c) {
    return c < 0;
}
bool greater(int c) {
    return c > 0;
}
bool atMost(int c) {
    return c <= 0;
}
bool atLeast(int c) {
    return c >= 0;
}

Value equalFunction(const Args& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (!same(args[i], args[i + 1])) {
            return Value::nil();
        }
    }
    return Value::t();
}

Value notEqualFunction(const Args& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (same(args[i], args[i + 1])) {
            return Value::nil();
        }
    }
    return Value::t();
}

Value notFunction(const Args& args) {
    return truth(!isTrue(args[0]));
}

}  // namespace

const std::vector<Builtin>& listFunctions() {
    static const std::vector<Builtin> s_functions = {
        {"list", 0, -1, listFunction},  {"car", 1, 1, carFunction},
        {"cdr", 1, 1, cdrFunction},     {"cons", 2, 2, consFunction},
        {"nth", 2, 2, nthFunction},     {"length", 1, 1, lengthFunction},
        {"+", 0, -1, plusFunction},     {"-", 0, -1, minusFunction},
        {"*", 0, -1, timesFunction},    {"/", 0, -1, divideFunction},
        {"=", 1, -1, equalFunction},    {"/=", 1, -1, notEqualFunction},
        {"<", 1, -1, ordered<less>},    {">", 1, -1, ordered<greater>},
        {"<=", 1, -1, ordered<atMost>}, {">=", 1, -1, ordered<atLeast>},
        {"not", 1, 1, notFunction},     {"null", 1, 1, notFunction},
    };
    return s_functions;
}

}  // namespace brevant::host::lisp
