#include "lisp/LispValue.h"

#include "adslib.h"
#include "brevant/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brevant::host::lisp {

Value Value::makeInteger(int32_t i) {
    Value v = withKind(Integer);
    v.integer = i;
    return v;
}

Value Value::makeReal(double r) {
    Value v = withKind(Real);
    v.real = r;
    return v;
}

Value Value::makeString(std::string s) {
    Value v = withKind(String);
    v.text = std::move(s);
    return v;
}

Value Value::makeSymbol(std::string s) {
    Value v = withKind(Symbol);
    v.text = std::move(s);
    return v;
}

Value Value::makeList(std::vector<Value> items, bool dotted) {
    if (items.empty()) {
        return nil();  // the empty list is nil
    }
    Value v = withKind(List);
    v.items = std::move(items);
    v.dotted = dotted && v.items.size() >= 2;
    for (const Value& item : v.items) {
        v.nesting = std::max(v.nesting, item.nesting);
        v.itemBytes += footprint(item);
    }
    ++v.nesting;
    return v;
}

std::string printReal(double value) {
    if (std::isnan(value)) {
        return "1.#QNAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-1.#INF" : "1.#INF";
    }
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%.6g", value);
    std::string text = buffer;
    const size_t exponent = text.find('e');
    if (text.find('.') == std::string::npos) {
        text.insert(exponent == std::string::npos ? text.size() : exponent, ".0");
    }
    return text;
}

std::string printString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case 27:
                out += "\\e";
                break;
            default:
                if (c < 32 || c == 127) {
                    char octal[8];
                    snprintf(octal, sizeof(octal), "\\%03o", c);
                    out += octal;
                } else {
                    out += (char)c;
                }
        }
    }
    out += '"';
    return out;
}

namespace {

void printInto(const Value& value, bool escaped, std::string& out) {
    char buffer[64];
    switch (value.kind) {
        case Value::Void:
            break;
        case Value::Nil:
            out += "nil";
            break;
        case Value::True:
            out += "T";
            break;
        case Value::Integer:
            out += std::to_string(value.integer);
            break;
        case Value::Real:
            out += printReal(value.real);
            break;
        case Value::String:
            out += escaped ? printString(value.text) : value.text;
            break;
        case Value::Symbol:
            out += brevant::text::upper(value.text);
            break;
        case Value::List:
            if (value.items.empty()) {
                out += "nil";
                break;
            }
            out += '(';
            for (size_t i = 0; i < value.items.size(); ++i) {
                if (i > 0) {
                    out += (value.dotted && i + 1 == value.items.size()) ? " . " : " ";
                }
                printInto(value.items[i], escaped, out);
            }
            out += ')';
            break;
        case Value::Point2D:
            out += '(' + printReal(value.point[0]) + ' ' + printReal(value.point[1]) + ')';
            break;
        case Value::Point3D:
            out += '(' + printReal(value.point[0]) + ' ' + printReal(value.point[1]) + ' ' +
                   printReal(value.point[2]) + ')';
            break;
        case Value::EntityName:
            snprintf(buffer, sizeof(buffer), "<Entity name: %lx>", (unsigned long)value.name[0]);
            out += buffer;
            break;
        case Value::SelectionSet:
            snprintf(buffer, sizeof(buffer), "<Selection set: %lx>", (unsigned long)value.name[0]);
            out += buffer;
            break;
    }
}

// Appends one node to the chain being built; false when memory ran out.
bool append(resbuf*& head, resbuf*& tail, int type) {
    resbuf* rb = acutNewRb(type);
    if (rb == nullptr) {
        return false;
    }
    (tail == nullptr ? head : tail->rbnext) = rb;
    tail = rb;
    return true;
}

bool appendValue(const Value& value, resbuf*& head, resbuf*& tail) {
    switch (value.kind) {
        case Value::Void:
            return true;
        case Value::Nil:
            return append(head, tail, RTNIL);
        case Value::True:
            return append(head, tail, RTT);
        case Value::Integer:
            if (value.integer >= -32768 && value.integer <= 32767) {
                if (!append(head, tail, RTSHORT)) {
                    return false;
                }
                tail->resval.rint = (short)value.integer;
            } else {
                if (!append(head, tail, RTLONG)) {
                    return false;
                }
                tail->resval.rlong = value.integer;
            }
            return true;
        case Value::Real:
            if (!append(head, tail, RTREAL)) {
                return false;
            }
            tail->resval.rreal = value.real;
            return true;
        case Value::String:
        case Value::Symbol:
            if (!append(head, tail, RTSTR)) {
                return false;
            }
            tail->resval.rstring = strdup(value.text.c_str());
            return tail->resval.rstring != nullptr;
        case Value::Point2D:
        case Value::Point3D:
            if (!append(head, tail, value.kind == Value::Point2D ? RTPOINT : RT3DPOINT)) {
                return false;
            }
            memcpy(tail->resval.rpoint, value.point, sizeof(value.point));
            return true;
        case Value::EntityName:
        case Value::SelectionSet:
            if (!append(head, tail, value.kind == Value::EntityName ? RTENAME : RTPICKS)) {
                return false;
            }
            tail->resval.rlname[0] = value.name[0];
            tail->resval.rlname[1] = value.name[1];
            return true;
        case Value::List:
            if (!append(head, tail, RTLB)) {
                return false;
            }
            for (size_t i = 0; i < value.items.size(); ++i) {
                if (value.dotted && i + 1 == value.items.size() && !append(head, tail, RTDOTE)) {
                    return false;
                }
                if (!appendValue(value.items[i], head, tail)) {
                    return false;
                }
            }
            return append(head, tail, RTLE);
    }
    return false;
}

bool isResultType(int type) {
    return type >= RTNONE && type <= RTRESBUF;
}

// Reads one value from *pNode and steps past it.
bool readValue(const resbuf*& pNode, Value& value, int depth) {
    if (depth > kMaxDepth) {
        return false;
    }
    const resbuf* rb = pNode;
    pNode = rb->rbnext;
    // Group code 0 travels as RTDXF0, since 0 ends a list being built.
    const int type = rb->restype == RTDXF0 ? 0 : rb->restype;
    if (!isResultType(type)) {
        // A node of an entity list: (code . value), or (code x y z) for a point.
        Value code = Value::makeInteger(type);
        switch (acdbGroupCodeToType(type)) {
            case RTSTR:
                value = Value::makeList(
                    {code,
                     Value::makeString(rb->resval.rstring != nullptr ? rb->resval.rstring : "")},
                    true);
                return true;
            case RTSHORT:
                value = Value::makeList({code, Value::makeInteger(rb->resval.rint)}, true);
                return true;
            case RTLONG:
                value = Value::makeList({code, Value::makeInteger(rb->resval.rlong)}, true);
                return true;
            case RTREAL:
                value = Value::makeList({code, Value::makeReal(rb->resval.rreal)}, true);
                return true;
            case RT3DPOINT:
                value = Value::makeList({code, Value::makeReal(rb->resval.rpoint[0]),
                                         Value::makeReal(rb->resval.rpoint[1]),
                                         Value::makeReal(rb->resval.rpoint[2])});
                return true;
            case RTENAME: {
                Value name;
                name.kind = Value::EntityName;
                name.name[0] = rb->resval.rlname[0];
                name.name[1] = rb->resval.rlname[1];
                value = Value::makeList({code, name}, true);
                return true;
            }
            default:
                return false;
        }
    }
    switch (type) {
        case RTSHORT:
            value = Value::makeInteger(rb->resval.rint);
            return true;
        case RTLONG:
            value = Value::makeInteger(rb->resval.rlong);
            return true;
        case RTREAL:
        case RTANG:
        case RTORINT:
            value = Value::makeReal(rb->resval.rreal);
            return true;
        case RTSTR:
            value = Value::makeString(rb->resval.rstring != nullptr ? rb->resval.rstring : "");
            return true;
        case RTNIL:
            value = Value::nil();
            return true;
        case RTT:
            value = Value::t();
            return true;
        case RTVOID:
            // No value: nothing is printed for it, and nil stands for it inside a list.
            value = depth == 0 ? Value::makeVoid() : Value::nil();
            return true;
        case RTPOINT:
        case RT3DPOINT:
            value = Value::nil();
            value.kind = type == RTPOINT ? Value::Point2D : Value::Point3D;
            memcpy(value.point, rb->resval.rpoint, sizeof(value.point));
            if (type == RTPOINT) {
                value.point[2] = 0.0;
            }
            return true;
        case RTENAME:
        case RTPICKS:
            value = Value::nil();
            value.kind = type == RTENAME ? Value::EntityName : Value::SelectionSet;
            value.name[0] = rb->resval.rlname[0];
            value.name[1] = rb->resval.rlname[1];
            return true;
        case RTLB: {
            std::vector<Value> items;
            bool dotted = false;
            while (true) {
                if (pNode == nullptr) {
                    return false;  // no RTLE
                }
                if (pNode->restype == RTLE) {
                    pNode = pNode->rbnext;
                    break;
                }
                if (pNode->restype == RTDOTE) {
                    // One value after the dot, then the list ends.
                    pNode = pNode->rbnext;
                    if (items.empty() || dotted || pNode == nullptr) {
                        return false;
                    }
                    dotted = true;
                    continue;
                }
                Value item;
                if (!readValue(pNode, item, depth + 1)) {
                    return false;
                }
                items.push_back(std::move(item));
                if (dotted) {
                    // The cdr is read; an RTLE may close the list or the chain may stop here.
                    if (pNode != nullptr && pNode->restype == RTLE) {
                        pNode = pNode->rbnext;
                    }
                    break;
                }
            }
            value = Value::makeList(std::move(items), dotted);
            return true;
        }
        default:
            return false;  // RTLE, RTDOTE out of place; RTNONE, RTDXF0, ...
    }
}

}  // namespace

std::string printValue(const Value& value, bool escaped) {
    std::string out;
    printInto(value, escaped, out);
    return out;
}

resbuf* toChain(const std::vector<Value>& values) {
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (const Value& value : values) {
        if (!appendValue(value, head, tail)) {
            acutRelRb(head);
            return nullptr;
        }
    }
    return head;
}

bool fromChain(const resbuf* chain, Value& value, bool wholeChainIsList) {
    if (!wholeChainIsList) {
        return chain != nullptr && readValue(chain, value, 0);
    }
    std::vector<Value> items;
    while (chain != nullptr) {
        Value item;
        if (!readValue(chain, item, 1)) {
            return false;
        }
        items.push_back(std::move(item));
    }
    value = Value::makeList(std::move(items));
    return true;
}

}  // namespace brevant::host::lisp
