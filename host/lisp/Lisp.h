// Inside the host: the LISP interpreter's side of the editor — the names each
// document knows, the call in progress, and evaluation of a typed line.
#pragma once

#include "lisp/LispValue.h"

#include <string>
#include <vector>

class AcApDocument;
struct resbuf;

namespace brevant::host::lisp {

// A LISP call in progress: what acedGetFunCode, acedGetArgs and the result
// calls work on.
struct Frame {
    int functionCode = 0;
    resbuf* arguments = nullptr;  // owned by whoever pushed the frame
    Value result = Value::makeVoid();
};

// The innermost call in progress, or NULL.
Frame* currentFrame();
void pushFrame(Frame* pFrame);
void popFrame();

// Evaluates a line typed at the command line in the current document, as a
// command of that document: prints each result (nothing for a function that
// set none) or the interpreter's error. False when an error was printed.
bool evaluateLine(const std::string& line);

// (load "name") as a command: APPLOAD. False when an error was printed.
bool loadFile(const std::string& name);

// Calls the function a document knows as "C:<command>" (defined with defun or
// by a module), as the command line does for a command the editor does not
// have. False when there is none; ok is false when it failed.
bool callCommandFunction(const std::string& command, bool& ok);

// A module's function of that name (upper case) in the current document, and
// the call of it with evaluated arguments, which throws the interpreter's
// Error when the module fails or is gone.
bool hasModuleFunction(const std::string& upperName);
void callModuleFunction(const std::string& upperName, const std::vector<Value>& args,
                        Value& result);

// Every name a LISP expression in the current document may call, as written:
// special forms, built-in functions, functions defined with defun, modules'
// functions.
std::vector<std::string> callableNames();

// The modules' names a document knows (upper case, sorted).
std::vector<std::string> definedNames(const AcApDocument* pDoc);

// A document closes: its names go. A module unloads: its names go from every
// document.
void forgetDocument(const AcApDocument* pDoc);
void forgetModule(int moduleId);

}  // namespace brevant::host::lisp
