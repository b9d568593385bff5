// The command line: a line runs a command of the table or a LISP expression;
// script mode and the interactive prompt feed it lines.
#include "aced.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "editor/Commands.h"
#include "editor/Editor.h"
#include "editor/FileReader.h"
#include "editor/Output.h"
#include "lisp/Lisp.h"
#include "win/files.h"

#include <istream>

namespace brevant::host {

namespace {

using brevant::text::upper;

std::string trim(std::string_view text) {
    return std::string(brevant::text::trimmed(text));
}

bool isComment(const std::string& trimmedLine) {
    return trimmedLine.empty() || trimmedLine[0] == ';' || trimmedLine[0] == '#';
}

// Reads one line of at most kMaxLineLength characters; a longer one is read
// to its end and reported through tooLong. False at the end of the input.
bool readStreamLine(std::istream& in, std::string& line, bool& tooLong) {
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
    if (line[0] == '!') {
        return lisp::evaluateLine(line.substr(1));  // !name shows a variable's value
    }
    std::string word;
    std::string arguments;
    splitWord(line, word, arguments);
    std::string command = upper(word);
    // "_OPEN" and ".OPEN" name the command itself, as the editor allows.
    while (!command.empty() && (command[0] == '_' || command[0] == '.')) {
        command.erase(0, 1);
    }
    notify([&command](AcEditorReactor* pReactor) { pReactor->commandWillStart(command.c_str()); });
    bool ok = false;
    if (const Command* pCommand = findCommand(command)) {
        ok = pCommand->run(arguments);
    } else if (!lisp::callCommandFunction(command, ok)) {
        say("Unknown command \"" + upper(word) + "\".  Type HELP for a list of commands.");
        ok = false;
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        outcome.readable = false;
        outcome.error = "it is a folder";
        return outcome;
    }
    FileReader file;
    const DWORD error = file.open(path);
    if (error != ERROR_SUCCESS) {
        outcome.readable = false;
        outcome.error = brevant::platform::errorText(error);
        return outcome;
    }
    std::istream in(&file);
    std::string line;
    bool tooLong = false;
    int number = 0;
    while (!hasQuit() && readStreamLine(in, line, tooLong)) {
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
    if (file.readError() != ERROR_SUCCESS) {
        say("The script could not be read to its end.");
        outcome.failedLines.push_back(number + 1);
    }
    quit();
    return outcome;
}

namespace {

const std::string kPrompt = "Command: ";

// Lines from a stream: the command line prints the prompt; a terminal shows
// what is typed, other input is echoed.
class StreamLineSource : public LineSource {
public:
    StreamLineSource(std::istream& in, bool echoInput) : m_in(in), m_echo(echoInput) {}
    bool readLine(const std::string&, std::string& line, bool& tooLong) override {
        return readStreamLine(m_in, line, tooLong);
    }
    bool showsPrompt() const override { return false; }
    bool showsLine() const override { return !m_echo; }

private:
    std::istream& m_in;
    bool m_echo;
};

}  // namespace

ScriptOutcome runInteractive(LineSource& source) {
    ScriptOutcome outcome;
    std::string line;
    bool tooLong = false;
    int number = 0;
    while (!hasQuit()) {
        endLine();
        if (source.showsPrompt()) {
            recordInput(kPrompt);
        } else {
            print(kPrompt);
        }
        if (!source.readLine(kPrompt, line, tooLong)) {
            print("\n");
            break;
        }
        ++number;
        if (source.showsLine()) {
            recordInput(line + "\n");
        } else {
            print(line + "\n");
        }
        if (tooLong) {
            say("The line is longer than " + std::to_string(kMaxLineLength) +
                " characters: it was not run.");
            outcome.failedLines.push_back(number);
            continue;
        }
        const std::string command = trim(line);
        if (isComment(command)) {
            continue;
        }
        if (!runCommand(command)) {
            outcome.failedLines.push_back(number);
        }
    }
    quit();
    return outcome;
}

ScriptOutcome runInteractive(std::istream& in, bool echoInput) {
    StreamLineSource source(in, echoInput);
    return runInteractive(source);
}

bool startSession(StartDrawing start, const std::string& drawing) {
    // Settings in a form the editor cannot use are said now, not at their first use.
    brevant::platform::checkSettings();
    brevant::platform::settingChoice("LISPDISPATCH", {"direct", "invoke"});
    switch (start) {
        case StartDrawing::New:
            return newDocument() != nullptr;
        case StartDrawing::Open:
            return openDocument(drawing) != nullptr;
        case StartDrawing::None:
            break;
    }
    return true;
}

std::vector<std::string> commandWords() {
    std::vector<std::string> words;
    for (const EditorCommand& command : editorCommands()) {
        words.push_back(command.name);
        words.insert(words.end(), command.aliases.begin(), command.aliases.end());
    }
    for (const std::string& name : lisp::callableNames()) {
        if (brevant::text::startsWithNoCase(name, "C:") && name.size() > 2) {
            words.push_back(upper(name.substr(2)));
        }
    }
    return words;
}

std::vector<std::string> lispWords() {
    return lisp::callableNames();
}

}  // namespace brevant::host
