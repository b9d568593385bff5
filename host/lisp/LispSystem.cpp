// Built-in functions that reach the editor: getvar setvar (its system
// variables), findfile and load (files on its support path).
#include "lisp/LispBuiltins.h"

#include "adslib.h"
#include "brevant/files.h"
#include "brevant/platform.h"
#include "editor/FileReader.h"
#include "editor/SupportPath.h"
#include "lisp/Lisp.h"
#include "lisp/LispEvaluator.h"
#include "lisp/LispReader.h"
#include "win/files.h"

#include <cstdlib>
#include <cstring>
#include <istream>
#include <iterator>

namespace brevant::host::lisp {

namespace {

using Args = std::vector<Value>;

// Largest .lsp file that load reads.
constexpr size_t kMaxFileSize = 16u << 20;

Value getvarFunction(const Args& args) {
    resbuf value;
    if (acedGetVar(textOf(args[0]).c_str(), &value) != RTNORM) {
        return Value::nil();
    }
    switch (value.restype) {
        case RTSTR: {
            Value text =
                Value::makeString(value.resval.rstring != nullptr ? value.resval.rstring : "");
            free(value.resval.rstring);
            return text;
        }
        case RTSHORT:
            return Value::makeInteger(value.resval.rint);
        case RTLONG:
            return Value::makeInteger(value.resval.rlong);
        case RTREAL:
        case RTANG:
            return Value::makeReal(value.resval.rreal);
        case RTPOINT:
        case RT3DPOINT: {
            Value point;
            point.kind = value.restype == RTPOINT ? Value::Point2D : Value::Point3D;
            memcpy(point.point, value.resval.rpoint, sizeof point.point);
            return point;
        }
        default:
            return Value::nil();
    }
}

// The value as the editor's variable calls take it; false for a value that
// no variable holds.
bool toResbuf(const Value& value, resbuf& rb, std::string& text) {
    memset(&rb, 0, sizeof rb);
    switch (value.kind) {
        case Value::String:
            text = value.text;
            rb.restype = RTSTR;
            rb.resval.rstring = &text[0];
            return true;
        case Value::Integer:
            if (value.integer >= -32768 && value.integer <= 32767) {
                rb.restype = RTSHORT;
                rb.resval.rint = (short)value.integer;
            } else {
                rb.restype = RTLONG;
                rb.resval.rlong = value.integer;
            }
            return true;
        case Value::Real:
            rb.restype = RTREAL;
            rb.resval.rreal = value.real;
            return true;
        default: {
            std::vector<Value> items;
            bool dotted = false;
            if (!listItems(value, items, dotted) || dotted || items.size() < 2 ||
                items.size() > 3) {
                return false;
            }
            for (size_t i = 0; i < items.size(); ++i) {
                if (!isNumber(items[i])) {
                    return false;
                }
                rb.resval.rpoint[i] = numberOf(items[i]);
            }
            rb.restype = items.size() == 2 ? RTPOINT : RT3DPOINT;
            return true;
        }
    }
}

Value setvarFunction(const Args& args) {
    const std::string& name = textOf(args[0]);
    resbuf rb;
    std::string text;
    if (!toResbuf(args[1], rb, text) || acedSetVar(name.c_str(), &rb) != RTNORM) {
        fail("AutoCAD variable setting rejected: " + printValue(args[0]) + " " +
             printValue(args[1]));
    }
    return getvarFunction({args[0]});
}

Value findfileFunction(const Args& args) {
    const std::string found = findSupportFile(textOf(args[0]));
    return found.empty() ? Value::nil() : Value::makeString(found);
}

bool hasExtension(const std::string& name) {
    const size_t slash = name.find_last_of("\\/");
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// The whole file through the platform's file calls; false when it cannot be
// read or is larger than kMaxFileSize.
bool readWhole(const std::string& path, std::string& content) {
    FileReader file;
    if (file.open(path) != ERROR_SUCCESS) {
        return false;
    }
    std::istream in(&file);
    content.clear();
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, (size_t)in.gcount());
        if (content.size() > kMaxFileSize) {
            return false;
        }
    }
    return file.readError() == ERROR_SUCCESS;
}

// (load name [onfailure]): a name without an extension is looked for with
// ".lsp" first. When the file cannot be found or read, the value of onfailure
// if given, else the error "LOAD failed".
Value loadFunction(const Args& args) {
    const std::string& name = textOf(args[0]);
    std::string path = hasExtension(name) ? "" : findSupportFile(name + ".lsp");
    if (path.empty()) {
        path = findSupportFile(name);
    }
    std::string content;
    if (path.empty() || !readWhole(path, content)) {
        if (args.size() == 2) {
            return args[1];
        }
        fail("LOAD failed: " + printValue(args[0]));
    }
    std::vector<Value> expressions;
    const ReadError error = readLine(content, expressions);
    if (error != ReadError::None) {
        throw Error{readErrorText(error)};
    }
    Value result = Value::nil();
    for (const Value& expression : expressions) {
        result = evaluate(expression);
    }
    return result;
}

}  // namespace

const std::vector<Builtin>& systemFunctions() {
    static const std::vector<Builtin> s_functions = {
        {"getvar", 1, 1, getvarFunction},
        {"setvar", 2, 2, setvarFunction},
        {"findfile", 1, 1, findfileFunction},
        {"load", 1, 2, loadFunction},
    };
    return s_functions;
}

}  // namespace brevant::host::lisp
