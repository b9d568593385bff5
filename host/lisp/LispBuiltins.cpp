// The built-in functions found by name, and the argument checks they share.
#include "lisp/LispBuiltins.h"

#include "brevant/text.h"
#include "lisp/LispEvaluator.h"

#include <map>

namespace brevant::host::lisp {

namespace {

const std::map<std::string, const Builtin*>& byName() {
    static const auto* s_pByName = [] {
        auto* pMap = new std::map<std::string, const Builtin*>;
        for (const auto* table : {&listFunctions(), &textFunctions(), &systemFunctions()}) {
            for (const Builtin& builtin : *table) {
                (*pMap)[brevant::text::upper(builtin.name)] = &builtin;
            }
        }
        return pMap;
    }();
    return *s_pByName;
}

}  // namespace

const Builtin* findBuiltin(const std::string& name) {
    auto it = byName().find(brevant::text::upper(name));
    return it == byName().end() ? nullptr : it->second;
}

std::vector<std::string> builtinNames() {
    std::vector<std::string> names;
    for (const auto& entry : byName()) {
        names.push_back(entry.second->name);
    }
    return names;
}

void badType(const char* predicate, const Value& value) {
    const std::string name = predicate;
    const bool colon = name == "numberp" || name == "fixnump";
    fail("bad argument type: " + name + (colon ? ": " : " ") + printValue(value));
}

double numberOf(const Value& value) {
    if (value.kind == Value::Integer) {
        return value.integer;
    }
    if (value.kind == Value::Real) {
        return value.real;
    }
    badType("numberp", value);
}

int32_t integerOf(const Value& value) {
    if (value.kind != Value::Integer) {
        badType("fixnump", value);
    }
    return value.integer;
}

const std::string& textOf(const Value& value) {
    if (value.kind != Value::String) {
        badType("stringp", value);
    }
    return value.text;
}

bool listItems(const Value& value, std::vector<Value>& items, bool& dotted) {
    items.clear();
    dotted = false;
    switch (value.kind) {
        case Value::Nil:
            return true;
        case Value::List:
            items = value.items;
            dotted = value.dotted;
            return true;
        case Value::Point2D:
        case Value::Point3D:
            for (int i = 0; i < (value.kind == Value::Point2D ? 2 : 3); ++i) {
                items.push_back(Value::makeReal(value.point[i]));
            }
            return true;
        default:
            return false;
    }
}

}  // namespace brevant::host::lisp
