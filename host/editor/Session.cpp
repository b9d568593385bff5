// The command line: the editor's commands, LISP lines, script mode and the
// interactive prompt.
#include "aced.h"
#include "adslib.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "editor/Documents.h"
#include "editor/Editor.h"
#include "editor/Output.h"
#include "editor/SystemVariables.h"
#include "lisp/Lisp.h"
#include "loader/Linker.h"
#include "hostdb.h"
#include "rxregsvc.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sys/stat.h>

namespace brevant::host {

namespace {

void say(const std::string& text) {
    endLine();
    print(text + "\n");
}

using brevant::text::upper;

std::string trim(std::string_view text) {
    return std::string(brevant::text::trimmed(text));
}

// A file name or value may stand in double quotes, to keep its blanks.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// The first word and the rest of the line.
void split(const std::string& line, std::string& word, std::string& rest) {
    size_t end = 0;
    while (end < line.size() && !isspace((unsigned char)line[end])) {
        ++end;
    }
    word = line.substr(0, end);
    rest = trim(line.substr(end));
}

bool isComment(const std::string& trimmedLine) {
    return trimmedLine.empty() || trimmedLine[0] == ';' || trimmedLine[0] == '#';
}

AcRxDynamicLinker* linker() {
    return AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker"));
}

bool requireDocument() {
    if (docManager().current() == nullptr) {
        say("No drawing is open.");
        return false;
    }
    return true;
}

// ---- ARX --------------------------------------------------------------------------

bool arxCommand(const std::string& arguments) {
    std::string option;
    std::string name;
    split(arguments, option, name);
    option = upper(option);
    name = unquoted(name);
    if (option == "?") {
        say("Loaded applications:");
        for (Module* pModule : loadedModules()) {
            print("  " + pModule->name + "\n");
        }
        return true;
    }
    if ((option == "LOAD" || option == "UNLOAD") && name.empty()) {
        say("Requires a file name: ARX " + option + " <file>.");
        return false;
    }
    if (option == "LOAD") {
        return linker()->loadModule(name.c_str(), true, true);
    }
    if (option == "UNLOAD") {
        return linker()->unloadModule(name.c_str(), true);
    }
    say("Requires an option: ARX LOAD <file>, ARX UNLOAD <file> or ARX ?.");
    return false;
}

// ---- SETVAR and GETVAR --------------------------------------------------------------

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = strtod(text.c_str(), &end);
    // Decimal numbers only: no hexadecimal, no inf or nan.
    for (char c : text) {
        if (!(isdigit((unsigned char)c) || c == '.' || c == '-' || c == '+' || c == 'e' ||
              c == 'E')) {
            return false;
        }
    }
    return end != nullptr && *end == 0 && errno == 0 && std::isfinite(value);
}

bool parseCoordinates(const std::string& text, double* values, int& count) {
    count = 0;
    size_t start = 0;
    while (count < 4) {
        const size_t comma = text.find(',', start);
        if (!parseNumber(trim(text.substr(start, comma - start)), values[count])) {
            return false;
        }
        ++count;
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    return buffer;
}

// The value as the SETVAR and GETVAR commands show it: lengths with LUPREC
// decimals, angles in degrees.
std::string shownValue(const VariableInfo& info, const resbuf& value) {
    resbuf precision;
    int decimals = 4;
    if (acedGetVar("LUPREC", &precision) == RTNORM) {
        decimals = precision.resval.rint;
    }
    char buffer[64];
    switch (info.type) {
        case RTSTR:
            return std::string("\"") +
                   (value.resval.rstring != nullptr ? value.resval.rstring : "") + "\"";
        case RTSHORT:
            return std::to_string(value.resval.rint);
        case RTREAL:
            return fixed(value.resval.rreal, decimals);
        case RTANG:
            snprintf(buffer, sizeof(buffer), "%g", value.resval.rreal * 180.0 / M_PI);
            return buffer;
        case RTPOINT:
            return fixed(value.resval.rpoint[0], decimals) + "," +
                   fixed(value.resval.rpoint[1], decimals);
        default:
            return fixed(value.resval.rpoint[0], decimals) + "," +
                   fixed(value.resval.rpoint[1], decimals) + "," +
                   fixed(value.resval.rpoint[2], decimals);
    }
}

bool getvarCommand(const std::string& arguments) {
    const std::string name = upper(arguments);
    if (name.empty()) {
        say("Requires a variable name: GETVAR <name>.");
        return false;
    }
    VariableInfo info;
    resbuf value;
    if (!findVariable(name, info) || acedGetVar(name.c_str(), &value) != RTNORM) {
        say("Unknown variable name \"" + name + "\".");
        return false;
    }
    const std::string shown = shownValue(info, value);
    if (value.restype == RTSTR) {
        free(value.resval.rstring);
    }
    say(info.name + " = " + shown + (info.readOnly ? " (read only)" : ""));
    return true;
}

bool setvarCommand(const std::string& arguments) {
    std::string name;
    std::string text;
    split(arguments, name, text);
    name = upper(name);
    if (name.empty()) {
        say("Requires a variable name and a value: SETVAR <name> <value>.");
        return false;
    }
    VariableInfo info;
    if (!findVariable(name, info)) {
        say("Unknown variable name \"" + name + "\".");
        return false;
    }
    if (info.readOnly) {
        setErrno(kErrnoReadOnly);
        say("Cannot set " + name + ": it is read-only.");
        return false;
    }
    if (text.empty()) {
        say("Requires a value: SETVAR " + name + " <value>.");
        return false;
    }
    resbuf value;
    memset(&value, 0, sizeof(value));
    value.restype = (short)info.type;
    std::string copy;
    double numbers[4] = {0, 0, 0, 0};
    int count = 0;
    bool parsed = true;
    const char* expected = "";
    switch (info.type) {
        case RTSTR:
            copy = unquoted(text);
            value.resval.rstring = &copy[0];
            break;
        case RTSHORT: {
            expected = "Requires an integer value.";
            char* end = nullptr;
            errno = 0;
            const long number = strtol(text.c_str(), &end, 10);
            parsed = end != nullptr && *end == 0 && errno == 0;
            if (parsed && (number < -32768 || number > 32767)) {
                value.restype = RTLONG;  // out of range: the variable refuses it
                value.resval.rlong = (int32_t)std::max(-2147483647L, std::min(2147483647L, number));
            } else {
                value.resval.rint = (short)number;
            }
            break;
        }
        case RTREAL:
        case RTANG:
            expected = info.type == RTANG ? "Requires an angle in degrees." : "Requires a number.";
            parsed = parseNumber(text, numbers[0]);
            value.resval.rreal = info.type == RTANG ? numbers[0] * M_PI / 180.0 : numbers[0];
            break;
        case RTPOINT:
            expected = "Requires a point: x,y.";
            parsed = parseCoordinates(text, numbers, count) && count == 2;
            value.resval.rpoint[0] = numbers[0];
            value.resval.rpoint[1] = numbers[1];
            break;
        default:
            expected = "Requires a point: x,y,z.";
            parsed = parseCoordinates(text, numbers, count) && (count == 2 || count == 3);
            value.resval.rpoint[0] = numbers[0];
            value.resval.rpoint[1] = numbers[1];
            value.resval.rpoint[2] = numbers[2];
            break;
    }
    if (!parsed) {
        say(std::string("Cannot set ") + name + " to " + text + ": " + expected);
        return false;
    }
    if (acedSetVar(name.c_str(), &value) != RTNORM) {
        const char* reason = lastErrno() == kErrnoZero ? "zero is not allowed."
                             : name == "PROJECTNAME" && docManager().current() == nullptr
                                 ? "no drawing is open."
                                 : "value out of range.";
        say("Cannot set " + name + " to " + text + ": " + reason);
        return false;
    }
    return true;
}

// ---- TYPE ---------------------------------------------------------------------------

// Prints a text file, its line ends shown as line feeds.
bool typeCommand(const std::string& arguments) {
    const std::string path = unquoted(arguments);
    if (path.empty()) {
        say("Requires a file name: TYPE <file>.");
        return false;
    }
    std::string native;
    if (!brevant::platform::toNativePath(path, native)) {
        say("Cannot read " + path + ": its drive is not mapped.");
        return false;
    }
    struct stat info;
    if (stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        say("Cannot read " + path + ": it is a folder.");
        return false;
    }
    FILE* file = fopen(native.c_str(), "rb");
    if (file == nullptr) {
        say("Cannot read " + path + ": " + strerror(errno) + ".");
        return false;
    }
    endLine();
    std::string chunk;
    char buffer[65536];
    bool pendingReturn = false;
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        chunk.clear();
        for (size_t i = 0; i < count; ++i) {
            if (pendingReturn && buffer[i] != '\n') {
                chunk += '\r';
            }
            pendingReturn = buffer[i] == '\r';
            if (!pendingReturn) {
                chunk += buffer[i];
            }
        }
        print(chunk);
    }
    if (pendingReturn) {
        print("\r");
    }
    const bool failed = ferror(file) != 0;
    fclose(file);
    endLine();
    if (failed) {
        say("Cannot read " + path + ": the file could not be read to its end.");
        return false;
    }
    return true;
}

// ---- CLOCK --------------------------------------------------------------------------

bool clockCommand(const std::string& arguments) {
    if (arguments.empty()) {
        const time_t now = brevant::platform::now();
        char text[64];
        struct tm local;
        localtime_r(&now, &local);
        strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local);
        say(std::string("Clock: ") + text);
        return true;
    }
    if (upper(arguments) == "OFF") {
        brevant::platform::setClock(0);
        return true;
    }
    time_t time = 0;
    if (!brevant::text::parseLocalTime(arguments, time)) {
        say("Requires a date and time that exist: CLOCK YYYY-MM-DD HH:MM[:SS] or CLOCK OFF.");
        return false;
    }
    brevant::platform::setClock(time);
    return true;
}

// ---- XATTACH ------------------------------------------------------------------------

// Attaches a drawing as an external reference of the current drawing, inserted
// at the origin, and resolves it: the referenced drawing is read into a side
// database of its own, which belongs to no document.
bool xattachCommand(const std::string& arguments) {
    std::string name;
    std::string path;
    split(arguments, name, path);
    name = unquoted(name);
    path = unquoted(path);
    if (name.empty() || path.empty()) {
        say("Requires a name and a file: XATTACH <name> <file>.");
        return false;
    }
    if (!requireDocument()) {
        return false;
    }
    Document* pDoc = docManager().current();
    DocumentCommandScope command(pDoc);
    AcDbObjectId blockId;
    const Acad::ErrorStatus status =
        attachXref(pDoc->database(), name.c_str(), path.c_str(), AcGePoint3d(0, 0, 0), blockId);
    if (status != Acad::eOk) {
        say("Cannot attach " + path + " as " + name + ": " + acadErrorStatusText(status) + ".");
        return false;
    }
    return true;
}

// ---- HELP ---------------------------------------------------------------------------

bool helpCommand() {
    say("Commands:\n"
        "  OPEN <file>              open a drawing and make it current\n"
        "  NEW                      a new drawing (Drawing1.dwg, Drawing2.dwg, ...)\n"
        "  SAVE                     save the current drawing under its name\n"
        "  SAVEAS <file>            save the current drawing under a new name\n"
        "  CLOSE                    close the current drawing without saving\n"
        "  QUIT                     close every drawing, unload every module and end\n"
        "  ARX LOAD <file>          load a module; ARX UNLOAD <file> unloads it;\n"
        "                           ARX ? lists the loaded modules\n"
        "  SETVAR <name> <value>    set a system variable; GETVAR <name> shows one\n"
        "  TYPE <file>              print a text file\n"
        "  CLOCK <YYYY-MM-DD HH:MM[:SS]>  fix the clock; CLOCK OFF frees it\n"
        "  XATTACH <name> <file>    attach a drawing as an external reference\n"
        "  HELP                     this list\n"
        "  (name arg ...)           call a LISP function\n"
        "Settings: TRANSCRIPT=<file> appends the command line to a file;\n"
        "LISPDISPATCH=invoke reaches every LISP function through its module's entry point.");
    return true;
}

// ---- Dispatch -----------------------------------------------------------------------

bool documentCommand(const std::string& command, const std::string& arguments) {
    if (command == "SAVE") {
        return requireDocument() && saveDocument(docManager().current(), "");
    }
    if (command == "SAVEAS") {
        if (!requireDocument()) {
            return false;
        }
        if (arguments.empty()) {
            say("Requires a file name: SAVEAS <file>.");
            return false;
        }
        return saveDocument(docManager().current(), unquoted(arguments));
    }
    if (command == "CLOSE") {
        return requireDocument() && closeDocument(docManager().current());
    }
    return false;
}

bool run(const std::string& command, const std::string& arguments, bool& known) {
    known = true;
    if (command == "OPEN") {
        return openDocument(unquoted(arguments)) != nullptr;
    }
    if (command == "NEW") {
        return newDocument() != nullptr;
    }
    if (command == "SAVE" || command == "SAVEAS" || command == "CLOSE") {
        return documentCommand(command, arguments);
    }
    if (command == "QUIT" || command == "EXIT") {
        quit();
        return true;
    }
    if (command == "ARX") {
        return arxCommand(arguments);
    }
    if (command == "SETVAR") {
        DocumentCommandScope scope(docManager().current());
        return setvarCommand(arguments);
    }
    if (command == "GETVAR") {
        return getvarCommand(arguments);
    }
    if (command == "TYPE") {
        return typeCommand(arguments);
    }
    if (command == "CLOCK") {
        return clockCommand(arguments);
    }
    if (command == "XATTACH") {
        return xattachCommand(arguments);
    }
    if (command == "HELP" || command == "?") {
        return helpCommand();
    }
    known = false;
    return false;
}

// Reads one line of at most kMaxLineLength characters; a longer one is read
// to its end and reported through tooLong. False at the end of the input.
bool readLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    char c;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n') {
            break;
        }
        if (line.size() < kMaxLineLength) {
            line += c;
        } else {
            tooLong = true;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return any;
}

}  // namespace

bool runCommand(const std::string& text) {
    const std::string line = trim(text);
    if (hasQuit()) {
        say("The session has ended.");
        return false;
    }
    if (line.empty()) {
        return true;
    }
    if (line[0] == '(' || line[0] == '\'') {
        return lisp::evaluateLine(line);
    }
    std::string word;
    std::string arguments;
    split(line, word, arguments);
    std::string command = upper(word);
    // "_OPEN" and ".OPEN" name the command itself, as the editor allows.
    while (!command.empty() && (command[0] == '_' || command[0] == '.')) {
        command.erase(0, 1);
    }
    notify([&command](AcEditorReactor* pReactor) { pReactor->commandWillStart(command.c_str()); });
    bool known = false;
    bool ok = run(command, arguments, known);
    if (!known) {
        bool functionOk = false;
        if (lisp::callCommandFunction(command, functionOk)) {
            ok = functionOk;
        } else {
            say("Unknown command \"" + upper(word) + "\".  Type HELP for a list of commands.");
            ok = false;
        }
    }
    notify([&command, ok](AcEditorReactor* pReactor) {
        if (ok) {
            pReactor->commandEnded(command.c_str());
        } else {
            pReactor->commandFailed(command.c_str());
        }
    });
    return ok;
}

ScriptOutcome runScript(const std::string& path) {
    ScriptOutcome outcome;
    std::string native;
    if (!brevant::platform::toNativePath(path, native)) {
        outcome.readable = false;
        outcome.error = "its drive is not mapped";
        return outcome;
    }
    struct stat info;
    if (stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        outcome.readable = false;
        outcome.error = "it is a folder";
        return outcome;
    }
    std::ifstream in(native, std::ios::binary);
    if (!in) {
        outcome.readable = false;
        outcome.error = strerror(errno);
        return outcome;
    }
    std::string line;
    bool tooLong = false;
    int number = 0;
    while (!hasQuit() && readLine(in, line, tooLong)) {
        ++number;
        const std::string command = trim(line);
        if (tooLong) {
            say("Line " + std::to_string(number) + " is longer than " +
                std::to_string(kMaxLineLength) + " characters: it was not run.");
            outcome.failedLines.push_back(number);
            continue;
        }
        if (isComment(command)) {
            continue;
        }
        endLine();
        print("Command: " + command + "\n");
        if (!runCommand(command)) {
            outcome.failedLines.push_back(number);
        }
    }
    if (in.bad()) {
        say("The script could not be read to its end.");
        outcome.failedLines.push_back(number + 1);
    }
    quit();
    return outcome;
}

int runInteractive(std::istream& in, bool echoInput) {
    int failures = 0;
    std::string line;
    bool tooLong = false;
    while (!hasQuit()) {
        endLine();
        print("Command: ");
        if (!readLine(in, line, tooLong)) {
            print("\n");
            break;
        }
        if (echoInput) {
            print(line + "\n");
        } else {
            recordInput(line + "\n");
        }
        if (tooLong) {
            say("The line is longer than " + std::to_string(kMaxLineLength) +
                " characters: it was not run.");
            ++failures;
            continue;
        }
        const std::string command = trim(line);
        if (isComment(command)) {
            continue;
        }
        if (!runCommand(command)) {
            ++failures;
        }
    }
    quit();
    return failures;
}

}  // namespace brevant::host
