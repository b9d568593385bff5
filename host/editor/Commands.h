// Inside the host: the editor's commands. One table holds each command's
// name, the other names it answers to, its handler and its line of help; the
// dispatcher, HELP and the tests read it (brevant/editor.h gives the tests
// and tools/editor/README.md what HELP shows).
#pragma once

#include "brevant/editor.h"

#include <string>
#include <vector>

namespace brevant::host {

struct Command {
    EditorCommand info;
    // Runs the command with the rest of the line (trimmed); false when it
    // failed, the reason printed.
    bool (*run)(const std::string& arguments);
};

// The command a word names: its name or an alias, in any letter case, with
// any "_" or "." before it (as the editor allows: "_OPEN", ".OPEN"); NULL when
// none does.
const Command* findCommand(const std::string& word);

// Handlers kept in files of their own.
bool getvarCommand(const std::string& arguments);
bool setvarCommand(const std::string& arguments);
bool typeCommand(const std::string& arguments);

// Arguments as typed: a file name or value may stand in double quotes, to
// keep its blanks; the first word and the rest of a line (trimmed).
std::string unquoted(const std::string& text);
void splitWord(const std::string& line, std::string& word, std::string& rest);

}  // namespace brevant::host
