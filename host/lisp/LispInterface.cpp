// The LISP interface of the editor: names per document, handlers per module,
// the call in progress, and evaluation of a line typed at the command line
// with the interpreter's printing and error messages.
#include "lisp/Lisp.h"

#include "adslib.h"
#include "aced.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "editor/Documents.h"
#include "editor/Editor.h"
#include "lisp/LispBuiltins.h"
#include "lisp/LispEvaluator.h"
#include "lisp/LispReader.h"
#include "loader/Linker.h"

#include <algorithm>
#include <map>
#include <new>

namespace brevant::host::lisp {

namespace {

struct Definition {
    int moduleId = 0;
    short index = 0;
    std::string spelling;  // as the module wrote it
};

// Per document: upper-case name to definition.
std::map<const AcApDocument*, std::map<std::string, Definition>>& tables() {
    static auto* s_pTables = new std::map<const AcApDocument*, std::map<std::string, Definition>>;
    return *s_pTables;
}

std::vector<Frame*>& frames() {
    static auto* s_pFrames = new std::vector<Frame*>;
    return *s_pFrames;
}

using brevant::text::upper;

// A name the reader would read back as a symbol: not empty, without blanks,
// parentheses, quotes or semicolons.
bool isValidName(const char* name) {
    if (name == nullptr || *name == 0) {
        return false;
    }
    for (const char* p = name; *p != 0; ++p) {
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '(' || *p == ')' ||
            *p == '"' || *p == '\'' || *p == ';') {
            return false;
        }
    }
    return true;
}

const Definition* lookUp(const std::string& upperName) {
    const AcApDocument* pDoc = docManager().current();
    auto table = tables().find(pDoc);
    if (pDoc == nullptr || table == tables().end()) {
        return nullptr;
    }
    auto it = table->second.find(upperName);
    return it == table->second.end() ? nullptr : &it->second;
}

bool dispatchThroughMessage() {
    return brevant::platform::settingChoice("LISPDISPATCH", {"direct", "invoke"}) == "invoke";
}

bool setResult(Value value) {
    Frame* pFrame = currentFrame();
    if (pFrame == nullptr) {
        return false;  // no LISP function is running
    }
    pFrame->result = std::move(value);
    return true;
}

int result(Value value) {
    return setResult(std::move(value)) ? RTNORM : RTERROR;
}

// Calls the function behind a definition with evaluated arguments.
void call(const Definition& definition, const std::string& name, const std::vector<Value>& args,
          Value& out) {
    Module* pModule = findModule(definition.moduleId);
    if (pModule == nullptr) {
        fail("no function definition: " + name);
    }
    auto handler = pModule->handlers.find(definition.index);
    const bool direct = handler != pModule->handlers.end() &&
                        (pModule->entryPoint == nullptr || !dispatchThroughMessage());
    if (!direct && pModule->entryPoint == nullptr) {
        fail("no function definition: " + name);
    }
    Frame frame;
    frame.functionCode = definition.index;
    frame.arguments = toChain(args);
    if (frame.arguments == nullptr && !args.empty()) {
        fail("insufficient memory");
    }
    pushFrame(&frame);
    int status = RSRSLT;
    if (direct) {
        int (*function)() = handler->second;
        CallerScope caller(definition.moduleId);
        status = function();
    } else {
        status = sendMessage(definition.moduleId, AcRx::kInvkSubrMsg, pModule) == AcRx::kRetOK
                     ? RSRSLT
                     : RSERR;
    }
    popFrame();
    acutRelRb(frame.arguments);
    if (status == RSERR) {
        fail(name + " failed");
    }
    out = std::move(frame.result);
}

void printError(const std::string& error) {
    endLine();
    print(error + "\n");
}

// Runs the evaluation of a command line: the interpreter's error printed
// when it fails; false then.
template <class Fn>
bool guarded(Fn fn) {
    clearCancel();
    try {
        fn();
        return true;
    } catch (const Error& error) {
        printError(error.message);
    } catch (const std::bad_alloc&) {
        printError("; error: insufficient memory");
    }
    return false;
}

void printResult(const Value& value) {
    if (value.kind != Value::Void) {
        print(printValue(value));
        endLine();
    }
}

// Evaluates in the current document, as a command of it, with the reactors
// told of the LISP evaluation's start and end.
template <class Fn>
bool inLispCommand(const std::string& text, Fn fn) {
    DocumentCommandScope command(docManager().current());
    notify([&text](AcEditorReactor* pReactor) { pReactor->lispWillStart(text.c_str()); });
    const bool ok = guarded(fn);
    if (ok) {
        notify([](AcEditorReactor* pReactor) { pReactor->lispEnded(); });
    } else {
        notify([](AcEditorReactor* pReactor) { pReactor->lispCancelled(); });
    }
    return ok;
}

}  // namespace

Frame* currentFrame() {
    return frames().empty() ? nullptr : frames().back();
}

void pushFrame(Frame* pFrame) {
    frames().push_back(pFrame);
}

void popFrame() {
    if (!frames().empty()) {
        frames().pop_back();
    }
}

bool hasModuleFunction(const std::string& upperName) {
    return lookUp(upperName) != nullptr;
}

void callModuleFunction(const std::string& upperName, const std::vector<Value>& args,
                        Value& result) {
    const Definition* pDefinition = lookUp(upperName);
    if (pDefinition == nullptr) {
        fail("no function definition: " + upperName);
    }
    const Definition definition = *pDefinition;  // the table may change during the call
    call(definition, upperName, args, result);
}

bool evaluateLine(const std::string& line) {
    std::vector<Value> expressions;
    const ReadError readError = readLine(line, expressions);
    if (readError != ReadError::None) {
        printError(readErrorText(readError));
        return false;
    }
    return inLispCommand(line, [&expressions] {
        for (const Value& expression : expressions) {
            printResult(evaluate(expression));
        }
    });
}

bool loadFile(const std::string& name) {
    const std::string expression = "(load " + printString(name) + ")";
    return inLispCommand(expression, [&name] {
        evaluate(Value::makeList({Value::makeSymbol("load"), Value::makeString(name)}));
    });
}

bool callCommandFunction(const std::string& command, bool& ok) {
    const std::string name = "C:" + upper(command);
    Value value;
    std::vector<std::string> users = userFunctionNames(docManager().current());
    const bool isUser = std::any_of(users.begin(), users.end(), [&name](const std::string& user) {
        return brevant::text::sameText(user, name);
    });
    if (!isUser && lookUp(name) == nullptr) {
        return false;
    }
    DocumentCommandScope scope(docManager().current());
    ok = guarded([&] {
        if (!callUserFunction(name, {}, value)) {
            callModuleFunction(name, {}, value);
        }
    });
    if (ok) {
        printResult(value);
    }
    return true;
}

std::vector<std::string> callableNames() {
    const AcApDocument* pDoc = docManager().current();
    std::vector<std::string> names = specialFormNames();
    for (const std::string& name : builtinNames()) {
        names.push_back(name);
    }
    for (const std::string& name : userFunctionNames(pDoc)) {
        names.push_back(name);
    }
    auto table = tables().find(pDoc);
    if (table != tables().end()) {
        for (const auto& entry : table->second) {
            names.push_back(entry.second.spelling);
        }
    }
    return names;
}

std::vector<std::string> definedNames(const AcApDocument* pDoc) {
    std::vector<std::string> names;
    auto table = tables().find(pDoc);
    if (table != tables().end()) {
        for (const auto& entry : table->second) {
            names.push_back(entry.first);
        }
    }
    return names;
}

void forgetDocument(const AcApDocument* pDoc) {
    tables().erase(pDoc);
    forgetNamespace(pDoc);
}

void forgetModule(int moduleId) {
    for (auto& table : tables()) {
        for (auto it = table.second.begin(); it != table.second.end();) {
            it = it->second.moduleId == moduleId ? table.second.erase(it) : std::next(it);
        }
    }
}

}  // namespace brevant::host::lisp

using namespace brevant::host;
using brevant::host::lisp::Value;

// A name is defined in the document that is current at the call, for the
// module whose code makes the call.
int acedDefun(const char* pszName, short nFuncNum) {
    const AcApDocument* pDoc = docManager().current();
    if (pDoc == nullptr || !lisp::isValidName(pszName)) {
        return RTERROR;
    }
    lisp::Definition& definition = lisp::tables()[pDoc][brevant::text::upper(pszName)];
    definition.moduleId = callingModuleId();
    definition.index = nFuncNum;
    definition.spelling = pszName;
    return RTNORM;
}

// Only the module that defined the name, with the same code, can remove it.
int acedUndef(const char* pszName, short nFuncNum) {
    const AcApDocument* pDoc = docManager().current();
    if (pDoc == nullptr || !lisp::isValidName(pszName)) {
        return RTERROR;
    }
    auto table = lisp::tables().find(pDoc);
    if (table == lisp::tables().end()) {
        return RTERROR;
    }
    auto it = table->second.find(brevant::text::upper(pszName));
    if (it == table->second.end() || it->second.moduleId != callingModuleId() ||
        it->second.index != nFuncNum) {
        return RTERROR;
    }
    table->second.erase(it);
    return RTNORM;
}

// Binds the handler to the code for the calling module; NULL unbinds it.
int acedRegFunc(int (*fhdl)(void), int fcode) {
    Module* pModule = findModule(callingModuleId());
    if (pModule == nullptr) {
        return RTERROR;
    }
    if (fhdl == nullptr) {
        pModule->handlers.erase(fcode);
    } else {
        pModule->handlers[fcode] = fhdl;
    }
    return RTNORM;
}

int acedGetFunCode(void) {
    lisp::Frame* pFrame = lisp::currentFrame();
    return pFrame == nullptr ? RTERROR : pFrame->functionCode;
}

// The chain belongs to the editor: the caller reads it and does not release it.
struct resbuf* acedGetArgs(void) {
    lisp::Frame* pFrame = lisp::currentFrame();
    return pFrame == nullptr ? nullptr : pFrame->arguments;
}

int acedRetInt(int ival) {
    return lisp::result(Value::makeInteger(ival));
}

int acedRetReal(ads_real rval) {
    return lisp::result(Value::makeReal(rval));
}

int acedRetPoint(const ads_point pt) {
    if (pt == nullptr) {
        return RTERROR;
    }
    Value value;
    value.kind = Value::Point3D;
    value.point[0] = pt[0];
    value.point[1] = pt[1];
    value.point[2] = pt[2];
    return lisp::result(value);
}

int acedRetStr(const char* s) {
    return lisp::result(Value::makeString(s != nullptr ? s : ""));
}

int acedRetName(const ads_name aname, int type) {
    if (aname == nullptr || (type != RTENAME && type != RTPICKS)) {
        return RTERROR;
    }
    Value value;
    value.kind = type == RTENAME ? Value::EntityName : Value::SelectionSet;
    value.name[0] = aname[0];
    value.name[1] = aname[1];
    return lisp::result(value);
}

int acedRetVal(const struct resbuf* rbuf) {
    Value value;
    if (lisp::currentFrame() == nullptr || !lisp::fromChain(rbuf, value, false)) {
        return RTERROR;
    }
    return lisp::result(value);
}

int acedRetList(const struct resbuf* rbuf) {
    Value value;
    if (lisp::currentFrame() == nullptr || !lisp::fromChain(rbuf, value, true)) {
        return RTERROR;
    }
    return lisp::result(value);
}

int acedRetNil(void) {
    return lisp::result(Value::nil());
}

int acedRetT(void) {
    return lisp::result(Value::t());
}

int acedRetVoid(void) {
    return lisp::result(Value::makeVoid());
}

namespace brevant::host {

bool evaluateLisp(const std::string& line) {
    return lisp::evaluateLine(line);
}

void cancelEvaluation() {
    lisp::requestCancel();
}

std::vector<std::string> lispNames(const AcApDocument* pDoc) {
    return lisp::definedNames(pDoc);
}

struct LispCall::State {
    lisp::Frame frame;
};

LispCall::LispCall(const std::string& arguments, int functionCode)
    : m_pState(new State), m_bValid(true) {
    std::vector<Value> values;
    if (lisp::readLine(arguments, values) != lisp::ReadError::None) {
        m_bValid = false;
        values.clear();
    }
    for (Value& value : values) {
        // Arguments are values as typed: a symbol stands for nil, a quoted form for its datum.
        Value evaluated;
        if (value.kind == Value::List && value.items.size() == 2 &&
            value.items[0].kind == Value::Symbol &&
            brevant::text::sameText(value.items[0].text, "QUOTE")) {
            evaluated = value.items[1];
        } else if (value.kind == Value::Symbol) {
            evaluated = Value::nil();
        } else {
            evaluated = value;
        }
        value = evaluated;
    }
    m_pState->frame.functionCode = functionCode;
    m_pState->frame.arguments = lisp::toChain(values);
    lisp::pushFrame(&m_pState->frame);
}

LispCall::~LispCall() {
    if (lisp::currentFrame() == &m_pState->frame) {
        lisp::popFrame();
    }
    acutRelRb(m_pState->frame.arguments);
    delete m_pState;
}

int LispCall::run(int (*handler)()) {
    return handler != nullptr ? handler() : RSERR;
}

std::string LispCall::result() const {
    return lisp::printValue(m_pState->frame.result);
}

}  // namespace brevant::host
