// Inside the host: evaluation of LISP expressions as the interpreter at the
// command line evaluates them. Each drawing has a namespace of its own (its
// variables and the functions defined with defun), as each drawing has in the
// editor; without a drawing the editor keeps one namespace for itself.
#pragma once

#include "lisp/LispValue.h"

#include <string>
#include <vector>

class AcApDocument;

namespace brevant::host::lisp {

// An error that ends the evaluation of a line: the interpreter's message, for
// example "; error: bad argument type: numberp: \"a\"".
struct Error {
    std::string message;
};

// Throws the interpreter's error "; error: <reason>".
[[noreturn]] void fail(const std::string& reason);

// Deepest nesting of evaluation (calls within calls, a function calling
// itself); deeper is the error "; error: stack overflow", so that no
// expression can exhaust the editor's stack.
constexpr int kMaxEvaluationDepth = 2000;

// Evaluates one expression in the current drawing's namespace. A symbol gives
// its value (nil when it has none); a list calls a function: a special form
// (quote, setq, if, ...), a function defined with defun, a module's function
// or a built-in function, found in that order. A function that gives no value
// (princ without arguments, acedRetVoid) gives Void, which stands for nil
// wherever the value is used. Throws Error.
Value evaluate(const Value& expression);

// A variable of the current namespace: nil when it has none. Setting nil
// removes it.
Value variable(const std::string& name);
void setVariable(const std::string& name, const Value& value);

// Calls the function that defun defined under the name (any letter case) in
// the current namespace, with its parameters bound to the arguments and its
// local variables to nil for the call. False when there is no such function.
// Throws Error.
bool callUserFunction(const std::string& name, const std::vector<Value>& args, Value& result);

// The special forms, in lower case; the functions defun defined in a
// drawing's namespace, as they were written.
std::vector<std::string> specialFormNames();
std::vector<std::string> userFunctionNames(const AcApDocument* pDoc);

// A drawing closes: its namespace goes.
void forgetNamespace(const AcApDocument* pDoc);

// Cancels the evaluation in progress, as Escape does in the editor: it stops
// at its next step with "; error: Function cancelled". Safe to call from a
// signal handler; the next line typed starts afresh.
void requestCancel();
void clearCancel();

}  // namespace brevant::host::lisp
