// The editor's commands: the one table that the dispatcher and HELP read, and
// the handlers of the commands that have no file of their own.
#include "editor/Commands.h"

#include "aced.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "editor/Documents.h"
#include "editor/Output.h"
#include "hostdb.h"
#include "lisp/Lisp.h"
#include "loader/Linker.h"
#include "rxregsvc.h"

#include <ctime>

namespace brevant::host {

namespace {

using brevant::text::upper;

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

// ---- Drawings -----------------------------------------------------------------------

bool openCommand(const std::string& arguments) {
    return openDocument(unquoted(arguments)) != nullptr;
}

bool recoverCommand(const std::string& arguments) {
    return recoverDocument(unquoted(arguments)) != nullptr;
}

bool newCommand(const std::string&) {
    return newDocument() != nullptr;
}

bool saveCommand(const std::string&) {
    return requireDocument() && saveDocument(docManager().current(), "");
}

bool saveAsCommand(const std::string& arguments) {
    if (!requireDocument()) {
        return false;
    }
    if (arguments.empty()) {
        say("Requires a file name: SAVEAS <file>.");
        return false;
    }
    return saveDocument(docManager().current(), unquoted(arguments));
}

bool closeCommand(const std::string&) {
    return requireDocument() && closeDocument(docManager().current());
}

bool quitCommand(const std::string&) {
    quit();
    return true;
}

// ---- ARX ----------------------------------------------------------------------------

bool arxCommand(const std::string& arguments) {
    std::string option;
    std::string name;
    splitWord(arguments, option, name);
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

// ---- APPLOAD ------------------------------------------------------------------------

bool isModuleFile(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return false;
    }
    const std::string extension = upper(name.substr(dot));
    return extension == ".ARX" || extension == ".DBX";
}

// A module file loads as by ARX LOAD; any other file is read as LISP, as by
// (load "<file>").
bool apploadCommand(const std::string& arguments) {
    const std::string name = unquoted(arguments);
    if (name.empty()) {
        say("Requires a file name: APPLOAD <file>.");
        return false;
    }
    if (isModuleFile(name)) {
        return linker()->loadModule(name.c_str(), true, true);
    }
    if (!lisp::loadFile(name)) {
        return false;
    }
    say(name + " successfully loaded.");
    return true;
}

// ---- SETVAR in the current drawing's command -----------------------------------------

bool setvarInDrawing(const std::string& arguments) {
    DocumentCommandScope scope(docManager().current());
    return setvarCommand(arguments);
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
    splitWord(arguments, name, path);
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

bool helpCommand(const std::string&);

const std::vector<Command>& table() {
    static const std::vector<Command> s_table = {
        {{"OPEN", {}, "OPEN <file>", "open a drawing and make it current"}, openCommand},
        {{"RECOVER",
          {},
          "RECOVER <file>",
          "open a damaged drawing as far as it can be read and list what was mended"},
         recoverCommand},
        {{"NEW", {}, "NEW", "start a new drawing: Drawing1.dwg, Drawing2.dwg, ..."}, newCommand},
        {{"SAVE", {}, "SAVE", "save the current drawing under its name"}, saveCommand},
        {{"SAVEAS", {}, "SAVEAS <file>", "save the current drawing under a new name"},
         saveAsCommand},
        {{"CLOSE", {}, "CLOSE", "close the current drawing without saving"}, closeCommand},
        {{"QUIT", {"EXIT"}, "QUIT", "close every drawing, unload every module and end"},
         quitCommand},
        {{"ARX",
          {},
          "ARX LOAD|UNLOAD <file>",
          "load or unload a module; ARX ? lists the loaded modules"},
         arxCommand},
        {{"APPLOAD", {}, "APPLOAD <file>", "load a LISP file (.lsp) or a module (.arx)"},
         apploadCommand},
        {{"SETVAR", {}, "SETVAR <name> <value>", "set a system variable"}, setvarInDrawing},
        {{"GETVAR", {}, "GETVAR <name>", "show a system variable"}, getvarCommand},
        {{"TYPE", {}, "TYPE <file>", "print a text file"}, typeCommand},
        {{"CLOCK",
          {},
          "CLOCK [<time>|OFF]",
          "show the clock, fix it at a time YYYY-MM-DD HH:MM[:SS], or free it"},
         clockCommand},
        {{"XATTACH", {}, "XATTACH <name> <file>", "attach a drawing as an external reference"},
         xattachCommand},
        {{"HELP", {"?"}, "HELP", "list the commands"}, helpCommand},
    };
    return s_table;
}

// One line of HELP: the usage, then the help from a column that every usage fits.
std::string helpLine(const std::string& usage, const std::string& help, size_t column) {
    return "  " + usage + std::string(column - usage.size(), ' ') + help + "\n";
}

const char* const kLispHelp = "evaluate a LISP expression; !<name> shows a variable";

bool helpCommand(const std::string&) {
    const char* const lispUsage = "(name arg ...)";
    size_t column = std::string(lispUsage).size();
    for (const Command& command : table()) {
        column = std::max(column, command.info.usage.size());
    }
    column += 2;
    std::string text = "Commands:\n";
    for (const Command& command : table()) {
        std::string help = command.info.help;
        for (const std::string& alias : command.info.aliases) {
            help += " (also " + alias + ")";
        }
        text += helpLine(command.info.usage, help, column);
    }
    text += helpLine(lispUsage, kLispHelp, column);
    text +=
        "Settings: TRANSCRIPT=<file> appends the command line to a file;\n"
        "LISPDISPATCH=invoke reaches every LISP function through its module's entry point.";
    say(text);
    return true;
}

}  // namespace

const Command* findCommand(const std::string& word) {
    size_t start = 0;
    while (start < word.size() && (word[start] == '_' || word[start] == '.')) {
        ++start;
    }
    const std::string_view name = std::string_view(word).substr(start);
    for (const Command& command : table()) {
        if (brevant::text::sameText(command.info.name, name)) {
            return &command;
        }
        for (const std::string& alias : command.info.aliases) {
            if (brevant::text::sameText(alias, name)) {
                return &command;
            }
        }
    }
    return nullptr;
}

std::vector<EditorCommand> editorCommands() {
    std::vector<EditorCommand> commands;
    for (const Command& command : table()) {
        commands.push_back(command.info);
    }
    return commands;
}

std::string commandName(const std::string& word) {
    const Command* command = findCommand(word);
    return command != nullptr ? command->info.name : std::string();
}

std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

void splitWord(const std::string& line, std::string& word, std::string& rest) {
    size_t end = 0;
    while (end < line.size() && !isspace((unsigned char)line[end])) {
        ++end;
    }
    word = line.substr(0, end);
    rest = std::string(brevant::text::trimmed(std::string_view(line).substr(end)));
}

}  // namespace brevant::host
