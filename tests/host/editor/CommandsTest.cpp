// The editor's commands come from one table: the dispatcher finds each by its
// name and its aliases, HELP lists each with its line of help, and the table
// of tools/editor/README.md says the same.
#include "HostFixture.h"

#include "brevant/text.h"

#include <sstream>

namespace brevant::test {
namespace {

using brevant::host::commandName;
using brevant::host::editorCommands;
using brevant::host::runCommand;

class Commands : public HostTest {};

TEST_F(Commands, EveryNameAndAliasCallsItsCommand) {
    const std::vector<brevant::host::EditorCommand> commands = editorCommands();
    ASSERT_FALSE(commands.empty());
    for (const auto& command : commands) {
        std::vector<std::string> words = command.aliases;
        words.push_back(command.name);
        for (const std::string& word : words) {
            SCOPED_TRACE(word);
            EXPECT_EQ(commandName(word), command.name);
            EXPECT_EQ(commandName("_" + brevant::text::lower(word)), command.name);
            EXPECT_EQ(commandName("._" + word), command.name);
        }
    }
    for (const char* word : {"", "FROB", "_", "OPENX", "SAVE AS"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(commandName(word), "");
    }

    // An alias runs the command itself.
    EXPECT_TRUE(runCommand("HELP"));
    const std::string help = printed();
    EXPECT_TRUE(runCommand("?"));
    EXPECT_EQ(printed(), help);
    EXPECT_TRUE(runCommand("exit"));
    EXPECT_TRUE(brevant::host::hasQuit());
}

TEST_F(Commands, HelpListsEveryCommandWithItsLine) {
    EXPECT_TRUE(runCommand("HELP"));
    std::istringstream help(printed());
    std::string line;
    ASSERT_TRUE(std::getline(help, line));
    EXPECT_EQ(line, "Commands:");
    for (const auto& command : editorCommands()) {
        SCOPED_TRACE(command.name);
        ASSERT_TRUE(std::getline(help, line));
        std::string shown = command.help;
        for (const std::string& alias : command.aliases) {
            shown += " (also " + alias + ")";
        }
        EXPECT_EQ(line.rfind("  " + command.usage + " ", 0), 0u) << line;
        EXPECT_EQ(brevant::text::trimmed(line.substr(2 + command.usage.size())), shown);
    }
    ASSERT_TRUE(std::getline(help, line));
    EXPECT_EQ(brevant::text::trimmed(line),
              "(name arg ...)          evaluate a LISP expression; !<name> shows a variable");
}

// The README's table of commands: the rows between the header
// "| Command | What it does |" and the first line that is no row, with the
// escaped "\\|" of a cell read as "|".
std::vector<std::string> readmeRows() {
    std::istringstream readme(
        readFile(std::string(BREVANT_SOURCE_DIR) + "/tools/editor/README.md"));
    std::vector<std::string> rows;
    std::string line;
    bool inTable = false;
    while (std::getline(readme, line)) {
        if (line == "| Command | What it does |") {
            inTable = true;
        } else if (inTable && line.rfind("|---", 0) == 0) {
            continue;
        } else if (inTable && line.rfind("| ", 0) == 0) {
            // A "|" inside a cell stands escaped in Markdown.
            for (size_t at = line.find("\\|"); at != std::string::npos; at = line.find("\\|", at)) {
                line.erase(at, 1);
            }
            rows.push_back(line);
        } else if (inTable) {
            break;
        }
    }
    return rows;
}

TEST_F(Commands, TheReadmeListsTheTable) {
    std::vector<std::string> expected;
    for (const auto& command : editorCommands()) {
        std::string row = "| `" + command.usage + "`";
        for (const std::string& alias : command.aliases) {
            row += " (also `" + alias + "`)";
        }
        expected.push_back(row + " | " + command.help + " |");
    }
    expected.push_back(
        "| `(name arg ...)` | evaluate a LISP expression; !<name> shows a variable |");
    EXPECT_EQ(readmeRows(), expected);
}

}  // namespace
}  // namespace brevant::test
