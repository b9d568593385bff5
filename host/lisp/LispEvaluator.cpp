// The interpreter's evaluation: symbols, special forms, functions defined with
// defun and their dynamically bound variables, and the order in which a name
// in first place finds its function.
#include "lisp/LispEvaluator.h"

#include "brevant/text.h"
#include "editor/Documents.h"
#include "lisp/Lisp.h"
#include "lisp/LispBuiltins.h"

#include <atomic>
#include <map>
#include <memory>
#include <optional>

namespace brevant::host::lisp {

namespace {

using brevant::text::upper;

struct UserFunction {
    std::string name;  // as written
    std::vector<std::string> parameters;
    std::vector<std::string> locals;
    std::vector<Value> body;
};

struct Namespace {
    std::map<std::string, Value> variables;  // upper-case name
    std::map<std::string, std::shared_ptr<const UserFunction>> functions;
};

// Shared, so that a call keeps its namespace even if its drawing closes meanwhile.
std::map<const AcApDocument*, std::shared_ptr<Namespace>>& namespaces() {
    static auto* s_pNamespaces = new std::map<const AcApDocument*, std::shared_ptr<Namespace>>;
    return *s_pNamespaces;
}

std::shared_ptr<Namespace> currentNamespace() {
    std::shared_ptr<Namespace>& space = namespaces()[docManager().current()];
    if (!space) {
        space = std::make_shared<Namespace>();
    }
    return space;
}

std::atomic<bool> g_cancel{false};
int g_depth = 0;

class DepthScope {
public:
    DepthScope() {
        if (g_depth >= kMaxEvaluationDepth) {
            fail("stack overflow");
        }
        ++g_depth;
    }
    ~DepthScope() { --g_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};

// Names bound for the length of a call (parameters, local variables, the
// variable of foreach), their earlier values given back at its end, however
// it ends.
class Bindings {
public:
    explicit Bindings(std::shared_ptr<Namespace> space) : m_space(std::move(space)) {}
    ~Bindings() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second) {
                m_space->variables[it->first] = *it->second;
            } else {
                m_space->variables.erase(it->first);
            }
        }
    }
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

    void bind(const std::string& name, const Value& value) {
        auto it = m_space->variables.find(name);
        m_saved.emplace_back(
            name, it == m_space->variables.end() ? std::nullopt : std::optional<Value>(it->second));
        set(name, value);
    }
    void set(const std::string& name, const Value& value) {
        if (isTrue(value)) {
            m_space->variables[name] = value;
        } else {
            m_space->variables.erase(name);
        }
    }

private:
    std::shared_ptr<Namespace> m_space;
    std::vector<std::pair<std::string, std::optional<Value>>> m_saved;
};

// The value of an argument: nil where a function gave none.
Value used(Value value) {
    return value.kind == Value::Void ? Value::nil() : value;
}

void checkCount(size_t count, int minimum, int maximum) {
    if ((int)count < minimum) {
        fail("too few arguments");
    }
    if (maximum >= 0 && (int)count > maximum) {
        fail("too many arguments");
    }
}

const std::string& symbolName(const Value& value) {
    if (value.kind != Value::Symbol) {
        badType("symbolp", value);
    }
    return value.text;
}

// The value of the last expression; nil for none.
Value evaluateBody(const std::vector<Value>& items, size_t first) {
    Value result = Value::nil();
    for (size_t i = first; i < items.size(); ++i) {
        result = evaluate(items[i]);
    }
    return result;
}

// ---- Special forms: their arguments are not evaluated first ---------------------

using Arguments = std::vector<Value>;  // the whole form: items[0] is the name

Value quoteForm(const Arguments& form) {
    checkCount(form.size() - 1, 1, 1);
    return form[1];
}

Value setqForm(const Arguments& form) {
    if (form.size() < 3 || form.size() % 2 == 0) {
        fail("too few arguments");
    }
    Value value;
    for (size_t i = 1; i + 1 < form.size(); i += 2) {
        const std::string name = upper(symbolName(form[i]));
        value = used(evaluate(form[i + 1]));
        setVariable(name, value);
    }
    return value;
}

Value ifForm(const Arguments& form) {
    checkCount(form.size() - 1, 2, 3);
    if (isTrue(evaluate(form[1]))) {
        return evaluate(form[2]);
    }
    return form.size() == 4 ? evaluate(form[3]) : Value::nil();
}

Value condForm(const Arguments& form) {
    for (size_t i = 1; i < form.size(); ++i) {
        const Value& clause = form[i];
        if (clause.kind != Value::List || clause.dotted) {
            badType("consp", clause);
        }
        Value test = evaluate(clause.items[0]);
        if (isTrue(test)) {
            return clause.items.size() == 1 ? test : evaluateBody(clause.items, 1);
        }
    }
    return Value::nil();
}

Value andForm(const Arguments& form) {
    for (size_t i = 1; i < form.size(); ++i) {
        if (!isTrue(evaluate(form[i]))) {
            return Value::nil();
        }
    }
    return Value::t();
}

Value orForm(const Arguments& form) {
    for (size_t i = 1; i < form.size(); ++i) {
        if (isTrue(evaluate(form[i]))) {
            return Value::t();
        }
    }
    return Value::nil();
}

Value prognForm(const Arguments& form) {
    return evaluateBody(form, 1);
}

void checkCancel() {
    if (g_cancel.exchange(false)) {
        fail("Function cancelled");
    }
}

Value whileForm(const Arguments& form) {
    checkCount(form.size() - 1, 1, -1);
    Value result = Value::nil();
    while (isTrue(evaluate(form[1]))) {
        checkCancel();
        result = evaluateBody(form, 2);
    }
    return result;
}

Value repeatForm(const Arguments& form) {
    checkCount(form.size() - 1, 1, -1);
    const int32_t count = integerOf(used(evaluate(form[1])));
    Value result = Value::nil();
    for (int32_t i = 0; i < count; ++i) {
        checkCancel();
        result = evaluateBody(form, 2);
    }
    return result;
}

Value foreachForm(const Arguments& form) {
    checkCount(form.size() - 1, 2, -1);
    const std::string name = upper(symbolName(form[1]));
    const Value list = used(evaluate(form[2]));
    std::vector<Value> items;
    bool dotted = false;
    if (!listItems(list, items, dotted) || dotted) {
        badType("listp", list);
    }
    Bindings bindings(currentNamespace());
    bindings.bind(name, Value::nil());
    Value result = Value::nil();
    for (const Value& item : items) {
        checkCancel();
        bindings.set(name, item);
        result = evaluateBody(form, 3);
    }
    return result;
}

// (defun name (parameter ... / local ...) expression ...)
Value defunForm(const Arguments& form) {
    checkCount(form.size() - 1, 2, -1);
    auto function = std::make_shared<UserFunction>();
    function->name = symbolName(form[1]);
    const Value& list = form[2];
    if (list.kind != Value::Nil && (list.kind != Value::List || list.dotted)) {
        badType("listp", list);
    }
    bool local = false;
    for (const Value& item : list.items) {
        const std::string name = upper(symbolName(item));
        if (name == "/" && !local) {
            local = true;
        } else {
            (local ? function->locals : function->parameters).push_back(name);
        }
    }
    function->body.assign(form.begin() + 3, form.end());
    currentNamespace()->functions[upper(function->name)] = function;
    return Value::makeSymbol(function->name);
}

struct SpecialForm {
    const char* name;
    Value (*run)(const Arguments& form);
};

const SpecialForm kSpecialForms[] = {
    {"and", andForm},       {"cond", condForm}, {"defun", defunForm}, {"foreach", foreachForm},
    {"if", ifForm},         {"or", orForm},     {"progn", prognForm}, {"quote", quoteForm},
    {"repeat", repeatForm}, {"setq", setqForm}, {"while", whileForm},
};

const SpecialForm* findSpecialForm(const std::string& name) {
    for (const SpecialForm& form : kSpecialForms) {
        if (brevant::text::sameText(form.name, name)) {
            return &form;
        }
    }
    return nullptr;
}

Value callFunction(const Value& expression) {
    const Value& head = expression.items[0];
    if (head.kind != Value::Symbol || expression.dotted) {
        fail("bad function: " + printValue(head));
    }
    if (const SpecialForm* form = findSpecialForm(head.text)) {
        return form->run(expression.items);
    }
    const std::string name = upper(head.text);
    std::shared_ptr<const UserFunction> user;
    {
        const auto& functions = currentNamespace()->functions;
        auto it = functions.find(name);
        if (it != functions.end()) {
            user = it->second;
        }
    }
    const bool isModuleFunction = !user && hasModuleFunction(name);
    const Builtin* builtin = user || isModuleFunction ? nullptr : findBuiltin(name);
    if (!user && !isModuleFunction && builtin == nullptr) {
        fail("no function definition: " + name);
    }
    std::vector<Value> args;
    args.reserve(expression.items.size() - 1);
    for (size_t i = 1; i < expression.items.size(); ++i) {
        args.push_back(used(evaluate(expression.items[i])));
    }
    Value result;
    if (user) {
        callUserFunction(name, args, result);
        return result;
    }
    if (isModuleFunction) {
        callModuleFunction(name, args, result);
        return result;
    }
    checkCount(args.size(), builtin->minimum, builtin->maximum);
    return builtin->call(args);
}

}  // namespace

void fail(const std::string& reason) {
    throw Error{"; error: " + reason};
}

Value evaluate(const Value& expression) {
    switch (expression.kind) {
        case Value::Symbol:
            return variable(expression.text);
        case Value::List: {
            DepthScope depth;
            checkCancel();
            return callFunction(expression);
        }
        default:
            return expression;
    }
}

Value variable(const std::string& name) {
    const auto& variables = currentNamespace()->variables;
    auto it = variables.find(upper(name));
    return it == variables.end() ? Value::nil() : it->second;
}

void setVariable(const std::string& name, const Value& value) {
    auto& variables = currentNamespace()->variables;
    if (isTrue(value)) {
        variables[upper(name)] = value;
    } else {
        variables.erase(upper(name));
    }
}

bool callUserFunction(const std::string& name, const std::vector<Value>& args, Value& result) {
    std::shared_ptr<Namespace> space = currentNamespace();
    auto it = space->functions.find(upper(name));
    if (it == space->functions.end()) {
        return false;
    }
    const std::shared_ptr<const UserFunction> function = it->second;  // defun may replace it
    checkCount(args.size(), (int)function->parameters.size(), (int)function->parameters.size());
    DepthScope depth;
    Bindings bindings(space);
    for (size_t i = 0; i < args.size(); ++i) {
        bindings.bind(function->parameters[i], args[i]);
    }
    for (const std::string& local : function->locals) {
        bindings.bind(local, Value::nil());
    }
    result = evaluateBody(function->body, 0);
    return true;
}

std::vector<std::string> specialFormNames() {
    std::vector<std::string> names;
    for (const SpecialForm& form : kSpecialForms) {
        names.push_back(form.name);
    }
    return names;
}

std::vector<std::string> userFunctionNames(const AcApDocument* pDoc) {
    std::vector<std::string> names;
    auto it = namespaces().find(pDoc);
    if (it != namespaces().end()) {
        for (const auto& entry : it->second->functions) {
            names.push_back(entry.second->name);
        }
    }
    return names;
}

void forgetNamespace(const AcApDocument* pDoc) {
    namespaces().erase(pDoc);
}

void requestCancel() {
    g_cancel = true;
}

void clearCancel() {
    g_cancel = false;
}

}  // namespace brevant::host::lisp
